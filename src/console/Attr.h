#pragma once

#include "Font.h"

#include <cstdint>

class FontMeasurer;

// One colour attribute: a frozen copy of the console font taken when a cell
// was first written with that combination, and the number of cells using it.
class TAttr : public TFixedFont {
public:
    TAttr(const TFixedFont& font, const FontMeasurer& measurer);

    std::uint32_t RefCount = 0;
    // Left shift of the text origin when runs of this attribute are painted:
    // descent × overhang ÷ ascent, rounded (−1 when the ascent is 0).
    std::int8_t DescentOverhang = 0;

    // Whether this attribute stands for the given font: same colours (as
    // stored) and same platform font.
    bool Matches(const TFixedFont& font) const;
};
