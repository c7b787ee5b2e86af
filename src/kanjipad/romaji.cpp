#include "kanjipad/romaji.h"

#include <QHash>
#include <QSet>

using namespace Qt::StringLiterals;

namespace {

// Each row: the keys before the vowel, then its kana for a, i, u, e and o.
struct Row {
    const char *consonants;
    const char16_t *kana;   // five, separated by spaces; "-" where Mozc has none (yi)
};

constexpr Row kRows[] = {
    {"", u"あ い う え お"},
    {"k", u"か き く け こ"},           {"ky", u"きゃ きぃ きゅ きぇ きょ"},   {"kw", u"くぁ くぃ くぅ くぇ くぉ"},
    {"q", u"くぁ くぃ く くぇ くぉ"},   {"qw", u"くぁ くぃ くぅ くぇ くぉ"},   {"qy", u"くゃ くぃ くゅ くぇ くょ"},
    {"g", u"が ぎ ぐ げ ご"},           {"gy", u"ぎゃ ぎぃ ぎゅ ぎぇ ぎょ"},   {"gw", u"ぐぁ ぐぃ ぐぅ ぐぇ ぐぉ"},
    {"s", u"さ し す せ そ"},           {"sy", u"しゃ しぃ しゅ しぇ しょ"},   {"sh", u"しゃ し しゅ しぇ しょ"},
    {"sw", u"すぁ すぃ すぅ すぇ すぉ"},
    {"z", u"ざ じ ず ぜ ぞ"},           {"zy", u"じゃ じぃ じゅ じぇ じょ"},   {"j", u"じゃ じ じゅ じぇ じょ"},
    {"jy", u"じゃ じぃ じゅ じぇ じょ"},
    {"t", u"た ち つ て と"},           {"ty", u"ちゃ ちぃ ちゅ ちぇ ちょ"},   {"ch", u"ちゃ ち ちゅ ちぇ ちょ"},
    {"cy", u"ちゃ ちぃ ちゅ ちぇ ちょ"}, {"ts", u"つぁ つぃ つ つぇ つぉ"},     {"th", u"てゃ てぃ てゅ てぇ てょ"},
    {"tw", u"とぁ とぃ とぅ とぇ とぉ"},
    {"d", u"だ ぢ づ で ど"},           {"dy", u"ぢゃ ぢぃ ぢゅ ぢぇ ぢょ"},   {"dh", u"でゃ でぃ でゅ でぇ でょ"},
    {"dw", u"どぁ どぃ どぅ どぇ どぉ"},
    {"n", u"な に ぬ ね の"},           {"ny", u"にゃ にぃ にゅ にぇ にょ"},
    {"h", u"は ひ ふ へ ほ"},           {"hy", u"ひゃ ひぃ ひゅ ひぇ ひょ"},
    {"f", u"ふぁ ふぃ ふ ふぇ ふぉ"},   {"fy", u"ふゃ ふぃ ふゅ ふぇ ふょ"},   {"fw", u"ふぁ ふぃ ふぅ ふぇ ふぉ"},
    {"b", u"ば び ぶ べ ぼ"},           {"by", u"びゃ びぃ びゅ びぇ びょ"},
    {"p", u"ぱ ぴ ぷ ぺ ぽ"},           {"py", u"ぴゃ ぴぃ ぴゅ ぴぇ ぴょ"},
    {"m", u"ま み む め も"},           {"my", u"みゃ みぃ みゅ みぇ みょ"},
    {"y", u"や - ゆ いぇ よ"},
    {"r", u"ら り る れ ろ"},           {"ry", u"りゃ りぃ りゅ りぇ りょ"},
    {"w", u"わ うぃ う うぇ を"},       {"wh", u"うぁ うぃ う うぇ うぉ"},
    {"v", u"ゔぁ ゔぃ ゔ ゔぇ ゔぉ"},   {"vy", u"ゔゃ ゔぃ ゔゅ ゔぇ ゔょ"},
    {"c", u"か し く せ こ"},
    {"x", u"ぁ ぃ ぅ ぇ ぉ"},           {"xy", u"ゃ ぃ ゅ ぇ ょ"},
    {"l", u"ぁ ぃ ぅ ぇ ぉ"},           {"ly", u"ゃ ぃ ゅ ぇ ょ"},
};

// Keys outside the rows.
constexpr struct {
    const char *keys;
    const char16_t *kana;
} kSingles[] = {
    {"nn", u"ん"},    {"n'", u"ん"},    {"xn", u"ん"},    {"xtu", u"っ"},   {"ltu", u"っ"},   {"xtsu", u"っ"},
    {"ltsu", u"っ"},  {"xwa", u"ゎ"},   {"lwa", u"ゎ"},   {"xka", u"ヵ"},   {"lka", u"ヵ"},   {"xke", u"ヶ"},
    {"lke", u"ヶ"},   {"wyi", u"ゐ"},   {"wye", u"ゑ"},   {"t'i", u"てぃ"}, {"d'i", u"でぃ"}, {"t'u", u"とぅ"},
    {"d'u", u"どぅ"}, {"t'yu", u"てゅ"}, {"d'yu", u"でゅ"},
};

struct Table {
    QHash<QString, QString> kana;
    QSet<QString> prefixes;   // every key's proper beginnings: "t", "ts", "x", "xt", "xts"
    qsizetype longest = 0;
};

const Table &table()
{
    static const Table t = [] {
        Table t;
        const auto add = [&t](const QString &keys, const QString &kana) {
            t.kana.insert(keys, kana);
            t.longest = std::max(t.longest, keys.size());
            for (qsizetype n = 1; n < keys.size(); ++n)
                t.prefixes.insert(keys.left(n));
        };
        for (const Row &row : kRows) {
            const QStringList kana = QString::fromUtf16(row.kana).split(u' ');
            for (qsizetype v = 0; v < 5; ++v) {
                if (kana[v] != u"-")
                    add(QLatin1StringView(row.consonants) + QChar(u"aiueo"[v]), kana[v]);
            }
        }
        for (const auto &single : kSingles)
            add(QLatin1StringView(single.keys), QString::fromUtf16(single.kana));
        return t;
    }();
    return t;
}

bool isLatinLetter(QChar c)
{
    return c.unicode() >= u'a' && c.unicode() <= u'z';
}

bool isVowel(QChar c)
{
    return QStringView(u"aiueo").contains(c);
}

} // namespace

