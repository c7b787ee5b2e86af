// The recogniser: where a drawing lands in the model's square, a few kanji
// drawn from strokes of our own, and a model that is missing or broken.
#include "kanjipad/handwriting.h"
#include "kanjipad/strokematch.h"

#include <QFile>
#include <QLineF>
#include <QRectF>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// "x,y x,y|x,y ...": strokes split by |, in a 100-unit box.
Drawing parse(const QString &text, double scale = 1, QPointF offset = {})
{
    Drawing drawing;
    for (const QString &stroke : text.split(u'|', Qt::SkipEmptyParts)) {
        Stroke points;
        for (const QString &point : stroke.split(u' ', Qt::SkipEmptyParts))
            points.append(QPointF(point.section(u',', 0, 0).toDouble(), point.section(u',', 1, 1).toDouble()) * scale
                          + offset);
        drawing.append(points);
    }
    return drawing;
}

QRectF bounds(const Drawing &drawing)
{
    // QRectF::united passes over rectangles of no width or height.
    QPointF low(qInf(), qInf()), high(-qInf(), -qInf());
    for (const Stroke &stroke : drawing) {
        for (const QPointF &p : stroke) {
            low = QPointF(std::min(low.x(), p.x()), std::min(low.y(), p.y()));
            high = QPointF(std::max(high.x(), p.x()), std::max(high.y(), p.y()));
        }
    }
    return QRectF(low, high);
}

// Each kanji as a person might draw it with a mouse: a few points a stroke.
const struct {
    const char16_t *kanji;
    const char16_t *strokes;
} kFixture[] = {
    {u"一", u"10,52 50,49 90,50"},
    {u"十", u"10,45 90,44|50,8 51,50 50,94"},
    {u"山", u"50,8 50,80|15,35 15,86 85,86|85,30 85,86"},
    {u"川", u"22,12 22,50 18,75 8,92|50,22 50,80|80,8 80,50 80,94"},
    {u"出", u"22,20 22,45 78,45|78,14 78,45|50,5 50,92|18,58 18,92 82,92|82,55 82,92"},
};

} // namespace

class TestHandwriting : public QObject
{
    Q_OBJECT
private slots:
    void placement_data()
    {
        QTest::addColumn<QString>("strokes");
        QTest::addColumn<QRectF>("expected");
        // Margin 0.2 of 1000: the longer side spans 200 to 800.
        QTest::newRow("square shape fills the inner square") << u"0,0 10,10|10,0 0,10"_s << QRectF(200, 200, 600, 600);
        QTest::newRow("wide shape keeps its shape, centred") << u"0,0 40,0 40,10"_s << QRectF(200, 425, 600, 150);
        QTest::newRow("tall shape keeps its shape, centred") << u"5,0 5,40|0,40 10,40"_s << QRectF(425, 200, 150, 600);
        QTest::newRow("a level line has no height") << u"3,7 13,7"_s << QRectF(200, 500, 600, 0);
        QTest::newRow("a lone dot lands in the middle") << u"4,4"_s << QRectF(500, 500, 0, 0);
    }
    void placement()
    {
        QFETCH(QString, strokes);
        QFETCH(QRectF, expected);
        const QRectF box = bounds(normalizedDrawing(parse(strokes)));
        for (auto [got, want] : {std::pair(box.left(), expected.left()), std::pair(box.top(), expected.top()),
                                 std::pair(box.right(), expected.right()), std::pair(box.bottom(), expected.bottom())})
            QVERIFY2(std::abs(got - want) < 1e-6, qPrintable(u"%1 for %2"_s.arg(got).arg(want)));
    }

    // Where and how large it was drawn makes no difference.
    void sameWhereverDrawn_data()
    {
        QTest::addColumn<double>("scale");
        QTest::addColumn<QPointF>("offset");
        QTest::newRow("small in a corner") << 0.3 << QPointF(200, 190);
        QTest::newRow("large, off the canvas") << 4.0 << QPointF(-50, 30);
    }
    void sameWhereverDrawn()
    {
        QFETCH(double, scale);
        QFETCH(QPointF, offset);
        const Drawing plain = normalizedDrawing(parse(QString::fromUtf16(kFixture[4].strokes)));
        const Drawing moved = normalizedDrawing(parse(QString::fromUtf16(kFixture[4].strokes), scale, offset));
        QCOMPARE(moved.size(), plain.size());
        for (qsizetype s = 0; s < plain.size(); ++s) {
            QCOMPARE(moved[s].size(), plain[s].size());
            for (qsizetype i = 0; i < plain[s].size(); ++i)
                QVERIFY((moved[s][i] - plain[s][i]).manhattanLength() < 1e-6);
        }
    }

