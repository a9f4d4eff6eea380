#pragma once

#include "Colour.h"

#include <array>
#include <optional>
#include <string_view>

// The 16 text-screen colours, named by the digits "0"-"9", "a"-"f" in that
// order. Only lower-case letters are digits: "A" is text, not a colour.
constexpr std::string_view HexDigits = "0123456789abcdef";

constexpr int DefaultBackgroundDigit = 0; // black
constexpr int DefaultForegroundDigit = 7; // light grey

// Packed 0x00BBGGRR. Components are only 0x00, 0x55, 0xAA or 0xFF; digit 6 is brown.
constexpr std::array<TColor, 16> Palette = {
    PackRgb(0x00, 0x00, 0x00),
    PackRgb(0x00, 0x00, 0xAA),
    PackRgb(0x00, 0xAA, 0x00),
    PackRgb(0x00, 0xAA, 0xAA),
    PackRgb(0xAA, 0x00, 0x00),
    PackRgb(0xAA, 0x00, 0xAA),
    PackRgb(0xAA, 0x55, 0x00),
    PackRgb(0xAA, 0xAA, 0xAA),
    PackRgb(0x55, 0x55, 0x55),
    PackRgb(0x55, 0x55, 0xFF),
    PackRgb(0x55, 0xFF, 0x55),
    PackRgb(0x55, 0xFF, 0xFF),
    PackRgb(0xFF, 0x55, 0x55),
    PackRgb(0xFF, 0x55, 0xFF),
    PackRgb(0xFF, 0xFF, 0x55),
    PackRgb(0xFF, 0xFF, 0xFF),
};

// The colours' names in the same order, for messages.
constexpr std::array<const char*, 16> ColourNames
    = { "black", "blue", "green", "cyan", "red", "magenta", "brown", "light grey", "dark grey", "light blue",
          "light green", "light cyan", "light red", "light magenta", "yellow", "white" };

// The value 0-15 of a digit byte, or nothing for any other byte.
std::optional<int> HexDigitValue(char byte);

// The palette digit of a colour, or nothing when the colour is not in the palette.
std::optional<int> PaletteDigitOf(TColor colour);

// A command is the text from a 0x0F byte on, at most three bytes (fewer at the
// end of the text). The first byte is not looked at; a missing or non-digit
// byte gives the default of its role. Neither fails.
TColor CommandBkColor(std::string_view command);
TColor CommandColor(std::string_view command);
