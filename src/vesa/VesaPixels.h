#pragma once

#include "config/MenuColours.h"
#include "format/PcFont.h"

#include <QByteArrayView>
#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

// The pixels of vesamenu.c32's 640 x 480 (or larger) screen as SYSLINUX
// 6.04 makes them: its background, its blending of translucent colours in
// linear light through two tables, and its shadows.
namespace Vesa {

using Rgb = std::uint32_t; // 0x00RRGGBB
using Argb = ::Argb; // 0xAARRGGBB

// Which pixels of a cell are raised, casting a shadow and taking the
// background one pixel down and right (MENU COLOR's shadow mode).
using Shadow = MenuShadow;

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<Rgb> pixels; // row after row

    Picture() = default;
    Picture(int w, int h, Rgb fill = 0)
        : width(w)
        , height(h)
        , pixels(static_cast<std::size_t>(w) * static_cast<std::size_t>(h), fill)
    {
    }
    Rgb At(int x, int y) const
    {
        return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)];
    }
    Rgb& At(int x, int y)
    {
        return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)];
    }
    bool operator==(const Picture&) const = default;
};

// One channel: sRGB level to linear light (0-65535), and a linear index
// (0-4079) back to the sRGB level, as the loader's tables have them.
int SrgbToLinear(int level);
int LinearToSrgb(int index);

// A colour of alpha a over a background pixel, channel by channel in
// linear light.
Rgb Blend(Argb colour, Rgb background);
// A pixel in a raised neighbour's shadow: a quarter of its light.
constexpr Rgb Darkened(Rgb pixel) { return (pixel >> 2) & 0x3F3F3Fu; }

// The screen without MENU BACKGROUND: a grey radial gradient.
Picture RadialBackground(int width, int height);

// A picture file read as vesamenu.c32 reads MENU BACKGROUND onto a screen
// of that size (background.c): a PNG through libpng with the module's
// transformations (palette and grey to RGB, tRNS to alpha, 16 bits to 8,
// interlacing undone; the alpha then plays no part), a JPEG by the
// arithmetic of the module's own decoder, an LSS16 image. PNG and JPEG are
// tiled from the top left, LSS16 sits there on black; what the loader
// cannot read is black. Rows read before a fault stay, as the loader leaves
// them. `problem` says why the picture is not all there.
struct Background {
    Picture screen;
    QString problem;
    // The picture's own size as its header gives it (0 x 0 when no reader
    // took the file), and whether it is tiled (PNG, JPEG) or not (LSS16).
    int width = 0;
    int height = 0;
    bool tiled = false;
};
Background ReadBackground(QByteArrayView bytes, int width, int height);

// A whole LSS16 image or PNG at its own size, up to Limits::PictureBytes
// (for checks of a picture's size); nothing for other, damaged or larger
// files.
std::optional<Picture> DecodeLss16(QByteArrayView bytes);
std::optional<Picture> DecodePng(QByteArrayView bytes);
// A whole PNG with each pixel's alpha (255 where the file has none), for
// readers that keep it, as GRUB's does.
struct TranslucentPicture {
    Picture picture;
    std::vector<std::uint8_t> alpha; // a pixel's, row after row
};
std::optional<TranslucentPicture> DecodePngWithAlpha(QByteArrayView bytes);

// A decoded background image on a screen of that size, as the loader places
// it: never scaled; one of the screen's size is copied, a smaller one tiled
// from the top left (an LSS16 one sits at the top left on black instead),
// and a larger one leaves the screen black.
Picture PlaceBackground(const Picture& image, int width, int height, bool tiled);

// The menu's font: 256 glyphs, 8 dots wide, one byte a row (left dot high).
using Font = PcFont;

struct Cell {
    std::uint8_t byte = ' ';
    Argb foreground = 0;
    Argb background = 0;
    Shadow shadow = Shadow::None;
};

// The text grid drawn over the background: cells of 8 x the font's height
// from (8, 8), row after row, with a ring of blank cells around them in
// `ring` (the colour table's first entry) whose spill below and to the
// right is drawn too. A cursor adds the glyph's rows h-3 and h-2.
struct TextLayer {
    int cols = 0;
    int rows = 0;
    std::vector<Cell> cells;
    Cell ring;
    std::optional<std::pair<int, int>> cursor; // column, row
};
Picture Compose(const Picture& background, const TextLayer& text, const Font& font);

// The text grid's offset from the screen's top left, in pixels.
constexpr int Border = 8;

}
