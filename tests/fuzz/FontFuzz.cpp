// Feeds arbitrary bytes to the FONT reader and checks what must hold: a
// font is 256 glyphs of 2 to 32 rows, the file's own bytes after its
// header, and only a file with the PSF1 header gives one.
#include "FuzzChecks.h"
#include "format/PcFont.h"

#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const std::optional<PcFont> font = Psf1Font(bytes);
    if (!font)
        return 0;
    Require(font->height >= 2 && font->height <= 32, "a font of another height");
    Require(font->rows.size() == 256 * std::size_t(font->height), "not 256 glyphs");
    Require(
        size >= 4 + font->rows.size() && data[0] == 0x36 && data[1] == 0x04 && data[2] <= 5 && data[3] == font->height,
        "a font from no PSF1 header");
    Require(std::memcmp(font->rows.data(), data + 4, font->rows.size()) == 0, "glyphs other than the file's");
    return 0;
}
