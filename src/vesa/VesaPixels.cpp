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

std::uint16_t Word(QByteArrayView bytes, qsizetype at)
{
    return static_cast<std::uint16_t>(
        static_cast<std::uint8_t>(bytes[at]) | static_cast<std::uint8_t>(bytes[at + 1]) << 8);
}

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

std::optional<Picture> DecodeLss16(QByteArrayView bytes)
{
    constexpr qsizetype Header = 8 + 48;
    if (bytes.size() < Header || Word(bytes, 0) != 0xF33D || Word(bytes, 2) != 0x1413)
        return std::nullopt;
    const int width = Word(bytes, 4);
    const int height = Word(bytes, 6);
    std::array<Rgb, 16> palette {};
    for (int i = 0; i < 16; ++i) {
        Rgb colour = 0;
        for (int c = 0; c < 3; ++c)
            colour = colour << 8 | static_cast<Rgb>((static_cast<std::uint8_t>(bytes[8 + i * 3 + c]) & 63) * 255 / 63);
        palette[static_cast<std::size_t>(i)] = colour;
    }
    Picture picture(width, height);
    qsizetype nybble = Header * 2;
    const auto next = [&]() -> std::optional<int> {
        if (nybble / 2 >= bytes.size())
            return std::nullopt;
        const auto byte = static_cast<std::uint8_t>(bytes[nybble / 2]);
        return (nybble++ % 2 == 0) ? byte & 0x0F : byte >> 4;
    };
    for (int y = 0; y < height; ++y) {
        int previous = 0;
        for (int x = 0; x < width;) {
            const std::optional<int> n = next();
            if (!n)
                return std::nullopt;
            int run = 1;
            if (*n == previous) {
                const std::optional<int> m = next();
                if (!m)
                    return std::nullopt;
                run = *m;
                if (run == 0) {
                    const std::optional<int> low = next();
                    const std::optional<int> high = next();
                    if (!low || !high)
                        return std::nullopt;
                    run = (*high << 4 | *low) + 16;
                }
            }
            previous = *n;
            for (; run > 0 && x < width; --run, ++x)
                picture.At(x, y) = palette[static_cast<std::size_t>(*n)];
        }
        nybble += nybble % 2; // each row starts on a byte
    }
    return picture;
}

namespace {

bool PaletteEntry(const QByteArray& palette, int index, Rgb& pixel)
{
    if (3 * index + 2 >= palette.size())
        return false;
    pixel = static_cast<Rgb>(static_cast<std::uint8_t>(palette[3 * index])) << 16
        | static_cast<Rgb>(static_cast<std::uint8_t>(palette[3 * index + 1])) << 8
        | static_cast<std::uint8_t>(palette[3 * index + 2]);
    return true;
}

}

std::optional<Picture> DecodePng(QByteArrayView bytes)
{
    const auto u32 = [&](qsizetype at) {
        return static_cast<std::uint32_t>(static_cast<std::uint8_t>(bytes[at])) << 24
            | static_cast<std::uint32_t>(static_cast<std::uint8_t>(bytes[at + 1])) << 16
            | static_cast<std::uint32_t>(static_cast<std::uint8_t>(bytes[at + 2])) << 8
            | static_cast<std::uint32_t>(static_cast<std::uint8_t>(bytes[at + 3]));
    };
    if (bytes.size() < 33 || bytes.first(8) != QByteArrayView("\x89PNG\r\n\x1a\n", 8))
        return std::nullopt;
    int width = 0, height = 0, depth = 0, type = -1, interlace = 0;
    QByteArray palette, data;
    for (qsizetype at = 8; at + 12 <= bytes.size();) {
        const qsizetype length = u32(at);
        const QByteArrayView kind = bytes.sliced(at + 4, 4);
        if (length < 0 || at + 12 + length > bytes.size())
            return std::nullopt;
        const QByteArrayView body = bytes.sliced(at + 8, length);
        if (kind == "IHDR" && length >= 13) {
            width = static_cast<int>(u32(at + 8));
            height = static_cast<int>(u32(at + 12));
            depth = static_cast<std::uint8_t>(body[8]);
            type = static_cast<std::uint8_t>(body[9]);
            interlace = static_cast<std::uint8_t>(body[12]);
        } else if (kind == "PLTE") {
            palette = body.toByteArray();
        } else if (kind == "IDAT") {
            data += body;
        } else if (kind == "IEND") {
            break;
        }
        at += 12 + length;
    }
    const int channels = type == 0 ? 1 : type == 2 ? 3 : type == 3 ? 1 : type == 4 ? 2 : type == 6 ? 4 : 0;
    const bool depthKnown
        = depth == 8 || (depth < 8 && (type == 0 || type == 3) && (depth == 1 || depth == 2 || depth == 4));
    if (channels == 0 || !depthKnown || interlace != 0 || width <= 0 || height <= 0 || width > 8192 || height > 8192)
        return std::nullopt;
    const qsizetype stride = (qsizetype(width) * channels * depth + 7) / 8;
    const qsizetype unit = std::max<qsizetype>(1, channels * depth / 8);
    const qsizetype expected = (stride + 1) * height;
    QByteArray sized(4, '\0');
    for (int i = 0; i < 4; ++i)
        sized[i] = static_cast<char>(expected >> (24 - 8 * i));
    const QByteArray raw = qUncompress(sized + data);
    if (raw.size() != expected)
        return std::nullopt;
    Picture picture(width, height);
    std::vector<std::uint8_t> previous(static_cast<std::size_t>(stride)), current(static_cast<std::size_t>(stride));
    for (int y = 0; y < height; ++y) {
        const char* in = raw.constData() + y * (stride + 1);
        const int filter = static_cast<std::uint8_t>(in[0]);
        for (qsizetype i = 0; i < stride; ++i) {
            const int a = i >= unit ? current[static_cast<std::size_t>(i - unit)] : 0;
            const int b = previous[static_cast<std::size_t>(i)];
            const int c = i >= unit ? previous[static_cast<std::size_t>(i - unit)] : 0;
            int predicted = 0;
            switch (filter) {
            case 1: predicted = a; break;
            case 2: predicted = b; break;
            case 3: predicted = (a + b) / 2; break;
            case 4: {
                const int p = a + b - c, pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
                predicted = pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
                break;
            }
            default: break;
            }
            current[static_cast<std::size_t>(i)]
                = static_cast<std::uint8_t>(static_cast<std::uint8_t>(in[1 + i]) + predicted);
        }
        for (int x = 0; x < width; ++x) {
            Rgb pixel = 0;
            if (depth < 8) {
                const int bit = x * depth;
                const int value
                    = current[static_cast<std::size_t>(bit / 8)] >> (8 - depth - bit % 8) & ((1 << depth) - 1);
                if (type == 3) {
                    if (!PaletteEntry(palette, value, pixel))
                        return std::nullopt;
                } else {
                    const auto grey = static_cast<Rgb>(value * 255 / ((1 << depth) - 1));
                    pixel = grey << 16 | grey << 8 | grey;
                }
            } else {
                const std::uint8_t* p = current.data() + x * channels;
                if (type == 3) {
                    if (!PaletteEntry(palette, p[0], pixel))
                        return std::nullopt;
                } else if (channels <= 2) {
                    pixel = static_cast<Rgb>(p[0]) << 16 | static_cast<Rgb>(p[0]) << 8 | p[0];
                } else {
                    pixel = static_cast<Rgb>(p[0]) << 16 | static_cast<Rgb>(p[1]) << 8 | p[2];
                }
            }
            picture.At(x, y) = pixel;
        }
        std::swap(previous, current);
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
