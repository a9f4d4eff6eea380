#pragma once

#include "console/Font.h"
#include "console/TextMetrics.h"
#include "format/Colour.h"

#include <QColor>
#include <QFont>
#include <QHash>
#include <QPalette>

// The Qt font that a console font description stands for. The PC screen's
// "Terminal" face is the VGA text mode's own font when it is installed
// (Debian's fonts-pc), drawn without smoothing; otherwise, like "Fixedsys",
// a fixed-pitch font that has every code page 437 glyph, preferably DejaVu
// Sans Mono.
QFont PlatformFont(const TFont& font, VgaDots dots = VgaDots::Nine);

bool HasVgaFace(VgaDots dots = VgaDots::Nine);

// A colour value as RGB: explicit colours as they are, system colours from
// the palette at this moment.
QColor ResolveColour(TColor colour, const QPalette& palette);

// Font descriptions are the one key of every per-font cache.
size_t qHash(const FontDescription& description, size_t seed = 0);

// Measures fonts with QFontMetrics, each font once. Qt has no
// pitch-and-family byte, so it is derived: a font that Qt reports as fixed
// pitch is family "modern" with the variable-pitch bit clear; any other font
// has the variable-pitch bit set and the family of its style hint. So exactly
// the fixed-pitch fonts pass the console's fixed-pitch test. The widest code
// page 437 glyph is the maximum character width.
class QtFontMeasurer : public FontMeasurer {
public:
    explicit QtFontMeasurer(VgaDots dots = VgaDots::Nine)
        : m_dots(dots)
    {
    }
    TextMetrics Measure(const TFont& font) const override;

private:
    VgaDots m_dots;
    mutable QHash<FontDescription, TextMetrics> m_measured;
};
