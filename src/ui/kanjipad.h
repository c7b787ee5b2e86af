#pragma once
#include "kanjipad/handwriting.h"
#include "kanjipad/kanjireadings.h"

#include <QWidget>

#include <functional>
#include <optional>

class CandidateBar;
class HandwritingCanvas;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;

// 漢字パッド: a kanji found by drawing it (手書き) or by its reading (読み),
// for players without an input method. Modeless; closing only hides it, so
// it keeps its place and its pages for the run. The handwriting model is
// opened when the 手書き page is first shown; the readings file when the
// pad is made. Either missing leaves its page saying so.
class KanjiPad : public QWidget
{
    Q_OBJECT
public:
    // accept: the kanji worth offering (those that head a dictionary line).
    KanjiPad(const QString &readingsPath, const QString &modelPath, const QString &templatesPath,
             std::function<bool(QChar)> accept, QWidget *owner = nullptr);
    ~KanjiPad() override;

    static constexpr int kHandwritingCandidates = 20;
    static constexpr int kReadingCandidates = 200;

    // The first place: right of the owner's window, on its screen.
    void placeBeside(const QWidget *owner);

    void setVisible(bool visible) override;

signals:
    // A candidate was chosen: by a click, Enter or Space on the marked one, or
    // Enter for the first shown and 1 to 9 for the n-th shown.
    void chosen(QChar kanji);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void buildHandwritingPage();
    void buildReadingPage();
    void pageShown();
    void recognize(const Drawing &drawing);
    void lookUp(const QString &typed);
    void choose(QChar kanji);
    // The candidate with that number on the page shown; false when there is none.
    bool chooseNumber(int number);
    // The reading field or the canvas, whichever page is shown.
    void focusInput();
    // Enter, 1 to 9, Esc, ↑, ↓, PageUp and PageDown anywhere in the pad;
    // true when the key was used.
    bool padKey(QKeyEvent *event);
    // Typing on the 手書き page means a reading: the 読み page takes over
    // with what was typed. True when the key was such a letter.
    bool startReading(QKeyEvent *event);
    CandidateBar *currentCandidates() const;
    QString tipFor(QChar kanji) const;

    std::function<bool(QChar)> m_accept;
    HandwritingRecognizer m_recognizer;
    KanjiReadings m_readings;
    QString m_readingsPath;
    bool m_haveReadings = false;
    std::optional<QPoint> m_position;

    QTabWidget *tabPages = nullptr;
    QWidget *pageHandwriting = nullptr;
    HandwritingCanvas *canvas = nullptr;
    QPushButton *cmdUndo = nullptr;
    QPushButton *cmdClear = nullptr;
    QLabel *lblHandwritingNote = nullptr;
    CandidateBar *barHandwriting = nullptr;
    QWidget *pageReading = nullptr;
    QLineEdit *txtReading = nullptr;
    QLabel *lblReadingNote = nullptr;
    CandidateBar *barReading = nullptr;
};
