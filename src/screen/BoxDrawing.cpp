#include "BoxDrawing.h"

#include <map>

namespace {

constexpr LineStyle N = LineStyle::None, S = LineStyle::Single, D = LineStyle::Double;

struct Glyph {
    std::uint8_t byte;
    Arms arms;
};

// Up, right, down, left.
constexpr Glyph Glyphs[] = {
    { 0xB3, { S, N, S, N } },
    { 0xB4, { S, N, S, S } },
    { 0xB5, { S, N, S, D } },
    { 0xB6, { D, N, D, S } },
    { 0xB7, { N, N, D, S } },
    { 0xB8, { N, N, S, D } },
    { 0xB9, { D, N, D, D } },
    { 0xBA, { D, N, D, N } },
    { 0xBB, { N, N, D, D } },
    { 0xBC, { D, N, N, D } },
    { 0xBD, { D, N, N, S } },
    { 0xBE, { S, N, N, D } },
    { 0xBF, { N, N, S, S } },
    { 0xC0, { S, S, N, N } },
    { 0xC1, { S, S, N, S } },
    { 0xC2, { N, S, S, S } },
    { 0xC3, { S, S, S, N } },
    { 0xC4, { N, S, N, S } },
    { 0xC5, { S, S, S, S } },
    { 0xC6, { S, D, S, N } },
    { 0xC7, { D, S, D, N } },
    { 0xC8, { D, D, N, N } },
    { 0xC9, { N, D, D, N } },
    { 0xCA, { D, D, N, D } },
    { 0xCB, { N, D, D, D } },
    { 0xCC, { D, D, D, N } },
    { 0xCD, { N, D, N, D } },
    { 0xCE, { D, D, D, D } },
    { 0xCF, { S, D, N, D } },
    { 0xD0, { D, S, N, S } },
    { 0xD1, { N, D, S, D } },
    { 0xD2, { N, S, D, S } },
    { 0xD3, { D, S, N, N } },
    { 0xD4, { S, D, N, N } },
    { 0xD5, { N, D, S, N } },
    { 0xD6, { N, S, D, N } },
    { 0xD7, { D, S, D, S } },
    { 0xD8, { S, D, S, D } },
    { 0xD9, { S, N, N, S } },
    { 0xDA, { N, S, S, N } },
};

// Both arms of an axis in one style: the given one where they differ.
void OneStyle(LineStyle& a, LineStyle& b, LineStyle preferred)
{
    if (a != N && b != N && a != b)
        a = b = preferred;
}

}

void JoinCell(Cell& cell, Arms added, LineStyle style, std::optional<std::uint8_t> attribute)
{
    Arms arms = ArmsOf(cell.byte).value_or(Arms {});
    for (auto [to, from] : { std::pair { &arms.up, added.up }, { &arms.right, added.right }, { &arms.down, added.down },
             { &arms.left, added.left } }) {
        if (from != N)
            *to = from;
    }
    const bool horizontal = added.left != N || added.right != N;
    const bool vertical = added.up != N || added.down != N;
    OneStyle(arms.left, arms.right, horizontal ? style : arms.left);
    OneStyle(arms.up, arms.down, vertical ? style : arms.up);
    if (const std::optional<std::uint8_t> glyph = GlyphOf(arms))
        cell.byte = *glyph;
    if (attribute)
        cell.attribute = *attribute;
}

std::optional<Arms> ArmsOf(std::uint8_t byte)
{
    for (const Glyph& glyph : Glyphs) {
        if (glyph.byte == byte)
            return glyph.arms;
    }
    return std::nullopt;
}

std::optional<std::uint8_t> GlyphOf(Arms arms)
{
    OneStyle(arms.left, arms.right, arms.left);
    OneStyle(arms.up, arms.down, arms.up);
    const bool horizontal = arms.left != N || arms.right != N;
    const bool vertical = arms.up != N || arms.down != N;
    if (horizontal && !vertical && (arms.left == N || arms.right == N))
        arms.left = arms.right = std::max(arms.left, arms.right);
    if (vertical && !horizontal && (arms.up == N || arms.down == N))
        arms.up = arms.down = std::max(arms.up, arms.down);
    for (const Glyph& glyph : Glyphs) {
        if (glyph.arms == arms)
            return glyph.byte;
    }
    return std::nullopt;
}

namespace {

struct Segment {
    Spot from;
    Spot to;
};

// The lines' arms gathered per cell first, so that where lines meet (a
// box's corners) each cell is joined once, with all its arms.
void DrawSegments(
    Screen& screen, std::initializer_list<Segment> segments, LineStyle style, std::optional<std::uint8_t> attribute)
{
    std::map<int, Arms> added;
    for (const Segment& segment : segments) {
        const bool across = segment.from.row == segment.to.row;
        const int first
            = across ? std::min(segment.from.column, segment.to.column) : std::min(segment.from.row, segment.to.row);
        const int last
            = across ? std::max(segment.from.column, segment.to.column) : std::max(segment.from.row, segment.to.row);
        for (int at = first; at <= last; ++at) {
            const Spot spot = across ? Spot { at, segment.from.row } : Spot { segment.from.column, at };
            Arms& arms = added[spot.row * Screen::Columns + spot.column];
            if (first == last) {
                // A line one cell long: a short dash across.
                arms.left = arms.right = style;
            } else if (across) {
                arms.left = at > first ? style : arms.left;
                arms.right = at < last ? style : arms.right;
            } else {
                arms.up = at > first ? style : arms.up;
                arms.down = at < last ? style : arms.down;
            }
        }
    }
    for (const auto& [index, arms] : added)
        JoinCell(screen.cells[static_cast<size_t>(index)], arms, style, attribute);
}

}

void DrawLine(Screen& screen, Spot from, Spot to, LineStyle style, std::optional<std::uint8_t> attribute)
{
    const Spot corner { to.column, from.row };
    if (from.row != to.row && from.column != to.column)
        DrawSegments(screen, { { from, corner }, { corner, to } }, style, attribute);
    else
        DrawSegments(screen, { { from, to } }, style, attribute);
}

void DrawBox(Screen& screen, const CellRect& box, LineStyle style, std::optional<std::uint8_t> attribute)
{
    const Spot topRight { box.to.column, box.from.row };
    const Spot bottomLeft { box.from.column, box.to.row };
    if (box.Height() == 1 || box.Width() == 1)
        DrawSegments(screen, { { box.from, box.to } }, style, attribute);
    else
        DrawSegments(screen,
            { { box.from, topRight }, { bottomLeft, box.to }, { box.from, bottomLeft }, { topRight, box.to } }, style,
            attribute);
}
