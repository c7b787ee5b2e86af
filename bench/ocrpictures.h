#pragma once
// Puzzle pictures drawn for measuring and testing the picture reader: the
// letters round a centre in one of four styles, with their arrows drawn as
// characters or as lines. Needs a QGuiApplication (fonts).
#include "search/puzzle.h"

#include <QImage>
#include <QString>

namespace ocrpictures {

enum class Style { GothicCross, MinchoFlower, Caption, Photo };
inline constexpr Style kStyles[] = {Style::GothicCross, Style::MinchoFlower, Style::Caption, Style::Photo};
QString styleName(Style style);

struct Sketch {
    Style style = Style::GothicCross;
    Puzzle puzzle;           // letters and arrows; 4 letters draw a cross, more a flower
    int em = 48;             // pixels per kanji
    bool arrowCharacters = true;   // → ← … rather than lines with heads
    quint32 seed = 1;        // the photo's tilt, light and blur
    QString family;          // another font for every letter and arrow, else IPA Gothic or Mincho
};

QImage draw(const Sketch &sketch);

} // namespace ocrpictures
