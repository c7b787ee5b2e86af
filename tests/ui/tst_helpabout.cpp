// Help > Search topics and Help > About: the one About box and its layout,
// the help command's error handling, and the help viewer that stands in for
// the Windows help engine.
#include "platform/datafile.h"
#include "mainwindowfixture.h"
#include "promptsdouble.h"
#include "platform/runtimeerror.h"
#include "tempfiles.h"
#include "ui/frmabout.h"
#include "ui/helpabout.h"
#include "ui/helpviewer.h"

#include <QApplication>
#include <QFontMetrics>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <QTreeWidget>

#include <memory>
#include <stdexcept>

using namespace Qt::StringLiterals;

namespace {

QList<frmAbout *> aboutBoxes()
{
    QList<frmAbout *> boxes;
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (auto *box = qobject_cast<frmAbout *>(w); box && box->isVisible())
            boxes.append(box);
    }
    return boxes;
}

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

class TestHelpAbout : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void aboutLayout_data();
    void aboutLayout();
    void aboutBoxAsLoaded();
    void aboutIsOneBox();
    void aboutCloses_data();
    void aboutCloses();
    void aboutReloadsLabels();
    void aboutCentredOverOwner_data();
    void aboutCentredOverOwner();
    void aboutClosesWithOwner_data();
    void aboutClosesWithOwner();
    void aboutFromMainWindowMenu();

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

    void showAbout() { showAboutBox(m_aboutBox, m_owner.get()); }
    void showHelp(const std::function<QString()> &readPath)
    {
        showHelpContents(m_viewer, m_owner.get(), m_prompts, readPath);
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<QWidget> m_owner;
    // What the main window holds: its one About box and its one help viewer.
    QPointer<frmAbout> m_aboutBox;
    QPointer<HelpViewer> m_viewer;
    PromptsDouble m_prompts;
};

void TestHelpAbout::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_owner = std::make_unique<QWidget>();
    m_owner->setWindowTitle(u"owner"_s);
    m_owner->setGeometry(120, 90, 343, 358);
    m_owner->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_owner.get()));
}

void TestHelpAbout::cleanup()
{
    for (frmAbout *box : aboutBoxes())
        box->close();
    for (HelpViewer *viewer : helpViewers())
        viewer->close();
    m_owner.reset();
    QTRY_VERIFY(aboutBoxes().isEmpty() && !m_viewer);
    m_prompts.shown.clear();
    m_dir.reset();
}

// ---- About box -------------------------------------------------------------

void TestHelpAbout::aboutLayout_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<QString>("family"); // labels only
    QTest::addColumn<qreal>("points");
    QTest::addColumn<int>("weight");
    QTest::addColumn<QColor>("colour");
    const QColor darkRed(128, 0, 0);
    QTest::newRow("cmdOK") << u"cmdOK"_s << QRect(80, 136, 87, 23) << QString() << 0.0 << 0 << QColor();
    QTest::newRow("picIcon") << u"picIcon"_s << QRect(16, 16, 32, 32) << QString() << 0.0 << 0 << QColor();
    QTest::newRow("lblCopyright") << u"lblCopyright"_s << QRect(16, 72, 209, 49) << u"ＭＳ Ｐゴシック"_s
                                  << 9.75 << int(QFont::Bold) << QColor(0, 0, 192);
    QTest::newRow("lblVersion") << u"lblVersion"_s << QRect(64, 40, 155, 15) << u"ＭＳ Ｐゴシック"_s
                                << 9.75 << int(QFont::Normal) << darkRed;
    QTest::newRow("lblTitle") << u"lblTitle"_s << QRect(64, 16, 157, 23) << u"ＭＳ ゴシック"_s << 12.0
                              << int(QFont::Bold) << darkRed;
}

void TestHelpAbout::aboutLayout()
{
    QFETCH(QString, name);
    QFETCH(QRect, geometry);
    QFETCH(QString, family);
    QFETCH(qreal, points);
    QFETCH(int, weight);
    QFETCH(QColor, colour);
    showAbout();
    const QList<frmAbout *> boxes = aboutBoxes();
    QCOMPARE(boxes.size(), 1);
    auto *control = boxes.first()->findChild<QWidget *>(name);
    QVERIFY2(control, qPrintable(name));
    QCOMPARE(control->geometry(), geometry);
    QVERIFY(control->isVisible());
    if (family.isEmpty())
        return;
    QCOMPARE(control->font().family(), family);
    QCOMPARE(control->font().pointSizeF(), points);
    QCOMPARE(int(control->font().weight()), weight);
    QCOMPARE(control->palette().color(QPalette::WindowText), colour);
    // The Windows face must map to an installed Japanese font, not to a
    // fallback that draws boxes.
    QVERIFY(QFontMetrics(control->font()).inFontUcs4(U'支'));
}

