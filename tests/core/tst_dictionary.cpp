#include "dictionary/dictionary.h"
#include "platform/runtimeerror.h"
#include "promptsdouble.h"
#include "tempfiles.h"

#include <QTest>
#include <csignal>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

QStringList allLines(const DictionaryStore &d)
{
    QStringList out;
    for (qint32 n = 1; n <= d.lineCount(); ++n)
        out.append(d.line(n));
    return out;
}

long peakRssKb()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss;
}

} // namespace

class TestDictionary : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;

private slots:
    void kept_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("leading blanks removed")
            << u"  出続\r\n"_s << QStringList{u"出続"_s};
        QTest::newRow("trailing blanks kept")
            << u"出続  \r\n"_s << QStringList{u"出続  "_s};
        QTest::newRow("single kanji dropped, numbers close up")
            << u"出\r\n  家\r\n出続\r\n"_s << QStringList{u"出続"_s};
        QTest::newRow("repeated heads kept in order")
            << u"出続\r\n出家\r\n"_s << QStringList{u"出続"_s, u"出家"_s};
        QTest::newRow("ideographic space is not a blank")
            << u"\u3000出\r\n"_s << QStringList{u"\u3000出"_s};
        QTest::newRow("tab is not a blank")
            << u"\t出\r\n"_s << QStringList{u"\t出"_s};
        QTest::newRow("lf only ends lines too")
            << u"出続\n家出\n"_s << QStringList{u"出続"_s, u"家出"_s};
        QTest::newRow("cr lf, lf and cr mixed")
            << u"出続\r\n家出\n\n版出\r露出"_s << QStringList{u"出続"_s, u"家出"_s, u"版出"_s, u"露出"_s};
        QTest::newRow("last line without terminator")
            << u"出続\r\n家出"_s << QStringList{u"出続"_s, u"家出"_s};
    }
    void kept()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, lines);
        DictionaryStore store;
        const QString path = writeBytes(m_dir, u"kept.dic"_s, sjis(text));
        QCOMPARE(readDictionaryFile(path, store), DictionaryLoad::Loaded);
        QCOMPARE(allLines(store), lines);
        QCOMPARE(store.firstUnits()[0], lines.first()[0].unicode());
    }

    void nothingUsable_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("empty file") << QByteArray();
        QTest::newRow("blank lines") << "\r\n   \r\n\r\n"_ba;
        QTest::newRow("one-character lines") << sjis(u"出\r\n 家\r\nA"_s);
        QTest::newRow("only crs") << QByteArray(100000, '\r');
    }
    void nothingUsable()
    {
        QFETCH(QByteArray, bytes);
        PromptsDouble prompts;
        DictionaryStore store;
        const QString path = writeBytes(m_dir, u"empty.dic"_s, bytes);
        QVERIFY(!LoadDictionary(path, store, prompts));
        QCOMPARE(store.lineCount(), 0);
        QCOMPARE(prompts.shown.size(), 1);
        QCOMPARE(prompts.shown[0].title, u"エラー"_s);
        QCOMPARE(prompts.shown[0].icon, Prompts::Icon::Error);
        QCOMPARE(prompts.shown[0].text, u"辞書ファイルから、漢字情報が読み込めませんでした。"_s);
    }

    // Clearly not Shift_JIS text, or too large to hold: one message naming
    // the file, and no line kept. An empty message: the file loads.
    void refused_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<qint64>("sparseSize");   // > 0: a file of this many zero bytes instead
        QTest::addColumn<QString>("message");     // "%1": the path
        const QByteArray dictionary = sjis(u"出続家版露身発\r\n続出\r\n家出\r\n版出\r\n露出\r\n身出\r\n発出\r\n"_s);
        const QString notShiftJis = u"辞書ファイル「%1」は Shift_JIS のテキストではありません。\n"_s;
        const QString utf8 = notShiftJis + u"UTF-8 で保存されたファイルのようです。Shift_JIS で保存し直してください。"_s;
        const QString utf16 = notShiftJis + u"UTF-16 で保存されたファイルのようです。Shift_JIS で保存し直してください。"_s;
        const QString binary =
            notShiftJis + u"NUL バイトを含んでいます。テキストではないファイルか、UTF-16 のテキストのようです。"_s;
        const QString tooLarge = u"辞書ファイル「%1」は大きすぎて読み込めません。\n辞書ファイルは 64 MB まで、"
                                 u"一行は 1 MB までで、メモリに収まる大きさでなければなりません。"_s;
        QByteArray utf16le("\xFF\xFE");
        for (QChar c : u"出続\r\n"_s)
            utf16le.append(char(c.unicode() & 0xFF)).append(char(c.unicode() >> 8));
        QByteArray noise(200'000, '\0');
        for (int i = 0; i < noise.size(); ++i)
            noise[i] = char(1 + (i * 2654435761u >> 24) % 255);   // random bytes without a NUL

        QTest::newRow("utf-8 with a byte-order mark") << "\xEF\xBB\xBF"_ba + u"出続\r\n"_s.toUtf8() << 0ll << utf8;
        QTest::newRow("utf-8 without one") << u"出続家版露身発\r\n続出\r\n家出\r\n版出\r\n"_s.toUtf8() << 0ll << utf8;
        QTest::newRow("utf-16 little-endian") << utf16le << 0ll << utf16;
        QTest::newRow("a png") << "\x89PNG\r\n\x1a\n\0\0\0\rIHDR"_ba << 0ll << binary;
        QTest::newRow("one nul byte among good lines") << dictionary + QByteArray(1, '\0') << 0ll << binary;
        QTest::newRow("random bytes")
            << noise << 0ll << notShiftJis + u"大半の行に Shift_JIS として読めないバイトがあります。"_s;
        QTest::newRow("mostly good: one undecodable line of three")
            << sjis(u"出続\r\n"_s) + "\x85\x40\x8f\x6f\r\n"_ba + sjis(u"家出"_s) << 0ll << QString();
        QTest::newRow("mostly good: one utf-8 line of three")
            << sjis(u"出続\r\n"_s) + u"家出\r\n"_s.toUtf8() + sjis(u"版出"_s) << 0ll << QString();
        QTest::newRow("file over the limit, before reading it") << QByteArray() << (qint64(64) << 20) + 1 << tooLarge;
        QTest::newRow("line over the limit") << QByteArray((1 << 20) + 1, 'a') << 0ll << tooLarge;
        QTest::newRow("line over the limit after good lines") << dictionary + QByteArray(2 << 20, 'a') << 0ll << tooLarge;
    }
    void refused()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(qint64, sparseSize);
        QFETCH(QString, message);
        const QString path = writeBytes(m_dir, u"refused.dic"_s, bytes);
        if (sparseSize > 0)
            QVERIFY(QFile::resize(path, sparseSize));
        PromptsDouble prompts;
        DictionaryStore store;
        QCOMPARE(LoadDictionary(path, store, prompts), message.isEmpty());
        if (message.isEmpty()) {
            QVERIFY(prompts.shown.isEmpty());
            QCOMPARE(store.lineCount(), 3);
            return;
        }
        QCOMPARE(store.lineCount(), 0);
        QCOMPARE(prompts.shown.size(), 1);
        QCOMPARE(prompts.shown[0].text, message.arg(path));
        QCOMPARE(prompts.shown[0].title, u"エラー"_s);
        QCOMPARE(prompts.shown[0].icon, Prompts::Icon::Error);
    }

    // Memory that runs out while loading gives the too-large message, never
    // an abort. In a child process, under an address-space limit.
    void allocationFailure()
    {
#if defined(__SANITIZE_ADDRESS__)
        QSKIP("the sanitizer reserves more address space than any limit leaves");
#endif
        // 39 MB of the shortest lines: some 200 MB in the store.
        const QString path = writeBytes(m_dir, u"many.dic"_s, QByteArray("ab\r").repeated(13'000'000));
        QFile statm(u"/proc/self/statm"_s);
        QVERIFY(statm.open(QIODevice::ReadOnly));
        const qint64 usedBytes = statm.readAll().split(' ').first().toLongLong() * sysconf(_SC_PAGESIZE);
        const pid_t child = fork();
        QVERIFY(child >= 0);
        if (child == 0) {
            // A crash must end the child at once, without the test library's
            // report (which runs a debugger) or a core file.
            signal(SIGABRT, SIG_DFL);
            signal(SIGSEGV, SIG_DFL);
            const rlimit noCore{0, 0};
            setrlimit(RLIMIT_CORE, &noCore);
            const rlimit limit{rlim_t(usedBytes + (100 << 20)), rlim_t(usedBytes + (100 << 20))};
            setrlimit(RLIMIT_AS, &limit);
            try {
                PromptsDouble prompts;
                DictionaryStore store;
                const bool refused = !LoadDictionary(path, store, prompts) && prompts.shown.size() == 1
                    && prompts.shown[0].text.contains(u"大きすぎて読み込めません"_s);
                _exit(refused ? 0 : 1);
            } catch (...) {
                _exit(2);
            }
        }
        int status = 0;
        QCOMPARE(waitpid(child, &status, 0), child);
        QVERIFY2(WIFEXITED(status), "the child was killed");
        QCOMPARE(WEXITSTATUS(status), 0);
    }

    void cannotOpen_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("number");
        QTest::newRow("missing file") << m_dir.filePath(u"none.dic"_s) << ENOENT;
        QTest::newRow("missing folder") << m_dir.filePath(u"no/tolvo.dic"_s) << ENOENT;
        QTest::newRow("folder in its place") << m_dir.path() << EISDIR;
        QTest::newRow("file as a folder") << writeBytes(m_dir, u"f"_s, "x"_ba) + u"/tolvo.dic"_s << ENOTDIR;
    }
    void cannotOpen()
    {
        QFETCH(QString, path);
        QFETCH(int, number);
        PromptsDouble prompts;
        DictionaryStore store;
        QVERIFY(!LoadDictionary(path, store, prompts));
        QCOMPARE(prompts.shown.size(), 1);
        const QStringList parts = prompts.shown[0].text.split(u'\n');
        QCOMPARE(parts.size(), 3);
        QCOMPARE(parts[0], u"辞書ファイルの読み込みに失敗しました。"_s);
        QCOMPARE(parts[1], u"ErrorNo: "_s + QString::number(number));
        QCOMPARE(parts[2], textfile::describeErrno(number));
        QCOMPARE(prompts.shown[0].title, u"エラー"_s);
        QCOMPARE(prompts.shown[0].icon, Prompts::Icon::Error);
    }

    void unreadableFile()
    {
        if (geteuid() == 0)
            QSKIP("permissions do not stop root");
        const QString path = writeBytes(m_dir, u"locked.dic"_s, sjis(u"出続\r\n"_s));
        QFile::setPermissions(path, QFileDevice::WriteOwner);
        PromptsDouble prompts;
        DictionaryStore store;
        QVERIFY(!LoadDictionary(path, store, prompts));
        QVERIFY(prompts.shown[0].text.contains(u"ErrorNo: "_s + QString::number(EACCES)));
    }

    void accessor_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("expected");   // "!" marks out of range, "" the empty value
        QTest::newRow("count") << u"DicNum"_s << 0 << u"3"_s;
        QTest::newRow("count ignores index") << u"DicNum"_s << 99 << u"3"_s;
        QTest::newRow("first kept line") << u"Kanji"_s << 1 << u"出続"_s;
        QTest::newRow("last line") << u"Kanji"_s << 3 << u"発出"_s;
        QTest::newRow("index 0") << u"Kanji"_s << 0 << u"!"_s;
        QTest::newRow("index -1") << u"Kanji"_s << -1 << u"!"_s;
        QTest::newRow("index n+1") << u"Kanji"_s << 4 << u"!"_s;
        QTest::newRow("lower-case key") << u"dicnum"_s << 0 << QString();
        QTest::newRow("unknown key") << u"Kanjis"_s << 1 << QString();
    }
    void accessor()
    {
        QFETCH(QString, key);
        QFETCH(int, index);
        QFETCH(QString, expected);
        DictionaryStore store;
        // The first two lines are dropped, so the third file line is line 1.
        const QString path = writeBytes(m_dir, u"acc.dic"_s, sjis(u"\r\n 続\r\n  出続\r\n家出\r\n発出"_s));
        QCOMPARE(readDictionaryFile(path, store), DictionaryLoad::Loaded);
        if (expected == u"!") {
            try {
                GetDictionaryValue(store, key, index);
                QFAIL("no error");
            } catch (const RuntimeError &e) {
                QCOMPARE(e.kind(), RuntimeError::OutOfRange);
            }
            QCOMPARE(store.lineCount(), 3);
            return;
        }
        const Value v = GetDictionaryValue(store, key, index);
        if (expected.isNull())
            QVERIFY(isEmptyValue(v));
        else if (key == u"DicNum")
            QCOMPARE(std::get<qint32>(v), expected.toInt());
        else
            QCOMPARE(std::get<QString>(v), expected);
    }

    // Hostile files: each must load (or refuse) quickly, without crashing and
    // without memory far beyond the file's own size.
    void hostile_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("lines");
        QByteArray longLine = sjis(u"出"_s);
        longLine.append(QByteArray(50 << 20, 'x'));
        QTest::newRow("50 MB line") << longLine << 0;
        QByteArray binary(8 << 20, '\0');
        for (int i = 0; i < binary.size(); ++i)
            binary[i] = char((i * 2654435761u) >> 24);
        QTest::newRow("binary") << binary << -1;
        QTest::newRow("invalid bytes everywhere") << QByteArray(4 << 20, '\x85') << 0;
        QTest::newRow("nul bytes") << QByteArray(1 << 20, '\0') << 0;
    }
    void hostile()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, lines);
        const QString path = writeBytes(m_dir, u"hostile.dic"_s, bytes);
        const qsizetype size = bytes.size();
        bytes = QByteArray();
        const long before = peakRssKb();
        DictionaryStore store;
        readDictionaryFile(path, store);
        if (lines >= 0)
            QCOMPARE(store.lineCount(), lines);
        const long grownKb = peakRssKb() - before;
        QVERIFY2(grownKb < 8 * size / 1024 + 4096, qPrintable(QString::number(grownKb)));
    }
};

QTEST_GUILESS_MAIN(TestDictionary)
#include "tst_dictionary.moc"
