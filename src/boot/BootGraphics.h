#pragma once

#include "format/PcFont.h"

#include <QByteArray>

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>

// VGA mode 0x12 as the 3.x/4.x core leaves it after 0x18 NAME
// (core/graphics.inc vgadisplayfile): 640 x 480 in 16 colours, the LSS16
// image at the top left, 80 x 30 cells of the BIOS's 8 x 16 font written
// over it through int 10h.
struct GraphicsScreen {
    static constexpr int Width = 640;
    static constexpr int Height = 480;
    static constexpr int Cols = Width / 8;
    static constexpr int Rows = Height / 16;

    std::vector<std::uint8_t> indexes = std::vector<std::uint8_t>(Width * Height); // colour numbers 0-15
    std::array<std::uint32_t, 16> dac {}; // the image's colours, 6-bit levels 0x00RRGGBB
    int column = 0;
    int row = 0;

    // The screen as QEMU shows it: each colour through the DAC, 6 bits
    // widened as its VGA model widens them.
    std::vector<std::uint32_t> Shown() const; // 0x00RRGGBB, row after row
    std::uint8_t& At(int x, int y) { return indexes[static_cast<std::size_t>(y * Width + x)]; }
};

// An LSS16 image decoded (vesa/'s reader): its size, colour numbers and
// palette.
struct GraphicsImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> indexes; // row after row, width x height
    std::array<std::uint32_t, 16> dac {};
};

// What a display file needs to leave text mode: the files 0x18 names and
// the font the BIOS writes in. The screen is set while the file leaves the
// display in graphics mode (and after it, for the prompt).
struct BootGraphics {
    std::function<std::optional<QByteArray>(const QByteArray& name)> open;
    std::function<std::optional<GraphicsImage>(QByteArrayView bytes)> decode;
    PcFont font;
    std::optional<GraphicsScreen> screen;
};

namespace BiosGraphics {

// Mode 0x12 set afresh and the image drawn, the cursor on the first row
// below it (core/graphics.inc .movecursor). Nothing when the file is no
// LSS16 image: the mode is set and the screen stays blank.
void ShowImage(GraphicsScreen& screen, const std::optional<GraphicsImage>& image);
// int 10h AH=09h in a planar mode: the glyph's dots in the attribute's
// colour, the rest of the cell colour 0; attribute bit 7 XORs the dots
// into the cell instead.
void WriteGlyph(GraphicsScreen& screen, const PcFont& font, std::uint8_t glyph, int attribute);
// int 10h AH=06h: the whole screen (AL=0) or one row up, filled with the
// attribute's low nibble as a colour.
void Clear(GraphicsScreen& screen, int attribute);
void ScrollUp(GraphicsScreen& screen, int attribute);
// Text written at the cursor as the core writes it in graphics mode
// (msg_normal, msg_line_wrap): each glyph in the attribute, the line
// wrapped past the last column, a scroll filled with 00; CR goes to the
// first column, LF to the next row's first, BS a column back.
void Teletype(GraphicsScreen& screen, const PcFont& font, std::string_view text, int attribute);
void LineBreak(GraphicsScreen& screen);

}
