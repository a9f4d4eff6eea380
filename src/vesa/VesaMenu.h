#pragma once

#include "VesaPixels.h"
#include "config/MenuColours.h"

#include <functional>

class BootFiles;

namespace Vesa {

// What vesamenu.c32 shows at a moment, as the simulator hands it over: its
// video mode's size, the grid the menu drew on with each cell's
// colour-table index, the cursor, the shown menu's colour table, the
// picture behind (its MENU BACKGROUND, or an F-key screen's while that
// shows; empty for the gradient), FONT's font, and where the picture is
// read from.
struct MenuFrame {
    struct Cell {
        std::uint8_t byte = ' ';
        std::uint16_t colour = 0; // an index into colours
    };
    int width = 0;
    int height = 0;
    int cols = 0;
    int rows = 0;
    std::vector<Cell> cells; // row after row
    std::optional<std::pair<int, int>> cursor; // column, row
    MenuColours colours;
    QByteArray background;
    std::optional<PcFont> font;
    const BootFiles* files = nullptr;
    QByteArray folder;
    // The build's background rules: whether a smaller picture is tiled
    // (since 4.00), and whether the screen stays black without a picture
    // (3.84's module hangs there).
    bool tiles = true;
    bool blackWithoutBackground = false;
};

// The frame's cells in their colours (a help screen's in msg00-msgff), the
// ring around them in the table's first entry.
TextLayer MenuText(const MenuFrame& frame);

// What a picture file holds, decoded; nothing when it is none. A picture of
// the screen's size is taken as it is (ReadBackground gives one).
using PictureDecoder = std::function<std::optional<Picture>(QByteArrayView)>;
// MENU BACKGROUND on a screen of that size: the gradient without one, a flat
// colour for "#aarrggbb" (its alpha ignored), a picture the decoder gives
// tiled; black when the file is missing or cannot be read.
Picture MenuBackground(const QByteArray& background, const BootFiles& files, const QByteArray& folder, int width,
    int height, const PictureDecoder& decode);

// The frame's screen over its picture, in its font or else that one.
Picture DrawMenu(const MenuFrame& frame, const Font& font, const PictureDecoder& decode);

// Where QEMU's VGA BIOS is installed (Debian's seabios), and the font its
// ROM holds, the one the menu draws in without FONT; nothing when the file
// is not there or holds none.
constexpr const char* SeaBiosVgaImage = "/usr/share/seabios/vgabios-stdvga.bin";
std::optional<Font> BiosFont(const QString& vgaBios = QString::fromLatin1(SeaBiosVgaImage));

}
