#include "ui/helpviewer.h"

#include "platform/datafile.h"
#include "ui/appicon.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QCollator>
#include <QDesktopServices>
#include <QDir>
#include <QHBoxLayout>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QShortcut>
#include <QSplitter>
#include <QStyledItemDelegate>
#include <QTabWidget>
#include <QTextBlock>
#include <QTextBrowser>
#include <QToolTip>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

constexpr int kAnchorRole = Qt::UserRole;
constexpr QSize kPreferredSize{840, 600};

QMargins frameMargins(const QWidget *window)
{
    const QRect frame = window->frameGeometry();
    const QRect client = window->geometry();
    return {client.left() - frame.left(), client.top() - frame.top(), frame.right() - client.right(),
            frame.bottom() - client.bottom()};
}

// Rows as wide as the list rather than as their text, so a long keyword is
// elided, with its whole text as a tip, instead of giving the list a
// horizontal scroll bar.
class ElidingDelegate final : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        return {0, QStyledItemDelegate::sizeHint(option, index).height()};
    }

    bool helpEvent(QHelpEvent *event, QAbstractItemView *view, const QStyleOptionViewItem &option,
                   const QModelIndex &index) override
    {
        if (event->type() != QEvent::ToolTip)
            return QStyledItemDelegate::helpEvent(event, view, option, index);
        if (QStyledItemDelegate::sizeHint(option, index).width() > option.rect.width())
            QToolTip::showText(event->globalPos(), index.data().toString(), view, option.rect);
        else
            QToolTip::hideText();
        return true;
    }
};

} // namespace

