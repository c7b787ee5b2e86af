// tolvo-bench-ocr (make bench-ocr): how well the picture reader reads
// generated puzzle pictures, per style and kanji size, and what it costs.
// With --write DIR it writes the fixed pictures the tests keep instead.
#include "dictionary/dictionary.h"
#include "monotonic.h"
#include "ocrpictures.h"
#include "picture/cellfinder.h"
#include "picture/picturereader.h"
#include "platform/datafile.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QRandomGenerator>
#include <QTextStream>

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <vector>

using namespace Qt::StringLiterals;
using ocrpictures::Sketch;
using ocrpictures::Style;

namespace {

struct Source {
    QString letters;
    QString arrows;   // '>' '<' '-' per letter, or empty
};

QList<Source> readSources(const QString &path, int letters)
{
    QList<Source> out;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return out;
    while (!f.atEnd()) {
        const QString line = QString::fromUtf8(f.readLine()).trimmed();
        if (line.startsWith(u'#') || line.isEmpty())
            continue;
        const QStringList fields = line.split(u'\t');
        if (fields[0].size() != letters)
            continue;
        Source s{fields[0], {}};
        if (fields.size() > 2 && fields[1].size() == letters)
            s.arrows = fields[1];
        out += s;
    }
    return out;
}

Puzzle puzzleOf(const Source &s, QRandomGenerator &rng)
{
    Puzzle p = Puzzle::fromLetters(s.letters);
    for (qsizetype i = 0; i < s.letters.size(); ++i) {
        const QChar a = s.arrows.isEmpty() ? QChar(u"><--"[rng.bounded(4)]) : s.arrows[i];
        p.arrows[size_t(i)] = a == u'>' ? Arrow::LetterFirst : a == u'<' ? Arrow::AnswerFirst : Arrow::None;
    }
    return p;
}

struct Tally {
    int pictures = 0, letters = 0, right = 0, whole = 0, atMostOne = 0, arrowsRight = 0, invented = 0;
    int wrongMarked = 0, wrong = 0, failed = 0, rightMarked = 0;
    std::vector<double> ms;
};

double pct(int a, int b) { return b ? 100.0 * a / b : 0; }

double quantile(std::vector<double> v, double q)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, size_t(q * double(v.size())))];
}

void count(Tally &t, const Puzzle &truth, const picture::PictureResult &r, double ms)
{
    const int n = int(truth.letterText().size());
    ++t.pictures;
    t.letters += n;
    t.ms.push_back(ms);
    if (!r.ok()) {
        ++t.failed;
        return;
    }
    int wrong = 0;
    for (int i = 0; i < n; ++i) {
        const bool ok = r.puzzle.letters[size_t(i)] == truth.letters[size_t(i)];
        t.right += ok;
        t.rightMarked += ok && r.puzzle.doubtful[size_t(i)];
        wrong += !ok;
        if (!ok) {
            ++t.wrong;
            t.wrongMarked += r.puzzle.doubtful[size_t(i)];
        }
        t.arrowsRight += r.puzzle.arrows[size_t(i)] == truth.arrows[size_t(i)];
    }
    t.invented += std::max(0, r.lettersRead - n);
    t.whole += wrong == 0;
    t.atMostOne += wrong <= 1;
}

void printRow(const QString &name, const Tally &t)
{
    std::printf("%-16s %5d %7.1f%% %7.1f%% %7.1f%% %7.1f%% %6.2f %6.1f%% %7.1f %7.1f\n", qPrintable(name), t.pictures,
                pct(t.right, t.letters), pct(t.whole, t.pictures), pct(t.atMostOne, t.pictures),
                pct(t.arrowsRight, t.letters), t.pictures ? double(t.invented) / t.pictures : 0.0,
                pct(t.wrongMarked, t.wrong), quantile(t.ms, 0.5), quantile(t.ms, 0.95));
}

QString arrowText(const Puzzle &p)
{
    QString out;
    for (int i = 0; i < int(p.letterText().size()); ++i)
        out += arrowChar(p.arrows[size_t(i)]);
    return out;
}

// style-em-seed_truth=arrows_read=arrows.png
void saveFailure(const QString &dir, const Sketch &sketch, const picture::PictureResult &r, const QImage &image)
{
    QDir().mkpath(dir);
    const QString read = r.ok() ? r.puzzle.letterText() + u'=' + arrowText(r.puzzle) : u"error"_s;
    image.save(dir + u'/' + ocrpictures::styleName(sketch.style) + u'-' + QString::number(sketch.em) + u'-'
               + QString::number(sketch.seed) + u'_' + sketch.puzzle.letterText() + u'=' + arrowText(sketch.puzzle)
               + u'_' + read + u".png"_s);
}

