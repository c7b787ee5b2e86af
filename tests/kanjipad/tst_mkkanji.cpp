// The readings file the build writes from KANJIDIC.
#include "mkkanji.h"

#include <QTest>

using namespace Qt::StringLiterals;

class TestMkKanji : public QObject
{
    Q_OBJECT
private slots:
    void readingLines_data()
    {
        QTest::addColumn<QString>("kanjidic");
        QTest::addColumn<QStringList>("expected");   // after the comment line
        QTest::newRow("readings and rank; name readings and meanings left out")
            << u"# KANJIDIC header\n"
               "亜 3021 U4e9c B1 G8 F1509 J1 N43 Wa ア つ.ぐ T1 や つぎ {Asia} {rank next}\n"_s
            << QStringList{u"亜\tア つ.ぐ\t1509"_s};
        QTest::newRow("radical names left out; no rank, an empty field")
            << u"乙 3235 U4e59 B5 G8 S1 オツ イツ おと- きのと T2 おつにょう {fishhook}\n"_s
            << QStringList{u"乙\tオツ イツ おと- きのと\t"_s};
        QTest::newRow("prefix and suffix forms kept, a repeat once")
            << u"上 3E65 U4e0a F35 ジョウ うえ -うえ うわ- うえ {above}\r\n"_s
            << QStringList{u"上\tジョウ うえ -うえ うわ-\t35"_s};
        QTest::newRow("in code-point order")
            << u"山 3B33 U5c71 F131 サン やま {mountain}\n一 306C U4e00 F2 イチ ひと.つ {one}\n"_s
            << QStringList{u"一\tイチ ひと.つ\t2"_s, u"山\tサン やま\t131"_s};
        QTest::newRow("a kanji without a reading has no line")
            << u"丶 5121 U4e36 B3 S1 {dot}\n"_s << QStringList();
    }
    void readingLines()
    {
        QFETCH(QString, kanjidic);
        QFETCH(QStringList, expected);
        const QStringList lines = mkkanji::readingLines(kanjidic);
        QVERIFY(lines.value(0).startsWith(u'#'));
        QCOMPARE(lines.mid(1), expected);
    }
};

QTEST_GUILESS_MAIN(TestMkKanji)
#include "tst_mkkanji.moc"
