#include "authoring/puzzlegraph.h"
#include "dictionary/dictionary.h"
#include "search/wordlist.h"

#include <algorithm>

PuzzleGraph::PuzzleGraph(const DictionaryStore &dictionary, const WordList &words)
    : m_dictionary(dictionary), m_words(words)
{
    for (qint32 n = 1; n <= dictionary.lineCount(); ++n) {
        const QStringView line = dictionary.lineView(n);
        const char16_t head = line[0].unicode();
        std::vector<char16_t> &partners = m_partners[head];
        for (QChar c : line.sliced(1)) {
            if (!m_pairs.contains(quint32(head) << 16 | c.unicode())) {
                m_pairs.insert(quint32(head) << 16 | c.unicode());
                partners.push_back(c.unicode());
            }
        }
    }
    for (auto it = m_partners.cbegin(); it != m_partners.cend(); ++it)
        m_heads.push_back(it.key());
    std::sort(m_heads.begin(), m_heads.end());
}

const std::vector<char16_t> &PuzzleGraph::partners(QChar letter) const
{
    static const std::vector<char16_t> none;
    const auto it = m_partners.constFind(letter.unicode());
    return it == m_partners.cend() ? none : *it;
}

bool PuzzleGraph::fits(QChar letter, Arrow arrow, QChar kanji) const
{
    return m_pairs.contains(quint32(letter.unicode()) << 16 | kanji.unicode())
        && (arrow == Arrow::None || readsAs(m_words, letter, arrow, kanji));
}
