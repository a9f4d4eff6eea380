#include "PngFile.h"

#include <array>
#include <cstdint>

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

}

QByteArray PngFile(const PngLayout& layout, const QByteArray& rows)
{
    QByteArray png("\x89PNG\r\n\x1a\n", 8);
    QByteArray header;
    AppendBigEndian(header, static_cast<std::uint32_t>(layout.width));
    AppendBigEndian(header, static_cast<std::uint32_t>(layout.height));
    header += static_cast<char>(layout.depth);
    header += static_cast<char>(layout.colourType);
    header += QByteArray(3, '\0'); // deflate, no filter, no interlace
    AppendChunk(png, "IHDR", header);
    if (!layout.palette.isEmpty())
        AppendChunk(png, "PLTE", layout.palette);
    // qCompress writes the length first and then a zlib stream, which is
    // what a PNG's image data is. Level 3 makes files as small as other
    // tools' in a third of level 6's time.
    AppendChunk(png, "IDAT", qCompress(rows, 3).mid(4));
    AppendChunk(png, "IEND", {});
    return png;
}
