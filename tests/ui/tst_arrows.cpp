// The arrows on the flower: how they are set, what they do to the search,
// and that the window shows nothing of them while none is set.
#include "mainwindowfixture.h"
#include "ui/flowerarrows.h"
#include "ui/letterbox.h"

#include <QContextMenuEvent>
#include <QPainter>
#include <QToolTip>

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
    void drawnOnlyWhileSet_data();
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
        {u"Alt+↓"_s, Qt::AltModifier | Qt::Key_Down}, {u"→"_s, QKeyCombination(Qt::Key_Right)}};
    QWidget *flower = f->find(u"picMain"_s);
    if (keys.contains(step)) {
        QTest::keyClick(box(i), keys[step].key(), keys[step].keyboardModifiers());
    } else if (step == u"click") {
        // On the spot, which nothing covers; the layer covers no box.
        const QPoint at = layer()->spot(i).toPoint();
        QCOMPARE(flower->childAt(at), layer());
        QCOMPARE(flower->childAt(box(i)->geometry().center()), box(i));
        QTest::mouseClick(layer(), Qt::LeftButton, {}, at);
    } else if (step == u"disable") {
        box(i)->setEnabled(false);
    } else if (step == u"load") {
        f->history()->setCurrentItem(f->history()->topLevelItem(0));
        f->action(u"mnuPopupGetString"_s)->trigger();
    } else {
        // "menu:caption" picks the item whose caption starts so.
        QContextMenuEvent open(QContextMenuEvent::Keyboard, QPoint(4, 4), box(i)->mapToGlobal(QPoint(4, 4)));
        QApplication::sendEvent(box(i), &open);
        auto *menu = box(i)->findChild<QMenu *>();
        QVERIFY(menu);
        const QList<QAction *> items = menu->actions();
        const auto item = std::find_if(items.begin(), items.end(),
                                       [&](QAction *a) { return a->text().startsWith(step.section(u':', 1)); });
        QVERIFY2(item != items.end(), qPrintable(step));
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
    const QString none = u"------"_s;
    QTest::newRow("Alt+→: letter first") << none << 2 << QStringList{u"Alt+→"_s} << u"-->---"_s;
    QTest::newRow("Alt+←: answer first") << none << 0 << QStringList{u"Alt+←"_s} << u"<-----"_s;
    QTest::newRow("Alt+↓: none") << u">>----"_s << 1 << QStringList{u"Alt+↓"_s} << u">-----"_s;
    QTest::newRow("→ alone sets nothing") << none << 3 << QStringList{u"→"_s} << none;
    QTest::newRow("one click: letter first") << none << 4 << QStringList{u"click"_s} << u"---->-"_s;
    QTest::newRow("two clicks: answer first") << none << 1 << QStringList(2, u"click"_s) << u"-<----"_s;
    QTest::newRow("three clicks: none again") << none << 5 << QStringList(3, u"click"_s) << none;
    QTest::newRow("no click on a disabled box") << none << 3 << QStringList{u"disable"_s, u"click"_s} << none;
    QTest::newRow("menu: letter first") << none << 0 << QStringList{u"menu:文字が前"_s} << u">-----"_s;
    QTest::newRow("menu: clear every arrow") << u"<>-<>>"_s << 2 << QStringList{u"menu:矢印をすべて消す"_s} << none;
    QTest::newRow("history load clears them") << u"<>-<>>"_s << 0 << QStringList{u"load"_s} << none;
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
    QTest::addColumn<QString>("arrows");
    QTest::addColumn<bool>("hasWords");
    QTest::addColumn<bool>("refused");
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<QString>("history");   // the first history row
    QTest::newRow("no arrows: 手") << u"------"_s << true << false << u"手"_s << QStringList{u"手/4"_s, u"番/4"_s}
                                 << u"順当交組/手"_s;
    QTest::newRow("arrows >>><: 番") << u">>><--"_s << true << false << u"番"_s << QStringList{u"番/4"_s}
                                   << u"順当交組/番"_s;
    QTest::newRow("arrow without the words: no search")
        << u">-----"_s << false << true << u"前"_s << QStringList() << u"続家版露身発/出"_s;
    QTest::newRow("arrow on an empty box needs no words")
        << u"---->-"_s << false << false << u"手"_s << QStringList{u"手/4"_s, u"番/4"_s} << u"順当交組/手"_s;
}

