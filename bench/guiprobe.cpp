// tolvo-guiprobe: the real program's start-up and search, timed from the
// inside for tolvo-bench. Never writes a settings file.
//   startup  print the monotonic clock (ns) when the main window is shown
//   search   print the median milliseconds of Edit > Search on the worked example
//   rss      print the peak resident set (MB) after one search
//   pad      print the milliseconds Edit > 漢字パッド takes to show the pad
//            with its model open, then the peak resident set (MB) after a
//            kanji drawn on it
#include "app/runapplication.h"
#include "monotonic.h"
#include "platform/datafile.h"
#include "platform/prompts.h"
#include "ui/frmmain.h"
#include "ui/handwritingcanvas.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QMouseEvent>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

double peakRssMb()
{
    QFile status(u"/proc/self/status"_s);
    if (status.open(QIODevice::ReadOnly))
        for (const QByteArray &line : status.readAll().split('\n'))
            if (line.startsWith("VmHWM:"))
                return line.mid(6).trimmed().split(' ').first().toDouble() / 1024.0;
    return -1;
}

class ShownProbe : public QObject
{
public:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Show && qobject_cast<frmMain *>(watched)) {
            printf("%lld\n", static_cast<long long>(monotonicNs()));
            fflush(stdout);
            std::_Exit(0);
        }
        return false;
    }
};

// 山 in three strokes, as mouse events.
void drawOn(QWidget *canvas)
{
    const QList<QList<QPoint>> strokes = {{{130, 40}, {130, 200}}, {{50, 90}, {50, 210}, {210, 210}}, {{210, 80}, {210, 210}}};
    for (const QList<QPoint> &stroke : strokes) {
        const auto send = [canvas](QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons held) {
            QMouseEvent event(type, at, canvas->mapToGlobal(at), button, held, Qt::NoModifier);
            QCoreApplication::sendEvent(canvas, &event);
        };
        send(QEvent::MouseButtonPress, stroke.first(), Qt::LeftButton, Qt::LeftButton);
        for (const QPoint &at : stroke)
            send(QEvent::MouseMove, at, Qt::NoButton, Qt::LeftButton);
        send(QEvent::MouseButtonRelease, stroke.last(), Qt::LeftButton, Qt::NoButton);
    }
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const QString mode = argc > 1 ? QString::fromLocal8Bit(argv[1]) : u"search"_s;
    QTemporaryDir scratch;
    StartupFiles files = defaultStartupFiles();
    files.settings = scratch.filePath(u"tolvo.ini"_s);   // defaults: the worked example in the boxes

    ShownProbe probe;
    if (mode == u"startup")
        app.installEventFilter(&probe);
    SilentPrompts prompts;
    const std::unique_ptr<ApplicationRun> run = basMain::RunApplication(prompts, files);
    if (!run->window)
        return 2;
    QAction *find = run->window->findChild<QAction *>(u"mnuEditFind"_s);
    if (mode == u"pad") {
        QElapsedTimer t;
        t.start();
        run->window->findChild<QAction *>(u"mnuEditKanjiPad"_s)->trigger();
        const double openMs = double(t.nsecsElapsed()) / 1e6;
        if (auto *canvas = run->window->findChild<HandwritingCanvas *>(); canvas && canvas->isVisible())
            drawOn(canvas);
        printf("%.3f %.1f\n", openMs, peakRssMb());
    } else if (mode == u"rss") {
        find->trigger();
        printf("%.1f\n", peakRssMb());
    } else {
        std::vector<double> ms;
        for (int i = 0; i < 41; ++i) {
            QElapsedTimer t;
            t.start();
            find->trigger();
            ms.push_back(double(t.nsecsElapsed()) / 1e6);
        }
        std::sort(ms.begin(), ms.end());
        printf("%.3f\n", ms[ms.size() / 2]);
    }
    fflush(stdout);
    std::_Exit(0);   // no unload: the probe must not write settings
}
