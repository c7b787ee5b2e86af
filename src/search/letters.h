#pragma once
// Which characters of a typed, pasted or given puzzle are its letters: one
// rule for the letter boxes and tolvo-solve. QtCore only.
#include <QChar>
#include <QString>
#include <QStringView>

// A character a letter box can hold. Whitespace, punctuation and symbols
// separate letters (「続・家・版」, 「続、家、版」, 「続／家／版」); controls
// and format marks are invisible; half of a surrogate pair is no character.
bool isPuzzleLetter(QChar c);

// The letters of text, in order, everything else dropped. A character
// outside the basic plane does not fit a box of one UTF-16 unit: it is
// dropped too, and the first one goes to *outside when that is given.
QString puzzleLetters(QStringView text, QString *outside = nullptr);
