#include "ui/flowerarrows.h"
#include "ui/letterbox.h"

#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QToolTip>
#include <QtMath>

using namespace Qt::StringLiterals;

namespace {

// Sized for the gap of 11 to 19 pixels between a box and the answer label.
constexpr qreal kLength = 12;
constexpr qreal kHeadLength = 6;
constexpr qreal kHeadHalfWidth = 4.5;
constexpr qreal kShaftWidth = 2;
constexpr qreal kSpotRadius = 8;

// How far from its centre a ray along unit leaves rect.
qreal exitDistance(const QRectF &rect, QPointF unit)
{
    const qreal x = qAbs(unit.x()) > 1e-9 ? rect.width() / 2 / qAbs(unit.x()) : qInf();
    const qreal y = qAbs(unit.y()) > 1e-9 ? rect.height() / 2 / qAbs(unit.y()) : qInf();
    return qMin(x, y);
}

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

QPointF FlowerArrows::outward(int box) const
{
    const QPointF d = QRectF(m_boxes[box]->geometry()).center() - QRectF(m_centre->geometry()).center();
    return d / qHypot(d.x(), d.y());
}

QPointF FlowerArrows::spot(int box) const
{
    const QRectF inner = m_centre->geometry();
    const QRectF outer = m_boxes[box]->geometry();
    const QPointF unit = outward(box);
    const QPointF d = outer.center() - inner.center();
    // Halfway across the gap between the answer label and the box.
    const qreal from = exitDistance(inner, unit);
    const qreal to = qHypot(d.x(), d.y()) - exitDistance(outer, unit);
    return inner.center() + unit * ((from + to) / 2);
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
    const QColor color = palette().color(QPalette::Highlight);
    for (int i = 0; i < kLetterBoxCount; ++i) {
        const Arrow arrow = m_boxes[i]->arrow();
        if (arrow == Arrow::None)
            continue;
        // Along the line from the box to the centre; the tip at the end the word reads toward.
        const QPointF unit = arrow == Arrow::LetterFirst ? -outward(i) : outward(i);
        const QPointF across(-unit.y(), unit.x());
        const QPointF tip = spot(i) + unit * (kLength / 2);
        const QPointF base = tip - unit * kHeadLength;
        p.setPen(QPen(color, kShaftWidth, Qt::SolidLine, Qt::FlatCap));
        p.drawLine(tip - unit * kLength, base);
        QPainterPath head;
        head.moveTo(tip);
        head.lineTo(base + across * kHeadHalfWidth);
        head.lineTo(base - across * kHeadHalfWidth);
        head.closeSubpath();
        p.fillPath(head, color);
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
