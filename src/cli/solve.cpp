#include "cli/solve.h"
#include "cli/clicommon.h"

#include "dictionary/dictionary.h"
#include "platform/datafile.h"
#include "picture/picturereader.h"
#include "platform/textfile.h"
#include "search/letters.h"
#include "search/searchengine.h"
#include "search/wordlist.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>

using namespace Qt::StringLiterals;

namespace solve {

namespace {

// Text after the last ':' is meant as arrows unless it has letters and no
// arrow at all: "続:家" stays two letters, while "続家:>x" is refused for
// its arrows rather than searched as three letters.
std::optional<QStringView> arrowText(QStringView text)
{
    const qsizetype colon = text.lastIndexOf(u':');
    if (colon < 0)
        return std::nullopt;
    const QStringView after = text.sliced(colon + 1);
    const auto isArrow = [](QChar c) { return parseArrows(QStringView(&c, 1)).has_value(); };
    const bool hasArrow = std::any_of(after.begin(), after.end(), isArrow);
    QString outside;
    if (!hasArrow && (!puzzleLetters(after, &outside).isEmpty() || !outside.isEmpty()))
        return std::nullopt;
    return after;
}

} // namespace

namespace {

// tolvo-solve --image: each picture read, then searched like a typed puzzle.
int runImages(const Options &options, Output &out, FILE *error)
{
    if (options.puzzles.isEmpty())
        return usageError(error, QStringLiteral(u"--image には画像ファイルを指定してください。"));
    int status = 0;
    std::vector<picture::LoadedPicture> pictures;
    for (const QString &path : options.puzzles) {
        const QFileInfo info(path);
        if (!info.exists() || !info.isFile() || !info.isReadable()) {
            writeText(error, QStringLiteral(u"tolvo-solve: 画像ファイルを開けません: ") + path + u'\n');
            return 2;
        }
    }
    DictionaryStore dictionary;
    if (!loadDictionary(options, dictionary, error))
        return 2;
    // The engine starts with the first picture.
    std::unique_ptr<picture::PictureReader> reader;
    WordList words;
    bool wordsLoaded = false;
    SearchEngine engine;
    for (const QString &path : options.puzzles) {
        const picture::LoadedPicture loaded = picture::loadPicture(path);
        picture::PictureResult read;
        if (loaded.error != picture::PictureError::None) {
            read.error = loaded.error;
            read.message = loaded.message;
        } else {
            if (!reader)
                reader = std::make_unique<picture::PictureReader>(picture::allowedLetters(dictionary));
            if (!reader->loaded()) {
                writeText(error, u"tolvo-solve: "_s + picture::errorMessage(picture::PictureError::EngineMissing) + u'\n');
                return 2;
            }
            read = reader->read(loaded.image);
        }
        if (!read.ok()) {
            writeText(error, u"tolvo-solve: "_s + path + u": "_s + read.message + u'\n');
            out.write(u"\t\t\n"_s);
            status = std::max(status, 1);
            continue;
        }
        // An unreadable letter is an empty box, as in the window.
        std::optional<Puzzle> puzzle(std::in_place);
        puzzle->text = pictureText(read.puzzle, read.lettersRead);
        for (int i = 0; i < read.lettersRead && i < ::Puzzle::kBoxes; ++i) {
            const QChar c = read.puzzle.letters[size_t(i)];
            puzzle->boxes += c.isNull() ? QString() : QString(c);
            puzzle->arrows += read.puzzle.arrows[size_t(i)];
        }
        if (!puzzle->hasArrows())
            puzzle->arrows.clear();
        if ((options.showWords || puzzle->hasArrows()) && !wordsLoaded) {
            if (!loadWords(words, error))
                return 2;
            wordsLoaded = true;
        }
        FixedLetters hooks(puzzle->boxes, puzzle->arrows);
        const SearchResult result = engine.run(dictionary, hooks, wordsLoaded ? &words : nullptr);
        out.write(resultLine(puzzle->text, result));
        if (options.showWords && result.hasAnswer())
            out.write(wordLines(*puzzle, result.answer(), words));
        if (!result.hasAnswer())
            status = std::max(status, 1);
        if (out.failed())
            break;
    }
    if (!out.written(error))
        return 2;
    return status;
}

} // namespace

namespace {

bool isKanji(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= 0x4E00 && u <= 0x9FFF) || (u >= 0x3400 && u <= 0x4DBF) || (u >= 0xF900 && u <= 0xFAFF);
}

QStringList makingOptions()
{
    return {u"--count"_s, u"--letters"_s, u"--level"_s, u"--answer"_s, u"--seed"_s};
}

// The value of one of --make's options into options; why it is refused, or
// empty.
QString setMakingOption(Options &options, const QString &name, const QString &value)
{
    bool ok = false;
    if (name == u"--count") {
        const int count = value.toInt(&ok);
        if (!ok || count < 1 || count > kMaxMadeCount)
            return u"--count は 1 から %1 までの数です: "_s.arg(kMaxMadeCount) + value;
        options.count = count;
    } else if (name == u"--letters") {
        const int letters = value.toInt(&ok);
        if (!ok || (letters != 4 && letters != 6))
            return u"--letters は 4 か 6 です: "_s + value;
        options.making.letters = letters;
    } else if (name == u"--level") {
        const auto level = authoring::parseLevel(value);
        if (!level)
            return u"--level は easy, normal, hard のどれかです: "_s + value;
        options.making.level = *level;
    } else if (name == u"--answer") {
        if (value.size() != 1 || !isKanji(value[0]))
            return u"--answer には漢字を一字指定してください: "_s + value;
        options.making.answer = value[0];
    } else {
        const quint64 seed = value.toULongLong(&ok);
        if (!ok || value.startsWith(u'+'))
            return u"--seed には 0 以上の整数を指定してください: "_s + value;
        options.seed = seed;
    }
    return {};
}

} // namespace

