#pragma once
#include <QByteArray>
#include <QFile>
#include <QString>
#include <unistd.h>

// The readers take paths, so each input goes through a scratch file in
// memory-backed /dev/shm when there is one.
inline QString scratchFile(const char *name, const uint8_t *data, size_t size)
{
    static const QString dir = QFile::exists(QStringLiteral("/dev/shm")) ? QStringLiteral("/dev/shm") : QStringLiteral("/tmp");
    const QString path = dir + u'/' + QString::fromLatin1(name) + u'-' + QString::number(getpid());
    QFile f(path);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(reinterpret_cast<const char *>(data), qint64(size));
    return path;
}
