#pragma once
#include <QFrame>
#include <QImage>
#include <QPainter>

// A picture area with a persistent drawing surface: what is drawn on the
// surface stays, whether the area is covered, hidden or never shown.
class PictureBox : public QFrame
{
    Q_OBJECT
public:
    explicit PictureBox(QWidget *parent = nullptr);

    const QImage &surface() const { return m_surface; }
    // Replaces the surface, e.g. with a picture loaded from the resources.
    void setSurface(const QImage &image);
    // A blank surface the size of the client area.
    void clearSurface(const QColor &color);

    // Copies the rectangle (0, 0, size) of source's surface onto this
    // surface at `at`, combining source and destination by op (a raster
    // operation). Parts of the rectangle beyond source's surface change nothing.
    void bitBlt(QPoint at, const PictureBox &source, QSize size, QPainter::CompositionMode op);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QImage m_surface;
};
