// Made puzzles checked by rules of their own, independent of the maker's,
// over seeded batches on the shipped data; and the check of a known puzzle.
#include "authoring/kanjigrades.h"
#include "authoring/puzzlecheck.h"
#include "authoring/puzzlegraph.h"
#include "authoring/puzzlemaker.h"
#include "dictionary/dictionary.h"
#include "search/searchengine.h"
#include "search/wordlist.h"

#include <QTest>

using namespace Qt::StringLiterals;
using namespace authoring;

namespace {

struct Shipped {
    DictionaryStore dictionary;
    WordList words;
    KanjiGrades grades;
    bool ok = false;
    Shipped()
    {
        const QString dir = QStringLiteral(TOLVO_BIN_DIR) + u'/';
        ok = readDictionaryFile(dir + u"tolvo.dic"_s, dictionary) == DictionaryLoad::Loaded
          && words.load(dir + u"tolvo.words"_s) && grades.load(dir + u"tolvo.grades"_s);
    }
};

Shipped &shipped()
{
    static Shipped data;
    return data;
}

// The kanji the engine counts with every letter, arrows shown or not.
QString fullHits(const Puzzle &p, bool arrows)
{
    QStringList letters;
    QList<Arrow> arrowList;
    for (int i = 0; i < Puzzle::kBoxes; ++i) {
        letters += p.letters[i].isNull() ? QString() : QString(p.letters[i]);
        arrowList += arrows ? p.arrows[i] : Arrow::None;
    }
    FixedLetters hooks(letters, arrowList);
    SearchEngine engine;
    const SearchResult r = engine.run(shipped().dictionary, hooks, &shipped().words);
    QString out;
    for (const Candidate &c : r.candidates)
        if (c.hits >= r.activeLetterCount)
            out += c.kanji;
    return out;
}

Puzzle puzzleOf(const QString &letters, const QString &arrows)
{
    Puzzle p = Puzzle::fromLetters(letters);
    const auto parsed = parseArrows(arrows);
    for (qsizetype i = 0; parsed && i < parsed->size(); ++i)
        p.arrows[size_t(i)] = (*parsed)[i];
    return p;
}

} // namespace

