#pragma once
#include "search/arrows.h"
#include "search/searchengine.h"

#include <QWidget>
#include <array>

class LetterBox;

// The arrows between the letter boxes and the answer, drawn in the root of
// each petal, beside its box: toward the centre for a letter that comes
// first, away from it for one that comes after the answer. A transparent
// layer under the boxes that paints nothing for a box without an arrow, so
// the flower looks as it always did until an arrow is set. A click on a
// box's spot turns its arrow over: none, letter first, answer first, none.
class FlowerArrows : public QWidget
{
    Q_OBJECT
public:
    // Covers its parent, under its other children; boxes and centre are
    // children of the same parent.
    FlowerArrows(const std::array<LetterBox *, kLetterBoxCount> &boxes, const QWidget *centre, QWidget *parent);

    // The middle of box's arrow, where a click turns it over.
    QPointF spot(int box) const;
    // The box whose spot is at `at`; -1 for none.
    int boxAt(QPointF at) const;

protected:
    bool event(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;

private:
    // The unit vector from box's spot toward the answer's middle.
    QPointF inward(int box) const;
    // The clickable box at `at`: enabled, like its keys and menu.
    LetterBox *activeBoxAt(QPointF at) const;

    std::array<LetterBox *, kLetterBoxCount> m_boxes;
    const QWidget *m_centre;
};
