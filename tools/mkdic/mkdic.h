#pragma once
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <array>
#include <vector>

// Builds tolvo.dic from EDICT and KANJIDIC: every two-kanji headword makes
// its two kanji partners of each other; each head kanji gets one line with
// its partners most common first, so that the search, which takes the first
// kanji reaching every letter, lets the likely answer win a tie.
namespace mkdic {

// Decodes a whole EDICT or KANJIDIC file. False, with the reason, when the
// platform has no EUC-JP converter or the bytes are not valid EUC-JP.
bool decodeEucJp(QByteArrayView bytes, QString *text, QString *error);

class DictionaryBuilder
{
public:
    DictionaryBuilder();

    // EDICT text: "headword;headword(iK) [reading] /gloss/.../(P)/EntL.../",
    // one entry a line.
    void addEdict(QStringView text);
    void addEdictLine(QStringView line);

    // KANJIDIC text: "kanji JIS U... ... F1234 ...", one kanji a line; the
    // F field is the newspaper frequency rank (1 = most frequent).
    void addKanjidic(QStringView text);

    // The dictionary lines: heads in code-point order, each followed by its
    // partners without repeats; partners from common (P) words first, then
    // by frequency rank (unranked last), then by code point.
    QStringList lines() const;

private:
    struct Link {
        char16_t head;
        char16_t partner;
        bool common;
    };
    static constexpr quint32 kUnranked = 0xFFFFFFFF;

    bool usable(char16_t c);

    std::vector<Link> m_links;
    std::vector<quint32> m_rank;            // by UTF-16 code unit
    std::array<quint8, 65536> m_usable{};   // 0 not yet known, 1 yes, 2 no
};

// The file bytes: code page 932, every line ended by CR LF. False, with the
// reason, when some character has no code in code page 932.
bool encodeDictionary(const QStringList &lines, QByteArray *bytes, QString *error);

} // namespace mkdic
