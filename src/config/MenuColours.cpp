#include "MenuColours.h"

#include "ConfigSyntax.h"

using namespace ConfigSyntax;

const std::array<const char*, MenuColourCount> MenuColourNames
    = { "screen", "border", "title", "unsel", "hotkey", "sel", "hotsel", "scrollbar", "tabmsg", "cmdmark", "cmdline",
          "pwdborder", "pwdheader", "pwdentry", "timeout_msg", "timeout", "help", "disabled" };

namespace {

struct Default {
    const char* ansi;
    Argb foreground;
    Argb background;
    MenuShadow shadow;
};

// colors.c's default_colors, in MenuColourNames' order.
constexpr std::array<Default, MenuColourCount> Defaults = { {
    { "37;40", 0x80FFFFFF, 0x00000000, MenuShadow::Std },
    { "30;44", 0x40000000, 0x00000000, MenuShadow::Std },
    { "1;36;44", 0xC00090F0, 0x00000000, MenuShadow::Std },
    { "37;44", 0x90FFFFFF, 0x00000000, MenuShadow::Std },
    { "1;37;44", 0xFFFFFFFF, 0x00000000, MenuShadow::Std },
    { "7;37;40", 0xE0000000, 0x20FF8000, MenuShadow::All },
    { "1;7;37;40", 0xE0400000, 0x20FF8000, MenuShadow::All },
    { "30;44", 0x40000000, 0x00000000, MenuShadow::Std },
    { "31;40", 0x90FFFF00, 0x00000000, MenuShadow::Std },
    { "1;36;40", 0xC000FFFF, 0x00000000, MenuShadow::Std },
    { "37;40", 0xC0FFFFFF, 0x00000000, MenuShadow::Std },
    { "30;47", 0x80FFFFFF, 0x20FFFFFF, MenuShadow::Std },
    { "31;47", 0x80FF8080, 0x20FFFFFF, MenuShadow::Std },
    { "30;47", 0x80FFFFFF, 0x20FFFFFF, MenuShadow::Std },
    { "37;40", 0x80FFFFFF, 0x00000000, MenuShadow::Std },
    { "1;37;40", 0xC0FFFFFF, 0x00000000, MenuShadow::Std },
    { "37;40", 0xC0FFFFFF, 0x00000000, MenuShadow::Std },
    { "1;30;44", 0x60CCCCCC, 0x00000000, MenuShadow::Std },
} };

// MENU MSGCOLOR's defaults (menu.h MSG_COLORS_DEF_*).
constexpr Argb MessageForeground = 0x90FFFFFF;
constexpr Argb MessageBackground = 0x80FFFFFF;

const std::array<QByteArray, 256>& MessageNames()
{
    static const std::array<QByteArray, 256> names = [] {
        std::array<QByteArray, 256> made;
        for (int index = 0; index < 256; ++index)
            made[static_cast<std::size_t>(index)] = "msg" + QByteArray::number(index, 16).rightJustified(2, '0');
        return made;
    }();
    return names;
}

// A msgXX entry's ANSI part as default_color_table writes it: SGR 1 for a
// bright foreground, the background without its bright bit.
QByteArray MessageAnsi(std::size_t message)
{
    static constexpr std::array<int, 8> PcToAnsi = { 0, 4, 2, 6, 1, 5, 3, 7 };
    return QByteArray(message & 8 ? "1;" : "") + '3' + QByteArray::number(PcToAnsi[message & 7]) + ";4"
        + QByteArray::number(PcToAnsi[message >> 4 & 7]);
}

// set_msg_colors_global for one entry: the PC colour's full channels (6 is
// yellow, not brown) masked by the foreground's or background's, the bright
// ones at half the mask's alpha plus 0x80; a black background is clear.
void MessageArgb(std::size_t message, Argb foreground, Argb background, MenuShadow shadow, MenuColour& colour)
{
    static constexpr std::array<Argb, 8> PcColours
        = { 0x000000, 0x0000FF, 0x00FF00, 0x00FFFF, 0xFF0000, 0xFF00FF, 0xFFFF00, 0xFFFFFF };
    const auto bright = [](Argb mask) { return ((mask >> 1) & 0xFF000000u) | 0x80000000u; };
    const std::size_t fore = message & 0x0F;
    const std::size_t back = message >> 4 & 0x0F;
    colour.foreground = (PcColours[fore & 7] & foreground) | (fore & 8 ? bright(foreground) : foreground & 0xFF000000u);
    colour.background = back == 0
        ? 0
        : (PcColours[back & 7] & background) | (back & 8 ? bright(background) : background & 0xFF000000u);
    colour.shadow = shadow;
    colour.foregroundWritten = colour.backgroundWritten = false;
}

// The shadow word's first letter, as both MENU COLOR and MSGCOLOR read it.
void ReadShadow(const char* p, MenuShadow& shadow)
{
    switch (*p | 0x20) {
    case 'n': shadow = MenuShadow::None; break;
    case 's': shadow = MenuShadow::Std; break;
    case 'a': shadow = MenuShadow::All; break;
    case 'r': shadow = MenuShadow::Rev; break;
    default: break;
    }
}

// A colour word, or "*" keeping the one there.
void ReadArgbPart(const char*& p, Argb& argb, bool& written)
{
    if (LookingAt(p, "*")) {
        ++p;
        return;
    }
    argb = ReadArgb(p);
    written = true;
}

}

