// The dictionary builder on small EDICT and KANJIDIC texts, and tolvo-mkdic
// itself on small files.
#include "mkdic.h"

#include "platform/cp932.h"

#include <QFile>
#include <QProcess>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

using namespace Qt::StringLiterals;

namespace {

QByteArray eucJp(const QString &text)
{
    QStringEncoder encoder("EUC-JP");
    return encoder.encode(text);
}

QString writeFile(const QTemporaryDir &dir, const QString &name, const QByteArray &bytes)
{
    const QString path = dir.filePath(name);
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        qFatal("cannot write the test file");
    return path;
}

// Stands for a FIFO in an input's place, which no reader may wait on.
const QByteArray kFifo = "<FIFO>"_ba;

// An input of the command line: no file when bytes is empty.
QString inputFile(const QTemporaryDir &dir, const QString &name, const QByteArray &bytes)
{
    if (bytes.isEmpty())
        return dir.filePath(u"none-"_s + name);
    if (bytes != kFifo)
        return writeFile(dir, name, bytes);
    const QString path = dir.filePath(name);
    if (::mkfifo(QFile::encodeName(path).constData(), 0600) != 0)
        qFatal("cannot make the FIFO");
    return path;
}

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QByteArray cp932Lines(const QStringList &lines)
{
    QByteArray bytes;
    if (!cp932::encode(QString(lines.join(u"\r\n"_s) + u"\r\n"_s), &bytes))
        qFatal("no code page 932");
    return bytes;
}

const QString kKanjidic = u"# KANJIDIC test\n"
                          u"出 3D50 U51fa B17 G1 S5 F13 J4 {exit} {leave}\n"
                          u"発 4846 U767a B105 G3 S9 F51 {departure}\n"
                          u"身 3F48 U8eab B158 G3 S7 F268 {somebody} {the F1 racer}\n"
                          u"家 3248 U5bb6 B40 G2 S10 F133 {house}\n"
                          u"医 3065 U533b B22 G3 S7 F437 イ い.やす い.する くすし {doctor}\n"
                          u"顔 3469 U9854 B181 G2 S18 F676 ガン かお {face}\n"
                          u"鶴 4461 U9db4 B196 S21 F1369 カク つる {crane}\n"
                          u"父 4963 U7236 B88 G2 S4 F646 フ ちち {father}\n"_s;

} // namespace

class TestMkdic : public QObject
{
    Q_OBJECT

private slots:
    void builder_data();
    void builder();
    void wordLines_data();
    void wordLines();
    void encodeDictionary_data();
    void encodeDictionary();
    void decodeEucJp_data();
    void decodeEucJp();
    void commandLine_data();
    void commandLine();
};

