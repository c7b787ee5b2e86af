// The help viewer as a reader uses it: 戻る and 進む through every way of
// choosing a topic, the contents page following the text, and a window that
// fits its screen with nothing cut off. CMake runs it a second time on a
// 1280×1024 screen at twice the scale.
#include "ownerwindow.h"
#include "tempfiles.h"
#include "ui/helpviewer.h"

#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTabWidget>
#include <QTest>
#include <QTextBrowser>
#include <QToolTip>
#include <QTreeWidget>

#include <algorithm>
#include <memory>

using namespace Qt::StringLiterals;

class TestHelpViewer : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void history_data();
    void history();
    void fitsTheScreen();
    void elidedKeywordHasTip();
    void closesWithKeys_data();
    void closesWithKeys();

private:
    QPushButton *button(const QString &name) const { return m_viewer->findChild<QPushButton *>(name); }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<QWidget> m_owner;
    QPointer<HelpViewer> m_viewer;
    QString m_path;
};

void TestHelpViewer::init()
{
    // Topics long enough to scroll through; the last one too short to reach
    // the top of the pane.
    QString filler;
    for (int i = 0; i < 40; ++i)
        filler += u"<p>本文の段落です。</p>"_s;
    const QString html = u"<h1><a name=\"top\"></a>はじめに</h1>"_s + filler
        + u"<h2><a name=\"search\"></a>答えを探す</h2>"_s + filler
        + u"<h2><a name=\"history\"></a>履歴</h2><!-- keywords: 読み込み -->"_s + filler
        + u"<h2><a name=\"menus\"></a>メニュー</h2><p>右クリック</p>"_s + filler
        + u"<h2><a name=\"version\"></a>バージョン情報</h2>"_s;
    m_dir = std::make_unique<QTemporaryDir>();
    m_path = writeBytes(*m_dir, u"tolvo.hlp"_s, html.toUtf8());
    // Asked for from a window, as the main window does.
    m_owner = showOwnerWindow();
    m_owner->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_owner.get()));
    HelpViewer::showContents(m_viewer, m_path);
    QVERIFY(QTest::qWaitForWindowActive(m_viewer.data()));
}

void TestHelpViewer::cleanup()
{
    if (m_viewer)
        m_viewer->close();
    QTRY_VERIFY(!m_viewer);
    m_owner.reset();
    m_dir.reset();
}

void TestHelpViewer::history_data()
{
    // Steps: a topic's anchor (shown from code), source:anchor (chosen by
    // the reader), < and > (the buttons), alt< and alt> (the keys), reload
    // (the help command again), down (the reader scrolls a little), end (to
    // the end of the text), mark (remember the scroll position).
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QString>("anchor");
    QTest::addColumn<bool>("back");
    QTest::addColumn<bool>("forward");
    auto row = [](const char *name, const QString &steps, const QString &anchor, bool back, bool forward) {
        QTest::newRow(name) << steps.split(u' ', Qt::SkipEmptyParts) << anchor << back << forward;
    };
    row("opened", u""_s, u"top"_s, false, false);
    row("contents tree", u"tree:search <"_s, u"top"_s, false, true);
    row("keyword", u"keyword:history < >"_s, u"history"_s, true, false);
    row("search result", u"search result:menus <"_s, u"search"_s, true, true);
    row("first link", u"link:history <"_s, u"top"_s, false, true);
    row("contents button", u"history button:top <"_s, u"history"_s, true, true);
    row("browser keys", u"link:menus alt< alt>"_s, u"menus"_s, true, false);
    row("no further back than the start", u"search < < >"_s, u"search"_s, true, false);
    row("a new topic drops the way forward", u"search history < menus"_s, u"menus"_s, true, false);
    row("the topic on screen again is no step", u"search search <"_s, u"top"_s, false, true);
    row("reload starts afresh", u"search reload"_s, u"top"_s, false, false);
    row("back to where the reader was", u"search down mark tree:menus <"_s, u"search"_s, true, true);
    row("contents follow scrolling", u"end"_s, u"menus"_s, false, false);
    row("a topic chosen near the end stays", u"version end"_s, u"version"_s, true, false);
}

