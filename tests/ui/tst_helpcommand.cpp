// Help > Search topics: the help command's error handling, and the help
// viewer that stands in for the Windows help engine.
#include "platform/datafile.h"
#include "mainwindowfixture.h"
#include "ownerwindow.h"
#include "promptsdouble.h"
#include "platform/runtimeerror.h"
#include "tempfiles.h"
#include "ui/helpabout.h"
#include "ui/helpviewer.h"

#include <QApplication>
#include <QListWidget>
#include <QMessageBox>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <QTreeWidget>

#include <memory>
#include <stdexcept>

using namespace Qt::StringLiterals;

namespace {

QList<HelpViewer *> helpViewers()
{
    QList<HelpViewer *> viewers;
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (auto *viewer = qobject_cast<HelpViewer *>(w); viewer && viewer->isVisible())
            viewers.append(viewer);
    }
    return viewers;
}

// A small help file in the viewer's format.
const QString kSmallHelp = uR"(<html><head><title>テスト</title></head><body>
<h1><a name="top"></a>はじめに</h1>
<!-- keywords: 目次 -->
<p>最初のトピック。</p>
<h2><a name="search"></a>答えを探す</h2>
<!-- keywords: 検索; Ctrl+F -->
<p>文字欄に漢字を入れて Ctrl+F を押します。</p>
<h2><a name="history"></a>履歴</h2>
<!-- keywords: 履歴; 読み込み; 検索 -->
<p>検索の履歴を右クリックで読み込みます。</p>
</body></html>)"_s;

QByteArray utf8(const QString &text)
{
    return text.toUtf8();
}

} // namespace

class TestHelpCommand : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void helpOpensViewerAtContents();
    void helpOpensShippedFileByDefault();
    void helpUnopenableFileReportedByViewer_data();
    void helpUnopenableFileReportedByViewer();
    void helpStepErrorShowsErrorBox_data();
    void helpStepErrorShowsErrorBox();
    void helpViewerReloadsAndReturnsToContents();
    void helpViewerClosesWithOwner();
    void helpFromMainWindowMenu();

    void viewerContentsTree();
    void viewerKeywordIndex();
    void viewerKeywordFilter_data();
    void viewerKeywordFilter();
    void viewerSearch();

private:
    QString writeHelp(const QString &name, const QByteArray &bytes)
    {
        return writeBytes(*m_dir, name, bytes);
    }

    void showHelp(const std::function<QString()> &readPath)
    {
        showHelpContents(m_viewer, m_owner.get(), m_prompts, readPath);
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<QWidget> m_owner;
    // What the main window holds: its one help viewer.
    QPointer<HelpViewer> m_viewer;
    PromptsDouble m_prompts;
};

void TestHelpCommand::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_owner = showOwnerWindow();
    QVERIFY(QTest::qWaitForWindowExposed(m_owner.get()));
}

void TestHelpCommand::cleanup()
{
    for (HelpViewer *viewer : helpViewers())
        viewer->close();
    m_owner.reset();
    QTRY_VERIFY(!m_viewer);
    m_prompts.shown.clear();
    m_dir.reset();
}

// ---- Help > Search topics ------------------------------------------------------

void TestHelpCommand::helpOpensViewerAtContents()
{
    const QString path = writeHelp(u"tolvo.hlp"_s, utf8(kSmallHelp));
    showHelp([&] { return path; });
    QVERIFY(m_prompts.shown.isEmpty());
    HelpViewer *viewer = m_viewer.data();
    QVERIFY(viewer);
    QVERIFY(viewer->isVisible());
    QVERIFY(viewer->windowTitle().startsWith(u"ヘルプ"_s));
    QCOMPARE(QFileInfo(viewer->filePath()), QFileInfo(path));
    QCOMPARE(viewer->currentAnchor(), u"top"_s);
    QCOMPARE(viewer->pages()->currentIndex(), 0);
    QVERIFY(viewer->textPane()->toPlainText().contains(u"最初のトピック。"_s));
    QVERIFY(!viewer->openFailureBox());

    // Asked again: the same one viewer.
    showHelp([&] { return path; });
    QCoreApplication::processEvents();
    QCOMPARE(helpViewers().size(), 1);
    QCOMPARE(m_viewer.data(), viewer);
    QVERIFY(m_prompts.shown.isEmpty());
}

