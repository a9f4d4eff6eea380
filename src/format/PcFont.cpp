#include "PcFont.h"

#include <QByteArray>

#include <zlib.h>

namespace {

// A gzip file's contents; nothing when it is none or is damaged. At most a
// megabyte: no font comes near it.
std::optional<QByteArray> Gunzip(QByteArrayView bytes)
{
    z_stream stream {};
    if (inflateInit2(&stream, 16 + MAX_WBITS) != Z_OK)
        return std::nullopt;
    QByteArray out(1 << 20, '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data()));
    stream.avail_in = static_cast<uInt>(bytes.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = static_cast<uInt>(out.size());
    const int result = inflate(&stream, Z_FINISH);
    out.truncate(static_cast<qsizetype>(stream.total_out));
    inflateEnd(&stream);
    return result == Z_STREAM_END ? std::optional(out) : std::nullopt;
}

}

std::optional<PcFont> RomFont(QByteArrayView vgaBios)
{
    constexpr qsizetype Table = 0x73C0;
    if (vgaBios.size() < Table + 256 * 16)
        return std::nullopt;
    const QByteArrayView table = vgaBios.sliced(Table, 256 * 16);
    return PcFont { 16, std::vector<std::uint8_t>(table.begin(), table.end()) };
}

std::optional<PcFont> Psf1Font(QByteArrayView bytes)
{
    if (bytes.startsWith("\x1f\x8b")) {
        const std::optional<QByteArray> plain = Gunzip(bytes);
        return plain && !plain->startsWith("\x1f\x8b") ? Psf1Font(*plain) : std::nullopt;
    }
    if (bytes.size() < 4 || bytes[0] != '\x36' || bytes[1] != '\x04')
        return std::nullopt;
    const int mode = static_cast<std::uint8_t>(bytes[2]);
    const int height = static_cast<std::uint8_t>(bytes[3]);
    if (mode > 5 || height < 2 || height > 32 || bytes.size() < 4 + 256 * height)
        return std::nullopt;
    const QByteArrayView glyphs = bytes.sliced(4, 256 * height);
    return PcFont { height, std::vector<std::uint8_t>(glyphs.begin(), glyphs.end()) };
}
