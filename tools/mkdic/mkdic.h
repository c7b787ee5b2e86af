#pragma once
#include <QByteArray>
#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <array>
#include <limits>
#include <vector>

// Builds tolvo.dic from EDICT and KANJIDIC: every two-kanji headword makes
// its two kanji partners of each other; each head kanji gets one line with
// its partners most common first, so that the search, which takes the first
// kanji reaching every letter, lets the likely answer win a tie.
namespace mkdic {

// The bytes of an input file, opened without waiting and only as a regular
// file, so that a FIFO or a device given as an input fails at once instead
// of hanging the build. False with the reason, for a message naming the file.
bool readInputFile(const QString &path, QByteArray *bytes, QString *why);

// Writes a generated file whole or not at all: a half-written one must never
// be left where the program looks. False with the message naming the file.
bool writeWhole(const QString &path, const QByteArray &bytes, QString *error);

// Decodes a whole EDICT or KANJIDIC file. False, with the reason, when the
// platform has no EUC-JP converter or the bytes are not valid EUC-JP.
bool decodeEucJp(QByteArrayView bytes, QString *text, QString *error);

class DictionaryBuilder
{
public:
    DictionaryBuilder();

    // The word-cost table: "#" comment lines, "words<TAB>count", then that
    // many "word<TAB>cost" lines (lower cost: more common). Once a table is
    // given, EDICT words neither common (P) nor in it are left out, unless
    // they read as a common native word and a common suffix (顔中: かお +
    // じゅう), which the lexicon splits and so never lists. False, with
    // "line N: why", when the text is malformed or cut short.
    bool addWordCosts(QStringView text, QString *error);

    // EDICT text: "headword;headword(iK) [reading] /gloss/.../(P)/EntL.../",
    // one entry a line. Two kanji followed by に, と or の (一概に) make the
    // word of the two kanji when the two have no entry of their own.
    void addEdict(QStringView text);
    void addEdictLine(QStringView line);

    // KANJIDIC text: "kanji JIS U... ... F1234 ... オン くん.よみ ...", one
    // kanji a line; the F field is the newspaper frequency rank (1 = most
    // frequent), the hiragana fields its native readings.
    void addKanjidic(QStringView text);

    // The dictionary lines: heads in code-point order, each followed by its
    // partners without repeats; partners from common (P) words first, then
    // by the lower cost of the two spellings, then by frequency rank
    // (unranked last), then by code point.
    QStringList lines() const;

    // The words file: a comment line, then one "word<TAB>readings" line per
    // word the dictionary was made from, readings in hiragana joined by
    // "・", the most common word first (common, then cost, then code point).
    QStringList wordLines() const;

private:
    // One EDICT line's two-kanji headword.
    struct Entry {
        char16_t first;
        char16_t second;
        bool common;
        bool rareReading;   // an irregular or out-dated kana reading
        bool trailingKana;  // spelled with に, と or の after the two kanji
        QString reading;
    };
    struct Word {
        char16_t first;
        char16_t second;
        bool common;
        QStringList readings;
    };
    static constexpr quint32 kUnranked = 0xFFFFFFFF;
    static constexpr qint32 kNoCost = std::numeric_limits<qint32>::max();

    bool usable(char16_t c);
    qint32 cost(char16_t first, char16_t second) const;
    using EntryIterator = std::vector<Entry>::const_iterator;
    // Some entry of the word reads as the first kanji's common native word
    // and the second's common suffix.
    bool readsAsWordAndSuffix(EntryIterator first, EntryIterator last) const;
    // The words kept, each once, most common first.
    std::vector<Word> words() const;

    std::vector<Entry> m_entries;
    QHash<quint32, qint32> m_costs;         // by (first << 16 | second)
    bool m_haveCosts = false;
    std::vector<quint32> m_rank;            // by UTF-16 code unit
    // One kanji and a reading, "顔かお": KANJIDIC's native readings, and
    // EDICT's common one-kanji words and common suffixes.
    QSet<QString> m_nativeReadings;
    QSet<QString> m_commonWords;
    QSet<QString> m_commonSuffixes;
    std::array<quint8, 65536> m_usable{};   // 0 not yet known, 1 yes, 2 no
};

// The file bytes: code page 932, every line ended by CR LF. False, with the
// line and the reason, when a head has no partner or a second line, a
// partner stands twice on one line, or some character has no code in code
// page 932.
bool encodeDictionary(const QStringList &lines, QByteArray *bytes, QString *error);

} // namespace mkdic
