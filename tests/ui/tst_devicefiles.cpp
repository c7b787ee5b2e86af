// A FIFO, a device or an oversized file where a data file belongs: every
// reader refuses it with the file's usual message instead of waiting on it
// or reading without end. A hang ends the test through SIGALRM.
#include "dictionary/dictionary.h"
#include "kanjipad/handwriting.h"
#include "kanjipad/kanjireadings.h"
#include "promptsdouble.h"
#include "search/wordlist.h"
#include "settings/basparam.h"
#include "ui/helpdocument.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

const QString kNotAFile = u"通常のファイルではありません（パイプやデバイスは読み込めません）。"_s;

// The reader of the file named, on path: whether it read it, and the
// message shown or the reason given.
std::pair<bool, QString> readAs(const QString &file, const QString &path)
{
    if (file == u"tolvo.dic") {
        PromptsDouble prompts;
        DictionaryStore store;
        const bool read = LoadDictionary(path, store, prompts);
        return {read, prompts.shown.isEmpty() ? QString() : prompts.shown.first().text};
    }
    if (file == u"tolvo.ini") {
        SettingsStore store;
        return {basParam::LoadParams(store, path), {}};
    }
    if (file == u"tolvo.words") {
        // As the window reads it, at the first tip.
        WordList words;
        words.loadLater(path);
        return {words.find(u'続', u'出').has_value(), {}};
    }
    if (file == u"tolvo.kanji") {
        KanjiReadings readings;
        return {readings.load(path), {}};
    }
    if (file == u"handwriting-ja.model") {
        // The pad's page then says the model is missing, as for no file.
        HandwritingRecognizer model(path);
        const bool read = model.load();
        return {read, model.state() == HandwritingRecognizer::State::Missing ? QString() : u"not missing"_s};
    }
    HelpDocument document;
    QString reason;
    return {HelpDocument::load(path, &document, &reason), reason};
}

} // namespace

class TestDeviceFiles : public QObject
{
    Q_OBJECT

private slots:
    void init() { ::alarm(60); }
    void cleanup() { ::alarm(0); }

    void readers_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("fifo");   // else a link to /dev/zero
        QTest::addColumn<QString>("message");
        for (const bool fifo : {true, false}) {
            const char *kind = fifo ? "fifo" : "/dev/zero";
            const QString dic = u"辞書ファイルの読み込みに失敗しました。\nErrorNo: 22\n"_s + kNotAFile;
            QTest::addRow("tolvo.dic, %s", kind) << u"tolvo.dic"_s << fifo << dic;
            QTest::addRow("tolvo.ini, %s", kind) << u"tolvo.ini"_s << fifo << QString();
            QTest::addRow("tolvo.words, %s", kind) << u"tolvo.words"_s << fifo << QString();
            QTest::addRow("tolvo.hlp, %s", kind) << u"tolvo.hlp"_s << fifo << kNotAFile;
            QTest::addRow("tolvo.kanji, %s", kind) << u"tolvo.kanji"_s << fifo << QString();
            QTest::addRow("handwriting model, %s", kind) << u"handwriting-ja.model"_s << fifo << QString();
        }
    }
    void readers()
    {
        QFETCH(QString, file);
        QFETCH(bool, fifo);
        QTemporaryDir dir;
        const QString path = dir.filePath(file);
        QVERIFY(fifo ? ::mkfifo(QFile::encodeName(path).constData(), 0600) == 0
                     : QFile::link(u"/dev/zero"_s, path));
        const auto [read, message] = readAs(file, path);
        QVERIFY(!read);
        QTEST(message, "message");
    }

    void solveWithFifoDictionary()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"fifo.dic"_s);
        QVERIFY(::mkfifo(QFile::encodeName(path).constData(), 0600) == 0);
        QProcess solve;
        solve.start(QStringLiteral(TOLVO_BIN_DIR "/tolvo-solve"), {u"-d"_s, path, u"続家版"_s});
        QVERIFY(solve.waitForFinished(20000));
        QCOMPARE(solve.exitCode(), 2);
        QVERIFY(solve.readAllStandardError().startsWith(u"辞書ファイルの読み込みに失敗しました。\nErrorNo: 22\n"_s.toUtf8()));
    }

    // A words file past its limit is not read, as if it were missing.
    void wordsOverTheLimit()
    {
        QTemporaryDir dir;
        QFile file(dir.filePath(u"tolvo.words"_s));
        QVERIFY(file.open(QIODevice::WriteOnly));
        QVERIFY(file.write("続出\tぞくしゅつ\n") > 0);
        QVERIFY(file.resize(kWordsFileLimit + 1));   // sparse: no disk space taken
        WordList words;
        QVERIFY(!words.load(file.fileName()));
    }
};

QTEST_GUILESS_MAIN(TestDeviceFiles)
#include "tst_devicefiles.moc"