Options parseArguments(const QStringList &args)
{
    Options options;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString &a = args[i];
        if (a == u"-h" || a == u"--help") {
            options.help = true;
            return options;
        }
        if (a == u"-d" || a == u"--dictionary") {
            if (i + 1 >= args.size()) {
                options.usageError = QStringLiteral(u"-d には辞書ファイルを指定してください。");
                return options;
            }
            options.dictionaryPath = args[++i];
        } else if (a == u"--image") {
            options.images = true;
        } else if (a == u"--check") {
            options.check = true;
        } else if (a == u"--make") {
            options.make = true;
        } else if (a == u"--no-arrows") {
            options.making.arrows = false;
        } else if (a == u"--strict") {
            options.making.strict = true;
        } else if (makingOptions().contains(a)) {
            if (i + 1 >= args.size()) {
                options.usageError = a + QStringLiteral(u" の後に値を指定してください。");
                return options;
            }
            options.usageError = setMakingOption(options, a, args[++i]);
            if (!options.usageError.isEmpty())
                return options;
        } else if (a == u"--words") {
            options.showWords = true;
        } else if (a == u"-a" || a == u"--arrow-file") {
            options.arrowFile = true;
        } else if (a.startsWith(u"--dictionary=")) {
            options.dictionaryPath = a.mid(13);
        } else if (a == u"--") {
            options.puzzles += args.mid(i + 1);
            options.readStdin = false;
            break;
        } else if (a.startsWith(u'-') && a.size() > 1) {
            options.usageError = QStringLiteral(u"不明なオプションです: ") + a;
            return options;
        } else {
            options.puzzles += a;
            options.readStdin = false;
        }
    }
    return options;
}

QStringList letterBoxes(QStringView puzzle, QString *outside)
{
    QStringList boxes;
    for (QChar c : puzzleLetters(puzzle, outside))
        boxes += QString(c);
    return boxes;
}

