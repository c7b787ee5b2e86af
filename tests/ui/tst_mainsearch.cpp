// Edit > Search on the real window: results, progress, yielding, Esc,
// the close refusal and what may happen while the search yields.
#include "mainwindowfixture.h"
#include "platform/runtimeerror.h"

#include <QApplication>
#include <QDialog>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QScreen>
#include <QToolTip>

namespace {

using Shown = PromptsDouble::Shown;

const QStringList kWorkedLetters{u"続"_s, u"家"_s, u"版"_s, u"露"_s, u"身"_s, u"発"_s};

// Records the Esc presses that reach a control.
class EscRecorder : public QObject
{
public:
    int seen = 0;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape)
            ++seen;
        return false;
    }
};

void postEsc(QObject *target)
{
    QCoreApplication::postEvent(target, new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
}

// A window whose search fails at its first yield, from inside the engine
// call: the way a failure of the scan reaches the window.
class FailingYieldWindow : public ProbedMain
{
public:
    using ProbedMain::ProbedMain;

protected:
    void yieldToEvents(int, qint32) override { throw RuntimeError::outOfRange(); }
};

// What the window system shows of a widget: the window's flushed pixels.
QImage onScreen(QWidget *widget)
{
    QWidget *top = widget->window();
    const QPoint at = widget->mapTo(top, QPoint());
    return top->screen()
        ->grabWindow(top->winId(), at.x(), at.y(), widget->width(), widget->height())
        .toImage()
        .convertToFormat(QImage::Format_RGB32);
}

// A real modal box over the window for as long as the prompt is "open",
// as the message boxes are: it blocks the window and takes the keyboard.
struct ModalBox
{
    explicit ModalBox(QWidget *owner) : box(owner)
    {
        box.setWindowModality(Qt::ApplicationModal);
        box.show();
        if (!QTest::qWaitForWindowActive(&box))
            qWarning("modal box not active");
    }
    QDialog box;
};

} // namespace

class TestMainSearch : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void results_data();
    void results();
    void shortcutsFromALetterBox();
    void focusReturnsToItsBox();
    void focusBackAfterABox_data();
    void focusBackAfterABox();
    void barsDrawnUnderABox_data();
    void barsDrawnUnderABox();
    void progressAndYield();
    void shortDictionaryNeverYields();
    void escAnsweredNo();
    void escAnsweredYesStopsAtBox2();
    void escPreviewedForAnyControl_data();
    void escPreviewedForAnyControl();
    void escWhileIdleDoesNothing();
    void closeRefusedWhileSearching();
    void secondSearchDuringYieldIgnored();
    void historyLoadDuringYield();
    void failureLeavesWindowIdle();
    void handlerFailureStaysInHandler();
    void unusualCapacities_data();
    void unusualCapacities();
    void candidateTooltip_data();
    void candidateTooltip();

private:
    void openLong(int filler = 300);
    void search() { f->action(u"mnuEditFind"_s)->trigger(); }
    void checkIdle();

    std::unique_ptr<MainWindowFixture> f;
};

void TestMainSearch::init()
{
    f = std::make_unique<MainWindowFixture>();
}

void TestMainSearch::cleanup()
{
    f.reset();
}

void TestMainSearch::openLong(int filler)
{
    QVERIFY(f->loadDictionary(workedExampleLines() + fillerLines(filler)));
    f->open();
    f->setBoxes(kWorkedLetters);
}

void TestMainSearch::checkIdle()
{
    QVERIFY(!f->window->isSearching());
    for (int i = 0; i < 6; ++i)
        QVERIFY(f->box(i)->isEnabled());
    QVERIFY(!f->find(u"pbrLetter"_s)->isVisibleTo(f->window.get()));
    QVERIFY(!f->find(u"pbrStatus"_s)->isVisibleTo(f->window.get()));
    QVERIFY(f->candidates()->isVisibleTo(f->window.get()));
}

