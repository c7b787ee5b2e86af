#include "kanjipad/kanjireadings.h"
#include "kanjipad/romaji.h"
#include "platform/textfile.h"

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

bool isKatakana(QChar c)
{
    return c.unicode() >= 0x30A1 && c.unicode() <= 0x30F6;
}

QString katakanaToHiragana(QString text)
{
    for (QChar &c : text) {
        if (isKatakana(c))
            c = QChar(c.unicode() - 0x60);
    }
    return text;
}

} // namespace

QString typedReadingToHiragana(QStringView typed, bool *incomplete)
{
    // Full-width romaji and half-width katakana become their plain forms.
    QString text = typed.toString().normalized(QString::NormalizationForm_KC).toLower();
    text.removeIf([](QChar c) { return c.isSpace() || c == u'-' || c == u'.' || c == u'ー'; });
    return romajiToHiragana(katakanaToHiragana(text), incomplete);
}

bool KanjiReadings::load(const QString &path)
{
    // Opened without waiting and only as a regular file: a FIFO or a
    // device here must not hang the pad.
    QByteArray bytes;
    if (textfile::readBytes(path, 0, &bytes) != textfile::ReadStatus::Done) {
        loadText({});
        return false;
    }
    loadText(QString::fromUtf8(bytes));
    return true;
}

void KanjiReadings::loadText(QStringView text)
{
    m_entries.clear();
    m_keys.clear();
    for (QStringView line : text.tokenize(u'\n')) {
        if (line.endsWith(u'\r'))
            line.chop(1);
        const QList<QStringView> fields = line.split(u'\t');
        if (fields.size() != 3 || fields[0].size() != 1 || fields[0][0] == u'#')
            continue;
        Entry entry{fields[0][0], fields[2].toUInt(), {}, {}};
        for (QStringView reading : fields[1].tokenize(u' ', Qt::SkipEmptyParts)) {
            QStringView bare = reading;
            while (bare.startsWith(u'-'))
                bare = bare.mid(1);
            (!bare.isEmpty() && isKatakana(bare[0]) ? entry.on : entry.kun).append(reading.toString());
        }
        if (!entry.on.isEmpty() || !entry.kun.isEmpty())
            m_entries.push_back(std::move(entry));
    }
    std::stable_sort(m_entries.begin(), m_entries.end(),
                     [](const Entry &a, const Entry &b) { return a.kanji < b.kanji; });
    for (qsizetype n = 0; n < qsizetype(m_entries.size()); ++n) {
        for (const QString &reading : m_entries[n].on + m_entries[n].kun) {
            // A bound form (かわ- of 代) is no word a player would type whole.
            const bool affix = reading.startsWith(u'-') || reading.endsWith(u'-');
            m_keys.push_back({katakanaToHiragana(reading).remove(u'-').remove(u'.'), !affix, n});
        }
    }
}

QList<QChar> KanjiReadings::lookup(QStringView typed, const std::function<bool(QChar)> &accept) const
{
    bool incomplete = false;
    const QString reading = typedReadingToHiragana(typed, &incomplete);
    if (reading.isEmpty())
        return {};
    enum Match : quint8 { Exact, Prefix, None };
    std::vector<Match> best(m_entries.size(), None);
    for (const Key &key : m_keys) {
        Match m = None;
        if (!incomplete && key.whole && key.full == reading)
            m = Exact;
        else if (key.full.startsWith(reading))
            m = Prefix;
        best[key.entry] = std::min(best[key.entry], m);
    }
    std::vector<qsizetype> found;
    for (qsizetype n = 0; n < qsizetype(m_entries.size()); ++n) {
        if (best[n] != None && (!accept || accept(m_entries[n].kanji)))
            found.push_back(n);
    }
    // Unranked kanji are the rarest.
    const auto rank = [this](qsizetype n) { return m_entries[n].rank ? m_entries[n].rank : ~0u; };
    std::stable_sort(found.begin(), found.end(), [&](qsizetype a, qsizetype b) {
        return std::pair(best[a], rank(a)) < std::pair(best[b], rank(b));
    });
    QList<QChar> kanji;
    kanji.reserve(qsizetype(found.size()));
    for (qsizetype n : found)
        kanji.append(m_entries[n].kanji);
    return kanji;
}

const KanjiReadings::Entry *KanjiReadings::find(QChar kanji) const
{
    const auto it = std::lower_bound(m_entries.begin(), m_entries.end(), kanji,
                                     [](const Entry &e, QChar k) { return e.kanji < k; });
    return it != m_entries.end() && it->kanji == kanji ? &*it : nullptr;
}

QString KanjiReadings::readingsText(QChar kanji) const
{
    const Entry *entry = find(kanji);
    if (!entry)
        return {};
    // The okurigana in brackets, as dictionaries print it: たか（い）.
    QStringList kun;
    for (const QString &reading : entry->kun) {
        const qsizetype dot = reading.indexOf(u'.');
        kun.append(dot < 0 ? reading : reading.left(dot) + u'（' + reading.mid(dot + 1) + u'）');
    }
    QStringList parts;
    if (!entry->on.isEmpty())
        parts.append(u"音："_s + entry->on.join(u'・'));
    if (!kun.isEmpty())
        parts.append(u"訓："_s + kun.join(u'・'));
    return parts.join(u'　');
}
