#pragma once

#include "console/TextMetrics.h"

#include <cstdint>

// The VGA font's 256 glyphs as bits, made at build time from the face the
// preview paints with, so that a PNG needs no font machinery: each glyph is
// 16 rows, each row a mask whose bit (width - 1 - x) is the dot at x.
struct VgaGlyphTable {
    int width; // 9 or 8 dots
    const std::uint16_t* rows; // 256 glyphs x 16 rows
    const char* source; // the face the table was made from
};

constexpr int VgaGlyphHeight = 16;

// The table for those cells; null when the build had no VGA face to make
// it from.
const VgaGlyphTable* BuiltInGlyphTable(VgaDots dots);