void TestMkdic::builder_data()
{
    QTest::addColumn<QString>("edict");
    QTest::addColumn<QString>("costs");   // empty: no word-cost table
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("every headword of an entry, annotations dropped")
        << u"出身(P);出自(iK) [しゅっしん] /(n) origin/\n"_s << QString()
        << QStringList{u"出身自"_s, u"自出"_s, u"身出"_s};
    QTest::newRow("only two CP932 unified ideographs make a word")
        << u"　？？？ /EDICT, EDICT_SUB(P) header/\n"
           u"# comment 出発\n"
           u"出発点 [しゅっぱつてん] /(n) starting point/(P)/\n"
           u"出る [でる] /(v1) to leave/(P)/\n"
           u"人々 [ひとびと] /(n) people/(P)/\n"
           u"人人 [ひとびと] /(n) people/\n"
           u"丂出 [x] /(n) not in code page 932/\n"
           u"出〆 [x] /(n) not a unified ideograph/\n"
           u"ＤＮ [x] /(n) letters/\n"
           u"出家\n"
           u"﨑出 [x] /(n) IBM extension kanji/\n"_s
        << QString() << QStringList{u"出﨑"_s, u"﨑出"_s};
    QTest::newRow("common first, then frequency rank, unranked by code point")
        << u"出身 [しゅっしん] /(n) origin/\n"
           u"出口 [でぐち] /(n) exit/\n"
           u"家出 [いえで] /(n) running away/\n"
           u"出入 [でいり] /(n) in and out/\n"
           u"出発 [しゅっぱつ] /(n) departure/(P)/EntL1/\n"
           u"出力 [しゅつりょく] /(n) output/(P)/\n"_s
        << QString() << QStringList{u"入出"_s, u"出発力家身入口"_s, u"力出"_s, u"口出"_s, u"家出"_s,
                       u"発出"_s, u"身出"_s};
    QTest::newRow("a pair is common when any of its words is, and listed once")
        << u"出身 [しゅっしん] /(n) origin/\n"
           u"出家 [しゅっけ] /(n) priesthood/\n"
           u"身出 [x] /(n) made up/(P)/\n"
           u"出身 [でみ] /(n) another reading/\n"_s
        << QString() << QStringList{u"出身家"_s, u"家出"_s, u"身出"_s};
    QTest::newRow("(P) inside a gloss is no mark")
        << u"出家 [しゅっけ] /(n) priesthood/\n"
           u"出身 [しゅっしん] /(n) origin RZ(P)/\n"_s
        << QString() << QStringList{u"出家身"_s, u"家出"_s, u"身出"_s};
    // 力 is unranked and 家 outranks 身, so only the costs put them first.
    QTest::newRow("with costs: common first, then the cheaper spelling; unknown rare words dropped")
        << u"出身 [しゅっしん] /(n) origin/\n"
           u"出口 [でぐち] /(n) exit/\n"
           u"家出 [いえで] /(n) running away/\n"
           u"出家 [しゅっけ] /(n) priest/\n"
           u"出発 [しゅっぱつ] /(n) departure/(P)/\n"
           u"出力 [しゅつりょく] /(n) output/(P)/\n"_s
        << u"words\t5\n出身\t3500\n家出\t6000\n出家\t4000\n出力\t3000\n口出\t100\n"_s
        << QStringList{u"出力発身家"_s, u"力出"_s, u"家出"_s, u"発出"_s, u"身出"_s};
    // 口 is common only through 出口と; 出発に's mark must not lift 出発 above 出身.
    QTest::newRow("with に, と or の after it: the word of its two kanji, unless they have an entry")
        << u"出身 [しゅっしん] /(n) origin/\n"
           u"出発 [しゅっぱつ] /(n) departure/\n"
           u"出発に [しゅっぱつに] /(adv) on departure/(P)/\n"
           u"出口と [でぐちと] /(adv) made up/(P)/\n"
           u"出家の [しゅっけの] /(adj-no) made up, unknown to the corpus/\n"
           u"出力に [しゅつりょくに] /(adv) made up/\n"_s
        << u"words\t3\n出身\t2000\n出発\t3000\n出力\t1000\n"_s
        << QStringList{u"出口力身発"_s, u"力出"_s, u"口出"_s, u"発出"_s, u"身出"_s};
    QTest::newRow("unknown to the corpus: a common native word and a common suffix")
        << u"顔 [かお] /(n) face/(P)/\n"
           u"中 [じゅう] /(suf) throughout/(P)/\n"
           u"顔中 [かおじゅう] /(n,adv) all over one's face/\n"_s
        << u"words\t0\n"_s << QStringList{u"中顔"_s, u"顔中"_s};
    // Each word fails one test: 医 has no native noun reading (い.やす is a
    // verb's), 座 is a suffix only in a later sense, 父 [ちち] is not common.
    QTest::newRow("unknown to the corpus: not with an on-read half, a later-sense suffix or an uncommon half")
        << u"医 [い] /(n) medicine/(P)/\n"
           u"会 [かい] /(n,n-suf) meeting/(P)/\n"
           u"医会 [いかい] /(n) medical association/\n"
           u"鶴 [つる] /(n) crane/(P)/\n"
           u"座 [ざ] /(n) (1) seat/(suf) (2) constellation/(P)/\n"
           u"鶴座 [つるざ] /(n) Grus/\n"
           u"父 [ちち] /(n) father/\n"
           u"上 [うえ] /(n,n-suf) (1) above/(n-suf) (2) honorable/(P)/\n"
           u"父上 [ちちうえ] /(n) father/\n"_s
        << u"words\t0\n"_s << QStringList{};
}

void TestMkdic::builder()
{
    QFETCH(QString, edict);
    QFETCH(QString, costs);
    QFETCH(QStringList, expected);
    QVERIFY(cp932::available());
    mkdic::DictionaryBuilder b;
    QString error;
    QVERIFY2(costs.isEmpty() || b.addWordCosts(costs, &error), qPrintable(error));
    b.addKanjidic(kKanjidic);
    b.addEdict(edict);
    QCOMPARE(b.lines(), expected);
}

