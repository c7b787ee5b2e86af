#include "platform/datafile.h"
#include "appinfo.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

using namespace Qt::StringLiterals;

QString ProductName()
{
    return QString::fromUtf16(appinfo::kProductName);
}

QString dataFilePathIn(const QString &directory, const QString &extension)
{
    QString path = directory;
    if (!path.endsWith(u'\\') && !path.endsWith(u'/'))
        path += directory.contains(u'\\') && !directory.contains(u'/') ? u'\\' : u'/';
    return path + ProductName() + extension;
}

QString DataFilePath(const QString &extension)
{
    return dataFilePathIn(QCoreApplication::applicationDirPath(), extension);
}

QString perUserSettingsFolder()
{
    QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (!QDir::isAbsolutePath(base))
        base = QDir::homePath() + u"/.config"_s;
    return QDir::cleanPath(base + u'/' + ProductName());
}

SettingsFiles settingsFilesFor(const QString &programDirectory)
{
    const QString beside = dataFilePathIn(programDirectory, u".ini"_s);
    // Root passes both tests, as an administrator on the original platform
    // wrote beside the program unredirected.
    if (QFileInfo(programDirectory).isWritable() || QFileInfo(beside).isWritable())
        return {beside, beside};
    const QString own = dataFilePathIn(perUserSettingsFolder(), u".ini"_s);
    return {QFileInfo::exists(own) ? own : beside, own};
}

SettingsFiles SettingsFilePaths()
{
    return settingsFilesFor(QCoreApplication::applicationDirPath());
}

void makeSettingsFolderFor(const QString &path)
{
    const QString folder = perUserSettingsFolder();
    if (QDir::cleanPath(QFileInfo(path).absolutePath()) != folder)
        return;
    QStringList missing;
    for (QString p = folder; !QFileInfo::exists(p) && !QDir(p).isRoot(); p = QFileInfo(p).path())
        missing.prepend(p);
    // What fails here fails the save that follows, which names the file.
    for (const QString &p : std::as_const(missing)) {
        if (!QDir().mkdir(p, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner))
            return;
    }
}

QString versionText(int major, int minor, int revision)
{
    return QString::number(major) + u'.' + QString::number(minor) + QStringLiteral(u" (Build: ")
        + QString::number(revision) + u')';
}

QString versionText()
{
    return versionText(appinfo::kVersionMajor, appinfo::kVersionMinor, appinfo::kVersionRevision);
}