void TestHelpAbout::aboutBoxAsLoaded()
{
    showAbout();
    frmAbout *box = aboutBoxes().value(0);
    QVERIFY(box);
    QCOMPARE(box->windowTitle(), u"バージョン情報"_s);
    QCOMPARE(box->size(), QSize(241, 169));
    QCOMPARE(box->minimumSize(), box->maximumSize());
    const Qt::WindowFlags flags = box->windowFlags();
    QVERIFY(flags & Qt::WindowCloseButtonHint);
    QVERIFY(!(flags & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint
                       | Qt::WindowContextHelpButtonHint)));
    // Owned and not modal: no task-bar button, and the owner stays usable.
    QCOMPARE(box->parentWidget(), m_owner.get());
    QVERIFY(!box->isModal());
    QCOMPARE(QApplication::activeModalWidget(), nullptr);
    QCOMPARE(box->picIcon->pixmap().size(), QSize(32, 32));

    QCOMPARE(box->lblTitle->text(), u"ヴェルモラ支援"_s);
    QCOMPARE(box->lblVersion->text(), u"Version "_s + versionText());
    QCOMPARE(box->cmdOK->text(), u"確認(&C)"_s);
    QVERIFY(box->cmdOK->isDefault());
    QCOMPARE(box->focusWidget(), box->cmdOK);

    // Our notice first, then the credit the dictionary's licence asks for,
    // every line within the label in its bold face.
    const QStringList lines = box->lblCopyright->text().split(u'\n');
    QCOMPARE(lines.size(), 3);
    QVERIFY(lines[0].contains(u"tolvo"_s));
    const QString credit = lines[1] + u' ' + lines[2];
    for (const QString &part : {u"EDICT"_s, u"KANJIDIC"_s, u"EDRDG"_s, u"CC BY-SA 3.0"_s, u"UniDic (BSD)"_s})
        QVERIFY2(credit.contains(part), qPrintable(part));
    const QFontMetrics metrics(box->lblCopyright->font());
    for (const QString &line : lines)
        QVERIFY2(metrics.horizontalAdvance(line) <= box->lblCopyright->width(), qPrintable(line));
    QVERIFY(metrics.lineSpacing() * lines.size() <= box->lblCopyright->height());
    const QFontMetrics versionMetrics(box->lblVersion->font());
    QVERIFY(versionMetrics.horizontalAdvance(box->lblVersion->text()) <= box->lblVersion->width());
}

void TestHelpAbout::aboutIsOneBox()
{
    showAbout();
    QPointer<frmAbout> first = aboutBoxes().value(0);
    QVERIFY(first);
    showAbout();
    showAbout();
    QCoreApplication::processEvents();
    QCOMPARE(aboutBoxes().size(), 1);
    QCOMPARE(aboutBoxes().first(), first.data());
}

void TestHelpAbout::aboutCloses_data()
{
    // A key pressed on the focused button; no key: the button clicked, or
    // (false) the close box.
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("click");
    QTest::newRow("Return") << int(Qt::Key_Return) << false;
    QTest::newRow("keypad Enter") << int(Qt::Key_Enter) << false;
    QTest::newRow("Esc") << int(Qt::Key_Escape) << false;
    QTest::newRow("button") << 0 << true;
    QTest::newRow("close box") << 0 << false;
}

void TestHelpAbout::aboutCloses()
{
    QFETCH(int, key);
    QFETCH(bool, click);
    showAbout();
    QPointer<frmAbout> box = aboutBoxes().value(0);
    QVERIFY(box);
    if (key != 0)
        QTest::keyClick(box->cmdOK, Qt::Key(key));
    else if (click)
        QTest::mouseClick(box->cmdOK, Qt::LeftButton);
    else
        box->close();
    // Unloaded: gone, not merely hidden.
    QTRY_VERIFY(box.isNull());
    QVERIFY(m_owner->isVisible());
}

void TestHelpAbout::aboutReloadsLabels()
{
    showAbout();
    QPointer<frmAbout> first = aboutBoxes().value(0);
    QVERIFY(first);
    first->lblVersion->setText(u"changed"_s);
    first->lblCopyright->clear();
    QTest::keyClick(first->cmdOK, Qt::Key_Escape);
    QTRY_VERIFY(first.isNull());

    showAbout();
    frmAbout *second = aboutBoxes().value(0);
    QVERIFY(second);
    QCOMPARE(second->lblVersion->text(), u"Version "_s + versionText());
    QCOMPARE(second->lblCopyright->text(), copyrightText());
}

void TestHelpAbout::aboutCentredOverOwner_data()
{
    QTest::addColumn<QRect>("ownerGeometry");
    QTest::newRow("main window size") << QRect(120, 90, 343, 358);
    QTest::newRow("wide owner") << QRect(40, 60, 600, 300);
    QTest::newRow("owner hanging off the screen") << QRect(-400, -300, 343, 358);
}

