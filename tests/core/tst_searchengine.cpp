#include "dictionary/dictionary.h"
#include "search/searchengine.h"
#include "search/wordlist.h"
#include "tempfiles.h"

#include <QHash>
#include <QRandomGenerator>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

DictionaryStore storeOf(const QStringList &fileLines)
{
    QTemporaryDir dir;
    DictionaryStore store;
    readDictionaryFile(writeBytes(dir, u"t.dic"_s, sjis(fileLines.join(u"\r\n"_s))), store);
    return store;
}

QStringList boxes(const QString &layout)
{
    // "続|家||露" -> six boxes, empty where nothing stands between bars.
    QStringList b = layout.split(u'|');
    while (b.size() < kLetterBoxCount)
        b.append(QString());
    return b;
}

QString listedText(const SearchResult &r)
{
    QStringList out;
    for (const Candidate &c : r.listed())
        out.append(QString(c.kanji) + u':' + QString::number(c.hits));
    return out.join(u' ');
}

// The rules read independently: whole lines fetched by number, counts kept
// in a hash, discovery order in a list.
SearchResult oracle(const DictionaryStore &d, const QStringList &letters)
{
    SearchResult r;
    QHash<QChar, qint32> hits;
    QList<QChar> order;
    for (const QString &l : letters) {
        if (l.isEmpty())
            continue;
        ++r.activeLetterCount;
        for (qint32 n = 1; n <= d.lineCount(); ++n) {
            const QString line = std::get<QString>(GetDictionaryValue(d, u"Kanji"_s, n));
            if (line.first(1) != l)
                continue;
            for (QChar c : line.mid(1)) {
                if (!hits.contains(c))
                    order.append(c);
                ++hits[c];
            }
        }
    }
    for (QChar c : order)
        r.candidates.push_back({c, hits[c]});
    for (qsizetype k = 0; k < order.size(); ++k)
        if (hits[order[k]] >= r.activeLetterCount) {
            r.answerIndex = k;
            break;
        }
    return r;
}

class RecordingHooks : public SearchHooks
{
public:
    explicit RecordingHooks(QStringList letters) : m_letters(std::move(letters)) {}
    QString letterText(int box) override
    {
        events.append(u"read "_s + QString::number(box));
        return m_letters[box];
    }
    void boxStarted(int box) override { events.append(u"box "_s + QString::number(box)); }
    void lineTick(int box, qint32 line) override
    {
        events.append(u"tick "_s + QString::number(box) + u'@' + QString::number(line));
        if (cancelAtTick == events.size())
            cancel = true;
    }
    void letterStep() override { events.append(u"step"_s); }
    const bool *cancelFlag() const override { return &cancel; }

    QStringList events;
    int cancelAtTick = -1;
    bool cancel = false;

private:
    QStringList m_letters;
};

const QStringList kWorked = {
    u"出続家版露身発後"_s, u"続出後"_s, u"家出後"_s, u"版出"_s, u"露出後"_s, u"身出"_s, u"発出後"_s,
};

} // namespace