class TestPuzzleMaker : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { QVERIFY2(shipped().ok, "the shipped tolvo.dic, tolvo.words and tolvo.grades"); }

    void madeBatch_data()
    {
        QTest::addColumn<int>("level");
        QTest::addColumn<int>("letters");
        QTest::addColumn<bool>("arrows");
        QTest::addColumn<bool>("strict");
        for (Level level : {Level::Easy, Level::Normal, Level::Hard})
            for (int letters : {4, 6})
                QTest::addRow("%s, %d letters", qPrintable(levelName(level)), letters)
                    << int(level) << letters << true << false;
        QTest::newRow("no arrows") << int(Level::Normal) << 4 << false << false;
        QTest::newRow("strict: unique with the arrows hidden") << int(Level::Normal) << 6 << true << true;
    }
    void madeBatch()
    {
        QFETCH(int, level);
        QFETCH(int, letters);
        QFETCH(bool, arrows);
        QFETCH(bool, strict);
        const Shipped &s = shipped();
        const PuzzleGraph graph(s.dictionary, s.words);
        PuzzleMaker maker(graph, s.grades);
        const MakeOptions options{letters, Level(level), QChar(), arrows, strict};
        std::mt19937_64 rng(42);
        int generic = 0, letterFirst = 0, answerFirst = 0;
        const int batch = 100;
        for (int n = 0; n < batch; ++n) {
            QString why;
            const auto made = maker.make(options, rng, &why);
            QVERIFY2(made, qPrintable(why));
            const Puzzle &p = made->puzzle;
            const QString text = p.letterText();
            const QString where = text + u" → "_s + made->answer;
            QCOMPARE(text.size(), letters);
            QVERIFY2(fullHits(p, true) == QString(made->answer), qPrintable(where + u": "_s + fullHits(p, true)));
            if (strict)
                QVERIFY2(fullHits(p, false) == QString(made->answer), qPrintable(where));
            int numerals = 0;
            for (int i = 0; i < letters; ++i) {
                const QChar l = text[i];
                QVERIFY2(l != made->answer && text.count(l) == 1, qPrintable(where));
                for (int j = 0; j < i; ++j)
                    QVERIFY2(!s.grades.areVariants(text[j], l), qPrintable(where));
                numerals += isNumeral(l) ? 1 : 0;
                const Arrow a = p.arrows[i];
                QCOMPARE(a != Arrow::None, arrows);
                letterFirst += a == Arrow::LetterFirst ? 1 : 0;
                answerFirst += a == Arrow::AnswerFirst ? 1 : 0;
                const auto word = wordFor(s.words, l, a, made->answer);
                QVERIFY2(word, qPrintable(where));
                if (Level(level) != Level::Hard) {
                    QVERIFY2(word->common, qPrintable(where + u": "_s + word->spelling));
                    const bool school = Level(level) == Level::Easy;
                    for (QChar k : {l, made->answer})
                        QVERIFY2(school ? s.grades.isSchool(k) : s.grades.isJoyo(k), qPrintable(where));
                }
            }
            QVERIFY2(numerals <= 1, qPrintable(where));
            if (Level(level) == Level::Easy)
                QVERIFY2(decoysOf(graph, p).size() <= 2, qPrintable(where));
            QVERIFY(made->stars >= 1 && made->stars <= 5);
            const int rank = s.grades.frequency(made->answer);
            generic += rank > 0 && rank <= 100 ? 1 : 0;
        }
        QVERIFY2(generic <= batch / 10, qPrintable(QString::number(generic)));
        if (arrows)
            QVERIFY(letterFirst > 0 && answerFirst > 0);
    }

    // The same seed makes the same puzzles.
    void seeded()
    {
        const Shipped &s = shipped();
        const PuzzleGraph graph(s.dictionary, s.words);
        QStringList runs[2];
        for (QStringList &run : runs) {
            PuzzleMaker maker(graph, s.grades);
            std::mt19937_64 rng(7);
            QString why;
            for (int n = 0; n < 5; ++n)
                run += maker.make({}, rng, &why)->puzzle.letterText();
        }
        QCOMPARE(runs[0], runs[1]);
    }

    void refused_data()
    {
        QTest::addColumn<QChar>("answer");
        QTest::addColumn<int>("level");
        QTest::addColumn<QString>("message");
        QTest::newRow("heads no line") << QChar(u'丂') << int(Level::Hard) << u"見出しにもありません"_s;
        QTest::newRow("outside the level") << QChar(u'璽') << int(Level::Easy) << u"「やさしい」の漢字ではありません"_s;
        QTest::newRow("too few words of the level") << QChar(u'璽') << int(Level::Normal) << u"字要ります"_s;
    }
    void refused()
    {
        QFETCH(QChar, answer);
        QFETCH(int, level);
        QFETCH(QString, message);
        const Shipped &s = shipped();
        const PuzzleGraph graph(s.dictionary, s.words);
        PuzzleMaker maker(graph, s.grades);
        std::mt19937_64 rng(1);
        QString why;
        MakeOptions options;
        options.answer = answer;
        options.level = Level(level);
        options.letters = 6;
        QVERIFY(!maker.make(options, rng, &why));
        QVERIFY2(why.contains(message), qPrintable(why));
    }

    void checkKnown_data()
    {
        QTest::addColumn<QString>("arrows");
        QTest::addColumn<QString>("fitting");
        QTest::addColumn<QString>("withoutArrows");
        QTest::newRow("no arrows: 手 and 番") << QString() << u"手番"_s << u"手番"_s;
        QTest::newRow(">>><: 番 alone") << u">>><"_s << u"番"_s << u"手番"_s;
    }
    void checkKnown()
    {
        QFETCH(QString, arrows);
        QFETCH(QString, fitting);
        QFETCH(QString, withoutArrows);
        const Shipped &s = shipped();
        const PuzzleGraph graph(s.dictionary, s.words);
        const PuzzleCheck check = checkPuzzle(graph, s.grades, puzzleOf(u"順当交組"_s, arrows));
        QString found;
        for (const Fitting &f : check.fitting)
            found += f.kanji;
        QCOMPARE(found, fitting);
        QCOMPARE(check.fittingWithoutArrows, withoutArrows);
        QCOMPARE(check.fitting.front().words.size(), size_t(4));
        // Every letter offered in place of one makes the answer unique.
        QCOMPARE(check.replacements.empty(), check.unique());
        for (const Replacement &r : check.replacements) {
            Puzzle p = check.puzzle;
            p.letters[r.box] = r.letter;
            QCOMPARE(fullHits(p, true), QString(check.answer()));
        }
        const QString text = checkText(check);
        for (QChar k : fitting)
            QVERIFY2(text.contains(k), qPrintable(text));
    }
};

QTEST_GUILESS_MAIN(TestPuzzleMaker)
#include "tst_puzzlemaker.moc"
