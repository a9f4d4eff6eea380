#pragma once

#include "VesaMenu.h"

#include <QString>

class BootFiles;

// What vesamenu.c32 will make of a MENU BACKGROUND before it is used: the
// picture on the menu's screen, whether its name can be written in the
// configuration at all, and whether the menu's entries can be read over it.
namespace Vesa {

struct PictureVerdict {
    enum class Shown {
        Copied, // the screen's size: pixel for pixel
        Tiled, // smaller: repeated from the top left
        TopLeft, // smaller: once at the top left, black beside and below
        Damaged, // read in part, or the loader goes wrong on it
        Rejected, // not shown at all: black behind the menu
        TextScreen, // no video mode of that size: the menu runs as text
    } shown
        = Shown::Rejected;
    enum class Kind { None, Png, Jpeg, Lss16 } kind = Kind::None;
    int width = 0; // the picture's own size, from its header
    int height = 0;
    QString colours; // how its colours are stored and what the loader does with them
    QString message; // the whole verdict in a sentence
};

// The bytes of a picture file on a MENU RESOLUTION screen; `tiles` is the
// loader build's rule for smaller pictures (VersionRules::BackgroundTiles).
PictureVerdict BackgroundVerdict(QByteArrayView bytes, int width, int height, bool tiles = true);

// Why a name cannot stand after MENU BACKGROUND for a configuration in
// `folder` (an image path) of that tree: the menu reads one word and takes
// a leading "#" for a colour, and the loader opens nothing outside the
// image. Empty when it can.
QString BackgroundNameProblem(const QByteArray& name, const BootFiles& files, const QByteArray& folder);

// An entry of the drawn menu whose text is hard to read over what lies
// under it: its place on the grid, its text, and the contrast of its worst
// letter (glyph pixels against the rest of the letter's cell, by WCAG's
// relative luminance).
struct ContrastFinding {
    int row = 0;
    int column = 0; // first cell of the entry's row in the box
    QByteArray text;
    double ratio = 0; // the worst letter's, as n:1
    int hardLetters = 0; // letters under the threshold
    int letters = 0;
};
// WCAG's ratio for large text: the menu's letters are 16 dots high on a
// 640 x 480 screen filling a monitor, larger than its 18-point text.
constexpr double ReadableContrast = 3.0;
// The entries of a frame are its cells in the entry colours (unsel, sel,
// hotkey, hotsel, disabled), one run of them a row; `drawn` is the frame
// drawn (DrawLoaderMenu's picture) in `font`, the frame's own when it has one.
std::vector<ContrastFinding> ContrastFindings(
    const MenuFrame& frame, const Picture& drawn, const Font& font, double threshold = ReadableContrast);
// WCAG 2's contrast ratio of two sRGB colours' relative luminances.
double RelativeLuminance(Rgb colour);
double ContrastRatio(double luminance, double other);

}