void TestMkdic::wordLines_data()
{
    QTest::addColumn<QString>("edict");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("common first, then by cost; readings of common entries first, in hiragana")
        << u"出家 [しゅっけ] /(n) priest/\n"
           u"出家 [すけ] /(ok) (n) priest/\n"
           u"煙草 [タバコ] /(n) tobacco/\n"
           u"日本 [にっぽん] /(n) Japan/\n"
           u"日本 [にほん] /(n) Japan/(P)/\n"
           u"家出 [いえで] /(n) running away/(P)/\n"_s
        << QStringList{u"日本\tにほん・にっぽん\tP"_s, u"家出\tいえで\tP"_s, u"出家\tしゅっけ"_s, u"煙草\tたばこ"_s};
    QTest::newRow("an out-dated reading when there is no other")
        << u"出家 [すけ] /(ok) (n) priest/\n"_s << QStringList{u"出家\tすけ"_s};
    QTest::newRow("with に after it: the reading without it")
        << u"一概に [いちがいに] /(adv) unconditionally/(P)/\n"_s << QStringList{u"一概\tいちがい\tP"_s};
}

void TestMkdic::wordLines()
{
    QFETCH(QString, edict);
    QFETCH(QStringList, expected);
    mkdic::DictionaryBuilder b;
    QString error;
    QVERIFY2(b.addWordCosts(u"# test\nwords\t4\n出家\t3000\n日本\t2000\n煙草\t5000\n家出\t4000\n"_s, &error),
             qPrintable(error));
    b.addEdict(edict);
    QStringList lines = b.wordLines();
    QVERIFY(lines.takeFirst().startsWith(u'#'));
    QCOMPARE(lines, expected);
}

void TestMkdic::decodeEucJp_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<QString>("text");

    QTest::newRow("kanji and ASCII") << QByteArray("\xbd\xd0\xc8\xaf [x]\n") << true << u"出発 [x]\n"_s;
    QTest::newRow("invalid bytes") << QByteArray("ab\xff\xfe" "cd") << false << QString();
    QTest::newRow("cut off at the end") << QByteArray("\xbd\xd0\xc8") << false << QString();
}

void TestMkdic::decodeEucJp()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, valid);
    QFETCH(QString, text);
    QString decoded, error;
    QCOMPARE(mkdic::decodeEucJp(bytes, &decoded, &error), valid);
    QCOMPARE(decoded, text);
    QCOMPARE(error.isEmpty(), valid);
}

// The last check before the file is written: one line per head, each
// partner once.
void TestMkdic::encodeDictionary_data()
{
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QString>("error");   // empty: written
    QTest::newRow("one line per head, each partner once")
        << QStringList{u"出発家"_s, u"家出"_s, u"発出"_s} << QString();
    QTest::newRow("a second line for a head")
        << QStringList{u"出発"_s, u"家出"_s, u"出家"_s} << u"line 3: a second line for the head 出"_s;
    QTest::newRow("a partner twice") << QStringList{u"出発家発"_s} << u"line 1: the partner 発 twice under 出"_s;
    QTest::newRow("a head alone") << QStringList{u"出発"_s, u"家"_s} << u"line 2: a head without partners"_s;
}

void TestMkdic::encodeDictionary()
{
    QFETCH(QStringList, lines);
    QFETCH(QString, error);
    QByteArray bytes;
    QString why;
    QCOMPARE(mkdic::encodeDictionary(lines, &bytes, &why), error.isEmpty());
    QCOMPARE(why, error);
    if (error.isEmpty())
        QCOMPARE(bytes, cp932Lines(lines));
}

