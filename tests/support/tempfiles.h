#pragma once
#include "platform/cp932.h"

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

// Writes raw bytes to name inside dir and returns the full path.
inline QString writeBytes(const QTemporaryDir &dir, const QString &name, const QByteArray &bytes)
{
    const QString path = dir.filePath(name);
    QFile f(path);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(bytes);
    return path;
}

// Text in Shift_JIS: tests spell file contents in UTF-8 and convert here.
inline QByteArray sjis(const QString &text)
{
    QByteArray out;
    cp932::encode(text, &out);
    return out;
}
