#include "app/runapplication.h"
#include "platform/datafile.h"

using namespace Qt::StringLiterals;

StartupFiles defaultStartupFiles()
{
    const SettingsFiles settings = SettingsFilePaths();
    return {DataFilePath(u".dic"_s), settings.write, settings.read};
}

QString inputMethodModule(QStringView qtImModule, QStringView xmodifiers)
{
    if (!qtImModule.trimmed().isEmpty())
        return {};
    // X locale modifiers: "@im=ibus", possibly among others such as "@foo=bar@im=fcitx".
    const qsizetype at = xmodifiers.indexOf(u"@im=");
    if (at < 0)
        return {};
    QStringView server = xmodifiers.mid(at + 4);
    server = server.left(server.indexOf(u'@')).trimmed();
    if (server.compare(u"ibus", Qt::CaseInsensitive) == 0)
        return u"ibus"_s;
    // fcitx5's Qt 6 plugin answers to "fcitx" too; fcitx 4 has none for Qt 6.
    if (server.compare(u"fcitx", Qt::CaseInsensitive) == 0 || server.compare(u"fcitx5", Qt::CaseInsensitive) == 0)
        return u"fcitx"_s;
    return {};
}

void pickInputMethodModule()
{
    const QString module = inputMethodModule(qEnvironmentVariable("QT_IM_MODULE"), qEnvironmentVariable("XMODIFIERS"));
    if (!module.isEmpty())
        qputenv("QT_IM_MODULE", module.toLatin1());
}

ApplicationRun::ApplicationRun() = default;
ApplicationRun::~ApplicationRun() = default;

namespace basMain {

std::unique_ptr<ApplicationRun> RunApplication(Prompts &prompts, const StartupFiles &files)
{
    auto run = std::make_unique<ApplicationRun>();
    // Whatever the settings file holds or lacks, start-up goes on.
    basParam::LoadParams(run->settings, files.settingsToRead.isEmpty() ? files.settings : files.settingsToRead);
    if (!LoadDictionary(files.dictionary, run->dictionary, prompts))
        return run;
    run->window = std::make_unique<frmMain>(prompts, run->dictionary, run->settings, files.settings);
    WordList words;
    words.loadLater(files.data.words);
    run->window->setWords(std::move(words));
    run->window->setDataFiles(files.data);
    run->window->show();
    return run;
}

} // namespace basMain
