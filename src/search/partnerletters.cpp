#include "search/partnerletters.h"
#include "dictionary/dictionary.h"
#include "search/wordlist.h"

QList<ArrowedLetter> partnerLetters(const DictionaryStore &dictionary, const QList<ArrowedLetter> &letters,
                                    QChar kanji, const WordList &words)
{
    QList<ArrowedLetter> found;
    const char16_t *first = dictionary.firstUnits();
    for (const ArrowedLetter &letter : letters) {
        if (letter.text.size() != 1 || !readsAs(words, letter.text[0], letter.arrow, kanji))
            continue;
        if (std::any_of(found.cbegin(), found.cend(), [&](const ArrowedLetter &f) { return f.text == letter.text; }))
            continue;
        const char16_t head = letter.text[0].unicode();
        for (qint32 n = 1; n <= dictionary.lineCount(); ++n) {
            if (first[n - 1] == head && dictionary.lineView(n).mid(1).contains(kanji)) {
                found.append(letter);
                break;
            }
        }
    }
    return found;
}

QString partnerWordsText(const QList<ArrowedLetter> &partners, const WordList &words, QChar kanji)
{
    QStringList parts;
    for (const ArrowedLetter &partner : partners) {
        const auto word = partner.text.size() == 1 ? wordFor(words, partner.text[0], partner.arrow, kanji)
                                                   : std::nullopt;
        if (!word)
            parts += partner.text;
        else if (word->readings.isEmpty())
            parts += word->spelling;
        else
            parts += word->spelling + u'（' + word->readings + u'）';
    }
    return parts.join(u'・');
}
