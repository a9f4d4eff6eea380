#include "MenuLayout.h"

#include "ConfigSyntax.h"
#include "common/Limits.h"

#include <cstdint>

const std::array<MenuParamInfo, MenuParamCount> MenuParamInfos = { {
    { "width", 0 },
    { "margin", 10 },
    { "passwordmargin", 3 },
    { "rows", 12 },
    { "tabmsgrow", 18 },
    { "cmdlinerow", 18 },
    { "endrow", -1 },
    { "passwordrow", 11 },
    { "timeoutrow", 20 },
    { "helpmsgrow", 22 },
    { "helpmsgendrow", -1 },
    { "hshift", 0 },
    { "vshift", 0 },
    { "hiddenrow", -2 },
} };

MenuLayout::MenuLayout(const MenuParams& written, int columns, int rows)
    : m_params(written)
{
    if (m_params[static_cast<std::size_t>(MenuParam::Width)] == 0)
        m_params[static_cast<std::size_t>(MenuParam::Width)] = columns;
    for (int& value : m_params) {
        if (value < 0)
            value = std::max(value + rows, 0);
        value = std::min(value, Limits::MenuLayout);
    }
}

// draw_menu's scroll bar: at least a row long, its place in proportion.
std::optional<std::pair<int, int>> MenuLayout::ScrollBar(int count, int top) const
{
    const int rows = Rows();
    if (count <= rows)
        return std::nullopt;
    const int length = std::max(rows * rows / count, 1);
    const int first = (rows - length + 1) * top / (count - rows + 1) + FirstRow();
    return std::pair(first, first + length - 1);
}

int MenuLayout::PasswordHeader(qsizetype promptLength) const
{
    return static_cast<std::int32_t>(
        (static_cast<std::uint32_t>(Width()) - (static_cast<std::uint32_t>(promptLength) + 2)) / 2);
}

namespace {

// klibc's strtoul with base 0, as the module reads MENU RESOLUTION: blanks
// skipped, a sign, 0x for hex, a leading 0 for octal; the value wraps to
// the 32 bits of an unsigned long. p is left after the digits.
std::uint32_t ReadUnsigned(const char*& p)
{
    const bool minus = ConfigSyntax::SkipToDigits(p);
    unsigned base = 10;
    if (p[0] == '0' && (p[1] | 0x20) == 'x') {
        base = 16;
        p += 2;
    } else if (p[0] == '0') {
        base = 8;
    }
    std::uint32_t value = 0;
    for (;; ++p) {
        const unsigned c = static_cast<unsigned char>(*p | 0x20);
        const unsigned digit = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'z' ? c - 'a' + 10 : base;
        if (digit >= base)
            break;
        value = value * base + digit;
    }
    return minus ? 0u - value : value;
}

}

std::pair<int, int> MenuResolution(const std::optional<QByteArray>& resolution)
{
    if (!resolution)
        return { 640, 480 };
    const char* p = resolution->constData();
    const std::uint32_t width = ReadUnsigned(p);
    const std::uint32_t height = ReadUnsigned(p);
    return { static_cast<int>(width), static_cast<int>(height) };
}
