#pragma once
#include "dictionary/dictionary.h"
#include "settings/basparam.h"
#include "ui/frmmain.h"

#include <QString>
#include <memory>

class Prompts;

// Where start-up finds the data files; by default beside the executable,
// the settings file perhaps per user (settingsFilesFor()).
struct StartupFiles {
    QString dictionary;
    QString settings;   // written when the window closes
    QString settingsToRead = {};   // read at start; empty: settings itself
    // The window's: a missing words file only leaves the candidates' tips listing letters.
    DataFiles data = frmMain::defaultDataFiles();
};
StartupFiles defaultStartupFiles();

// What one run of the program works on: the settings store and the
// dictionary, owned here, and the main window, which holds both by
// reference and so goes first.
struct ApplicationRun {
    ApplicationRun();
    ~ApplicationRun();
    ApplicationRun(const ApplicationRun &) = delete;
    ApplicationRun &operator=(const ApplicationRun &) = delete;

    SettingsStore settings;
    DictionaryStore dictionary;
    std::unique_ptr<frmMain> window;   // null when start-up opened none
};

// The Qt input-method plugin to start with: the IBus or fcitx that
// XMODIFIERS names, since Qt 6.4 asks only QT_IM_MODULE; empty when
// QT_IM_MODULE already chooses one or XMODIFIERS names neither.
QString inputMethodModule(QStringView qtImModule, QStringView xmodifiers);
// Sets QT_IM_MODULE from the environment as above; before the application object exists.
void pickInputMethodModule();

namespace basMain {

// Start-up: stores the help-file path, loads the settings, then the
// dictionary, and only when the dictionary kept a line creates and shows the
// main window on them. Without a window its message has been shown and the
// settings file is untouched.
std::unique_ptr<ApplicationRun> RunApplication(Prompts &prompts, const StartupFiles &files = defaultStartupFiles());

} // namespace basMain
