// tolvo-bench-handwriting: how well the kanji pad's recogniser reads the
// jōyō kanji, drawn from stroke data that nobody here wrote (Make Me a
// Hanzi's stroke centre lines, npm's hanzi-writer-data). One "name value"
// line per figure.
//   --data DIR       the hanzi-writer-data folder (one JSON per character)
//   --kanjidic FILE  KANJIDIC (EUC-JP), for the jōyō list (grades 1 to 8)
//   --model FILE     the Zinnia model
//   -d FILE          a dictionary: also count with its heads alone
//   --strokes FILE   the stroke templates (tolvo.strokes): also count the
//                    pad's ranking, and strokes in the wrong order
//   --mouse FILE     drawings recorded with a mouse on the pad's canvas
//                    (bench/mouse-drawings.txt)
//   --every N        only every N-th kanji, for a quicker look
//   --misses         the pad's misses on stderr, a line each: the way it
//                    was drawn, the kanji, its strokes drawn / in the
//                    template, where it came (-1 past ten), the first three
// Then, from tolvo-guiprobe, the pad's opening time and the program's peak
// memory with the pad used.
#include "dictionary/dictionary.h"
#include "kanjipad/handwriting.h"
#include "kanjipad/strokematch.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRandomGenerator>
#include <QStringDecoder>

#include <cmath>
#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

// The pad's canvas, in pixels.
constexpr double kCanvas = 280;

void print(const char *name, double value)
{
    printf("%s %.3f\n", name, value);
    fflush(stdout);
}

QString jouyouKanji(const QString &kanjidicPath)
{
    QFile file(kanjidicPath);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QStringDecoder decoder("EUC-JP");
    const QString text = decoder.decode(file.readAll());
    QString kanji;
    for (QStringView line : QStringView(text).tokenize(u'\n')) {
        if (line.size() < 2 || line[1] != u' ')
            continue;
        for (QStringView field : line.tokenize(u' ')) {
            if (field.size() >= 2 && field[0] == u'G' && field.mid(1).toInt() >= 1 && field.mid(1).toInt() <= 8) {
                kanji += line[0];
                break;
            }
        }
    }
    return kanji;
}

// The character's stroke centre lines, in its 1024-unit box with y downwards.
Drawing medians(const QString &dataDir, QChar kanji)
{
    QFile file(dataDir + u'/' + kanji + u".json"_s);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    Drawing drawing;
    for (const QJsonValue &stroke : QJsonDocument::fromJson(file.readAll()).object().value(u"medians"_s).toArray()) {
        Stroke points;
        for (const QJsonValue &p : stroke.toArray())
            points.append(QPointF(p.toArray().at(0).toDouble(), 900 - p.toArray().at(1).toDouble()));
        drawing.append(points);
    }
    return drawing;
}

// Points every `step` along the polyline, as a pen reports them.
Stroke densified(const Stroke &stroke, double step)
{
    Stroke out;
    for (qsizetype i = 0; i + 1 < stroke.size(); ++i) {
        const QPointF a = stroke[i], b = stroke[i + 1];
        const int n = std::max(1, int(std::hypot(b.x() - a.x(), b.y() - a.y()) / step));
        for (int k = 0; k < n; ++k)
            out.append(a + (b - a) * (double(k) / n));
    }
    if (!stroke.isEmpty())
        out.append(stroke.last());
    return out;
}

Drawing scaled(const Drawing &drawing, double factor)
{
    Drawing out;
    for (const Stroke &s : drawing) {
        Stroke points;
        for (const QPointF &p : s)
            points.append(p * factor);
        out.append(points);
    }
    return out;
}

// Drawn with a pen over the whole canvas.
Drawing clean(const Drawing &medians)
{
    Drawing out;
    for (const Stroke &s : scaled(medians, kCanvas / 1024))
        out.append(densified(s, 2));
    return out;
}