void TestHelpCommand::helpOpensShippedFileByDefault()
{
    // The test runs from the program folder the build made, where the build
    // put tolvo.hlp: a main window that start-up gave no path opens the one
    // beside the program.
    const QString shipped = DataFilePath(u".hlp"_s);
    QVERIFY2(QFileInfo::exists(shipped), qPrintable(shipped));
    MainWindowFixture fixture;
    QVERIFY(fixture.loadDictionary(workedExampleLines()));
    frmMain &window = fixture.open();
    QCOMPARE(window.dataFiles().help, shipped);
    fixture.action(u"mnuHelpContents"_s)->trigger();
    QVERIFY(fixture.prompts.shown.isEmpty());
    const QList<HelpViewer *> viewers = helpViewers();
    QCOMPARE(viewers.size(), 1);
    HelpViewer *viewer = viewers.first();
    QVERIFY(!viewer->openFailureBox());
    QCOMPARE(QFileInfo(viewer->filePath()), QFileInfo(shipped));
    QVERIFY(viewer->document().topics.size() > 5);
    QCOMPARE(viewer->currentAnchor(), viewer->document().topics.first().anchor);
    window.close();
}

void TestHelpCommand::helpUnopenableFileReportedByViewer_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("reason");
    QTest::newRow("missing") << u"gone.hlp"_s << QByteArray() << u"見つかりません"_s;
    QTest::newRow("folder") << u"folder.hlp"_s << QByteArray() << u"フォルダー"_s;
    QTest::newRow("Windows help file") << u"win.hlp"_s
                                       << QByteArray("\x3f\x5f\x03\x00\xff\xff\xff\xff\x00\x00\x01\x00", 12)
                                       << u"形式"_s;
    QTest::newRow("HTML without topics") << u"plain.hlp"_s
                                         << QByteArray("<html><body><p>no headings</p></body></html>")
                                         << u"形式"_s;
    QTest::newRow("no file name") << QString() << QByteArray() << u"ファイル名"_s;
}

void TestHelpCommand::helpUnopenableFileReportedByViewer()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, reason);
    QString path;
    if (!name.isEmpty()) {
        path = m_dir->filePath(name);
        if (name == u"folder.hlp"_s)
            QVERIFY(QDir(m_dir->path()).mkdir(name));
        else if (name != u"gone.hlp"_s)
            writeHelp(name, bytes);
    }
    showHelp([&] { return path; });

    // No "エラー" box from the command: the viewer speaks for itself.
    QVERIFY(m_prompts.shown.isEmpty());
    HelpViewer *viewer = m_viewer.data();
    QVERIFY(viewer);
    QVERIFY(viewer->windowTitle().startsWith(u"ヘルプ"_s));
    QMessageBox *box = viewer->openFailureBox();
    QVERIFY(box);
    QVERIFY(box->isVisible());
    QCOMPARE(box->windowTitle(), u"ヘルプ"_s);
    QVERIFY(box->text().contains(u"を開けません。"_s));
    QVERIFY2(box->text().contains(reason), qPrintable(box->text()));
    if (!path.isEmpty())
        QVERIFY(box->text().contains(QDir::toNativeSeparators(path)));
    // It does not block the program: nothing application-modal is open.
    QCOMPARE(QApplication::activeModalWidget() == box, box->windowModality() != Qt::NonModal);
    QVERIFY(box->windowModality() != Qt::ApplicationModal);
    QVERIFY(viewer->textPane()->toPlainText().contains(u"を開けません。"_s));
    QVERIFY(viewer->document().topics.isEmpty());
    QCOMPARE(viewer->contentsTree()->topLevelItemCount(), 0);
}

void TestHelpCommand::helpStepErrorShowsErrorBox_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("description");
    QTest::newRow("run-time error") << 0 << u"インデックスが有効範囲にありません。"_s;
    QTest::newRow("standard exception") << 1 << u"path provider failed"_s;
    QTest::newRow("anything else") << 2 << u"内部エラーです。"_s;
}

