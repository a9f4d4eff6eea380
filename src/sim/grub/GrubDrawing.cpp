#include "GrubDrawing.h"

#include <QString>

#include <algorithm>
#include <climits>

namespace GrubDrawing {

Bitmap Scaled(const Bitmap& source, int width, int height)
{
    if (width == source.Width() && height == source.Height())
        return source;
    Bitmap scaled { Picture(width, height), std::vector<std::uint8_t>(std::size_t(width) * std::size_t(height)) };
    const auto channel = [&](int x, int y, int shift) {
        return shift < 0 ? int(source.alpha[std::size_t(y * source.Width() + x)])
                         : int(source.picture.At(x, y) >> shift & 0xFF);
    };
    const unsigned sw = unsigned(source.Width()), sh = unsigned(source.Height());
    for (int dy = 0; dy < height; ++dy) {
        for (int dx = 0; dx < width; ++dx) {
            const unsigned sx = sw * unsigned(dx) / unsigned(width), sy = sh * unsigned(dy) / unsigned(height);
            const int u = int(256 * sw * unsigned(dx) / unsigned(width) - sx * 256);
            const int v = int(256 * sh * unsigned(dy) / unsigned(height) - sy * 256);
            const bool between = sx + 1 < sw && sy + 1 < sh; // else the nearest pixel
            int out[4];
            for (int c = 0; c < 4; ++c) {
                const int shift = c < 3 ? 16 - 8 * c : -1;
                const int x0 = int(sx), y0 = int(sy);
                out[c] = between
                    ? ((256 - u) * (256 - v) * channel(x0, y0, shift) + u * (256 - v) * channel(x0 + 1, y0, shift)
                          + (256 - u) * v * channel(x0, y0 + 1, shift) + u * v * channel(x0 + 1, y0 + 1, shift))
                        / 65536
                    : channel(x0, y0, shift);
            }
            scaled.picture.At(dx, dy) = Rgb(out[0]) << 16 | Rgb(out[1]) << 8 | Rgb(out[2]);
            scaled.alpha[std::size_t(dy * width + dx)] = std::uint8_t(out[3]);
        }
    }
    return scaled;
}

Screen::Screen(int width, int height)
    : m_picture(width, height)
    , m_viewport { 0, 0, width, height }
{
}

Rect Screen::Enter(const Rect& inner)
{
    const Rect old = m_viewport;
    Set({ old.x + inner.x, old.y + inner.y, inner.width, inner.height });
    return old;
}

void Screen::Set(Rect viewport)
{
    // GRUB's numbers are unsigned: below zero is past the screen.
    if (viewport.x < 0 || viewport.x > m_picture.width)
        viewport.x = 0, viewport.width = 0;
    if (viewport.y < 0 || viewport.y > m_picture.height)
        viewport.y = 0, viewport.height = 0;
    if (viewport.width < 0 || viewport.width > m_picture.width - viewport.x)
        viewport.width = m_picture.width - viewport.x;
    if (viewport.height < 0 || viewport.height > m_picture.height - viewport.y)
        viewport.height = m_picture.height - viewport.y;
    m_viewport = viewport;
}

void Screen::Put(int x, int y, Rgb colour, int alpha)
{
    if (alpha == 0 || x < 0 || y < 0 || x >= m_viewport.width || y >= m_viewport.height)
        return;
    Rgb& pixel = m_picture.At(m_viewport.x + x, m_viewport.y + y);
    if (alpha == 255) {
        pixel = colour;
        return;
    }
    Rgb mixed = 0;
    for (const int shift : { 16, 8, 0 })
        mixed |= Rgb(((pixel >> shift & 0xFF) * unsigned(255 ^ alpha) + (colour >> shift & 0xFF) * unsigned(alpha))
                     / 255u)
            << shift;
    pixel = mixed;
}

void Screen::Blit(const Bitmap& bitmap, int x, int y)
{
    for (int row = 0; row < bitmap.Height(); ++row) {
        for (int column = 0; column < bitmap.Width(); ++column)
            Put(x + column, y + row, bitmap.picture.At(column, row),
                bitmap.alpha[std::size_t(row * bitmap.Width() + column)]);
    }
}

const Pf2Font* Fonts::Get(const std::optional<QByteArray>& name) const
{
    for (const Pf2Font& font : loaded) {
        if (name && font.name == *name)
            return &font;
    }
    return loaded.empty() ? nullptr : &loaded.back();
}

namespace {

// GRUB's stand-in for a character no font has: a box round a question mark.
const Pf2Glyph& UnknownGlyph()
{
    static const Pf2Glyph glyph { 8, 16, 0, -3, 8,
        { 0x7E, 0x81, 0x99, 0xA5, 0x85, 0x89, 0x91, 0x91, 0x81, 0x91, 0x81, 0x81, 0x81, 0x81, 0x7E, 0x00 } };
    return glyph;
}

const Pf2Glyph& GlyphOf(const Pf2Font& font, char32_t code)
{
    const Pf2Glyph* glyph = font.Glyph(code);
    return glyph ? *glyph : UnknownGlyph();
}

}

int StringWidth(const Pf2Font& font, const QByteArray& text)
{
    int width = 0;
    for (const char32_t code : QString::fromUtf8(text).toUcs4())
        width += GlyphOf(font, code).deviceWidth;
    return width;
}

void DrawText(Screen& screen, const Pf2Font& font, const QByteArray& text, Rgb colour, int x, int baseline)
{
    for (const char32_t code : QString::fromUtf8(text).toUcs4()) {
        const Pf2Glyph& glyph = GlyphOf(font, code);
        const int left = x + glyph.xOffset;
        const int top = baseline - glyph.yOffset - glyph.height;
        for (int row = 0; row < glyph.height; ++row) {
            for (int column = 0; column < glyph.width; ++column) {
                if (glyph.Dot(column, row))
                    screen.Put(left + column, top + row, colour, 255);
            }
        }
        x += glyph.deviceWidth;
    }
}

std::optional<Rgb> ParseColour(const std::optional<QByteArray>& value)
{
    if (!value)
        return std::nullopt;
    const QByteArray text = value->trimmed();
    if (text.startsWith('#')) {
        qsizetype end = 1;
        while (end < text.size() && std::isxdigit(static_cast<unsigned char>(text[end])))
            ++end;
        const QByteArray hex = text.mid(1, end - 1);
        const auto component = [&](int at, int digits) {
            return Rgb(digits == 1 ? QByteArray(2, hex[at]).toUInt(nullptr, 16) : hex.mid(at, 2).toUInt(nullptr, 16));
        };
        if (hex.size() == 3 || hex.size() == 4)
            return component(0, 1) << 16 | component(1, 1) << 8 | component(2, 1);
        if (hex.size() == 6 || hex.size() == 8)
            return component(0, 2) << 16 | component(2, 2) << 8 | component(4, 2);
        return std::nullopt;
    }
    const QList<QByteArray> parts = text.split(',');
    if (parts.size() < 3)
        return std::nullopt;
    return (Rgb(parts[0].trimmed().toUInt()) & 0xFF) << 16 | (Rgb(parts[1].trimmed().toUInt()) & 0xFF) << 8
        | (Rgb(parts[2].trimmed().toUInt()) & 0xFF);
}

int Number(const GrubThemeComponent& component, const char* name, int fallback)
{
    const std::optional<QByteArray> value = component.Value(name);
    return value ? value->trimmed().toInt() : fallback;
}

std::optional<Bitmap> LoadBitmap(const Context& context, const QByteArray& name)
{
    const std::optional<QByteArray> bytes = context.files(name.startsWith('/') ? name.mid(1) : context.folder + name);
    if (!bytes)
        return std::nullopt;
    std::optional<Vesa::TranslucentPicture> decoded = Vesa::DecodePngWithAlpha(*bytes);
    if (!decoded)
        return std::nullopt;
    return Bitmap { std::move(decoded->picture), std::move(decoded->alpha) };
}

}
