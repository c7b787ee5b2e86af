// tolvo-bench: prints one "name value" line per figure.
#include "authoring.h"
#include "dictionary/dictionary.h"
#include "literalsearch.h"
#include "monotonic.h"
#include "platform/cp932.h"
#include "platform/datafile.h"
#include "search/searchengine.h"
#include "search/wordlist.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>

using namespace Qt::StringLiterals;

namespace {

const QStringList kWorkedExample = {u"続"_s, u"家"_s, u"版"_s, u"露"_s, u"身"_s, u"発"_s};

double medianMicroseconds(int runs, const std::function<void()> &work)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        work();
        times.push_back(double(t.nsecsElapsed()) / 1000.0);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

void print(const char *name, double value)
{
    printf("%s %.3f\n", name, value);
    fflush(stdout);
}

volatile quint64 g_sink;

// The least any search must do: read each line's first character once per
// letter and visit the partners of the matching lines.
void bareScan(const DictionaryStore &d, const QStringList &letters)
{
    quint64 sum = 0;
    const char16_t *first = d.firstUnits();
    const char16_t *text = d.text();
    const qsizetype *off = d.offsets().data();
    const char16_t *last = first + d.lineCount();
    for (const QString &l : letters) {
        const char16_t c = l[0].unicode();
        for (const char16_t *p = std::find(first, last, c); p != last; p = std::find(p + 1, last, c)) {
            const qsizetype n = p - first;
            for (qsizetype q = off[n] + 1; q < off[n + 1]; ++q)
                sum += text[q];
        }
    }
    g_sink = sum;
}

// A dictionary of a million lines: heads and partners drawn from the kanji
// that code page 932 can hold.
QString writeMillionLineDictionary(const QTemporaryDir &dir)
{
    QList<QChar> kanji;
    for (char16_t u = 0x4E00; u < 0x9FA0 && kanji.size() < 3000; u += 3) {
        QByteArray b;
        if (cp932::encode(QString(QChar(u)), &b))
            kanji.append(QChar(u));
    }
    QRandomGenerator rng(20);
    QByteArray bytes;
    bytes.reserve(1'000'000 * 30);
    QString line;
    for (int i = 0; i < 1'000'000; ++i) {
        line.clear();
        const int len = 2 + int(rng.bounded(20));
        for (int k = 0; k < len; ++k)
            line += kanji[rng.bounded(kanji.size())];
        QByteArray b;
        cp932::encode(line, &b);
        bytes += b;
        bytes += "\r\n";
    }
    const QString path = dir.filePath(u"million.dic"_s);
    QFile f(path);
    if (f.open(QIODevice::WriteOnly))
        f.write(bytes);
    return path;
}

// One line of output from tolvo-guiprobe in the given mode, offscreen.
QByteArray probe(const QString &mode, qint64 *startedNs = nullptr)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
    p.setProcessEnvironment(env);
    if (startedNs)
        *startedNs = monotonicNs();
    p.start(QCoreApplication::applicationDirPath() + u"/tolvo-guiprobe"_s, {mode});
    if (!p.waitForFinished(60000) || p.exitCode() != 0)
        return {};
    return p.readAllStandardOutput().trimmed();
}

void printGuiFigures()
{
    if (!QFile::exists(QCoreApplication::applicationDirPath() + u"/tolvo-guiprobe"_s))
        return;
    print("gui_search_ms", probe(u"search"_s).toDouble());
    std::vector<double> startup;
    for (int i = 0; i < 11; ++i) {
        qint64 started = 0;
        const QByteArray shown = probe(u"startup"_s, &started);
        if (!shown.isEmpty())
            startup.push_back(double(shown.toLongLong() - started) / 1e6);
    }
    if (!startup.empty()) {
        std::sort(startup.begin(), startup.end());
        print("startup_ms", startup[startup.size() / 2]);
    }
    print("peak_rss_mb", probe(u"rss"_s).toDouble());
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QString dictionaryPath = DataFilePath(u".dic"_s);
    bool skipLarge = false;
    const QStringList args = app.arguments();
    for (qsizetype i = 1; i < args.size(); ++i) {
        if ((args[i] == u"-d" || args[i] == u"--dictionary") && i + 1 < args.size())
            dictionaryPath = args[++i];
        else if (args[i] == u"--quick")
            skipLarge = true;
    }

    DictionaryStore shipped;
    if (readDictionaryFile(dictionaryPath, shipped) != DictionaryLoad::Loaded) {
        fprintf(stderr, "tolvo-bench: cannot load %s\n", qPrintable(dictionaryPath));
        return 2;
    }
    print("load_ms", medianMicroseconds(21, [&] { readDictionaryFile(dictionaryPath, shipped); }) / 1000.0);
    SearchEngine engine;
    FixedLetters hooks(kWorkedExample);
    const double engineUs = medianMicroseconds(2001, [&] { engine.run(shipped, hooks); });
    const double literalUs = medianMicroseconds(21, [&] { literalSearch(shipped, kWorkedExample); });
    const double bareUs = medianMicroseconds(2001, [&] { bareScan(shipped, kWorkedExample); });
    print("search_us", engineUs);
    print("search_speedup_vs_literal", literalUs / engineUs);
    print("search_over_scan_bound", engineUs / bareUs);

    // Six arrows: every partner is looked up in the words, the dearest search there is.
    WordList words;
    if (words.load(DataFilePath(u".words"_s))) {
        FixedLetters arrowed(kWorkedExample, QList<Arrow>(kLetterBoxCount, Arrow::LetterFirst));
        const double arrowedUs = medianMicroseconds(2001, [&] { engine.run(shipped, arrowed, &words); });
        print("search_six_arrows_us", arrowedUs);
        print("search_six_arrows_over_none", arrowedUs / engineUs);
        printAuthoringFigures(shipped, words);
    }

    printGuiFigures();

    if (!skipLarge) {
        QTemporaryDir dir;
        const QString path = writeMillionLineDictionary(dir);
        DictionaryStore large;
        const double loadUs = medianMicroseconds(3, [&] { readDictionaryFile(path, large); });
        print("load_1m_ms", loadUs / 1000.0);
        QStringList letters;
        for (int i = 0; i < kLetterBoxCount; ++i)
            letters += large.lineView(1 + i * 1000).left(1).toString();
        FixedLetters largeHooks(letters);
        print("search_1m_ms", medianMicroseconds(11, [&] { engine.run(large, largeHooks); }) / 1000.0);
    }
    return 0;
}
