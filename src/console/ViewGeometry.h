#pragma once

#include "ConsoleTypes.h"

#include <vector>

// The console view's geometry as pure functions of the view's measures, so
// that each rule can be checked on its own.

struct ViewMeasures {
    PixelRect client; // the window's client rectangle
    CellPair cellSize; // pixels
    CellPair clientCells; // whole cells that fit the client rectangle
    int overhang = 0; // pixels a glyph may reach past its cell
};

// What moving the view's origin does to the window.
struct ScrollPlan {
    int dx = 0; // pixels the picture moves
    int dy = 0;
    PixelRect clip; // the pixels that move lie inside it
    // Invalidated and repainted at once, one after the other.
    std::vector<PixelRect> repaints;
};

// The origin moves from `from` to `to` (both clamped already, and different):
// the whole client area moves, less the overhang strip on the left when the
// view goes right and less the partial bottom row when it goes down; what
// the move uncovers is repainted, the partial row and the overhang strip
// as a second step.
ScrollPlan PlanScroll(CellPair from, CellPair to, const ViewMeasures& view);

// The part of clip that a move of (dx, dy) leaves without picture: a strip
// per axis, or all of clip when both axes move.
PixelRect Uncovered(const PixelRect& clip, int dx, int dy);

// Cells [firstColumn, endColumn) × [firstRow, endRow) that a clip box in grid
// pixels touches, a glyph's overhang included, never left of the origin's
// column and never outside a cols × rows grid.
struct CellSpan {
    int firstColumn = 0;
    int endColumn = 0;
    int firstRow = 0;
    int endRow = 0;
    bool operator==(const CellSpan&) const = default;
};
CellSpan CellsInClip(const PixelRect& clip, CellPair cellSize, int overhang, int originColumn, int cols, int rows);

// The client pixels of cells [from, to) on a screen row, widened by the overhang.
PixelRect CellRunRect(int from, int to, int row, CellPair origin, CellPair cellSize, int overhang);
