// The arrows on the flower: setting them, what they do to the search, and
// that the window shows nothing of them unless one is set.
#include "mainwindowfixture.h"
#include "ui/flowerarrows.h"
#include "ui/letterbox.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QToolTip>

namespace {

// 手 comes first in every line; only 番 reads the way the arrows >>>< say.
const QStringList kPuzzleLines{u"順手番"_s, u"当手番"_s, u"交手番"_s, u"組手番"_s};
// 組番 comes before 番組, so a tip that lost the arrows would show it.
const QString kPuzzleWords = u"組番\tくみばん\n順番\tじゅんばん\n当番\tとうばん\n交番\tこうばん\n番組\tばんぐみ\n"
                             u"手順\tてじゅん\n手当\tてあて\n交手\tこうしゅ\n組手\tくみて\n"_s;

} // namespace

class TestArrows : public QObject
{
    Q_OBJECT
private slots:
    void init() { f = std::make_unique<MainWindowFixture>(); }
    void cleanup() { f.reset(); }

    void setting_data();
    void setting();
    void search_data();
    void search();
    void drawnOnlyWhileSet();

private:
    LetterBox *box(int i) const { return qobject_cast<LetterBox *>(f->box(i)); }
    FlowerArrows *layer() const { return f->find<FlowerArrows>(u"flowerArrows"_s); }
    QString arrows() const
    {
        QString out;
        for (int i = 0; i < kLetterBoxCount; ++i)
            out += arrowChar(box(i)->arrow());
        return out;
    }
    void setArrows(const QString &arrows)
    {
        for (int i = 0; i < kLetterBoxCount; ++i)
            box(i)->setArrow(parseArrows(arrows)->value(i));
    }
    void act(const QString &step, int i);

    std::unique_ptr<MainWindowFixture> f;
};

void TestArrows::act(const QString &step, int i)
{
    static const QHash<QString, QKeyCombination> keys{
        {u"Alt+→"_s, Qt::AltModifier | Qt::Key_Right}, {u"Alt+←"_s, Qt::AltModifier | Qt::Key_Left},
        {u"Alt+↓"_s, Qt::AltModifier | Qt::Key_Down}, {u"→"_s, QKeyCombination(Qt::Key_Right)},
        {u"keypad Alt+←"_s, Qt::AltModifier | Qt::KeypadModifier | Qt::Key_Left}};
    if (keys.contains(step)) {
        QTest::keyClick(box(i), keys[step].key(), keys[step].keyboardModifiers());
    } else if (step == u"click") {
        // At the spot nothing else covers; the layer covers no box.
        const QPoint at = layer()->spot(i).toPoint();
        QWidget *flower = f->find(u"picMain"_s);
        QCOMPARE(flower->childAt(at), layer());
        QCOMPARE(flower->childAt(box(i)->geometry().center()), box(i));
        QTest::mouseClick(layer(), Qt::LeftButton, {}, at);
    } else if (step == u"disable") {
        box(i)->setEnabled(false);
    } else if (step == u"load") {
        f->history()->setCurrentItem(f->history()->topLevelItem(0));
        f->action(u"mnuPopupGetString"_s)->trigger();
    } else {
        // "menu:caption" picks that item; "checked:caption" checks that the menu marks it.
        QContextMenuEvent open(QContextMenuEvent::Keyboard, QPoint(4, 4), box(i)->mapToGlobal(QPoint(4, 4)));
        QApplication::sendEvent(box(i), &open);
        auto *menu = box(i)->findChild<QMenu *>();
        QVERIFY(menu);
        const QString caption = step.section(u':', 1);
        const QList<QAction *> items = menu->actions();
        const auto item = std::find_if(items.begin(), items.end(), [&](QAction *a) {
            return a->text().startsWith(caption) && (!step.startsWith(u"checked") || a->isChecked());
        });
        QVERIFY2(item != items.end(), qPrintable(step));
        if (step.startsWith(u"menu"))
            (*item)->trigger();
        menu->close();
    }
}

