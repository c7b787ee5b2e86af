// The kanji pad with the main window: opening it, choosing candidates into
// the letter boxes, its keys, drawing on it, and its missing parts.
#include "../ui/mainwindowfixture.h"
#include "kanjipad/handwriting.h"
#include "ui/candidatebar.h"
#include "ui/handwritingcanvas.h"
#include "ui/kanjipad.h"
#include "ui/letterbox.h"

#include <QContextMenuEvent>
#include <QPushButton>
#include <QTabWidget>
#include <QToolButton>

namespace {

// 三 reads サン but heads no line, so the pad never offers it.
const QString kReadings = u"山\tサン セン やま\t131\n"
                          "三\tサン み\t14\n"
                          "川\tセン かわ\t181\n"
                          "出\tシュツ で.る -で だ.す\t13\n"_s;

// A hundred kanji read き, in rank order: ten rows of candidates, two pages.
const QString kHundred = u"日一国会年大十二本中長同時政事自社月議後前民生連五間対上部東者党地合市業内相方四定今回新場金員九入選立開"
                         "手米力学問高代明実円関決子動京全目戦経通外最言氏現理調化田当八六約主題下首意法不来作性的要用制治"_s;

QStringList dictionaryLines()
{
    return workedExampleLines() + QStringList{u"出続家版露身発"_s, u"山川"_s, u"川山"_s};
}

} // namespace

