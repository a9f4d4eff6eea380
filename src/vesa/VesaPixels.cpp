#include "VesaPixels.h"

#include <array>
#include <cmath>
#include <cstdlib>

namespace Vesa {

namespace {

constexpr int LinearSize = 4080;

const std::array<int, 256>& LinearTable()
{
    static const std::array<int, 256> table = [] {
        std::array<int, 256> made {};
        for (int s = 0; s < 256; ++s) {
            const double linear = s <= 10 ? s / (255.0 * 12.92) : std::pow((s + 14.025) / 269.025, 2.4);
            made[static_cast<std::size_t>(s)] = static_cast<int>(linear * 65535 + 0.5);
        }
        return made;
    }();
    return table;
}

const std::array<std::uint8_t, LinearSize>& SrgbTable()
{
    static const std::array<std::uint8_t, LinearSize> table = [] {
        std::array<std::uint8_t, LinearSize> made {};
        for (int i = 0; i < LinearSize; ++i) {
            const double linear = (i + 0.5) / 4079.937744;
            const double srgb = linear <= 0.00304 ? 12.92 * linear : 1.055 * std::pow(linear, 1 / 2.4) - 0.055;
            made[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(static_cast<int>(255 * srgb + 0.5));
        }
        return made;
    }();
    return table;
}

int Channel(Rgb pixel, int shift) { return static_cast<int>(pixel >> shift & 0xFF); }

}

int SrgbToLinear(int level) { return LinearTable()[static_cast<std::size_t>(level)]; }

int LinearToSrgb(int index) { return SrgbTable()[static_cast<std::size_t>(index)]; }

Rgb Blend(Argb colour, Rgb background)
{
    const int alpha = static_cast<int>(colour >> 24);
    Rgb result = 0;
    for (const int shift : { 16, 8, 0 }) {
        const int mixed
            = (SrgbToLinear(Channel(colour, shift)) * alpha + SrgbToLinear(Channel(background, shift)) * (255 - alpha))
            >> 12;
        result |= static_cast<Rgb>(LinearToSrgb(mixed)) << shift;
    }
    return result;
}

Picture RadialBackground(int width, int height)
{
    Picture picture(width, height);
    int z = std::max(width, height) / 2;
    z = ((z * z) >> 11) - 1;
    int shift = 1;
    while (z >> shift)
        ++shift; // ilog2(z) + 1
    for (int y = 0; y < height; ++y) {
        const int dy = y - height / 2;
        for (int x = 0; x < width; ++x) {
            const int dx = x - width / 2;
            const auto k
                = static_cast<Rgb>(LinearToSrgb(std::min(LinearSize - 1, 500 + ((dx * dx + dy * dy) >> shift))));
            picture.At(x, y) = k << 16 | k << 8 | k;
        }
    }
    return picture;
}

Picture PlaceBackground(const Picture& image, int width, int height, bool tiled)
{
    Picture screen(width, height);
    if (image.width > width || image.height > height || image.width <= 0 || image.height <= 0)
        return screen;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            if (tiled)
                screen.At(x, y) = image.At(x % image.width, y % image.height);
            else if (x < image.width && y < image.height)
                screen.At(x, y) = image.At(x, y);
        }
    }
    return screen;
}

Picture Compose(const Picture& background, const TextLayer& text, const Font& font)
{
    Picture screen = background;
    const int h = font.height;
    const int left = Border;
    const int top = Border;
    // The cell under a pixel, the ring's outside the grid.
    const auto cellAt = [&](int x, int y) -> const Cell& {
        const int column = (x - left) >= 0 ? (x - left) / 8 : -1;
        const int row = (y - top) >= 0 ? (y - top) / h : -1;
        if (column < 0 || row < 0 || column >= text.cols || row >= text.rows)
            return text.ring;
        return text.cells[static_cast<std::size_t>(row * text.cols + column)];
    };
    const auto dot = [&](int x, int y) {
        const Cell& cell = cellAt(x, y);
        const int column = (x - left) >= 0 ? (x - left) / 8 : -1;
        const int row = (y - top) >= 0 ? (y - top) / h : -1;
        const int line = ((y - top) % h + h) % h;
        const bool cursor = text.cursor && text.cursor->first == column && text.cursor->second == row
            && (line == h - 3 || line == h - 2);
        const int bit = ((x - left) % 8 + 8) % 8;
        return cursor
            || (font.rows[static_cast<std::size_t>(cell.byte) * static_cast<std::size_t>(h)
                    + static_cast<std::size_t>(line)]
                    >> (7 - bit)
                & 1);
    };
    const auto raised = [&](int x, int y) {
        switch (cellAt(x, y).shadow) {
        case Shadow::None: return false;
        case Shadow::Std: return dot(x, y);
        case Shadow::All: return true;
        case Shadow::Rev: return !dot(x, y);
        }
        return false;
    };
    const int right = left + text.cols * 8;
    const int bottom = top + text.rows * h;
    // The text area and the spill of its drawing: two columns to the right
    // and one row below.
    for (int y = top; y <= bottom && y < screen.height; ++y) {
        for (int x = left; x < right + 2 && x < screen.width; ++x) {
            const Cell& cell = cellAt(x, y);
            const bool on = dot(x, y);
            const bool up = raised(x, y);
            const int bx = up ? std::min(x + 1, screen.width - 1) : x;
            const int by = up ? std::min(y + 1, screen.height - 1) : y;
            Rgb pixel = Blend(on ? cell.foreground : cell.background, background.At(bx, by));
            if (!up && raised(x - 1, y - 1))
                pixel = Darkened(pixel);
            screen.At(x, y) = pixel;
        }
    }
    return screen;
}

}
