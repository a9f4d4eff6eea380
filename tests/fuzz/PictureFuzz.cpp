// Feeds arbitrary bytes to the MENU BACKGROUND reader (PNG through libpng,
// JPEG by SYSLINUX's decoder's arithmetic, LSS16) on a screen whose size
// the first byte picks, and checks what must hold: a screen of that size,
// and a whole picture read alone the same as at the screen's top left.
#include "FuzzChecks.h"
#include "vesa/VesaPixels.h"

#include <array>

namespace {

void RequireSameTopLeft(const Vesa::Picture& whole, const Vesa::Picture& screen, const char* what)
{
    if (whole.width > screen.width || whole.height > screen.height)
        return;
    for (int y = 0; y < whole.height; ++y) {
        for (int x = 0; x < whole.width; ++x)
            Require(whole.At(x, y) == screen.At(x, y), what);
    }
}

}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static constexpr std::array<std::pair<int, int>, 4> Screens
        = { { { 640, 480 }, { 320, 200 }, { 37, 11 }, { 800, 600 } } };
    if (size == 0)
        return 0;
    const int width = Screens[data[0] % Screens.size()].first, height = Screens[data[0] % Screens.size()].second;
    const QByteArrayView bytes(reinterpret_cast<const char*>(data) + 1, static_cast<qsizetype>(size - 1));
    const Vesa::Background read = Vesa::ReadBackground(bytes, width, height);
    Require(read.screen.width == width && read.screen.height == height, "a screen of another size");
    Require(read.screen.pixels.size() == std::size_t(width) * std::size_t(height), "pixels for another size");
    // Read alone only what the screen holds: a larger picture costs its
    // every pixel, and the screen has none of it to compare.
    const auto fits = [&](qsizetype at, int size, bool bigEndian) {
        const auto byte = [&](qsizetype i) { return std::uint32_t(std::uint8_t(bytes[at + i])); };
        const auto value = [&](qsizetype i) {
            return size == 4 ? (bigEndian ? byte(i) << 24 | byte(i + 1) << 16 | byte(i + 2) << 8 | byte(i + 3)
                                          : byte(i) | byte(i + 1) << 8 | byte(i + 2) << 16 | byte(i + 3) << 24)
                             : byte(i) | byte(i + 1) << 8;
        };
        return bytes.size() >= at + 2 * size && value(0) <= std::uint32_t(width)
            && value(size) <= std::uint32_t(height);
    };
    if (fits(16, 4, true))
        if (const std::optional<Vesa::Picture> png = Vesa::DecodePng(bytes))
            RequireSameTopLeft(*png, read.screen, "a PNG read alone differs from the screen's");
    if (fits(4, 2, false))
        if (const std::optional<Vesa::Picture> lss16 = Vesa::DecodeLss16(bytes))
            RequireSameTopLeft(*lss16, read.screen, "an LSS16 image read alone differs from the screen's");
    return 0;
}
