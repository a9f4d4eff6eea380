// PNG backgrounds through libpng, with the calls vesamenu.c32 makes
// (com32/lib/sys/vesa/background.c, read_png_file). Debian's loader links
// libpng 1.6 as we do, so its errors stop the same rows ours do.
#include "VesaDecoders.h"

#include "common/Limits.h"

#include <png.h>

#include <csetjmp>
#include <cstring>
#include <vector>

namespace Vesa::Decoders {

namespace {

std::uint32_t BigEndian(QByteArrayView bytes, qsizetype at)
{
    std::uint32_t value = 0;
    for (qsizetype i = at; i < at + 4; ++i)
        value = value << 8 | static_cast<std::uint8_t>(bytes[i]);
    return value;
}

// What the libpng callbacks share with the reader; plain data, for a
// longjmp may leave through any of them.
struct Session {
    const unsigned char* data;
    std::size_t size;
    std::size_t at;
    char error[160];
    unsigned rowsRead;
    png_infop info;
    bool reading; // the rows, png_read_info done
    std::size_t trailing; // bytes read once the rows were all there
    bool bomb;
};

void ReadData(png_structp png, png_bytep out, std::size_t count)
{
    auto* session = static_cast<Session*>(png_get_io_ptr(png));
    if (count > session->size - session->at)
        png_error(png, "the file is cut short");
    // Past the last row (of the last pass) libpng reads on to the end of
    // the compressed stream; a bomb's end is gigabytes away.
    const bool interlaced = png_get_interlace_type(png, session->info) != PNG_INTERLACE_NONE;
    if (session->reading
        && (interlaced ? png_get_current_pass_number(png) >= 7
                       : png_get_current_row_number(png) >= png_get_image_height(png, session->info))) {
        session->trailing += count;
        if (session->trailing > static_cast<std::size_t>(Limits::PictureTrailingBytes)) {
            session->bomb = true;
            png_error(png, "bomb");
        }
    }
    std::memcpy(out, session->data + session->at, count);
    session->at += count;
}

void OnError(png_structp png, png_const_charp message)
{
    auto* session = static_cast<Session*>(png_get_error_ptr(png));
    std::snprintf(session->error, sizeof session->error, "%s", message);
    png_longjmp(png, 1);
}

void OnWarning(png_structp, png_const_charp) { }

void OnRow(png_structp png, png_uint_32, int) { ++static_cast<Session*>(png_get_error_ptr(png))->rowsRead; }

// The module's setup and png_read_image into BGRA rows of `stride` bytes.
// False when libpng stopped with an error; rows written until then stay.
bool ReadRows(png_structp png, png_infop info, Session* session, unsigned char* buffer, std::size_t stride,
    std::vector<png_bytep>& rows, png_uint_32 maxWidth, png_uint_32 maxHeight)
{
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_set_sig_bytes(png, 8);
    png_set_user_limits(png, maxWidth, maxHeight);
    png_read_info(png, info);
    const int type = png_get_color_type(png, info);
    const int depth = png_get_bit_depth(png, info);
    if (type & PNG_COLOR_MASK_PALETTE)
        png_set_palette_to_rgb(png);
    else if (!(type & PNG_COLOR_MASK_COLOR))
        png_set_gray_to_rgb(png);
    if (!(type & PNG_COLOR_MASK_ALPHA)) {
        if (png_get_valid(png, info, PNG_INFO_tRNS))
            png_set_tRNS_to_alpha(png);
        else
            png_set_add_alpha(png, ~0u, PNG_FILLER_AFTER);
    }
    png_set_bgr(png);
    if (depth == 16)
        png_set_strip_16(png);
    else if (depth < 8)
        png_set_packing(png);
    const png_uint_32 height = png_get_image_height(png, info);
    if (height != rows.size() || png_get_image_width(png, info) * 4 != stride)
        png_error(png, "its header is not the one read before");
    for (png_uint_32 y = 0; y < height; ++y)
        rows[y] = buffer + y * stride;
    session->reading = true;
    png_read_image(png, rows.data());
    return true;
}

}

std::optional<std::pair<int, int>> PngSize(QByteArrayView bytes)
{
    if (bytes.size() < 24 || png_sig_cmp(reinterpret_cast<png_const_bytep>(bytes.data()), 0, 8) != 0
        || bytes.sliced(12, 4) != "IHDR")
        return std::nullopt;
    const std::uint32_t width = BigEndian(bytes, 16), height = BigEndian(bytes, 20);
    if (width > 0x7FFFFFFF || height > 0x7FFFFFFF)
        return std::nullopt;
    return std::pair(static_cast<int>(width), static_cast<int>(height));
}

namespace {

// libpng's BGRA rows into the screen's pixels, and their alphas when asked.
void CopyRows(const unsigned char* rows, std::size_t stride, int width, int height, Picture& screen,
    std::vector<std::uint8_t>* alpha)
{
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const unsigned char* pixel = rows + static_cast<std::size_t>(y) * stride + 4 * std::size_t(x);
            screen.At(x, y) = static_cast<Rgb>(pixel[2]) << 16 | static_cast<Rgb>(pixel[1]) << 8 | pixel[0];
            if (alpha)
                (*alpha)[std::size_t(y) * std::size_t(screen.width) + std::size_t(x)] = pixel[3];
        }
    }
}

}