void TestMainSearch::results_data()
{
    QTest::addColumn<QStringList>("boxes");
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<bool>("noMatchNotice");
    QTest::addColumn<QString>("firstHistoryRow");

    QTest::newRow("worked example") << kWorkedLetters << u"出"_s << QStringList{u"出/6"_s, u"人/3"_s}
                                    << false << u"続家版露身発/出"_s;
    QTest::newRow("boxes 0, 2 and 5") << QStringList{u"続"_s, {}, u"版"_s, {}, {}, u"発"_s} << u"出"_s
                                      << QStringList{u"出/3"_s, u"行/2"_s} << false << u"続版発/出"_s;
    QTest::newRow("no kanji reaches every letter")
        << QStringList{u"続"_s, u"家"_s, u"猫"_s} << QString() << QStringList{u"出/2"_s} << true << u"続家猫/"_s;
    QTest::newRow("single letter") << QStringList{{}, {}, {}, u"露"_s} << u"出"_s
                                   << QStringList{u"出/1"_s, u"天/1"_s, u"見/1"_s, u"人/1"_s} << false << u"露/出"_s;
    // The entry "," frees slot 1; the list skips it.
    QTest::newRow("all boxes empty") << QStringList() << QString() << QStringList() << true
                                     << u"続家版露身発/出"_s;
}

void TestMainSearch::results()
{
    QFETCH(QStringList, boxes);
    QFETCH(QString, answer);
    QFETCH(QStringList, rows);
    QFETCH(bool, noMatchNotice);
    QFETCH(QString, firstHistoryRow);
    QVERIFY(f->loadDictionary(workedExampleLines()));
    f->open();
    f->setBoxes(boxes);
    f->answer()->setText(u"前"_s);
    // The notice comes while the answer label still shows the previous answer.
    QString answerDuringNotice;
    f->prompts.onShow = [&](const Shown &) { answerDuringNotice = f->answer()->text(); };

    search();

    QCOMPARE(f->answer()->text(), answer);
    QCOMPARE(MainWindowFixture::rows(f->candidates()), rows);
    QCOMPARE(f->candidates()->isEnabled(), !rows.isEmpty());
    if (!rows.isEmpty()) {
        QCOMPARE(f->candidates()->selectedItems(), QList<QTreeWidgetItem *>{f->candidates()->topLevelItem(0)});
    }
    if (noMatchNotice) {
        QCOMPARE(f->prompts.shown.size(), 1);
        const Shown &s = f->prompts.shown.first();
        QCOMPARE(s.kind, Shown::Message);
        QCOMPARE(s.title, u"確認"_s);
        QCOMPARE(s.text, u"該当する単語が見つかりませんでした。"_s);
        QCOMPARE(s.icon, Prompts::Icon::Information);
        QCOMPARE(answerDuringNotice, u"前"_s);
    } else {
        QVERIFY(f->prompts.shown.isEmpty());
    }
    QCOMPARE(MainWindowFixture::rows(f->history()).value(0), firstHistoryRow);
    QCOMPARE(f->find<QProgressBar>(u"pbrLetter"_s)->value(), 7);
    checkIdle();
}

void TestMainSearch::shortcutsFromALetterBox()
{
    QVERIFY(f->loadDictionary(workedExampleLines()));
    f->open(true);
    f->box(2)->setFocus();
    QTRY_VERIFY(f->box(2)->hasFocus());
    QTest::keyClick(f->box(2), Qt::Key_F, Qt::ControlModifier);
    QCOMPARE(f->answer()->text(), u"出"_s);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_H, Qt::ControlModifier);
    QVERIFY(!f->action(u"mnuEditHistory"_s)->isChecked());
    QVERIFY(!f->history()->isVisible());
}

void TestMainSearch::focusReturnsToItsBox()
{
    QVERIFY(f->loadDictionary(workedExampleLines()));
    f->open(true);
    f->box(3)->setFocus();
    QTRY_VERIFY(f->box(3)->hasFocus());
    search();
    QTRY_VERIFY(f->box(3)->hasFocus());
    QCOMPARE(f->box(3)->selectedText(), u"露"_s);
}

// Each way a search ends in a message box. The boxes close as a window
// manager may close them: nothing gives this window the keyboard back.
enum class BoxEnd { NoAnswer, AllEmpty, Cancelled, Failed };

