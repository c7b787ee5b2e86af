#pragma once
// tolvo-solve's parts: the command line read into options, the puzzles read
// and split into letter boxes, the lines it prints, and the run itself.
#include <QString>
#include <QStringList>

#include <cstdio>

class QIODevice;
class WordList;
struct SearchResult;

namespace solve {

struct Options {
    QString dictionaryPath;   // empty: tolvo.dic beside the program
    bool showWords = false;
    bool help = false;        // reading stopped at -h or --help
    bool readStdin = true;    // no puzzle among the arguments
    QStringList puzzles;
    QString usageError;       // why the arguments are refused; empty when they are not
};

// The arguments without the program name, read left to right: the first
// --help or error ends the reading.
Options parseArguments(const QStringList &args);

// One box per character; a character outside the basic plane fills a box
// with its two halves, which matches no line, as in the window.
QStringList letterBoxes(const QString &puzzle);

// One puzzle per line: text after a TAB, blank lines and lines starting with
// '#' are passed over.
QStringList readPuzzles(QIODevice &in);

// letters TAB answer TAB kanji:hits …, and its line end.
QString resultLine(const QString &puzzle, const SearchResult &result);

// One line per letter under an answer: TAB word TAB readings; both fields
// stay empty where the words file has no word.
QString wordLines(const QStringList &boxes, const QString &answer, const WordList &words);

QString helpText();

// Solves what the options ask, printing to output and error: 0 when every
// puzzle has an answer, 1 when some has none, 2 on a usage error, a
// dictionary or words file that cannot be read, or output that was lost.
int run(const Options &options, FILE *input, FILE *output, FILE *error);

} // namespace solve
