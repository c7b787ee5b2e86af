#pragma once
#include "kanjipad/handwriting.h"

#include <QWidget>

// The kanji pad's square to draw on. A pen and a finger reach it as the
// mouse events Qt makes of them; every finished stroke, undone stroke and
// clearing is announced with the drawing as it then stands.
class HandwritingCanvas : public QWidget
{
    Q_OBJECT
public:
    explicit HandwritingCanvas(QWidget *parent = nullptr);

    const Drawing &drawing() const { return m_drawing; }
    QSize sizeHint() const override { return {kSide, kSide}; }

    static constexpr int kSide = 260;

public slots:
    void undoStroke();
    void clearDrawing();

signals:
    void drawingChanged(const Drawing &drawing);

protected:
    void paintEvent(QPaintEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    // The last `count` strokes, or as many as there are.
    void takeStrokes(qsizetype count);

    Drawing m_drawing;
    bool m_drawingStroke = false;
};
