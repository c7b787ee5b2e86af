#include "ui/helpabout.h"

#include "platform/prompts.h"
#include "platform/runtimeerror.h"
#include "ui/frmabout.h"
#include "ui/helpviewer.h"

#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QPointer>

#include <new>

using namespace Qt::StringLiterals;

namespace {

// The last failure of a run of steps; number 0 means none.
struct RecordedError
{
    int number = 0;
    QString description;
};

// Runs one step; a failure is recorded and the caller goes on.
template<typename Step>
void runStep(RecordedError &error, Step step)
{
    try {
        step();
    } catch (const RuntimeError &e) {
        error = {e.number(), e.description()};
    } catch (const std::bad_alloc &) {
        error = {7, u"メモリが不足しています。"_s};
    } catch (const std::exception &e) {
        error = {5, QString::fromLocal8Bit(e.what())};
    } catch (...) {
        error = {51, u"内部エラーです。"_s};
    }
}

// Closes the About box when its owner is closed or hidden by the program.
// A minimised owner hides spontaneously and leaves the box alone.
class OwnerWatcher : public QObject
{
public:
    OwnerWatcher(QWidget *owner, QWidget *box) : QObject(box), m_box(box)
    {
        owner->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Hide && !event->spontaneous() && m_box)
            m_box->close();
        return false;
    }

private:
    QPointer<QWidget> m_box;
};

} // namespace

void showHelpContents(QPointer<HelpViewer> &viewer, QWidget *owner, Prompts &prompts,
                      const std::function<QString()> &readHelpFilePath)
{
    RecordedError error;
    QPointer<QWidget> window;
    QString path;
    runStep(error, [&] { window = owner ? owner->window() : nullptr; });
    runStep(error, [&] { path = readHelpFilePath(); });
    // The viewer names the file in its messages: give it the full path.
    runStep(error, [&] {
        if (!path.isEmpty())
            path = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    });
    runStep(error, [&] {
        HelpViewer::showContents(viewer, path);
        // The help goes away with the window that asked for it.
        if (window)
            QObject::connect(window, &QObject::destroyed, viewer.data(), &QWidget::close,
                             Qt::UniqueConnection);
    });
    if (error.number != 0)
        prompts.message(u"エラー"_s, error.description, Prompts::Icon::Error);
}

void showAboutBox(QPointer<frmAbout> &box, QWidget *owner)
{
    if (!box) {
        QWidget *window = owner ? owner->window() : nullptr;
        box = new frmAbout(window);
        if (window)
            new OwnerWatcher(window, box);
    }
    box->show();
    box->raise();
    box->activateWindow();
}