// Drawn with a mouse: smaller and off-centre, a little slanted and
// stretched, with wobbling strokes, overshoots, uneven event spacing and
// whole pixels.
Drawing mouseLike(const Drawing &medians, QRandomGenerator &rng)
{
    const auto uniform = [&rng](double lo, double hi) { return lo + (hi - lo) * rng.generateDouble(); };
    const double size = kCanvas * uniform(0.4, 0.9);
    const QPointF offset(uniform(0, kCanvas - size), uniform(0, kCanvas - size));
    const double sx = size / 1024 * uniform(0.85, 1.15), sy = size / 1024 * uniform(0.85, 1.15);
    const double angle = uniform(-5, 5) * 3.14159265 / 180;
    const auto map = [&](QPointF p) {
        p -= QPointF(512, 512);
        p = QPointF(p.x() * std::cos(angle) - p.y() * std::sin(angle), p.x() * std::sin(angle) + p.y() * std::cos(angle));
        return QPointF((p.x() + 512) * sx, (p.y() + 512) * sy) + offset;
    };
    Drawing out;
    for (const Stroke &s : medians) {
        Stroke placed;
        for (const QPointF &p : s)
            placed.append(map(p));
        if (placed.size() >= 2) {
            // Overshoot at the end or stop short, by up to 4% of the character.
            const QPointF a = placed[placed.size() - 2], b = placed.last();
            const double len = std::max(1e-9, std::hypot(b.x() - a.x(), b.y() - a.y()));
            placed.last() = b + (b - a) / len * uniform(-0.04, 0.04) * size;
        }
        const Stroke dense = densified(placed, 1);
        const double amplitude = size * uniform(0.005, 0.02);
        const double cycles = uniform(0.5, 2.5), phase = uniform(0, 6.3);
        Stroke noisy;
        double skip = 0;
        for (qsizetype i = 0; i < dense.size(); ++i) {
            // Mouse events arrive every few pixels, more or fewer as the hand speeds up.
            if (i > 0 && i + 1 < dense.size() && (skip -= 1) > 0)
                continue;
            skip = uniform(1, 10);
            const double f = dense.size() > 1 ? double(i) / double(dense.size() - 1) : 0;
            const QPointF wobble(std::sin(6.2832 * cycles * f + phase), std::cos(6.2832 * cycles * f + phase * 1.3));
            const QPointF p = dense[i] + wobble * amplitude + QPointF(uniform(-1, 1), uniform(-1, 1));
            noisy.append(QPointF(std::round(p.x()), std::round(p.y())));
        }
        out.append(noisy);
    }
    return out;
}

// The ways a drawing goes wrong, applied to the centre lines before they
// are drawn. Drawings of one stroke stay as they are.
Drawing swapped(Drawing d, QRandomGenerator &rng)
{
    if (d.size() >= 2) {
        const qsizetype i = rng.bounded(int(d.size() - 1));
        std::swap(d[i], d[i + 1]);
    }
    return d;
}

Drawing shuffled(Drawing d, QRandomGenerator &rng)
{
    for (qsizetype i = d.size() - 1; i > 0; --i)
        std::swap(d[i], d[rng.bounded(int(i + 1))]);
    return d;
}

Drawing backwards(Drawing d)
{
    for (Stroke &s : d)
        std::reverse(s.begin(), s.end());
    return d;
}

// The pen kept down from one stroke's end to the next one's start.
Drawing joined(Drawing d, QRandomGenerator &rng)
{
    if (d.size() >= 2) {
        const qsizetype i = rng.bounded(int(d.size() - 1));
        d[i] += d[i + 1];
        d.removeAt(i + 1);
    }
    return d;
}

// The pen lifted half-way along a stroke and put down again there.
Drawing split(Drawing d, QRandomGenerator &rng)
{
    const qsizetype i = rng.bounded(int(d.size()));
    const Stroke dense = densified(d[i], 8);
    if (dense.size() >= 3) {
        const qsizetype middle = dense.size() / 2;
        d[i] = dense.first(middle + 1);
        d.insert(i + 1, dense.mid(middle));
    }
    return d;
}

// "kanji<TAB>how<TAB>x,y x,y ...|x,y ..." lines, in the canvas's pixels.
QList<std::pair<QChar, Drawing>> recordedDrawings(const QString &path)
{
    QList<std::pair<QChar, Drawing>> out;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return out;
    for (const QByteArray &line : file.readAll().split('\n')) {
        const QList<QByteArray> fields = line.split('\t');
        if (line.startsWith('#') || fields.size() != 3)
            continue;
        Drawing drawing;
        for (const QByteArray &stroke : fields[2].split('|')) {
            Stroke points;
            for (const QByteArray &p : stroke.split(' '))
                points.append(QPointF(p.split(',').value(0).toDouble(), p.split(',').value(1).toDouble()));
            drawing.append(points);
        }
        out.append({QString::fromUtf8(fields[0]).at(0), drawing});
    }
    return out;
}

// The canvas as it stands, scaled to the model's square.
Drawing unnormalized(const Drawing &drawing)
{
    return scaled(drawing, kModelSquare / kCanvas);
}

// The pad in the real program, offscreen: "open_ms rss_mb".
QList<QByteArray> padProbe()
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
    p.setProcessEnvironment(env);
    p.start(QCoreApplication::applicationDirPath() + u"/tolvo-guiprobe"_s, {u"pad"_s});
    if (!p.waitForFinished(60000) || p.exitCode() != 0)
        return {};
    return p.readAllStandardOutput().trimmed().split(' ');
}