static void addBoxEnds()
{
    QTest::addColumn<BoxEnd>("end");
    QTest::newRow("no answer") << BoxEnd::NoAnswer;
    QTest::newRow("all boxes empty") << BoxEnd::AllEmpty;
    QTest::newRow("cancelled") << BoxEnd::Cancelled;
    QTest::newRow("failed") << BoxEnd::Failed;
}

void TestMainSearch::focusBackAfterABox_data()
{
    addBoxEnds();
}

void TestMainSearch::focusBackAfterABox()
{
    QFETCH(BoxEnd, end);
    QVERIFY(f->loadDictionary(workedExampleLines() + fillerLines(120)));
    if (end == BoxEnd::Failed)
        f->open<FailingYieldWindow>(true);
    else
        f->open(true);
    f->setBoxes(end == BoxEnd::AllEmpty ? QStringList() : QStringList{u"続"_s, u"家"_s, u"猫"_s, u"露"_s});
    if (end == BoxEnd::Cancelled) {
        f->prompts.answers.enqueue(Prompts::Answer::Yes);
        f->window->onTick = [&](int box, qint32 line) {
            if (box == 1 && line == 50)
                postEsc(f->window.get());
        };
    }
    f->box(3)->setFocus();
    QTRY_VERIFY(f->box(3)->hasFocus());
    f->prompts.onShow = [&](const Shown &) { ModalBox box(f->window.get()); };
    search();
    QVERIFY(!f->prompts.shown.isEmpty());
    QTRY_VERIFY(f->box(3)->hasFocus());
    QCOMPARE(f->box(3)->selectedText(), f->box(3)->text());
}

void TestMainSearch::barsDrawnUnderABox_data()
{
    addBoxEnds();
    QTest::newRow("Esc question") << BoxEnd::NoAnswer;
}

void TestMainSearch::barsDrawnUnderABox()
{
    QFETCH(BoxEnd, end);
    const bool question = QByteArray(QTest::currentDataTag()) == "Esc question";
    QVERIFY(f->loadDictionary(workedExampleLines() + fillerLines(300)));
    if (end == BoxEnd::Failed)
        f->open<FailingYieldWindow>(true);
    else
        f->open(true);
    QVERIFY(QTest::qWaitForWindowExposed(f->window.get()));
    f->setBoxes(end == BoxEnd::AllEmpty ? QStringList() : QStringList{u"続"_s, u"家"_s, u"猫"_s});
    if (end == BoxEnd::Cancelled || question) {
        f->prompts.answers.enqueue(end == BoxEnd::Cancelled ? Prompts::Answer::Yes : Prompts::Answer::No);
        f->window->onTick = [&](int box, qint32 line) {
            if (box == 2 && line == 250)
                postEsc(f->window.get());
        };
    }
    QStringList undrawn;
    f->prompts.onShow = [&](const Shown &s) {
        if (question != (s.kind == Shown::YesNo))
            return;
        ModalBox box(f->window.get());
        for (const QString &name : {u"pbrLetter"_s, u"pbrStatus"_s}) {
            auto *bar = f->find<QProgressBar>(name);
            const QImage shown = onScreen(bar);
            bar->setUpdatesEnabled(true);
            if (shown != bar->grab().toImage().convertToFormat(QImage::Format_RGB32))
                undrawn.append(name + u" at "_s + QString::number(bar->value()));
        }
    };
    search();
    QVERIFY(!f->prompts.shown.isEmpty());
    QCOMPARE(undrawn, QStringList());
}

void TestMainSearch::progressAndYield()
{
    // 126 lines: ticks at lines 50 and 100 of every non-empty box.
    openLong(120);
    f->setBoxes({u"続"_s, {}, u"版"_s});
    auto *letter = f->find<QProgressBar>(u"pbrLetter"_s);
    auto *status = f->find<QProgressBar>(u"pbrStatus"_s);
    QStringList ticks;
    f->window->onTick = [&](int box, qint32 line) {
        QVERIFY(f->window->isSearching());
        QVERIFY(!f->box(box)->isEnabled());
        QVERIFY(letter->isVisibleTo(f->window.get()) && status->isVisibleTo(f->window.get()));
        QCOMPARE(letter->maximum(), 7);
        QCOMPARE(status->maximum(), 126);
        ticks.append(u"%1:%2 %3/%4"_s.arg(box).arg(line).arg(letter->value()).arg(status->value()));
    };
    search();
    // Box 1 is empty: no ticks, but a letter step all the same.
    QCOMPARE(ticks, (QStringList{u"0:50 0/50"_s, u"0:100 0/100"_s, u"2:50 2/50"_s, u"2:100 2/100"_s}));
    QCOMPARE(letter->value(), 7);
    checkIdle();
}