QStringList readPuzzles(QIODevice &in, bool arrowFile)
{
    QStringList puzzles;
    for (;;) {
        const QByteArray raw = in.readLine();
        if (raw.isEmpty())
            break;
        QString line = QString::fromUtf8(raw);
        while (line.endsWith(u'\n') || line.endsWith(u'\r'))
            line.chop(1);
        if (line.startsWith(u'#'))
            continue;
        const QStringList fields = line.split(u'\t');
        QString outside;
        if (puzzleLetters(fields[0], &outside).isEmpty() && outside.isEmpty())
            continue;   // blank, or separators only
        puzzles += arrowFile && fields.size() > 1 ? fields[0] + u':' + fields[1] : fields[0];
    }
    return puzzles;
}

bool Puzzle::hasArrows() const
{
    return std::any_of(arrows.cbegin(), arrows.cend(), [](Arrow a) { return a != Arrow::None; });
}

std::optional<Puzzle> parsePuzzle(const QString &text, QString *error)
{
    const std::optional<QStringView> arrows = arrowText(text);
    const QStringView letters = arrows ? QStringView(text).first(text.size() - arrows->size() - 1) : text;
    Puzzle puzzle;
    QString outside;
    puzzle.boxes = letterBoxes(letters, &outside);
    if (!outside.isEmpty()) {
        *error = outside + QStringLiteral(u" は文字欄に入らない文字です（Unicode の基本面の外の文字）: ") + text;
        return std::nullopt;
    }
    if (puzzle.boxes.size() > kLetterBoxCount) {
        *error = QStringLiteral(u"一問の文字は六文字までです: ") + text;
        return std::nullopt;
    }
    puzzle.text = puzzle.boxes.join(QString());
    if (!arrows)
        return puzzle;
    const std::optional<QList<Arrow>> parsed = parseArrows(*arrows);
    if (!parsed || parsed->size() != puzzle.boxes.size()) {
        *error = QStringLiteral(u"矢印は一文字につき一つ、> < - のどれかで書いてください: ") + text;
        return std::nullopt;
    }
    puzzle.arrows = *parsed;
    puzzle.text += u':' + arrows->toString();
    return puzzle;
}

QString pictureText(const ::Puzzle &read, int letters)
{
    QString text, arrows;
    bool anyArrow = false;
    for (int i = 0; i < letters && i < ::Puzzle::kBoxes; ++i) {
        text += read.letters[size_t(i)].isNull() ? u'？' : read.letters[size_t(i)];
        arrows += arrowChar(read.arrows[size_t(i)]);
        anyArrow = anyArrow || read.arrows[size_t(i)] != Arrow::None;
    }
    return anyArrow ? text + u':' + arrows : text;
}

QString resultLine(const QString &puzzle, const SearchResult &result)
{
    QStringList listed;
    for (const Candidate &c : result.listed())
        listed += QString(c.kanji) + u':' + QString::number(c.hits);
    return puzzle + u'\t' + result.answer() + u'\t' + listed.join(u' ') + u'\n';
}

QString wordLines(const Puzzle &puzzle, const QString &answer, const WordList &words)
{
    QString lines;
    for (qsizetype i = 0; i < puzzle.boxes.size(); ++i) {
        const QString &letter = puzzle.boxes[i];
        if (letter.isEmpty())
            continue;
        const Arrow arrow = i < puzzle.arrows.size() ? puzzle.arrows[i] : Arrow::None;
        const auto word = letter.size() == 1 ? wordFor(words, letter[0], arrow, answer[0]) : std::nullopt;
        lines += word ? u'\t' + word->spelling + u'\t' + word->readings + u'\n' : u"\t\t\n"_s;
    }
    return lines;
}

