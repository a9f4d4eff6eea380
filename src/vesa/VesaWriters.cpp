// The picture files a fit writes: a palette PNG through libpng, which
// vesamenu.c32's own libpng reads back to the palette's colours, and an
// LSS16 image in the run-length nybbles the loader's readers decode.
#include "BackgroundFit.h"

#include <png.h>

#include <csetjmp>

namespace Vesa {

namespace {

void Append(png_structp png, png_bytep data, std::size_t size)
{
    static_cast<QByteArray*>(png_get_io_ptr(png))->append(reinterpret_cast<const char*>(data), qsizetype(size));
}

// libpng's calls alone, with nothing here that its longjmp could skip.
bool WriteRows(png_uint_32 width, png_uint_32 height, int colourType, const png_color* palette, int colours,
    png_bytepp rows, QByteArray* out)
{
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!png || !info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_set_write_fn(png, out, Append, nullptr);
    png_set_IHDR(png, info, width, height, 8, colourType, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
        PNG_FILTER_TYPE_DEFAULT);
    if (palette)
        png_set_PLTE(png, info, palette, colours);
    png_set_compression_level(png, 9);
    png_write_info(png, info);
    png_write_image(png, rows);
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return true;
}

}

QByteArray WritePalettePng(const Quantised& picture)
{
    if (picture.palette.empty() || picture.palette.size() > 256 || picture.width <= 0 || picture.height <= 0
        || picture.indices.size() != std::size_t(picture.width) * std::size_t(picture.height))
        return {};
    std::vector<png_color> palette;
    for (const Rgb colour : picture.palette)
        palette.push_back({ png_byte(colour >> 16), png_byte(colour >> 8), png_byte(colour) });
    std::vector<std::uint8_t> indices = picture.indices;
    std::vector<png_bytep> rows;
    for (int y = 0; y < picture.height; ++y)
        rows.push_back(indices.data() + std::size_t(y) * std::size_t(picture.width));
    QByteArray out;
    return WriteRows(png_uint_32(picture.width), png_uint_32(picture.height), PNG_COLOR_TYPE_PALETTE, palette.data(),
               static_cast<int>(palette.size()), rows.data(), &out)
        ? out
        : QByteArray();
}

namespace {

// Rows of `channels` bytes a pixel through libpng; nothing when it fails.
QByteArray WriteTruecolour(int width, int height, int channels, std::vector<std::uint8_t> bytes)
{
    if (width <= 0 || height <= 0)
        return {};
    std::vector<png_bytep> rows;
    for (int y = 0; y < height; ++y)
        rows.push_back(bytes.data() + std::size_t(y) * std::size_t(width) * std::size_t(channels));
    QByteArray out;
    return WriteRows(png_uint_32(width), png_uint_32(height),
               channels == 4 ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB, nullptr, 0, rows.data(), &out)
        ? out
        : QByteArray();
}

}

QByteArray WriteRgbPng(const Picture& picture)
{
    std::vector<std::uint8_t> bytes;
    bytes.reserve(picture.pixels.size() * 3);
    for (const Rgb pixel : picture.pixels) {
        bytes.push_back(std::uint8_t(pixel >> 16));
        bytes.push_back(std::uint8_t(pixel >> 8));
        bytes.push_back(std::uint8_t(pixel));
    }
    return WriteTruecolour(picture.width, picture.height, 3, std::move(bytes));
}

QByteArray WriteRgbaPng(const Picture& picture, const std::vector<std::uint8_t>& alpha)
{
    if (alpha.size() != picture.pixels.size())
        return {};
    std::vector<std::uint8_t> bytes;
    bytes.reserve(picture.pixels.size() * 4);
    for (std::size_t at = 0; at < picture.pixels.size(); ++at) {
        const Rgb pixel = picture.pixels[at];
        for (const std::uint8_t channel :
            { std::uint8_t(pixel >> 16), std::uint8_t(pixel >> 8), std::uint8_t(pixel), alpha[at] })
            bytes.push_back(channel);
    }
    return WriteTruecolour(picture.width, picture.height, 4, std::move(bytes));
}

namespace {

// Nybbles, low one of a byte first; a row ends on a byte.
struct Nybbles {
    QByteArray& out;
    bool half = false;
    void Put(int nybble)
    {
        if (!half)
            out += char(nybble & 15);
        else
            out[out.size() - 1] = char(out.back() | (nybble & 15) << 4);
        half = !half;
    }
};

// A run of `count` pixels of the colour the row last had: that colour's
// nybble again and the length, 1-15 in one nybble, 16-271 as 0 and two more.
void Run(Nybbles& nybbles, int colour, int count)
{
    while (count > 0) {
        const int length = std::min(count, 271);
        nybbles.Put(colour);
        if (length < 16) {
            nybbles.Put(length);
        } else {
            nybbles.Put(0);
            nybbles.Put((length - 16) & 15);
            nybbles.Put((length - 16) >> 4);
        }
        count -= length;
    }
}

}

QByteArray WriteLss16(
    int width, int height, const std::vector<std::uint8_t>& indices, const std::array<Rgb, 16>& levels)
{
    QByteArray out("\x3d\xf3\x13\x14", 4);
    for (const int size : { width, height })
        out += char(size & 0xFF), out += char(size >> 8 & 0xFF);
    for (const Rgb level : levels)
        out += char(level >> 16 & 63), out += char(level >> 8 & 63), out += char(level & 63);
    for (int y = 0; y < height; ++y) {
        Nybbles nybbles { out };
        int previous = 0; // each row starts from colour 0
        for (int x = 0; x < width;) {
            const int colour = indices[std::size_t(y) * std::size_t(width) + std::size_t(x)];
            int end = x + 1;
            while (end < width && indices[std::size_t(y) * std::size_t(width) + std::size_t(end)] == colour)
                ++end;
            int count = end - x;
            if (colour != previous) {
                nybbles.Put(colour); // one pixel, and the colour the row now has
                previous = colour;
                --count;
            }
            Run(nybbles, colour, count);
            x = end;
        }
    }
    return out;
}

}
