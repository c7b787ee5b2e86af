#include "mainwindowfixture.h"
#include "ui/fonts.h"
#include "ui/letterbox.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
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

void preedit(QWidget *box, const QString &reading)
{
    QInputMethodEvent event(reading, {});
    QApplication::sendEvent(box, &event);
}

// The end of a composition: its word, or nothing when it is given up.
void commit(QWidget *box, const QString &word = QString())
{
    QInputMethodEvent event;
    event.setCommitString(word);
    QApplication::sendEvent(box, &event);
}

// What Qt does as a window is about to lose the focus: it has the input
// method commit what it still holds to the focus widget, which has not yet
// heard of the loss.
class HandOverOnFocusChange : public QObject
{
public:
    HandOverOnFocusChange(QWidget *box, const QString &reading) : m_box(box), m_reading(reading) {}
    bool handedOver = false;
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::FocusAboutToChange && !handedOver && m_box->hasFocus()) {
            handedOver = true;
            commit(m_box, m_reading);
        }
        return false;
    }

private:
    QWidget *m_box;
    QString m_reading;
};

// Two boxes and a strip below them in a window of their own; open() shows
// it and puts the focus in the first box.
struct BoxPair
{
    QWidget host;
    LetterBox *box = new LetterBox(&host);
    LetterBox *other = new LetterBox(&host);
    QWidget *backdrop = new QWidget(&host);

    explicit BoxPair(const QString &initial)
    {
        host.resize(100, 50);
        box->setGeometry(0, 0, 33, 33);
        box->setText(initial);
        other->setGeometry(50, 0, 33, 33);
        backdrop->setGeometry(0, 40, 100, 10);
    }
    bool open()
    {
        host.show();
        host.activateWindow();
        if (!QTest::qWaitForWindowActive(&host))
            return false;
        box->setFocus();
        return QTest::qWaitFor([this] { return box->hasFocus(); });
    }
};

// Text entered into box the way a person would: typed, pasted with Ctrl+V or
// through the context menu (opened with Shift+F10), or composed with an input method and committed.
void enter(QLineEdit *box, const QString &how, const QString &input)
{
    if (how == u"type") {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, input);
        QApplication::sendEvent(box, &press);
    } else if (how == u"paste") {
        QApplication::clipboard()->setText(input);
        QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
    } else if (how == u"menu") {
        QApplication::clipboard()->setText(input);
        QTest::keyClick(box, Qt::Key_F10, Qt::ShiftModifier);
        auto *menu = box->findChild<QMenu *>();
        QVERIFY(menu);
        QTest::keyClick(menu, Qt::Key_P); // &Paste
    } else if (how == u"compose") {
        preedit(box, input);
        commit(box, input);
    } else {
        box->setText(input);
    }
}

} // namespace

class TestLetterBox : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void holdsOneCharacter_data();
    void holdsOneCharacter();
    void compositionWithoutWord_data();
    void compositionWithoutWord();
    void nextWordReplaces_data();
    void nextWordReplaces();
    void spreadOverBoxes_data();
    void spreadOverBoxes();
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
    QTest::newRow("paste replaces without selection") << u"続"_s << false << u"paste"_s << u"出"_s << u"出"_s;
    QTest::newRow("paste through the menu") << u"続"_s << false << u"menu"_s << u"出版"_s << u"出"_s;
    QTest::newRow("composed word keeps first") << QString() << false << u"compose"_s << u"出版社"_s << u"出"_s;
    QTest::newRow("composed over selection") << u"続"_s << true << u"compose"_s << u"出版"_s << u"出"_s;
    QTest::newRow("composed word into full box") << u"続"_s << false << u"compose"_s << u"出版"_s << u"出"_s;
    QTest::newRow("text set by code") << QString() << false << u"set"_s << u"出版"_s << u"出"_s;
    QTest::newRow("character beyond one unit") << QString() << false << u"compose"_s << u"𠮷"_s << QString();

    // Whitespace, punctuation and characters beyond one unit never replace a kanji.
    const QString kanji = u"続"_s;
    const std::pair<const char *, QString> refused[] = {
        {"space", u" "_s}, {"full-width space", u"\u3000"_s}, {"tab", u"\t"_s},
        {"zero-width space", u"\u200B"_s}, {"supplementary kanji", u"𠮷"_s},
        {"middle dot", u"・"_s}};
    for (const auto &[name, input] : refused) {
        for (const QString &how : {u"type"_s, u"paste"_s, u"compose"_s})
            QTest::addRow("%s %s over kanji", name, qPrintable(how)) << kanji << true << how << input << kanji;
    }
    QTest::newRow("full-width space composed into empty") << QString() << false << u"compose"_s << u"\u3000"_s
                                                          << QString();
    QTest::newRow("spaces around pasted kanji") << kanji << true << u"paste"_s << u" 出\u3000"_s << u"出"_s;
    QTest::newRow("space set by code") << kanji << false << u"set"_s << u" "_s << QString();
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
    enter(&box, how, input);
    QCOMPARE(box.text(), expected);
}