void TestArrows::setting_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<int>("box");
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QString>("after");
    QTest::newRow("Alt+→: letter first") << u"------"_s << 2 << QStringList{u"Alt+→"_s} << u"-->---"_s;
    QTest::newRow("Alt+←: answer first") << u"------"_s << 0 << QStringList{u"Alt+←"_s} << u"<-----"_s;
    QTest::newRow("Alt+↓: none") << u">>----"_s << 1 << QStringList{u"Alt+↓"_s} << u">-----"_s;
    QTest::newRow("keypad arrow with Alt") << u"------"_s << 5 << QStringList{u"keypad Alt+←"_s} << u"-----<"_s;
    QTest::newRow("→ alone moves no arrow") << u"------"_s << 3 << QStringList{u"→"_s} << u"------"_s;
    QTest::newRow("one click: letter first") << u"------"_s << 4 << QStringList{u"click"_s} << u"---->-"_s;
    QTest::newRow("two clicks: answer first") << u"------"_s << 1 << QStringList(2, u"click"_s) << u"-<----"_s;
    QTest::newRow("three clicks: none again") << u"------"_s << 5 << QStringList(3, u"click"_s) << u"------"_s;
    QTest::newRow("no click on a disabled box")
        << u"------"_s << 3 << QStringList{u"disable"_s, u"click"_s} << u"------"_s;
    QTest::newRow("menu marks the arrow") << u"-<----"_s << 1 << QStringList{u"checked:答えが前"_s} << u"-<----"_s;
    QTest::newRow("menu: letter first") << u"------"_s << 0 << QStringList{u"menu:文字が前"_s} << u">-----"_s;
    QTest::newRow("menu: none") << u"<>----"_s << 0 << QStringList{u"menu:矢印なし"_s} << u"->----"_s;
    QTest::newRow("menu: clear every arrow")
        << u"<>-<>>"_s << 2 << QStringList{u"menu:矢印をすべて消す"_s} << u"------"_s;
    QTest::newRow("history load clears them") << u"<>-<>>"_s << 0 << QStringList{u"load"_s} << u"------"_s;
}

void TestArrows::setting()
{
    QFETCH(QString, before);
    QFETCH(int, box);
    QFETCH(QStringList, steps);
    QFETCH(QString, after);
    f->open(true);
    setArrows(before);
    const QString text = this->box(box)->text();
    for (const QString &step : steps) {
        act(step, box);
        if (QTest::currentTestFailed())
            return;
    }
    QCOMPARE(arrows(), after);
    QCOMPARE(this->box(box)->text(), text);
}

void TestArrows::search_data()
{
    QTest::addColumn<QStringList>("boxes");
    QTest::addColumn<QString>("arrows");
    QTest::addColumn<bool>("hasWords");
    QTest::addColumn<bool>("refused");
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<QString>("tip");        // the first row's; empty: not looked at
    QTest::addColumn<QString>("history");    // the first history row
    const QStringList puzzle{u"順"_s, u"当"_s, u"交"_s, u"組"_s};
    QTest::newRow("no arrows: 手") << puzzle << u"------"_s << true << false << u"手"_s
                                 << QStringList{u"手/4"_s, u"番/4"_s} << QString() << u"順当交組/手"_s;
    QTest::newRow("arrows >>><: 番") << puzzle << u">>><--"_s << true << false << u"番"_s << QStringList{u"番/4"_s}
                                   << u"順番（じゅんばん）・当番（とうばん）・交番（こうばん）・番組（ばんぐみ）"_s
                                   << u"順当交組/番"_s;
    QTest::newRow("arrow without the words: no search") << puzzle << u">-----"_s << false << true << u"前"_s
                                                       << QStringList() << QString() << u"続家版露身発/出"_s;
    QTest::newRow("arrow on an empty box needs no words")
        << puzzle << u"---->-"_s << false << false << u"手"_s << QStringList{u"手/4"_s, u"番/4"_s} << QString()
        << u"順当交組/手"_s;
}

