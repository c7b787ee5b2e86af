#pragma once
#include "mkdic.h"

#include <QString>

// Text for one of tolvo-mkdic's readers: the input as EUC-JP when it is
// that, as the files are, else as UTF-8, so that mutations which break the
// encoding still reach the parser.
inline QString mkdicText(const uint8_t *data, size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    QString text;
    QString error;
    if (mkdic::decodeEucJp(bytes, &text, &error))
        return text;
    return QString::fromUtf8(bytes);
}

// What the builder writes must pass its own check: one line per head with
// at least one partner, each partner once, every character in code page 932.
inline bool buildsCleanly(const mkdic::DictionaryBuilder &builder)
{
    QByteArray bytes;
    QString error;
    const QStringList lines = builder.lines();
    if (!lines.isEmpty() && !mkdic::encodeDictionary(lines, &bytes, &error))
        return false;
    for (const QString &line : builder.wordLines()) {
        if (!line.startsWith(u'#') && (line.size() < 3 || line[2] != u'\t'))
            return false;
    }
    return true;
}

// A few entries of each source, for the targets that fuzz the other one.
inline const char16_t kSampleEdict[] = u"家出 [いえで] /(n,vs) running away from home/(P)/\n"
                                       u"出家 [しゅっけ] /(n,vs) entering the priesthood/(P)/\n"
                                       u"顔中 [かおじゅう] /(n) all over the face/\n"
                                       u"一概に [いちがいに] /(adv) unconditionally/(P)/\n"
                                       u"続出 [ぞくしゅつ] /(n,vs) appearing one after another/\n";
inline const char16_t kSampleKanjidic[] = u"出 3D50 U51fa F13 シュツ で.る だ.す {exit}\n"
                                          u"家 3248 U5bb6 F133 カ いえ や {house}\n"
                                          u"顔 3469 U9854 F676 ガン かお {face}\n";