void TestHelpCommand::helpStepErrorShowsErrorBox()
{
    QFETCH(int, kind);
    QFETCH(QString, description);
    showHelp([&]() -> QString {
        switch (kind) {
        case 0:
            throw RuntimeError::outOfRange();
        case 1:
            throw std::runtime_error("path provider failed");
        default:
            throw 42;
        }
    });
    QCOMPARE(m_prompts.shown.size(), 1);
    const PromptsDouble::Shown &shown = m_prompts.shown.first();
    QCOMPARE(shown.kind, PromptsDouble::Shown::Message);
    QCOMPARE(shown.title, u"エラー"_s);
    QCOMPARE(shown.text, description);
    QCOMPARE(shown.icon, Prompts::Icon::Error);
    // The failed step was skipped and the next ones still ran: the viewer was
    // asked, with no path, and said itself that it cannot open it.
    QVERIFY(m_viewer.data());
    QVERIFY(m_viewer.data()->openFailureBox());
}

void TestHelpCommand::helpViewerReloadsAndReturnsToContents()
{
    const QString path = writeHelp(u"tolvo.hlp"_s, utf8(kSmallHelp));
    showHelp([&] { return path; });
    HelpViewer *viewer = m_viewer.data();
    QVERIFY(viewer->showTopic(u"history"_s));
    viewer->pages()->setCurrentIndex(2);

    // The file replaced while the viewer is open: the next request shows the
    // new one, at its contents.
    QString changed = kSmallHelp;
    changed.replace(u"<title>テスト</title>"_s, u"<title>新版</title>"_s);
    writeHelp(u"tolvo.hlp"_s, utf8(changed));
    showHelp([&] { return path; });
    QCOMPARE(m_viewer.data(), viewer);
    QCOMPARE(viewer->windowTitle(), u"ヘルプ - 新版"_s);
    QCOMPARE(viewer->currentAnchor(), u"top"_s);
    QCOMPARE(viewer->pages()->currentIndex(), 0);

    // And a file that went missing meanwhile leaves nothing of the old one.
    QFile::remove(path);
    showHelp([&] { return path; });
    QVERIFY(viewer->openFailureBox());
    QVERIFY(viewer->document().keywords.isEmpty());
    QCOMPARE(viewer->keywordList()->count(), 0);
    QVERIFY(!viewer->textPane()->toPlainText().contains(u"最初のトピック"_s));
    QVERIFY(m_prompts.shown.isEmpty());
}

void TestHelpCommand::helpViewerClosesWithOwner()
{
    const QString path = writeHelp(u"tolvo.hlp"_s, utf8(kSmallHelp));
    showHelp([&] { return path; });
    QPointer<HelpViewer> viewer = m_viewer.data();
    QVERIFY(viewer);
    // The viewer does not keep the program alive on its own.
    QVERIFY(!viewer->testAttribute(Qt::WA_QuitOnClose));
    m_owner.reset();
    QTRY_VERIFY(viewer.isNull());
}

void TestHelpCommand::helpFromMainWindowMenu()
{
    const QString path = writeHelp(u"tolvo.hlp"_s, utf8(kSmallHelp));
    MainWindowFixture fixture;
    QVERIFY(fixture.loadDictionary(workedExampleLines()));
    frmMain &window = fixture.open(true);
    fixture.setDataFile(&DataFiles::help, path);
    QAction *contents = fixture.action(u"mnuHelpContents"_s);
    QVERIFY(contents);
    QTest::keyClick(&window, Qt::Key_F1);
    QCOMPARE(helpViewers().size(), 1);
    contents->trigger();
    QCoreApplication::processEvents();
    // The window's one viewer, on the path it was given.
    const QList<HelpViewer *> viewers = helpViewers();
    QCOMPARE(viewers.size(), 1);
    HelpViewer *viewer = viewers.first();
    QVERIFY(viewer->isVisible());
    QCOMPARE(QFileInfo(viewer->filePath()), QFileInfo(path));
    QVERIFY(!viewer->openFailureBox());
    QVERIFY(fixture.prompts.shown.isEmpty());
    window.close();
}

// ---- the viewer's pages ------------------------------------------------------

