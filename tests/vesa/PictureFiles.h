#pragma once

// Picture files made for the tests: PNGs by libpng's own writer from
// samples a hash gives, JPEGs by Qt, LSS16 images, a zlib bomb, and the
// JPEGs under pictures/ beside what SYSLINUX drew from each.
#include "vesa/VesaPixels.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>

#include <png.h>
#include <zlib.h>

#include <csetjmp>
#include <utility>
#include <vector>

struct PngKind {
    const char* name;
    int type; // PNG_COLOR_TYPE_*
    int depth;
    bool interlaced = false;
    bool transparency = false; // a tRNS chunk
    int width = 37;
    int height = 11;
};

// Pixel (x, y)'s samples, one a channel (the index for a palette), each
// below 1 << depth.
inline std::vector<int> Samples(const PngKind& kind, int x, int y)
{
    const int channels = kind.type == PNG_COLOR_TYPE_RGB ? 3
        : kind.type == PNG_COLOR_TYPE_RGB_ALPHA          ? 4
        : kind.type == PNG_COLOR_TYPE_GRAY_ALPHA         ? 2
                                                         : 1;
    std::vector<int> samples;
    for (int c = 0; c < channels; ++c) {
        const auto hash = (static_cast<unsigned>(x) * 73856093u) ^ (static_cast<unsigned>(y) * 19349663u)
            ^ (static_cast<unsigned>(c + 1) * 83492791u);
        samples.push_back(static_cast<int>((hash * 2654435761u >> 8) % (1u << kind.depth)));
    }
    return samples;
}

inline Vesa::Rgb PaletteColour(int index) { return (static_cast<Vesa::Rgb>(index) * 2654435761u >> 4) & 0xFFFFFF; }

// libpng's writer, kept apart from C++ objects for its longjmp.
inline bool WritePngRows(const PngKind& kind, const png_color* palette, int colours, const png_byte* alphas,
    const png_color_16* colour, png_bytepp rows, QByteArray* out)
{
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_set_write_fn(
        png, out,
        [](png_structp p, png_bytep data, std::size_t size) {
            static_cast<QByteArray*>(png_get_io_ptr(p))->append(reinterpret_cast<const char*>(data), qsizetype(size));
        },
        nullptr);
    png_set_IHDR(png, info, static_cast<png_uint_32>(kind.width), static_cast<png_uint_32>(kind.height), kind.depth,
        kind.type, kind.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
        PNG_FILTER_TYPE_DEFAULT);
    if (kind.type == PNG_COLOR_TYPE_PALETTE)
        png_set_PLTE(png, info, palette, colours);
    if (kind.transparency)
        png_set_tRNS(png, info, alphas, colours, colour);
    png_write_info(png, info);
    png_set_packing(png); // samples below 8 bits come one a byte
    png_write_image(png, rows);
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return true;
}

inline QByteArray WritePng(const PngKind& kind)
{
    std::vector<png_color> palette(static_cast<std::size_t>(1 << std::min(kind.depth, 8)));
    std::vector<png_byte> alphas(palette.size());
    for (std::size_t i = 0; i < palette.size(); ++i) {
        const Vesa::Rgb rgb = PaletteColour(static_cast<int>(i));
        palette[i] = { png_byte(rgb >> 16), png_byte(rgb >> 8), png_byte(rgb) };
        alphas[i] = static_cast<png_byte>(i * 37);
    }
    // The transparent colour is one that occurs: pixel (1, 1)'s.
    const std::vector<int> seen = Samples(kind, 1, 1);
    png_color_16 colour {};
    colour.gray = colour.red = static_cast<png_uint_16>(seen[0]);
    if (seen.size() >= 3)
        colour.green = static_cast<png_uint_16>(seen[1]), colour.blue = static_cast<png_uint_16>(seen[2]);
    std::vector<std::vector<png_byte>> rows(static_cast<std::size_t>(kind.height));
    std::vector<png_bytep> pointers;
    for (int y = 0; y < kind.height; ++y) {
        std::vector<png_byte>& row = rows[static_cast<std::size_t>(y)];
        for (int x = 0; x < kind.width; ++x) {
            for (const int sample : Samples(kind, x, y)) {
                if (kind.depth == 16)
                    row.push_back(static_cast<png_byte>(sample >> 8));
                row.push_back(static_cast<png_byte>(sample));
            }
        }
        pointers.push_back(row.data());
    }
    QByteArray out;
    const bool written = WritePngRows(
        kind, palette.data(), static_cast<int>(palette.size()), alphas.data(), &colour, pointers.data(), &out);
    return written ? out : QByteArray();
}

inline QByteArray BigEndian(quint32 value)
{
    const char bytes[] = { char(value >> 24), char(value >> 16), char(value >> 8), char(value) };
    return QByteArray(bytes, 4);
}

