#include "platform/datafile.h"
#include "appinfo.h"

#include <QCoreApplication>

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

QString versionText(int major, int minor, int revision)
{
    return QString::number(major) + u'.' + QString::number(minor) + QStringLiteral(u" (Build: ")
        + QString::number(revision) + u')';
}

QString versionText()
{
    return versionText(appinfo::kVersionMajor, appinfo::kVersionMinor, appinfo::kVersionRevision);
}