HelpViewer::HelpViewer(QWidget *parent) : QWidget(parent, Qt::Window)
{
    setObjectName(u"HelpViewer"_s);
    setWindowTitle(u"ヘルプ - "_s + ProductName());
    setWindowIcon(appIcon());
    resize(kPreferredSize);

    // Navigation row above the text, as in the Windows help window.
    auto *contentsButton = new QPushButton(u"目次(&C)"_s);
    contentsButton->setObjectName(u"contentsButton"_s);
    m_backButton = new QPushButton(u"戻る(&B)"_s);
    m_backButton->setObjectName(u"backButton"_s);
    m_forwardButton = new QPushButton(u"進む(&N)"_s);
    m_forwardButton->setObjectName(u"forwardButton"_s);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(contentsButton);
    buttons->addWidget(m_backButton);
    buttons->addWidget(m_forwardButton);
    buttons->addStretch();
    updateNavigation();

    m_pages = new QTabWidget;
    m_pages->setObjectName(u"pages"_s);

    m_contents = new QTreeWidget;
    m_contents->setObjectName(u"contents"_s);
    m_contents->setHeaderHidden(true);
    m_pages->addTab(m_contents, u"目次"_s);

    auto *indexPage = new QWidget;
    m_keywordEdit = new QLineEdit;
    m_keywordEdit->setObjectName(u"keywordEdit"_s);
    m_keywordEdit->setPlaceholderText(u"キーワードを入力してください"_s);
    m_keywordList = new QListWidget;
    m_keywordList->setObjectName(u"keywords"_s);
    m_keywordList->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_keywordList->setItemDelegate(new ElidingDelegate(m_keywordList));
    auto *showKeywordButton = new QPushButton(u"表示(&D)"_s);
    auto *keywordLabel = new QLabel(u"キーワード(&W):"_s);
    keywordLabel->setBuddy(m_keywordEdit);
    auto *indexLayout = new QVBoxLayout(indexPage);
    indexLayout->addWidget(keywordLabel);
    indexLayout->addWidget(m_keywordEdit);
    indexLayout->addWidget(m_keywordList, 1);
    indexLayout->addWidget(showKeywordButton, 0, Qt::AlignRight);
    m_pages->addTab(indexPage, u"キーワード"_s);

    auto *searchPage = new QWidget;
    m_searchEdit = new QLineEdit;
    m_searchEdit->setObjectName(u"searchEdit"_s);
    // Short enough for the narrow page; the tip says the rest.
    m_searchEdit->setPlaceholderText(u"空白で区切って複数指定"_s);
    m_searchEdit->setToolTip(u"空白で区切った言葉をすべて含むトピックを探します。"_s);
    auto *searchLabel = new QLabel(u"探す言葉(&W):"_s);
    searchLabel->setBuddy(m_searchEdit);
    auto *searchButton = new QPushButton(u"検索(&S)"_s);
    m_searchStatus = new QLabel;
    m_searchStatus->setWordWrap(true);
    m_searchResults = new QListWidget;
    m_searchResults->setObjectName(u"searchResults"_s);
    auto *searchRow = new QHBoxLayout;
    searchRow->addWidget(m_searchEdit, 1);
    searchRow->addWidget(searchButton);
    auto *searchLayout = new QVBoxLayout(searchPage);
    searchLayout->addWidget(searchLabel);
    searchLayout->addLayout(searchRow);
    searchLayout->addWidget(m_searchStatus);
    searchLayout->addWidget(m_searchResults, 1);
    m_pages->addTab(searchPage, u"検索"_s);

    m_text = new QTextBrowser;
    m_text->setObjectName(u"text"_s);
    // Links between topics are steps of the viewer's own history.
    m_text->setOpenLinks(false);
    // A command line longer than a narrow pane wraps rather than giving the
    // whole text a horizontal scroll bar.
    m_text->document()->setDefaultStyleSheet(u"pre { white-space: pre-wrap; }"_s);

    auto *splitter = new QSplitter(Qt::Horizontal);
    splitter->addWidget(m_pages);
    splitter->addWidget(m_text);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({280, 560});

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(splitter, 1);

    connect(contentsButton, &QPushButton::clicked, this, [this] {
        m_pages->setCurrentIndex(0);
        if (!m_document.topics.isEmpty())
            showTopic(m_document.topics.first().anchor);
    });
    connect(m_backButton, &QPushButton::clicked, this, &HelpViewer::goBack);
    connect(m_forwardButton, &QPushButton::clicked, this, &HelpViewer::goForward);
    // The browser keys; the text pane's own history is not ours.
    connect(new QShortcut(QKeySequence::Back, this), &QShortcut::activated, this, &HelpViewer::goBack);
    connect(new QShortcut(QKeySequence::Forward, this), &QShortcut::activated, this,
            &HelpViewer::goForward);
    // A reader done with the help closes it as any viewer: Esc or Ctrl+W.
    for (const QKeySequence &key : {QKeySequence(Qt::Key_Escape), QKeySequence(Qt::CTRL | Qt::Key_W)})
        connect(new QShortcut(key, this), &QShortcut::activated, this, &QWidget::close);
    connect(m_text, &QTextBrowser::anchorClicked, this, [this](const QUrl &url) {
        if (url.scheme().isEmpty() && url.path().isEmpty()) {
            if (!showTopic(url.fragment()))
                m_text->scrollToAnchor(url.fragment());
        } else if (!url.scheme().isEmpty()) {
            QDesktopServices::openUrl(url);
        }
    });
    // Only the reader's own scrolling moves the contents page: a topic shown
    // near the end cannot reach the top of the pane, yet it is the one shown.
    QScrollBar *bar = m_text->verticalScrollBar();
    connect(bar, &QScrollBar::actionTriggered, this, [this, bar] {
        if (bar->sliderPosition() != bar->value())
            followScroll(bar->sliderPosition());
    });

    connect(m_contents, &QTreeWidget::itemActivated, this, &HelpViewer::showTopicItem);
    connect(m_contents, &QTreeWidget::itemClicked, this, &HelpViewer::showTopicItem);

    connect(m_keywordEdit, &QLineEdit::textEdited, this, &HelpViewer::filterKeywords);
    connect(m_keywordEdit, &QLineEdit::returnPressed, this,
            [this] { showKeywordItem(m_keywordList->currentItem()); });
    connect(showKeywordButton, &QPushButton::clicked, this,
            [this] { showKeywordItem(m_keywordList->currentItem()); });
    connect(m_keywordList, &QListWidget::itemActivated, this, &HelpViewer::showKeywordItem);

    auto runSearch = [this] { searchText(m_searchEdit->text()); };
    connect(m_searchEdit, &QLineEdit::returnPressed, this, runSearch);
    connect(searchButton, &QPushButton::clicked, this, runSearch);
    connect(m_searchResults, &QListWidget::itemActivated, this, [this](QListWidgetItem *item) {
        const QString anchor = item->data(kAnchorRole).toString();
        if (showTopic(anchor))
            highlightSearchWords(anchor);
    });
}

