#include "mkdic.h"

#include "platform/cp932.h"
#include "platform/textfile.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>

#include <algorithm>
#include <cerrno>
#include <cstring>
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

// Whether the entry's first sense is tagged a suffix: "/(n,pref,suf) (1) ..."
// for 中 [ちゅう], but not 座 [ざ], a seat first and a suffix only in sense 6.
bool firstSenseIsSuffix(QStringView rest)
{
    const qsizetype open = rest.indexOf(u"/(");
    const qsizetype close = open >= 0 ? rest.indexOf(u')', open) : -1;
    if (close < 0)
        return false;
    for (QStringView tag : rest.mid(open + 2, close - open - 2).tokenize(u','))
        if (tag == u"suf" || tag == u"n-suf")
            return true;
    return false;
}

bool isHiragana(QStringView s)
{
    return !s.isEmpty() && std::all_of(s.begin(), s.end(), [](QChar c) {
        return c.unicode() >= 0x3041 && c.unicode() <= 0x3096;
    });
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

bool writeWhole(const QString &path, const QByteArray &bytes, QString *error)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size() || !out.commit()) {
        *error = u"cannot write "_s + path + u": "_s + out.errorString();
        return false;
    }
    return true;
}

bool readInputFile(const QString &path, QByteArray *bytes, QString *why)
{
    textfile::FileError error;
    if (textfile::readBytes(path, 0, bytes, &error) == textfile::ReadStatus::Done)
        return true;
    // The file layer's descriptions are Japanese, for the program's users;
    // the build's messages are English. EINVAL is its refusal of a FIFO or
    // a device.
    *why = error.number == EINVAL ? u"not a regular file (a FIFO or a device)"_s
                                  : QString::fromLocal8Bit(std::strerror(error.number));
    return false;
}

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
    const QStringView rest = line.mid(space);
    // "(P)" as a gloss of its own marks a common word; a "(P)" inside a gloss
    // (the chemical symbol, "RZ(P)") does not.
    const bool common = rest.contains(u"/(P)/");
    const bool rare = rest.contains(u"(ok)") || rest.contains(u"(ik)");
    QString reading;
    const qsizetype open = rest.indexOf(u'['), close = rest.indexOf(u']');
    if (open >= 0 && close > open) {
        for (QChar c : rest.mid(open + 1, close - open - 1)) {
            if (c == u'(')
                break;
            // Katakana readings in hiragana, so that all read alike.
            reading += c.unicode() >= 0x30A1 && c.unicode() <= 0x30F6 ? QChar(c.unicode() - 0x60) : c;
        }
    }
    for (QStringView word : line.left(space).tokenize(u';')) {
        // Drop annotations such as "(iK)" or "(P)" after the headword.
        const qsizetype paren = word.indexOf(u'(');
        if (paren >= 0)
            word.truncate(paren);
        if (word.size() == 1 && common && !rare && !reading.isEmpty()) {
            const QString key = word.toString() + reading;
            m_commonWords.insert(key);
            if (firstSenseIsSuffix(rest))
                m_commonSuffixes.insert(key);
            continue;
        }
        const bool trailing = word.size() == 3 && QStringView(u"にとの").contains(word[2]);
        if (word.size() != 2 && !trailing)
            continue;
        const char16_t a = word[0].unicode();
        const char16_t b = word[1].unicode();
        // A doubled kanji (人人 for 人々) would make a kanji its own partner,
        // and a letter can never be its own answer.
        if (a == b || !usable(a) || !usable(b))
            continue;
        QString own = reading;
        if (trailing && own.endsWith(word[2]))
            own.chop(1);
        m_entries.push_back({a, b, common, rare, trailing, own});
    }
}

