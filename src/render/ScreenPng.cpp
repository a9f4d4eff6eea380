#include "ScreenPng.h"

#include "format/Colour.h"
#include "format/Palette.h"
#include "preview/ScreenSnapshot.h"
#include "vesa/VesaMenu.h"

#include <QFile>

#include <array>

namespace {

std::uint32_t Crc32(const QByteArray& bytes)
{
    static const std::array<std::uint32_t, 256> table = [] {
        std::array<std::uint32_t, 256> made {};
        for (std::uint32_t n = 0; n < 256; ++n) {
            std::uint32_t c = n;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            made[n] = c;
        }
        return made;
    }();
    std::uint32_t crc = 0xFFFFFFFFu;
    for (const char byte : bytes)
        crc = table[(crc ^ static_cast<std::uint8_t>(byte)) & 0xFF] ^ (crc >> 8);
    return crc ^ 0xFFFFFFFFu;
}

void AppendBigEndian(QByteArray& to, std::uint32_t value)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        to += static_cast<char>(value >> shift & 0xFF);
}

void AppendChunk(QByteArray& png, const char* type, const QByteArray& data)
{
    AppendBigEndian(png, static_cast<std::uint32_t>(data.size()));
    const QByteArray typed = QByteArray(type, 4) + data;
    png += typed;
    AppendBigEndian(png, Crc32(typed));
}

// A PNG of rows already filtered (a 0 byte before each), in the two
// header bytes' depth and colour type, with a palette when one is given.
QByteArray Png(int width, int height, const char* depthAndType, const QByteArray& palette, const QByteArray& rows)
{
    QByteArray png("\x89PNG\r\n\x1a\n", 8);
    QByteArray header;
    AppendBigEndian(header, static_cast<std::uint32_t>(width));
    AppendBigEndian(header, static_cast<std::uint32_t>(height));
    header += QByteArray(depthAndType, 2) + QByteArray(3, '\0'); // deflate, no filter, no interlace
    AppendChunk(png, "IHDR", header);
    if (!palette.isEmpty())
        AppendChunk(png, "PLTE", palette);
    // qCompress writes the length first and then a zlib stream, which is
    // what a PNG's image data is. Level 3 makes files as small as other
    // tools' in a third of level 6's time.
    AppendChunk(png, "IDAT", qCompress(rows, 3).mid(4));
    AppendChunk(png, "IEND", {});
    return png;
}

int DigitOf(char digit)
{
    if (digit >= '0' && digit <= '9')
        return digit - '0';
    if (digit >= 'a' && digit <= 'f')
        return digit - 'a' + 10;
    return 0;
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
        const QByteArray& bytes = screen.bytes[cellRow];
        const QByteArray& foreground = screen.foreground[cellRow];
        const QByteArray& background = screen.background[cellRow];
        for (int y = 0; y < VgaGlyphHeight; ++y) {
            for (int column = 0; column < screen.cols; ++column) {
                int ink = DigitOf(foreground[column]);
                int paper = DigitOf(background[column]);
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
    return Png(width, height, "\x04\x03", palette, pixels); // 4 bits, palette
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
    return Png(picture.width, picture.height, "\x08\x02", {}, rows); // 8 bits, RGB
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