class TestSearchEngine : public QObject
{
    Q_OBJECT
private slots:
    void rules_data()
    {
        QTest::addColumn<QStringList>("dictionary");
        QTest::addColumn<QString>("letters");
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QString>("listed");
        QTest::addColumn<int>("active");
        QTest::newRow("worked example") << kWorked << u"続|家|版|露|身|発"_s << u"出"_s << u"出:6 後:4"_s << 6;
        QTest::newRow("all boxes empty") << kWorked << u""_s << u""_s << u""_s << 0;
        QTest::newRow("single letter: first partner wins")
            << kWorked << u"出"_s << u"続"_s << u"続:1 家:1 版:1 露:1 身:1 発:1 後:1"_s << 1;
        QTest::newRow("letter heading no line")
            << kWorked << u"続|鳥"_s << u""_s << u"出:1 後:1"_s << 2;
        QTest::newRow("same letter twice")
            << kWorked << u"続|続"_s << u"出"_s << u"出:2 後:2"_s << 2;
        QTest::newRow("kanji twice in a line")
            << QStringList{u"続出出"_s, u"家後"_s} << u"続|家"_s << u"出"_s << u"出:2 後:1"_s << 2;
        QTest::newRow("tie goes to discovery order")
            << QStringList{u"甲乙丙"_s, u"丁丙乙"_s} << u"甲|丁"_s << u"乙"_s << u"乙:2 丙:2"_s << 2;
        QTest::newRow("multi-character box never matches but counts")
            << kWorked << u"続|家出"_s << u""_s << u"出:1 後:1"_s << 2;
        QTest::newRow("trailing blanks are partners")
            << QStringList{u"続出  "_s} << u"続"_s << u"出"_s << u"出:1  :2"_s << 1;
        QTest::newRow("repeated heads all scanned")
            << QStringList{u"続出"_s, u"家出"_s, u"続後"_s} << u"続|家"_s << u"出"_s << u"出:2 後:1"_s << 2;
        QTest::newRow("boxes 0 2 5 only")
            << kWorked << u"続||版|||発"_s << u"出"_s << u"出:3 後:2"_s << 3;
        QTest::newRow("threshold rounds up: 3 letters need 2")
            << QStringList{u"甲乙丙"_s, u"丁乙"_s, u"戊丙"_s, u"己乙"_s} << u"甲|丁|戊"_s
            << u""_s << u"乙:2 丙:2"_s << 3;
        QTest::newRow("exact code units: no width folding")
            << QStringList{u"Ａ出"_s, u"A後"_s} << u"A"_s << u"後"_s << u"後:1"_s << 1;
    }
    void rules()
    {
        QFETCH(QStringList, dictionary);
        QFETCH(QString, letters);
        QFETCH(QString, answer);
        QFETCH(QString, listed);
        QFETCH(int, active);
        const DictionaryStore d = storeOf(dictionary);
        FixedLetters hooks(boxes(letters));
        SearchEngine engine;
        const SearchResult r = engine.run(d, hooks);
        QCOMPARE(r.answer(), answer);
        QCOMPARE(listedText(r), listed);
        QCOMPARE(r.activeLetterCount, active);
        QVERIFY(!r.cancelled);
        // The index of candidates must be clean for the next search.
        const SearchResult again = engine.run(d, hooks);
        QCOMPARE(again.candidates, r.candidates);
    }

    // A letter with an arrow counts a partner only for a word listed in the
    // arrow's order; the partners it rules out are never discovered.
    void arrows_data()
    {
        QTest::addColumn<QString>("words");
        QTest::addColumn<QString>("arrows");
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QString>("listed");
        const QString words = u"手順\t\n順番\t\n手当\t\n当番\t\n交手\t\n交番\t\n組手\t\n番組\t\n"_s;
        QTest::newRow("no arrows: the first to reach all") << words << u"----"_s << u"手"_s << u"手:4 番:4"_s;
        QTest::newRow("arrows rule the rival out") << words << u">>><"_s << u"番"_s << u"番:4"_s;
        QTest::newRow("the other way round: no answer")
            << words << u"<<<>"_s << u""_s << u"手:3"_s;
        QTest::newRow("without words an arrowed letter counts nothing")
            << QString() << u">---"_s << u""_s << u"手:3 番:3"_s;
    }
    void arrows()
    {
        QFETCH(QString, words);
        QFETCH(QString, arrows);
        const DictionaryStore d = storeOf({u"順手番"_s, u"当手番"_s, u"交手番"_s, u"組手番"_s});
        WordList list;
        list.loadText(words);
        FixedLetters hooks(boxes(u"順|当|交|組"_s), *parseArrows(arrows));
        const SearchResult r = SearchEngine().run(d, hooks, &list);
        QTEST(r.answer(), "answer");
        QTEST(listedText(r), "listed");
        QCOMPARE(r.activeLetterCount, 4);
    }

