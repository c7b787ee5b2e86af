#include "ocrpictures.h"

#include <QBuffer>
#include <QFont>
#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRandomGenerator>

#include <cmath>
#include <numbers>

using namespace Qt::StringLiterals;

namespace ocrpictures {

QString styleName(Style style)
{
    switch (style) {
    case Style::GothicCross:
        return u"gothic"_s;
    case Style::MinchoFlower:
        return u"mincho"_s;
    case Style::Caption:
        return u"caption"_s;
    case Style::Photo:
        return u"photo"_s;
    }
    return {};
}

namespace {

QPointF along(double degrees, double r)
{
    const double a = degrees * std::numbers::pi / 180;
    return {std::sin(a) * r, -std::cos(a) * r};
}

// The arrow character closest to the direction (degrees, 0 up, clockwise).
QString arrowCharacter(double degrees)
{
    static const QString chars[] = {u"↑"_s, u"↗"_s, u"→"_s, u"↘"_s, u"↓"_s, u"↙"_s, u"←"_s, u"↖"_s};
    const int k = int(std::lround(std::fmod(degrees + 360, 360) / 45)) % 8;
    return chars[k];
}

void drawText(QPainter &p, const QString &text, const QFont &font, QPointF centre, const QColor &fill,
              const QColor &outline, double outlineWidth)
{
    QPainterPath path;
    const QFontMetricsF fm(font);
    const QRectF tight = fm.tightBoundingRect(text);
    path.addText(centre - tight.center(), font, text);
    if (outlineWidth > 0) {
        p.setPen(QPen(outline, outlineWidth, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(Qt::NoBrush);
        p.drawPath(path);
    }
    p.setPen(Qt::NoPen);
    p.setBrush(fill);
    p.drawPath(path);
}

void drawLineArrow(QPainter &p, QPointF from, QPointF to, const QColor &colour, double em, bool openHead)
{
    const QPointF d = (to - from) / std::hypot(to.x() - from.x(), to.y() - from.y());
    const QPointF n(-d.y(), d.x());
    const double head = em * 0.22;
    p.setPen(QPen(colour, std::max(1.5, em / 18), Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin));
    if (openHead) {
        p.drawLine(from, to);
        p.drawLine(to, to - d * head + n * head * 0.6);
        p.drawLine(to, to - d * head - n * head * 0.6);
    } else {
        p.drawLine(from, to - d * head * 0.8);
        p.setPen(Qt::NoPen);
        p.setBrush(colour);
        p.drawPolygon(QPolygonF{to, to - d * head + n * head * 0.55, to - d * head - n * head * 0.55});
    }
}

} // namespace

QImage draw(const Sketch &sketch)
{
    const int n = int(sketch.puzzle.letterText().size());
    const double em = sketch.em;
    const double radius = em * (n <= 4 ? 1.9 : 2.1) + (sketch.style == Style::MinchoFlower ? em * 0.3 : 0);
    const int side = int(2 * (radius + em * 1.1));
    QRandomGenerator rng(sketch.seed);
    const bool photo = sketch.style == Style::Photo;
    // The photo shows a printed page of one of the two printed styles.
    const bool mincho = sketch.style == Style::MinchoFlower || (photo && rng.bounded(2) == 0);
    const bool caption = sketch.style == Style::Caption;

    QImage image(side, side, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    if (caption) {
        QLinearGradient g(0, 0, side, side);
        g.setColorAt(0, QColor(20, 40, 110));
        g.setColorAt(1, QColor(120, 30, 60));
        p.fillRect(image.rect(), g);
    } else {
        image.fill(photo ? QColor(245, 242, 232) : Qt::white);
    }
    QFont font(!sketch.family.isEmpty() ? sketch.family : mincho ? u"IPAMincho"_s : u"IPAGothic"_s);
    font.setPixelSize(int(em));
    font.setBold(caption);
    const QColor ink = caption ? Qt::white : QColor(20, 20, 20);
    const double outline = caption ? std::max(2.0, em / 9) : 0;
    const QPointF centre(side / 2.0, side / 2.0);
    const double pen = std::max(1.0, em / 20);

    // The centre: a box, a ring or a question mark.
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(ink, pen));
    if (caption) {
        drawText(p, u"？"_s, font, centre, QColor(255, 220, 40), Qt::black, outline);
    } else if (mincho) {
        p.drawEllipse(centre, em * 0.6, em * 0.6);
    } else {
        p.drawRect(QRectF(centre - QPointF(em * 0.6, em * 0.6), QSizeF(em * 1.2, em * 1.2)));
    }

    QFont arrowFont(sketch.family.isEmpty() ? u"IPAGothic"_s : sketch.family);
    arrowFont.setPixelSize(int(em * 0.55));
    int k = 0;
    for (int i = 0; i < Puzzle::kBoxes; ++i) {
        if (sketch.puzzle.letters[size_t(i)].isNull())
            continue;
        const double angle = 360.0 * k++ / n;
        const QPointF at = centre + along(angle, radius);
        if (mincho) {
            p.setPen(QPen(ink, pen));
            p.setBrush(Qt::NoBrush);
            p.drawEllipse(at, em * 0.78, em * 0.78);
        }
        drawText(p, QString(sketch.puzzle.letters[size_t(i)]), font, at, ink, Qt::black, outline);
        const Arrow arrow = sketch.puzzle.arrows[size_t(i)];
        if (arrow == Arrow::None)
            continue;
        // Half way between the letter's inner edge (or its ring) and the centre's frame.
        const double inner = radius - em * (mincho ? 0.8 : 0.5), outer = em * 0.65;
        const QPointF mid = centre + along(angle, (inner + outer) / 2);
        const double reach = std::min(0.3 * em, (inner - outer) / 2 - 0.08 * em);
        const double towards = arrow == Arrow::LetterFirst ? angle + 180 : angle;
        if (sketch.arrowCharacters) {
            drawText(p, arrowCharacter(towards), arrowFont, mid, ink, Qt::black, outline * 0.6);
        } else {
            const QPointF half = along(towards, reach);
            if (caption)
                drawLineArrow(p, mid - half, mid + half, Qt::black, em * 1.25, sketch.seed % 3 == 0);
            drawLineArrow(p, mid - half, mid + half, ink, em, sketch.seed % 3 == 0);
        }
    }
    p.end();
    if (!photo)
        return image;

    // A photo of the page: tilted, soft, unevenly lit, saved as JPEG 40.
    const double tilt = (rng.bounded(2) ? 1 : -1) * (2 + rng.bounded(5.0));
    QImage turned(image.size(), QImage::Format_RGB32);
    turned.fill(QColor(200, 196, 186));
    QPainter t(&turned);
    t.setRenderHint(QPainter::SmoothPixmapTransform);
    t.translate(centre);
    t.rotate(tilt);
    t.translate(-centre);
    t.drawImage(0, 0, image);
    t.end();
    const double soft = 1.4 + rng.bounded(0.6);
    turned = turned.scaled(int(side / soft), int(side / soft), Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                 .scaled(side, side, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    const double lightAngle = rng.bounded(360.0) * std::numbers::pi / 180;
    for (int y = 0; y < side; ++y) {
        QRgb *line = reinterpret_cast<QRgb *>(turned.scanLine(y));
        for (int x = 0; x < side; ++x) {
            const double f = 0.62 + 0.38 * (0.5 + 0.5 * ((x - side / 2.0) * std::cos(lightAngle) + (y - side / 2.0) * std::sin(lightAngle)) / (side / 2.0));
            line[x] = qRgb(std::min(255, int(qRed(line[x]) * f)), std::min(255, int(qGreen(line[x]) * f)),
                           std::min(255, int(qBlue(line[x]) * f * 0.95)));
        }
    }
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    turned.save(&buffer, "JPEG", 40);
    return QImage::fromData(jpeg, "JPEG");
}

} // namespace ocrpictures