void HelpViewer::showContents(QPointer<HelpViewer> &viewer, const QString &path)
{
    if (!viewer) {
        viewer = new HelpViewer;
        viewer->setAttribute(Qt::WA_DeleteOnClose);
        // Like the separate help program it stands in for, the viewer does
        // not keep tolvo running once the main window is gone.
        viewer->setAttribute(Qt::WA_QuitOnClose, false);
        // On the screen of the window that asked for help. Before its first
        // show the viewer's frame is unknown; that window's is the best
        // guess, since both get the same decoration.
        const QWidget *asking = QApplication::activeWindow();
        viewer->fitToScreen(asking ? asking->screen() : QGuiApplication::primaryScreen(),
                            asking ? frameMargins(asking) : QMargins());
    }
    viewer->show();
    if (viewer->isMinimized())
        viewer->showNormal();
    viewer->raise();
    viewer->activateWindow();
    // Loaded anew each time: the file may have been replaced meanwhile.
    viewer->openFile(path);
}

void HelpViewer::fitToScreen(const QScreen *screen, const QMargins &frame)
{
    if (!screen)
        return;
    const QRect available = screen->availableGeometry();
    resize(kPreferredSize.boundedTo(available.marginsRemoved(frame).size()));
    QRect framed = QRect(QPoint(), size()).marginsAdded(frame);
    framed.moveCenter(available.center());
    move(framed.topLeft());
}

bool HelpViewer::openFile(const QString &path)
{
    m_path = path;
    if (m_failureBox)
        m_failureBox->close();
    HelpDocument document;
    QString reason;
    if (!HelpDocument::load(path, &document, &reason)) {
        showFailure(path, reason);
        return false;
    }
    m_document = document;
    setWindowTitle(u"ヘルプ - "_s + (m_document.title.isEmpty() ? ProductName() : m_document.title));
    m_text->setHtml(m_document.html);
    m_topicPositions.clear();
    for (const HelpTopic &topic : std::as_const(m_document.topics))
        m_topicPositions.append(anchorPosition(topic.anchor));
    clearHistory();
    buildContents();
    buildKeywords();
    m_searchResults->clear();
    m_searchStatus->clear();
    m_pages->setCurrentIndex(0);
    showTopic(m_document.topics.first().anchor);
    return true;
}

void HelpViewer::showFailure(const QString &path, const QString &reason)
{
    m_document = HelpDocument();
    m_topicPositions.clear();
    clearHistory();
    m_contents->clear();
    m_keywordList->clear();
    m_searchResults->clear();
    m_searchStatus->clear();
    setWindowTitle(u"ヘルプ - "_s + ProductName());

    const QString shownPath = QDir::toNativeSeparators(path);
    const QString sentence = u"ヘルプ ファイル「"_s + shownPath + u"」を開けません。"_s;
    m_text->setHtml(u"<p><b>"_s + sentence.toHtmlEscaped() + u"</b></p><p>"_s
                    + reason.toHtmlEscaped() + u"</p>"_s);

    // Not modal to the program: the main window stays usable while it shows.
    m_failureBox = new QMessageBox(QMessageBox::Warning, u"ヘルプ"_s, sentence + u'\n' + reason,
                                   QMessageBox::Ok, this);
    m_failureBox->setObjectName(u"helpOpenFailure"_s);
    m_failureBox->setTextFormat(Qt::PlainText);
    m_failureBox->setAttribute(Qt::WA_DeleteOnClose);
    m_failureBox->open();
}

