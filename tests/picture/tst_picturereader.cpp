// The picture reader on the generated pictures kept in tests/data/pictures,
// and on pictures it must refuse with a message.
#include "dictionary/dictionary.h"
#include "picture/cellfinder.h"
#include "picture/picturereader.h"

#include <QBuffer>
#include <QFile>
#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

#include <cmath>

using namespace Qt::StringLiterals;
using picture::PictureError;

namespace {

QString dataDir() { return QStringLiteral(TOLVO_PICTURES); }

QByteArray png(const QImage &image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

quint32 crc32Of(const QByteArray &bytes)
{
    quint32 c = 0xffffffff;
    for (char b : bytes) {
        c ^= quint8(b);
        for (int k = 0; k < 8; ++k)
            c = (c >> 1) ^ (0xedb88320 & (0 - (c & 1)));
    }
    return ~c;
}

// A PNG whose header claims width × height, with no pixels behind it.
QByteArray pngHeader(quint32 width, quint32 height)
{
    QByteArray ihdr("IHDR");
    ihdr += QByteArray(13, '\0');
    qToBigEndian(width, ihdr.data() + 4);
    qToBigEndian(height, ihdr.data() + 8);
    ihdr[12] = 8;   // bit depth
    ihdr[13] = 2;   // RGB
    const auto chunk = [](const QByteArray &typeAndData) -> QByteArray {
        QByteArray length(4, '\0'), crc(4, '\0');
        qToBigEndian(quint32(typeAndData.size() - 4), length.data());
        qToBigEndian(crc32Of(typeAndData), crc.data());
        return QByteArray(length + typeAndData + crc);
    };
    QByteArray out("\x89PNG\r\n\x1a\n", 8);
    out += chunk(ihdr);
    out += chunk("IDAT");
    out += chunk("IEND");
    return out;
}

QFont gothic(int pixels)
{
    QFont font(u"IPAGothic"_s);
    font.setPixelSize(pixels);
    return font;
}

enum Look { Plain, Caption, Boxed, Specked, OpenHeads };

// Letters clockwise from the top round a framed centre, each with the arrow
// character nearest its way to or from the centre ('>' letter first); as a
// caption, white outlined in black on dark blue; boxed, each letter in a box
// and each arrow a line from box to box, touching both; specked, with dirt
// between the letters along the edges, as a photographed page has; with
// open heads, each arrow a short thin line with a wide open V at its tip.
QImage drawnPuzzle(const QString &letters, const QString &arrows, int em = 48, Look look = Plain)
{
    const bool caption = look == Caption;
    const int n = int(letters.size()), side = em * 7;
    QImage image(side, side, QImage::Format_RGB32);
    image.fill(caption ? QColor(20, 40, 110) : Qt::white);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const auto drawText = [&](const QRectF &box, const QString &text) {
        if (!caption)
            return p.drawText(box, Qt::AlignCenter, text);
        QPainterPath path;
        path.addText(box.center() - QFontMetricsF(p.font()).tightBoundingRect(text).center(), p.font(), text);
        p.strokePath(path, QPen(Qt::black, std::max(2.0, p.font().pixelSize() / 9.0)));
        p.fillPath(path, Qt::white);
    };
    const QPointF c(side / 2.0, side / 2.0);
    p.drawRect(QRectF(c - QPointF(em * 0.6, em * 0.6), QSizeF(em * 1.2, em * 1.2)));
    static const QString eight = u"↑↗→↘↓↙←↖"_s;
    if (look == Specked)
        for (const QPointF at : {QPointF(5.15, 0.64), QPointF(6.7, 3.5), QPointF(5.15, 6.36), QPointF(1.85, 6.36), QPointF(0.2, 3.5)})
            p.fillRect(QRectF(at * em, QSizeF(em / 6.0, em / 8.0)), Qt::black);
    for (int i = 0; i < n; ++i) {
        const double a = 2 * M_PI * i / n;
        const QPointF way(std::sin(a), -std::cos(a));
        p.setFont(gothic(em));
        drawText(QRectF(c + way * em * 2.3 - QPointF(em, em), QSizeF(2 * em, 2 * em)), letters.mid(i, 1));
        // Along way, a square's edge lies further off than its half side.
        const double edge = 1 / std::max(std::abs(way.x()), std::abs(way.y()));
        if (look == Boxed)
            p.drawRect(QRectF(c + way * em * 2.3 - QPointF(em * 0.65, em * 0.65), QSizeF(em * 1.3, em * 1.3)));
        if (arrows[i] == u'-')
            continue;
        if (look == OpenHeads) {
            const QPointF mid = c + way * em * 1.45, half = way * em * (arrows[i] == u'>' ? -0.25 : 0.25);
            const QPointF tip = mid + half, d = half / std::hypot(half.x(), half.y()), side(-d.y(), d.x());
            p.setPen(QPen(Qt::black, em / 20.0));
            p.drawLine(mid - half, tip);
            p.drawLine(tip, tip - d * em * 0.17 + side * em * 0.15);
            p.drawLine(tip, tip - d * em * 0.17 - side * em * 0.15);
            continue;
        }
        if (look == Boxed) {
            QPointF from = c + way * em * (2.3 - 0.65 * edge), to = c + way * em * 0.6 * edge;
            if (arrows[i] == u'<')
                std::swap(from, to);
            const QPointF d = (to - from) / std::hypot(to.x() - from.x(), to.y() - from.y()), side(-d.y(), d.x());
            p.setPen(QPen(Qt::black, std::max(1.5, em / 16.0)));
            p.drawLine(from, to - d * em * 0.2);
            p.setBrush(Qt::black);
            p.drawPolygon(QPolygonF{to, to - d * em * 0.28 + side * em * 0.15, to - d * em * 0.28 - side * em * 0.15});
            p.setBrush(Qt::NoBrush);
            continue;
        }
        const int towards = (int(std::lround(8.0 * i / n)) + (arrows[i] == u'>' ? 4 : 0)) % 8;
        p.setFont(gothic(em * 11 / 20));
        drawText(QRectF(c + way * em * 1.2 - QPointF(em, em), QSizeF(2 * em, 2 * em)), eight.mid(towards, 1));
    }
    return image;
}

QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class TestPictureReader : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        if (!picture::PictureReader::engineAvailable())
            QSKIP("tesseract-ocr-jpn is not installed");
        // The shipped dictionary's heads, as the program reads with.
        DictionaryStore dictionary;
        QCOMPARE(readDictionaryFile(QStringLiteral(TOLVO_BIN_DIR "/tolvo.dic"), dictionary), DictionaryLoad::Loaded);
        m_reader = std::make_unique<picture::PictureReader>(picture::allowedLetters(dictionary));
        QVERIFY(m_reader->loaded());
    }

