#include "app/runapplication.h"
#include "ui/frmmain.h"
#include "ui/messageboxprompts.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    installQtTranslation(app);
    MessageBoxPrompts prompts;
    const std::unique_ptr<frmMain> window = basMain::RunApplication(prompts);
    if (!window)
        return 0;
    prompts.setOwner(window.get());
    return app.exec();
}
