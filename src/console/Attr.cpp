#include "Attr.h"

#include "TextMetrics.h"

#include <cmath>

TAttr::TAttr(const TFixedFont& font, const FontMeasurer& measurer)
{
    CopyFrom(font);
    const TextMetrics metrics = measurer.Measure(font);
    const long long shift = metrics.ascent == 0
        ? -1
        : std::llround(static_cast<double>(metrics.descent) * metrics.overhang / metrics.ascent);
    DescentOverhang = static_cast<std::int8_t>(static_cast<std::uint8_t>(shift & 0xFF));
}

bool TAttr::Matches(const TFixedFont& font) const
{
    return Color() == font.Color() && BkColor() == font.BkColor() && Handle() == font.Handle();
}
