#include "VideoModes.h"

#include <array>
#include <cstdint>

namespace Vesa {

namespace {

struct Mode {
    int width;
    int height;
    int bits; // the fewest bits a pixel its direct-colour modes have
};

// The direct-colour modes of SeaBIOS's svgamodes.c, by size.
constexpr std::array<Mode, 23> Modes = { {
    { 320, 200, 15 },
    { 640, 400, 32 },
    { 640, 480, 15 },
    { 800, 600, 15 },
    { 1024, 768, 15 },
    { 1280, 1024, 15 },
    { 1600, 1200, 15 },
    { 1152, 864, 15 },
    { 1280, 768, 16 },
    { 1280, 800, 16 },
    { 1280, 960, 16 },
    { 1440, 900, 16 },
    { 1400, 1050, 16 },
    { 1680, 1050, 16 },
    { 1920, 1200, 16 },
    { 2560, 1600, 16 },
    { 1280, 720, 16 },
    { 1920, 1080, 16 },
    { 1600, 900, 16 },
    { 2560, 1440, 16 },
    { 3840, 2160, 16 },
    { 4096, 2160, 16 },
    { 5120, 2160, 16 },
} };

// QEMU's standard VGA memory; SeaBIOS drops the modes that do not fit.
constexpr std::int64_t VideoMemory = std::int64_t(16) << 20;

}

bool VesaModeOffered(int width, int height)
{
    for (const Mode& mode : Modes) {
        // 15-bit pixels take two bytes.
        const std::int64_t bytes = std::int64_t { mode.width } * mode.height * ((mode.bits + 7) / 8);
        if (mode.width == width && mode.height == height && bytes <= VideoMemory)
            return true;
    }
    return false;
}

MenuMode ModeFor(std::pair<int, int> resolution, int fontHeight)
{
    MenuMode mode;
    mode.width = resolution.first;
    mode.height = resolution.second;
    mode.graphical = VesaModeOffered(mode.width, mode.height);
    if (mode.graphical) {
        mode.cols = (mode.width - 2 * Border) / 8;
        mode.rows = (mode.height - 2 * Border) / fontHeight;
    }
    return mode;
}

}