struct Tally {
    int top1 = 0, top3 = 0, top10 = 0, total = 0;
    void add(const QList<QChar> &found, QChar kanji)
    {
        const qsizetype at = found.indexOf(kanji);
        ++total;
        top1 += at == 0;
        top3 += at >= 0 && at < 3;
        top10 += at >= 0 && at < 10;
    }
    void print(const QByteArray &name) const
    {
        ::print(QByteArray(name + "_top1_pct").constData(), 100.0 * top1 / std::max(1, total));
        ::print(QByteArray(name + "_top3_pct").constData(), 100.0 * top3 / std::max(1, total));
        ::print(QByteArray(name + "_top10_pct").constData(), 100.0 * top10 / std::max(1, total));
    }
};

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QString dataDir, kanjidic = u"/usr/share/edict/kanjidic"_s, model = HandwritingRecognizer::defaultModelPath(),
                     dictionaryPath, strokesPath, mousePath;
    int every = 1;
    bool misses = false;
    const QStringList args = app.arguments();
    for (qsizetype i = 1; i < args.size(); ++i) {
        if (args[i] == u"--misses")
            misses = true;
        else if (i + 1 == args.size())
            break;
        else if (args[i] == u"--data")
            dataDir = args[++i];
        else if (args[i] == u"--kanjidic")
            kanjidic = args[++i];
        else if (args[i] == u"--model")
            model = args[++i];
        else if (args[i] == u"-d")
            dictionaryPath = args[++i];
        else if (args[i] == u"--strokes")
            strokesPath = args[++i];
        else if (args[i] == u"--mouse")
            mousePath = args[++i];
        else if (args[i] == u"--every")
            every = std::max(1, args[++i].toInt());
    }
    HandwritingRecognizer recognizer(model);
    HandwritingRecognizer pad(model, strokesPath);
    if (dataDir.isEmpty() || !recognizer.load() || !pad.load()) {
        fprintf(stderr, "usage: tolvo-bench-handwriting --data DIR [--kanjidic FILE] [--model FILE] [-d DICTIONARY]\n"
                        "       [--strokes FILE] [--mouse FILE] [--every N] [--misses]\n"
                        "(the model %s must be readable)\n", qPrintable(model));
        return 2;
    }
    const QString jouyou = jouyouKanji(kanjidic);
    StrokeTemplates templates;
    if (misses)
        templates.load(strokesPath);
    const auto reportMiss = [&](const QByteArray &how, QChar kanji, const Drawing &drawing, const QList<QChar> &found) {
        if (!misses || (!found.isEmpty() && found[0] == kanji))
            return;
        fprintf(stderr, "%s %s %d/%d %d %s\n", how.constData(), qPrintable(QString(kanji)), int(drawing.size()),
                int(templates.strokes(kanji).size()), int(found.indexOf(kanji)),
                qPrintable(QString(found.constData(), std::min<qsizetype>(3, found.size()))));
    };
    std::vector<bool> head(65536, false);
    DictionaryStore dictionary;
    const bool haveHeads = !dictionaryPath.isEmpty() && readDictionaryFile(dictionaryPath, dictionary) == DictionaryLoad::Loaded;
    for (qint32 n = 0; haveHeads && n < dictionary.lineCount(); ++n)
        head[dictionary.firstUnits()[n]] = true;
    const auto isHead = [&head](QChar c) { return bool(head[c.unicode()]); };

    Tally cleanRaw, cleanNorm, noisyRaw, noisyNorm, cleanHeads, noisyHeads;
    // Wrong orders, by Zinnia alone and by the pad with its templates.
    const QByteArrayList wrongNames{"clean_swapped", "clean_shuffled", "clean_backwards", "clean_joined",
                                    "clean_split", "noisy_shuffled", "noisy_backwards"};
    QList<Tally> wrongModel(wrongNames.size()), wrongPad(wrongNames.size());
    Tally cleanPad, noisyPad;
    std::vector<double> strokeMs, modelStrokeMs;   // the pad recognises the drawing so far after every stroke
    int withData = 0, seen = 0;
    for (QChar kanji : jouyou) {
        const Drawing m = medians(dataDir, kanji);
        if (m.isEmpty() || seen++ % every != 0)
            continue;
        ++withData;
        QRandomGenerator rng(20 + kanji.unicode());
        const Drawing c = clean(m), n = mouseLike(m, rng);
        cleanRaw.add(recognizer.classify(unnormalized(c), 10), kanji);
        noisyRaw.add(recognizer.classify(unnormalized(n), 10), kanji);
        cleanNorm.add(recognizer.recognize(c, 10), kanji);
        if (withData % 10 == 1) {
            const std::function<bool(QChar)> accept = haveHeads ? std::function<bool(QChar)>(isHead) : nullptr;
            QRandomGenerator orderRng(40 + kanji.unicode());
            const Drawing drawn = mouseLike(shuffled(m, orderRng), orderRng);
            for (qsizetype k = 1; k <= drawn.size(); ++k) {
                QElapsedTimer timer;
                timer.start();
                pad.recognize(drawn.first(k), 20, accept);
                strokeMs.push_back(double(timer.nsecsElapsed()) / 1e6);
                timer.restart();
                recognizer.recognize(drawn.first(k), 20, accept);
                modelStrokeMs.push_back(double(timer.nsecsElapsed()) / 1e6);
            }
        }
        noisyNorm.add(recognizer.recognize(n, 10), kanji);
        if (haveHeads && isHead(kanji)) {
            cleanHeads.add(recognizer.recognize(c, 10, isHead), kanji);
            noisyHeads.add(recognizer.recognize(n, 10, isHead), kanji);
            if (pad.hasTemplates()) {
                const QList<QChar> cleanFound = pad.recognize(c, 10, isHead), noisyFound = pad.recognize(n, 10, isHead);
                cleanPad.add(cleanFound, kanji);
                noisyPad.add(noisyFound, kanji);
                reportMiss("clean", kanji, c, cleanFound);
                reportMiss("noisy", kanji, n, noisyFound);
                QRandomGenerator wrongRng(60 + kanji.unicode());
                const QList<Drawing> wrong{clean(swapped(m, wrongRng)), clean(shuffled(m, wrongRng)),
                                           clean(backwards(m)),         clean(joined(m, wrongRng)),
                                           clean(split(m, wrongRng)),   mouseLike(shuffled(m, wrongRng), wrongRng),
                                           mouseLike(backwards(m), wrongRng)};
                for (qsizetype w = 0; w < wrong.size(); ++w) {
                    wrongModel[w].add(recognizer.recognize(wrong[w], 10, isHead), kanji);
                    const QList<QChar> found = pad.recognize(wrong[w], 10, isHead);
                    wrongPad[w].add(found, kanji);
                    reportMiss(wrongNames[w], kanji, wrong[w], found);
                }
            }
        }
    }
    print("jouyou_kanji", jouyou.size());
    print("jouyou_with_data", withData);
    cleanRaw.print("clean_unnormalized");
    cleanNorm.print("clean");
    noisyRaw.print("noisy_unnormalized");
    noisyNorm.print("noisy");
    if (haveHeads) {
        print("jouyou_heads_with_data", cleanHeads.total);
        cleanHeads.print("clean_heads");
        noisyHeads.print("noisy_heads");
        if (pad.hasTemplates()) {
            cleanPad.print("pad_clean_heads");
            noisyPad.print("pad_noisy_heads");
            for (qsizetype w = 0; w < wrongNames.size(); ++w) {
                wrongModel[w].print(wrongNames[w] + "_heads");
                wrongPad[w].print("pad_" + wrongNames[w] + "_heads");
            }
        }
    }
    if (!mousePath.isEmpty()) {
        Tally model, withTemplates;
        for (const auto &[kanji, drawing] : recordedDrawings(mousePath)) {
            const std::function<bool(QChar)> accept = haveHeads ? std::function<bool(QChar)>(isHead) : nullptr;
            model.add(recognizer.recognize(drawing, 10, accept), kanji);
            withTemplates.add(pad.recognize(drawing, 10, accept), kanji);
        }
        print("mouse_recorded_drawings", model.total);
        model.print("mouse_recorded");
        withTemplates.print("pad_mouse_recorded");
    }
    for (auto [name, ms] : {std::pair("recognize_ms_per_stroke", &strokeMs), std::pair("model_ms_per_stroke", &modelStrokeMs)}) {
        std::sort(ms->begin(), ms->end());
        if (!ms->empty()) {
            print(QByteArray(name + QByteArray("_median")).constData(), (*ms)[ms->size() / 2]);
            print(QByteArray(name + QByteArray("_p95")).constData(), (*ms)[ms->size() * 95 / 100]);
        }
    }
    std::vector<double> openMs;
    double rss = -1;
    for (int i = 0; i < 5; ++i) {
        const QList<QByteArray> probe = padProbe();
        if (probe.size() == 2) {
            openMs.push_back(probe[0].toDouble());
            rss = std::max(rss, probe[1].toDouble());
        }
    }
    if (!openMs.empty()) {
        std::sort(openMs.begin(), openMs.end());
        print("pad_open_ms", openMs[openMs.size() / 2]);
        print("pad_peak_rss_mb", rss);
    }
    return 0;
}