Outcome ReadPng(QByteArrayView bytes, Picture& screen) { return ReadPngWithAlpha(bytes, screen, nullptr); }

Outcome ReadPngWithAlpha(QByteArrayView bytes, Picture& screen, std::vector<std::uint8_t>* alpha)
{
    Outcome outcome;
    if (bytes.size() < 8 || png_sig_cmp(reinterpret_cast<png_const_bytep>(bytes.data()), 0, 8) != 0)
        return outcome;
    outcome.recognised = true;
    if (const std::optional<std::pair<int, int>> size = PngSize(bytes)) {
        std::tie(outcome.width, outcome.height) = *size;
        // libpng's user limits refuse it at IHDR; said here in our words.
        if (!FitsScreen(outcome, screen, "the PNG", "refuses it"))
            return outcome;
    }
    Session session { reinterpret_cast<const unsigned char*>(bytes.data()), static_cast<std::size_t>(bytes.size()), 8,
        {}, 0, nullptr, false, 0, false };
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &session, OnError, OnWarning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!png || !info) {
        png_destroy_read_struct(&png, &info, nullptr);
        outcome.problem = QStringLiteral("libpng could not start");
        return outcome;
    }
    session.info = info;
    png_set_read_fn(png, &session, ReadData);
    png_set_read_status_fn(png, OnRow);
    // Rows of the header's size: libpng writes no others, and refuses a
    // file without that header before it writes any.
    const std::size_t stride = static_cast<std::size_t>(outcome.width) * 4;
    std::vector<unsigned char> buffer(stride * static_cast<std::size_t>(outcome.height));
    std::vector<png_bytep> rows(static_cast<std::size_t>(outcome.height));
    const bool read = ReadRows(png, info, &session, buffer.data(), stride, rows, static_cast<png_uint_32>(screen.width),
        static_cast<png_uint_32>(screen.height));
    if (read) {
        outcome.width = static_cast<int>(png_get_image_width(png, info));
        outcome.height = static_cast<int>(png_get_image_height(png, info));
    }
    outcome.complete = read || session.bomb;
    png_destroy_read_struct(&png, &info, nullptr);
    CopyRows(buffer.data(), stride, outcome.width, outcome.height, screen, alpha);
    if (outcome.complete)
        Tile(screen, outcome.width, outcome.height);
    if (session.bomb)
        outcome.problem = QStringLiteral("its compressed data goes on past its rows (more than %1 KiB, a zlib bomb), "
                                         "which the loader inflates to the end before it shows the menu; Glimra "
                                         "stops there")
                              .arg(Limits::PictureTrailingBytes >> 10);
    else if (!outcome.complete)
        outcome.problem = (session.rowsRead > 0 ? QStringLiteral("libpng stops part way through it: %1")
                                                : QStringLiteral("libpng refuses it: %1"))
                              .arg(QString::fromUtf8(session.error));
    return outcome;
}

}
