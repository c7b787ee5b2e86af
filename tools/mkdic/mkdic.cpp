#include "mkdic.h"

#include "platform/cp932.h"

#include <QStringDecoder>

#include <algorithm>
#include <tuple>

using namespace Qt::StringLiterals;

namespace mkdic {
namespace {

// CJK unified ideographs that code page 932 can hold: all lie in the BMP,
// so a two-kanji word we can write is exactly two UTF-16 code units. The
// iteration mark 々 and 〆 〇 are not unified ideographs and stay out.
bool isUnifiedIdeograph(char16_t c)
{
    if ((c >= 0x3400 && c <= 0x4DBF) || (c >= 0x4E00 && c <= 0x9FFF))
        return true;
    // The twelve unified ideographs inside the compatibility block
    // (IBM extension kanji such as 﨑).
    switch (c) {
    case 0xFA0E: case 0xFA0F: case 0xFA11: case 0xFA13: case 0xFA14: case 0xFA1F:
    case 0xFA21: case 0xFA23: case 0xFA24: case 0xFA27: case 0xFA28: case 0xFA29:
        return true;
    default:
        return false;
    }
}

template <typename F>
void forEachLine(QStringView text, F &&onLine)
{
    for (QStringView line : text.tokenize(u'\n')) {
        if (line.endsWith(u'\r'))
            line.chop(1);
        onLine(line);
    }
}

} // namespace

bool decodeEucJp(QByteArrayView bytes, QString *text, QString *error)
{
    // Stateless, so that a multi-byte character cut off at the end of the
    // file counts as an error instead of waiting for more input.
    QStringDecoder decoder("EUC-JP", QStringDecoder::Flag::Stateless);
    if (!decoder.isValid()) {
        *error = u"this Qt has no EUC-JP converter (it needs ICU)"_s;
        return false;
    }
    *text = decoder.decode(bytes);
    if (decoder.hasError()) {
        // ICU puts SUB (U+001A) where a byte sequence did not decode.
        const qsizetype at = text->indexOf(QChar(0x1A));
        *error = u"the file is not valid EUC-JP"_s;
        if (at >= 0)
            *error += u" (line "_s + QString::number(QStringView(*text).left(at).count(u'\n') + 1) + u')';
        text->clear();
        return false;
    }
    return true;
}

DictionaryBuilder::DictionaryBuilder()
    : m_rank(65536, kUnranked)
{
}

bool DictionaryBuilder::usable(char16_t c)
{
    quint8 &known = m_usable[c];
    if (known == 0) {
        QByteArray unused;
        const bool ok = isUnifiedIdeograph(c) && cp932::encode(QStringView(&c, 1), &unused);
        known = ok ? 1 : 2;
    }
    return known == 1;
}

void DictionaryBuilder::addEdict(QStringView text)
{
    forEachLine(text, [this](QStringView line) { addEdictLine(line); });
}

void DictionaryBuilder::addEdictLine(QStringView line)
{
    const qsizetype space = line.indexOf(u' ');
    if (space <= 0 || line.startsWith(u'#'))
        return;
    // "(P)" as a gloss of its own marks a common word; a "(P)" inside a gloss
    // (the chemical symbol, "RZ(P)") does not.
    const bool common = line.mid(space).contains(u"/(P)/");
    for (QStringView word : line.left(space).tokenize(u';')) {
        // Drop annotations such as "(iK)" or "(P)" after the headword.
        const qsizetype paren = word.indexOf(u'(');
        if (paren >= 0)
            word.truncate(paren);
        if (word.size() != 2)
            continue;
        const char16_t a = word[0].unicode();
        const char16_t b = word[1].unicode();
        // A doubled kanji (人人 for 人々) would make a kanji its own partner,
        // and a letter can never be its own answer.
        if (a == b || !usable(a) || !usable(b))
            continue;
        m_links.push_back({a, b, common});
        m_links.push_back({b, a, common});
    }
}

void DictionaryBuilder::addKanjidic(QStringView text)
{
    forEachLine(text, [this](QStringView line) {
        if (line.size() < 2 || line.startsWith(u'#') || line[1] != u' ')
            return;
        const char16_t kanji = line[0].unicode();
        for (QStringView field : line.mid(2).tokenize(u' ')) {
            if (field.startsWith(u'{'))
                break;   // the English meanings follow; none of them is a code
            if (field.size() < 2 || field[0] != u'F')
                continue;
            bool ok = false;
            const uint rank = field.mid(1).toUInt(&ok);
            if (ok && rank > 0)
                m_rank[kanji] = std::min<quint32>(m_rank[kanji], rank);
        }
    });
}

QStringList DictionaryBuilder::lines() const
{
    // One link per (head, partner), common when any word joining them is.
    std::vector<Link> links = m_links;
    std::sort(links.begin(), links.end(), [](const Link &x, const Link &y) {
        return std::make_tuple(x.head, x.partner, !x.common) < std::make_tuple(y.head, y.partner, !y.common);
    });
    links.erase(std::unique(links.begin(), links.end(),
                            [](const Link &x, const Link &y) {
                                return x.head == y.head && x.partner == y.partner;
                            }),
                links.end());

    const auto mostCommonFirst = [this](const Link &x, const Link &y) {
        return std::make_tuple(!x.common, m_rank[x.partner], x.partner)
             < std::make_tuple(!y.common, m_rank[y.partner], y.partner);
    };
    QStringList out;
    for (auto first = links.begin(); first != links.end();) {
        auto last = std::find_if(first, links.end(),
                                 [head = first->head](const Link &l) { return l.head != head; });
        std::sort(first, last, mostCommonFirst);
        QString line;
        line.reserve(1 + (last - first));
        line += QChar(first->head);
        for (auto it = first; it != last; ++it)
            line += QChar(it->partner);
        out += line;
        first = last;
    }
    return out;
}

bool encodeDictionary(const QStringList &lines, QByteArray *bytes, QString *error)
{
    QString text;
    for (const QString &line : lines)
        text += line + u"\r\n";
    QString bad;
    if (!cp932::encode(text, bytes, &bad)) {
        QString why;
        *error = cp932::available(&why) ? u"code page 932 has no code for "_s + bad : why;
        return false;
    }
    return true;
}

} // namespace mkdic
