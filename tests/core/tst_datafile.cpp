#include "platform/datafile.h"

#include <QCoreApplication>
#include <QTest>

using namespace Qt::StringLiterals;

class TestDataFile : public QObject
{
    Q_OBJECT
private slots:
    void rule_data()
    {
        QTest::addColumn<QString>("directory");
        QTest::addColumn<QString>("extension");
        QTest::addColumn<QString>("expected");
        QTest::newRow("windows folder") << u"C:\\Tools"_s << u".dic"_s << u"C:\\Tools\\tolvo.dic"_s;
        QTest::newRow("windows drive root") << u"D:\\"_s << u".dic"_s << u"D:\\tolvo.dic"_s;
        QTest::newRow("unix folder") << u"/opt/tolvo"_s << u".dic"_s << u"/opt/tolvo/tolvo.dic"_s;
        QTest::newRow("unix root") << u"/"_s << u".dic"_s << u"/tolvo.dic"_s;
        QTest::newRow("settings") << u"/opt/tolvo"_s << u".ini"_s << u"/opt/tolvo/tolvo.ini"_s;
        QTest::newRow("help") << u"C:\\Tools"_s << u".hlp"_s << u"C:\\Tools\\tolvo.hlp"_s;
        // Only the last character is looked at; nothing else is normalised.
        QTest::newRow("doubled inside kept") << u"/opt//tolvo"_s << u".ini"_s << u"/opt//tolvo/tolvo.ini"_s;
        QTest::newRow("japanese folder") << u"/home/利用者/道具"_s << u".dic"_s << u"/home/利用者/道具/tolvo.dic"_s;
    }
    void rule()
    {
        QFETCH(QString, directory);
        QFETCH(QString, extension);
        QFETCH(QString, expected);
        QCOMPARE(dataFilePathIn(directory, extension), expected);
    }

    // The executable's own name plays no part: only its folder and the
    // compiled-in product name do.
    void besideTheExecutable()
    {
        QCOMPARE(DataFilePath(u".ini"_s), QCoreApplication::applicationDirPath() + u"/tolvo.ini"_s);
        QVERIFY(!QCoreApplication::applicationFilePath().endsWith(u"/tolvo"_s));
    }

    void versionText_data()
    {
        QTest::addColumn<int>("major");
        QTest::addColumn<int>("minor");
        QTest::addColumn<int>("revision");
        QTest::addColumn<QString>("expected");
        QTest::newRow("this build") << 0 << 30 << 20 << u"0.30 (Build: 20)"_s;
        QTest::newRow("one-digit minor, no leading zero") << 0 << 5 << 3 << u"0.5 (Build: 3)"_s;
        QTest::newRow("zeros") << 1 << 0 << 0 << u"1.0 (Build: 0)"_s;
    }
    void versionText()
    {
        QFETCH(int, major);
        QFETCH(int, minor);
        QFETCH(int, revision);
        QFETCH(QString, expected);
        QCOMPARE(::versionText(major, minor, revision), expected);
    }
};

QTEST_GUILESS_MAIN(TestDataFile)
#include "tst_datafile.moc"
