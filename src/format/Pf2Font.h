#pragma once

#include "format/PcFont.h"

#include <QByteArray>
#include <QByteArrayView>

#include <cstdint>
#include <map>
#include <optional>
#include <vector>

// GRUB's bitmap font file (PFF2): named sections, each a four-letter name and
// a big-endian length; the character index (CHIX) sorted by code point and
// pointing into the glyph data that follows the DATA mark.
struct Pf2Glyph {
    int width = 0;
    int height = 0;
    int xOffset = 0; // from the pen to the bitmap's left
    int yOffset = 0; // from the baseline up to the bitmap's bottom
    int deviceWidth = 0; // how far the pen moves
    // Rows packed one after another with no padding, the left dot high:
    // (width * height + 7) / 8 bytes.
    std::vector<std::uint8_t> bits;

    bool Dot(int x, int y) const;
    bool operator==(const Pf2Glyph&) const = default;
};

struct Pf2Font {
    QByteArray name; // what a theme's font names it by
    QByteArray family;
    QByteArray weight = "normal";
    QByteArray slant = "normal";
    int pointSize = 0;
    int maxWidth = 0;
    int maxHeight = 0;
    int ascent = 0;
    int descent = 0;
    std::map<char32_t, Pf2Glyph> glyphs;

    const Pf2Glyph* Glyph(char32_t code) const;
    // GRUB's line height: ascent, descent and its one pixel of leading.
    int Height() const { return ascent + descent + 1; }
    bool operator==(const Pf2Font&) const = default;
};

// A font as GRUB's loader takes it (font.c): FILE first holding "PFF2",
// sections until DATA, CHIX strictly ascending in 9-byte entries, every
// glyph inside the file and no larger than MAXW x MAXH, and the maximum
// sizes, ascent, descent and at least one glyph present; nothing otherwise.
std::optional<Pf2Font> ReadPf2(QByteArrayView bytes);

// The file as grub-mkfont lays it out; MAXW and MAXH as the font holds them.
QByteArray WritePf2(const Pf2Font& font);

// A PC text font's 256 glyphs as a PF2 font: each cell whole (8 wide, the
// font's height), at the Unicode code point of its code page 437 byte, the
// baseline a quarter of the height above the cell's bottom.
Pf2Font Pf2FromPcFont(const PcFont& font, const QByteArray& family);
