#pragma once
// A whole puzzle, as the six letter boxes hold it. Every way a puzzle
// reaches the window (a paste, a past search, a new puzzle, the kanji pad,
// start-up, and readers and makers of puzzles) hands over one of these.
// QtCore only.
#include "search/arrows.h"

#include <QChar>
#include <QString>
#include <QStringView>
#include <array>

struct Puzzle {
    static constexpr int kBoxes = 6;

    // One letter per box, clockwise from the top; QChar() for an empty box.
    std::array<QChar, kBoxes> letters{};
    std::array<Arrow, kBoxes> arrows{};
    // Letters a reader was unsure of, for the player to check.
    std::array<bool, kBoxes> doubtful{};

    // text's characters one per box from box 0, the boxes after them empty;
    // characters after the sixth find no box.
    static Puzzle fromLetters(QStringView text);

    // The letters in box order, empty boxes adding nothing.
    QString letterText() const;

    friend bool operator==(const Puzzle &, const Puzzle &) = default;
};
