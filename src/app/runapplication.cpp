#include "app/runapplication.h"
#include "app/datafile.h"
#include "dictionary/dictionary.h"
#include "settings/basparam.h"
#include "ui/frmmain.h"

using namespace Qt::StringLiterals;

StartupFiles DefaultStartupFiles()
{
    return {DataFilePath(u".dic"_s), DataFilePath(u".ini"_s), DataFilePath(u".hlp"_s), DataFilePath(u".words"_s)};
}

namespace basMain {

std::unique_ptr<frmMain> RunApplication(Prompts &prompts, const StartupFiles &files)
{
    // Whatever the settings file holds or lacks, start-up goes on.
    basParam::Store().load(files.settings);
    if (!LoadDictionaryFile(files.dictionary, Dictionary(), prompts))
        return nullptr;
    auto window = std::make_unique<frmMain>(prompts, Dictionary(), basParam::Store(), files.settings);
    WordList words;
    words.loadLater(files.words);
    window->setWords(std::move(words));
    window->setHelpFilePath(files.help);
    window->show();
    return window;
}

} // namespace basMain