QString romajiToHiragana(QStringView latin, bool *incomplete)
{
    const Table &t = table();
    if (incomplete)
        *incomplete = false;
    QString out;
    qsizetype i = 0;
    while (i < latin.size()) {
        const QChar c = latin[i];
        if (!isLatinLetter(c) && c != u'\'') {
            out += c;
            ++i;
            continue;
        }
        qsizetype length = std::min(t.longest, latin.size() - i);
        while (length > 0 && !t.kana.contains(latin.mid(i, length).toString()))
            --length;
        if (length > 0) {
            out += t.kana.value(latin.mid(i, length).toString());
            i += length;
            continue;
        }
        const QStringView rest = latin.mid(i);
        const QChar next = i + 1 < latin.size() ? latin[i + 1] : QChar();
        if (rest == u"n") {
            out += u'ん';
        } else if (t.prefixes.contains(rest.toString())) {
            // The syllable is not finished yet.
            if (incomplete)
                *incomplete = true;
            break;
        } else if (c == next && c != u'n' && !isVowel(c) && isLatinLetter(c)) {
            out += u'っ';
        } else if (c == u'n' && isLatinLetter(next) && !isVowel(next) && next != u'y') {
            out += u'ん';
        } else {
            // Mozc leaves a key it cannot place as it is.
            out += c;
        }
        ++i;
    }
    return out;
}
