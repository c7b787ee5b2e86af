#include "search/partnerletters.h"
#include "dictionary/dictionary.h"
#include "search/wordlist.h"

QStringList partnerLetters(const DictionaryStore &dictionary, const QStringList &letters, QChar kanji)
{
    QStringList found;
    const char16_t *first = dictionary.firstUnits();
    for (const QString &letter : letters) {
        if (letter.size() != 1 || found.contains(letter))
            continue;
        const char16_t head = letter[0].unicode();
        for (qint32 n = 1; n <= dictionary.lineCount(); ++n) {
            if (first[n - 1] == head && dictionary.lineView(n).mid(1).contains(kanji)) {
                found.append(letter);
                break;
            }
        }
    }
    return found;
}

QString partnerWordsText(const QStringList &partners, const WordList &words, QChar kanji)
{
    QStringList parts;
    for (const QString &letter : partners) {
        const auto word = letter.size() == 1 ? words.find(letter[0], kanji) : std::nullopt;
        if (!word)
            parts += letter;
        else if (word->readings.isEmpty())
            parts += word->spelling;
        else
            parts += word->spelling + u'（' + word->readings + u'）';
    }
    return parts.join(u'・');
}
