// tolvo-bench-handwriting: how well the kanji pad's recogniser reads the
// jōyō kanji, drawn from stroke data that nobody here wrote (Make Me a
// Hanzi's stroke centre lines, npm's hanzi-writer-data). One "name value"
// line per figure.
//   --data DIR       the hanzi-writer-data folder (one JSON per character)
//   --kanjidic FILE  KANJIDIC (EUC-JP), for the jōyō list (grades 1 to 8)
//   --model FILE     the Zinnia model
//   -d FILE          a dictionary: also count with its heads alone
// Then, from tolvo-guiprobe, the pad's opening time and the program's peak
// memory with the pad used.
#include "dictionary/dictionary.h"
#include "kanjipad/handwriting.h"

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
                     dictionaryPath;
    const QStringList args = app.arguments();
    for (qsizetype i = 1; i + 1 < args.size(); ++i) {
        if (args[i] == u"--data")
            dataDir = args[++i];
        else if (args[i] == u"--kanjidic")
            kanjidic = args[++i];
        else if (args[i] == u"--model")
            model = args[++i];
        else if (args[i] == u"-d")
            dictionaryPath = args[++i];
    }
    HandwritingRecognizer recognizer(model);
    if (dataDir.isEmpty() || !recognizer.load()) {
        fprintf(stderr, "usage: tolvo-bench-handwriting --data DIR [--kanjidic FILE] [--model FILE] [-d DICTIONARY]\n"
                        "(the model %s must be readable)\n", qPrintable(model));
        return 2;
    }
    const QString jouyou = jouyouKanji(kanjidic);
    std::vector<bool> head(65536, false);
    DictionaryStore dictionary;
    const bool haveHeads = !dictionaryPath.isEmpty() && readDictionaryFile(dictionaryPath, dictionary) == DictionaryLoad::Loaded;
    for (qint32 n = 0; haveHeads && n < dictionary.lineCount(); ++n)
        head[dictionary.firstUnits()[n]] = true;
    const auto isHead = [&head](QChar c) { return bool(head[c.unicode()]); };

    Tally cleanRaw, cleanNorm, noisyRaw, noisyNorm, cleanHeads, noisyHeads;
    std::vector<double> strokeMs;   // the pad recognises the drawing so far after every stroke
    int withData = 0;
    for (QChar kanji : jouyou) {
        const Drawing m = medians(dataDir, kanji);
        if (m.isEmpty())
            continue;
        ++withData;
        QRandomGenerator rng(20 + kanji.unicode());
        const Drawing c = clean(m), n = mouseLike(m, rng);
        cleanRaw.add(recognizer.classify(unnormalized(c), 10), kanji);
        noisyRaw.add(recognizer.classify(unnormalized(n), 10), kanji);
        cleanNorm.add(recognizer.recognize(c, 10), kanji);
        if (withData % 10 == 1) {
            for (qsizetype k = 1; k <= n.size(); ++k) {
                QElapsedTimer timer;
                timer.start();
                recognizer.recognize(n.first(k), 20, haveHeads ? std::function<bool(QChar)>(isHead) : nullptr);
                strokeMs.push_back(double(timer.nsecsElapsed()) / 1e6);
            }
        }
        noisyNorm.add(recognizer.recognize(n, 10), kanji);
        if (haveHeads && isHead(kanji)) {
            cleanHeads.add(recognizer.recognize(c, 10, isHead), kanji);
            noisyHeads.add(recognizer.recognize(n, 10, isHead), kanji);
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
    }
    std::sort(strokeMs.begin(), strokeMs.end());
    if (!strokeMs.empty()) {
        print("recognize_ms_per_stroke_median", strokeMs[strokeMs.size() / 2]);
        print("recognize_ms_per_stroke_p95", strokeMs[strokeMs.size() * 95 / 100]);
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
