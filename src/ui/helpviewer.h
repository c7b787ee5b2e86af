#pragma once
#include "ui/helpdocument.h"

#include <QList>
#include <QMargins>
#include <QMessageBox>
#include <QPointer>
#include <QString>
#include <QWidget>

class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class QScreen;
class QTabWidget;
class QTextBrowser;
class QTreeWidget;
class QTreeWidgetItem;

// The help engine: the help file's text with its contents, keyword index and
// full-text search beside it. A file it cannot open it reports itself, in
// its text pane and in a message box of its own that does not block.
class HelpViewer : public QWidget
{
    Q_OBJECT
public:
    explicit HelpViewer(QWidget *parent = nullptr);

    // Opens the help file at its contents in viewer, created there when it
    // is empty, and brings it to the front.
    static void showContents(QPointer<HelpViewer> &viewer, const QString &path);

    // Loads path and shows its first topic with the contents page in front,
    // with an empty history. False when it cannot, after saying so.
    bool openFile(const QString &path);

    const QString &filePath() const { return m_path; }
    const HelpDocument &document() const { return m_document; }
    // The topic being read: the one last shown, or the one the reader has
    // scrolled to (empty before anything is shown).
    QString currentAnchor() const { return m_currentAnchor; }

    // Shows a topic by its anchor, as a step of the history that 戻る and
    // 進む walk; false when the file has no such topic.
    bool showTopic(const QString &anchor);
    // The index page: the keywords starting with (or else containing) text.
    void filterKeywords(const QString &text);
    // The search page: lists the topics holding every word of query.
    void searchText(const QString &query);

    QTabWidget *pages() const { return m_pages; }
    QTreeWidget *contentsTree() const { return m_contents; }
    QListWidget *keywordList() const { return m_keywordList; }
    QListWidget *searchResults() const { return m_searchResults; }
    QTextBrowser *textPane() const { return m_text; }
    QMessageBox *openFailureBox() const { return m_failureBox; }

private:
    // A step of the history: the topic the reader was in and how far the
    // text was scrolled (-1: at the topic's start).
    struct Place
    {
        QString anchor;
        int scroll = -1;
    };

    // Sizes the window to fit screen's free area with a frame of frame
    // around it, and centres it there.
    void fitToScreen(const QScreen *screen, const QMargins &frame);
    bool canGoBack() const { return m_here > 0; }
    bool canGoForward() const { return m_here + 1 < m_history.size(); }
    // The place left before, or the one gone back from, scrolled as the
    // reader left it.
    void goBack();
    void goForward();
    void rememberScroll();
    void showPlace(const Place &place);
    void setCurrentAnchor(const QString &anchor);
    void followScroll(int position);
    void updateNavigation();
    void clearHistory();
    void buildContents();
    void buildKeywords();
    void showFailure(const QString &path, const QString &reason);
    void showKeywordItem(QListWidgetItem *item);
    void showTopicItem(QTreeWidgetItem *item);
    void highlightSearchWords(const QString &anchor);
    int anchorPosition(const QString &anchor) const;

    QString m_path;
    HelpDocument m_document;
    QString m_currentAnchor;
    QString m_lastQuery;
    QList<Place> m_history;
    qsizetype m_here = -1;
    QList<int> m_topicPositions; // where each topic starts in the text pane

    QTabWidget *m_pages = nullptr;
    QTreeWidget *m_contents = nullptr;
    QLineEdit *m_keywordEdit = nullptr;
    QListWidget *m_keywordList = nullptr;
    QLineEdit *m_searchEdit = nullptr;
    QListWidget *m_searchResults = nullptr;
    QLabel *m_searchStatus = nullptr;
    QTextBrowser *m_text = nullptr;
    QPushButton *m_backButton = nullptr;
    QPushButton *m_forwardButton = nullptr;
    QPointer<QMessageBox> m_failureBox;
};
