// tolvo-solve's command line, puzzle reading and result line, without the process.
#include "cli/solve.h"
#include "search/searchengine.h"

#include <QBuffer>
#include <QTest>

using namespace Qt::StringLiterals;

class TestSolve : public QObject
{
    Q_OBJECT
private slots:
    void parseArguments_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QStringList>("puzzles");
        QTest::addColumn<QString>("dictionary");
        QTest::addColumn<QString>("flags");
        QTest::addColumn<QString>("error");
        QTest::newRow("no arguments: standard input") << QStringList() << QStringList() << QString() << u"stdin"_s
                                                      << QString();
        QTest::newRow("options between puzzles") << QStringList{u"続"_s, u"-d"_s, u"x.dic"_s, u"--words"_s, u"家"_s}
                                                 << QStringList{u"続"_s, u"家"_s} << u"x.dic"_s << u"words"_s << QString();
        QTest::newRow("--dictionary=") << QStringList{u"--dictionary=a b.dic"_s} << QStringList() << u"a b.dic"_s
                                       << u"stdin"_s << QString();
        QTest::newRow("after --, options are puzzles") << QStringList{u"--"_s, u"-x"_s, u"--help"_s}
                                                       << QStringList{u"-x"_s, u"--help"_s} << QString() << QString()
                                                       << QString();
        QTest::newRow("a lone dash is a puzzle") << QStringList{u"-"_s} << QStringList{u"-"_s} << QString() << QString()
                                                 << QString();
        QTest::newRow("help ends the reading") << QStringList{u"--help"_s, u"--bogus"_s} << QStringList() << QString()
                                               << u"help stdin"_s << QString();
        QTest::newRow("unknown option before help") << QStringList{u"--bogus"_s, u"-h"_s} << QStringList() << QString()
                                                    << u"stdin"_s << u"不明なオプションです: --bogus"_s;
        QTest::newRow("-d without file") << QStringList{u"続"_s, u"-d"_s} << QStringList{u"続"_s} << QString()
                                         << QString() << u"-d には辞書ファイルを指定してください。"_s;
        QTest::newRow("--dictionary without file") << QStringList{u"--dictionary"_s} << QStringList() << QString()
                                                   << u"stdin"_s << u"-d には辞書ファイルを指定してください。"_s;
    }
    void parseArguments()
    {
        QFETCH(QStringList, args);
        const solve::Options options = solve::parseArguments(args);
        QTEST(options.puzzles, "puzzles");
        QTEST(options.dictionaryPath, "dictionary");
        QStringList flags;
        if (options.showWords)
            flags += u"words"_s;
        if (options.help)
            flags += u"help"_s;
        if (options.readStdin)
            flags += u"stdin"_s;
        QTEST(flags.join(u' '), "flags");
        QTEST(options.usageError, "error");
    }

    void letterBoxes_data()
    {
        QTest::addColumn<QString>("puzzle");
        QTest::addColumn<QStringList>("boxes");
        QTest::addColumn<QString>("outside");
        QTest::newRow("basic plane") << u"続家"_s << QStringList{u"続"_s, u"家"_s} << QString();
        QTest::newRow("outside the basic plane: no box, and named")
            << u"𠮷続𠮷"_s << QStringList{u"続"_s} << u"𠮷"_s;
        QTest::newRow("a lone half is no letter")
            << QString(QChar(0xDFB7) + u"続"_s + QChar(0xD842)) << QStringList{u"続"_s} << QString();
    }
    void letterBoxes()
    {
        QFETCH(QString, puzzle);
        QString outside;
        QTEST(solve::letterBoxes(puzzle, &outside), "boxes");
        QTEST(outside, "outside");
    }

    void readPuzzles_data()
    {
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QStringList>("puzzles");
        QTest::newRow("comment, blank line, text after a TAB")
            << u"# 出\n続家\t出\n\n露\n"_s.toUtf8() << QStringList{u"続家"_s, u"露"_s};
        QTest::newRow("CR LF, and a last line without its end")
            << u"続\r\n\r\n家"_s.toUtf8() << QStringList{u"続"_s, u"家"_s};
        QTest::newRow("# only at the start") << u"続#\n #家\n"_s.toUtf8() << QStringList{u"続#"_s, u" #家"_s};
        QTest::newRow("separators only: passed over like a blank line")
            << u"・ 、\n明 告 昼 熱\n"_s.toUtf8() << QStringList{u"明 告 昼 熱"_s};
        QTest::newRow("arrow file: the second field is the arrows")
            << u"a\n# x\n計間\t<>\t時\n続\n"_s.toUtf8() << QStringList{u"計間:<>"_s, u"続"_s};
    }
    void readPuzzles()
    {
        QFETCH(QByteArray, input);
        QBuffer in(&input);
        QVERIFY(in.open(QIODevice::ReadOnly));
        const bool arrowFile = input.startsWith("a\n");
        if (arrowFile)
            in.readLine();
        QTEST(solve::readPuzzles(in, arrowFile), "puzzles");
    }

    void parsePuzzle_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("arrows");   // as read back, or the start of the message
        QTest::addColumn<QString>("printed");
        QTest::newRow("no arrows") << u"順当交組"_s << QString() << u"順当交組"_s;
        QTest::newRow("one arrow per letter") << u"順当交組:>>-<"_s << u">>-<"_s << u"順当交組:>>-<"_s;
        QTest::newRow("separated letters keep their arrows") << u"順 当・交、組:>>><"_s << u">>><"_s
                                                             << u"順当交組:>>><"_s;
        QTest::newRow("a colon between letters only separates") << u"続:家"_s << QString() << u"続家"_s;
        QTest::newRow("a letter outside the basic plane is refused")
            << u"𠮷続:<>"_s << u"𠮷 は文字欄に入らない文字です"_s << QString();
        QTest::newRow("too few arrows") << u"順当交組:>>>"_s << u"矢印は"_s << QString();
        QTest::newRow("too many arrows") << u"順:>>"_s << u"矢印は"_s << QString();
        QTest::newRow("unknown arrow") << u"順当:>→"_s << u"矢印は"_s << QString();
        QTest::newRow("a letter among arrows") << u"続家:>x"_s << u"矢印は"_s << QString();
        QTest::newRow("empty arrows") << u"順:"_s << u"矢印は"_s << QString();
        QTest::newRow("seven letters with arrows") << u"順当交組続家版:-------"_s << u"一問の文字は"_s << QString();
    }
    void parsePuzzle()
    {
        QFETCH(QString, text);
        QFETCH(QString, arrows);
        QString error;
        const std::optional<solve::Puzzle> puzzle = solve::parsePuzzle(text, &error);
        QString got;
        if (puzzle) {
            for (Arrow a : puzzle->arrows)
                got += arrowChar(a);
        }
        QVERIFY2(puzzle ? got == arrows : error.startsWith(arrows), qPrintable(got + u" / "_s + error));
        QTEST(puzzle ? puzzle->text : QString(), "printed");
    }

    // Only the candidates that reach half of the letters are printed.
    void resultLine_data()
    {
        QTest::addColumn<qsizetype>("answerIndex");
        QTest::addColumn<QString>("line");
        QTest::newRow("answer") << qsizetype(0) << u"続家露\t出\t出:3 後:2\n"_s;
        QTest::newRow("no answer: the field stays empty") << qsizetype(-1) << u"続家露\t\t出:3 後:2\n"_s;
    }
    void resultLine()
    {
        SearchResult result;
        result.activeLetterCount = 3;
        result.candidates = {{u'出', 3}, {u'鳥', 1}, {u'後', 2}};
        QFETCH(qsizetype, answerIndex);
        result.answerIndex = answerIndex;
        QTEST(solve::resultLine(u"続家露"_s, result), "line");
    }
};

QTEST_GUILESS_MAIN(TestSolve)
#include "tst_solve.moc"
