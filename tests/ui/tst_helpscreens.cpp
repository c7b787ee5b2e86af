// Pictures of the About box and the help viewer for the documentation.
// Skipped unless TOLVO_SCREENSHOT_DIR names the folder to write them to:
//   TOLVO_SCREENSHOT_DIR=docs xvfb-run -a build/bin/tst_helpscreens
#include "platform/datafile.h"
#include "promptsdouble.h"
#include "ui/frmabout.h"
#include "ui/helpabout.h"
#include "ui/helpviewer.h"

#include <QApplication>
#include <QDir>
#include <QTabWidget>
#include <QTest>

using namespace Qt::StringLiterals;

class TestHelpScreens : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void aboutBox();
    void helpViewer();

private:
    QDir m_out;
};

void TestHelpScreens::init()
{
    const QString dir = qEnvironmentVariable("TOLVO_SCREENSHOT_DIR");
    if (dir.isEmpty())
        QSKIP("TOLVO_SCREENSHOT_DIR is not set");
    m_out = QDir(dir);
    QVERIFY(m_out.exists());
}

void TestHelpScreens::aboutBox()
{
    QWidget owner;
    owner.resize(343, 358);
    owner.show();
    ShowAboutBox(&owner);
    frmAbout *box = owner.findChild<frmAbout *>();
    QVERIFY(box);
    QVERIFY(QTest::qWaitForWindowExposed(box));
    QVERIFY(box->grab().save(m_out.filePath(u"about-box.png"_s)));
    box->close();
}

void TestHelpScreens::helpViewer()
{
    PromptsDouble prompts;
    ShowHelpContents(nullptr, prompts);
    QVERIFY(prompts.shown.isEmpty());
    HelpViewer *viewer = HelpViewer::instance();
    QVERIFY(viewer && !viewer->openFailureBox());
    QVERIFY(QTest::qWaitForWindowExposed(viewer));
    viewer->pages()->setCurrentIndex(1);
    viewer->filterKeywords(u"履歴"_s);
    viewer->showTopic(u"history"_s);
    QVERIFY(viewer->grab().save(m_out.filePath(u"help-viewer.png"_s)));
    viewer->close();
}

QTEST_MAIN(TestHelpScreens)
#include "tst_helpscreens.moc"
