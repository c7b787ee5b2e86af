#pragma once
// Finds a puzzle's letters in a picture without reading them: the ink, its
// connected pieces, the centre, and one cell per letter in the angular
// sector it occupies around the centre, with the arrow drawn between the
// letter and the centre. QtGui for QImage; no text engine.
#include "search/arrows.h"

#include <QImage>
#include <QList>
#include <QPointF>
#include <QRect>

namespace picture {

struct Cell {
    // The letter alone, dark on white, straightened, its em about emPixels
    // high with a margin around it; what a text engine reads.
    QImage glyph;
    QRect box;              // where the letter is, in the picture's pixels
    Arrow arrow = Arrow::None;
    bool flatStroke = false;   // one flat stroke alone: 一
};

struct CellLayout {
    enum class Outcome { Found, NoPuzzle, TooFew, TooMany };
    Outcome outcome = Outcome::NoPuzzle;
    QPointF centre;
    QList<Cell> cells;   // clockwise from the top
    int sectors = 0;     // letter sectors seen, also when there are too many
};

inline constexpr int kEmPixels = 32;
inline constexpr int kMinLetters = 2;
inline constexpr int kMaxLetters = 6;

// The picture as it is (any format, alpha over white). Cost grows with the
// pixels; callers keep pictures within a size limit.
CellLayout findCells(const QImage &image);

} // namespace picture
