#pragma once

#include <QString>

#include <cstdint>
#include <optional>

// The desktop's standard text-to-integer conversion, as users of such
// fields know it: leading spaces are skipped, then an optional sign, then
// decimal digits, or hexadecimal digits after "$", "x", "X", "0x" or "0X".
// Nothing may follow the digits; the value must fit 32 signed bits.
std::optional<std::int32_t> ParseInteger(const QString& text);

// Throws EConvertError "'<text>' is not a valid integer value" when the
// text does not convert; for an empty text its detail says what to type.
std::int32_t StrToInt(const QString& text);
