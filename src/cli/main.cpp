// tolvo-solve: the common-kanji search from a terminal.
#include "dictionary/dictionary.h"
#include "platform/datafile.h"
#include "platform/textfile.h"
#include "search/searchengine.h"
#include "search/wordlist.h"

#include <QCoreApplication>
#include <QFile>
#include <QStringList>

#include <cerrno>
#include <csignal>
#include <cstdio>

namespace {

int outputErrno = 0;   // why standard output first lost something

void writeOut(FILE *stream, const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    if (fwrite(bytes.constData(), 1, size_t(bytes.size()), stream) != size_t(bytes.size())
        && stream == stdout && outputErrno == 0)
        outputErrno = errno;
}

// Flushes standard output. Output that was lost (a full disk, a reader that
// went away) must not pass for an answer: false, with a message.
bool outputWritten()
{
    if (fflush(stdout) != 0 && outputErrno == 0)
        outputErrno = errno;
    if (!ferror(stdout))
        return true;
    writeOut(stderr, QStringLiteral(u"tolvo-solve: 結果を書き込めませんでした。") + textfile::describeErrno(outputErrno)
                         + u'\n');
    return false;
}

QString helpText()
{
    return QStringLiteral(
        u"使い方: tolvo-solve [-d|--dictionary 辞書ファイル] [--words] [文字...]\n"
        u"Usage:  tolvo-solve [-d|--dictionary FILE] [--words] [LETTERS...]\n"
        u"\n"
        u"与えられた漢字（最大六文字）のすべてと二字熟語を作る漢字を辞書から探します。\n"
        u"Finds the kanji that forms a two-kanji word with every given kanji.\n"
        u"\n"
        u"  文字 / LETTERS  一つの引数が一問です。その文字が文字欄 0, 1, … に順に入ります（七文字以上は誤り）。\n"
        u"                  Each argument is one puzzle; its characters fill the letter boxes\n"
        u"                  0, 1, … in order (more than six characters is an error).\n"
        u"                  引数がなければ標準入力から一行一問で読みます（タブ以降、空行、# で始まる行は無視）。\n"
        u"                  Without arguments, reads one puzzle per line from standard input\n"
        u"                  (text after a TAB, blank lines and lines starting with # are ignored).\n"
        u"  -d, --dictionary 辞書ファイル（既定: プログラムと同じフォルダの tolvo.dic）\n"
        u"                  the dictionary (default: tolvo.dic beside the program)\n"
        u"  --words         答えの下に、空でない文字ごとに一行、<TAB>熟語<TAB>読み（・区切り）を出します。\n"
        u"                  熟語と読みはプログラムと同じフォルダの tolvo.words から（なければ終了コード 2）。\n"
        u"                  after each answer, one line per non-empty letter: <TAB>word<TAB>readings\n"
        u"                  joined by \"・\", from tolvo.words beside the program (exit 2 without it).\n"
        u"  -h, --help      この説明 / this help\n"
        u"\n"
        u"出力 / Output (UTF-8): 一問につき一行 / one line per puzzle:\n"
        u"  文字<TAB>答え<TAB>候補:ヒット数 …   letters<TAB>answer<TAB>kanji:hits …\n"
        u"  例 / example:  tolvo-solve 続家版露身発  →  続家版露身発<TAB>出<TAB>出:6 …\n"
        u"  答えがなければ二番目の欄は空です。The answer field is empty when there is none.\n"
        u"\n"
        u"終了コード / Exit status: 0 すべてに答えあり / every puzzle answered;\n"
        u"  1 答えのない問題あり / some puzzle has no answer;\n"
        u"  2 使い方の誤り、辞書（または単語ファイル）を読めない、結果を書き込めない /\n"
        u"    usage error, unreadable dictionary (or words file), or output that cannot be written.\n")
        + u"\ntolvo-solve " + versionText() + u'\n';
}

int usageError(const QString &why)
{
    writeOut(stderr, u"tolvo-solve: " + why + u"\n" + QStringLiteral(u"詳しくは tolvo-solve --help を見てください。\n"));
    return 2;
}

} // namespace

