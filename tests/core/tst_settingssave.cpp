#include "platform/cp932.h"
#include "platform/processsignals.h"
#include "promptsdouble.h"
#include "readonly.h"
#include "settings/basparam.h"
#include "tempfiles.h"

#include <QDir>
#include <QFile>
#include <QTest>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

const QByteArray kDefaultFile = "[tolvo]\r\n\r\nHistNum=6\r\n"
                                "HistString=\x91\xb1\x89\xc6\x94\xc5\x98\x49\x90\x67\x94\xad,\x8f\x6f\r\n"_ba;
const QByteArray kOldFile = "[tolvo]\r\n\r\nHistNum=2\r\nFontSize=30\r\n"_ba;

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

// "Key=Value" steps applied through set(), after the defaults.
SettingsStore storeAfter(const QStringList &steps)
{
    SettingsStore store;
    store.setDefaults();
    for (const QString &step : steps) {
        const qsizetype eq = step.indexOf(u'=');
        basParam::SetParam(store, step.left(eq), 0, step.mid(eq + 1));
    }
    return store;
}

} // namespace

class TestSettingsSave : public QObject
{
    Q_OBJECT

    rlimit m_fileSizeLimit{};
    QStringList m_immutable;

private slots:
    void initTestCase()
    {
        // As the programs set it for themselves: past a file size limit a
        // write fails with EFBIG instead of killing the process.
        ignoreFileSizeSignal();
        QVERIFY(::getrlimit(RLIMIT_FSIZE, &m_fileSizeLimit) == 0);
    }
    void cleanup()
    {
        ::setrlimit(RLIMIT_FSIZE, &m_fileSizeLimit);
        for (const QString &path : std::as_const(m_immutable))
            setImmutable(path, false);
        m_immutable.clear();
        cp932::simulateMissingConverter(false);
    }

    void writer_data()
    {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QByteArray>("expected");
        const QByteArray head = "[tolvo]\r\n\r\n"_ba;
        const QByteArray def = sjis(u"HistString=続家版露身発,出\r\n"_s);
        QTest::newRow("defaults") << QStringList{} << kDefaultFile;
        QTest::newRow("history hidden") << QStringList{u"History=False"_s}
                                        << head + "History=False\r\nHistNum=6\r\n" + def;
        QTest::newRow("history shown again") << QStringList{u"History=False"_s, u"History=True"_s} << kDefaultFile;
        QTest::newRow("every setting in order")
            << QStringList{u"FontColor=255000128"_s, u"FontSize=12"_s, u"FontName=IPAGothic"_s,
                           u"HistString=家出,出"_s, u"HistNum=3"_s, u"History=0"_s}
            << head + sjis(u"History=False\r\nHistNum=3\r\nHistString=家出,出\r\n"_s) + def
                   + "FontName=IPAGothic\r\nFontSize=12\r\nFontColor=255000128\r\n";
        QTest::newRow("empty font name") << QStringList{u"FontName="_s} << kDefaultFile + "FontName=\r\n";
        QTest::newRow("empty result") << QStringList{u"HistString=ABC,"_s}
                                      << head + "HistNum=6\r\nHistString=ABC,\r\n" + def;
        QTest::newRow("free slot not written") << QStringList{u"HistString=,"_s} << kDefaultFile;
        QTest::newRow("capacity 0") << QStringList{u"HistNum=0"_s} << head + "HistNum=0\r\n";
        QTest::newRow("huge capacity") << QStringList{u"HistNum=2147483647"_s, u"HistString=A,1"_s}
                                       << head + "HistNum=2147483647\r\nHistString=A,1\r\n" + def;
        // Characters code page 932 cannot hold, and a CR or LF that would
        // split the line, become the geta mark, never a silent "?".
        const QByteArray geta = "\x81\xac"_ba;
        QTest::newRow("kanji outside cp932") << QStringList{u"HistString=\U0002000BA,B"_s}
                                             << head + "HistNum=6\r\nHistString=" + geta + "A,B\r\n" + def;
        QTest::newRow("yen sign") << QStringList{u"HistString=¥,1"_s}
                                  << head + "HistNum=6\r\nHistString=" + geta + ",1\r\n" + def;
        QTest::newRow("lone surrogate") << QStringList{u"HistString=A,"_s + QChar(0xD800)}
                                        << head + "HistNum=6\r\nHistString=A," + geta + "\r\n" + def;
        QTest::newRow("cr in entry") << QStringList{u"HistString=A\rB,C"_s}
                                     << head + "HistNum=6\r\nHistString=A" + geta + "B,C\r\n" + def;
        QTest::newRow("undecodable byte mark") << QStringList{u"FontName=\uFFFDx"_s}
                                               << kDefaultFile + "FontName=" + geta + "x\r\n";
        QTest::newRow("lf in value") << QStringList{u"FontName=a\nb"_s} << kDefaultFile + "FontName=a" + geta + "b\r\n";
        QTest::newRow("nul stays") << QStringList{u"FontName=a"_s + QChar(0) + u"b"_s}
                                   << kDefaultFile + QByteArray("FontName=a\0b\r\n", 14);
    }
    void writer()
    {
        QFETCH(QStringList, steps);
        QFETCH(QByteArray, expected);
        QTemporaryDir dir;
        const QString path = dir.filePath(u"tolvo.ini"_s);
        PromptsDouble prompts;
        QVERIFY(basParam::SaveParams(storeAfter(steps), path, prompts));
        QCOMPARE(readAll(path), expected);
        QVERIFY(prompts.shown.isEmpty());

        // What the writer wrote reads back to a store that writes it again.
        SettingsStore reread;
        QVERIFY(basParam::LoadParams(reread, path));
        const QString again = dir.filePath(u"again.ini"_s);
        QVERIFY(basParam::SaveParams(reread, again, prompts));
        QCOMPARE(readAll(again), expected);
    }