    // Many uneven mouse points become even steps; the ends stay where the pen went down and up.
    void resampled()
    {
        Stroke shaky;
        for (int x = 0; x <= 300; x += 1 + x % 7)
            shaky.append(QPointF(x, 100 + (x % 2 ? 1.5 : -1.5)));
        shaky.append(QPointF(300, 100));
        const Stroke even = normalizedDrawing({shaky}).first();
        QVERIFY(even.size() < shaky.size() / 3);
        for (qsizetype i = 1; i < even.size(); ++i)
            QVERIFY(QLineF(even[i - 1], even[i]).length() <= kModelSquare / 25 + 1e-6);
        QCOMPARE(even.first(), QPointF(200, 497));
        QCOMPARE(even.last(), QPointF(800, 500));
    }

    void recognized_data()
    {
        QTest::addColumn<QString>("kanji");
        QTest::addColumn<QString>("strokes");
        QTest::addColumn<double>("scale");
        QTest::addColumn<QPointF>("offset");
        for (const auto &k : kFixture) {
            const QString kanji = QString::fromUtf16(k.kanji);
            const QString strokes = QString::fromUtf16(k.strokes);
            QTest::addRow("%s", qPrintable(kanji)) << kanji << strokes << 2.6 << QPointF(0, 0);
            QTest::addRow("%s small, off-centre", qPrintable(kanji)) << kanji << strokes << 0.8 << QPointF(150, 20);
        }
    }
    void recognized()
    {
        QFETCH(QString, kanji);
        QFETCH(QString, strokes);
        QFETCH(double, scale);
        QFETCH(QPointF, offset);
        HandwritingRecognizer recognizer(HandwritingRecognizer::defaultModelPath());
        if (!recognizer.load())
            QSKIP("the tegaki-zinnia-japanese model is not installed");
        const QList<QChar> found = recognizer.recognize(parse(strokes, scale, offset), 10);
        QCOMPARE(found.size(), 10);
        QVERIFY2(found.indexOf(kanji[0]) >= 0 && found.indexOf(kanji[0]) < 3,
                 qPrintable(QString(found.constData(), found.size())));
    }

    // The pad offers dictionary heads only: a filter must still leave ten.
    void filtered()
    {
        HandwritingRecognizer recognizer(HandwritingRecognizer::defaultModelPath());
        if (!recognizer.load())
            QSKIP("the tegaki-zinnia-japanese model is not installed");
        const Drawing yama = parse(QString::fromUtf16(kFixture[2].strokes));
        const QList<QChar> found = recognizer.recognize(yama, 10, [](QChar c) { return c != u'山' && c.unicode() >= 0x4E00; });
        QCOMPARE(found.size(), 10);
        QVERIFY(!found.contains(u'山'));
        QVERIFY(std::all_of(found.begin(), found.end(), [](QChar c) { return c.unicode() >= 0x4E00; }));
    }

    // The templates alone, without Zinnia's help: any order and direction,
    // two strokes drawn as one, one drawn as two.
    void anyOrder_data()
    {
        QTest::addColumn<QString>("kanji");
        QTest::addColumn<QString>("strokes");
        QTest::newRow("山 in order") << u"山"_s << u"50,8 50,80|15,35 15,86 85,86|85,30 85,86"_s;
        QTest::newRow("山 last stroke first, all backwards") << u"山"_s << u"85,86 85,30|85,86 15,86 15,35|50,80 50,8"_s;
        QTest::newRow("山 its corner lifted") << u"山"_s << u"15,35 15,86|15,86 85,86|50,8 50,80|85,30 85,86"_s;
        QTest::newRow("十 upright first") << u"十"_s << u"50,94 51,50 50,8|10,45 90,44"_s;
        QTest::newRow("川 backwards") << u"川"_s << u"8,92 18,75 22,50 22,12|50,80 50,22|80,94 80,50 80,8"_s;
        QTest::newRow("出 shuffled") << u"出"_s << u"50,5 50,92|82,55 82,92|22,20 22,45 78,45|18,58 18,92 82,92|78,14 78,45"_s;
        QTest::newRow("出 two strokes joined")
            << u"出"_s << u"22,20 22,45 78,45 78,14 78,45|50,5 50,92|18,58 18,92 82,92|82,55 82,92"_s;
    }
    void anyOrder()
    {
        QFETCH(QString, kanji);
        QFETCH(QString, strokes);
        StrokeTemplates templates;
        if (!templates.load(QStringLiteral(TOLVO_BIN_DIR "/tolvo.strokes")))
            QSKIP("tolvo.strokes has not been built");
        const QList<QChar> found = templates.rank(parse(strokes), {}, 10);
        QVERIFY2(!found.isEmpty() && found.first() == kanji[0], qPrintable(QString(found.constData(), found.size())));
    }