bool DictionaryBuilder::addWordCosts(QStringView text, QString *error)
{
    qsizetype lineNo = 0;
    qint64 announced = -1;
    qint64 found = 0;
    const auto bad = [&](const QString &why) {
        *error = u"line "_s + QString::number(lineNo) + u": "_s + why;
        m_costs.clear();
        return false;
    };
    if (!text.isEmpty() && !text.endsWith(u'\n')) {
        lineNo = text.count(u'\n') + 1;
        return bad(u"truncated: the last line has no line end"_s);
    }
    const qsizetype lineEnds = text.count(u'\n');
    for (QStringView line : text.split(u'\n')) {
        ++lineNo;
        if (line.endsWith(u'\r'))
            line.chop(1);
        // The empty piece after the last line end is no line.
        if (line.startsWith(u'#') || lineNo > lineEnds)
            continue;
        const qsizetype tab = line.indexOf(u'\t');
        bool ok = tab > 0;
        const QStringView key = line.left(tab);
        const qint64 value = ok ? line.mid(tab + 1).toLongLong(&ok) : 0;
        if (announced < 0) {
            if (!ok || key != u"words" || value < 0)
                return bad(u"expected the header \"words<TAB>count\""_s);
            announced = value;
            continue;
        }
        if (!ok || key.size() != 2 || value < std::numeric_limits<qint32>::min() || value >= kNoCost)
            return bad(u"expected \"word<TAB>cost\" with a two-character word and a whole-number cost"_s);
        if (++found > announced)
            return bad(u"more words than the header's "_s + QString::number(announced));
        const quint32 k = quint32(key[0].unicode()) << 16 | key[1].unicode();
        const auto it = m_costs.constFind(k);
        if (it == m_costs.cend() || *it > value)
            m_costs.insert(k, qint32(value));
    }
    if (announced < 0)
        return bad(u"no header \"words<TAB>count\": is this a word-cost table?"_s);
    if (found < announced)
        return bad(u"truncated: the header announces "_s + QString::number(announced) + u" words, "_s
                   + QString::number(found) + u" follow"_s);
    m_haveCosts = true;
    return true;
}

qint32 DictionaryBuilder::cost(char16_t first, char16_t second) const
{
    return m_costs.value(quint32(first) << 16 | second, kNoCost);
}

bool DictionaryBuilder::readsAsWordAndSuffix(EntryIterator first, EntryIterator last) const
{
    // The lexicon splits 顔中 into 顔 and the suffix 中, so it has no cost
    // for it; a native first half keeps out on-read rarities such as 医会.
    for (auto e = first; e != last; ++e) {
        for (qsizetype i = 1; i < e->reading.size(); ++i) {
            const QString word = QChar(e->first) + e->reading.left(i);
            if (m_nativeReadings.contains(word) && m_commonWords.contains(word)
                && m_commonSuffixes.contains(QChar(e->second) + e->reading.mid(i)))
                return true;
        }
    }
    return false;
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
            // A noun's reading has no okurigana (not "い.やす"); "-うえ" is
            // the same reading used as a suffix.
            QStringView stem = field;
            while (stem.startsWith(u'-'))
                stem = stem.mid(1);
            while (stem.endsWith(u'-'))
                stem.chop(1);
            if (isHiragana(stem))
                m_nativeReadings.insert(QChar(kanji) + stem.toString());
            if (field.size() < 2 || field[0] != u'F')
                continue;
            bool ok = false;
            const uint rank = field.mid(1).toUInt(&ok);
            if (ok && rank > 0)
                m_rank[kanji] = std::min<quint32>(m_rank[kanji], rank);
        }
    });
}

