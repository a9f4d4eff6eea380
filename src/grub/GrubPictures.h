#pragma once

#include "format/PcFont.h"
#include "vesa/VesaPixels.h"

#include <QByteArray>

// The costly pieces of a UEFI side, kept for the next time the same tree is
// made (an export after a preview, each edit's Run Configuration): the
// menu's background as the module decodes it, the pictures' PNG files and
// the font's PF2 file. Each is found again only by the whole of what it was
// made from, so what comes out is always what making it anew would give.
namespace GrubPictures {

// ReadBackground's answer for the file's bytes on a screen of that size.
Vesa::Background Background(QByteArrayView bytes, int width, int height);
// Vesa::WriteRgbPng's file of the picture.
QByteArray RgbPng(const Vesa::Picture& picture);
// WritePf2's file of the font as GRUB's themes name it (family and size).
QByteArray Pf2(const PcFont& font, const QByteArray& family);

}
