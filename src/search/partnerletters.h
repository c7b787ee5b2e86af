#pragma once
#include <QChar>
#include <QStringList>

class DictionaryStore;

// The letters, in the order given and each once, that list kanji as a
// partner on one of their dictionary lines (a line headed by the letter).
// QtCore only.
QStringList PartnerLetters(const DictionaryStore &dictionary, const QStringList &letters, QChar kanji);
