#include "BootGraphics.h"

#include <algorithm>

namespace {

// QEMU's VGA model: the low bit of a 6-bit level repeated into the two new ones.
std::uint32_t Widened(std::uint32_t level)
{
    const std::uint32_t v = level & 63;
    return v << 2 | (v & 1) << 1 | (v & 1);
}

void Fill(GraphicsScreen& screen, int top, int bottom, int colour)
{
    std::fill(screen.indexes.begin() + top * GraphicsScreen::Width,
        screen.indexes.begin() + bottom * GraphicsScreen::Width, static_cast<std::uint8_t>(colour & 15));
}

}

std::vector<std::uint32_t> GraphicsScreen::Shown() const
{
    std::vector<std::uint32_t> shown(indexes.size());
    for (std::size_t i = 0; i < shown.size(); ++i) {
        const std::uint32_t level = dac[indexes[i] & 15];
        shown[i] = Widened(level >> 16) << 16 | Widened(level >> 8) << 8 | Widened(level);
    }
    return shown;
}

namespace BiosGraphics {

void ShowImage(GraphicsScreen& screen, const std::optional<GraphicsImage>& image)
{
    screen = GraphicsScreen();
    if (!image)
        return;
    const int width = std::min(image->width, GraphicsScreen::Width);
    const int height = std::min(image->height, GraphicsScreen::Height);
    for (int y = 0; y < height; ++y) {
        const auto row = image->indexes.begin() + static_cast<std::ptrdiff_t>(y) * image->width;
        std::copy(row, row + width, screen.indexes.begin() + y * GraphicsScreen::Width);
    }
    screen.dac = image->dac;
    screen.row = std::min((image->height + 15) / 16, GraphicsScreen::Rows - 1);
}

void WriteGlyph(GraphicsScreen& screen, const PcFont& font, std::uint8_t glyph, int attribute)
{
    const int colour = attribute & 15;
    const bool xored = (attribute & 0x80) != 0;
    for (int line = 0; line < 16; ++line) {
        const std::size_t at
            = static_cast<std::size_t>(glyph) * static_cast<std::size_t>(font.height) + static_cast<std::size_t>(line);
        const std::uint8_t dots = line < font.height && at < font.rows.size() ? font.rows[at] : 0;
        for (int dot = 0; dot < 8; ++dot) {
            std::uint8_t& pixel = screen.At(screen.column * 8 + dot, screen.row * 16 + line);
            const bool set = (dots & (0x80 >> dot)) != 0;
            if (xored)
                pixel = static_cast<std::uint8_t>(pixel ^ (set ? colour : 0));
            else
                pixel = static_cast<std::uint8_t>(set ? colour : 0);
        }
    }
}

void Clear(GraphicsScreen& screen, int attribute) { Fill(screen, 0, GraphicsScreen::Height, attribute); }

void ScrollUp(GraphicsScreen& screen, int attribute)
{
    auto& pixels = screen.indexes;
    const auto row = static_cast<std::ptrdiff_t>(GraphicsScreen::Width) * 16;
    std::move(pixels.begin() + row, pixels.end(), pixels.begin());
    Fill(screen, GraphicsScreen::Height - 16, GraphicsScreen::Height, attribute);
}

void LineBreak(GraphicsScreen& screen)
{
    screen.column = 0;
    if (++screen.row >= GraphicsScreen::Rows) {
        screen.row = GraphicsScreen::Rows - 1;
        ScrollUp(screen, 0x00);
    }
}

void Teletype(GraphicsScreen& screen, const PcFont& font, std::string_view text, int attribute)
{
    for (char byte : text) {
        if (byte == '\r') {
            screen.column = 0;
        } else if (byte == '\n') {
            LineBreak(screen);
        } else if (byte == '\b') {
            screen.column = std::max(screen.column - 1, 0);
        } else {
            WriteGlyph(screen, font, static_cast<std::uint8_t>(byte), attribute);
            if (++screen.column >= GraphicsScreen::Cols)
                LineBreak(screen);
        }
    }
}

}
