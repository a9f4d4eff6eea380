#include "PcFont.h"

#include "common/Limits.h"

namespace {

constexpr qsizetype Header = 4;

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
    if (bytes.size() < Header || bytes[0] != '\x36' || bytes[1] != '\x04' || static_cast<std::uint8_t>(bytes[2]) > 5)
        return std::nullopt;
    const int height = static_cast<std::uint8_t>(bytes[3]);
    static_assert(Header + 256 * 32 == Limits::FontBytes, "the largest font the header allows");
    if (height < 2 || height > 32 || bytes.size() < Header + 256 * height)
        return std::nullopt;
    const QByteArrayView glyphs = bytes.sliced(Header, 256 * height);
    return PcFont { height, std::vector<std::uint8_t>(glyphs.begin(), glyphs.end()) };
}