void TestLetterBox::compositionWithoutWord_data()
{
    QTest::addColumn<QString>("initial");
    QTest::addColumn<QString>("end");
    QTest::addColumn<bool>("lateCommit");
    QTest::newRow("escape") << u"続"_s << u"escape"_s << false;
    QTest::newRow("reading erased") << u"続"_s << u"erase"_s << false;
    QTest::newRow("escape, reading handed over late") << u"続"_s << u"escape"_s << true;
    QTest::newRow("reading erased, handed over late") << u"続"_s << u"erase"_s << true;
    QTest::newRow("focus moves away") << u"続"_s << u"focus"_s << false;
    QTest::newRow("focus moves from empty box") << QString() << u"focus"_s << false;
    QTest::newRow("focus moves, reading committed late") << u"続"_s << u"focus"_s << true;
    QTest::newRow("click beside the box") << u"続"_s << u"click"_s << false;
    QTest::newRow("click beside, reading committed late") << u"続"_s << u"click"_s << true;
    QTest::newRow("window loses the focus") << u"続"_s << u"window"_s << false;
}

// A composition replaces the selected kanji only once it commits a word.
void TestLetterBox::compositionWithoutWord()
{
    QFETCH(QString, initial);
    QFETCH(QString, end);
    QFETCH(bool, lateCommit);
    BoxPair pair(initial);
    LetterBox *box = pair.box;
    LetterBox *other = pair.other;
    QWidget elsewhere;
    elsewhere.setGeometry(200, 0, 50, 50);
    if (end == u"window")
        elsewhere.show();
    QVERIFY(pair.open());
    HandOverOnFocusChange handOver(box, u"やま"_s);
    pair.host.windowHandle()->installEventFilter(&handOver);

    for (const QString &reading : {u"y"_s, u"や"_s, u"やま"_s})
        preedit(box, reading);
    QVERIFY(box->text().isEmpty());
    if (end == u"focus") {
        other->setFocus();
        QTRY_VERIFY(other->hasFocus());
    } else if (end == u"click") {
        QTest::mouseClick(pair.backdrop, Qt::LeftButton);
    } else if (end == u"window") {
        elsewhere.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&elsewhere));
        QVERIFY(handOver.handedOver);
    } else {
        if (end == u"erase")
            preedit(box, u"や"_s);
        commit(box);
    }
    if (lateCommit) {
        // IBus commits the last reading shown all the same, to the focus of the moment.
        commit(end == u"focus" ? other : box, end == u"erase" ? u"や"_s : u"やま"_s);
    }
    QCOMPARE(box->text(), initial);
    QCOMPARE(other->text(), QString());
    // No reading is left on show in the box.
    QCOMPARE(box->inputMethodQuery(Qt::ImSurroundingText).toString(), initial);
}