void TestArrows::search()
{
    QFETCH(QStringList, boxes);
    QFETCH(QString, arrows);
    QFETCH(bool, hasWords);
    QFETCH(bool, refused);
    QFETCH(QString, answer);
    QFETCH(QStringList, rows);
    QFETCH(QString, tip);
    QFETCH(QString, history);
    QVERIFY(f->loadDictionary(kPuzzleLines));
    f->open();
    WordList words;
    const QString wordsPath = f->dir.filePath(u"tolvo.words"_s);
    if (hasWords)
        words.loadText(kPuzzleWords);
    else
        words.loadLater(wordsPath);
    f->window->setWords(std::move(words));
    f->window->setWordsPath(wordsPath);
    f->setBoxes(boxes);
    setArrows(arrows);
    f->answer()->setText(u"前"_s);

    f->action(u"mnuEditFind"_s)->trigger();

    QCOMPARE(f->answer()->text(), answer);
    QCOMPARE(MainWindowFixture::rows(f->candidates()), rows);
    QCOMPARE(MainWindowFixture::rows(f->history()).value(0), history);
    if (!refused) {
        QVERIFY(f->prompts.shown.isEmpty());
    } else {
        QCOMPARE(f->prompts.shown.size(), 1);
        const PromptsDouble::Shown &s = f->prompts.shown.first();
        QCOMPARE(s.title, u"エラー"_s);
        QCOMPARE(s.text, u"単語ファイル（tolvo.words）を読めないため、矢印を使った検索ができません。\n"_s + wordsPath);
        QCOMPARE(s.icon, Prompts::Icon::Error);
    }
    f->checkIdle();
    if (tip.isEmpty())
        return;
    f->hoverCandidate(0);
    QTRY_COMPARE(QToolTip::text(), tip);
    QToolTip::hideText();
}

// Each arrow is drawn at its own box's spot, its head toward the end the word
// reads to; with none set, not a pixel of the window differs.
void TestArrows::drawnOnlyWhileSet()
{
    frmMain &w = f->open();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    const QImage plain = w.grab().toImage();
    setArrows(u"->--<-"_s);
    const QImage arrowed = w.grab().toImage();
    const QPointF centre = QRectF(f->answer()->geometry()).center();
    qsizetype near = 0;
    for (int i = 0; i < kLetterBoxCount; ++i) {
        const QPointF spot = layer()->spot(i);
        const QPoint origin = layer()->mapTo(&w, QPoint(0, 0));
        QPointF sum;
        qsizetype count = 0;
        for (int y = -10; y <= 10; ++y) {
            for (int x = -10; x <= 10; ++x) {
                const QPoint p = (spot + QPointF(x, y)).toPoint() + origin;
                if (plain.pixel(p) != arrowed.pixel(p)) {
                    sum += QPointF(x, y);
                    ++count;
                }
            }
        }
        near += count;
        QCOMPARE(count > 0, i == 1 || i == 4);
        // The head outweighs the shaft: the changed pixels lean toward the tip.
        if (count > 0) {
            const qreal lean = QPointF::dotProduct(sum / count, spot - centre);
            QVERIFY2(i == 1 ? lean < 0 : lean > 0, qPrintable(QString::number(lean)));
        }
    }
    qsizetype changed = 0;
    for (int y = 0; y < plain.height(); ++y) {
        for (int x = 0; x < plain.width(); ++x)
            changed += plain.pixel(x, y) != arrowed.pixel(x, y);
    }
    QCOMPARE(changed, near);
    f->action(u"mnuEditClearArrows"_s)->trigger();
    QCOMPARE(w.grab().toImage(), plain);
}

QTEST_MAIN(TestArrows)
#include "tst_arrows.moc"