void TestHelpAbout::aboutCentredOverOwner()
{
    QFETCH(QRect, ownerGeometry);
    m_owner->setGeometry(ownerGeometry);
    QCoreApplication::processEvents();
    showAbout();
    frmAbout *box = aboutBoxes().value(0);
    QVERIFY(box);
    QVERIFY(QTest::qWaitForWindowExposed(box));
    const QRect available = m_owner->screen()->availableGeometry();
    const QRect frame = box->frameGeometry();
    if (available.contains(m_owner->frameGeometry())) {
        const QPoint offset = frame.center() - m_owner->frameGeometry().center();
        QVERIFY2(offset.manhattanLength() <= 2,
                 qPrintable(u"off by %1, %2"_s.arg(offset.x()).arg(offset.y())));
    } else {
        // Kept where its title bar can be reached.
        QVERIFY(available.contains(frame));
    }
}

void TestHelpAbout::aboutClosesWithOwner_data()
{
    QTest::addColumn<bool>("destroyOwner");
    QTest::newRow("owner closed") << false;
    QTest::newRow("owner destroyed") << true;
}

void TestHelpAbout::aboutClosesWithOwner()
{
    QFETCH(bool, destroyOwner);
    showAbout();
    QPointer<frmAbout> box = aboutBoxes().value(0);
    QVERIFY(box);
    if (destroyOwner)
        m_owner.reset();
    else
        m_owner->close();
    QTRY_VERIFY(box.isNull());
    // And the next Help > About opens a box again.
    init();
    showAbout();
    QCOMPARE(aboutBoxes().size(), 1);
}

void TestHelpAbout::aboutFromMainWindowMenu()
{
    MainWindowFixture fixture;
    QVERIFY(fixture.loadDictionary(workedExampleLines()));
    frmMain &window = fixture.open();
    QAction *about = fixture.action(u"mnuHelpAbout"_s);
    QVERIFY(about);
    about->trigger();
    about->trigger();
    QCoreApplication::processEvents();
    QCOMPARE(aboutBoxes().size(), 1);
    QPointer<frmAbout> box = aboutBoxes().first();
    QCOMPARE(box->parentWidget(), &window);
    QTest::keyClick(box->cmdOK, Qt::Key_Return);
    QTRY_VERIFY(box.isNull());

    // Closing the main window takes an open About box with it.
    about->trigger();
    box = aboutBoxes().value(0);
    QVERIFY(box);
    window.close();
    QTRY_VERIFY(box.isNull());
    QVERIFY(fixture.prompts.shown.isEmpty());
}

// ---- Help > Search topics ------------------------------------------------------

void TestHelpAbout::helpOpensViewerAtContents()
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

void TestHelpAbout::helpOpensShippedFileByDefault()
{
    // The test runs from the program folder the build made, where the build
    // put tolvo.hlp: a main window that start-up gave no path opens the one
    // beside the program.
    const QString shipped = DataFilePath(u".hlp"_s);
    QVERIFY2(QFileInfo::exists(shipped), qPrintable(shipped));
    MainWindowFixture fixture;
    QVERIFY(fixture.loadDictionary(workedExampleLines()));
    frmMain &window = fixture.open();
    QCOMPARE(window.helpFilePath(), shipped);
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

void TestHelpAbout::helpUnopenableFileReportedByViewer_data()
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

void TestHelpAbout::helpUnopenableFileReportedByViewer()
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

void TestHelpAbout::helpStepErrorShowsErrorBox_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("description");
    QTest::newRow("run-time error") << 0 << u"インデックスが有効範囲にありません。"_s;
    QTest::newRow("standard exception") << 1 << u"path provider failed"_s;
    QTest::newRow("anything else") << 2 << u"内部エラーです。"_s;
}

void TestHelpAbout::helpStepErrorShowsErrorBox()
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

void TestHelpAbout::helpViewerReloadsAndReturnsToContents()
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

void TestHelpAbout::helpViewerClosesWithOwner()
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

void TestHelpAbout::helpFromMainWindowMenu()
{
    const QString path = writeHelp(u"tolvo.hlp"_s, utf8(kSmallHelp));
    MainWindowFixture fixture;
    QVERIFY(fixture.loadDictionary(workedExampleLines()));
    frmMain &window = fixture.open();
    window.setHelpFilePath(path);
    QAction *contents = fixture.action(u"mnuHelpContents"_s);
    QVERIFY(contents);
    contents->trigger();
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

void TestHelpAbout::viewerContentsTree()
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

void TestHelpAbout::viewerKeywordIndex()
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

void TestHelpAbout::viewerKeywordFilter_data()
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

void TestHelpAbout::viewerKeywordFilter()
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

void TestHelpAbout::viewerSearch()
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

QTEST_MAIN(TestHelpAbout)
#include "tst_helpabout.moc"
