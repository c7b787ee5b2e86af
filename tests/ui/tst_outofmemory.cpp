// Running out of memory in the window: a search, a paste and the close,
// run once for every allocation they make, with that one failing, each in
// a child process so that a crash is counted rather than ending the test.
// The window must report what failed and go on, never let the exception
// into Qt, and keep the history.
//
// Made to fail: operator new, where its std::bad_alloc reaches our code
// through nothing but the C++ and Qt core libraries. Qt's widget and GUI
// libraries are built without exceptions, and one thrown inside them
// leaves them half-changed beyond any code of ours.
#include "childprocess.h"
#include "mainwindowfixture.h"
#include "ui/formsteps.h"

#include <QClipboard>
#include <QWindow>

#include <atomic>
#include <csignal>
#include <cstring>
#include <execinfo.h>
#include <link.h>
#include <sys/mman.h>

namespace {

std::atomic<long> *g_countdown = nullptr;   // shared: the allocation to fail, counted down
std::atomic<long> *g_seen = nullptr;        // shared: how many were counted
bool g_armed = false;
bool g_armAtNextEvent = false;

struct Range {
    uintptr_t begin = 0, end = 0;
    bool contains(void *p) const { return uintptr_t(p) >= begin && uintptr_t(p) < end; }
};
Range g_ours, g_qtCore, g_cxx;   // this executable (tolvo's libraries in it), and the two passed through

__attribute__((noinline)) bool failNow()
{
    if (!g_armed)
        return false;
    void *frames[24];
    const int n = ::backtrace(frames, 24);
    int i = 2;   // past this function and operator new
    while (i < n && (g_qtCore.contains(frames[i]) || g_cxx.contains(frames[i])))
        ++i;
    if (i >= n || !g_ours.contains(frames[i]))
        return false;
    ++*g_seen;
    return g_countdown->fetch_sub(1) == 1;
}

} // namespace

void *operator new(size_t size)
{
    void *p = failNow() ? nullptr : std::malloc(size ? size : 1);
    return p ? p : throw std::bad_alloc();
}
void *operator new[](size_t size)
{
    void *p = failNow() ? nullptr : std::malloc(size ? size : 1);
    return p ? p : throw std::bad_alloc();
}
void operator delete(void *p) noexcept { std::free(p); }
void operator delete[](void *p) noexcept { std::free(p); }
void operator delete(void *p, size_t) noexcept { std::free(p); }
void operator delete[](void *p, size_t) noexcept { std::free(p); }

namespace {

enum Outcome { KeptGoing, Escaped, Silent, HistoryLost, Crashed };
const char *const kOutcomes[] = {"kept going", "let the exception into Qt", "failed silently", "lost the history",
                                 "crashed"};

void act(MainWindowFixture &f, const QString &name, const QString &letters)
{
    if (name == u"search") {
        QTest::keyClick(f.window.get(), Qt::Key_F, Qt::ControlModifier);
    } else if (name == u"paste") {
        QApplication::clipboard()->setText(letters);
        QTest::keySequence(f.box(0), QKeySequence::Paste);
    } else {
        f.window->windowHandle()->close();   // as the window manager's close button
    }
}

// The search or paste done, or an error box shown; and the next one works.
Outcome check(MainWindowFixture &f, const QString &name)
{
    if (name == u"close")
        return KeptGoing;
    const auto done = [&] {
        return name == u"search" ? f.answer()->text() == u"出"
                                 : f.boxTexts() == QStringList{u"春"_s, u"夏"_s, u"秋"_s, u"冬"_s, {}, {}};
    };
    const bool reported = std::any_of(f.prompts.shown.cbegin(), f.prompts.shown.cend(),
                                      [](const PromptsDouble::Shown &s) { return s.title == u"エラー"; });
    if (!done() && !reported)
        return Silent;
    f.answer()->clear();
    f.setBoxes(kWorkedLetters);
    act(f, name, u"春夏秋冬"_s);
    return done() && !f.window->isSearching() ? KeptGoing : Silent;
}

// Allocation n failing (0: none, to count them). The child makes its own
// window: the threads the parent's painting would start do not live on in
// a child, and painting there would wait for them.
Outcome runOnce(const QString &name, long n)
{
    return Outcome(std::min<int>(Crashed, exitStatus(startChild([&] {
        for (int sig : {SIGSEGV, SIGABRT, SIGBUS, SIGFPE, SIGILL})
            std::signal(sig, SIG_DFL);   // no stack dump from QTest
        ::alarm(30);                     // a hang counts as a crash
        MainWindowFixture f;
        f.loadDictionary(workedExampleLines() + fillerLines(200));
        basParam::SetParam(f.settings, u"HistString"_s, 0, u"甲乙,丙"_s);
        f.open();
        f.setBoxes(kWorkedLetters);
        QCoreApplication::processEvents();
        for (int i = 0; i < 3; ++i)
            f.prompts.answers.enqueue(Prompts::Answer::Retry);   // a save that fails, again
        *g_countdown = n > 0 ? n : -1;
        g_armAtNextEvent = true;
        bool escaped = false;
        try {
            act(f, name, u"春夏秋冬"_s);
        } catch (...) {
            escaped = true;   // through Qt's frames, which it leaves half-changed
        }
        g_armed = g_armAtNextEvent = false;
        QCoreApplication::processEvents();
        const Outcome outcome = escaped ? Escaped : check(f, name);
        f.window->close();   // the user's, later
        QFile file(f.settingsPath);
        if (!file.open(QIODevice::ReadOnly) || !file.readAll().contains(sjis(u"HistString=甲乙,丙"_s)))
            return int(HistoryLost);
        return int(outcome);
    }))));
}

} // namespace

