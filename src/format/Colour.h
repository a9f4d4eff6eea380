#pragma once

#include <cstdint>

// A colour value as the console family stores it: 0x00BBGGRR for an explicit
// colour (red in the low byte), or 0xFF0000nn for the desktop's system colour
// number nn, which is resolved to RGB only when painting. Values are compared
// as stored, so clWindow never equals the RGB value it happens to resolve to.
using TColor = std::uint32_t;

constexpr TColor clBlack = 0x00000000;
constexpr TColor clWindow = 0xFF000005;
constexpr TColor clWindowText = 0xFF000008;

constexpr bool IsSystemColour(TColor colour) { return (colour & 0xFF000000) == 0xFF000000; }
constexpr int SystemColourIndex(TColor colour) { return static_cast<int>(colour & 0xFF); }

constexpr TColor PackRgb(int red, int green, int blue)
{
    return static_cast<TColor>(red) | static_cast<TColor>(green) << 8 | static_cast<TColor>(blue) << 16;
}
constexpr int RedOf(TColor colour) { return colour & 0xFF; }
constexpr int GreenOf(TColor colour) { return colour >> 8 & 0xFF; }
constexpr int BlueOf(TColor colour) { return colour >> 16 & 0xFF; }