    void matchesIndependentReading()
    {
        QRandomGenerator rng(7);
        const QString alphabet = u"出続家版露身発後甲乙丙丁 "_s;
        auto pick = [&] { return alphabet[rng.bounded(alphabet.size())]; };
        SearchEngine engine;
        for (int round = 0; round < 300; ++round) {
            QStringList lines;
            const int count = 1 + rng.bounded(150);
            for (int i = 0; i < count; ++i) {
                QString line = QString(rng.bounded(4), u' ');
                const int len = rng.bounded(8);
                for (int k = 0; k < len; ++k)
                    line += pick();
                lines.append(line);
            }
            const DictionaryStore d = storeOf(lines);
            if (d.lineCount() == 0)
                continue;
            QStringList letters;
            for (int b = 0; b < kLetterBoxCount; ++b) {
                const int kind = rng.bounded(6);
                letters.append(kind == 0 ? QString() : kind == 1 ? QString(pick()) + pick() : QString(pick()));
            }
            FixedLetters hooks(letters);
            const SearchResult fast = engine.run(d, hooks);
            const SearchResult slow = oracle(d, letters);
            QCOMPARE(fast.candidates, slow.candidates);
            QCOMPARE(fast.answerIndex, slow.answerIndex);
            QCOMPARE(fast.activeLetterCount, slow.activeLetterCount);
        }
    }

    // Ticks come before lines 50, 100, … of every non-empty box; a step
    // after every box and one more for the answer.
    void hookOrder()
    {
        QStringList lines;
        for (int i = 0; i < 120; ++i)
            lines.append(u"出続"_s);
        const DictionaryStore d = storeOf(lines);
        RecordingHooks hooks(boxes(u"出|||家"_s));
        SearchEngine().run(d, hooks);
        const QStringList expected = {
            u"box 0"_s, u"read 0"_s, u"tick 0@50"_s, u"tick 0@100"_s, u"step"_s,
            u"box 1"_s, u"read 1"_s, u"step"_s,
            u"box 2"_s, u"read 2"_s, u"step"_s,
            u"box 3"_s, u"read 3"_s, u"tick 3@50"_s, u"tick 3@100"_s, u"step"_s,
            u"box 4"_s, u"read 4"_s, u"step"_s,
            u"box 5"_s, u"read 5"_s, u"step"_s,
            u"step"_s,
        };
        QCOMPARE(hooks.events, expected);
    }

    void fewerThanFiftyLinesNeverTick()
    {
        QStringList lines(49, u"出続"_s);
        RecordingHooks hooks(boxes(u"出|出|出|出|出|出"_s));
        const SearchResult r = SearchEngine().run(storeOf(lines), hooks);
        QVERIFY(!hooks.events.join(u',').contains(u"tick"_s));
        QCOMPARE(r.candidates.front().hits, 6 * 49);
    }

    // Cancelled while box 2 is scanned: its remaining lines and the later
    // boxes are skipped, box 2 still takes its step, no answer is chosen.
    void cancelDuringThirdBox()
    {
        QStringList lines(200, u"出続"_s);
        RecordingHooks hooks(boxes(u"出|出|出|出|出|出"_s));
        hooks.cancelAtTick = 18;   // boxes 0 and 1: 7 events each; box 2: box, read, tick@50, tick@100
        const SearchResult r = SearchEngine().run(storeOf(lines), hooks);
        QVERIFY(r.cancelled);
        QVERIFY(!r.hasAnswer());
        QCOMPARE(hooks.events.last(), u"step"_s);
        QCOMPARE(hooks.events.count(u"step"_s), 3);
        QCOMPARE(hooks.events.at(hooks.events.size() - 2), u"tick 2@100"_s);
        QCOMPARE(r.activeLetterCount, 3);
        // The line whose tick asked to stop is still counted, then the scan stops.
        QCOMPARE(r.candidates.front().hits, 200 + 200 + 100);
    }

    // A hook that throws half-way must not leave the next search counting
    // into stale candidates.
    void failedSearchLeavesEngineClean()
    {
        QStringList lines(60, u"水火"_s);
        lines.prepend(u"山川木"_s);
        const DictionaryStore d = storeOf(lines);
        class Throwing : public FixedLetters
        {
        public:
            using FixedLetters::FixedLetters;
            void lineTick(int, qint32) override { throw std::runtime_error("hook failed"); }
        } throwing(boxes(u"山|水"_s));
        SearchEngine engine;
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, engine.run(d, throwing));
        FixedLetters mountain(boxes(u"山"_s));
        const SearchResult r = engine.run(d, mountain);
        QCOMPARE(r.answer(), u"川"_s);
        QCOMPARE(listedText(r), u"川:1 木:1"_s);
    }
};

QTEST_GUILESS_MAIN(TestSearchEngine)
#include "tst_searchengine.moc"
