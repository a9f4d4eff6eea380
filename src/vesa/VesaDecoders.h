#pragma once

#include "VesaPixels.h"

#include <QString>

#include <array>

// The readers behind ReadBackground, one per kind of picture file. Each
// writes into a screen from its top left, row stride the screen's width, as
// the module writes into its background buffer, and tiles it when the
// module does; rows it wrote before a fault stay.
namespace Vesa::Decoders {

struct Outcome {
    bool recognised = false; // the file is of this kind
    bool complete = false; // all of its pixels were read
    int width = 0; // its size, from its header
    int height = 0;
    QString problem; // why not, when not complete
};

// Whether the picture of the outcome's size fits the screen, as every
// reader checks before it reads pixels; when not, its problem says so: the
// picture of this kind ("the PNG") and what the loader does ("refuses it").
bool FitsScreen(Outcome& outcome, const Picture& screen, const char* picture, const char* verdict);

// Width and height from a PNG's IHDR, when it starts with one.
std::optional<std::pair<int, int>> PngSize(QByteArrayView bytes);

// A PNG through libpng, set up as background.c sets it up, at most the
// screen's size (png_set_user_limits); tiled when read whole.
Outcome ReadPng(QByteArrayView bytes, Picture& screen);
// The same, keeping each pixel's alpha in `alpha` (the screen's size) too.
Outcome ReadPngWithAlpha(QByteArrayView bytes, Picture& screen, std::vector<std::uint8_t>* alpha);

// A baseline JPEG as SYSLINUX's decoder (tinyjpeg) decodes it into BGRA32,
// edge blocks and all; at most the screen's size; tiled once its headers
// are read, whatever the decoding then meets.
Outcome ReadJpeg(QByteArrayView bytes, Picture& screen);

// An LSS16 image: recognised only when it fits the screen, as the module's
// signature check has it; the rest of the screen black.
Outcome ReadLss16(QByteArrayView bytes, Picture& screen);
// The same image with each pixel its colour's number 0-15, as the assembly
// core draws it into VGA planes; and the header's 16 colours as 6-bit DAC
// levels, 0x00RRGGBB (0 past the end of a short file).
Outcome ReadLss16Indexes(QByteArrayView bytes, Picture& screen);
std::array<Rgb, 16> Lss16Levels(QByteArrayView bytes);

// The top left width x height copied over the whole screen (tile_image).
void Tile(Picture& screen, int width, int height);

}
