// Looking kanji up by reading: typed kana and romaji, the order of the
// matches, and the readings file the build writes.
#include "kanjipad/kanjireadings.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// Ranks as KANJIDIC has them; 皮 has none.
const QString kFixture = u"# kanji<TAB>readings<TAB>rank\n"
                         "山\tサン セン やま\t131\n"
                         "三\tサン ゾウ み み.つ\t14\n"
                         "川\tセン かわ\t181\n"
                         "代\tダイ タイ か.わる かわ.る かわ- よ しろ\t66\n"
                         "皮\tヒ かわ\t\n"
                         "革\tカク かわ\t811\r\n"
                         "malformed line\n"
                         "空\tクウ そら あ.く から\t"_s;   // no line end after the last line

QString joined(const QList<QChar> &kanji)
{
    return QString(kanji.constData(), kanji.size());
}

} // namespace

class TestKanjiReadings : public QObject
{
    Q_OBJECT
private slots:
    void toHiragana_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("hiragana");
        QTest::addColumn<bool>("incomplete");
        QTest::newRow("romaji") << u"yama"_s << u"やま"_s << false;
        QTest::newRow("full-width romaji") << u"ｙａｍａ"_s << u"やま"_s << false;
        QTest::newRow("katakana") << u"サン"_s << u"さん"_s << false;
        QTest::newRow("half-width katakana") << u"ｻﾝ"_s << u"さん"_s << false;
        QTest::newRow("final n") << u"san"_s << u"さん"_s << false;
        QTest::newRow("nn before a consonant") << u"kannji"_s << u"かんじ"_s << false;
        QTest::newRow("nn before a vowel") << u"onna"_s << u"おんあ"_s << false;
        QTest::newRow("final nn") << u"sann"_s << u"さん"_s << false;
        QTest::newRow("a consonant waiting for its vowel") << u"yam"_s << u"や"_s << true;
        QTest::newRow("n before a waiting consonant") << u"kank"_s << u"かん"_s << true;
        QTest::newRow("ny is no ん") << u"kony"_s << u"こ"_s << true;
        QTest::newRow("kunrei si, tu, hu, zi") << u"situhuzi"_s << u"しつふじ"_s << false;
        QTest::newRow("kunrei sya, tyou") << u"syatyou"_s << u"しゃちょう"_s << false;
        QTest::newRow("jya and ja") << u"jyaja"_s << u"じゃじゃ"_s << false;
        QTest::newRow("n before a consonant, sinn, n'") << u"sinbunsinnn'a"_s << u"しんぶんしんんあ"_s << false;
        QTest::newRow("small kana with x and l, っ doubled") << u"xtulyaxokki"_s << u"っゃぉっき"_s << false;
        QTest::newRow("a consonant Mozc cannot place") << u"qqx"_s << u"っq"_s << true;
    }
    void toHiragana()
    {
        QFETCH(QString, typed);
        QFETCH(QString, hiragana);
        QFETCH(bool, incomplete);
        bool cut = !incomplete;
        QCOMPARE(typedReadingToHiragana(typed, &cut), hiragana);
        QCOMPARE(cut, incomplete);
    }

    void lookup_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("accepted");   // empty: every kanji
        QTest::addColumn<QString>("expected");
        QTest::newRow("whole readings first, by rank, unranked last; then the rest by rank")
            << u"kawa"_s << QString() << u"川革皮代"_s;
        QTest::newRow("an on reading typed in katakana") << u"サン"_s << QString() << u"三山"_s;
        QTest::newRow("okurigana typed whole") << u"かわる"_s << QString() << u"代"_s;
        QTest::newRow("a prefix: by rank") << u"か"_s << QString() << u"代川革皮空"_s;
        QTest::newRow("waiting consonant: prefix matches only") << u"kaw"_s << QString() << u"代川革皮空"_s;
        QTest::newRow("the last line without its line end") << u"sora"_s << QString() << u"空"_s;
        QTest::newRow("only accepted kanji") << u"kawa"_s << u"代皮"_s << u"皮代"_s;
        QTest::newRow("unknown reading") << u"ぬぬぬ"_s << QString() << QString();
        QTest::newRow("nothing typed") << u"  "_s << QString() << QString();
    }
    void lookup()
    {
        QFETCH(QString, typed);
        QFETCH(QString, accepted);
        QFETCH(QString, expected);
        KanjiReadings readings;
        readings.loadText(kFixture);
        const std::function<bool(QChar)> accept =
            accepted.isEmpty() ? std::function<bool(QChar)>() : [&](QChar c) { return accepted.contains(c); };
        QCOMPARE(joined(readings.lookup(typed, accept)), expected);
    }

    // The file the build writes, with KANJIDIC's real ranks.
    void shippedFile_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QChar>("kanji");
        QTest::addColumn<int>("within");
        QTest::newRow("やま: 山 first") << u"やま"_s << QChar(u'山') << 1;
        QTest::newRow("yama: 山 first") << u"yama"_s << QChar(u'山') << 1;
        QTest::newRow("サン: 山 among the first five") << u"サン"_s << QChar(u'山') << 5;
        QTest::newRow("kawa: 川 among the first three") << u"kawa"_s << QChar(u'川') << 3;
    }
    void shippedFile()
    {
        QFETCH(QString, typed);
        QFETCH(QChar, kanji);
        QFETCH(int, within);
        KanjiReadings readings;
        if (!readings.load(QStringLiteral(TOLVO_BIN_DIR "/tolvo.kanji")))
            QSKIP("tolvo.kanji has not been built");
        const QList<QChar> found = readings.lookup(typed);
        QVERIFY2(found.indexOf(kanji) >= 0 && found.indexOf(kanji) < within, qPrintable(joined(found.mid(0, 10))));
        QVERIFY(readings.lookup(u"ゔゔゔ"_s).isEmpty());
    }

    // Mozc's own conversions of the same keys, which make check-ime writes.
    void inputMethodRomaji_data()
    {
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("kana");
        QFile file(qEnvironmentVariable("TOLVO_IME_ROMAJI"));
        if (!file.open(QIODevice::ReadOnly))
            QSKIP("only in make check-ime, which sets TOLVO_IME_ROMAJI");
        for (const QString &line : QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts)) {
            const QStringList fields = line.split(u'\t');
            QTest::newRow(qPrintable(fields[0])) << fields[0] << fields.value(1);
        }
    }
    void inputMethodRomaji()
    {
        QFETCH(QString, keys);
        QFETCH(QString, kana);
        // Mozc shows a letter it cannot place full-width: ｔ.
        QCOMPARE(typedReadingToHiragana(keys), kana.normalized(QString::NormalizationForm_KC));
    }

    void missingFile()
    {
        QTemporaryDir dir;
        KanjiReadings readings;
        readings.loadText(kFixture);
        QVERIFY(!readings.load(dir.filePath(u"tolvo.kanji"_s)));
        QVERIFY(readings.isEmpty());
        QVERIFY(readings.lookup(u"yama"_s).isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestKanjiReadings)
#include "tst_kanjireadings.moc"
