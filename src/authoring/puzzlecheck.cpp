#include "authoring/puzzlecheck.h"
#include "authoring/kanjigrades.h"
#include "authoring/puzzlegraph.h"
#include "search/searchengine.h"

#include <algorithm>
#include <array>
#include <cmath>

using namespace Qt::StringLiterals;

namespace authoring {

namespace {

// The engine's candidates for puzzle, with its arrows or without.
SearchResult search(const PuzzleGraph &graph, const Puzzle &puzzle, bool withArrows)
{
    QStringList letters;
    QList<Arrow> arrows;
    for (int box = 0; box < Puzzle::kBoxes; ++box) {
        letters += puzzle.letters[box].isNull() ? QString() : QString(puzzle.letters[box]);
        arrows += withArrows ? puzzle.arrows[box] : Arrow::None;
    }
    FixedLetters hooks(letters, arrows);
    static thread_local SearchEngine engine;
    return engine.run(graph.dictionary(), hooks, &graph.words());
}

QString withHits(const SearchResult &result, qint32 hits)
{
    QString out;
    for (const Candidate &c : result.candidates)
        if (c.hits == hits)
            out += c.kanji;
    return out;
}

// How rare a word is, from about 0 (the most common) to 4 (unknown).
double rarity(const LetterWord &w)
{
    return w.word ? std::log10(double(w.word->rank) + 10.0) - 1.0 : 4.0;
}

double gradeWeight(int grade)
{
    if (grade >= 1 && grade <= 6)
        return (grade - 1) / 2 * 0.5;   // years 1-2: 0, 3-4: 0.5, 5-6: 1
    return grade == 8 ? 2.0 : 3.0;
}

QString wordText(const LetterWord &w)
{
    const QString spelling = w.arrow == Arrow::AnswerFirst ? QString(u"□"_s + w.letter) : QString(w.letter + u"□"_s);
    if (!w.word)
        return spelling + u"　tolvo の単語リストにない語"_s;
    QString text = w.word->spelling;
    if (!w.word->readings.isEmpty())
        text += u"（"_s + w.word->readings + u"）"_s;
    text += w.word->common ? u"　よく使う語"_s : u"　まれな語"_s;
    return text + u"（"_s + QString::number(w.word->rank + 1) + u" 番目）"_s;
}

} // namespace

std::vector<LetterWord> lettersWords(const PuzzleGraph &graph, const Puzzle &puzzle, QChar kanji)
{
    std::vector<LetterWord> out;
    for (int box = 0; box < Puzzle::kBoxes; ++box) {
        const QChar letter = puzzle.letters[box];
        if (!letter.isNull())
            out.push_back({box, letter, puzzle.arrows[box], wordFor(graph.words(), letter, puzzle.arrows[box], kanji)});
    }
    return out;
}

namespace {

QString fittingIn(const SearchResult &result)
{
    return result.activeLetterCount > 0 ? withHits(result, result.activeLetterCount) : QString();
}

std::vector<Decoy> decoysIn(const PuzzleGraph &graph, const Puzzle &puzzle, const SearchResult &result)
{
    std::vector<Decoy> out;
    if (result.activeLetterCount < 2)
        return out;
    for (QChar kanji : withHits(result, result.activeLetterCount - 1)) {
        for (int box = 0; box < Puzzle::kBoxes; ++box) {
            const QChar letter = puzzle.letters[box];
            if (!letter.isNull() && !graph.fits(letter, puzzle.arrows[box], kanji)) {
                out.push_back({kanji, box});
                break;
            }
        }
    }
    return out;
}

} // namespace

QString fittingKanji(const PuzzleGraph &graph, const Puzzle &puzzle)
{
    return fittingIn(search(graph, puzzle, true));
}

std::vector<Decoy> decoysOf(const PuzzleGraph &graph, const Puzzle &puzzle)
{
    return decoysIn(graph, puzzle, search(graph, puzzle, true));
}

int difficultyStars(const std::vector<LetterWord> &words, QChar answer, const KanjiGrades &grades, qsizetype decoys)
{
    if (words.empty())
        return 0;
    double rare = 0, letters = 0;
    for (const LetterWord &w : words) {
        rare += rarity(w);
        letters += gradeWeight(grades.grade(w.letter));
    }
    rare /= double(words.size());
    letters /= double(words.size());
    const double score = 0.9 * rare + 0.6 * gradeWeight(grades.grade(answer)) + 0.4 * letters
                       + 0.15 * double(std::min<qsizetype>(decoys, 6));
    return std::clamp(int(score - 0.6), 1, 5);
}

PuzzleCheck checkPuzzle(const PuzzleGraph &graph, const KanjiGrades &grades, const Puzzle &puzzle)
{
    PuzzleCheck check;
    check.puzzle = puzzle;
    for (int box = 0; box < Puzzle::kBoxes; ++box) {
        check.letterCount += puzzle.letters[box].isNull() ? 0 : 1;
        check.hasArrows = check.hasArrows || (!puzzle.letters[box].isNull() && puzzle.arrows[box] != Arrow::None);
    }
    const SearchResult arrowed = search(graph, puzzle, true);
    for (QChar kanji : fittingIn(arrowed))
        check.fitting.push_back({kanji, lettersWords(graph, puzzle, kanji)});
    check.decoys = decoysIn(graph, puzzle, arrowed);
    check.fittingWithoutArrows = fittingIn(search(graph, puzzle, false));
    if (!check.hasAnswer())
        return check;
    const QChar answer = check.answer();
    check.stars = difficultyStars(check.fitting.front().words, answer, grades, qsizetype(check.decoys.size()));
    if (check.unique())
        return check;

    // A letter in box rules the others out when none of the kanji that fit
    // every other letter (the rivals, and the near misses that miss box)
    // fits it, while the answer does.
    for (int box = 0; box < Puzzle::kBoxes; ++box) {
        if (puzzle.letters[box].isNull())
            continue;
        QString others;
        for (const Fitting &f : check.fitting)
            if (f.kanji != answer)
                others += f.kanji;
        for (const Decoy &d : check.decoys)
            if (d.missedBox == box)
                others += d.kanji;
        const Arrow arrow = puzzle.arrows[box];
        for (char16_t p : graph.partners(answer)) {
            const QChar letter(p);
            if (letter == answer || std::find(puzzle.letters.begin(), puzzle.letters.end(), letter) != puzzle.letters.end()
                || !graph.fits(letter, arrow, answer)
                || std::any_of(others.begin(), others.end(), [&](QChar o) { return graph.fits(letter, arrow, o); }))
                continue;
            if (const auto word = wordFor(graph.words(), letter, arrow, answer))
                check.replacements.push_back({box, letter, *word});
        }
    }
    std::stable_sort(check.replacements.begin(), check.replacements.end(),
                     [](const Replacement &a, const Replacement &b) { return a.word.rank < b.word.rank; });
    // A few, spread over the boxes: each letter once, two a box at most.
    std::vector<Replacement> few;
    std::array<int, Puzzle::kBoxes> perBox{};
    QString used;
    for (const Replacement &r : check.replacements) {
        if (few.size() == 6)
            break;
        if (used.contains(r.letter) || perBox[r.box] == 2)
            continue;
        used += r.letter;
        ++perBox[r.box];
        few.push_back(r);
    }
    check.replacements = std::move(few);
    return check;
}

QString starText(int stars)
{
    return QString(stars, u'★') + QString(5 - stars, u'☆');
}

QString checkText(const PuzzleCheck &check)
{
    const Puzzle &puzzle = check.puzzle;
    QString letters, arrows;
    for (int box = 0; box < Puzzle::kBoxes; ++box) {
        if (!puzzle.letters[box].isNull()) {
            letters += puzzle.letters[box];
            arrows += arrowChar(puzzle.arrows[box]);
        }
    }
    QString out = u"問題：　"_s + letters;
    if (check.hasArrows)
        out += u"　矢印："_s + arrows;
    out += u'\n';
    if (check.letterCount < 2)
        return out + u"文字が 2 つ以上ないと確かめられません。\n"_s;
    if (!check.hasAnswer()) {
        out += u"\nすべての文字に当てはまる漢字はありません。\n"_s;
    } else {
        out += u"\n答え：　"_s + check.answer() + u"　"_s + starText(check.stars) + u'\n';
        out += check.unique() ? u"すべての文字に当てはまる漢字はこれひとつです。\n"_s
                              : u"答えはひとつではありません。ほかに "_s + QString::number(check.fitting.size() - 1)
                                    + u" 字が当てはまります。\n"_s;
        for (const LetterWord &w : check.fitting.front().words)
            out += u"　　"_s + wordText(w) + u'\n';
    }
    // A puzzle of two or three letters can have hundreds of these; the
    // first ones say enough.
    constexpr size_t kShown = 12;
    for (size_t n = 1; n < check.fitting.size() && n <= kShown; ++n) {
        out += u"\nほかの答え：　"_s + check.fitting[n].kanji + u'\n';
        for (const LetterWord &w : check.fitting[n].words)
            out += u"　　"_s + wordText(w) + u'\n';
    }
    if (check.fitting.size() > kShown + 1) {
        out += u"\nほかの答えはまだ "_s + QString::number(check.fitting.size() - kShown - 1) + u" 字あります："_s;
        for (size_t n = kShown + 1; n < check.fitting.size(); ++n)
            out += check.fitting[n].kanji;
        out += u'\n';
    }
    out += u"\nひとつの文字だけに当てはまらない漢字："_s;
    if (check.decoys.empty())
        out += u"　なし\n"_s;
    else
        out += u'\n';
    for (size_t n = 0; n < check.decoys.size() && n < kShown; ++n)
        out += u"　　"_s + check.decoys[n].kanji + u"　（「"_s + puzzle.letters[check.decoys[n].missedBox]
             + u"」に当てはまらない）\n"_s;
    if (check.decoys.size() > kShown)
        out += u"　　ほか "_s + QString::number(check.decoys.size() - kShown) + u" 字\n"_s;
    if (check.hasArrows) {
        out += u"\n矢印を見せないとき："_s;
        if (check.uniqueWithoutArrows())
            out += u"　答えはひとつのままです。\n"_s;
        else if (check.fittingWithoutArrows.isEmpty())
            out += u"　当てはまる漢字はありません。\n"_s;
        else
            out += u"　"_s + QString::number(check.fittingWithoutArrows.size()) + u" 字が当てはまります（"_s
                 + check.fittingWithoutArrows + u"）。\n"_s;
    }
    if (!check.replacements.empty()) {
        out += u"\n答えをひとつにする文字の入れ替え：\n"_s;
        for (const Replacement &r : check.replacements)
            out += u"　　「"_s + puzzle.letters[r.box] + u"」の代わりに「"_s + r.letter + u"」（"_s + r.word.spelling
                 + u"）\n"_s;
    }
    return out;
}

} // namespace authoring