class TestKanjiPad : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        f = std::make_unique<MainWindowFixture>();
        QVERIFY(f->loadDictionary(dictionaryLines()));
        readingsPath = writeBytes(f->dir, u"tolvo.kanji"_s, kReadings.toUtf8());
    }
    void cleanup() { f.reset(); }

    void opening()
    {
        open(true);
        // Nothing of the pad is made before it is first asked for.
        QVERIFY(!f->window->findChild<KanjiPad *>());
        QTest::keyClick(f->box(2), Qt::Key_K, Qt::ControlModifier);
        QVERIFY(pad() && pad()->isVisible());
        QCOMPARE(pad()->windowTitle(), u"漢字パッド"_s);
        pad()->close();

        // The letter box's own menu offers it too.
        QContextMenuEvent menuKey(QContextMenuEvent::Keyboard, QPoint(4, 4), f->box(0)->mapToGlobal(QPoint(4, 4)));
        QApplication::sendEvent(f->box(0), &menuKey);
        auto *menu = f->box(0)->findChild<QMenu *>();
        QVERIFY(menu);
        const QList<QAction *> items = menu->actions();
        const auto item = std::find_if(items.begin(), items.end(),
                                       [](QAction *a) { return a->text().startsWith(u"漢字パッド"_s); });
        QVERIFY(item != items.end());
        (*item)->trigger();
        QVERIFY(pad()->isVisible());
        menu->close();
    }

    // Each choice goes into the box after the last, and the reading is cleared for the next.
    void choosingFillsBoxesInTurn_data()
    {
        QTest::addColumn<QStringList>("steps");   // reading, then how: Enter, 1 to 9, click N
        QTest::addColumn<QString>("expected");
        QTest::newRow("Enter takes the first") << QStringList{u"yama"_s, u"Enter"_s, u"kawa"_s, u"Enter"_s, u"de"_s, u"Enter"_s}
                                               << u"山川出"_s;
        QTest::newRow("a digit takes the n-th") << QStringList{u"sen"_s, u"2"_s, u"sen"_s, u"1"_s, u"でる"_s, u"1"_s}
                                                << u"川山出"_s;
        QTest::newRow("a click") << QStringList{u"ヤマ"_s, u"click 0"_s, u"セン"_s, u"click 1"_s, u"de"_s, u"click 0"_s}
                                 << u"山川出"_s;
        QTest::newRow("a digit past the last candidate does nothing")
            << QStringList{u"yama"_s, u"5"_s, u"yama"_s, u"Enter"_s} << u"山"_s;
    }
    void choosingFillsBoxesInTurn()
    {
        QFETCH(QStringList, steps);
        QFETCH(QString, expected);
        open();
        f->action(u"mnuEditKanjiPad"_s)->trigger();
        showReadingPage();
        QLineEdit *reading = padChild<QLineEdit>(u"txtReading"_s);
        for (qsizetype i = 0; i + 1 < steps.size(); i += 2) {
            reading->clear();
            type(reading, steps[i]);
            const QString how = steps[i + 1];
            if (how == u"Enter")
                QTest::keyClick(reading, Qt::Key_Return);
            else if (how.startsWith(u"click "))
                QTest::mouseClick(padChild<QToolButton>(u"cmdCandidate_"_s + how.mid(6)), Qt::LeftButton);
            else
                QTest::keyClick(reading, how[0].toLatin1());
        }
        QCOMPARE(f->boxTexts().join(QString()).left(expected.size()), expected);
        QCOMPARE(f->window->focusWidget(), f->box(int(expected.size())));
        QVERIFY(reading->text().isEmpty());
        QVERIFY(padChild<CandidateBar>(u"barReading"_s)->candidates().isEmpty());
    }

    // From the box that last had the focus on; the last box takes every choice after it.
    void startsAtLastFocusedBox()
    {
        open(true);
        f->box(4)->setFocus(Qt::MouseFocusReason);
        f->box(1)->setFocus(Qt::TabFocusReason);
        f->box(4)->setFocus(Qt::TabFocusReason);
        f->action(u"mnuEditKanjiPad"_s)->trigger();
        showReadingPage();
        for (const QString &typed : {u"yama"_s, u"kawa"_s, u"de"_s}) {
            QTest::keyClicks(padChild<QLineEdit>(u"txtReading"_s), typed);
            QTest::keyClick(padChild<QLineEdit>(u"txtReading"_s), Qt::Key_Return);
        }
        QCOMPARE(f->boxTexts(), (QStringList{u"続"_s, u"家"_s, u"版"_s, u"露"_s, u"山"_s, u"出"_s}));
        QCOMPARE(f->window->focusWidget(), f->box(5));
        QCOMPARE(markedBoxes(), QList<int>{5});
        // A new puzzle from the pad's keyboard starts again at the top box.
        QTest::keyClick(padChild<QLineEdit>(u"txtReading"_s), Qt::Key_N, Qt::ControlModifier);
        QCOMPARE(f->boxTexts().join(QString()), QString());
        QTest::keyClicks(padChild<QLineEdit>(u"txtReading"_s), u"yama"_s);
        QTest::keyClick(padChild<QLineEdit>(u"txtReading"_s), Qt::Key_Return);
        QCOMPARE(f->box(0)->text(), u"山"_s);
        QCOMPARE(markedBoxes(), QList<int>{1});
        QTest::keyClick(padChild<QLineEdit>(u"txtReading"_s), Qt::Key_Escape);
        QCOMPARE(markedBoxes(), QList<int>{});
    }

    void offersOnlyHeads()
    {
        open();
        f->action(u"mnuEditKanjiPad"_s)->trigger();
        showReadingPage();
        QTest::keyClicks(padChild<QLineEdit>(u"txtReading"_s), u"san"_s);
        QCOMPARE(padChild<CandidateBar>(u"barReading"_s)->candidates(), QList<QChar>{u'山'});
        // Resting on a candidate shows its readings.
        QVERIFY(padChild<QToolButton>(u"cmdCandidate_0"_s)->toolTip().contains(u"やま"_s));
        padChild<QLineEdit>(u"txtReading"_s)->setText(u"ぬぬ"_s);
        QVERIFY(padChild<CandidateBar>(u"barReading"_s)->candidates().isEmpty());
        QVERIFY(padChild<QLabel>(u"lblReadingNote"_s)->text().contains(u"ありません"_s));
    }

    // Every candidate within reach of the keys: into the bar, over its rows and pages.
    void keyboardOverCandidates_data()
    {
        QTest::addColumn<QStringList>("keys");   // after the reading き
        QTest::addColumn<int>("chosen");         // the candidate that lands in box 0
        QTest::newRow("Tab, Enter") << QStringList{u"Tab"_s, u"Return"_s} << 0;
        QTest::newRow("Down into the bar, Down a row, Right") << QStringList{u"Down"_s, u"Down"_s, u"Right"_s, u"Space"_s} << 11;
        QTest::newRow("PageDown in the bar") << QStringList{u"Tab"_s, u"Right"_s, u"PgDown"_s, u"Return"_s} << 51;
        QTest::newRow("PageDown from the field, then a digit") << QStringList{u"PgDown"_s, u"3"_s} << 52;
        QTest::newRow("a digit from the bar") << QStringList{u"Tab"_s, u"PgDown"_s, u"PgUp"_s, u"9"_s} << 8;
        QTest::newRow("Up from the first row, Enter") << QStringList{u"Tab"_s, u"Right"_s, u"Up"_s, u"Return"_s} << 0;
        QTest::newRow("Left over a row's start") << QStringList{u"Down"_s, u"Down"_s, u"Left"_s, u"Return"_s} << 9;
        QTest::newRow("End, Down past the last") << QStringList{u"Tab"_s, u"End"_s, u"Down"_s, u"Right"_s, u"Return"_s} << 99;
    }
    void keyboardOverCandidates()
    {
        QFETCH(QStringList, keys);
        QFETCH(int, chosen);
        QString readings;
        for (qsizetype n = 0; n < kHundred.size(); ++n)
            readings += kHundred[n] + u"\tキ\t"_s + QString::number(n + 1) + u'\n';
        QStringList lines = dictionaryLines();
        for (QChar kanji : kHundred)
            lines.append(kanji + u"山"_s);
        QVERIFY(f->loadDictionary(lines));
        open(true, writeBytes(f->dir, u"many.kanji"_s, readings.toUtf8()));
        f->action(u"mnuEditKanjiPad"_s)->trigger();
        pad()->windowHandle()->requestActivate();
        QTRY_COMPARE(QApplication::activeWindow(), pad());
        showReadingPage();
        QTest::keyClicks(padChild<QLineEdit>(u"txtReading"_s), u"ki"_s);
        for (const QString &key : keys) {
            QWidget *focus = QApplication::focusWidget();
            QTest::keyClick(focus, Qt::Key(QKeySequence::fromString(key)[0].key()));
        }
        QCOMPARE(f->box(0)->text(), QString(kHundred[chosen]));
        QCOMPARE(QApplication::focusWidget(), padChild<QLineEdit>(u"txtReading"_s));
    }

    // A letter typed on the 手書き page starts a reading.
    void typingOnHandwritingPage()
    {
        open();
        f->action(u"mnuEditKanjiPad"_s)->trigger();
        auto *pages = padChild<QTabWidget>(u"tabPages"_s);
        QCOMPARE(pages->currentWidget()->objectName(), u"pageHandwriting"_s);
        QTest::keyClick(padChild<HandwritingCanvas>(u"canvas"_s), Qt::Key_Y, Qt::NoModifier);
        QCOMPARE(pages->currentWidget()->objectName(), u"pageReading"_s);
        auto *reading = padChild<QLineEdit>(u"txtReading"_s);
        QCOMPARE(pad()->focusWidget(), reading);
        QTest::keyClicks(reading, u"ama"_s);
        QCOMPARE(reading->text(), u"yama"_s);
        QTest::keyClick(reading, Qt::Key_Enter, Qt::KeypadModifier);
        QCOMPARE(f->box(0)->text(), u"山"_s);
    }

    void escClosesAndPlaceKept()
    {
        open();
        f->action(u"mnuEditKanjiPad"_s)->trigger();
        pad()->move(130, 140);
        showReadingPage();
        QTest::keyClicks(padChild<QLineEdit>(u"txtReading"_s), u"tyou"_s);
        QTest::keyClick(padChild<QLineEdit>(u"txtReading"_s), Qt::Key_Escape);
        QVERIFY(!pad()->isVisible());
        f->action(u"mnuEditKanjiPad"_s)->trigger();
        QVERIFY(pad()->isVisible());
        QCOMPARE(pad()->pos(), QPoint(130, 140));
        // A new reading, not the old one's end.
        QVERIFY(padChild<QLineEdit>(u"txtReading"_s)->text().isEmpty());
        QCOMPARE(f->window->findChildren<KanjiPad *>().size(), 1);
    }

    void missingParts_data()
    {
        QTest::addColumn<bool>("model");
        QTest::addColumn<bool>("readings");
        QTest::newRow("no model") << false << true;
        QTest::newRow("no readings file") << true << false;
        QTest::newRow("neither") << false << false;
    }
    void missingParts()
    {
        QFETCH(bool, model);
        QFETCH(bool, readings);
        const QString modelPath = model ? HandwritingRecognizer::defaultModelPath() : f->dir.filePath(u"none.model"_s);
        if (model && !QFile::exists(modelPath))
            QSKIP("the tegaki-zinnia-japanese model is not installed");
        open(false, readings ? readingsPath : f->dir.filePath(u"none.kanji"_s), modelPath);
        f->action(u"mnuEditKanjiPad"_s)->trigger();

        auto *note = padChild<QLabel>(u"lblHandwritingNote"_s);
        QCOMPARE(note->isVisible(), !model);
        QCOMPARE(padChild<HandwritingCanvas>(u"canvas"_s)->isVisible(), model);
        if (!model)
            QVERIFY(note->text().contains(u"tegaki-zinnia-japanese"_s));

        // A letter typed on the 手書き page starts a reading, with a canvas or without.
        QTest::keyClick(pad(), Qt::Key_Y);
        QTest::keyClicks(padChild<QLineEdit>(u"txtReading"_s), u"ama"_s);
        const QList<QChar> found = padChild<CandidateBar>(u"barReading"_s)->candidates();
        QCOMPARE(found, readings ? QList<QChar>{u'山'} : QList<QChar>());
        QCOMPARE(padChild<QLabel>(u"lblReadingNote"_s)->text().contains(u"見つかりません"_s), !readings);
        // The rest of the program goes on as before.
        f->action(u"mnuEditFind"_s)->trigger();
        QCOMPARE(f->answer()->text(), u"出"_s);
    }

    // Three mouse strokes of 山 on the canvas, with the shipped dictionary's heads.
    void drawing()
    {
        if (!QFile::exists(HandwritingRecognizer::defaultModelPath()))
            QSKIP("the tegaki-zinnia-japanese model is not installed");
        f->dictionary.clear();
        if (readDictionaryFile(QStringLiteral(TOLVO_BIN_DIR "/tolvo.dic"), f->dictionary) != DictionaryLoad::Loaded)
            QSKIP("tolvo.dic has not been built");
        open();
        f->action(u"mnuEditKanjiPad"_s)->trigger();
        auto *canvas = padChild<HandwritingCanvas>(u"canvas"_s);
        auto *bar = padChild<CandidateBar>(u"barHandwriting"_s);
        const QList<QList<QPoint>> yama = {{{130, 40}, {130, 120}, {130, 200}},
                                           {{50, 90}, {50, 210}, {130, 210}, {210, 210}},
                                           {{210, 80}, {210, 150}, {210, 210}}};
        for (const QList<QPoint> &stroke : yama) {
            drawStroke(canvas, stroke);
            QVERIFY(bar->candidates().size() >= 10);
        }
        QVERIFY2(bar->candidates().indexOf(u'山') >= 0 && bar->candidates().indexOf(u'山') < 3,
                 qPrintable(QString(bar->candidates().constData(), bar->candidates().size())));

        QTest::mouseClick(padChild<QPushButton>(u"cmdUndo"_s), Qt::LeftButton);
        QCOMPARE(canvas->drawing().size(), 2);
        drawStroke(canvas, yama.last());
        QTest::mouseClick(padChild<QToolButton>(u"cmdCandidate_"_s + QString::number(bar->candidates().indexOf(u'山'))),
                          Qt::LeftButton);
        QCOMPARE(f->box(0)->text(), u"山"_s);
        QVERIFY(canvas->drawing().isEmpty());
        QVERIFY(bar->candidates().isEmpty());

        drawStroke(canvas, yama.first());
        QVERIFY(!bar->candidates().isEmpty());
        QTest::mouseClick(padChild<QPushButton>(u"cmdClear"_s), Qt::LeftButton);
        QVERIFY(canvas->drawing().isEmpty());
        QVERIFY(bar->candidates().isEmpty());

        // 戻す and 消去 from the keyboard.
        QVERIFY(QTest::qWaitForWindowActive(pad()));
        for (const QList<QPoint> &stroke : yama)
            drawStroke(canvas, stroke);
        QTest::keyClick(canvas, Qt::Key_Backspace);
        QTest::keyClick(canvas, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(canvas->drawing().size(), 1);
        QTest::keyClick(canvas, Qt::Key_Delete);
        QVERIFY(canvas->drawing().isEmpty());
    }

private:
    void open(bool active = false, const QString &readings = {}, const QString &model = {})
    {
        f->open(active);
        f->setDataFile(&DataFiles::kanji, readings.isEmpty() ? readingsPath : readings);
        if (!model.isEmpty())
            f->setDataFile(&DataFiles::handwritingModel, model);
    }
    KanjiPad *pad() const { return f->window->findChild<KanjiPad *>(); }
    // The boxes marked as the pad's next one.
    QList<int> markedBoxes() const
    {
        QList<int> marked;
        for (int i = 0; i < 6; ++i) {
            if (static_cast<LetterBox *>(f->box(i))->isPadTarget())
                marked.append(i);
        }
        return marked;
    }
    template <typename T>
    T *padChild(const QString &name) const
    {
        T *child = pad()->findChild<T *>(name);
        if (!child)
            qFatal("the pad has no %s", qPrintable(name));
        return child;
    }
    void showReadingPage() const
    {
        auto *pages = padChild<QTabWidget>(u"tabPages"_s);
        pages->setCurrentWidget(padChild<QWidget>(u"pageReading"_s));
    }
    // Romaji as keys; kana as an input method would commit them.
    static void type(QLineEdit *field, const QString &text)
    {
        if (std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x80; }))
            QTest::keyClicks(field, text);
        else
            field->insert(text);
    }
    static void drawStroke(QWidget *canvas, const QList<QPoint> &points)
    {
        QTest::mousePress(canvas, Qt::LeftButton, {}, points.first());
        for (const QPoint &p : points.mid(1)) {
            // QTest's move carries no button; the canvas reads the buttons held.
            QMouseEvent move(QEvent::MouseMove, p, canvas->mapToGlobal(p), Qt::NoButton, Qt::LeftButton, {});
            QApplication::sendEvent(canvas, &move);
        }
        QTest::mouseRelease(canvas, Qt::LeftButton, {}, points.last());
    }

    std::unique_ptr<MainWindowFixture> f;
    QString readingsPath;
};

QTEST_MAIN(TestKanjiPad)
#include "tst_kanjipad.moc"
