#pragma once

#include "ConsoleTypes.h"
#include "format/Colour.h"

#include <QByteArrayView>

class TFont;

// The drawing surface a console paints on.
class ConsoleCanvas {
public:
    virtual ~ConsoleCanvas() = default;

    // Shifts the drawing origin so that (x, y) lands on the top-left corner.
    virtual void SetOrigin(int x, int y) = 0;
    // The part to repaint, in the current coordinates.
    virtual PixelRect ClipBox() const = 0;
    virtual void FillRect(const PixelRect& rect, TColor colour) = 0;
    virtual void SelectFont(const TFont& font) = 0;
    virtual void SetTextColours(TColor foreground, TColor background) = 0;
    // One text call: fills box with the background colour, then draws the
    // cells from x with baseline y, each advance pixels on, clipped to box.
    virtual void DrawRun(int x, int baseline, QByteArrayView cells, int advance, const PixelRect& box) = 0;
};