std::vector<DictionaryBuilder::Word> DictionaryBuilder::words() const
{
    std::vector<Entry> entries = m_entries;
    std::stable_sort(entries.begin(), entries.end(), [](const Entry &x, const Entry &y) {
        return std::tie(x.first, x.second) < std::tie(y.first, y.second);
    });
    std::vector<Word> out;
    for (auto first = entries.begin(); first != entries.end();) {
        const auto last = std::find_if(first, entries.end(), [first](const Entry &e) {
            return e.first != first->first || e.second != first->second;
        });
        // 一概に counts only while 一概 has no entry of its own.
        const auto alone = [](const Entry &e) { return !e.trailingKana; };
        const auto end = std::any_of(first, last, alone) ? std::stable_partition(first, last, alone) : last;
        Word word{first->first, first->second, false, {}};
        for (auto it = first; it != end; ++it)
            word.common = word.common || it->common;
        // Words with no evidence of use (not common, unknown to the corpus)
        // only let rare readings make rival answers.
        if (word.common || !m_haveCosts || cost(word.first, word.second) != kNoCost
            || readsAsWordAndSuffix(first, end)) {
            // Readings of common entries first; irregular or out-dated ones
            // only when there is nothing else.
            for (int pass = 0; pass < 3; ++pass) {
                for (auto it = first; it != end; ++it) {
                    const bool wanted = pass == 0 ? it->common && !it->rareReading
                                      : pass == 1 ? !it->common && !it->rareReading
                                                  : word.readings.isEmpty() && it->rareReading;
                    if (wanted && !it->reading.isEmpty() && !word.readings.contains(it->reading))
                        word.readings += it->reading;
                }
            }
            out.push_back(std::move(word));
        }
        first = last;
    }
    std::stable_sort(out.begin(), out.end(), [this](const Word &x, const Word &y) {
        return std::make_tuple(!x.common, cost(x.first, x.second)) < std::make_tuple(!y.common, cost(y.first, y.second));
    });
    return out;
}

QStringList DictionaryBuilder::wordLines() const
{
    QStringList out{u"# Two-kanji words of tolvo.dic, most common first: word<TAB>readings[<TAB>P for EDICT's common words]"_s};
    for (const Word &w : words())
        out += QString(QChar(w.first)) + QChar(w.second) + u'\t' + w.readings.join(u'・') + (w.common ? u"\tP" : u"");
    return out;
}

QStringList DictionaryBuilder::lines() const
{
    struct Link {
        char16_t head;
        char16_t partner;
        bool common;
    };
    std::vector<Link> links;
    for (const Word &w : words()) {
        links.push_back({w.first, w.second, w.common});
        links.push_back({w.second, w.first, w.common});
    }
    // One link per (head, partner), common when any word joining them is.
    std::sort(links.begin(), links.end(), [](const Link &x, const Link &y) {
        return std::make_tuple(x.head, x.partner, !x.common) < std::make_tuple(y.head, y.partner, !y.common);
    });
    links.erase(std::unique(links.begin(), links.end(),
                            [](const Link &x, const Link &y) {
                                return x.head == y.head && x.partner == y.partner;
                            }),
                links.end());

    // The more common of the two spellings speaks for the pair.
    const auto key = [this](const Link &l) {
        return std::make_tuple(!l.common, std::min(cost(l.head, l.partner), cost(l.partner, l.head)),
                               m_rank[l.partner], l.partner);
    };
    QStringList out;
    for (auto first = links.begin(); first != links.end();) {
        auto last = std::find_if(first, links.end(),
                                 [head = first->head](const Link &l) { return l.head != head; });
        std::sort(first, last, [&key](const Link &x, const Link &y) { return key(x) < key(y); });
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
    // The search counts every line of a letter and every repeat on it: a
    // second line for a head, or a partner listed twice, would count twice.
    QSet<QChar> heads;
    for (qsizetype n = 0; n < lines.size(); ++n) {
        const QString &line = lines[n];
        const QString where = u"line "_s + QString::number(n + 1) + u": "_s;
        if (line.size() < 2) {
            *error = where + u"a head without partners"_s;
            return false;
        }
        if (heads.contains(line[0])) {
            *error = where + u"a second line for the head "_s + line[0];
            return false;
        }
        heads.insert(line[0]);
        QSet<QChar> partners;
        for (QChar partner : QStringView(line).sliced(1)) {
            if (partners.contains(partner)) {
                *error = where + u"the partner "_s + partner + u" twice under "_s + line[0];
                return false;
            }
            partners.insert(partner);
        }
    }
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