    // A file saved by a Linux editor keeps its history through a start and
    // an exit, and is written back as the program writes it.
    void handEdited_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QByteArray>("saved");
        const QString history = u"[tolvo]\n\nHistNum=6\nHistString=順当交組,手\nHistString=続家版,出\n"_s;
        const QString lines = history + u"FontSize=40\n"_s;
        const auto written = [](QString text) { return sjis(text.replace(u"\n"_s, u"\r\n"_s)); };
        const QByteArray saved = written(lines);
        QTest::newRow("shift_jis, lf") << sjis(lines) << saved;
        QTest::newRow("utf-8 with its mark, cr lf") << "\xEF\xBB\xBF" + QString(lines).replace(u"\n"_s, u"\r\n"_s).toUtf8()
                                                    << saved;
        QTest::newRow("utf-8 without a mark, lf") << lines.toUtf8() << saved;
        QTest::newRow("utf-8, a character shift_jis lacks") << (lines + u"FontName=A✓\n"_s).toUtf8()
                                                             << written(history + u"FontName=A〓\nFontSize=40\n"_s);
    }
    void handEdited()
    {
        QFETCH(QByteArray, file);
        QFETCH(QByteArray, saved);
        QTemporaryDir dir;
        const QString path = writeBytes(dir, u"tolvo.ini"_s, file);
        PromptsDouble prompts;
        SettingsStore store;
        QVERIFY(basParam::LoadParams(store, path));
        QVERIFY(basParam::SaveParams(store, path, prompts));
        QCOMPARE(readAll(path), saved);
        QVERIFY(basParam::LoadParams(store, path));
        QCOMPARE(store.letters(1) + u',' + store.result(1), u"順当交組,手"_s);
        QCOMPARE(store.letters(2) + u',' + store.result(2), u"続家版,出"_s);
        QCOMPARE(store.fontSize(), 40);
    }

    void replacesOldFile()
    {
        QTemporaryDir dir;
        const QString path = writeBytes(dir, u"tolvo.ini"_s, QByteArray(100000, 'x'));
        PromptsDouble prompts;
        QVERIFY(basParam::SaveParams(storeAfter({}), path, prompts));
        QCOMPARE(readAll(path), kDefaultFile);
        QCOMPARE(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList{u"tolvo.ini"_s});
    }

    void failures_data()
    {
        QTest::addColumn<QString>("cause");
        QTest::addColumn<QString>("answers");   // R retry, C cancel
        QTest::addColumn<int>("fixAtPrompt");   // 0: the cause stays
        QTest::addColumn<bool>("saved");
        QTest::addColumn<int>("prompts");
        QTest::newRow("missing directory, cancel") << u"missing directory"_s << u"C"_s << 0 << false << 1;
        QTest::newRow("missing directory, retry once fixed") << u"missing directory"_s << u"RR"_s << 2 << true << 2;
        QTest::newRow("directory in the way, cancel") << u"directory"_s << u"C"_s << 0 << false << 1;
        QTest::newRow("directory in the way, retry once fixed") << u"directory"_s << u"R"_s << 1 << true << 1;
        QTest::newRow("half written, cancel") << u"file size limit"_s << u"C"_s << 0 << false << 1;
        QTest::newRow("half written, retries then cancel") << u"file size limit"_s << u"RRC"_s << 0 << false << 3;
        QTest::newRow("half written, retry once fixed") << u"file size limit"_s << u"RR"_s << 2 << true << 2;
        QTest::newRow("read-only file, cancel") << u"read-only file"_s << u"C"_s << 0 << false << 1;
        QTest::newRow("read-only file, retries then cancel") << u"read-only file"_s << u"RRC"_s << 0 << false << 3;
        QTest::newRow("read-only file, retry once fixed") << u"read-only file"_s << u"R"_s << 1 << true << 1;
        // A folder that takes no temporary file: the file is rewritten in
        // place, and a failure half-way puts the old bytes back.
        QTest::newRow("read-only directory, writable file") << u"read-only directory"_s << QString() << 0 << true << 0;
        QTest::newRow("read-only directory and file, cancel")
            << u"read-only file+read-only directory"_s << u"C"_s << 0 << false << 1;
        QTest::newRow("read-only directory and file, retry once fixed")
            << u"read-only file+read-only directory"_s << u"R"_s << 1 << true << 1;
        QTest::newRow("read-only directory, half written, cancel")
            << u"file size limit+read-only directory"_s << u"C"_s << 0 << false << 1;
        QTest::newRow("read-only directory, half written, retry once fixed")
            << u"file size limit+read-only directory"_s << u"RR"_s << 2 << true << 2;
    }
    void failures()
    {
        QFETCH(QString, cause);
        QFETCH(QString, answers);
        QFETCH(int, fixAtPrompt);
        QFETCH(bool, saved);
        QFETCH(int, prompts);
        QTemporaryDir dir;
        QString folder = dir.path();
        // Each part of the cause adds its own undo; all of them run at the
        // prompt named, and again at the end.
        QList<std::function<void()>> undo;
        const auto fix = [&] {
            for (const auto &f : undo)
                f();
        };
        // Root passes permission bits; the immutable flag stops it too.
        const auto lock = [&](const QString &path, QFile::Permissions mode, QFile::Permissions normal) {
            if (::geteuid() != 0) {
                undo += [path, normal] { QFile::setPermissions(path, normal); };
                return QFile::setPermissions(path, mode);
            }
            m_immutable += path;
            undo += [path] { setImmutable(path, false); };
            return setImmutable(path, true);
        };
        const QStringList parts = cause.split(u'+');
        if (!parts.contains(u"missing directory"_s) && !parts.contains(u"directory"_s))
            writeBytes(dir, u"tolvo.ini"_s, kOldFile);
        for (const QString &part : parts) {
            if (part == u"missing directory") {
                folder = dir.filePath(u"sub"_s);
                undo += [&] { QDir().mkdir(folder); };
            } else if (part == u"directory") {
                QVERIFY(QDir(folder).mkdir(u"tolvo.ini"_s));
                undo += [&] { QDir(folder).rmdir(u"tolvo.ini"_s); };
            } else if (part == u"file size limit") {
                // The old file fits; the new one passes 40 bytes inside its
                // HistString line.
                rlimit small = m_fileSizeLimit;
                small.rlim_cur = 40;
                QVERIFY(::setrlimit(RLIMIT_FSIZE, &small) == 0);
                undo += [&] { ::setrlimit(RLIMIT_FSIZE, &m_fileSizeLimit); };
            } else if (part == u"read-only file") {
                if (!lock(dir.filePath(u"tolvo.ini"_s), QFile::ReadOwner, QFile::ReadOwner | QFile::WriteOwner))
                    QSKIP("root needs the immutable flag to make a file read-only");
            } else if (!lock(folder, QFile::ReadOwner | QFile::ExeOwner,
                             QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner)) {
                QSKIP("root needs the immutable flag to make a folder read-only");
            }
        }
        const QString path = folder + u"/tolvo.ini"_s;
        const QByteArray before = readAll(path);

        PromptsDouble ui;
        for (QChar a : answers)
            ui.answers.enqueue(a == u'R' ? Prompts::Answer::Retry : Prompts::Answer::Cancel);
        ui.onShow = [&](const PromptsDouble::Shown &) {
            if (ui.shown.size() == fixAtPrompt)
                fix();
        };
        const bool result = basParam::SaveParams(storeAfter({}), path, ui);
        const QByteArray after = readAll(path);
        const QStringList left = QDir(folder).entryList(QDir::NoDotAndDotDot | QDir::AllEntries);
        fix();

        QCOMPARE(result, saved);
        QCOMPARE(ui.shown.size(), prompts);
        for (const PromptsDouble::Shown &s : ui.shown) {
            QCOMPARE(s.kind, PromptsDouble::Shown::RetryCancel);
            QCOMPARE(s.title, u"エラー"_s);
            QCOMPARE(s.text, u"設定ファイルの書き込みに失敗しました。\n"_s + path);
        }
        // Whole new file or the old one byte for byte, and no temporary left.
        QCOMPARE(after, saved ? kDefaultFile : before);
        QVERIFY2(left.isEmpty() || left == QStringList{u"tolvo.ini"_s}, qPrintable(left.join(u' ')));
    }

    // Without a converter no attempt can succeed: one notice, no Retry.
    void noConverter()
    {
        QTemporaryDir dir;
        const QString path = writeBytes(dir, u"tolvo.ini"_s, kOldFile);
        cp932::simulateMissingConverter(true);
        PromptsDouble ui;
        for (int i = 0; i < 3; ++i)
            ui.answers.enqueue(Prompts::Answer::Retry);
        QVERIFY(!basParam::SaveParams(storeAfter({}), path, ui));
        cp932::simulateMissingConverter(false);
        QCOMPARE(ui.shown.size(), 1);
        QCOMPARE(ui.shown[0].kind, PromptsDouble::Shown::Message);
        QCOMPARE(ui.shown[0].icon, Prompts::Icon::Error);
        QCOMPARE(ui.shown[0].title, u"エラー"_s);
        QVERIFY2(ui.shown[0].text.startsWith(u"設定ファイルの書き込みに失敗しました。\n"_s + path + u'\n'),
                 qPrintable(ui.shown[0].text));
        QCOMPARE(readAll(path), kOldFile);
    }

    // Two copies of the program closing at the same moment: whatever the
    // interleaving, the file is always one whole settings file.
    void concurrentSaves()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"tolvo.ini"_s);
        writeBytes(dir, u"tolvo.ini"_s, kOldFile);
        const SettingsStore a = storeAfter({u"FontSize=11"_s, u"HistString=甲乙,丙"_s});
        const SettingsStore b = storeAfter({u"History=False"_s, u"FontName=IPAGothic"_s});
        QByteArray bytesA, bytesB;
        {
            PromptsDouble ui;
            QVERIFY(basParam::SaveParams(a, path, ui));
            bytesA = readAll(path);
            QVERIFY(basParam::SaveParams(b, path, ui));
            bytesB = readAll(path);
        }
        pid_t children[2];
        for (int i = 0; i < 2; ++i) {
            children[i] = ::fork();
            QVERIFY(children[i] >= 0);
            if (children[i] == 0) {
                SilentPrompts none;
                bool ok = true;
                for (int round = 0; round < 300; ++round)
                    ok = basParam::SaveParams(i == 0 ? a : b, path, none) && ok;
                ::_exit(ok ? 0 : 1);
            }
        }
        int seen = 0;
        int exitStatus[2] = {-1, -1};
        while (exitStatus[0] < 0 || exitStatus[1] < 0) {
            for (int i = 0; i < 2; ++i) {
                int status = 0;
                if (exitStatus[i] < 0 && ::waitpid(children[i], &status, WNOHANG) == children[i])
                    exitStatus[i] = WIFEXITED(status) ? WEXITSTATUS(status) : 128;
            }
            const QByteArray now = readAll(path);
            QVERIFY2(now == bytesA || now == bytesB, now.constData());
            ++seen;
        }
        QCOMPARE(exitStatus[0], 0);
        QCOMPARE(exitStatus[1], 0);
        QVERIFY(seen > 0);
        const QStringList left = QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries);
        QCOMPARE(left, QStringList{u"tolvo.ini"_s});
    }
};

QTEST_GUILESS_MAIN(TestSettingsSave)
#include "tst_settingssave.moc"