QString helpText()
{
    return QStringLiteral(
        u"使い方: tolvo-solve [-d|--dictionary 辞書ファイル] [--words] [-a|--arrow-file] [文字[:矢印]...]\n"
        u"        tolvo-solve [-d 辞書ファイル] [--words] --image 画像ファイル...\n"
        u"Usage:  tolvo-solve [-d|--dictionary FILE] [--words] [-a|--arrow-file] [LETTERS[:ARROWS]...]\n"
        u"        tolvo-solve [-d FILE] [--words] --image PICTURE...\n"
        u"        tolvo-solve [-d FILE] --check LETTERS[:ARROWS]...\n"
        u"        tolvo-solve [-d FILE] --make [--count N] [--letters 4|6] [--level easy|normal|hard]\n"
        u"                    [--answer KANJI] [--seed N] [--no-arrows] [--strict]\n"
        u"\n"
        u"与えられた漢字（最大六文字）のすべてと二字熟語を作る漢字を辞書から探します。\n"
        u"Finds the kanji that forms a two-kanji word with every given kanji.\n"
        u"\n"
        u"  文字 / LETTERS  一つの引数が一問です。その文字が文字欄 0, 1, … に順に入ります（七文字以上は誤り）。\n"
        u"                  Each argument is one puzzle; its characters fill the letter boxes\n"
        u"                  0, 1, … in order (more than six characters is an error).\n"
        u"                  空白・句読点・記号は文字の区切りです（「続・家・版」は 続家版）。\n"
        u"                  基本面の外の漢字（𠮷 など）は使えません。\n"
        u"                  Whitespace, punctuation and symbols only separate letters;\n"
        u"                  a kanji outside the basic plane (such as 𠮷) is an error.\n"
        u"                  引数がなければ標準入力から一行一問で読みます（タブ以降、文字のない行、# で始まる行は無視）。\n"
        u"                  Without arguments, reads one puzzle per line from standard input\n"
        u"                  (text after a TAB, lines without a letter and lines starting with # are ignored).\n"
        u"  :矢印 / :ARROWS 問題の後にコロンと、文字ごとに一つの矢印を書けます（例 '順当交組:>>><'）。\n"
        u"                  > 文字→答えの順の熟語（明>白 で 明白）、< 答え→文字の順（白<昼 で 白昼）、- 向きなし。\n"
        u"                  矢印のある文字は、その順の熟語が tolvo.words にあるときだけ数えます。\n"
        u"                  After a colon, one arrow per letter (e.g. '順当交組:>>><'): '>' the word reads\n"
        u"                  letter then answer (明白), '<' answer then letter (白昼), '-' either order.\n"
        u"                  A letter with an arrow counts only for words of tolvo.words in that order.\n"
        u"  -a, --arrow-file 標準入力の各行を 文字<TAB>矢印<TAB>… として読みます（arrow-puzzles.tsv の形）。\n"
        u"                  read standard input as letters<TAB>arrows<TAB>… (the arrow-puzzles.tsv form).\n"
        u"  --image         引数は問題の画像ファイル（PNG, JPEG, BMP, GIF など）です。画像から読んだ文字\n"
        u"                  （読めない文字は ？）と、矢印があれば :矢印 を最初の欄に出して解きます。\n"
        u"                  問題を読めない画像は最初の欄が空の行（終了コード 1）、ないファイルは終了コード 2。\n"
        u"                  文字認識に tesseract-ocr-jpn パッケージが要ります。\n"
        u"                  the arguments are puzzle pictures: the first field is the letters read\n"
        u"                  (？ where one could not be read) and, when the picture shows arrows, ':' and\n"
        u"                  the arrows. A picture without a readable puzzle gives a line with an empty\n"
        u"                  first field (exit 1); a missing file exits 2. Needs tesseract-ocr-jpn.\n"
        u"  --check         引数の問題の答えがひとつか確かめ、答えの熟語、ほかの答え、ひとつの文字だけに\n"
        u"                  当てはまらない漢字、矢印なしのとき、答えをひとつにする入れ替えを出します\n"
        u"                  （すべて答えがひとつなら終了コード 0、そうでなければ 1）。\n"
        u"                  checks that each puzzle has exactly one answer, and shows its words, the other\n"
        u"                  answers, the kanji that miss one letter, the answers without arrows, and letters\n"
        u"                  that would make it unique (exit 0 when every answer is unique, else 1).\n"
        u"  --make          答えがひとつの問題を作り、文字<TAB>矢印<TAB>答え<TAB>★難しさ で出します（-a で解ける形）。\n"
        u"                  makes puzzles with exactly one answer: letters<TAB>arrows<TAB>answer<TAB>★grade.\n"
        u"    --count N     作る数 / how many (1-1000, default 1)\n"
        u"    --letters 4|6 文字の数 / letters per puzzle (default 4)\n"
        u"    --level L     easy（小学校の漢字とよく使う語）, normal（常用漢字とよく使う語、既定）,\n"
        u"                  hard（まれな語も） / school kanji and common words, jōyō kanji and common\n"
        u"                  words (default), or any word\n"
        u"    --answer 漢   答えの漢字 / the answer (default: any)\n"
        u"    --seed N      同じ番号で同じ問題 / the same number makes the same puzzles\n"
        u"    --no-arrows   矢印なし / puzzles without arrows\n"
        u"    --strict      矢印を隠しても答えがひとつ / unique with the arrows hidden as well\n"
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
        u"  例 / example:  tolvo-solve 続家版露身発  →  続家版露身発<TAB>出<TAB>後:4 持:3 出:6 …\n"
        u"  答えがなければ二番目の欄は空です。The answer field is empty when there is none.\n"
        u"\n"
        u"終了コード / Exit status: 0 すべてに答えあり / every puzzle answered;\n"
        u"  1 答えのない問題あり / some puzzle has no answer;\n"
        u"  2 使い方の誤り、辞書（または単語ファイル）を読めない、結果を書き込めない /\n"
        u"    usage error, unreadable dictionary (or words file), or output that cannot be written.\n")
        + u"\ntolvo-solve " + versionText() + u"\n";
}

