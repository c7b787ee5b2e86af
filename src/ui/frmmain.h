#pragma once
#include "search/searchengine.h"
#include "search/wordlist.h"

#include <QMainWindow>
#include <QPointer>
#include <QStringList>
#include <array>

class DictionaryStore;
class LetterBox;
class PictureBox;
class Prompts;
class QAction;
class QLabel;
class QMenu;
class QProgressBar;
class QTreeWidget;
class SettingsStore;

// The main window: six letter boxes on a flower around the answer, the
// candidate list, the search history, the menus. It searches through the
// engine and keeps the settings store up to date; the files are start-up's.
class frmMain : public QMainWindow
{
    Q_OBJECT
public:
    // Layout in device-independent pixels; heights set from twips, 15 to a pixel.
    static constexpr int kClientWidth = 343;
    static constexpr int kTwipsPerPixel = 15;
    // Outer heights, title bar, borders and menu bar included.
    static constexpr int kHeightWithHistoryTwips = 5370;
    static constexpr int kHeightWithoutHistoryTwips = 3810;

    // settingsPath: where the unload sequence writes the settings.
    frmMain(Prompts &prompts, DictionaryStore &dictionary, SettingsStore &settings,
            const QString &settingsPath, QWidget *parent = nullptr);
    ~frmMain() override;

    bool isSearching() const { return Searching; }
    bool isCancelRequested() const { return CancelRequested; }

    // Rebuilds the history list from the settings store.
    void RefreshHistoryList();

    // The outer height this window keeps, in pixels.
    int outerHeight() const { return m_outerHeight; }
    // The title bar and borders, frame high in Qt's pixels, in layout pixels.
    static int frameInLayoutPixels(int frame, qreal programScale);

    // The words the candidates' tips show; without them the tips list letters.
    void setWords(WordList words) { m_words = std::move(words); }

    // Runs the load sequence the first time the window is shown.
    void setVisible(bool visible) noexcept override;

    // Qt cannot carry an exception through its event and signal code, so
    // every handler of this window stops one at its edge.
public slots:
    void mnuFileExit_Click() noexcept;
    void mnuEditFind_Click() noexcept;
    void mnuPopupGetString_Click() noexcept;
    void onHelpContents() noexcept;
    void onHelpAbout() noexcept;

signals:
    // Before the search yields at line `line` of box `box` (every 50th line).
    void lineTicked(int box, qint32 line);

protected:
    // The search's yield to the window system every 50 lines.
    virtual void yieldToEvents();

    bool eventFilter(QObject *watched, QEvent *event) noexcept override;
    void closeEvent(QCloseEvent *event) noexcept override;
    void showEvent(QShowEvent *event) override;
    void moveEvent(QMoveEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    friend class MainSearchHooks;

    void buildControls();
    void buildMenus();
    void Form_Load();
    void Form_Unload();
    void Form_KeyPress(int keyAscii);
    void applyHistoryPanel(bool shown);
    void setOuterHeightTwips(int twips);
    void fitOuterHeight();
    void runSearch();
    void reportSearchFailure(int number, const QString &description);
    void drawProgressNow();
    void noteFocusMove(QObject *watched, QEvent *event);
    bool isEscPropagation(QEvent *event, QWidget *receiver);
    bool filterEvent(QObject *watched, QEvent *event);
    void showCandidateTip(const QPoint &viewportPos, const QPoint &globalPos);

    Prompts &m_prompts;
    DictionaryStore &m_dictionary;
    SettingsStore &m_settings;
    QString m_settingsPath;
    SearchEngine m_engine;

    bool Searching = false;
    bool CancelRequested = false;
    bool m_loaded = false;
    bool m_unloaded = false;
    // While the search yields: what the user did meanwhile decides where
    // the focus goes when the search ends.
    bool m_yielding = false;
    bool m_focusMovedByUser = false;
    bool m_boxOpenedDuringSearch = false;
    int m_outerHeight = 0;
    // The letters the last completed search read, for the candidates' tips.
    QStringList m_searchedLetters;
    WordList m_words;
    // The Esc press being previewed, so that its climb through the parents is not asked twice.
    QEvent *m_escEvent = nullptr;
    QPointer<QWidget> m_escReceiver;
    quint64 m_escTimestamp = 0;

    PictureBox *picMain = nullptr;
    std::array<LetterBox *, kLetterBoxCount> txtLetter{};
    QLabel *lblAnswer = nullptr;
    QLabel *lblCandidate = nullptr;
    QTreeWidget *lsvCandidate = nullptr;
    QLabel *lblHistory = nullptr;
    QTreeWidget *lsvHistory = nullptr;
    QProgressBar *pbrLetter = nullptr;
    QProgressBar *pbrStatus = nullptr;
    PictureBox *picBack = nullptr;
    PictureBox *picBackMask = nullptr;

    QMenu *mnuFile = nullptr;
    QAction *mnuFileExit = nullptr;
    QMenu *mnuEdit = nullptr;
    QAction *mnuEditFind = nullptr;
    QAction *mnuEditHistory = nullptr;
    QMenu *mnuHelp = nullptr;
    QAction *mnuHelpContents = nullptr;
    QAction *mnuHelpBar1 = nullptr;
    QAction *mnuHelpAbout = nullptr;
    QMenu *mnuPopup = nullptr;
    QAction *mnuPopupGetString = nullptr;
};