int main(int argc, char **argv)
{
    // A reader that goes away is a write error to report, not a silent kill.
    std::signal(SIGPIPE, SIG_IGN);
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments();
    args.removeFirst();

    QString dictionaryPath;
    QStringList puzzles;
    bool readStdin = true;
    bool showWords = false;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString &a = args[i];
        if (a == u"-h" || a == u"--help") {
            writeOut(stdout, helpText());
            return outputWritten() ? 0 : 2;
        }
        if (a == u"-d" || a == u"--dictionary") {
            if (i + 1 >= args.size())
                return usageError(QStringLiteral(u"-d には辞書ファイルを指定してください。"));
            dictionaryPath = args[++i];
        } else if (a == u"--words") {
            showWords = true;
        } else if (a.startsWith(u"--dictionary=")) {
            dictionaryPath = a.mid(13);
        } else if (a == u"--") {
            puzzles += args.mid(i + 1);
            readStdin = false;
            break;
        } else if (a.startsWith(u'-') && a.size() > 1) {
            return usageError(QStringLiteral(u"不明なオプションです: ") + a);
        } else {
            puzzles += a;
            readStdin = false;
        }
    }

    if (readStdin) {
        QFile in;
        if (!in.open(stdin, QIODevice::ReadOnly))
            return usageError(QStringLiteral(u"標準入力を読めません。"));
        for (;;) {
            const QByteArray raw = in.readLine();
            if (raw.isEmpty())
                break;
            QString line = QString::fromUtf8(raw);
            while (line.endsWith(u'\n') || line.endsWith(u'\r'))
                line.chop(1);
            if (line.isEmpty() || line.startsWith(u'#'))
                continue;
            const qsizetype tab = line.indexOf(u'\t');
            puzzles += tab < 0 ? line : line.left(tab);
        }
    }
    // One box per character; a character outside the basic plane fills a
    // box with its two halves, which matches no line, as in the window.
    const auto boxesOf = [](const QString &puzzle) {
        QStringList boxes;
        for (qsizetype i = 0; i < puzzle.size(); ++i) {
            const qsizetype len = puzzle[i].isHighSurrogate() && i + 1 < puzzle.size() ? 2 : 1;
            boxes += puzzle.mid(i, len);
            i += len - 1;
        }
        return boxes;
    };
    for (const QString &p : puzzles)
        if (boxesOf(p).size() > kLetterBoxCount)
            return usageError(QStringLiteral(u"一問の文字は六文字までです: ") + p);

    if (dictionaryPath.isEmpty())
        dictionaryPath = DataFilePath(QStringLiteral(".dic"));
    DictionaryStore dictionary;
    textfile::FileError error;
    switch (readDictionaryFile(dictionaryPath, dictionary, &error)) {
    case DictionaryLoad::OpenFailed:
        writeOut(stderr, dictionaryOpenFailedText(error) + u"\n" + dictionaryPath + u"\n");
        return 2;
    case DictionaryLoad::NoLines:
        writeOut(stderr, dictionaryEmptyText() + u"\n" + dictionaryPath + u"\n");
        return 2;
    case DictionaryLoad::Loaded:
        break;
    }

    WordList words;
    if (showWords) {
        const QString wordsPath = DataFilePath(QStringLiteral(".words"));
        if (!words.load(wordsPath)) {
            writeOut(stderr, QStringLiteral(u"単語ファイルが見つかりません。\n") + wordsPath + u"\n");
            return 2;
        }
    }

    SearchEngine engine;
    bool allAnswered = true;
    for (const QString &puzzle : puzzles) {
        FixedLetters hooks(boxesOf(puzzle));
        const SearchResult result = engine.run(dictionary, hooks);
        QStringList listed;
        for (const Candidate &c : result.listed())
            listed += QString(c.kanji) + u':' + QString::number(c.hits);
        writeOut(stdout, puzzle + u'\t' + result.answer() + u'\t' + listed.join(u' ') + u'\n');
        if (showWords && result.hasAnswer()) {
            // The word field stays empty where the words file has no word.
            for (const QString &letter : boxesOf(puzzle)) {
                if (letter.isEmpty())
                    continue;
                const auto word = letter.size() == 1 ? words.find(letter[0], result.answer()[0]) : std::nullopt;
                writeOut(stdout, word ? u'\t' + word->spelling + u'\t' + word->readings + u'\n' : QStringLiteral("\t\t\n"));
            }
        }
        allAnswered = allAnswered && result.hasAnswer();
        if (ferror(stdout))
            break;   // no one gets the rest
    }
    if (!outputWritten())
        return 2;
    return allAnswered ? 0 : 1;
}
