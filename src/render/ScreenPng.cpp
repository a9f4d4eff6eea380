#include "ScreenPng.h"

#include "PngFile.h"
#include "format/Colour.h"
#include "format/Palette.h"
#include "preview/ScreenSnapshot.h"
#include "vesa/VesaMenu.h"

#ifdef GLIMRA_PAINTS_PNG
#include "preview/ScreenImage.h"
#endif

#include <QFile>

namespace {

// A digit of the snapshot's colours, which are lower-case palette digits.
int DigitOf(char digit) { return HexDigitValue(digit).value_or(0); }

// One row of glyph dots across the screen, a palette index a pixel.
void DrawDots(const ScreenSnapshot& screen, const VgaGlyphTable& glyphs, BlinkPhase blink, int cellRow, int y,
    std::vector<std::uint8_t>& row)
{
    const QByteArray& bytes = screen.bytes[cellRow];
    for (int column = 0; column < screen.cols; ++column) {
        int ink = DigitOf(screen.foreground[cellRow][column]);
        int paper = DigitOf(screen.background[cellRow][column]);
        if (blink != BlinkPhase::Bright && paper >= 8) {
            paper -= 8;
            if (blink == BlinkPhase::Hidden)
                ink = paper;
        }
        const std::uint16_t dots = glyphs.rows[static_cast<std::uint8_t>(bytes[column]) * VgaGlyphHeight + y];
        std::uint8_t* to = row.data() + column * glyphs.width;
        for (int x = 0; x < glyphs.width; ++x)
            to[x] = static_cast<std::uint8_t>(dots >> (glyphs.width - 1 - x) & 1 ? ink : paper);
    }
}

}

QByteArray ScreenPng(const ScreenSnapshot& screen, const VgaGlyphTable& glyphs, BlinkPhase blink)
{
    const int width = screen.cols * glyphs.width;
    const int height = screen.rows * VgaGlyphHeight;
    // Each row: the filter byte (none), then two pixels to a byte.
    const qsizetype line = 1 + (width + 1) / 2;
    QByteArray pixels(line * height, '\0');
    std::vector<std::uint8_t> row(static_cast<std::size_t>(width) + 1);
    for (int cellRow = 0; cellRow < screen.rows; ++cellRow) {
        for (int y = 0; y < VgaGlyphHeight; ++y) {
            DrawDots(screen, glyphs, blink, cellRow, y, row);
            char* out = pixels.data() + (cellRow * VgaGlyphHeight + y) * line + 1;
            for (int x = 0; x < width; x += 2)
                out[x / 2]
                    = static_cast<char>(row[static_cast<std::size_t>(x)] << 4 | row[static_cast<std::size_t>(x) + 1]);
        }
    }
    QByteArray palette;
    for (const TColor colour : Palette) {
        palette += static_cast<char>(RedOf(colour));
        palette += static_cast<char>(GreenOf(colour));
        palette += static_cast<char>(BlueOf(colour));
    }
    return PngFile({ width, height, 4, 3, palette }, pixels);
}

QByteArray ConsolePng(TColorConsole& console, BlinkPhase blink, VgaDots dots)
{
#ifdef GLIMRA_PAINTS_PNG
    return ToPng(PaintScreen(console, blink, dots));
#else
    return ScreenPng(ScreenSnapshot::Of(console), *BuiltInGlyphTable(dots), blink);
#endif
}

QByteArray PicturePng(const Vesa::Picture& picture)
{
    const qsizetype line = 1 + 3 * qsizetype(picture.width);
    QByteArray rows(line * picture.height, '\0');
    for (int y = 0; y < picture.height; ++y) {
        char* out = rows.data() + y * line + 1;
        for (int x = 0; x < picture.width; ++x) {
            const Vesa::Rgb pixel = picture.At(x, y);
            *out++ = static_cast<char>(pixel >> 16);
            *out++ = static_cast<char>(pixel >> 8);
            *out++ = static_cast<char>(pixel);
        }
    }
    return PngFile({ picture.width, picture.height, 8, 2, {} }, rows);
}

std::optional<Vesa::Font> MenuFont(QString& note, const QString& vgaBios)
{
    if (std::optional<Vesa::Font> rom = Vesa::BiosFont(vgaBios))
        return rom;
    const VgaGlyphTable* table = BuiltInGlyphTable(VgaDots::Eight);
    if (!table)
        return std::nullopt;
    note = QStringLiteral("QEMU's VGA BIOS (Debian package seabios) is not installed: the menu is drawn in the VGA "
                          "face of fonts-pc, whose glyphs differ a little from the BIOS's.");
    Vesa::Font font;
    for (int glyph = 0; glyph < 256 * VgaGlyphHeight; ++glyph)
        font.rows.push_back(static_cast<std::uint8_t>(table->rows[glyph]));
    return font;
}
