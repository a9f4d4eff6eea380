#pragma once

#include <cstdint>

class TFont;

// The text metrics that the console reads of a font, in pixels.
struct TextMetrics {
    int height = 0;
    int ascent = 0;
    int descent = 0;
    int externalLeading = 0;
    int aveCharWidth = 0;
    int maxCharWidth = 0;
    int overhang = 0;
    // Windows' pitch-and-family byte: bit 0 set means variable pitch; bits 4-7
    // hold the family (0x10 roman, 0x20 swiss, 0x30 modern, 0x40 script,
    // 0x50 decorative, 0 unspecified).
    std::uint8_t pitchAndFamily = 0;
};

// The family part of the pitch-and-family byte.
enum class TFontFamily : std::uint8_t {
    Unspecified = 0x00,
    Roman = 0x10,
    Swiss = 0x20,
    Modern = 0x30,
    Script = 0x40,
    Decorative = 0x50
};
constexpr std::uint8_t VariablePitchBit = 0x01;

constexpr std::uint8_t PitchAndFamily(TFontFamily family, bool variablePitch = false)
{
    return static_cast<std::uint8_t>(static_cast<std::uint8_t>(family) | (variablePitch ? VariablePitchBit : 0));
}

// The VGA text mode's cell is 9 dots wide, or 8 where the card is set so.
enum class VgaDots { Nine, Eight };

// How a background digit 8-f (attribute bit 7) shows: as a bright
// background (blinking off), or as blinking text on the dark background
// digit - 8, in the phase where the text is shown or the one where it is not.
enum class BlinkPhase { Bright, Shown, Hidden };

// Measures fonts on the screen. The console family asks it instead of the
// platform, so the grid and its attributes work without a display.
class FontMeasurer {
public:
    virtual ~FontMeasurer() = default;
    virtual TextMetrics Measure(const TFont& font) const = 0;
};

// A screen of fixed cells that is never shown: the VGA text mode's 9 x 16
// (or 8 x 16) cells, for consoles that only hold bytes and attributes.
class FixedCellMeasurer : public FontMeasurer {
public:
    explicit FixedCellMeasurer(VgaDots dots = VgaDots::Nine)
        : m_width(dots == VgaDots::Nine ? 9 : 8)
    {
    }
    TextMetrics Measure(const TFont&) const override
    {
        TextMetrics metrics;
        metrics.height = 16;
        metrics.ascent = 12;
        metrics.descent = 4;
        metrics.aveCharWidth = m_width;
        metrics.maxCharWidth = m_width;
        metrics.pitchAndFamily = PitchAndFamily(TFontFamily::Modern);
        return metrics;
    }

private:
    int m_width;
};
