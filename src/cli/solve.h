#pragma once
// tolvo-solve's parts: the command line read into options, the puzzles read
// and split into letter boxes, the lines it prints, and the run itself.
#include "authoring/puzzlemaker.h"
#include "search/arrows.h"
#include "search/puzzle.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <cstdio>

class QIODevice;
class WordList;
struct SearchResult;

namespace solve {

// --count's limit: a batch stays within a few seconds.
constexpr int kMaxMadeCount = 1000;

struct Options {
    QString dictionaryPath;   // empty: tolvo.dic beside the program
    bool showWords = false;
    bool arrowFile = false;   // standard input is letters TAB arrows TAB …
    bool help = false;        // reading stopped at -h or --help
    bool readStdin = true;    // no puzzle among the arguments
    bool images = false;      // --image: the arguments are picture files
    bool check = false;       // --check: the arguments are puzzles to check
    bool make = false;        // --make: puzzles to make
    authoring::MakeOptions making;
    int count = 1;                  // --count: how many to make
    std::optional<quint64> seed;    // --seed; none: a new one each run
    QStringList puzzles;      // with images, the pictures' paths
    QString usageError;       // why the arguments are refused; empty when they are not
};

// The arguments without the program name, read left to right: the first
// --help or error ends the reading.
Options parseArguments(const QStringList &args);

// One box per letter, by the letter boxes' rule (puzzleLetters): whitespace,
// punctuation and symbols separate letters. A character outside the basic
// plane fits no box; the first one goes to *outside.
QStringList letterBoxes(QStringView puzzle, QString *outside = nullptr);

// One puzzle per line: text after a TAB, lines without a letter and lines
// starting with '#' are passed over. With arrowFile the second field is the
// puzzle's arrows, kept as "letters:arrows".
QStringList readPuzzles(QIODevice &in, bool arrowFile = false);

// A puzzle as the search takes it: "letters" or "letters:arrows", one arrow
// per letter ('>' letter first, '<' answer first, '-' none). Text after the
// last ':' is taken as arrows unless it holds letters and no arrow; then the
// ':' only separates letters.
struct Puzzle {
    QString text;          // as printed: the letters, and ':' and the arrows when given
    QStringList boxes;
    QList<Arrow> arrows;   // empty: no arrows at all
    bool hasArrows() const;
};
// The puzzle, or why it is refused: more than six letters, a letter outside
// the basic plane, or arrows that are not one of '>', '<', '-' per letter.
std::optional<Puzzle> parsePuzzle(const QString &text, QString *error);

// letters TAB answer TAB kanji:hits …, and its line end; puzzle is
// Puzzle::text.
QString resultLine(const QString &puzzle, const SearchResult &result);

// One line per letter under an answer: TAB word TAB readings; both fields
// stay empty where the words file has no word.
QString wordLines(const Puzzle &puzzle, const QString &answer, const WordList &words);

QString helpText();

// The puzzle read from a picture as tolvo-solve prints and searches it: an
// unreadable letter is '？', and the arrows follow a ':' when any was seen.
QString pictureText(const ::Puzzle &read, int letters);

// Solves what the options ask, printing to output and error: 0 when every
// puzzle has an answer, 1 when some has none, 2 on a usage error, a
// dictionary or words file that cannot be read, or output that was lost.
// With --image, a picture without a readable puzzle is a line with an empty
// first field (1); a missing file or a missing text engine is 2.
int run(const Options &options, FILE *input, FILE *output, FILE *error);

} // namespace solve
