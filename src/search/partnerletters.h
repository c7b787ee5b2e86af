#pragma once
#include "search/arrows.h"

#include <QChar>
#include <QList>

class DictionaryStore;
class WordList;

// The letters, in the order given and each once, that list kanji as a
// partner on one of their dictionary lines (a line headed by the letter),
// in the way their arrow reads (checked against words). QtCore only.
QList<ArrowedLetter> partnerLetters(const DictionaryStore &dictionary, const QList<ArrowedLetter> &letters,
                                    QChar kanji, const WordList &words);

// The partner letters as the words they make with kanji, with readings:
// "続出（ぞくしゅつ）・家出（いえで）"; a letter with an arrow shows its word
// in the arrow's order. A letter whose word the list lacks stays a bare
// letter, so no word is ever shown that the list does not hold.
QString partnerWordsText(const QList<ArrowedLetter> &partners, const WordList &words, QChar kanji);