void TestMainSearch::shortDictionaryNeverYields()
{
    openLong(43);   // 49 lines
    int ticks = 0;
    f->window->onTick = [&](int, qint32) { ++ticks; };
    postEsc(f->window.get());
    search();
    QCOMPARE(ticks, 0);
    QCOMPARE(f->answer()->text(), u"出"_s);
    QCOMPARE(f->find<QProgressBar>(u"pbrStatus"_s)->value(), 0);
    QCoreApplication::processEvents();
    QVERIFY(f->prompts.shown.isEmpty());
}

void TestMainSearch::escAnsweredNo()
{
    openLong();
    f->prompts.answers.enqueue(Prompts::Answer::No);
    f->window->onTick = [&](int box, qint32 line) {
        if (box == 1 && line == 100)
            postEsc(f->candidates());
    };
    search();
    QCOMPARE(f->prompts.shown.size(), 1);
    const Shown &q = f->prompts.shown.first();
    QCOMPARE(q.kind, Shown::YesNo);
    QCOMPARE(q.title, u"確認"_s);
    QCOMPARE(q.text, u"検索処理を中止しますか？"_s);
    QCOMPARE(q.icon, Prompts::Icon::Question);
    QVERIFY(!f->window->isCancelRequested());
    QCOMPARE(f->answer()->text(), u"出"_s);
    QCOMPARE(MainWindowFixture::rows(f->candidates()), (QStringList{u"出/6"_s, u"人/3"_s}));
    checkIdle();
}

void TestMainSearch::escAnsweredYesStopsAtBox2()
{
    openLong();
    basParam::SetParam(f->settings, u"HistString"_s, 0, u"春,夏"_s);
    f->window->RefreshHistoryList();
    const QStringList historyBefore = MainWindowFixture::rows(f->history());
    f->answer()->setText(u"前"_s);
    new QTreeWidgetItem(f->candidates(), {u"前"_s, u"1"_s});
    f->prompts.answers.enqueue(Prompts::Answer::Yes);
    QStringList ticks;
    f->window->onTick = [&](int box, qint32 line) {
        ticks.append(u"%1:%2"_s.arg(box).arg(line));
        if (box == 2 && line == 50)
            postEsc(f->window.get());
    };
    int letterStepsAtNotice = -1;
    f->prompts.onShow = [&](const Shown &s) {
        if (s.kind == Shown::Message)
            letterStepsAtNotice = f->find<QProgressBar>(u"pbrLetter"_s)->value();
    };

    search();

    // Nothing of box 2 after its first tick, nothing of the boxes after it.
    QCOMPARE(ticks.last(), u"2:50"_s);
    QCOMPARE(ticks.size(), 6 + 6 + 1);
    QCOMPARE(f->prompts.shown.size(), 2);
    const Shown &notice = f->prompts.shown.last();
    QCOMPARE(notice.kind, Shown::Message);
    QCOMPARE(notice.title, u"確認"_s);
    QCOMPARE(notice.text, u"検索処理を中止しました。"_s);
    QCOMPARE(notice.icon, Prompts::Icon::Information);
    QCOMPARE(letterStepsAtNotice, 3);
    QCOMPARE(f->answer()->text(), QString());
    QCOMPARE(f->candidates()->topLevelItemCount(), 0);
    QVERIFY(!f->candidates()->isEnabled());
    QCOMPARE(MainWindowFixture::rows(f->history()), historyBefore);
    QCOMPARE(toText(basParam::GetParam(f->settings, u"HistString"_s, 1)), u"春"_s);
    checkIdle();
}

