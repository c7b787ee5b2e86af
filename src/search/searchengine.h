#pragma once
#include "search/arrows.h"

#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

class DictionaryStore;
class WordList;

// What the search asks of whoever drives it. The window advances its
// progress bars and lets events run; tolvo-solve and the benchmark do nothing.
class SearchHooks
{
public:
    virtual ~SearchHooks() = default;
    // Box i's whole text, read when box i's turn comes (a history Load
    // during a yield may have changed it).
    virtual QString letterText(int box) = 0;
    // Box i's arrow, read right after its text.
    virtual Arrow arrow(int /*box*/) { return Arrow::None; }
    // At the start of every box, empty or not.
    virtual void boxStarted(int /*box*/) {}
    // Before line n of a non-empty box when n is a multiple of 50.
    virtual void lineTick(int /*box*/, qint32 /*line*/) {}
    // After every box, and once more when a completed search has chosen its answer.
    virtual void letterStep() {}
    // Read after every dictionary line and after every box; null: never cancelled.
    virtual const bool *cancelFlag() const { return nullptr; }
};

struct Candidate {
    QChar kanji;
    qint32 hits = 0;
    friend bool operator==(const Candidate &, const Candidate &) = default;
};

struct SearchResult {
    bool cancelled = false;
    qint32 activeLetterCount = 0;
    std::vector<Candidate> candidates;   // every partner met, in discovery order
    qsizetype answerIndex = -1;          // into candidates; -1: no answer

    bool hasAnswer() const { return answerIndex >= 0; }
    QString answer() const { return hasAnswer() ? QString(candidates[answerIndex].kanji) : QString(); }
    // Half of the letters, rounded up.
    qint32 threshold() const { return (activeLetterCount + 1) / 2; }
    // The candidates that reach the threshold, in discovery order.
    std::vector<Candidate> listed() const;
};

constexpr int kLetterBoxCount = 6;

// The common-kanji search over the kept dictionary lines. Reusable: the
// candidate index is allocated once per engine.
class SearchEngine
{
public:
    SearchEngine();
    ~SearchEngine();
    // words: what a box with an arrow checks each partner against; a
    // partner counts for such a box only when the word reads the arrow's
    // way. Without words, no partner of a box with an arrow counts.
    SearchResult run(const DictionaryStore &dictionary, SearchHooks &hooks, const WordList *words = nullptr);

private:
    // Counts every box's partners into result (steps up to the answer).
    void scan(const DictionaryStore &dictionary, SearchHooks &hooks, const WordList *words, SearchResult &result);

    std::unique_ptr<qint32[]> m_slotOf;   // code unit -> candidate index + 1
};

// Hooks that read fixed letters and do nothing else.
class FixedLetters : public SearchHooks
{
public:
    explicit FixedLetters(QStringList letters, QList<Arrow> arrows = {})
        : m_letters(std::move(letters)), m_arrows(std::move(arrows)) {}
    QString letterText(int box) override { return box < m_letters.size() ? m_letters[box] : QString(); }
    Arrow arrow(int box) override { return box < m_arrows.size() ? m_arrows[box] : Arrow::None; }
private:
    QStringList m_letters;
    QList<Arrow> m_arrows;
};
