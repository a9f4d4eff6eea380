#pragma once

#include "format/DisplayCodes.h"

#include <algorithm>
#include <array>
#include <cstdint>

// One cell of the loader's text screen: the byte it shows and its
// attribute (background digit in the high nibble, foreground in the low).
struct Cell {
    std::uint8_t byte = ' ';
    std::uint8_t attribute = 0x07;
    bool operator==(const Cell&) const = default;
};

// An attribute's colour digits.
constexpr int BackgroundOf(std::uint8_t attribute) { return attribute >> 4; }
constexpr int ForegroundOf(std::uint8_t attribute) { return attribute & 0x0F; }

struct Spot {
    int column = 0;
    int row = 0;
    bool operator==(const Spot&) const = default;
};

// The 80 x 25 screen a display file draws, as a drawing holds it. A new
// screen is blank in colour 07, as the loader's is.
struct Screen {
    static constexpr int Columns = TextScreen::Columns;
    static constexpr int Rows = TextScreen::Rows;

    std::array<Cell, Columns * Rows> cells {};

    Cell& At(int column, int row) { return cells[static_cast<size_t>(row * Columns + column)]; }
    const Cell& At(int column, int row) const { return cells[static_cast<size_t>(row * Columns + column)]; }
    Cell& At(Spot spot) { return At(spot.column, spot.row); }
    const Cell& At(Spot spot) const { return At(spot.column, spot.row); }
    bool operator==(const Screen&) const = default;
};

// A rectangle of cells, corners included.
struct CellRect {
    Spot from;
    Spot to;
    static CellRect Spanning(Spot a, Spot b);
    int Width() const { return to.column - from.column + 1; }
    int Height() const { return to.row - from.row + 1; }
    bool operator==(const CellRect&) const = default;
};

inline CellRect CellRect::Spanning(Spot a, Spot b)
{
    return { { std::min(a.column, b.column), std::min(a.row, b.row) },
        { std::max(a.column, b.column), std::max(a.row, b.row) } };
}