void TestMainSearch::escPreviewedForAnyControl_data()
{
    QTest::addColumn<QString>("target");
    QTest::newRow("candidate list") << u"lsvCandidate"_s;
    QTest::newRow("history list") << u"lsvHistory"_s;
    QTest::newRow("the window itself") << u"frmMain"_s;
    QTest::newRow("a disabled letter box") << u"txtLetter_4"_s;
}

void TestMainSearch::escPreviewedForAnyControl()
{
    QFETCH(QString, target);
    openLong();
    QWidget *control = target == u"frmMain" ? f->window.get() : f->find(target);
    QVERIFY(control);
    EscRecorder recorder;
    control->installEventFilter(&recorder);
    f->window->onTick = [&](int box, qint32 line) {
        if (line == 100 && (box == 0 || box == 3))
            postEsc(control);
    };
    search();
    // One question per press, however far the key climbs; the control still gets it.
    QCOMPARE(f->prompts.shown.size(), 2);
    for (const Shown &s : f->prompts.shown)
        QCOMPARE(s.kind, Shown::YesNo);
    QCOMPARE(recorder.seen, 2);
    QCOMPARE(f->answer()->text(), u"出"_s);
}

void TestMainSearch::escWhileIdleDoesNothing()
{
    QVERIFY(f->loadDictionary(workedExampleLines()));
    f->open(true);
    QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : f->window.get(), Qt::Key_Escape);
    postEsc(f->candidates());
    QCoreApplication::processEvents();
    QVERIFY(f->prompts.shown.isEmpty());
    QVERIFY(!f->window->isCancelRequested());
}

void TestMainSearch::closeRefusedWhileSearching()
{
    openLong();
    int refusals = 0;
    f->window->onTick = [&](int box, qint32 line) {
        if (line == 50 && box < 2) {
            refusals += !f->window->close();
            f->action(u"mnuFileExit"_s)->trigger();
        }
    };
    search();
    QCOMPARE(refusals, 2);
    QVERIFY(f->window->isVisible());
    QVERIFY(f->prompts.shown.isEmpty());
    QCOMPARE(f->answer()->text(), u"出"_s);
    QVERIFY(!QFile::exists(f->settingsPath));
    // Once the search is over, closing works and writes the settings.
    QVERIFY(f->window->close());
    QVERIFY(QFile::exists(f->settingsPath));
}

void TestMainSearch::secondSearchDuringYieldIgnored()
{
    openLong();
    QStringList ticks;
    f->window->onTick = [&](int box, qint32 line) {
        ticks.append(u"%1:%2"_s.arg(box).arg(line));
        if (line == 50)
            search();
    };
    search();
    QCOMPARE(ticks.size(), 6 * 6);
    QCOMPARE(ticks.first(), u"0:50"_s);
    QCOMPARE(ticks.last(), u"5:300"_s);
    QCOMPARE(MainWindowFixture::rows(f->candidates()), (QStringList{u"出/6"_s, u"人/3"_s}));
}

void TestMainSearch::historyLoadDuringYield()
{
    QVERIFY(f->loadDictionary(workedExampleLines() + fillerLines(300)));
    basParam::SetParam(f->settings, u"HistString"_s, 0, u"身発,出"_s);
    f->open();
    f->setBoxes(kWorkedLetters);
    f->window->onTick = [&](int box, qint32 line) {
        if (box == 0 && line == 50) {
            f->history()->setCurrentItem(f->history()->topLevelItem(0));
            f->action(u"mnuPopupGetString"_s)->trigger();
            QCOMPARE(f->boxTexts(), (QStringList{u"身"_s, u"発"_s, {}, {}, {}, {}}));
        }
    };
    search();
    // Box 0 was read as 続 before the load, box 1 as 発 after it; the entry
    // takes the boxes as they are at the end.
    QCOMPARE(f->answer()->text(), u"出"_s);
    QCOMPARE(MainWindowFixture::rows(f->candidates()),
             (QStringList{u"出/2"_s, u"行/2"_s, u"編/1"_s, u"報/1"_s, u"表/1"_s, u"見/1"_s}));
    QCOMPARE(MainWindowFixture::rows(f->history()), (QStringList{u"身発/出"_s, u"続家版露身発/出"_s}));
    checkIdle();
}

