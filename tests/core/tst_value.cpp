#include "platform/runtimeerror.h"
#include "platform/value.h"

#include <QTest>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(Value)

// 0 in the "error" column means the conversion succeeds.
class TestValue : public QObject
{
    Q_OBJECT

private slots:
    void wholeNumber_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<qint64>("minimum");
        QTest::addColumn<qint64>("maximum");
        QTest::addColumn<qint32>("expected");
        QTest::addColumn<int>("error");
        const qint64 lo = INT32_MIN, hi = INT32_MAX;
        QTest::newRow("plain") << u"42"_s << lo << hi << 42 << 0;
        QTest::newRow("signs") << u"-42"_s << lo << hi << -42 << 0;
        QTest::newRow("plus sign") << u"+7"_s << lo << hi << 7 << 0;
        QTest::newRow("spaces around") << u"  12  "_s << lo << hi << 12 << 0;
        QTest::newRow("leading zeros") << u"000000000000000000000012"_s << lo << hi << 12 << 0;
        QTest::newRow("half down to even") << u"2.5"_s << lo << hi << 2 << 0;
        QTest::newRow("half up to even") << u"3.5"_s << lo << hi << 4 << 0;
        QTest::newRow("just over half") << u"2.5000001"_s << lo << hi << 3 << 0;
        QTest::newRow("below half") << u"2.4999"_s << lo << hi << 2 << 0;
        QTest::newRow("negative half") << u"-2.5"_s << lo << hi << -2 << 0;
        QTest::newRow("bare fraction") << u".5"_s << lo << hi << 0 << 0;
        QTest::newRow("trailing dot") << u"5."_s << lo << hi << 5 << 0;
        QTest::newRow("int max") << u"2147483647"_s << lo << hi << INT32_MAX << 0;
        QTest::newRow("int min") << u"-2147483648"_s << lo << hi << INT32_MIN << 0;
        QTest::newRow("past int max") << u"2147483648"_s << lo << hi << 0 << int(RuntimeError::Overflow);
        QTest::newRow("rounds past int max") << u"2147483647.5"_s << lo << hi << 0 << int(RuntimeError::Overflow);
        QTest::newRow("hundred digits") << QString(100, u'9') << lo << hi << 0 << int(RuntimeError::Overflow);
        QTest::newRow("font range top") << u"32767"_s << -32768LL << 32767LL << 32767 << 0;
        QTest::newRow("font range over") << u"40000"_s << -32768LL << 32767LL << 0 << int(RuntimeError::Overflow);
        QTest::newRow("font range under") << u"-32769"_s << -32768LL << 32767LL << 0 << int(RuntimeError::Overflow);
        QTest::newRow("empty") << u""_s << lo << hi << 0 << int(RuntimeError::TypeMismatch);
        QTest::newRow("only spaces") << u"   "_s << lo << hi << 0 << int(RuntimeError::TypeMismatch);
        QTest::newRow("lone sign") << u"-"_s << lo << hi << 0 << int(RuntimeError::TypeMismatch);
        QTest::newRow("lone dot") << u"."_s << lo << hi << 0 << int(RuntimeError::TypeMismatch);
        QTest::newRow("two dots") << u"1.2.3"_s << lo << hi << 0 << int(RuntimeError::TypeMismatch);
        QTest::newRow("two signs") << u"+-1"_s << lo << hi << 0 << int(RuntimeError::TypeMismatch);
        QTest::newRow("tab is no space") << u"\t5"_s << lo << hi << 0 << int(RuntimeError::TypeMismatch);
        QTest::newRow("full-width space") << u"\u30005"_s << lo << hi << 0 << int(RuntimeError::TypeMismatch);
        QTest::newRow("full-width digits") << u"１２"_s << lo << hi << 0 << int(RuntimeError::TypeMismatch);
        QTest::newRow("letters") << u"abc"_s << lo << hi << 0 << int(RuntimeError::TypeMismatch);
        QTest::newRow("thousands separator") << u"1,000"_s << lo << hi << 0 << int(RuntimeError::TypeMismatch);
        QTest::newRow("space after sign") << u"- 5"_s << lo << hi << 0 << int(RuntimeError::TypeMismatch);
    }
    void wholeNumber()
    {
        QFETCH(QString, text);
        QFETCH(qint64, minimum);
        QFETCH(qint64, maximum);
        QFETCH(qint32, expected);
        QFETCH(int, error);
        try {
            QCOMPARE(parseWholeNumber(text, minimum, maximum), expected);
            QCOMPARE(error, 0);
        } catch (const RuntimeError &e) {
            QCOMPARE(int(e.kind()), error);
        }
    }

    void conversions_data()
    {
        QTest::addColumn<Value>("value");
        QTest::addColumn<int>("boolean");   // 0 false, 1 true, else the error
        QTest::addColumn<qint32>("integer");
        QTest::addColumn<int>("integerError");
        const int mismatch = RuntimeError::TypeMismatch;
        QTest::newRow("empty value") << Value{} << 0 << 0 << 0;
        QTest::newRow("bool true") << Value{true} << 1 << -1 << 0;
        QTest::newRow("bool false") << Value{false} << 0 << 0 << 0;
        QTest::newRow("int zero") << Value{qint32(0)} << 0 << 0 << 0;
        QTest::newRow("int negative") << Value{qint32(-3)} << 1 << -3 << 0;
        QTest::newRow("text True") << Value{u"True"_s} << 1 << 0 << mismatch;
        QTest::newRow("text fAlSe") << Value{u"fAlSe"_s} << 0 << 0 << mismatch;
        QTest::newRow("text TRUE spaced") << Value{u" TRUE "_s} << 1 << 0 << mismatch;
        QTest::newRow("text zero") << Value{u"0"_s} << 0 << 0 << 0;
        QTest::newRow("text zero fraction") << Value{u"-0.000"_s} << 0 << 0 << 0;
        // Not zero, although it rounds to zero as a whole number.
        QTest::newRow("text small fraction") << Value{u"0.4"_s} << 1 << 0 << 0;
        QTest::newRow("text huge number") << Value{QString(50, u'9')} << 1 << 0 << int(RuntimeError::Overflow);
        QTest::newRow("text yes") << Value{u"yes"_s} << mismatch << 0 << mismatch;
        QTest::newRow("text empty") << Value{u""_s} << mismatch << 0 << mismatch;
        QTest::newRow("text lone dot") << Value{u"."_s} << mismatch << 0 << mismatch;
    }
    void conversions()
    {
        QFETCH(Value, value);
        QFETCH(int, boolean);
        QFETCH(qint32, integer);
        QFETCH(int, integerError);
        try {
            QCOMPARE(int(toBoolean(value)), boolean);
        } catch (const RuntimeError &e) {
            QCOMPARE(int(e.kind()), boolean);
        }
        try {
            QCOMPARE(toInt32(value), integer);
            QCOMPARE(integerError, 0);
        } catch (const RuntimeError &e) {
            QCOMPARE(int(e.kind()), integerError);
        }
    }
};

QTEST_GUILESS_MAIN(TestValue)
#include "tst_value.moc"
