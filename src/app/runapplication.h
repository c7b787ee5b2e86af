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

namespace basMain {

// Start-up: stores the help-file path, loads the settings, then the
// dictionary, and only when the dictionary kept a line creates and shows the
// main window on the program's settings store and dictionary. Null when it
// did not: its message has been shown and the settings file is untouched.
std::unique_ptr<frmMain> RunApplication(Prompts &prompts, const StartupFiles &files = DefaultStartupFiles());

} // namespace basMain