    // Many strokes in a wild order, half of them backwards, on a sloping
    // and squashed kanji with its stroke ends off by up to 6 % of it: the
    // pairing in full finds it, but a pre-filter that keeps too few
    // candidates for it, or drops one it must not, loses it.
    void scrambled_data()
    {
        QTest::addColumn<QString>("kanji");
        QTest::newRow("紙, 10 strokes") << u"紙"_s;
        QTest::newRow("夢, 13 strokes") << u"夢"_s;
        QTest::newRow("影, 15 strokes") << u"影"_s;
        QTest::newRow("爵, 17 strokes") << u"爵"_s;
    }
    void scrambled()
    {
        QFETCH(QString, kanji);
        StrokeTemplates templates;
        if (!templates.load(QStringLiteral(TOLVO_BIN_DIR "/tolvo.strokes")))
            QSKIP("tolvo.strokes has not been built");
        const QList<StrokeTemplates::Segment> segments = templates.strokes(kanji[0]);
        const double turn = qDegreesToRadians(4.0);
        const auto place = [&](double x, double y) {
            x -= 0.5;
            y -= 0.5;
            return QPointF(115 * (x * std::cos(turn) - y * std::sin(turn)), 87 * (x * std::sin(turn) + y * std::cos(turn)));
        };
        // The template's odd strokes, then its even ones backwards.
        Drawing drawing;
        const qsizetype half = (segments.size() + 1) / 2;
        for (qsizetype i = 0; i < segments.size(); ++i) {
            const qsizetype k = i < half ? 2 * i : 2 * (i - half) + 1;
            const StrokeTemplates::Segment &s = segments[k];
            Stroke stroke{place(s.x1 + 0.06 * std::sin(7.3 * k), s.y1 + 0.06 * std::cos(5.1 * k)),
                          place(s.x2 + 0.06 * std::sin(3.7 * k + 1), s.y2 + 0.06 * std::cos(2.9 * k + 2))};
            if (k % 2)
                std::reverse(stroke.begin(), stroke.end());
            drawing.append(stroke);
        }
        const QList<QChar> found = templates.rank(drawing, {}, 10);
        QVERIFY2(!found.isEmpty() && found.first() == kanji[0], qPrintable(QString(found.constData(), found.size())));
    }

    void unusableModel_data()
    {
        QTest::addColumn<QByteArray>("contents");   // empty: no file at all
        QTest::addColumn<int>("state");
        QTest::newRow("missing") << QByteArray() << int(HandwritingRecognizer::State::Missing);
        QTest::newRow("not a model") << QByteArray("not a zinnia model\n").repeated(100)
                                     << int(HandwritingRecognizer::State::Unreadable);
        QTest::newRow("empty file") << QByteArray("\0", 0) << int(HandwritingRecognizer::State::Unreadable);
    }
    void unusableModel()
    {
        QFETCH(QByteArray, contents);
        QFETCH(int, state);
        QTemporaryDir dir;
        const QString path = dir.filePath(u"handwriting-ja.model"_s);
        if (state != int(HandwritingRecognizer::State::Missing)) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(contents);
        }
        HandwritingRecognizer recognizer(path);
        QCOMPARE(int(recognizer.state()), int(HandwritingRecognizer::State::NotLoaded));
        QVERIFY(!recognizer.load());
        QCOMPARE(int(recognizer.state()), state);
        QVERIFY(recognizer.recognize(parse(QString::fromUtf16(kFixture[2].strokes)), 10).isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestHandwriting)
#include "tst_handwriting.moc"
