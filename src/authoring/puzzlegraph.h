#pragma once
// Which kanji fit which letter, by the search's own rule: a kanji fits a
// letter when the letter's dictionary lines list it as a partner and, where
// the letter has an arrow, the word list holds the word in the arrow's
// order. The maker and the checker ask this many times a puzzle, so the
// partners are indexed once. QtCore only.
#include "search/arrows.h"

#include <QHash>
#include <QSet>

#include <vector>

class DictionaryStore;
class WordList;

class PuzzleGraph
{
public:
    // Both must outlive the graph.
    PuzzleGraph(const DictionaryStore &dictionary, const WordList &words);

    const DictionaryStore &dictionary() const { return m_dictionary; }
    const WordList &words() const { return m_words; }

    // The partners letter's lines list, in their order, without repeats.
    const std::vector<char16_t> &partners(QChar letter) const;
    bool isHead(QChar kanji) const { return m_partners.contains(kanji.unicode()); }
    // The heads in code-point order.
    const std::vector<char16_t> &heads() const { return m_heads; }

    bool fits(QChar letter, Arrow arrow, QChar kanji) const;

private:
    const DictionaryStore &m_dictionary;
    const WordList &m_words;
    QHash<char16_t, std::vector<char16_t>> m_partners;
    QSet<quint32> m_pairs;   // head << 16 | partner
    std::vector<char16_t> m_heads;
};
