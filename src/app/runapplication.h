#pragma once
#include <QString>
#include <memory>

class Prompts;
class frmMain;

// Where start-up finds the data files; by default beside the executable.
struct StartupFiles {
    QString dictionary;
    QString settings;
    QString help;
    QString words;   // optional: without it the candidates' tips list letters
};
StartupFiles DefaultStartupFiles();

// The Qt input-method plugin to start with: the IBus or fcitx that
// XMODIFIERS names, since Qt 6.4 asks only QT_IM_MODULE; empty when
// QT_IM_MODULE already chooses one or XMODIFIERS names neither.
QString inputMethodModule(QStringView qtImModule, QStringView xmodifiers);
// Sets QT_IM_MODULE from the environment as above; before the application object exists.
void pickInputMethodModule();

namespace basMain {

// Start-up: stores the help-file path, loads the settings, then the
// dictionary, and only when the dictionary kept a line creates and shows the
// main window on the program's settings store and dictionary. Null when it
// did not: its message has been shown and the settings file is untouched.
std::unique_ptr<frmMain> RunApplication(Prompts &prompts, const StartupFiles &files = DefaultStartupFiles());

} // namespace basMain
