#pragma once

#include "GlyphTable.h"

#include <QByteArray>

struct ScreenSnapshot;

// The screen's picture as PNG bytes: each cell's glyph from the table in its
// palette colours, 16 colours at 4 bits a pixel. Blinking backgrounds show
// as the phase says.
QByteArray ScreenPng(const ScreenSnapshot& screen, const VgaGlyphTable& glyphs, BlinkPhase blink);