MenuColours::MenuColours()
    : m_messageForeground(MessageForeground)
    , m_messageBackground(MessageBackground)
    , m_messageShadow(MenuShadow::Std)
{
    for (std::size_t index = 0; index < MenuColourCount; ++index) {
        const Default& made = Defaults[index];
        m_named[index] = { made.ansi, made.foreground, made.background, made.shadow, {}, false, false };
    }
}

MenuColour MenuColours::At(std::size_t index) const
{
    if (index < MenuColourCount)
        return m_named[index];
    const std::size_t message = (index - MessageColourBase) & 0xFF;
    for (const auto& [changed, colour] : m_messages) {
        if (changed == message)
            return colour;
    }
    MenuColour colour;
    colour.ansi = MessageAnsi(message);
    MessageArgb(message, m_messageForeground, m_messageBackground, m_messageShadow, colour);
    return colour;
}

std::vector<MenuColour> MenuColours::Table() const
{
    std::vector<MenuColour> table;
    table.reserve(MenuColourTableSize);
    for (std::size_t index = 0; index < MenuColourTableSize; ++index)
        table.push_back(At(index));
    return table;
}

MenuColour& MenuColours::Entry(std::size_t index)
{
    if (index < MenuColourCount)
        return m_named[index];
    const auto message = static_cast<std::uint8_t>(index - MessageColourBase);
    for (auto& [changed, colour] : m_messages) {
        if (changed == message)
            return colour;
    }
    m_messages.emplace_back(message, At(index));
    return m_messages.back().second;
}

// MENU COLOR name ansi [fg [bg [shadow]]]: each part present only when the
// one before it is, "*" keeping a part.
bool MenuColours::ReadColour(const char* p, const ConfigPlace& place)
{
    for (std::size_t index = 0; index < MenuColourTableSize; ++index) {
        const char* ep = LookingAt(p,
            index < MenuColourCount ? MenuColourNames[index] : MessageNames()[index - MessageColourBase].constData());
        if (!ep)
            continue;
        const char* q = SkipBlanks(ep);
        if (!*q)
            return true;
        MenuColour& colour = Entry(index);
        colour.place = place;
        if (LookingAt(q, "*")) {
            ++q;
        } else {
            colour.ansi = Word(q);
            q += colour.ansi.size();
        }
        if (*(q = SkipBlanks(q))) {
            ReadArgbPart(q, colour.foreground, colour.foregroundWritten);
            if (*(q = SkipBlanks(q))) {
                ReadArgbPart(q, colour.background, colour.backgroundWritten);
                ReadShadow(SkipBlanks(q), colour.shadow);
            }
        }
        return true;
    }
    return false;
}

// MENU MSGCOLOR fg [bg [shadow]]: what it leaves out is the default, and a
// "*" for the foreground is not stepped over, so it keeps the background's
// default too.
void MenuColours::ReadMessageColours(const char* p)
{
    Argb foreground = MessageForeground;
    Argb background = MessageBackground;
    MenuShadow shadow = MenuShadow::Std;
    if (*(p = SkipBlanks(p))) {
        if (!LookingAt(p, "*"))
            foreground = ReadArgb(p);
        if (*(p = SkipBlanks(p))) {
            if (!LookingAt(p, "*"))
                background = ReadArgb(p);
            ReadShadow(SkipBlanks(p), shadow);
        }
    }
    SetMessageColours(foreground, background, shadow);
}

void MenuColours::SetMessageColours(Argb foreground, Argb background, MenuShadow shadow)
{
    m_messageForeground = foreground;
    m_messageBackground = background;
    m_messageShadow = shadow;
    for (auto& [message, colour] : m_messages)
        MessageArgb(message, foreground, background, shadow, colour);
}

Argb ReadArgb(const char*& p)
{
    const char* digits = *p == '#' ? p + 1 : p;
    const auto isHex = [](char c) {
        const unsigned value = static_cast<unsigned char>(c);
        return value - '0' < 10 || (value | 0x20) - 'a' < 6;
    };
    p = digits;
    while (isHex(*p))
        ++p;
    const auto length = static_cast<std::size_t>(p - digits);
    const auto value = [&](std::size_t at) { return HexValue(digits[at]); };
    const auto hex = [&](std::size_t at) { return value(at) << 4 | value(at + 1); };
    const auto single = [&](std::size_t at) { return value(at) * 0x11; };
    switch (length) {
    case 3: return 0xFF000000u | single(0) << 16 | single(1) << 8 | single(2);
    case 4: return single(0) << 24 | single(1) << 16 | single(2) << 8 | single(3);
    case 6:
    case 9:
    case 12: return 0xFF000000u | hex(0) << 16 | hex(length / 3) << 8 | hex(length / 3 * 2);
    case 8:
    case 16: return hex(0) << 24 | hex(length / 4) << 16 | hex(length / 4 * 2) << 8 | hex(length / 4 * 3);
    default: return 0xFFFF0000u;
    }
}

unsigned HexValue(char c)
{
    const unsigned lower = static_cast<unsigned char>(c | 0x20);
    return lower - '0' < 10 ? lower - '0' : lower - 'a' + 10;
}

Argb MenuArgb(const QByteArray& word)
{
    const char* p = word.constData();
    return ReadArgb(p);
}
