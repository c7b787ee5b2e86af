#pragma once
// Puzzles made to order: an answer, letters that each make a word with it
// in the level's tier, and arrows, kept only when the search finds that
// answer and no other kanji fits every letter. QtCore only.
#include "search/puzzle.h"

#include <QString>
#include <QStringList>

#include <map>
#include <optional>
#include <unordered_map>
#include <random>
#include <vector>

class KanjiGrades;
class PuzzleGraph;

namespace authoring {

enum class Level { Easy, Normal, Hard };

// "easy", "normal", "hard" or their Japanese names; none for anything else.
std::optional<Level> parseLevel(QStringView text);
QString levelName(Level level);   // やさしい, ふつう, むずかしい

struct MakeOptions {
    int letters = 4;              // 4 or 6
    Level level = Level::Normal;
    QChar answer;                 // null: any answer of the level
    bool arrows = true;
    bool strict = false;          // unique with the arrows hidden as well
};

struct MadePuzzle {
    Puzzle puzzle;
    QChar answer;
    int stars = 0;
};

class PuzzleMaker
{
public:
    // Both must outlive the maker.
    PuzzleMaker(const PuzzleGraph &graph, const KanjiGrades &grades);

    // A puzzle drawn with rng, or none with *error saying why (in
    // Japanese): an answer that is no dictionary head, outside the level's
    // kanji, or with too few words of the level's tier; or no puzzle found
    // within about a second.
    std::optional<MadePuzzle> make(const MakeOptions &options, std::mt19937_64 &rng, QString *error);

    // The rules made puzzles keep, each one broken as a line; empty when
    // none is. make() offers no puzzle that breaks one.
    QStringList faults(const MadePuzzle &made, const MakeOptions &options) const;

private:
    struct Choice {
        QChar letter;
        Arrow arrow;
        qint32 rank;   // of the word it shows
    };
    bool kanjiInLevel(QChar kanji, Level level) const;
    bool wordInLevel(QChar letter, Arrow arrow, QChar answer, Level level) const;
    std::vector<Choice> choices(QChar answer, const MakeOptions &options, std::mt19937_64 &rng) const;
    const std::vector<char16_t> &answerPool(const MakeOptions &options);
    std::optional<MadePuzzle> tryAnswer(QChar answer, const MakeOptions &options, std::mt19937_64 &rng, int attempts);
    const std::vector<char16_t> &fitSet(QChar letter, Arrow arrow);

    const PuzzleGraph &m_graph;
    const KanjiGrades &m_grades;
    std::map<int, std::vector<char16_t>> m_pools;                    // by level, letters and arrows
    std::unordered_map<quint32, std::vector<char16_t>> m_fitSets;    // letter << 2 | arrow → kanji
};

} // namespace authoring
