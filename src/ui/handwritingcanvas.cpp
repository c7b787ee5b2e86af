#include "ui/handwritingcanvas.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

HandwritingCanvas::HandwritingCanvas(QWidget *parent) : QWidget(parent)
{
    setFixedSize(kSide, kSide);
    setCursor(Qt::CrossCursor);
    // Keys typed here go to the pad, which moves them to the reading field.
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void HandwritingCanvas::focusInEvent(QFocusEvent *event)
{
    QWidget::focusInEvent(event);
    update();
}

void HandwritingCanvas::focusOutEvent(QFocusEvent *event)
{
    QWidget::focusOutEvent(event);
    update();
}

void HandwritingCanvas::undoStroke()
{
    takeStrokes(1);
}

void HandwritingCanvas::clearDrawing()
{
    takeStrokes(m_drawing.size());
}

void HandwritingCanvas::takeStrokes(qsizetype count)
{
    if (m_drawing.isEmpty())
        return;
    m_drawing.resize(m_drawing.size() - std::min(count, m_drawing.size()));
    m_drawingStroke = false;
    update();
    emit drawingChanged(m_drawing);
}

void HandwritingCanvas::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.fillRect(rect(), isEnabled() ? Qt::white : palette().color(QPalette::Window));
    // With the keys, the square's frame shows they are here.
    if (hasFocus()) {
        p.setPen(QPen(palette().color(QPalette::Highlight), 2));
        p.drawRect(QRectF(rect()).adjusted(1, 1, -1, -1));
    } else {
        p.setPen(palette().color(QPalette::Mid));
        p.drawRect(rect().adjusted(0, 0, -1, -1));
    }
    // The centre lines of a practice sheet help place the parts of a kanji.
    p.setPen(QPen(palette().color(QPalette::Midlight), 1, Qt::DashLine));
    p.drawLine(width() / 2, 1, width() / 2, height() - 2);
    p.drawLine(1, height() / 2, width() - 2, height() / 2);

    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::black, 5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    for (const Stroke &stroke : m_drawing) {
        if (stroke.size() == 1) {
            p.drawPoint(stroke.first());
            continue;
        }
        QPainterPath path(stroke.first());
        for (qsizetype i = 1; i < stroke.size(); ++i)
            path.lineTo(stroke[i]);
        p.drawPath(path);
    }
}

void HandwritingCanvas::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return QWidget::mousePressEvent(event);
    m_drawing.append(Stroke{event->position()});
    m_drawingStroke = true;
    update();
}

void HandwritingCanvas::mouseMoveEvent(QMouseEvent *event)
{
    if (!m_drawingStroke || !(event->buttons() & Qt::LeftButton))
        return QWidget::mouseMoveEvent(event);
    // Outside the square the stroke goes on along its edge.
    const QPointF at(std::clamp(event->position().x(), 0.0, double(width() - 1)),
                     std::clamp(event->position().y(), 0.0, double(height() - 1)));
    if (at != m_drawing.last().last()) {
        m_drawing.last().append(at);
        update();
    }
}

void HandwritingCanvas::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton || !m_drawingStroke)
        return QWidget::mouseReleaseEvent(event);
    m_drawingStroke = false;
    emit drawingChanged(m_drawing);
}
