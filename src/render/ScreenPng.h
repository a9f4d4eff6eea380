#pragma once

#include "GlyphTable.h"

#include <QByteArray>

#include "vesa/VesaMenu.h"

#include <QString>

struct ScreenSnapshot;

// The screen's picture as PNG bytes: each cell's glyph from the table in its
// palette colours, 16 colours at 4 bits a pixel. Blinking backgrounds show
// as the phase says.
QByteArray ScreenPng(const ScreenSnapshot& screen, const VgaGlyphTable& glyphs, BlinkPhase blink);

// The graphical menu's font: the VGA BIOS's, as QEMU shows it; without
// SeaBIOS the VGA face's 8-dot glyphs, and a note that says so. Nothing
// when neither is there.
std::optional<Vesa::Font> MenuFont(QString& note, const QString& vgaBios = QString::fromLatin1(Vesa::SeaBiosVgaImage));

// A picture as PNG bytes, 24 bits a pixel.
QByteArray PicturePng(const Vesa::Picture& picture);
