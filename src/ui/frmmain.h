#pragma once
// The names of the windows, modules and controls keep the prefixes of the
// program this one re-creates; each stands for a Qt class here:
//   frm  a window: QMainWindow (frmMain), QDialog (frmAbout)
//   bas  a module: a namespace of plain functions (basMain, basParam)
//   txt  a letter box: LetterBox, a QLineEdit
//   lbl  QLabel               lsv  QTreeWidget (list view with columns)
//   pbr  QProgressBar         mnu  QMenu, or a QAction on one
//   pic  PictureBox, a QFrame with a persistent picture; QLabel (picIcon)
//   cmd  QPushButton
#include "platform/datafile.h"
#include "search/puzzle.h"
#include "search/searchengine.h"
#include "search/wordlist.h"

#include <QMainWindow>
#include <QPointer>
#include <QStringList>
#include <array>
#include <memory>

class DictionaryStore;
class FlowerArrows;
class HelpViewer;
class KanjiGrades;
class KanjiPad;
class MakePuzzleDialog;
class PuzzleCheckWindow;
class PuzzleGraph;
namespace authoring {
class PuzzleMaker;
}
class LetterBox;
class PictureBox;
class Prompts;
class QAction;
class QLabel;
class QMenu;
class QProgressBar;
class QTreeWidget;
class SettingsStore;
class frmAbout;
namespace picture {
class PictureReader;
struct LoadedPicture;
}

// The main window: six letter boxes on a flower around the answer, the
// candidate list, the search history, the menus. It searches through the
// engine and keeps the settings store up to date; the files are start-up's.
class frmMain : public QMainWindow
{
    Q_OBJECT
public:
    // Layout in device-independent pixels; heights set from twips (ui/controls.h).
    static constexpr int kClientWidth = 343;
    // Outer heights, title bar, borders and menu bar included.
    static constexpr int kHeightWithHistoryTwips = 5370;
    static constexpr int kHeightWithoutHistoryTwips = 3810;

    // settingsPath: where the unload sequence writes the settings.
    frmMain(Prompts &prompts, DictionaryStore &dictionary, SettingsStore &settings,
            const QString &settingsPath, QWidget *parent = nullptr);
    ~frmMain() override;

    // Rebuilds the history list from the settings store.
    void RefreshHistoryList();

    // The outer height this window keeps, in pixels.
    int outerHeight() const { return m_outerHeight; }

    // The words the candidates' tips show; without them the tips list letters.
    void setWords(WordList words) { m_words = std::move(words); }

    // The files beside the program, and Debian's handwriting model.
    static DataFiles defaultDataFiles();
    // Where the data files this window reads are; start-up fixes them once.
    void setDataFiles(const DataFiles &files) { m_files = files; }
    const DataFiles &dataFiles() const { return m_files; }

    // The puzzle in the boxes, letters and arrows.
    Puzzle currentPuzzle() const;
    // How a puzzle comes in: what it clears and where the focus goes.
    struct PuzzleEntry {
        // A new puzzle: the answer and the candidates of the last one go.
        bool clearsResult = false;
        // Letters written as edits that Ctrl+Z in a box takes back.
        bool asEdits = false;
        // The box that takes the focus after, if it is enabled; -1 leaves the focus.
        int focusBox = -1;
        Qt::FocusReason focusReason = Qt::OtherFocusReason;
        // Only while this box has the focus, once its own event is done
        // (an input method's commit must end before the focus moves).
        int focusFromBox = -1;
        // Read from a picture: each letter is marked for the player to check.
        bool fromPicture = false;
    };
    // The one way a whole puzzle reaches the boxes: every letter and arrow.
    void putPuzzle(const Puzzle &puzzle, const PuzzleEntry &entry);

    // Runs the load sequence the first time the window is shown.
    void setVisible(bool visible) noexcept override;

    // Qt cannot carry an exception through its event and signal code, so
    // every handler of this window stops one at its edge.
public slots:
    void onFileExit() noexcept;
    void onEditFind() noexcept;
    void onPopupGetString() noexcept;
    void onEditClearArrows() noexcept;
    void onEditClearLetters() noexcept;
    void onEditKanjiPad() noexcept;
    void onEditReadPicture() noexcept;
    void onEditCheckPuzzle() noexcept;
    void onEditMakePuzzle() noexcept;
    void onHelpContents() noexcept;
    void onHelpAbout() noexcept;

protected:
    // The search's yield to the window system before line `line` of box
    // `box`, every 50 lines. Tests step in here.
    virtual void yieldToEvents(int box, qint32 line);