long peakKb(int who)
{
    rusage u{};
    getrusage(who, &u);
    return u.ru_maxrss;
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QStringList args = app.arguments();
    QString dictionaryPath = DataFilePath(u".dic"_s), dataDir = QStringLiteral(TOLVO_TEST_DATA), writeDir, failDir, family;
    int perCell = 10, lackingStride = 0;
    quint32 seed = 20240523;
    for (qsizetype i = 1; i + 1 < args.size(); i += 2) {
        if (args[i] == u"-d")
            dictionaryPath = args[i + 1];
        else if (args[i] == u"--data")
            dataDir = args[i + 1];
        else if (args[i] == u"--write")
            writeDir = args[i + 1];
        else if (args[i] == u"--count")
            perCell = args[i + 1].toInt();
        else if (args[i] == u"--seed")
            seed = args[i + 1].toUInt();
        else if (args[i] == u"--failures")
            failDir = args[i + 1];
        else if (args[i] == u"--font")
            family = args[i + 1];
        else if (args[i] == u"--lacking-stride")
            lackingStride = args[i + 1].toInt();
    }
    if (args.contains(u"--help"_s)) {
        std::printf("usage: tolvo-bench-ocr [-d DICTIONARY] [--data DIR] [--count N] [--seed N] [--failures DIR] [--font FAMILY]\n"
                    "                       [--lacking-stride N]\n"
                    "       tolvo-bench-ocr --write DIR | --cells PICTURE\n"
                    "--count: pictures per style and size; --seed: the pictures drawn (tune on one, check on "
                    "another); --failures: each picture read wrong saved there as PNG, named for what it shows; --font: "
                    "every letter and arrow drawn in that font family instead (one the reader was not tuned on); "
                    "--lacking-stride: every Nth kanji the model lacks drawn (1: all of them; else about 65)\n");
        return 0;
    }

    QRandomGenerator rng(seed);
    const QList<Source> four = readSources(dataDir + u"/arrow-puzzles.tsv"_s, 4);
    const QList<Source> six = readSources(dataDir + u"/sample-puzzles.tsv"_s, 6);
    if (four.isEmpty() || six.isEmpty()) {
        std::fprintf(stderr, "tolvo-bench-ocr: no puzzles in %s\n", qPrintable(dataDir));
        return 2;
    }

    if (args.size() == 3 && args[1] == u"--cells") {
        // The cells the finder cuts from one picture, saved beside it for a look.
        const picture::CellLayout layout = picture::findCells(QImage(args[2]));
        std::printf("outcome %d, %d sectors, centre %.0f,%.0f\n", int(layout.outcome), layout.sectors,
                    layout.centre.x(), layout.centre.y());
        for (int i = 0; i < int(layout.cells.size()); ++i) {
            const picture::Cell &c = layout.cells[i];
            std::printf("cell %d: %d,%d %dx%d arrow %c%s\n", i, c.box.x(), c.box.y(), c.box.width(), c.box.height(),
                        char(arrowChar(c.arrow).unicode()), c.flatStroke ? " flat" : "");
            c.glyph.save(args[2] + u".cell"_s + QString::number(i) + u".png"_s);
        }
        return 0;
    }
    if (!writeDir.isEmpty()) {
        // One picture per style, four letters and six, arrows as characters and as lines.
        QDir().mkpath(writeDir);
        int k = 0;
        for (Style style : ocrpictures::kStyles)
            for (int letters : {4, 6}) {
                const Source &s = letters == 4 ? four[k % four.size()] : six[k % six.size()];
                Sketch sketch{style, puzzleOf(s, rng), style == Style::Photo || style == Style::Caption ? 56 : 48, k % 2 == 0, quint32(k + 1), {}};
                const QString name = ocrpictures::styleName(style) + u'-' + QString::number(letters);
                ocrpictures::draw(sketch).save(writeDir + u'/' + name + u".png"_s);
                std::printf("%s\t%s\t%s\n", qPrintable(name), qPrintable(sketch.puzzle.letterText()),
                            qPrintable(arrowText(sketch.puzzle)));
                ++k;
            }
        return 0;
    }

    DictionaryStore dictionary;
    if (readDictionaryFile(dictionaryPath, dictionary) != DictionaryLoad::Loaded) {
        std::fprintf(stderr, "tolvo-bench-ocr: cannot read %s\n", qPrintable(dictionaryPath));
        return 2;
    }
    const QString allowed = picture::allowedLetters(dictionary);
    const long baseKb = peakKb(RUSAGE_SELF);
    const qint64 t0 = monotonicNs();
    picture::PictureReader reader(allowed);
    const double startMs = double(monotonicNs() - t0) / 1e6;
    if (!reader.loaded()) {
        std::fprintf(stderr, "tolvo-bench-ocr: %s\n", qPrintable(picture::errorMessage(picture::PictureError::EngineMissing)));
        return 2;
    }
    // The first reading also makes the letter shapes a doubt is checked with.
    const qint64 t1 = monotonicNs();
    reader.read(ocrpictures::draw(Sketch{Style::GothicCross, Puzzle::fromLetters(u"国英物単"_s), 48, true, 1, {}}));
    const double firstMs = double(monotonicNs() - t1) / 1e6;

    const int sizes[] = {24, 36, 54, 80, 120};
    std::map<Style, Tally> byStyle;
    std::printf("%-16s %5s %8s %8s %8s %8s %6s %7s %7s %7s\n", "style/em", "pics", "kanji", "whole", "<=1 fix",
                "arrows", "inv", "wrong?", "ms p50", "ms p95");
    for (Style style : ocrpictures::kStyles) {
        for (int em : sizes) {
            Tally cell;
            for (int k = 0; k < perCell; ++k) {
                const int letters = k % 2 ? 6 : 4;
                const QList<Source> &from = letters == 4 ? four : six;
                Sketch sketch{style, puzzleOf(from[rng.bounded(int(from.size()))], rng), em, rng.bounded(2) == 0,
                              rng.generate(), family};
                const QImage image = ocrpictures::draw(sketch);
                const qint64 a = monotonicNs();
                const picture::PictureResult r = reader.read(image);
                count(cell, sketch.puzzle, r, double(monotonicNs() - a) / 1e6);
                if (!failDir.isEmpty() && (!r.ok() || r.puzzle.letters != sketch.puzzle.letters
                                            || r.puzzle.arrows != sketch.puzzle.arrows))
                    saveFailure(failDir, sketch, r, image);
                count(byStyle[style], sketch.puzzle, r, double(monotonicNs() - a) / 1e6);
            }
            printRow(ocrpictures::styleName(style) + u'/' + QString::number(em), cell);
        }
    }
    std::printf("\n");
    for (const auto &[style, t] : byStyle)
        printRow(ocrpictures::styleName(style) + u" (all)"_s, t);

    std::printf("right letters marked doubtful:");
    for (const auto &[style, t] : byStyle)
        std::printf(" %s %.1f%%", qPrintable(ocrpictures::styleName(style)), pct(t.rightMarked, t.right));
    std::printf("\n");

    // Kanji the Japanese model has no output for: each must come out
    // doubtful, never silently as another kanji. Four jōyō kanji and a
    // spread of the rest, in both printed styles.
    const QString lacking = reader.lackingLetters();
    QString probe = u"霜餓謹賦"_s;
    const qsizetype stride = lackingStride > 0 ? lackingStride : std::max<qsizetype>(1, lacking.size() / 60);
    for (qsizetype i = 0; i < lacking.size(); i += stride)
        if (!probe.contains(lacking[i]))
            probe += lacking[i];
    int unknown = 0, marked = 0;
    QString silent;
    for (qsizetype i = 0; i < probe.size(); ++i) {
        if (!lacking.contains(probe[i]))
            continue;
        for (Style style : {Style::GothicCross, Style::MinchoFlower}) {
            const Puzzle p = Puzzle::fromLetters(QString(probe[i] + u"出家日"_s));
            const picture::PictureResult r = reader.read(ocrpictures::draw(Sketch{style, p, 48, true, quint32(i + 1), family}));
            ++unknown;
            // A look-alike mapped from kana (ヒ as 匕) may read it right.
            if (r.ok() && (r.puzzle.doubtful[0] || r.puzzle.letters[0] == probe[i]))
                ++marked;
            else
                silent += probe[i] + (r.ok() ? QString(r.puzzle.letters[0]) : u"?"_s) + u' ';
        }
    }
    std::printf("\nallowed kanji the model cannot output: %d; %d of %d pictures of them doubtful or right%s%s\n",
                int(lacking.size()), marked, unknown, silent.isEmpty() ? "" : "; read silently: ", qPrintable(silent));
    std::printf("engine start-up: %.0f ms; first picture %.0f ms; peak memory %ld MB (before the engine %ld MB)\n", startMs, firstMs,
                peakKb(RUSAGE_SELF) / 1024, baseKb / 1024);
    std::printf("columns: kanji read right; puzzles read whole; with at most one letter to correct; arrows right "
                "(none included); letters invented per picture; wrong letters marked doubtful; time per picture\n");
    return 0;
}