class TestOutOfMemory : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
#ifdef __SANITIZE_ADDRESS__
        // Hundreds of children, each starting a window ten times slower.
        QSKIP("too slow under AddressSanitizer; the normal build runs it");
#endif
        dl_iterate_phdr([](dl_phdr_info *info, size_t, void *) {
            const char *name = info->dlpi_name ? info->dlpi_name : "";
            Range *range = !*name                     ? &g_ours
                           : strstr(name, "libQt6Core") ? &g_qtCore
                           : strstr(name, "libstdc++")  ? &g_cxx
                                                        : nullptr;
            for (int i = 0; range && i < info->dlpi_phnum; ++i) {
                const ElfW(Phdr) &ph = info->dlpi_phdr[i];
                if (ph.p_type == PT_LOAD && (ph.p_flags & PF_X))
                    *range = {info->dlpi_addr + ph.p_vaddr, info->dlpi_addr + ph.p_vaddr + ph.p_memsz};
            }
            return 0;
        }, nullptr);
        QVERIFY(g_ours.end && g_qtCore.end && g_cxx.end);
        void *frames[1];
        ::backtrace(frames, 1);   // loads the unwinder before an armed allocation asks it
        void *memory = ::mmap(nullptr, 2 * sizeof(std::atomic<long>), PROT_READ | PROT_WRITE,
                              MAP_SHARED | MAP_ANONYMOUS, -1, 0);
        QVERIFY(memory != MAP_FAILED);
        g_countdown = new (memory) std::atomic<long>(-1);
        g_seen = new (g_countdown + 1) std::atomic<long>(0);
    }

    void oneAllocationFails_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("search") << u"search"_s;
        QTest::newRow("paste") << u"paste"_s;
        QTest::newRow("close") << u"close"_s;
    }
    void oneAllocationFails()
    {
        QFETCH(QString, name);
        *g_seen = 0;
        QCOMPARE(runOnce(name, 0), KeptGoing);
        const long allocations = *g_seen;
        QVERIFY(allocations > 0);
        int counts[Crashed + 1] = {};
        QStringList failures;
        for (long n = 1; n <= allocations; ++n) {
            const Outcome o = runOnce(name, n);
            ++counts[o];
            if (o != KeptGoing)
                failures.append(u"allocation %1: %2"_s.arg(n).arg(QLatin1StringView(kOutcomes[o])));
        }
        QString tally;
        for (int o = KeptGoing; o <= Crashed; ++o)
            tally += u" %1 %2;"_s.arg(counts[o]).arg(QLatin1StringView(kOutcomes[o]));
        qInfo("%s, %ld runs:%s", qPrintable(name), allocations, qPrintable(tally));
        QVERIFY2(failures.isEmpty(), qPrintable(failures.join(u"; "_s)));
    }
};

// The program's application object, with its edge around every event;
// failures start at the act's first event, as the platform delivers it,
// not in QTest's making of the event.
class ArmingApplication : public EdgeApplication
{
public:
    using EdgeApplication::EdgeApplication;
    bool notify(QObject *receiver, QEvent *event) override
    {
        g_armed = g_armed || std::exchange(g_armAtNextEvent, false);
        return EdgeApplication::notify(receiver, event);
    }
};

int main(int argc, char *argv[])
{
    ArmingApplication app(argc, argv);
    TestOutOfMemory test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_outofmemory.moc"