void HelpViewer::buildContents()
{
    m_contents->clear();
    // Headings nest by level; a level that skips one hangs under the nearest
    // shallower heading.
    QList<QPair<int, QTreeWidgetItem *>> parents;
    for (const HelpTopic &topic : std::as_const(m_document.topics)) {
        while (!parents.isEmpty() && parents.last().first >= topic.level)
            parents.removeLast();
        auto *item = parents.isEmpty() ? new QTreeWidgetItem(m_contents)
                                       : new QTreeWidgetItem(parents.last().second);
        item->setText(0, topic.title);
        item->setData(0, kAnchorRole, topic.anchor);
        parents.append({topic.level, item});
    }
    m_contents->expandAll();
}

void HelpViewer::buildKeywords()
{
    m_keywordList->clear();
    QList<HelpKeyword> keywords = m_document.keywords;
    QCollator collator{QLocale(QLocale::Japanese, QLocale::Japan)};
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::stable_sort(keywords.begin(), keywords.end(),
                     [&](const HelpKeyword &a, const HelpKeyword &b) {
                         return collator.compare(a.keyword, b.keyword) < 0;
                     });
    for (qsizetype i = 0; i < keywords.size(); ++i) {
        const HelpKeyword &entry = keywords[i];
        const bool shared = (i > 0 && keywords[i - 1].keyword == entry.keyword)
            || (i + 1 < keywords.size() && keywords[i + 1].keyword == entry.keyword);
        QString label = entry.keyword;
        // The same keyword in several topics: say which topic each entry opens.
        if (shared) {
            if (const HelpTopic *topic = m_document.topic(entry.anchor))
                label += u"（"_s + topic->title + u"）"_s;
        }
        auto *item = new QListWidgetItem(label, m_keywordList);
        item->setData(kAnchorRole, entry.anchor);
    }
    if (m_keywordList->count() > 0)
        m_keywordList->setCurrentRow(0);
}

void HelpViewer::filterKeywords(const QString &text)
{
    const QString wanted = text.trimmed();
    auto matches = [&](QListWidgetItem *item, bool prefix) {
        return prefix ? item->text().startsWith(wanted, Qt::CaseInsensitive)
                      : item->text().contains(wanted, Qt::CaseInsensitive);
    };
    bool anyPrefix = false;
    for (int i = 0; i < m_keywordList->count() && !anyPrefix; ++i)
        anyPrefix = matches(m_keywordList->item(i), true);
    QListWidgetItem *first = nullptr;
    for (int i = 0; i < m_keywordList->count(); ++i) {
        QListWidgetItem *item = m_keywordList->item(i);
        const bool shown = wanted.isEmpty() || matches(item, anyPrefix);
        item->setHidden(!shown);
        if (shown && !first)
            first = item;
    }
    m_keywordList->setCurrentItem(first);
}

void HelpViewer::searchText(const QString &query)
{
    m_lastQuery = query;
    m_searchResults->clear();
    if (HelpDocument::queryWords(query).isEmpty()) {
        m_searchStatus->setText(u"探す言葉を入力してください。"_s);
        return;
    }
    const QStringList anchors = m_document.search(query);
    for (const QString &anchor : anchors) {
        auto *item = new QListWidgetItem(m_document.topic(anchor)->title, m_searchResults);
        item->setData(kAnchorRole, anchor);
    }
    m_searchStatus->setText(anchors.isEmpty()
                                ? u"見つかりませんでした。"_s
                                : QString::number(anchors.size()) + u" 件のトピックが見つかりました。"_s);
    if (!anchors.isEmpty())
        m_searchResults->setCurrentRow(0);
}

