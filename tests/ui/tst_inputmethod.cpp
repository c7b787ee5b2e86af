// Which input-method plugin the program asks Qt for at start.
#include "app/runapplication.h"

#include <QTest>

using namespace Qt::StringLiterals;

class TestInputMethod : public QObject
{
    Q_OBJECT
private slots:
    void moduleFromXModifiers_data();
    void moduleFromXModifiers();
};

void TestInputMethod::moduleFromXModifiers_data()
{
    QTest::addColumn<QString>("qtImModule");
    QTest::addColumn<QString>("xmodifiers");
    QTest::addColumn<QString>("expected");
    QTest::newRow("ibus") << QString() << u"@im=ibus"_s << u"ibus"_s;
    QTest::newRow("fcitx") << QString() << u"@im=fcitx"_s << u"fcitx"_s;
    QTest::newRow("fcitx5") << QString() << u"@im=fcitx5"_s << u"fcitx"_s;
    QTest::newRow("other letter case") << QString() << u"@im=IBus"_s << u"ibus"_s;
    QTest::newRow("among other modifiers") << QString() << u"@foo=bar@im=fcitx"_s << u"fcitx"_s;
    QTest::newRow("followed by another modifier") << QString() << u"@im=ibus@foo=bar"_s << u"ibus"_s;
    QTest::newRow("trailing space") << QString() << u"@im=ibus "_s << u"ibus"_s;
    QTest::newRow("QT_IM_MODULE set wins") << u"xim"_s << u"@im=ibus"_s << QString();
    QTest::newRow("QT_IM_MODULE empty") << u""_s << u"@im=ibus"_s << u"ibus"_s;
    QTest::newRow("XMODIFIERS unset") << QString() << QString() << QString();
    QTest::newRow("none") << QString() << u"@im=none"_s << QString();
    QTest::newRow("another XIM server") << QString() << u"@im=kinput2"_s << QString();
    QTest::newRow("name only begins with ibus") << QString() << u"@im=ibusx"_s << QString();
}

void TestInputMethod::moduleFromXModifiers()
{
    QFETCH(QString, qtImModule);
    QFETCH(QString, xmodifiers);
    QFETCH(QString, expected);
    QCOMPARE(inputMethodModule(qtImModule, xmodifiers), expected);
}

QTEST_APPLESS_MAIN(TestInputMethod)
#include "tst_inputmethod.moc"