// A chunk's CRC over its type and data.
inline QByteArray Crc(QByteArrayView typeAndData)
{
    return BigEndian(quint32(crc32(0, reinterpret_cast<const Bytef*>(typeAndData.data()), uInt(typeAndData.size()))));
}

// A grey PNG of that size whose image data inflates to 4 GiB of zeros: one
// MiB compressed, flushed so its blocks stand alone, repeated.
inline QByteArray ZlibBombPng(quint32 width, quint32 height)
{
    const auto chunk = [](const char* type, const QByteArray& data) {
        const QByteArray body = QByteArray(type) + data;
        return BigEndian(quint32(data.size())) + body + Crc(body);
    };
    z_stream stream {};
    deflateInit(&stream, 9);
    const QByteArray zeros(1 << 20, '\0');
    QByteArray piece(1 << 16, '\0');
    const auto deflated = [&](int flush) {
        stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(zeros.data()));
        stream.avail_in = uInt(zeros.size());
        stream.next_out = reinterpret_cast<Bytef*>(piece.data());
        stream.avail_out = uInt(piece.size());
        deflate(&stream, flush);
        return piece.left(piece.size() - qsizetype(stream.avail_out));
    };
    const QByteArray first = deflated(Z_FULL_FLUSH), middle = deflated(Z_FULL_FLUSH), last = deflated(Z_FINISH);
    deflateEnd(&stream);
    QByteArray data = first + middle.repeated(4094) + last;
    const QByteArray header = BigEndian(width) + BigEndian(height) + QByteArray("\x08\0\0\0\0", 5);
    return QByteArray("\x89PNG\r\n\x1a\n", 8) + chunk("IHDR", header) + chunk("IDAT", data) + chunk("IEND", {});
}

// An LSS16 image whose every pixel differs from the one before it; the
// first `rows` of its rows, all unless given.
inline QByteArray Lss16(int width, int height, int rows = -1)
{
    QByteArray bytes("\x3d\xf3\x13\x14", 4);
    for (const int size : { width, height })
        bytes += char(size & 0xFF), bytes += char(size >> 8);
    for (int i = 0; i < 48; ++i)
        bytes += char((i * 7) % 64);
    for (int y = 0; y < (rows < 0 ? height : rows); ++y) {
        for (int x = 0; x < width; x += 2)
            bytes += char((1 + (x + y) % 15) | (x + 1 < width ? 1 + (x + 1 + y) % 15 : 0) << 4);
    }
    return bytes;
}

// A 48 x 32 picture as Qt writes a JPEG of it (4:2:0, baseline).
inline QByteArray QtJpeg(QImage::Format format)
{
    QImage image(48, 32, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, qRgb(x * 5, y * 7, 255 - x * 2 - y * 3));
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.convertToFormat(format).save(&buffer, "JPEG", 90);
    return bytes;
}

// A 16 x 8 baseline JPEG whose DC table gives the value 0 two lengths (1
// and 11 bits): the lookup finds the short code and skips the long one, so
// the fourth block's skip is more bits than the decoder has filled.
inline QByteArray TwoLengthJpeg()
{
    const auto segment = [](int marker, const QByteArray& body) {
        const char head[] = { '\xff', char(marker), char((body.size() + 2) >> 8), char(body.size() + 2) };
        return QByteArray(head, 4) + body;
    };
    QByteArray dcBits(16, '\0'), acBits(16, '\0');
    dcBits[0] = dcBits[10] = 1; // a 1-bit and an 11-bit code
    acBits[1] = 1; // a 2-bit code: end of block
    return QByteArray::fromHex("ffd8") + segment(0xDB, QByteArray(1, '\0') + QByteArray(64, '\x01'))
        + segment(0xC0, QByteArray::fromHex("080008001003011100021100031100"))
        + segment(0xC4, '\x00' + dcBits + QByteArray(2, '\0')) + segment(0xC4, '\x10' + acBits + QByteArray(1, '\0'))
        + segment(0xDA, QByteArray::fromHex("03010002000300003f00")) + QByteArray(64, '\0')
        + QByteArray::fromHex("ffd9");
}

inline QByteArray ReadFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// pictures/NAME.jpg beside NAME.loader.png: the top left of QEMU's picture
// of vesamenu.c32 showing it (README there).
inline std::vector<std::pair<QString, QString>> RecordedJpegs()
{
    const QDir folder(QStringLiteral(GLIMRA_TEST_PICTURES));
    std::vector<std::pair<QString, QString>> files;
    for (const QString& name : folder.entryList({ QStringLiteral("*.jpg") }, QDir::Files, QDir::Name))
        files.emplace_back(folder.filePath(name), folder.filePath(QString(name).replace(".jpg", ".loader.png")));
    return files;
}
