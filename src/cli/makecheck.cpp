// tolvo-solve --check and --make: puzzles checked for a unique answer, and
// puzzles made with one.
#include "cli/clicommon.h"

#include "authoring/kanjigrades.h"
#include "authoring/puzzlecheck.h"
#include "authoring/puzzlegraph.h"
#include "authoring/puzzlemaker.h"
#include "dictionary/dictionary.h"
#include "platform/datafile.h"
#include "search/wordlist.h"

#include <random>

using namespace Qt::StringLiterals;

namespace solve {

namespace {

// What both commands read: the dictionary, the words, the kanji's grades.
struct AuthoringData {
    DictionaryStore dictionary;
    WordList words;
    KanjiGrades grades;
};

// The data, or false with the message written. Without the grades a check
// still runs (its stars count every kanji as rare); a maker cannot.
bool loadData(const Options &options, AuthoringData &data, bool needGrades, FILE *error)
{
    if (!loadDictionary(options, data.dictionary, error) || !loadWords(data.words, error))
        return false;
    const QString gradesPath = DataFilePath(u".grades"_s);
    if (!data.grades.load(gradesPath) && needGrades) {
        writeText(error, u"漢字の学年のファイルが見つかりません。\n"_s + gradesPath + u'\n');
        return false;
    }
    return true;
}

} // namespace

int runCheck(const Options &options, Output &out, FILE *error)
{
    if (options.puzzles.isEmpty())
        return usageError(error, u"--check には確かめる問題（'文字[:矢印]'）を指定してください。"_s);
    std::vector<::Puzzle> puzzles;
    for (const QString &text : options.puzzles) {
        QString why;
        const std::optional<Puzzle> parsed = parsePuzzle(text, &why);
        if (!parsed)
            return usageError(error, why);
        ::Puzzle puzzle;
        for (qsizetype box = 0; box < parsed->boxes.size(); ++box) {
            if (parsed->boxes[box].size() == 1)
                puzzle.letters[size_t(box)] = parsed->boxes[box][0];
            if (box < parsed->arrows.size())
                puzzle.arrows[size_t(box)] = parsed->arrows[box];
        }
        puzzles.push_back(puzzle);
    }
    AuthoringData data;
    if (!loadData(options, data, false, error))
        return 2;
    const PuzzleGraph graph(data.dictionary, data.words);
    int status = 0;
    for (size_t i = 0; i < puzzles.size(); ++i) {
        const authoring::PuzzleCheck check = authoring::checkPuzzle(graph, data.grades, puzzles[i]);
        out.write((i > 0 ? u"\n"_s : QString()) + authoring::checkText(check));
        if (!check.unique())
            status = 1;
        if (out.failed())
            break;
    }
    return out.written(error) ? status : 2;
}

int runMake(const Options &options, Output &out, FILE *error)
{
    if (!options.puzzles.isEmpty())
        return usageError(error, u"--make は問題を引数に取りません: "_s + options.puzzles.join(u' '));
    AuthoringData data;
    if (!loadData(options, data, true, error))
        return 2;
    const PuzzleGraph graph(data.dictionary, data.words);
    authoring::PuzzleMaker maker(graph, data.grades);
    const quint64 seed = options.seed.value_or(std::random_device{}());
    std::mt19937_64 rng(seed);
    const authoring::MakeOptions &making = options.making;
    for (int n = 0; n < options.count; ++n) {
        QString why;
        const std::optional<authoring::MadePuzzle> made = maker.make(making, rng, &why);
        if (!made) {
            writeText(error, u"tolvo-solve: "_s + why + u'\n');
            out.written(error);
            return 2;
        }
        // Only over puzzles: a refused request prints nothing on standard output.
        if (n == 0)
            out.write(u"# tolvo-solve --make: 文字 %1, 難しさ %2, 矢印 %3, seed %4 — 文字<TAB>矢印<TAB>答え<TAB>難しさ\n"_s
                          .arg(making.letters)
                          .arg(authoring::levelName(making.level), making.arrows ? u"あり"_s : u"なし"_s)
                          .arg(seed));
        QString letters, arrows;
        for (int box = 0; box < making.letters; ++box) {
            letters += made->puzzle.letters[size_t(box)];
            arrows += arrowChar(made->puzzle.arrows[size_t(box)]);
        }
        out.write(letters + u'\t' + arrows + u'\t' + made->answer + u"\t★"_s + QString::number(made->stars) + u'\n');
        if (out.failed())
            break;
    }
    return out.written(error) ? 0 : 2;
}

} // namespace solve
