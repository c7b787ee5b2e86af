#include "ui/fonts.h"
#include "ui/letterbox.h"

#include <QApplication>
#include <QClipboard>
#include <QFontInfo>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

QFont letterFont()
{
    QFont f(u"ＭＳ Ｐゴシック"_s);
    f.setPointSize(24);
    return f;
}

// Dark pixels of img inside r.
int ink(const QImage &img, const QRect &r)
{
    int n = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            n += qGray(img.pixel(x, y)) < 128;
    return n;
}

} // namespace

class TestLetterBox : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void holdsOneCharacter_data();
    void holdsOneCharacter();
    void gothicFaceIsSubstituted();
    void kanjiFitsUncut_data();
    void kanjiFitsUncut();
    void focusSelectsAll_data();
    void focusSelectsAll();
};

void TestLetterBox::initTestCase()
{
    installFontSubstitutions();
}

void TestLetterBox::holdsOneCharacter_data()
{
    QTest::addColumn<QString>("initial");
    QTest::addColumn<bool>("selected");
    QTest::addColumn<QString>("how");
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("expected");
    QTest::newRow("typed into empty") << QString() << false << u"type"_s << u"出"_s << u"出"_s;
    QTest::newRow("second typed is refused") << u"続"_s << false << u"type"_s << u"出"_s << u"続"_s;
    QTest::newRow("typed over selection") << u"続"_s << true << u"type"_s << u"出"_s << u"出"_s;
    QTest::newRow("paste keeps first") << QString() << false << u"paste"_s << u"出版社"_s << u"出"_s;
    QTest::newRow("paste over selection") << u"続"_s << true << u"paste"_s << u"出版社"_s << u"出"_s;
    QTest::newRow("composed word keeps first") << QString() << false << u"compose"_s << u"出版社"_s << u"出"_s;
    QTest::newRow("composed over selection") << u"続"_s << true << u"compose"_s << u"出版"_s << u"出"_s;
    QTest::newRow("composed into full box") << u"続"_s << false << u"compose"_s << u"出版"_s << u"続"_s;
    QTest::newRow("text set by code") << QString() << false << u"set"_s << u"出版"_s << u"出"_s;
    QTest::newRow("character beyond one unit") << QString() << false << u"compose"_s << u"𠮷"_s << QString();
}

void TestLetterBox::holdsOneCharacter()
{
    QFETCH(QString, initial);
    QFETCH(bool, selected);
    QFETCH(QString, how);
    QFETCH(QString, input);
    QFETCH(QString, expected);

    LetterBox box;
    box.setText(initial);
    if (selected)
        box.selectAll();
    else
        box.end(false);
    if (how == u"type") {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, input);
        QApplication::sendEvent(&box, &press);
    } else if (how == u"paste") {
        QApplication::clipboard()->setText(input);
        box.paste();
    } else if (how == u"compose") {
        QInputMethodEvent preedit(input, {});
        QApplication::sendEvent(&box, &preedit);
        QInputMethodEvent commit;
        commit.setCommitString(input);
        QApplication::sendEvent(&box, &commit);
    } else {
        box.setText(input);
    }
    QCOMPARE(box.text(), expected);
}

void TestLetterBox::gothicFaceIsSubstituted()
{
    const QString family = QFontInfo(letterFont()).family();
    QVERIFY2(QStringList({u"IPAPGothic"_s, u"Noto Sans CJK JP"_s, u"IPAGothic"_s}).contains(family),
             qPrintable(family));
}

void TestLetterBox::kanjiFitsUncut_data()
{
    QTest::addColumn<QString>("kanji");
    QTest::newRow("露") << u"露"_s;
    QTest::newRow("鬱") << u"鬱"_s;
    QTest::newRow("続") << u"続"_s;
    QTest::newRow("一") << u"一"_s;
}

void TestLetterBox::kanjiFitsUncut()
{
    QFETCH(QString, kanji);
    QWidget host;
    host.resize(60, 60);
    auto *box = new LetterBox(&host);
    box->setGeometry(10, 10, 33, 33);
    box->setFont(letterFont());
    box->setText(kanji);
    host.show();
    QVERIFY(QTest::qWaitForWindowExposed(&host));

    // No focus: neither a selection nor the cursor in the picture.
    box->clearFocus();
    const QImage shot = box->grab().toImage();
    QCOMPARE(shot.size(), QSize(33, 33));
    // Inside the one-pixel rule, all of the glyph's ink, none of it cut off.
    const int inBox = ink(shot, QRect(1, 1, 31, 31));

    QImage free(96, 96, QImage::Format_RGB32);
    free.fill(Qt::white);
    QPainter p(&free);
    p.setFont(letterFont());
    p.setPen(Qt::black);
    p.drawText(QPoint(32, 32 + QFontMetrics(letterFont()).ascent()), kanji);
    p.end();
    const int whole = ink(free, free.rect());

    QVERIFY(whole > 0);
    QVERIFY2(qAbs(inBox - whole) <= whole / 50 + 1,
             qPrintable(u"%1 of %2 ink pixels in the box"_s.arg(inBox).arg(whole)));
}

void TestLetterBox::focusSelectsAll_data()
{
    QTest::addColumn<bool>("byMouse");
    QTest::newRow("tab") << false;
    QTest::newRow("mouse") << true;
}

void TestLetterBox::focusSelectsAll()
{
    QFETCH(bool, byMouse);
    QWidget host;
    host.resize(100, 50);
    auto *first = new LetterBox(&host);
    first->setGeometry(0, 0, 33, 33);
    auto *second = new LetterBox(&host);
    second->setGeometry(50, 0, 33, 33);
    second->setText(u"家"_s);
    host.show();
    host.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&host));
    first->setFocus();
    QTRY_VERIFY(first->hasFocus());

    if (byMouse)
        QTest::mouseClick(second, Qt::LeftButton, {}, QPoint(4, 16));
    else
        QTest::keyClick(first, Qt::Key_Tab);
    QTRY_VERIFY(second->hasFocus());
    QCOMPARE(second->selectedText(), u"家"_s);

    // The next character typed replaces the selection.
    QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, u"出"_s);
    QApplication::sendEvent(second, &press);
    QCOMPARE(second->text(), u"出"_s);
}

QTEST_MAIN(TestLetterBox)
#include "tst_letterbox.moc"
