#pragma once

#include "GlyphTable.h"

#include "preview/PreviewConsole.h"
#include "vesa/VesaMenu.h"

#include <QByteArray>
#include <QString>

#ifdef GLIMRA_PAINTS_PNG
#include "console/qt/QtFonts.h"
#endif

struct ScreenSnapshot;

// The screen's picture as PNG bytes: each cell's glyph from the table in its
// palette colours, 16 colours at 4 bits a pixel. Blinking backgrounds show
// as the phase says.
QByteArray ScreenPng(const ScreenSnapshot& screen, const VgaGlyphTable& glyphs, BlinkPhase blink);

// What measures a console whose screen becomes a PNG: cells need no font
// when the glyph table composes the picture; without the table the
// console paints it in the system's VGA face.
#ifdef GLIMRA_PAINTS_PNG
using PngMeasurer = QtFontMeasurer;
#else
using PngMeasurer = FixedCellMeasurer;
#endif
// The console's screen as a PNG, composed or painted as the build can.
QByteArray ConsolePng(TColorConsole& console, BlinkPhase blink, VgaDots dots);

// The graphical menu's font: the VGA BIOS's, as QEMU shows it; without
// SeaBIOS the VGA face's 8-dot glyphs, and a note that says so. Nothing
// when neither is there.
std::optional<Vesa::Font> MenuFont(QString& note, const QString& vgaBios = QString::fromLatin1(Vesa::SeaBiosVgaImage));

// A picture as PNG bytes, 24 bits a pixel.
QByteArray PicturePng(const Vesa::Picture& picture);
