#pragma once
// A puzzle checked as a quiz author needs it checked: is its answer the only
// kanji that fits, which rivals and near misses there are, how common its
// words are, whether it stays unique without its arrows, and which letters
// would make it unique. The fitting kanji come from the search engine
// itself, so that the check and the solver can never disagree. QtCore only.
#include "search/puzzle.h"
#include "search/wordlist.h"

#include <QString>

#include <optional>
#include <vector>

class KanjiGrades;
class PuzzleGraph;

namespace authoring {

// A letter and the word it makes with a kanji, read its arrow's way; no word
// when the word list does not know it (a partner of the dictionary alone).
struct LetterWord {
    int box = 0;
    QChar letter;
    Arrow arrow = Arrow::None;
    std::optional<WordList::Word> word;
};

struct Fitting {
    QChar kanji;
    std::vector<LetterWord> words;
};

// A kanji that fits every letter but one.
struct Decoy {
    QChar kanji;
    int missedBox = 0;
};

// A letter that, put in box instead of its letter, keeps the answer and
// leaves it the only kanji that fits.
struct Replacement {
    int box = 0;
    QChar letter;
    WordList::Word word;   // the word it makes with the answer
};

struct PuzzleCheck {
    Puzzle puzzle;
    int letterCount = 0;
    bool hasArrows = false;
    // Every kanji that fits all letters, in the search's order: the first is
    // the search's answer.
    std::vector<Fitting> fitting;
    std::vector<Decoy> decoys;
    // The kanji that fit all letters when the arrows are not shown.
    QString fittingWithoutArrows;
    std::vector<Replacement> replacements;
    int stars = 0;   // 1-5; 0 without an answer

    bool hasAnswer() const { return !fitting.empty(); }
    QChar answer() const { return hasAnswer() ? fitting.front().kanji : QChar(); }
    bool unique() const { return fitting.size() == 1; }
    bool uniqueWithoutArrows() const { return fittingWithoutArrows.size() == 1; }
};

// The letters' words with kanji, box by box.
std::vector<LetterWord> lettersWords(const PuzzleGraph &graph, const Puzzle &puzzle, QChar kanji);

// The kanji that fit every letter of puzzle, in the search's order.
QString fittingKanji(const PuzzleGraph &graph, const Puzzle &puzzle);

// Near misses of puzzle: the kanji fitting all its letters but one.
std::vector<Decoy> decoysOf(const PuzzleGraph &graph, const Puzzle &puzzle);

// How hard a puzzle with answer is, 1-5: from how rare its words are, the
// school grades of its kanji and its near misses.
int difficultyStars(const std::vector<LetterWord> &words, QChar answer, const KanjiGrades &grades,
                    qsizetype decoys);

PuzzleCheck checkPuzzle(const PuzzleGraph &graph, const KanjiGrades &grades, const Puzzle &puzzle);

// The check as text the player can read and copy (Japanese).
QString checkText(const PuzzleCheck &check);

// "★★★☆☆"
QString starText(int stars);

} // namespace authoring
