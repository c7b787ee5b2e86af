#include "authoring/puzzlemaker.h"
#include "authoring/kanjigrades.h"
#include "authoring/puzzlecheck.h"
#include "authoring/puzzlegraph.h"
#include "search/wordlist.h"

#include <QElapsedTimer>

#include <algorithm>
#include <span>

using namespace Qt::StringLiterals;

namespace authoring {

namespace {

// The easy level's words: common, and among the first this many of the list.
constexpr qint32 kEasyWordRank = 6000;
// Near misses an easy puzzle may have.
constexpr qsizetype kEasyDecoys = 2;
// The most frequent kanji are answers to too many puzzles to be much of a
// question; they are drawn this much less often.
constexpr int kGenericRank = 100;
constexpr double kGenericChance = 0.25;
// How long make() looks before it says no puzzle can be made.
constexpr qint64 kMakeLimitMs = 1000;

int levelKey(const MakeOptions &o)
{
    return int(o.level) * 100 + o.letters * 2 + (o.arrows ? 1 : 0);
}

} // namespace

std::optional<Level> parseLevel(QStringView text)
{
    if (text == u"easy" || text == u"やさしい")
        return Level::Easy;
    if (text == u"normal" || text == u"ふつう")
        return Level::Normal;
    if (text == u"hard" || text == u"むずかしい")
        return Level::Hard;
    return std::nullopt;
}

QString levelName(Level level)
{
    switch (level) {
    case Level::Easy:
        return u"やさしい"_s;
    case Level::Normal:
        return u"ふつう"_s;
    case Level::Hard:
        break;
    }
    return u"むずかしい"_s;
}

PuzzleMaker::PuzzleMaker(const PuzzleGraph &graph, const KanjiGrades &grades) : m_graph(graph), m_grades(grades)
{
}

bool PuzzleMaker::kanjiInLevel(QChar kanji, Level level) const
{
    switch (level) {
    case Level::Easy:
        return m_grades.isSchool(kanji);
    case Level::Normal:
        return m_grades.isJoyo(kanji);
    case Level::Hard:
        break;
    }
    return m_grades.grade(kanji) > 0 || m_grades.frequency(kanji) > 0;
}

bool PuzzleMaker::wordInLevel(QChar letter, Arrow arrow, QChar answer, Level level) const
{
    const auto word = wordFor(m_graph.words(), letter, arrow, answer);
    if (!word)
        return false;
    switch (level) {
    case Level::Easy:
        return word->common && word->rank < kEasyWordRank;
    case Level::Normal:
        return word->common;
    case Level::Hard:
        break;
    }
    return true;
}

// Every letter that could stand beside answer, with the arrow it would show.
std::vector<PuzzleMaker::Choice> PuzzleMaker::choices(QChar answer, const MakeOptions &options,
                                                      std::mt19937_64 &rng) const
{
    std::vector<Choice> out;
    for (char16_t p : m_graph.partners(answer)) {
        const QChar letter(p);
        if (letter == answer || !kanjiInLevel(letter, options.level) || m_grades.areVariants(letter, answer))
            continue;
        static constexpr Arrow kArrowed[] = {Arrow::LetterFirst, Arrow::AnswerFirst};
        static constexpr Arrow kPlain[] = {Arrow::None};
        Arrow ways[2];
        int count = 0;
        for (Arrow arrow : options.arrows ? std::span<const Arrow>(kArrowed) : std::span<const Arrow>(kPlain)) {
            if (m_graph.fits(letter, arrow, answer) && wordInLevel(letter, arrow, answer, options.level))
                ways[count++] = arrow;
        }
        if (count == 0)
            continue;
        const Arrow arrow = ways[count == 1 ? 0 : rng() % 2];
        out.push_back({letter, arrow, wordFor(m_graph.words(), letter, arrow, answer)->rank});
    }
    return out;
}

const std::vector<char16_t> &PuzzleMaker::answerPool(const MakeOptions &options)
{
    auto [it, added] = m_pools.try_emplace(levelKey(options));
    if (added) {
        std::mt19937_64 any(0);
        for (char16_t head : m_graph.heads())
            if (kanjiInLevel(QChar(head), options.level)
                && qsizetype(choices(QChar(head), options, any).size()) >= options.letters)
                it->second.push_back(head);
    }
    return it->second;
}

const std::vector<char16_t> &PuzzleMaker::fitSet(QChar letter, Arrow arrow)
{
    auto [it, added] = m_fitSets.try_emplace(quint32(letter.unicode()) << 2 | quint32(arrow));
    if (added) {
        for (char16_t p : m_graph.partners(letter))
            if (m_graph.fits(letter, arrow, QChar(p)))
                it->second.push_back(p);
        // Sorted, for the intersections that narrow the rivals.
        std::sort(it->second.begin(), it->second.end());
    }
    return it->second;
}

std::optional<MadePuzzle> PuzzleMaker::tryAnswer(QChar answer, const MakeOptions &options, std::mt19937_64 &rng,
                                                 int attempts)
{
    std::vector<Choice> all = choices(answer, options, rng);
    if (qsizetype(all.size()) < options.letters)
        return std::nullopt;
    std::vector<char16_t> rivals, narrowed;
    QElapsedTimer clock;
    clock.start();
    for (int attempt = 0; attempt < attempts && clock.elapsed() < kMakeLimitMs; ++attempt) {
        std::shuffle(all.begin(), all.end(), rng);
        std::vector<Choice> chosen;
        bool first = true;
        const auto allowed = [&](const Choice &c) {
            for (const Choice &o : chosen)
                if (o.letter == c.letter || m_grades.areVariants(o.letter, c.letter)
                    || (isNumeral(o.letter) && isNumeral(c.letter)))
                    return false;
            return true;
        };
        const auto narrow = [&](const Choice &c, std::vector<char16_t> &into) {
            const std::vector<char16_t> &fit = fitSet(c.letter, c.arrow);
            into.clear();
            if (first)
                std::copy_if(fit.begin(), fit.end(), std::back_inserter(into),
                             [&](char16_t k) { return k != answer.unicode(); });
            else
                std::set_intersection(rivals.begin(), rivals.end(), fit.begin(), fit.end(), std::back_inserter(into));
        };
        // The first letters at random; the last two chosen to rule out
        // the rivals left.
        for (const Choice &c : all) {
            if (int(chosen.size()) == options.letters - 2)
                break;
            if (!allowed(c))
                continue;
            narrow(c, narrowed);
            rivals.swap(narrowed);
            first = false;
            chosen.push_back(c);
        }
        while (int(chosen.size()) < options.letters) {
            const Choice *best = nullptr;
            size_t bestLeft = SIZE_MAX;
            for (const Choice &c : all) {
                if (!allowed(c))
                    continue;
                narrow(c, narrowed);
                if (narrowed.size() < bestLeft) {
                    bestLeft = narrowed.size();
                    best = &c;
                    if (bestLeft == 0)
                        break;
                }
            }
            if (!best)
                break;
            narrow(*best, narrowed);
            rivals.swap(narrowed);
            first = false;
            chosen.push_back(*best);
        }
        if (int(chosen.size()) < options.letters || !rivals.empty())
            continue;
        MadePuzzle made;
        made.answer = answer;
        // Clockwise in the boxes' order, in the order drawn.
        for (int box = 0; box < options.letters; ++box) {
            made.puzzle.letters[box] = chosen[box].letter;
            made.puzzle.arrows[box] = chosen[box].arrow;
        }
        if (!faults(made, options).isEmpty())
            continue;
        made.stars = difficultyStars(lettersWords(m_graph, made.puzzle, answer), answer, m_grades,
                                     qsizetype(decoysOf(m_graph, made.puzzle).size()));
        return made;
    }
    return std::nullopt;
}

std::optional<MadePuzzle> PuzzleMaker::make(const MakeOptions &options, std::mt19937_64 &rng, QString *error)
{
    const QString level = u"「"_s + levelName(options.level) + u"」"_s;
    if (options.letters != 4 && options.letters != 6) {
        *error = u"文字の数は 4 か 6 です。"_s;
        return std::nullopt;
    }
    if (!options.answer.isNull()) {
        const QString answer = u"「"_s + options.answer + u"」"_s;
        if (!m_graph.isHead(options.answer)) {
            *error = answer + u"は辞書のどの行の見出しにもありません。"_s;
            return std::nullopt;
        }
        if (!kanjiInLevel(options.answer, options.level)) {
            *error = answer + u"は"_s + level + u"の漢字ではありません。"_s;
            return std::nullopt;
        }
        std::mt19937_64 any(0);
        const qsizetype words = qsizetype(choices(options.answer, options, any).size());
        if (words < options.letters) {
            *error = answer + u"と"_s + level + u"の熟語になる漢字は"_s
                   + (words == 0 ? u"ありません"_s : u" "_s + QString::number(words) + u" 字しかありません"_s) + u"（"_s
                   + QString::number(options.letters) + u" 字要ります）。"_s;
            return std::nullopt;
        }
        if (auto made = tryAnswer(options.answer, options, rng, 200))
            return made;
        *error = answer + u"を答えにする"_s + level + u"の問題は、答えがひとつになるように作れませんでした。"_s;
        return std::nullopt;
    }
    const std::vector<char16_t> &pool = answerPool(options);
    QElapsedTimer clock;
    clock.start();
    std::uniform_real_distribution<double> chance(0.0, 1.0);
    while (!pool.empty() && clock.elapsed() < kMakeLimitMs) {
        const QChar answer(pool[rng() % pool.size()]);
        const int rank = m_grades.frequency(answer);
        if (rank > 0 && rank <= kGenericRank && chance(rng) > kGenericChance)
            continue;
        if (auto made = tryAnswer(answer, options, rng, 4))
            return made;
    }
    *error = level + u"の "_s + QString::number(options.letters) + u" 文字の問題は、この条件では作れませんでした。"_s;
    return std::nullopt;
}

QStringList PuzzleMaker::faults(const MadePuzzle &made, const MakeOptions &options) const
{
    QStringList out;
    const Puzzle &p = made.puzzle;
    const QChar answer = made.answer;
    const QString letters = p.letterText();
    if (letters.size() != options.letters)
        out += u"letters: %1, not %2"_s.arg(letters.size()).arg(options.letters);
    if (const QString fitting = fittingKanji(m_graph, p); fitting != QString(answer))
        out += u"fitting with arrows: "_s + fitting;
    if (options.strict) {
        Puzzle hidden = p;
        hidden.arrows = {};
        if (const QString fitting = fittingKanji(m_graph, hidden); fitting != QString(answer))
            out += u"fitting without arrows: "_s + fitting;
    }
    if (!kanjiInLevel(answer, options.level))
        out += u"answer outside the level: "_s + answer;
    int numerals = 0;
    for (qsizetype i = 0; i < letters.size(); ++i) {
        const QChar l = letters[i];
        const Arrow arrow = p.arrows[i];
        if (l == answer || m_grades.areVariants(l, answer))
            out += u"letter is the answer: "_s + l;
        if (!kanjiInLevel(l, options.level))
            out += u"letter outside the level: "_s + l;
        if (!wordInLevel(l, arrow, answer, options.level))
            out += u"word outside the level: "_s + l + answer;
        if ((arrow == Arrow::None) == options.arrows)
            out += u"arrow: "_s + l;
        for (qsizetype j = 0; j < i; ++j)
            if (letters[j] == l || m_grades.areVariants(letters[j], l))
                out += u"letters alike: "_s + letters[j] + l;
        numerals += isNumeral(l) ? 1 : 0;
    }
    if (numerals > 1)
        out += u"numerals: %1"_s.arg(numerals);
    if (options.level == Level::Easy) {
        const size_t decoys = decoysOf(m_graph, p).size();
        if (qsizetype(decoys) > kEasyDecoys)
            out += u"near misses: %1"_s.arg(decoys);
    }
    return out;
}

} // namespace authoring