void TestHelpViewer::history()
{
    QFETCH(QStringList, steps);
    QFETCH(QString, anchor);
    QFETCH(bool, back);
    QFETCH(bool, forward);
    QScrollBar *bar = m_viewer->textPane()->verticalScrollBar();
    int mark = -1;
    for (const QString &step : std::as_const(steps)) {
        const QString to = step.section(u':', 1);
        if (step == u"<"_s || step == u">"_s)
            button(step == u"<"_s ? u"backButton"_s : u"forwardButton"_s)->click();
        else if (step.startsWith(u"alt"_s))
            QTest::keyClick(m_viewer.data(), step.endsWith(u'<') ? Qt::Key_Left : Qt::Key_Right, Qt::AltModifier);
        else if (step == u"reload"_s)
            HelpViewer::showContents(m_viewer, m_path);
        else if (step == u"down"_s)
            bar->setSliderPosition(bar->value() + bar->pageStep() / 8);
        else if (step == u"end"_s)
            bar->triggerAction(QAbstractSlider::SliderToMaximum);
        else if (step == u"mark"_s)
            mark = bar->value();
        else if (step.startsWith(u"tree:"_s))
            emit m_viewer->contentsTree()->itemClicked(
                m_viewer->contentsTree()->findItems(m_viewer->document().topic(to)->title,
                                                    Qt::MatchExactly | Qt::MatchRecursive).first(), 0);
        else if (step.startsWith(u"keyword:"_s))
            emit m_viewer->keywordList()->itemActivated(m_viewer->keywordList()->item(0));
        else if (step.startsWith(u"result:"_s)) {
            m_viewer->searchText(u"右クリック"_s);
            emit m_viewer->searchResults()->itemActivated(m_viewer->searchResults()->item(0));
        } else if (step.startsWith(u"link:"_s))
            emit m_viewer->textPane()->anchorClicked(QUrl(u'#' + to));
        else if (step.startsWith(u"button:"_s))
            button(u"contentsButton"_s)->click();
        else
            QVERIFY(m_viewer->showTopic(step));
    }
    QCOMPARE(m_viewer->currentAnchor(), anchor);
    QCOMPARE(m_viewer->contentsTree()->currentItem()->data(0, Qt::UserRole).toString(), anchor);
    QCOMPARE(button(u"backButton"_s)->isEnabled(), back);
    QCOMPARE(button(u"forwardButton"_s)->isEnabled(), forward);
    if (mark >= 0)
        QCOMPARE(bar->value(), mark);
}

void TestHelpViewer::fitsTheScreen()
{
    m_viewer->close();
    QTRY_VERIFY(!m_viewer);
    m_owner->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_owner.get()));
    HelpViewer::showContents(m_viewer, QStringLiteral(TOLVO_BIN_DIR "/tolvo.hlp"));
    QVERIFY(QTest::qWaitForWindowExposed(m_viewer.data()));
    const QRect frame = m_viewer->frameGeometry();
    QVERIFY2(m_viewer->screen()->availableGeometry().contains(frame),
             qPrintable(u"%1×%2"_s.arg(frame.width()).arg(frame.height())));

    // Nothing in it cut off or scrolled sideways.
    QTextBrowser *text = m_viewer->textPane();
    QVERIFY2(text->document()->size().width() <= text->viewport()->width(),
             qPrintable(QString::number(text->document()->size().width())));
    m_viewer->pages()->setCurrentIndex(1);
    QListWidget *keywords = m_viewer->keywordList();
    QTRY_VERIFY(keywords->visualItemRect(keywords->item(0)).height() > 0);
    int widest = 0;
    for (int i = 0; i < keywords->count(); ++i)
        widest = std::max(widest, keywords->visualItemRect(keywords->item(i)).width());
    QVERIFY2(widest <= keywords->viewport()->width(), qPrintable(QString::number(widest)));
    m_viewer->pages()->setCurrentIndex(2);
    auto *edit = m_viewer->findChild<QLineEdit *>(u"searchEdit"_s);
    // QLineEdit keeps 2 pixels either side of its text, inside its frame.
    const int frameWidth = edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, edit);
    QVERIFY2(edit->fontMetrics().horizontalAdvance(edit->placeholderText()) <= edit->width() - 2 * (frameWidth + 2),
             qPrintable(edit->placeholderText()));
}

void TestHelpViewer::elidedKeywordHasTip()
{
    m_viewer->pages()->setCurrentIndex(1);
    QListWidget *list = m_viewer->keywordList();
    QListWidgetItem *item = list->item(0);
    item->setText(u"読み込み"_s.repeated(40));
    QTRY_VERIFY(list->visualItemRect(item).height() > 0);
    const QPoint at = list->visualItemRect(item).center();
    QHelpEvent help(QEvent::ToolTip, at, list->viewport()->mapToGlobal(at));
    QApplication::sendEvent(list->viewport(), &help);
    QVERIFY(QToolTip::isVisible());
    QCOMPARE(QToolTip::text(), item->text());
    QToolTip::hideText();
}

void TestHelpViewer::closesWithKeys_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::newRow("Esc") << int(Qt::Key_Escape) << 0;
    QTest::newRow("Ctrl+W") << int(Qt::Key_W) << int(Qt::ControlModifier);
}

// From whichever of its panes has the focus.
void TestHelpViewer::closesWithKeys()
{
    QFETCH(int, key);
    QFETCH(int, modifiers);
    m_viewer->keywordList()->setFocus();
    QTRY_VERIFY(m_viewer->keywordList()->hasFocus());
    QTest::keyClick(m_viewer->keywordList(), Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QTRY_VERIFY(!m_viewer || !m_viewer->isVisible());
}

QTEST_MAIN(TestHelpViewer)
#include "tst_helpviewer.moc"
