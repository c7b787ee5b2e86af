#include "search/letters.h"

namespace {

bool isLetter(char32_t c)
{
    switch (QChar::category(c)) {
    case QChar::Other_Control:
    case QChar::Other_Format:
    case QChar::Other_Surrogate:
    case QChar::Punctuation_Connector:
    case QChar::Punctuation_Dash:
    case QChar::Punctuation_Open:
    case QChar::Punctuation_Close:
    case QChar::Punctuation_InitialQuote:
    case QChar::Punctuation_FinalQuote:
    case QChar::Punctuation_Other:
    case QChar::Symbol_Math:
    case QChar::Symbol_Currency:
    case QChar::Symbol_Modifier:
    case QChar::Symbol_Other:
        return false;
    default:
        return !QChar::isSpace(c);
    }
}

} // namespace

bool isPuzzleLetter(QChar c)
{
    return isLetter(c.unicode());
}

QString puzzleLetters(QStringView text, QString *outside)
{
    QString letters;
    letters.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            // A symbol out there (an emoji) still only separates.
            if (outside && outside->isEmpty() && isLetter(QChar::surrogateToUcs4(c, text[i + 1])))
                *outside = text.sliced(i, 2).toString();
            ++i;
        } else if (isLetter(c.unicode())) {
            letters.append(c);
        }
    }
    return letters;
}
