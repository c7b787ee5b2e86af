// Saving the settings file while other processes get in the way: two copies
// closing at once, a file-size limit, a kill half-way, the copy a killed save
// leaves. The saves run in child processes, as the program meets these.
// TOLVO_KILLS sets the random kills per row (default 250).
#include "childprocess.h"
#include "platform/processsignals.h"
#include "platform/textfile.h"
#include "promptsdouble.h"
#include "readonly.h"
#include "settings/basparam.h"
#include "tempfiles.h"

#include <QDir>
#include <QProcess>
#include <QRandomGenerator>
#include <QTest>

#include <atomic>
#include <sys/mman.h>
#include <sys/ptrace.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <utime.h>

using namespace Qt::StringLiterals;

namespace {

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

// The bytes of a settings file with `entries` history entries and, when
// given, a font: what a save of such a store writes.
QByteArray fileWith(int entries, const QString &fontName = {})
{
    SettingsStore store;
    store.setDefaults();
    basParam::SetParam(store, u"HistNum"_s, 0, entries);
    for (int i = 0; i < entries; ++i)
        basParam::SetParam(store, u"HistString"_s, 0, QString::number(i) + u"家版露身,出"_s);
    if (!fontName.isEmpty())
        basParam::SetParam(store, u"FontName"_s, 0, fontName);
    QTemporaryDir dir;
    SilentPrompts none;
    basParam::SaveParams(store, dir.filePath(u"tolvo.ini"_s), none);
    return readAll(dir.filePath(u"tolvo.ini"_s));
}

SettingsStore storeFrom(const QByteArray &bytes)
{
    QTemporaryDir dir;
    SettingsStore store;
    basParam::LoadParams(store, writeBytes(dir, u"tolvo.ini"_s, bytes));
    return store;
}

// Reads as one version: the old file, or the new one followed by nothing
// but blank lines, no longer than the longer of the two.
bool isWhole(const QByteArray &file, const QByteArray &from, const QByteArray &to)
{
    const auto blank = [](char c) { return c == '\r' || c == '\n'; };
    return file == from
           || (file.startsWith(to) && file.size() <= qMax(from.size(), to.size())
               && std::all_of(file.cbegin() + to.size(), file.cend(), blank));
}

// The new bytes up to a page boundary, then the old file's: a write the
// kernel stopped between two pages.
bool isPageCut(const QByteArray &file, const QByteArray &from, const QByteArray &to)
{
    for (qsizetype k = 4096; k < qMax(from.size(), to.size()); k += 4096) {
        if (isWhole(file.left(k), QByteArray(k, '\n'), to.left(k)) && file.mid(k) == from.mid(k))
            return true;
    }
    return false;
}

// Runs body in a traced child and kills it on entering its n-th system
// call. False when body finished in fewer calls.
bool killAtCall(int n, const std::function<void()> &body)
{
    const pid_t pid = startChild([&] {
        ::ptrace(PTRACE_TRACEME, 0, nullptr, nullptr);
        ::raise(SIGSTOP);
        body();
        return 0;
    });
    int status = 0;
    ::waitpid(pid, &status, 0);
    ::ptrace(PTRACE_SETOPTIONS, pid, nullptr, PTRACE_O_TRACESYSGOOD | PTRACE_O_EXITKILL);
    for (int calls = 0, pass = 0;;) {
        ::ptrace(PTRACE_SYSCALL, pid, nullptr, reinterpret_cast<void *>(intptr_t(pass)));
        ::waitpid(pid, &status, 0);
        if (!WIFSTOPPED(status))
            return false;
        pass = WSTOPSIG(status) == (SIGTRAP | 0x80) ? 0 : WSTOPSIG(status);
        __ptrace_syscall_info info = {};
        if (pass == 0 && ::ptrace(PTRACE_GET_SYSCALL_INFO, pid, sizeof info, &info) > 0
            && info.op == PTRACE_SYSCALL_INFO_ENTRY && ++calls == n) {
            ::kill(pid, SIGKILL);
            exitStatus(pid);
            return true;
        }
    }
}

} // namespace

