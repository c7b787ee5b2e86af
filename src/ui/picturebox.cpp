#include "ui/picturebox.h"

#include <QPaintEvent>

PictureBox::PictureBox(QWidget *parent) : QFrame(parent)
{
}

void PictureBox::setSurface(const QImage &image)
{
    m_surface = image;
    update();
}

void PictureBox::clearSurface(const QColor &color)
{
    m_surface = QImage(contentsRect().size(), QImage::Format_RGB32);
    m_surface.fill(color);
    update();
}

void PictureBox::bitBlt(QPoint at, const PictureBox &source, QSize size, QPainter::CompositionMode op)
{
    const QRect from = QRect(QPoint(0, 0), size) & source.surface().rect();
    if (from.isEmpty() || m_surface.isNull())
        return;
    // Raster operations need 32-bit pixels on both sides.
    if (m_surface.format() != QImage::Format_RGB32)
        m_surface = m_surface.convertToFormat(QImage::Format_RGB32);
    const QImage piece = source.surface().copy(from).convertToFormat(QImage::Format_RGB32);
    QPainter p(&m_surface);
    p.setCompositionMode(op);
    p.drawImage(at, piece);
    p.end();
    update();
}

void PictureBox::paintEvent(QPaintEvent *event)
{
    QFrame::paintEvent(event);
    QPainter p(this);
    p.drawImage(contentsRect().topLeft(), m_surface);
}
