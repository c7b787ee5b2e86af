#include "app/runapplication.h"
#include "platform/processsignals.h"
#include "ui/frmmain.h"
#include "ui/messageboxprompts.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    ignoreFileSizeSignal();
    pickInputMethodModule();
    QApplication app(argc, argv);
    installQtTranslation(app);
    MessageBoxPrompts prompts;
    const std::unique_ptr<ApplicationRun> run = basMain::RunApplication(prompts);
    if (!run->window)
        return 0;
    prompts.setOwner(run->window.get());
    return app.exec();
}
