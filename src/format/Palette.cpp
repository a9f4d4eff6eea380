#include "Palette.h"

#include <algorithm>

std::optional<int> HexDigitValue(char byte)
{
    auto position = HexDigits.find(byte);
    if (position == std::string_view::npos)
        return std::nullopt;
    return static_cast<int>(position);
}

std::optional<int> PaletteDigitOf(TColor colour)
{
    auto found = std::find(Palette.begin(), Palette.end(), colour);
    if (found == Palette.end())
        return std::nullopt;
    return static_cast<int>(found - Palette.begin());
}

static TColor DigitColour(std::string_view command, size_t position, int fallbackDigit)
{
    std::optional<int> digit;
    if (position < command.size())
        digit = HexDigitValue(command[position]);
    return Palette[digit.value_or(fallbackDigit)];
}

TColor CommandBkColor(std::string_view command) { return DigitColour(command, 1, DefaultBackgroundDigit); }

TColor CommandColor(std::string_view command) { return DigitColour(command, 2, DefaultForegroundDigit); }