void TestHelpCommand::viewerContentsTree()
{
    HelpViewer viewer;
    QVERIFY(viewer.openFile(writeHelp(u"tolvo.hlp"_s, utf8(kSmallHelp))));
    const QTreeWidget *tree = viewer.contentsTree();
    // h2 topics hang under the h1 before them.
    QCOMPARE(tree->topLevelItemCount(), 1);
    QCOMPARE(tree->topLevelItem(0)->text(0), u"はじめに"_s);
    QCOMPARE(tree->topLevelItem(0)->childCount(), 2);
    QCOMPARE(tree->topLevelItem(0)->child(1)->text(0), u"履歴"_s);

    QVERIFY(viewer.showTopic(u"search"_s));
    QCOMPARE(viewer.currentAnchor(), u"search"_s);
    QCOMPARE(tree->currentItem()->text(0), u"答えを探す"_s);
    QVERIFY(!viewer.showTopic(u"nowhere"_s));
    QCOMPARE(viewer.currentAnchor(), u"search"_s);
}

void TestHelpCommand::viewerKeywordIndex()
{
    HelpViewer viewer;
    QVERIFY(viewer.openFile(writeHelp(u"tolvo.hlp"_s, utf8(kSmallHelp))));
    QStringList shown;
    for (int i = 0; i < viewer.keywordList()->count(); ++i)
        shown.append(viewer.keywordList()->item(i)->text());
    // Sorted; a keyword of two topics names the topic of each entry.
    QVERIFY(shown.contains(u"検索（答えを探す）"_s));
    QVERIFY(shown.contains(u"検索（履歴）"_s));
    QVERIFY(shown.contains(u"Ctrl+F"_s));
    QCOMPARE(shown.size(), 6);
    QCOMPARE(shown.first(), u"Ctrl+F"_s);

    const QList<QListWidgetItem *> items = viewer.keywordList()->findItems(u"読み込み"_s, Qt::MatchExactly);
    QCOMPARE(items.size(), 1);
    emit viewer.keywordList()->itemActivated(items.first());
    QCOMPARE(viewer.currentAnchor(), u"history"_s);
}

void TestHelpCommand::viewerKeywordFilter_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("current");
    QTest::addColumn<int>("visible");
    QTest::newRow("nothing typed") << QString() << u"Ctrl+F"_s << 6;
    QTest::newRow("prefix, any case") << u"ctrl"_s << u"Ctrl+F"_s << 1;
    QTest::newRow("prefix of two") << u"検索"_s << u"検索（答えを探す）"_s << 2;
    QTest::newRow("no prefix, so inside") << u"込"_s << u"読み込み"_s << 1;
    QTest::newRow("no match") << u"zzz"_s << QString() << 0;
}

void TestHelpCommand::viewerKeywordFilter()
{
    QFETCH(QString, typed);
    QFETCH(QString, current);
    QFETCH(int, visible);
    HelpViewer viewer;
    QVERIFY(viewer.openFile(writeHelp(u"tolvo.hlp"_s, utf8(kSmallHelp))));
    viewer.filterKeywords(typed);
    const QListWidget *list = viewer.keywordList();
    int shown = 0;
    for (int i = 0; i < list->count(); ++i)
        shown += list->item(i)->isHidden() ? 0 : 1;
    QCOMPARE(shown, visible);
    QCOMPARE(list->currentItem() ? list->currentItem()->text() : QString(), current);
}

void TestHelpCommand::viewerSearch()
{
    HelpViewer viewer;
    QVERIFY(viewer.openFile(writeHelp(u"tolvo.hlp"_s, utf8(kSmallHelp))));
    viewer.searchText(u"右クリック"_s);
    QCOMPARE(viewer.searchResults()->count(), 1);
    QCOMPARE(viewer.searchResults()->item(0)->text(), u"履歴"_s);
    emit viewer.searchResults()->itemActivated(viewer.searchResults()->item(0));
    QCOMPARE(viewer.currentAnchor(), u"history"_s);
    QCOMPARE(viewer.textPane()->textCursor().selectedText(), u"右クリック"_s);

    viewer.searchText(u"nothing-like-this"_s);
    QCOMPARE(viewer.searchResults()->count(), 0);
}

QTEST_MAIN(TestHelpCommand)
#include "tst_helpcommand.moc"
