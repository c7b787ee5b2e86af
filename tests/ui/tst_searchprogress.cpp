// Edit > Search on the real window while it runs: progress, yielding, Esc,
// the close refusal, what may happen while the search yields, and the
// window it leaves behind when it ends in a message box.
#include "mainwindowfixture.h"
#include "platform/runtimeerror.h"

#include <QApplication>
#include <QDialog>
#include <QKeyEvent>
#include <QScreen>

namespace {

using Shown = PromptsDouble::Shown;

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

class TestSearchProgress : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

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

private:
    void openLong(int filler = 300);
    void search() { f->action(u"mnuEditFind"_s)->trigger(); }
    void checkIdle() { f->checkIdle(); }

    std::unique_ptr<MainWindowFixture> f;
};

void TestSearchProgress::init()
{
    f = std::make_unique<MainWindowFixture>();
}

void TestSearchProgress::cleanup()
{
    f.reset();
}

void TestSearchProgress::openLong(int filler)
{
    QVERIFY(f->loadDictionary(workedExampleLines() + fillerLines(filler)));
    f->open();
    f->setBoxes(kWorkedLetters);
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

void TestSearchProgress::focusBackAfterABox_data()
{
    addBoxEnds();
}

void TestSearchProgress::focusBackAfterABox()
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

void TestSearchProgress::barsDrawnUnderABox_data()
{
    addBoxEnds();
    QTest::newRow("Esc question") << BoxEnd::NoAnswer;
}

void TestSearchProgress::barsDrawnUnderABox()
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

void TestSearchProgress::progressAndYield()
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

void TestSearchProgress::shortDictionaryNeverYields()
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

void TestSearchProgress::escAnsweredNo()
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

void TestSearchProgress::escAnsweredYesStopsAtBox2()
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

void TestSearchProgress::escPreviewedForAnyControl_data()
{
    QTest::addColumn<QString>("target");
    QTest::newRow("candidate list") << u"lsvCandidate"_s;
    QTest::newRow("history list") << u"lsvHistory"_s;
    QTest::newRow("the window itself") << u"frmMain"_s;
    QTest::newRow("a disabled letter box") << u"txtLetter_4"_s;
}

void TestSearchProgress::escPreviewedForAnyControl()
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

void TestSearchProgress::escWhileIdleDoesNothing()
{
    QVERIFY(f->loadDictionary(workedExampleLines()));
    f->open(true);
    QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : f->window.get(), Qt::Key_Escape);
    postEsc(f->candidates());
    QCoreApplication::processEvents();
    QVERIFY(f->prompts.shown.isEmpty());
    QVERIFY(!f->window->isCancelRequested());
}

void TestSearchProgress::closeRefusedWhileSearching()
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

void TestSearchProgress::secondSearchDuringYieldIgnored()
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

void TestSearchProgress::historyLoadDuringYield()
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

void TestSearchProgress::failureLeavesWindowIdle()
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

void TestSearchProgress::handlerFailureStaysInHandler()
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

QTEST_MAIN(TestSearchProgress)
#include "tst_searchprogress.moc"
