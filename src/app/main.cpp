#include "app/runapplication.h"
#include "platform/processsignals.h"
#include "ui/formsteps.h"
#include "ui/frmmain.h"
#include "ui/messageboxprompts.h"

int main(int argc, char *argv[])
{
    ignoreFileSizeSignal();
    pickInputMethodModule();
    // Every event passes the same edge as our handlers: a failure in Qt's
    // own code is reported, and the program goes on.
    EdgeApplication app(argc, argv);
    installQtTranslation(app);
    MessageBoxPrompts prompts;
    edgePrompts() = &prompts;
    std::unique_ptr<ApplicationRun> run;
    // Start-up that runs out of memory says so and ends.
    atEdge([&] { run = basMain::RunApplication(prompts); });
    if (!run)
        return 1;
    if (!run->window)
        return 0;
    prompts.setOwner(run->window.get());
    int status = 1;
    bool ended = false;
    atEdge([&] {
        status = app.exec();
        ended = true;
    });
    // Whatever escaped between two events has ended the event loop, and
    // been reported: the run's history is kept all the same.
    if (!ended)
        atEdge([&] { run->window->close(); });
    return status;
}
