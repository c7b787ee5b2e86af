#pragma once
// The arrows a printed puzzle draws between a letter and the answer: which
// way the word the two make must read. QtCore only.
#include "search/wordlist.h"

#include <QChar>
#include <QList>
#include <QString>
#include <QStringView>

#include <optional>

enum class Arrow : quint8 {
    None,          // either order, as without arrows
    LetterFirst,   // the letter, then the answer: 明 → 白 is 明白
    AnswerFirst,   // the answer, then the letter: 白 → 昼 is 白昼
};

// A letter box's text and its arrow, as a search read them.
struct ArrowedLetter {
    QString text;
    Arrow arrow = Arrow::None;
};

// '>' letter first, '<' answer first, '-' none; the notation of tolvo-solve
// and of the arrow puzzle files.
QChar arrowChar(Arrow arrow);
// One arrow per character of text; none when some character is not an arrow.
std::optional<QList<Arrow>> parseArrows(QStringView text);

// Whether letter and kanji make a word that reads the way the arrow says:
// with no arrow any partner does; with one, the word list must hold the word
// in that order.
bool readsAs(const WordList &words, QChar letter, Arrow arrow, QChar kanji);

// The word letter and kanji make, read the arrow's way; with no arrow, the
// more common of the two spellings.
std::optional<WordList::Word> wordFor(const WordList &words, QChar letter, Arrow arrow, QChar kanji);
