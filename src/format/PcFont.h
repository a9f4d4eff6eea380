#pragma once

#include <QByteArrayView>

#include <cstdint>
#include <optional>
#include <vector>

// A PC text font: 256 glyphs, 8 dots wide, one byte a row (the left dot
// high), in code page 437's order.
struct PcFont {
    int height = 16;
    std::vector<std::uint8_t> rows; // 256 x height
    bool operator==(const PcFont&) const = default;
};

// The VGA BIOS's 8 x 16 font, from SeaBIOS's stdvga image as QEMU runs it.
std::optional<PcFont> RomFont(QByteArrayView vgaBios);

// A PSF1 font file, as the loader's FONT directive reads it (core/font.c:
// magic 36 04, mode up to 5, 2 to 32 rows): its first 256 glyphs, the most
// of the file it reads (Limits::FontBytes). The loader opens it without its
// zlib layer, so a gzip'd font is no font to it: the menu keeps the ROM's.
std::optional<PcFont> Psf1Font(QByteArrayView bytes);
