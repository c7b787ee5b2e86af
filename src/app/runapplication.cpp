#include "app/runapplication.h"
#include "platform/datafile.h"
#include "ui/frmmain.h"
#include "ui/helpabout.h"

using namespace Qt::StringLiterals;

StartupFiles defaultStartupFiles()
{
    return {DataFilePath(u".dic"_s), DataFilePath(u".ini"_s), DataFilePath(u".hlp"_s), DataFilePath(u".words"_s)};
}

ApplicationRun::ApplicationRun() = default;
ApplicationRun::~ApplicationRun() = default;

namespace basMain {

std::unique_ptr<ApplicationRun> RunApplication(Prompts &prompts, const StartupFiles &files)
{
    ::SetHelpFilePath(files.help);
    auto run = std::make_unique<ApplicationRun>();
    // Whatever the settings file holds or lacks, start-up goes on.
    basParam::LoadParams(run->settings, files.settings);
    if (!LoadDictionary(files.dictionary, run->dictionary, prompts))
        return run;
    run->window = std::make_unique<frmMain>(prompts, run->dictionary, run->settings, files.settings);
    WordList words;
    words.loadLater(files.words);
    run->window->setWords(std::move(words));
    run->window->show();
    return run;
}

} // namespace basMain