    bool eventFilter(QObject *watched, QEvent *event) noexcept override;
    void closeEvent(QCloseEvent *event) noexcept override;
    void showEvent(QShowEvent *event) override;
    void moveEvent(QMoveEvent *event) override;
    void changeEvent(QEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    void buildControls();
    void buildMenus();
    void formLoad();
    void formUnload();
    void formKeyPress(int keyAscii);
    void setOuterHeightTwips(int twips);
    void fitOuterHeight();
    // The history panel.
    void applyHistoryPanel(bool shown);
    void showHistoryPopup(const QPoint &globalPos, bool fromKeyboard);
    void popupHistoryMenu(QObject *watched, QEvent *event);
    bool historyKeyPress(QObject *watched, QKeyEvent *key);
    // The search.
    void searchNow();
    void runSearch();
    // An arrow on a letter can be checked only against the words.
    bool arrowsLackWords() const;
    void reportSearchFailure(int number, const QString &description);
    void drawProgressNow();
    void noteFocusMove(QObject *watched, QEvent *event);
    bool isEscPropagation(QEvent *event, QWidget *receiver);
    bool filterEvent(QObject *watched, QEvent *event);
    void showCandidateTip(const QPoint &viewportPos, const QPoint &globalPos);
    // The tip of a row reached with the keyboard, beside the row.
    void showCurrentCandidateTip();
    // A picture's puzzle into the boxes, or a message why not.
    void readPicture(const picture::LoadedPicture &loaded);
    // Ctrl+V with an image on the clipboard; false when it holds none.
    bool pasteClipboardPicture();
    // What a picture gave, said where the candidates will be; empty hides it.
    void showPictureSummary(const QString &text);
    // A search, or any new puzzle, ends the checking of a picture's letters.
    void clearPictureMarks();
    // The ways in that are not a menu command.
    void restoreLatestLetters();
    void placeEnteredLetters(int box, const QString &letters, bool wholePuzzle);
    // A kanji chosen on the pad: into the box that last had the focus, then on to the next.
    void putPadKanji(QChar kanji);
    // The box the pad's next choice fills, marked while the pad is shown.
    void setPadBox(int box);
    void markPadBox();
    void padShownOrHidden(QObject *watched, bool shown);
    // The maker's and the checker's data, read at their first use; false,
    // with the message shown, when a file they need cannot be read.
    bool loadAuthoring(bool forMaking);

    Prompts &m_prompts;
    DictionaryStore &m_dictionary;
    SettingsStore &m_settings;
    QString m_settingsPath;
    SearchEngine m_engine;

protected:
    // While a search runs; and once the user has asked it to stop.
    bool Searching = false;
    bool CancelRequested = false;

private:
    bool m_loaded = false;
    bool m_unloaded = false;
    // While the search yields: what the user did meanwhile decides where
    // the focus goes when the search ends.
    bool m_yielding = false;
    bool m_focusMovedByUser = false;
    bool m_boxOpenedDuringSearch = false;
    int m_outerHeight = 0;
    // The letters the last completed search read, for the candidates' tips.
    QList<ArrowedLetter> m_searchedLetters;
    WordList m_words;
    DataFiles m_files;
    // Made at its first use, so that start-up never waits for it.
    QPointer<KanjiPad> m_kanjiPad;
    // Puzzles checked and made: read at their first use.
    std::unique_ptr<KanjiGrades> m_grades;
    std::unique_ptr<PuzzleGraph> m_puzzleGraph;
    std::unique_ptr<authoring::PuzzleMaker> m_puzzleMaker;
    QPointer<PuzzleCheckWindow> m_checkWindow;
    QPointer<MakePuzzleDialog> m_makeDialog;
    std::unique_ptr<picture::PictureReader> m_pictureReader;
    QString m_pictureFolder;
    int m_padBox = 0;
    bool m_padShown = false;
    // The one About box and the one help viewer, while open.
    QPointer<frmAbout> m_aboutBox;
    QPointer<HelpViewer> m_helpViewer;
    // The Esc press being previewed, so that its climb through the parents is not asked twice.
    QEvent *m_escEvent = nullptr;
    QPointer<QWidget> m_escReceiver;
    quint64 m_escTimestamp = 0;

    PictureBox *picMain = nullptr;
    std::array<LetterBox *, kLetterBoxCount> txtLetter{};
    QLabel *lblAnswer = nullptr;
    QLabel *lblPicture = nullptr;   // made at the first picture
    FlowerArrows *flowerArrows = nullptr;
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
    QAction *mnuEditBar1 = nullptr;
    QAction *mnuEditClearArrows = nullptr;
    QAction *mnuEditClearLetters = nullptr;
    QAction *mnuEditBar2 = nullptr;
    QAction *mnuEditKanjiPad = nullptr;
    QAction *mnuEditReadPicture = nullptr;
    QAction *mnuEditBar3 = nullptr;
    QAction *mnuEditCheckPuzzle = nullptr;
    QAction *mnuEditMakePuzzle = nullptr;
    QMenu *mnuHelp = nullptr;
    QAction *mnuHelpContents = nullptr;
    QAction *mnuHelpBar1 = nullptr;
    QAction *mnuHelpAbout = nullptr;
    QMenu *mnuPopup = nullptr;
    QAction *mnuPopupGetString = nullptr;
};
