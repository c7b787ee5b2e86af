#include "app/runapplication.h"
#include "ui/frmmain.h"
#include "ui/messageboxprompts.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    pickInputMethodModule();
    QApplication app(argc, argv);
    InstallQtTranslation(app);
    MessageBoxPrompts prompts;
    const std::unique_ptr<frmMain> window = basMain::RunApplication(prompts);
    if (!window)
        return 0;
    prompts.setOwner(window.get());
    return app.exec();
}