void TestMainSearch::failureLeavesWindowIdle()
{
    QVERIFY(f->loadDictionary(workedExampleLines() + fillerLines(120)));
    f->open<FailingYieldWindow>();
    f->setBoxes(kWorkedLetters);
    // The scan failing in its middle, twice in a row.
    for (int round = 1; round <= 2; ++round) {
        search();
        QCOMPARE(f->prompts.shown.size(), round);
        const Shown &s = f->prompts.shown.last();
        QCOMPARE(s.kind, Shown::Message);
        QCOMPARE(s.title, u"エラー"_s);
        QCOMPARE(s.icon, Prompts::Icon::Error);
        QVERIFY2(s.text.contains(u"ErrorNo: 9"_s), qPrintable(s.text));
        checkIdle();
    }
}

void TestMainSearch::handlerFailureStaysInHandler()
{
    openLong();
    // The Esc handler fails while the search yields: the failure ends the
    // handler, not the search that yielded to it.
    f->window->onTick = [&](int box, qint32 line) {
        if (box == 1 && line == 50)
            postEsc(f->window.get());
    };
    f->prompts.onShow = [](const Shown &s) {
        if (s.kind == Shown::YesNo)
            throw RuntimeError::overflow();
    };
    search();
    QCOMPARE(f->prompts.shown.size(), 1);
    QCOMPARE(f->prompts.shown.first().kind, Shown::YesNo);
    QCOMPARE(f->answer()->text(), u"出"_s);
    checkIdle();
}

// A capacity of 0 or of two billion from the settings file: the search
// completes without a message, and the history keeps what it can.
void TestMainSearch::unusualCapacities_data()
{
    QTest::addColumn<int>("capacity");
    QTest::addColumn<QStringList>("history");
    QTest::newRow("no slots") << 0 << QStringList();
    QTest::newRow("far too many to allocate") << 2147483647 << QStringList{u"続家版露身発/出"_s};
}

void TestMainSearch::unusualCapacities()
{
    QFETCH(int, capacity);
    QFETCH(QStringList, history);
    QVERIFY(f->loadDictionary(workedExampleLines()));
    f->loadSettings({u"HistNum="_s + QString::number(capacity)});
    f->open();
    search();
    QVERIFY(f->prompts.shown.isEmpty());
    QCOMPARE(f->answer()->text(), u"出"_s);
    QCOMPARE(MainWindowFixture::rows(f->history()), history);
    checkIdle();
}

void TestMainSearch::candidateTooltip_data()
{
    QTest::addColumn<QString>("words");   // the words file's text; empty: none
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("tip");
    QTest::newRow("出 partners all six") << QString() << 0 << u"続・家・版・露・身・発"_s;
    QTest::newRow("人 partners three") << QString() << 1 << u"家・露・身"_s;
    QTest::newRow("出's words with readings")
        << u"続出\tぞくしゅつ\n家出\tいえで\n出版\tしゅっぱん\n"_s << 0 << u"続出（ぞくしゅつ）・家出（いえで）・出版（しゅっぱん）・露・身・発"_s;
}

void TestMainSearch::candidateTooltip()
{
    QFETCH(QString, words);
    QFETCH(int, row);
    QFETCH(QString, tip);
    QVERIFY(f->loadDictionary(workedExampleLines()));
    f->open();
    WordList list;
    list.loadText(words);
    f->window->setWords(std::move(list));
    QVERIFY(QTest::qWaitForWindowExposed(f->window.get()));
    search();
    // The tip tells the last completed search's letters, whatever the boxes hold now.
    f->setBoxes({u"春"_s});
    QWidget *viewport = f->candidates()->viewport();
    const QPoint at = f->candidates()->visualItemRect(f->candidates()->topLevelItem(row)).center();
    QHelpEvent help(QEvent::ToolTip, at, viewport->mapToGlobal(at));
    QApplication::sendEvent(viewport, &help);
    QTRY_COMPARE(QToolTip::text(), tip);
    QToolTip::hideText();
}

QTEST_MAIN(TestMainSearch)
#include "tst_mainsearch.moc"
