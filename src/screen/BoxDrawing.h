#pragma once

#include "Screen.h"

#include <optional>

// The box tool's lines: code page 437's single and double line glyphs, read
// as the arms they have (up, right, down, left), so that a line drawn over
// another meets it with the right junction (┼ ╬ ╠ ╤ ...).
enum class LineStyle : std::uint8_t { None, Single, Double };

struct Arms {
    LineStyle up = LineStyle::None;
    LineStyle right = LineStyle::None;
    LineStyle down = LineStyle::None;
    LineStyle left = LineStyle::None;
    bool operator==(const Arms&) const = default;
};

// The arms of a line glyph (0xB3-0xDA); nothing for any other byte.
std::optional<Arms> ArmsOf(std::uint8_t byte);
// The glyph with these arms. Code page 437 draws each axis in one style, so
// arms that mix styles on an axis take the style given for that axis; a
// lone arm is drawn as the straight line through it. Nothing without arms.
std::optional<std::uint8_t> GlyphOf(Arms arms);

// Adds arms to a cell's line glyph (or puts one there): the added arms'
// axis takes style; the cell takes the colour when one is given.
void JoinCell(Cell& cell, Arms added, LineStyle style, std::optional<std::uint8_t> attribute = {});

// Draws a straight line from one cell to another (a row or a column; from a
// diagonal pair, along from's row, then to's column), joining every line
// glyph it crosses or touches. The cells keep their colours unless a
// colour is given.
void DrawLine(Screen& screen, Spot from, Spot to, LineStyle style, std::optional<std::uint8_t> attribute = {});
// A box's four sides over the rectangle's edge cells.
void DrawBox(Screen& screen, const CellRect& box, LineStyle style, std::optional<std::uint8_t> attribute = {});
