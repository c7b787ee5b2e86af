#include "search/searchengine.h"
#include "dictionary/dictionary.h"
#include "search/wordlist.h"

#include <algorithm>

std::vector<Candidate> SearchResult::listed() const
{
    std::vector<Candidate> out;
    const qint32 t = threshold();
    for (const Candidate &c : candidates)
        if (c.hits >= t)
            out.push_back(c);
    return out;
}

SearchEngine::SearchEngine() : m_slotOf(new qint32[65536]())
{
}

SearchEngine::~SearchEngine() = default;

SearchResult SearchEngine::run(const DictionaryStore &dictionary, SearchHooks &hooks, const WordList *words)
{
    SearchResult result;
    std::vector<Candidate> &found = result.candidates;
    found.reserve(512);
    qint32 *slotOf = m_slotOf.get();

    // The index must be clean for the next search, even when a hook throws.
    const auto clearIndex = [&] {
        for (const Candidate &c : found)
            slotOf[c.kanji.unicode()] = 0;
    };
    try {
        scan(dictionary, hooks, words, result);
    } catch (...) {
        clearIndex();
        throw;
    }
    clearIndex();
    if (result.cancelled)
        return result;

    const auto answer = std::find_if(found.begin(), found.end(), [&](const Candidate &c) {
        return c.hits >= result.activeLetterCount;
    });
    if (answer != found.end())
        result.answerIndex = answer - found.begin();
    hooks.letterStep();
    return result;
}

void SearchEngine::scan(const DictionaryStore &dictionary, SearchHooks &hooks, const WordList *words,
                        SearchResult &result)
{
    std::vector<Candidate> &found = result.candidates;
    qint32 *slotOf = m_slotOf.get();
    const bool never = false;
    const bool *cancel = hooks.cancelFlag() ? hooks.cancelFlag() : &never;

    const qint32 lineCount = dictionary.lineCount();
    const char16_t *first = dictionary.firstUnits();
    const char16_t *text = dictionary.text();
    const qsizetype *offsets = dictionary.offsets().data();

    for (int box = 0; box < kLetterBoxCount; ++box) {
        hooks.boxStarted(box);
        const QString letter = hooks.letterText(box);
        const Arrow arrow = hooks.arrow(box);
        if (!letter.isEmpty()) {
            // A text of more than one character equals no first character,
            // but its box is still scanned (ticks included) and counted.
            // An empty store has no first characters to point into.
            const bool canMatch = letter.size() == 1 && lineCount > 0;
            const char16_t l = letter[0].unicode();
            // A partner the arrow rules out is no hit, and is not discovered.
            auto visit = [&](qint32 n) {
                for (const char16_t *p = text + offsets[n - 1] + 1, *end = text + offsets[n]; p < end; ++p) {
                    if (arrow != Arrow::None && !(words && readsAs(*words, QChar(l), arrow, QChar(*p))))
                        continue;
                    qint32 &slot = slotOf[*p];
                    if (slot) {
                        ++found[slot - 1].hits;
                    } else {
                        found.push_back({QChar(*p), 1});
                        slot = qint32(found.size());
                    }
                }
            };
            // The lines between two ticks run without events, so the cancel
            // flag cannot change there: it is read after the line that
            // follows each tick, which is the same as after every line.
            qint32 n = 1;
            for (;;) {
                const qint32 blockEnd = std::min(lineCount, n - n % 50 + 49);
                if (canMatch) {
                    for (const char16_t *p = first + n - 1, *end = first + blockEnd; ; ++p) {
                        p = std::find(p, end, l);
                        if (p == end)
                            break;
                        visit(qint32(p - first) + 1);
                    }
                }
                n = blockEnd + 1;
                if (n > lineCount)
                    break;
                hooks.lineTick(box, n);
                if (canMatch && first[n - 1] == l)
                    visit(n);
                if (*cancel)
                    break;
                ++n;
            }
            ++result.activeLetterCount;
        }
        hooks.letterStep();
        if (*cancel) {
            result.cancelled = true;
            break;
        }
    }
}
