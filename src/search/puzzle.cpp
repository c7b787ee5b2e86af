#include "search/puzzle.h"

Puzzle Puzzle::fromLetters(QStringView text)
{
    Puzzle puzzle;
    for (qsizetype i = 0; i < text.size() && i < kBoxes; ++i)
        puzzle.letters[i] = text[i];
    return puzzle;
}

QString Puzzle::letterText() const
{
    QString text;
    for (QChar c : letters) {
        if (!c.isNull())
            text.append(c);
    }
    return text;
}