int run(const Options &options, FILE *input, FILE *output, FILE *error)
{
    Output out(output);
    if (options.help) {
        out.write(helpText());
        return out.written(error) ? 0 : 2;
    }
    if (!options.usageError.isEmpty())
        return usageError(error, options.usageError);

    if (options.images)
        return runImages(options, out, error);
    if (options.check)
        return runCheck(options, out, error);
    if (options.make)
        return runMake(options, out, error);
    QStringList puzzles = options.puzzles;
    if (options.readStdin) {
        QFile in;
        if (!in.open(input, QIODevice::ReadOnly))
            return usageError(error, QStringLiteral(u"標準入力を読めません。"));
        puzzles += readPuzzles(in, options.arrowFile);
    }
    std::vector<Puzzle> parsed;
    bool anyArrows = false;
    for (const QString &p : puzzles) {
        QString why;
        const std::optional<Puzzle> puzzle = parsePuzzle(p, &why);
        if (!puzzle)
            return usageError(error, why);
        anyArrows = anyArrows || puzzle->hasArrows();
        parsed.push_back(*puzzle);
    }

    DictionaryStore dictionary;
    if (!loadDictionary(options, dictionary, error))
        return 2;

    WordList words;
    // An arrow is checked against the words; without them no answer may
    // pass for one that heeds the arrows.
    if ((options.showWords || anyArrows) && !loadWords(words, error))
        return 2;

    SearchEngine engine;
    bool allAnswered = true;
    for (size_t i = 0; i < parsed.size(); ++i) {
        const Puzzle &puzzle = parsed[i];
        FixedLetters hooks(puzzle.boxes, puzzle.arrows);
        const SearchResult result = engine.run(dictionary, hooks, &words);
        out.write(resultLine(puzzle.text, result));
        if (options.showWords && result.hasAnswer())
            out.write(wordLines(puzzle, result.answer(), words));
        allAnswered = allAnswered && result.hasAnswer();
        if (out.failed())
            break;   // no one gets the rest
    }
    if (!out.written(error))
        return 2;
    return allAnswered ? 0 : 1;
}

} // namespace solve
