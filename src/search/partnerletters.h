#pragma once
#include <QChar>
#include <QStringList>

class DictionaryStore;
class WordList;

// The letters, in the order given and each once, that list kanji as a
// partner on one of their dictionary lines (a line headed by the letter).
// QtCore only.
QStringList partnerLetters(const DictionaryStore &dictionary, const QStringList &letters, QChar kanji);

// The partner letters as the words they make with kanji, with readings:
// "続出（ぞくしゅつ）・家出（いえで）". A letter whose word the list lacks
// stays a bare letter, so no word is ever shown that the list does not hold.
QString partnerWordsText(const QStringList &partners, const WordList &words, QChar kanji);
