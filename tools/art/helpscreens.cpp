// Pictures of the About box and the help viewer for the documentation,
// written into OUT_DIR; screenshots.sh runs it under Xvfb:
//   tolvo-helpscreens OUT_DIR
#include "platform/datafile.h"
#include "ui/frmabout.h"
#include "ui/helpabout.h"
#include "ui/helpviewer.h"
#include "ui/messageboxprompts.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QTabWidget>
#include <QWindow>

#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

// Lets the window system draw widget's window; false when it never does.
bool waitExposed(QWidget *widget)
{
    QDeadlineTimer deadline(5000);
    while (!(widget->windowHandle() && widget->windowHandle()->isExposed())) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    }
    return true;
}

bool save(QWidget *widget, const QDir &out, const QString &name)
{
    const QString path = out.filePath(name);
    if (waitExposed(widget) && widget->grab().save(path))
        return true;
    std::fprintf(stderr, "tolvo-helpscreens: cannot write %s\n", qPrintable(path));
    return false;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 2 || !QDir(args[1]).exists()) {
        std::fprintf(stderr, "usage: tolvo-helpscreens OUT_DIR (an existing folder)\n");
        return 2;
    }
    const QDir out(args[1]);

    QWidget owner;
    owner.resize(343, 358);
    owner.show();
    QPointer<frmAbout> box;
    showAboutBox(box, &owner);
    const bool aboutSaved = save(box, out, u"about-box.png"_s);
    box->close();

    // The help file the build put beside this program; the viewer reports
    // a missing one in its own box, which would spoil the picture.
    MessageBoxPrompts prompts;
    QPointer<HelpViewer> viewer;
    showHelpContents(viewer, nullptr, prompts, [] { return DataFilePath(u".hlp"_s); });
    if (!viewer || viewer->openFailureBox()) {
        std::fprintf(stderr, "tolvo-helpscreens: cannot open %s\n", qPrintable(DataFilePath(u".hlp"_s)));
        return 1;
    }
    viewer->pages()->setCurrentIndex(1);
    viewer->filterKeywords(u"履歴"_s);
    viewer->showTopic(u"history"_s);
    const bool viewerSaved = save(viewer, out, u"help-viewer.png"_s);
    viewer->close();
    return aboutSaved && viewerSaved ? 0 : 1;
}