void TestLetterBox::nextWordReplaces_data()
{
    QTest::addColumn<QString>("end");
    QTest::addColumn<QString>("kept");
    QTest::newRow("reading given up") << u"escape"_s << u"続"_s;
    QTest::newRow("reading erased") << u"erase"_s << u"続"_s;
    QTest::newRow("click beside the box") << u"click"_s << u"続"_s;
    QTest::newRow("one kanji committed") << u"川"_s << u"川"_s;
    // The last box: the word's second kanji has no box to go to.
    QTest::newRow("word overflowing the box") << u"露出"_s << u"露"_s;
}

// However a composition ends, the next word replaces the box's kanji.
void TestLetterBox::nextWordReplaces()
{
    QFETCH(QString, end);
    QFETCH(QString, kept);
    BoxPair pair(u"続"_s);
    QVERIFY(pair.open());
    LetterBox *box = pair.box;

    preedit(box, u"かわ"_s);
    if (end == u"click") {
        QTest::mouseClick(pair.backdrop, Qt::LeftButton);
    } else if (end == u"erase") {
        preedit(box, u"か"_s);
        commit(box);
    } else {
        commit(box, end == u"escape" ? QString() : end);
    }
    QCOMPARE(box->text(), kept);
    QVERIFY(box->hasFocus());
    preedit(box, u"やま"_s);
    commit(box, u"山"_s);
    QCOMPARE(box->text(), u"山"_s);
}

void TestLetterBox::spreadOverBoxes_data()
{
    QTest::addColumn<int>("start");
    QTest::addColumn<QString>("how");
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<int>("focus");
    // A paste of two letters or more is the puzzle from this box on: the
    // boxes after its last letter are emptied. A word keeps them.
    QTest::newRow("puzzle with spaces") << 0 << u"paste"_s << u"明 告 昼 熱"_s << u"明告昼熱"_s << 4;
    QTest::newRow("six letters fill every box") << 0 << u"paste"_s << u"明告昼熱山川"_s << u"明告昼熱山川"_s << 5;
    QTest::newRow("seventh letter dropped") << 0 << u"paste"_s << u"明告昼熱山川林"_s << u"明告昼熱山川"_s << 5;
    QTest::newRow("from box 4, overflow dropped") << 4 << u"paste"_s << u"露出林"_s << u"続家版露露出"_s << 5;
    QTest::newRow("full-width spaces, tab and line end")
        << 1 << u"paste"_s << u"明\u3000告\t昼\r\n"_s << u"続明告昼"_s << 4;
    QTest::newRow("supplementary kanji skipped") << 0 << u"paste"_s << u"明𠮷告"_s << u"明告"_s << 2;
    QTest::newRow("middle dots separate") << 0 << u"paste"_s << u"明・告・昼・熱"_s << u"明告昼熱"_s << 4;
    QTest::newRow("ideographic commas separate") << 2 << u"paste"_s << u"明、告、"_s << u"続家明告"_s << 4;
    QTest::newRow("one letter stays in its box") << 2 << u"paste"_s << u"明"_s << u"続家明露身発"_s << 2;
    QTest::newRow("only spaces change nothing") << 0 << u"paste"_s << u" \u3000 "_s << u"続家版露身発"_s << 0;
    QTest::newRow("through the menu") << 0 << u"menu"_s << u"明告"_s << u"明告"_s << 2;
    QTest::newRow("converted word") << 2 << u"compose"_s << u"露出"_s << u"続家露出身発"_s << 4;
}

void TestLetterBox::spreadOverBoxes()
{
    QFETCH(int, start);
    QFETCH(QString, how);
    QFETCH(QString, input);
    QFETCH(QString, expected);
    QFETCH(int, focus);
    MainWindowFixture f;
    f.open(true);
    f.box(start)->setFocus();
    QTRY_VERIFY(f.box(start)->hasFocus());

    enter(f.box(start), how, input);
    QCOMPARE(f.boxTexts().join(QString()), expected);
    // The window's focus child: the closing context menu may leave the
    // window inactive for a moment.
    QTRY_COMPARE(f.window->focusWidget(), f.box(focus));
    // Typing goes on over the letter there.
    if (focus != start)
        QCOMPARE(f.box(focus)->selectedText(), f.box(focus)->text());
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
