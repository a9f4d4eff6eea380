#pragma once

#include "console/Font.h"
#include "console/TextMetrics.h"

#include <map>

// Text metrics without a display: every font is an 8 × 16 fixed-pitch font
// (size scales the cell) unless it is named in `proportional`.
class FakeMeasurer : public FontMeasurer {
public:
    TextMetrics Measure(const TFont& font) const override
    {
        ++measured;
        TextMetrics metrics;
        const int scale = font.Height() > 20 ? 2 : 1;
        metrics.height = 14 * scale;
        metrics.externalLeading = 2 * scale;
        metrics.ascent = 11 * scale;
        metrics.descent = 3 * scale;
        metrics.aveCharWidth = 8 * scale;
        metrics.maxCharWidth = 8 * scale;
        metrics.pitchAndFamily = PitchAndFamily(TFontFamily::Modern);
        if (auto found = overrides.find(font.Name()); found != overrides.end())
            metrics = found->second;
        return metrics;
    }

    std::map<QString, TextMetrics> overrides;
    mutable int measured = 0;

    // Fixed pitch, 8 × 16 cells, glyphs reaching 3 pixels past their cell.
    static TextMetrics Overhanging()
    {
        TextMetrics metrics;
        metrics.height = 16;
        metrics.ascent = 12;
        metrics.descent = 4;
        metrics.aveCharWidth = 8;
        metrics.maxCharWidth = 8;
        metrics.overhang = 3;
        metrics.pitchAndFamily = PitchAndFamily(TFontFamily::Modern);
        return metrics;
    }

    static TextMetrics Proportional()
    {
        TextMetrics metrics;
        metrics.height = 13;
        metrics.ascent = 10;
        metrics.descent = 3;
        metrics.aveCharWidth = 6;
        metrics.maxCharWidth = 14;
        metrics.pitchAndFamily = PitchAndFamily(TFontFamily::Swiss, true);
        return metrics;
    }
};