    void generatedPictures_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("letters");
        QTest::addColumn<QString>("arrows");
        for (const QString &line : QString::fromUtf8(fileBytes(dataDir() + u"/pictures.tsv"_s)).split(u'\n')) {
            const QStringList f = line.split(u'\t');
            if (f.size() == 3 && !line.startsWith(u'#'))
                QTest::newRow(qPrintable(f[0])) << f[0] + u".png"_s << f[1] << f[2];
        }
    }
    // Each letter is read right or marked for the player to check; each
    // arrow is found with its direction, clockwise from the top.
    void generatedPictures()
    {
        QFETCH(QString, file);
        QFETCH(QString, letters);
        QFETCH(QString, arrows);
        const picture::LoadedPicture loaded = picture::loadPicture(dataDir() + u'/' + file);
        QVERIFY2(loaded.error == PictureError::None, qPrintable(loaded.message));
        const picture::PictureResult r = m_reader->read(loaded.image);
        QVERIFY2(r.ok(), qPrintable(r.message));
        QCOMPARE(r.lettersRead, letters.size());
        for (int i = 0; i < letters.size(); ++i) {
            QVERIFY2(r.puzzle.letters[size_t(i)] == letters[i] || r.puzzle.doubtful[size_t(i)],
                     qPrintable(u"box %1: %2 read as %3"_s.arg(i).arg(letters[i]).arg(r.puzzle.letters[size_t(i)])));
            QCOMPARE(arrowChar(r.puzzle.arrows[size_t(i)]), arrows[i]);
        }
        QCOMPARE(r.arrowsRead, int(letters.size() - arrows.count(u'-')));
    }

    // Drawn here: a letter the model cannot output must be marked, never
    // filled silently; and arrow characters, which come in eight directions,
    // so that a letter at 60° or 120° gets one 15–40° off the way to the
    // centre, must all be found.
    void drawnPuzzles_data()
    {
        QTest::addColumn<QString>("letters");
        QTest::addColumn<QString>("arrows");
        QTest::addColumn<int>("em");
        QTest::addColumn<Look>("look");
        // Kanji the model lacks; the last two it reads, sure, as 著 and 館.
        for (const QString &k : {u"霜"_s, u"賦"_s, u"陛"_s, u"憤"_s, u"渇"_s, u"柵"_s, u"塀"_s, u"劾"_s, u"蓍"_s, u"飴"_s})
            QTest::newRow(qPrintable(k)) << k + u"出家日"_s << u"----"_s << 48 << Plain;
        // Read alone, 茶 comes out as 菜, sure.
        QTest::newRow("茶, 36 px") << u"茶出家日"_s << u"----"_s << 36 << Plain;
        QTest::newRow("six, 48 px") << u"正満今毎曜光"_s << u"><<>><"_s << 48 << Plain;
        QTest::newRow("four, 24 px") << u"運回自移"_s << u">>>>"_s << 24 << Plain;
        QTest::newRow("caption, 24 px") << u"歌鼓台踊"_s << u">><<"_s << 24 << Caption;
        QTest::newRow("six, 32 px") << u"大豪梅降雷風"_s << u"<><><>"_s << 32 << Plain;
        // Arrows joined to the boxes they run between: one piece of ink.
        QTest::newRow("boxed, joined") << u"正満今毎曜光"_s << u"><-<>>"_s << 40 << Boxed;
        QTest::newRow("boxed, joined, four") << u"国英物単"_s << u">>><"_s << 48 << Boxed;
        // Letters with an enclosure of their own (囗 in 国, 図): no frame to erase.
        QTest::newRow("enclosed letters") << u"国図回園"_s << u">><>"_s << 48 << Plain;
        QTest::newRow("enclosed letters, six") << u"国図回園団囲"_s << u">><>--"_s << 40 << Plain;
        QTest::newRow("open heads") << u"正満今毎曜光"_s << u"><<>><"_s << 48 << OpenHeads;
        QTest::newRow("specked") << u"正満今毎曜光"_s << u"><<>><"_s << 48 << Specked;
    }
    void drawnPuzzles()
    {
        QFETCH(QString, letters);
        QFETCH(QString, arrows);
        QFETCH(int, em);
        QFETCH(Look, look);
        const picture::PictureResult r = m_reader->read(drawnPuzzle(letters, arrows, em, look));
        QVERIFY2(r.ok(), qPrintable(r.message));
        QString read;
        for (int i = 0; i < letters.size(); ++i) {
            read += arrowChar(r.puzzle.arrows[size_t(i)]);
            QVERIFY2(!r.puzzle.letters[size_t(i)].isNull(), qPrintable(u"box %1: %2 not read"_s.arg(i).arg(letters[i])));
            QVERIFY2(r.puzzle.doubtful[size_t(i)] || (r.puzzle.letters[size_t(i)] == letters[i]
                                                      && !m_reader->lackingLetters().contains(letters[i])),
                     qPrintable(u"box %1: %2 read as %3"_s.arg(i).arg(letters[i]).arg(r.puzzle.letters[size_t(i)])));
        }
        QCOMPARE(read, arrows);
    }

    void badPictures_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<PictureError>("error");
        QImage one(1, 1, QImage::Format_RGB32);
        one.fill(Qt::black);
        QImage clear(200, 200, QImage::Format_ARGB32);
        clear.fill(Qt::transparent);
        QImage grey(300, 200, QImage::Format_RGB32);
        grey.fill(QColor(128, 128, 128));
        QImage text(640, 360, QImage::Format_RGB32);
        text.fill(Qt::white);
        QPainter p(&text);
        p.setFont(gothic(16));
        for (int y = 20; y < 360; y += 22)
            p.drawText(10, y, u"漢字の問題を画像から読み取るには、文字の周りに余白が必要です。"_s);
        p.end();
        const QByteArray whole = fileBytes(dataDir() + u"/gothic-4.png"_s);
        QTest::newRow("1x1") << png(one) << PictureError::NoPuzzle;
        QTest::newRow("30000x30000 header") << pngHeader(30000, 30000) << PictureError::TooLarge;
        QTest::newRow("transparent") << png(clear) << PictureError::NoPuzzle;
        QTest::newRow("grey") << png(grey) << PictureError::NoPuzzle;
        // Refused, whichever way (None here: any refusal).
        QTest::newRow("plain text") << png(text) << PictureError::None;
        QTest::newRow("animated GIF") << fileBytes(dataDir() + u"/animated.gif"_s) << PictureError::NoPuzzle;
        QTest::newRow("truncated") << whole.first(whole.size() / 3) << PictureError::Unreadable;
        QTest::newRow("not a picture") << QByteArray("続家版露身発\n") << PictureError::Unreadable;
    }
    void badPictures()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(PictureError, error);
        const picture::LoadedPicture loaded = picture::loadPicture(bytes);
        const picture::PictureResult r = loaded.error == PictureError::None ? m_reader->read(loaded.image) : picture::PictureResult{};
        const PictureError got = loaded.error != PictureError::None ? loaded.error : r.error;
        if (error != PictureError::None)
            QCOMPARE(got, error);
        QVERIFY(!picture::errorMessage(got).isEmpty());
    }

    // A letter's cell is scaled to the engine's size; the scaled image's
    // edge must stay paper, or the engine reads a line along the letter's
    // right or bottom (none of these letters has a stroke all down or along).
    void cellEdges_data()
    {
        QTest::addColumn<int>("em");
        for (int em : {41, 54, 77})
            QTest::newRow(qPrintable(QString::number(em))) << em;
    }
    void cellEdges()
    {
        QFETCH(int, em);
        const picture::CellLayout layout = picture::findCells(drawnPuzzle(u"言寛大物"_s, u"----"_s, em));
        QCOMPARE(layout.cells.size(), 4);
        for (const picture::Cell &cell : layout.cells) {
            const QImage g = cell.glyph.convertToFormat(QImage::Format_Grayscale8);
            QRect ink;
            for (int y = 0; y < g.height(); ++y)
                for (int x = 0; x < g.width(); ++x)
                    if (g.constScanLine(y)[x] < 250)
                        ink |= QRect(x, y, 1, 1);
            int right = 0, bottom = 0;
            for (int y = ink.top(); y <= ink.bottom(); ++y)
                right += g.constScanLine(y)[ink.right()] < 250;
            for (int x = ink.left(); x <= ink.right(); ++x)
                bottom += g.constScanLine(ink.bottom())[x] < 250;
            QVERIFY2(right < ink.height() - 2 && bottom < ink.width() - 2,
                     qPrintable(u"%1 of %2 down the right, %3 of %4 along the bottom"_s.arg(right).arg(ink.height()).arg(bottom).arg(ink.width())));
        }
    }

    // Without the Japanese data the reader says which package to install.
    void engineMissing()
    {
        QTemporaryDir empty;
        QString why;
        QVERIFY(!picture::PictureReader::engineAvailable(&why, empty.path()));
        QVERIFY(why.contains(u"tesseract-ocr-jpn"_s));
        picture::PictureReader reader(u"出"_s, empty.path());
        QVERIFY(!reader.loaded());
        const picture::PictureResult r = reader.read(QImage(dataDir() + u"/gothic-4.png"_s));
        QCOMPARE(r.error, PictureError::EngineMissing);
        QCOMPARE(r.message, why);
    }

private:
    std::unique_ptr<picture::PictureReader> m_reader;
};

QTEST_MAIN(TestPictureReader)
#include "tst_picturereader.moc"
