#include "mkkanji.h"

#include <algorithm>
#include <map>

using namespace Qt::StringLiterals;

namespace mkkanji {

namespace {

bool isKana(QChar c)
{
    return (c.unicode() >= 0x3041 && c.unicode() <= 0x3096) || (c.unicode() >= 0x30A1 && c.unicode() <= 0x30FA);
}

} // namespace

QStringList readingLines(QStringView kanjidic)
{
    std::map<char16_t, QString> lines;
    for (QStringView line : kanjidic.tokenize(u'\n')) {
        if (line.endsWith(u'\r'))
            line.chop(1);
        if (line.size() < 2 || line[1] != u' ' || line[0].isSurrogate() || line.startsWith(u'#'))
            continue;
        QStringList readings;
        QString rank;
        for (QStringView field : line.mid(2).tokenize(u' ', Qt::SkipEmptyParts)) {
            if (field.startsWith(u'{') || field == u"T1" || field == u"T2")
                break;
            if (field.size() > 1 && field[0] == u'F' && field.mid(1).toUInt() > 0)
                rank = field.mid(1).toString();
            const QStringView bare = field.startsWith(u'-') ? field.mid(1) : field;
            if (!bare.isEmpty() && isKana(bare[0]) && !readings.contains(field))
                readings.append(field.toString());
        }
        if (!readings.isEmpty())
            lines[line[0].unicode()] = line[0] + u'\t' + readings.join(u' ') + u'\t' + rank;
    }
    QStringList out{u"# tolvo.kanji: kanji<TAB>readings<TAB>frequency rank, from KANJIDIC "
                    "(© EDRDG, CC BY-SA 3.0)"_s};
    for (const auto &[kanji, line] : lines)
        out.append(line);
    return out;
}

} // namespace mkkanji
