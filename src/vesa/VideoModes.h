#pragma once

#include "VesaPixels.h"

#include <utility>

namespace Vesa {

// Whether QEMU's standard VGA, through SeaBIOS 1.16's VBE modes, offers
// vesamenu.c32 a mode of exactly this size that it can draw in: direct
// colour of 15, 16, 24 or 32 bits a pixel, within the card's 16 MiB. Without
// one the module's console falls back to the text screen, where it runs as
// menu.c32 does (com32/lib/sys/vesa/initvesa.c, vesaserial_write.c).
bool VesaModeOffered(int width, int height);

// The screen vesamenu.c32 runs a menu on: for the resolution it asks for
// (MENU RESOLUTION), a video mode of that size with its text grid, 8-dot
// cells of the font's height inside the border; without the mode the text
// screen's 80 x 25.
struct MenuMode {
    bool graphical = false;
    int width = 0; // the resolution asked for, in pixels
    int height = 0;
    int cols = 80;
    int rows = 25;
};
MenuMode ModeFor(std::pair<int, int> resolution, int fontHeight);

// The VGA BIOS's font height, which the grid has without FONT.
constexpr int BiosFontHeight = 16;

}