bool HelpViewer::showTopic(const QString &anchor)
{
    if (!m_document.topic(anchor))
        return false;
    rememberScroll();
    // Choosing the topic on screen again goes back to its start; it is no
    // new step.
    if (m_here < 0 || m_history.at(m_here).anchor != anchor) {
        m_history.resize(m_here + 1);
        m_history.append({anchor, -1});
        ++m_here;
    } else {
        m_history[m_here].scroll = -1;
    }
    showPlace(m_history.at(m_here));
    return true;
}

void HelpViewer::goBack()
{
    if (!canGoBack())
        return;
    rememberScroll();
    showPlace(m_history.at(--m_here));
}

void HelpViewer::goForward()
{
    if (!canGoForward())
        return;
    rememberScroll();
    showPlace(m_history.at(++m_here));
}

void HelpViewer::rememberScroll()
{
    // Where the reader is now, which scrolling may have moved from the topic
    // first shown.
    if (m_here >= 0)
        m_history[m_here] = {m_currentAnchor, m_text->verticalScrollBar()->value()};
}

void HelpViewer::showPlace(const Place &place)
{
    if (place.scroll >= 0 && m_text->isVisible()) {
        m_text->verticalScrollBar()->setValue(place.scroll);
    } else {
        if (place.anchor == m_document.topics.first().anchor)
            m_text->moveCursor(QTextCursor::Start);
        m_text->scrollToAnchor(place.anchor);
    }
    setCurrentAnchor(place.anchor);
    updateNavigation();
}

void HelpViewer::setCurrentAnchor(const QString &anchor)
{
    m_currentAnchor = anchor;
    // Keep the contents page in step with the text.
    for (QTreeWidgetItemIterator it(m_contents); *it; ++it) {
        if ((*it)->data(0, kAnchorRole).toString() == anchor) {
            m_contents->setCurrentItem(*it);
            break;
        }
    }
}

void HelpViewer::followScroll(int position)
{
    // The topic being read: the last one whose heading is above the top
    // quarter of the pane. Headings not laid out yet are below it.
    const int line = position + m_text->viewport()->height() / 4;
    QTextDocument *text = m_text->document();
    qsizetype reading = -1;
    for (qsizetype i = 0; i < m_topicPositions.size(); ++i) {
        const QTextBlock block = text->findBlock(m_topicPositions.at(i));
        if (!block.layout() || block.layout()->lineCount() == 0
            || text->documentLayout()->blockBoundingRect(block).top() > line)
            break;
        reading = i;
    }
    if (reading >= 0 && m_document.topics.at(reading).anchor != m_currentAnchor)
        setCurrentAnchor(m_document.topics.at(reading).anchor);
}

void HelpViewer::updateNavigation()
{
    m_backButton->setEnabled(canGoBack());
    m_forwardButton->setEnabled(canGoForward());
}

void HelpViewer::clearHistory()
{
    m_history.clear();
    m_here = -1;
    m_currentAnchor.clear();
    updateNavigation();
}

void HelpViewer::showKeywordItem(QListWidgetItem *item)
{
    if (item && !item->isHidden())
        showTopic(item->data(kAnchorRole).toString());
}

void HelpViewer::showTopicItem(QTreeWidgetItem *item)
{
    if (item)
        showTopic(item->data(0, kAnchorRole).toString());
}

int HelpViewer::anchorPosition(const QString &anchor) const
{
    for (QTextBlock block = m_text->document()->begin(); block.isValid(); block = block.next()) {
        for (auto fragment = block.begin(); !fragment.atEnd(); ++fragment) {
            if (fragment.fragment().charFormat().anchorNames().contains(anchor))
                return fragment.fragment().position();
        }
    }
    return 0;
}

void HelpViewer::highlightSearchWords(const QString &anchor)
{
    const QStringList words = HelpDocument::queryWords(m_lastQuery);
    if (words.isEmpty())
        return;
    // Select the first word's first occurrence in the topic, so the eye finds it.
    const QTextCursor found = m_text->document()->find(words.first(), anchorPosition(anchor));
    if (!found.isNull()) {
        m_text->setTextCursor(found);
        m_text->ensureCursorVisible();
    }
}
