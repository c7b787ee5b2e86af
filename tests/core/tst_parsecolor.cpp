#include "platform/runtimeerror.h"
#include "settings/parsecolor.h"

#include <QTest>

using namespace Qt::StringLiterals;

class TestParseColor : public QObject
{
    Q_OBJECT
private slots:
    void converts_data();
    void converts();
    void fails_data();
    void fails();
};

void TestParseColor::converts_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<quint32>("expected");
    QTest::newRow("black") << u"000000000"_s << 0u;
    QTest::newRow("orange: red low byte") << u"255128000"_s << 33023u;
    QTest::newRow("blue high byte") << u"000000255"_s << 16711680u;
    QTest::newRow("every component capped") << u"300999256"_s << 16777215u;
    QTest::newRow("characters after the ninth ignored") << u"255255255xyz"_s << 16777215u;
    QTest::newRow("leading zeros") << u"007000000"_s << 7u;
    QTest::newRow("green alone") << u"000001000"_s << 256u;
    QTest::newRow("negative component clamps to 0") << u"-12000255"_s << 16711680u;
    QTest::newRow("spaces around a group's digits") << u" 1 002003"_s << (1u + 2u * 256 + 3u * 65536);
}

void TestParseColor::converts()
{
    QFETCH(QString, text);
    QFETCH(quint32, expected);
    QCOMPARE(ParseColor(text), expected);
}

void TestParseColor::fails_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("blue group empty") << u"12345"_s;
    QTest::newRow("letters in red") << u"abc000000"_s;
    QTest::newRow("empty text") << QString();
    QTest::newRow("letter in blue") << u"00000012x"_s;
    QTest::newRow("full-width digits") << u"０００000000"_s;
}

void TestParseColor::fails()
{
    QFETCH(QString, text);
    try {
        ParseColor(text);
        QFAIL("no error");
    } catch (const RuntimeError &e) {
        QCOMPARE(e.kind(), RuntimeError::TypeMismatch);
    }
}

QTEST_GUILESS_MAIN(TestParseColor)
#include "tst_parsecolor.moc"
