#pragma once
#include <QWidget>

class QPlainTextEdit;
class QPushButton;

// 問題を確かめる: a puzzle's check as text the player can read, select and
// copy. Modeless like the kanji pad; closing only hides it, and each new
// check replaces the text.
class PuzzleCheckWindow : public QWidget
{
    Q_OBJECT
public:
    explicit PuzzleCheckWindow(QWidget *owner = nullptr);
    QSize sizeHint() const override { return {520, 460}; }

    void showCheck(const QString &text);
    QString text() const;

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    QPlainTextEdit *txtCheck = nullptr;
    QPushButton *cmdCopy = nullptr;
    QPushButton *cmdClose = nullptr;
};
