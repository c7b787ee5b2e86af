#include "ui/flowerarrows.h"
#include "ui/letterbox.h"

#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QToolTip>
#include <QtMath>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

// Fitted to the flower picture: between each box and the outline of the petal
// around it (or of the hexagon) runs a strip of white about 11 px wide. The
// arrow fills the middle of that strip, a pixel clear of both lines, so it
// is never read as part of the drawing.
constexpr qreal kOffset = 5.5;        // from the box's side facing the answer to the arrow's middle
constexpr qreal kSlide = 3;           // at most, along that side toward the answer, off the petal's bulge
constexpr qreal kLength = 8;
constexpr qreal kHeadLength = 4;      // half: a short, wide head reads as one at this size
constexpr qreal kHeadHalfWidth = 4.5;
constexpr qreal kShaftHalfWidth = 1.5;
constexpr qreal kSpotRadius = 8;
// Dark red: the petals are white whatever the theme, and the boxes beside it
// show the selection in the highlight's blue, which the arrow must not join.
constexpr QColor kColor(0xa0, 0x00, 0x20);

Arrow nextArrow(Arrow arrow)
{
    switch (arrow) {
    case Arrow::None:
        return Arrow::LetterFirst;
    case Arrow::LetterFirst:
        return Arrow::AnswerFirst;
    case Arrow::AnswerFirst:
        break;
    }
    return Arrow::None;
}

} // namespace

FlowerArrows::FlowerArrows(const std::array<LetterBox *, kLetterBoxCount> &boxes, const QWidget *centre,
                           QWidget *parent)
    : QWidget(parent), m_boxes(boxes), m_centre(centre)
{
    setGeometry(parent->rect());
    lower();
    setMouseTracking(true);
    for (LetterBox *box : m_boxes)
        connect(box, &LetterBox::arrowChanged, this, qOverload<>(&QWidget::update));
}

QPointF FlowerArrows::inward(int box) const
{
    const QPointF d = QRectF(m_centre->geometry()).center() - spot(box);
    return d / qHypot(d.x(), d.y());
}

QPointF FlowerArrows::spot(int box) const
{
    const QRectF outer = m_boxes[box]->geometry();
    const QPointF answer = QRectF(m_centre->geometry()).center();
    const QPointF d = answer - outer.center();
    // The side the line to the answer leaves the box through, its middle, and
    // the way along it toward the answer.
    QPointF middle;
    QPointF away;
    QPointF along;
    if (qAbs(d.y()) * outer.width() >= qAbs(d.x()) * outer.height()) {
        middle = QPointF(outer.center().x(), d.y() > 0 ? outer.bottom() : outer.top());
        away = QPointF(0, d.y() > 0 ? 1 : -1);
        along = QPointF(1, 0);
    } else {
        middle = QPointF(d.x() > 0 ? outer.right() : outer.left(), outer.center().y());
        away = QPointF(d.x() > 0 ? 1 : -1, 0);
        along = QPointF(0, 1);
    }
    const qreal slide = std::clamp(QPointF::dotProduct(answer - middle, along), -kSlide, kSlide);
    return middle + away * kOffset + along * slide;
}

int FlowerArrows::boxAt(QPointF at) const
{
    for (int i = 0; i < kLetterBoxCount; ++i) {
        const QPointF d = at - spot(i);
        if (QPointF::dotProduct(d, d) <= kSpotRadius * kSpotRadius)
            return i;
    }
    return -1;
}

LetterBox *FlowerArrows::activeBoxAt(QPointF at) const
{
    const int box = boxAt(at);
    return box >= 0 && m_boxes[box]->isEnabled() ? m_boxes[box] : nullptr;
}

void FlowerArrows::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    for (int i = 0; i < kLetterBoxCount; ++i) {
        const Arrow arrow = m_boxes[i]->arrow();
        if (arrow == Arrow::None)
            continue;
        // Aimed at the answer's middle; the tip at the end the word reads toward.
        const QPointF middle = spot(i);
        const QPointF unit = arrow == Arrow::LetterFirst ? inward(i) : -inward(i);
        const QPointF across(-unit.y(), unit.x());
        const QPointF tip = middle + unit * (kLength / 2);
        const QPointF base = tip - unit * kHeadLength;
        const QPointF tail = tip - unit * kLength;
        const QPolygonF shape{tail + across * kShaftHalfWidth, base + across * kShaftHalfWidth,
                              base + across * kHeadHalfWidth,  tip,
                              base - across * kHeadHalfWidth,  base - across * kShaftHalfWidth,
                              tail - across * kShaftHalfWidth};
        QPainterPath path;
        path.addPolygon(shape);
        p.fillPath(path, kColor);
    }
}

void FlowerArrows::mousePressEvent(QMouseEvent *event)
{
    LetterBox *box = event->button() == Qt::LeftButton ? activeBoxAt(event->position()) : nullptr;
    if (!box) {
        // Elsewhere the flower behaves as if this layer were not there.
        event->ignore();
        return;
    }
    box->setArrow(nextArrow(box->arrow()));
    event->accept();
}

void FlowerArrows::mouseMoveEvent(QMouseEvent *event)
{
    // Nothing is drawn at a spot without an arrow; the pointer shows it can be clicked.
    if (activeBoxAt(event->position()))
        setCursor(Qt::PointingHandCursor);
    else
        unsetCursor();
    event->ignore();
}

bool FlowerArrows::event(QEvent *event)
{
    if (event->type() == QEvent::ToolTip) {
        auto *help = static_cast<QHelpEvent *>(event);
        if (activeBoxAt(help->pos()))
            QToolTip::showText(help->globalPos(), u"クリックで矢印を切り替えます（なし → 文字が前 → 答えが前）"_s, this);
        else
            QToolTip::hideText();
        return true;
    }
    return QWidget::event(event);
}
