// tolvo-bench's figures for puzzles made and checked.
#include "authoring.h"

#include "authoring/kanjigrades.h"
#include "authoring/puzzlecheck.h"
#include "authoring/puzzlegraph.h"
#include "authoring/puzzlemaker.h"
#include "dictionary/dictionary.h"
#include "platform/datafile.h"
#include "search/searchengine.h"
#include "search/wordlist.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>

#include <algorithm>
#include <cstdio>

using namespace Qt::StringLiterals;
using namespace authoring;

namespace {

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0.0 : values[values.size() / 2];
}

void print(const char *name, double value)
{
    printf("%s %.3f\n", name, value);
    fflush(stdout);
}

} // namespace

void printAuthoringFigures(const DictionaryStore &dictionary, const WordList &words)
{
    KanjiGrades grades;
    if (!grades.load(DataFilePath(u".grades"_s)))
        return;
    const PuzzleGraph graph(dictionary, words);
    PuzzleMaker maker(graph, grades);
    std::mt19937_64 rng(1);
    QString why;

    // 1,000 made puzzles over every level, both sizes, with and without
    // arrows, each searched again: its own answer, and no second kanji with
    // every hit.
    std::vector<double> makeMs, checkMs;
    int made = 0, ownAnswer = 0, secondFull = 0;
    SearchEngine engine;
    for (int n = 0; n < 1000; ++n) {
        MakeOptions o;
        o.level = Level(n % 3);
        o.letters = n / 3 % 2 ? 6 : 4;
        o.arrows = n / 6 % 4 != 0;
        QElapsedTimer t;
        t.start();
        const auto puzzle = maker.make(o, rng, &why);
        makeMs.push_back(double(t.nsecsElapsed()) / 1e6);
        if (!puzzle)
            continue;
        ++made;
        QStringList letters;
        QList<Arrow> arrows;
        for (int box = 0; box < Puzzle::kBoxes; ++box) {
            letters += puzzle->puzzle.letters[box].isNull() ? QString() : QString(puzzle->puzzle.letters[box]);
            arrows += puzzle->puzzle.arrows[box];
        }
        FixedLetters hooks(letters, arrows);
        const SearchResult r = engine.run(dictionary, hooks, &words);
        ownAnswer += r.answer() == QString(puzzle->answer) ? 1 : 0;
        secondFull += std::count_if(r.candidates.begin(), r.candidates.end(), [&](const Candidate &c) {
            return c.hits >= r.activeLetterCount && c.kanji != puzzle->answer;
        }) > 0;
        if (n % 10 == 0) {
            t.restart();
            checkPuzzle(graph, grades, puzzle->puzzle);
            checkMs.push_back(double(t.nsecsElapsed()) / 1e6);
        }
    }
    print("make_ms", median(makeMs));
    print("make_max_ms", *std::max_element(makeMs.begin(), makeMs.end()));
    print("made_of_1000", made);
    print("made_own_answer", ownAnswer);
    print("made_second_full_hit", secondFull);
    print("check_ms", median(checkMs));

    // tolvo-solve --make --count 100, loading included, as a user runs it.
    const QString solver = QCoreApplication::applicationDirPath() + u"/tolvo-solve"_s;
    if (!QFile::exists(solver))
        return;
    std::vector<double> runs;
    for (int i = 0; i < 5; ++i) {
        QElapsedTimer t;
        t.start();
        QProcess p;
        p.start(solver, {u"--make"_s, u"--count"_s, u"100"_s, u"--seed"_s, QString::number(i + 1)});
        if (!p.waitForFinished(30000) || p.exitCode() != 0)
            return;
        runs.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    print("make_100_process_ms", median(runs));
}
