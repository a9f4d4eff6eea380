#pragma once

#include "console/qt/QtCanvas.h"

#include <QImage>

class TColorConsole;

// The console's own painting of its whole grid, one cell per character.
QImage PaintScreen(TColorConsole& console, BlinkPhase blink = BlinkPhase::Bright, VgaDots dots = VgaDots::Nine);
// The same with glyphs kept from painting to painting.
QImage PaintScreen(TColorConsole& console, GlyphCache& glyphs, BlinkPhase blink = BlinkPhase::Bright);

// The image as PNG bytes. An image of at most 256 colours (the VGA font is
// never smoothed) is written with a palette, exactly: a quarter of the
// pixels to compress and a smaller file.
QByteArray ToPng(const QImage& image);