void TestMkdic::commandLine_data()
{
    QTest::addColumn<QByteArray>("edict");       // empty: no such file; kFifo: a FIFO
    QTest::addColumn<QByteArray>("kanjidic");    // empty: no such file
    QTest::addColumn<QByteArray>("costs");       // empty: no such file; kFifo: a FIFO
    QTest::addColumn<QByteArray>("expected");    // empty: must fail
    QTest::addColumn<QString>("message");

    const QByteArray edict = eucJp(u"出発 [しゅっぱつ] /(n) departure/(P)/\n"
                                   u"家出 [いえで] /(n) running away/\n"
                                   u"出口 [でぐち] /(n) exit/\n"_s);
    const QByteArray kanjidic = eucJp(kKanjidic);
    const QByteArray costs = u"# test\nwords\t2\n出発\t3900\n家出\t4781\n"_s.toUtf8();
    QTest::newRow("writes code page 932 with CR LF")
        << edict << kanjidic << costs << cp932Lines({u"出発家"_s, u"家出"_s, u"発出"_s}) << u"3 lines, 4 partners"_s;
    QTest::newRow("missing EDICT") << QByteArray() << kanjidic << costs << QByteArray() << u"edict package"_s;
    QTest::newRow("missing KANJIDIC") << edict << QByteArray() << costs << QByteArray() << u"kanjidic package"_s;
    QTest::newRow("EDICT a FIFO") << kFifo << kanjidic << costs << QByteArray() << u"edict: not a regular file"_s;
    QTest::newRow("word-cost table a FIFO")
        << edict << kanjidic << kFifo << QByteArray() << u"word-costs.tsv: not a regular file"_s;
    QTest::newRow("EDICT not EUC-JP")
        << QByteArray("\x8f\x6f\x94\xad [x] /y/\n") << kanjidic << costs << QByteArray() << u"not valid EUC-JP"_s;
    QTest::newRow("no two-kanji word")
        << eucJp(u"出る [でる] /(v1) to leave/\n"_s) << kanjidic << costs << QByteArray() << u"no two-kanji word"_s;
    QTest::newRow("missing word-cost table")
        << edict << kanjidic << QByteArray() << QByteArray() << u"cannot read the word-cost table"_s;
    QTest::newRow("word-cost table: malformed line")
        << edict << kanjidic << u"words\t2\n出発\t3900\n家出 4781\n"_s.toUtf8() << QByteArray()
        << u"word-costs.tsv: line 3: expected"_s;
    QTest::newRow("word-cost table: a three-kanji word")
        << edict << kanjidic << u"words\t1\n出発点\t3900\n"_s.toUtf8() << QByteArray()
        << u"word-costs.tsv: line 2: expected"_s;
    QTest::newRow("word-cost table: lines missing")
        << edict << kanjidic << u"words\t3\n出発\t3900\n家出\t4781\n"_s.toUtf8() << QByteArray()
        << u"word-costs.tsv: line 4: truncated"_s;
    QTest::newRow("word-cost table: cut inside a line")
        << edict << kanjidic << u"words\t2\n出発\t3900\n家出\t47"_s.toUtf8() << QByteArray()
        << u"word-costs.tsv: line 3: truncated"_s;
    QTest::newRow("word-cost table: no header")
        << edict << kanjidic << u"出発\t3900\n"_s.toUtf8() << QByteArray()
        << u"word-costs.tsv: line 1: expected the header"_s;
    QTest::newRow("word-cost table: not UTF-8")
        << edict << kanjidic << QByteArray("words\t1\n\xbd\xd0\xc8\xaf\t1\n") << QByteArray()
        << u"word-costs.tsv: line 2: not valid UTF-8"_s;
}

void TestMkdic::commandLine()
{
    QFETCH(QByteArray, edict);
    QFETCH(QByteArray, kanjidic);
    QFETCH(QByteArray, costs);
    QFETCH(QByteArray, expected);
    QFETCH(QString, message);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString edictPath = inputFile(dir, u"edict"_s, edict);
    const QString kanjidicPath = inputFile(dir, u"kanjidic"_s, kanjidic);
    const QString costsPath = inputFile(dir, u"word-costs.tsv"_s, costs);
    // An earlier dictionary and words file must survive a failed run whole.
    const QString output = writeFile(dir, u"tolvo.dic"_s, QByteArray("old\r\n"));
    const QString words = writeFile(dir, u"tolvo.words"_s, QByteArray("old\n"));

    QProcess p;
    p.start(QString::fromUtf8(TOLVO_MKDIC), {u"--edict"_s, edictPath, u"--kanjidic"_s, kanjidicPath,
                                             u"--word-costs"_s, costsPath, u"-o"_s, output, u"-w"_s, words});
    QVERIFY(p.waitForFinished(60000));
    const QString err = QString::fromLocal8Bit(p.readAllStandardError());
    QVERIFY2(err.contains(message), qPrintable(err));
    if (expected.isEmpty()) {
        QVERIFY(p.exitCode() != 0);
        QCOMPARE(readFile(output), QByteArray("old\r\n"));
        QCOMPARE(readFile(words), QByteArray("old\n"));
    } else {
        QCOMPARE(p.exitCode(), 0);
        QCOMPARE(readFile(output), expected);
        QVERIFY(readFile(words).endsWith(u"\n出発\tしゅっぱつ\tP\n家出\tいえで\n"_s.toUtf8()));
    }
}

QTEST_GUILESS_MAIN(TestMkdic)
#include "tst_mkdic.moc"
