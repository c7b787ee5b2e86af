#include "literalsearch.h"
#include "dictionary/dictionary.h"

SearchResult literalSearch(const DictionaryStore &dictionary, const QStringList &letters)
{
    SearchResult r;
    const qint32 n = std::get<qint32>(GetDictionaryValue(dictionary, QStringLiteral("DicNum"), 0));
    for (int box = 0; box < kLetterBoxCount; ++box) {
        const QString l = box < letters.size() ? letters[box] : QString();
        if (l.isEmpty())
            continue;
        for (qint32 i = 1; i <= n; ++i) {
            const QString line = std::get<QString>(GetDictionaryValue(dictionary, QStringLiteral("Kanji"), i));
            if (line.left(1) != l)
                continue;
            for (qsizetype p = 1; p < line.size(); ++p) {
                const QChar c = line[p];
                qsizetype k = 0;
                while (k < qsizetype(r.candidates.size()) && r.candidates[k].kanji != c)
                    ++k;
                if (k < qsizetype(r.candidates.size()))
                    ++r.candidates[k].hits;
                else
                    r.candidates.push_back({c, 1});
            }
        }
        ++r.activeLetterCount;
    }
    for (qsizetype k = 0; k < qsizetype(r.candidates.size()); ++k)
        if (r.candidates[k].hits >= r.activeLetterCount) {
            r.answerIndex = k;
            break;
        }
    return r;
}
