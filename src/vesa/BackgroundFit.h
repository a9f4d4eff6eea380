#pragma once

#include "VesaPixels.h"

#include <QByteArray>
#include <QString>

#include <array>

// A picture made into a MENU BACKGROUND the loader shows as it is: the
// screen's size exactly (vesamenu.c32 never scales), in colours its readers
// keep. PNG for vesamenu.c32, LSS16 for a display file's 0x18 image.
namespace Vesa {

enum class FitMode {
    Scale, // stretched to the screen, proportions lost
    Crop, // the screen covered, the overhang cut off evenly
    Letterbox, // the whole picture, black bars on two sides
};

// The picture resampled to width x height (an area average: each output
// pixel the mean of the source pixels it covers).
Picture Resample(const Picture& picture, int width, int height, FitMode mode);

// At most `colours` colours by median cut, and each pixel its nearest;
// a picture that already has no more keeps its own, exactly. The palette
// comes out in the order the pixels' indices use.
struct Quantised {
    int width = 0;
    int height = 0;
    std::vector<Rgb> palette;
    std::vector<std::uint8_t> indices; // row after row
    Picture Pixels() const;
};
Quantised Quantise(const Picture& picture, int colours);

// What a fit writes: the file's bytes and the pixels the loader will show
// from them; or why there is no file.
struct Fitted {
    QByteArray file;
    Picture pixels;
    QString problem;
};

// An 8-bit palette PNG of the screen's size for vesamenu.c32.
Fitted FitBackground(const Picture& picture, int width, int height, FitMode mode);

// A 640 x 480 LSS16 image: 16 colours of 6-bit levels, the darkest at
// index 0 and the lightest at 7, because the loader writes its own text in
// colour 7 on colour 0 over the picture.
constexpr int Lss16Width = 640;
constexpr int Lss16Height = 480;
Fitted FitLss16(const Picture& picture, FitMode mode);

// The writers, for pictures already in their colours. A palette PNG
// through libpng (nothing when libpng fails); an LSS16 image from indices
// 0-15 and 16 colours of 6-bit levels, 0x00RRGGBB.
QByteArray WritePalettePng(const Quantised& picture);
QByteArray WriteLss16(
    int width, int height, const std::vector<std::uint8_t>& indices, const std::array<Rgb, 16>& levels);
// Truecolour PNGs of 8 bits a channel, not interlaced, as GRUB's reader
// takes them: the picture as RGB, or as RGBA with an alpha for each pixel;
// nothing when libpng fails or the alphas do not match the pixels.
QByteArray WriteRgbPng(const Picture& picture);
QByteArray WriteRgbaPng(const Picture& picture, const std::vector<std::uint8_t>& alpha);

}