class TestSaveFaults : public QObject
{
    Q_OBJECT

private slots:
    // Two copies closing at the same instant, in a folder that takes no new
    // file: the last save wins whole, as when the file is replaced.
    void concurrentInPlaceSaves()
    {
        QTemporaryDir dir;
        const QString path = writeBytes(dir, u"tolvo.ini"_s, "[tolvo]\r\n"_ba);
        ReadOnlyPaths readOnly;
        if (!readOnly.lock(dir.path()))
            QSKIP("root needs the immutable flag to make a folder read-only");
        const QByteArray files[2] = {fileWith(2, u"IPAGothic"_s), fileWith(6)};
        // The children spin on a shared round number, so that their saves
        // start together, and leave the parent a core to fight for, so that
        // saves are preempted half-way as on a busy machine.
        struct Shared {
            std::atomic<int> round, saved, failed;
        };
        void *memory = ::mmap(nullptr, sizeof(Shared), PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0);
        QVERIFY(memory != MAP_FAILED);
        auto *shared = new (memory) Shared{{0}, {0}, {0}};
        constexpr int kRounds = 1000;
        pid_t children[2];
        for (int i = 0; i < 2; ++i) {
            const SettingsStore store = storeFrom(files[i]);
            children[i] = startChild([&] {
                SilentPrompts none;
                for (int round = 1; round <= kRounds; ++round) {
                    while (shared->round.load() < round)
                        ;
                    shared->failed += !basParam::SaveParams(store, path, none);
                    ++shared->saved;
                }
                return 0;
            });
        }
        int torn = 0;
        for (int round = 1; round <= kRounds; ++round) {
            shared->round = round;
            while (shared->saved.load() < 2 * round)
                ::sched_yield();
            const QByteArray now = readAll(path);
            torn += now != files[0] && now != files[1];
        }
        for (pid_t child : children)
            QCOMPARE(exitStatus(child), 0);
        qInfo("%d rounds of two saves at once: %d files not whole, %d saves failed", kRounds, torn,
              shared->failed.load());
        QCOMPARE(torn, 0);
        QCOMPARE(shared->failed.load(), 0);
        ::munmap(memory, sizeof(Shared));
    }

    // Past the file-size limit, with the signal disposition the programs set
    // for themselves: the Retry/Cancel prompt, and Cancel keeps the old file.
    void fileSizeLimit_data()
    {
        QTest::addColumn<bool>("readOnlyFolder");
        QTest::newRow("file replaced") << false;
        QTest::newRow("file rewritten in place") << true;
    }
    void fileSizeLimit()
    {
        QFETCH(bool, readOnlyFolder);
        QTemporaryDir dir;
        const QByteArray old = fileWith(0);
        const QString path = writeBytes(dir, u"tolvo.ini"_s, old);
        ReadOnlyPaths readOnly;
        if (readOnlyFolder && !readOnly.lock(dir.path()))
            QSKIP("root needs the immutable flag to make a folder read-only");
        const SettingsStore store = storeFrom(fileWith(6));
        const pid_t child = startChild([&] {
            ignoreFileSizeSignal();
            const rlimit limit = {rlim_t(old.size() + 4), RLIM_INFINITY};
            ::setrlimit(RLIMIT_FSIZE, &limit);
            PromptsDouble ui;   // answers Cancel
            const bool saved = basParam::SaveParams(store, path, ui);
            return saved || ui.shown.size() != 1 || ui.shown[0].kind != PromptsDouble::Shown::RetryCancel ? 1
                   : readAll(path) != old                                                            ? 2
                                                                                                     : 0;
        });
        QCOMPARE(exitStatus(child), 0);
        QCOMPARE(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList{u"tolvo.ini"_s});
    }

    // Both programs ignore the signal themselves.
    void programsIgnoreFileSizeSignal_data()
    {
        QTest::addColumn<QString>("program");
        QTest::newRow("tolvo") << u"tolvo"_s;
        QTest::newRow("tolvo-solve") << u"tolvo-solve"_s;   // waiting on standard input
    }
    void programsIgnoreFileSizeSignal()
    {
        QFETCH(QString, program);
        QProcess process;
        process.start(QStringLiteral(TOLVO_BIN_DIR) + u'/' + program, {});
        QVERIFY(process.waitForStarted());
        const auto ignored = [&] {
            QFile status(u"/proc/%1/status"_s.arg(process.processId()));
            const QByteArrayList lines = status.open(QIODevice::ReadOnly) ? status.readAll().split('\n') : QByteArrayList();
            for (const QByteArray &line : lines) {
                if (line.startsWith("SigIgn:"))
                    return (line.mid(7).trimmed().toULongLong(nullptr, 16) >> (SIGXFSZ - 1) & 1) != 0;
            }
            return false;
        };
        QTRY_VERIFY_WITH_TIMEOUT(ignored(), 10000);
        process.kill();
        process.waitForFinished();
    }

