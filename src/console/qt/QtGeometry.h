#pragma once

#include "console/ConsoleTypes.h"
#include "format/Colour.h"
#include "format/Palette.h"

#include <QColor>
#include <QRect>

// Between the console's pixel rectangles (right and bottom exclusive) and
// Qt's (right and bottom inclusive).
inline QRect ToQRect(const PixelRect& rect)
{
    return QRect(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
}
inline PixelRect ToPixelRect(const QRect& rect)
{
    return { rect.left(), rect.top(), rect.right() + 1, rect.bottom() + 1 };
}

// An explicit colour value (0x00BBGGRR) as a QColor.
inline QColor ToQColor(TColor colour) { return QColor(RedOf(colour), GreenOf(colour), BlueOf(colour)); }

// The VGA colour of a colour digit 0-15.
inline QColor PaletteColour(int digit) { return ToQColor(Palette[digit]); }
