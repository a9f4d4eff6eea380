#pragma once

#include "VesaPixels.h"
#include "config/MenuConfig.h"
#include "sim/LoaderSim.h"

#include <array>
#include <functional>

class BootFiles;
class TColorConsole;

namespace Vesa {

struct Colour {
    Argb foreground;
    Argb background;
    Shadow shadow;
};

// Each MENU COLOR entry as vesamenu.c32 draws it: the ARGB words and the
// shadow mode as written, or the module's defaults.
std::array<Colour, MenuColourCount> MenuColours(const Menu& menu);

// The console's cells, as a menu drew them with colour-table indices kept,
// in their colours (F-key screens in the message colours msg00-msgff); the
// ring around them in the table's first entry.
TextLayer MenuText(const TColorConsole& console, const Menu& menu, bool cursorShown);

// What a picture file holds, decoded; nothing when it is none. A picture of
// the screen's size is taken as it is (ReadBackground gives one).
using PictureDecoder = std::function<std::optional<Picture>(QByteArrayView)>;
// MENU BACKGROUND on a screen of that size: the gradient without one, a flat
// colour for "#aarrggbb" (its alpha ignored), a picture the decoder gives
// tiled; black when the file is missing or cannot be read.
Picture MenuBackground(const QByteArray& background, const BootFiles& files, const QByteArray& folder, int width,
    int height, const PictureDecoder& decode);

// The running graphical menu's screen over the picture it shows now (an
// F-key screen's own while it is up), in FONT's font or else that one.
Picture DrawMenu(const LoaderSim::Graphics& graphics, const Font& font, const PictureDecoder& decode);

// Where QEMU's VGA BIOS is installed (Debian's seabios).
constexpr const char* SeaBiosVgaImage = "/usr/share/seabios/vgabios-stdvga.bin";

}