    // A rewrite killed on entering each of its system calls in turn leaves
    // the old or the new file, never the new lines and the old file's tail.
    // Then kills at random moments of a process rewriting the file back and
    // forth, for the README's notes on saving: only a write of more than a
    // page may be cut, at a page boundary.
    void killedRewrites_data()
    {
        QTest::addColumn<int>("fromEntries");
        QTest::addColumn<int>("toEntries");
        QTest::newRow("shorter new file") << 6 << 2;
        QTest::newRow("longer new file") << 2 << 6;
        QTest::newRow("over a page, shorter") << 400 << 200;
        QTest::newRow("over a page, longer") << 200 << 400;
    }
    void killedRewrites()
    {
        QFETCH(int, fromEntries);
        QFETCH(int, toEntries);
        const QByteArray from = fileWith(fromEntries, u"IPAGothic"_s);
        const QByteArray to = fileWith(toEntries);
        QTemporaryDir dir;
        const QString path = dir.filePath(u"tolvo.ini"_s);
        for (int call = 1;; ++call) {
            writeBytes(dir, u"tolvo.ini"_s, from);
            const bool killed = killAtCall(call, [&] { textfile::rewriteInPlace(path, to); });
            QVERIFY2(isWhole(readAll(path), from, to), qPrintable(u"killed at call %1"_s.arg(call)));
            if (!killed)
                break;
        }
        QCOMPARE(readAll(path), to);

        const int kills = qEnvironmentVariableIsSet("TOLVO_KILLS") ? qEnvironmentVariableIntValue("TOLVO_KILLS") : 250;
        int pageCut = 0;
        int mixed = 0;
        for (int k = 0; k < kills; ++k) {
            writeBytes(dir, u"tolvo.ini"_s, from);
            const pid_t child = startChild([&] {
                for (;;) {
                    textfile::rewriteInPlace(path, to);
                    textfile::rewriteInPlace(path, from);
                }
                return 0;
            });
            ::usleep(useconds_t(QRandomGenerator::global()->bounded(3000)));
            ::kill(child, SIGKILL);
            exitStatus(child);
            const QByteArray left = readAll(path);
            if (!isWhole(left, from, to) && !isWhole(left, to, from))
                ++(isPageCut(left, from, to) || isPageCut(left, to, from) ? pageCut : mixed);
        }
        qInfo("%d random kills: %d cut at a page boundary, %d mixed otherwise", kills, pageCut, mixed);
        QCOMPARE(mixed, 0);
        QVERIFY(pageCut == 0 || qMax(from.size(), to.size()) > 4096);
    }

    // Which copies beside the file a save removes: only one of ours, from a
    // save that is gone, and not too new.
    void staleCopies_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("age");
        QTest::addColumn<int>("mark");   // 1: its own inode number; 2: another one
        QTest::addColumn<bool>("held");
        QTest::addColumn<bool>("removed");
        QTest::newRow("a killed save's copy") << u"tolvo.ini.AbCdEf"_s << 60 << 1 << false << true;
        QTest::newRow("a copy being written") << u"tolvo.ini.AbCdEf"_s << 60 << 1 << true << false;
        QTest::newRow("a copy just made") << u"tolvo.ini.AbCdEf"_s << 0 << 1 << false << false;
        QTest::newRow("a backup of the same pattern") << u"tolvo.ini.backup"_s << 60 << 0 << false << false;
        QTest::newRow("a copy of a copy (cp -a)") << u"tolvo.ini.AbCdEf"_s << 60 << 2 << false << false;
        QTest::newRow("digits in the name") << u"tolvo.ini.Ab3dEf"_s << 60 << 1 << false << false;
        QTest::newRow("another file's copy") << u"other.ini.AbCdEf"_s << 60 << 1 << false << false;
    }
    void staleCopies()
    {
        QFETCH(QString, name);
        QFETCH(int, age);
        QFETCH(int, mark);
        QFETCH(bool, held);
        QTemporaryDir dir;
        const QString copy = writeBytes(dir, name, "[tolvo]\r\n"_ba);
        QFile file(copy);
        QVERIFY(file.open(QIODevice::ReadWrite));
        struct stat st;
        QVERIFY(::fstat(file.handle(), &st) == 0);
        const QByteArray inode = QByteArray::number(quint64(st.st_ino) + mark - 1);
        if (mark && ::fsetxattr(file.handle(), "user.tolvo.save-copy", inode.constData(), size_t(inode.size()), 0) != 0)
            QSKIP("this file system keeps no extended attributes");
        struct flock lock = {};
        lock.l_type = F_WRLCK;
        QVERIFY(!held || ::fcntl(file.handle(), F_OFD_SETLK, &lock) == 0);
        const utimbuf times = {::time(nullptr) - age, ::time(nullptr) - age};
        QVERIFY(::utime(QFile::encodeName(copy).constData(), &times) == 0);
        PromptsDouble ui;
        QVERIFY(basParam::SaveParams(storeFrom(fileWith(1)), dir.filePath(u"tolvo.ini"_s), ui));
        QTEST(!QFile::exists(copy), "removed");
    }
};

QTEST_GUILESS_MAIN(TestSaveFaults)
#include "tst_savefaults.moc"
