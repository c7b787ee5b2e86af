#include "search/arrows.h"

QChar arrowChar(Arrow arrow)
{
    switch (arrow) {
    case Arrow::LetterFirst:
        return u'>';
    case Arrow::AnswerFirst:
        return u'<';
    case Arrow::None:
        break;
    }
    return u'-';
}

std::optional<QList<Arrow>> parseArrows(QStringView text)
{
    QList<Arrow> arrows;
    for (QChar c : text) {
        switch (c.unicode()) {
        case u'>':
            arrows += Arrow::LetterFirst;
            break;
        case u'<':
            arrows += Arrow::AnswerFirst;
            break;
        case u'-':
            arrows += Arrow::None;
            break;
        default:
            return std::nullopt;
        }
    }
    return arrows;
}

bool readsAs(const WordList &words, QChar letter, Arrow arrow, QChar kanji)
{
    switch (arrow) {
    case Arrow::LetterFirst:
        return words.contains(letter, kanji);
    case Arrow::AnswerFirst:
        return words.contains(kanji, letter);
    case Arrow::None:
        break;
    }
    return true;
}

std::optional<WordList::Word> wordFor(const WordList &words, QChar letter, Arrow arrow, QChar kanji)
{
    switch (arrow) {
    case Arrow::LetterFirst:
        return words.findInOrder(letter, kanji);
    case Arrow::AnswerFirst:
        return words.findInOrder(kanji, letter);
    case Arrow::None:
        break;
    }
    return words.find(letter, kanji);
}
