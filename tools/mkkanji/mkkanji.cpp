#include "mkkanji.h"

#include <algorithm>
#include <map>
#include <optional>
#include <utility>
#include <vector>

using namespace Qt::StringLiterals;

namespace mkkanji {

namespace {

bool isKana(QChar c)
{
    return (c.unicode() >= 0x3041 && c.unicode() <= 0x3096) || (c.unicode() >= 0x30A1 && c.unicode() <= 0x30FA);
}

// One KANJIDIC line's fields after the kanji, or none for a comment or a
// kanji outside the basic plane.
std::optional<QStringView> fieldsOf(QStringView line)
{
    if (line.endsWith(u'\r'))
        line.chop(1);
    if (line.size() < 2 || line[1] != u' ' || line[0].isSurrogate() || line.startsWith(u'#'))
        return std::nullopt;
    return line.mid(2);
}

// Union-find over the kanji and the codes that name them.
class Groups
{
public:
    int find(int x)
    {
        while (m_parent[x] != x)
            x = m_parent[x] = m_parent[m_parent[x]];
        return x;
    }
    void join(int a, int b) { m_parent[find(a)] = find(b); }
    int node(const QString &key)
    {
        const auto [it, added] = m_ids.try_emplace(key, int(m_parent.size()));
        if (added)
            m_parent.push_back(it->second);
        return it->second;
    }

private:
    std::map<QString, int> m_ids;
    std::vector<int> m_parent;
};

} // namespace

QStringList gradeLines(QStringView kanjidic)
{
    struct Facts {
        QString grade, rank;
    };
    std::map<char16_t, Facts> facts;
    Groups groups;
    for (QStringView line : kanjidic.tokenize(u'\n')) {
        const std::optional<QStringView> fields = fieldsOf(line);
        if (!fields)
            continue;
        const char16_t kanji = line[0].unicode();
        const int self = groups.node(QString(QChar(kanji)));
        Facts &f = facts[kanji];
        bool first = true;
        for (QStringView field : fields->tokenize(u' ', Qt::SkipEmptyParts)) {
            if (field.startsWith(u'{'))
                break;
            // The second field is the kanji's own JIS X 0208 code.
            if (std::exchange(first, false))
                groups.join(self, groups.node(u"J0"_s + field.toString().toUpper()));
            else if (field.size() > 1 && field[0] == u'G' && field.mid(1).toUInt() > 0)
                f.grade = field.mid(1).toString();
            else if (field.size() > 1 && field[0] == u'F' && field.mid(1).toUInt() > 0)
                f.rank = field.mid(1).toString();
            else if (field.size() > 3 && (field.startsWith(u"XJ0") || field.startsWith(u"XJ1")))
                groups.join(self, groups.node(field.mid(1, 2).toString() + field.mid(3).toString().toUpper()));
        }
    }
    std::map<int, QString> members;
    for (const auto &[kanji, f] : facts)
        members[groups.find(groups.node(QString(QChar(kanji))))] += QChar(kanji);
    QStringList out{u"# tolvo.grades: kanji<TAB>school grade<TAB>frequency rank<TAB>variant forms, from KANJIDIC "
                    "(© EDRDG, CC BY-SA 3.0)"_s};
    for (const auto &[kanji, f] : facts) {
        QString variants = members[groups.find(groups.node(QString(QChar(kanji))))];
        variants.remove(QChar(kanji));
        if (!f.grade.isEmpty() || !f.rank.isEmpty() || !variants.isEmpty())
            out.append(QChar(kanji) + u'\t' + f.grade + u'\t' + f.rank + u'\t' + variants);
    }
    return out;
}

QStringList readingLines(QStringView kanjidic)
{
    std::map<char16_t, QString> lines;
    for (QStringView line : kanjidic.tokenize(u'\n')) {
        const std::optional<QStringView> fields = fieldsOf(line);
        if (!fields)
            continue;
        QStringList readings;
        QString rank;
        for (QStringView field : fields->tokenize(u' ', Qt::SkipEmptyParts)) {
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