void TestArrows::search()
{
    QFETCH(QString, arrows);
    QFETCH(bool, hasWords);
    QFETCH(bool, refused);
    QFETCH(QString, answer);
    QFETCH(QStringList, rows);
    QFETCH(QString, history);
    // 手 comes first on every line, but only 番 reads the way >>>< says; 組番
    // comes before 番組, so a tip that lost the arrows would show it.
    QVERIFY(f->loadDictionary({u"順手番"_s, u"当手番"_s, u"交手番"_s, u"組手番"_s}));
    f->open();
    WordList words;
    const QString wordsPath = f->dir.filePath(u"tolvo.words"_s);
    if (hasWords)
        words.loadText(u"組番\tくみばん\n順番\tじゅんばん\n当番\tとうばん\n交番\tこうばん\n番組\tばんぐみ\n"
                       u"手順\tてじゅん\n手当\tてあて\n交手\tこうしゅ\n組手\tくみて\n"_s);
    else
        words.loadLater(wordsPath);
    f->window->setWords(std::move(words));
    f->setDataFile(&DataFiles::words, wordsPath);
    f->setBoxes({u"順"_s, u"当"_s, u"交"_s, u"組"_s});
    setArrows(arrows);
    f->answer()->setText(u"前"_s);

    f->action(u"mnuEditFind"_s)->trigger();

    QCOMPARE(f->answer()->text(), answer);
    QCOMPARE(MainWindowFixture::rows(f->candidates()), rows);
    QCOMPARE(MainWindowFixture::rows(f->history()).value(0), history);
    QStringList said;
    for (const PromptsDouble::Shown &shown : f->prompts.shown)
        said.append(shown.title + u'|' + shown.text);
    QCOMPARE(said, refused ? QStringList{u"エラー|単語ファイル（tolvo.words）を読めないため、矢印を使った検索ができません。\n"_s
                                         + wordsPath}
                           : QStringList());
    f->checkIdle();
    if (answer == u"番") {
        f->hoverCandidate(0);
        QTRY_COMPARE(QToolTip::text(), u"順番（じゅんばん）・当番（とうばん）・交番（こうばん）・番組（ばんぐみ）"_s);
        QToolTip::hideText();
    }
}

// Every pixel an arrow changes lies at its own box's spot, on white petal
// with white all round it in the plain window (clear of the flower's lines
// and of the boxes) and off the answer; the head, the wide end, lies toward
// the tip. Without an arrow the layer shows nothing; cleared, not a pixel of
// the window differs from before.
void TestArrows::drawnOnlyWhileSet_data()
{
    QTest::addColumn<QString>("arrows");
    QTest::newRow("two set") << u"->--<-"_s;
    QTest::newRow("every box, one way") << u"><><><"_s;
    QTest::newRow("every box, the other way") << u"<><><>"_s;
}

void TestArrows::drawnOnlyWhileSet()
{
    QFETCH(QString, arrows);
    frmMain &w = f->open();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    const QImage plain = w.grab().toImage();
    layer()->hide();
    QCOMPARE(w.grab().toImage(), plain);
    layer()->show();
    setArrows(arrows);
    const QImage arrowed = w.grab().toImage();
    const QPoint origin = layer()->mapTo(&w, QPoint(0, 0));
    for (int y = 0; y < plain.height(); ++y) {
        for (int x = 0; x < plain.width(); ++x) {
            if (plain.pixel(x, y) == arrowed.pixel(x, y))
                continue;
            const QByteArray where = QByteArray::number(x) + ',' + QByteArray::number(y);
            QVERIFY2(!f->answer()->geometry().contains(QPoint(x, y) - origin), where);
            QVERIFY2(layer()->boxAt(QPointF(x + 0.5, y + 0.5) - origin) >= 0, where);
            for (int k = 0; k < 9; ++k)
                QVERIFY2(plain.pixel(x + k % 3 - 1, y + k / 3 - 1) == qRgb(255, 255, 255), where);
        }
    }
    // Which end is the head, from the arrows alone drawn eight times finer:
    // weighed by the square of the distance from the axis, the head far
    // outweighs the shaft.
    QImage alone(layer()->size() * 8, QImage::Format_ARGB32_Premultiplied);
    alone.fill(Qt::transparent);
    QPainter painter(&alone);
    painter.scale(8, 8);
    layer()->render(&painter, QPoint(), QRegion(), {});
    painter.end();
    std::array<qreal, kLetterBoxCount> lean{};
    for (int y = 0; y < alone.height(); ++y) {
        for (int x = 0; x < alone.width(); ++x) {
            const QPointF at = (QPointF(x, y) + QPointF(0.5, 0.5)) / 8;
            const int i = layer()->boxAt(at);
            if (i < 0)
                continue;
            const QLineF out = QLineF(QRectF(f->answer()->geometry()).center(), layer()->spot(i)).unitVector();
            const QPointF d = at - layer()->spot(i);
            const qreal across = out.dx() * d.y() - out.dy() * d.x();
            lean[i] += qAlpha(alone.pixel(x, y)) * (out.dx() * d.x() + out.dy() * d.y()) * across * across;
        }
    }
    QString drawn;
    for (int i = 0; i < kLetterBoxCount; ++i)
        drawn += lean[i] < 0 ? u'>' : lean[i] > 0 ? u'<' : u'-';
    QCOMPARE(drawn, arrows);
    f->action(u"mnuEditClearArrows"_s)->trigger();
    QCOMPARE(w.grab().toImage(), plain);
}

QTEST_MAIN(TestArrows)
#include "tst_arrows.moc"
