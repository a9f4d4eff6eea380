#include "MenuLook.h"

#include <array>
#include <cmath>

namespace Design {

AnsiParts ReadAnsi(const QByteArray& ansi)
{
    AnsiParts parts;
    for (const QByteArray& word : ansi.split(';')) {
        bool ok = false;
        const int code = word.trimmed().toInt(&ok);
        if (!ok)
            continue;
        if (code == 0)
            parts = { 7, 0, false, false, false };
        else if (code == 1)
            parts.bright = true;
        else if (code == 5)
            parts.blink = true;
        else if (code == 7)
            parts.reverse = true;
        else if (code >= 30 && code <= 37)
            parts.foreground = code - 30;
        else if (code >= 40 && code <= 47)
            parts.background = code - 40;
    }
    return parts;
}

QByteArray WriteAnsi(const AnsiParts& parts)
{
    QByteArray ansi;
    for (const auto& [on, code] :
        { std::pair(parts.bright, "1;"), std::pair(parts.blink, "5;"), std::pair(parts.reverse, "7;") }) {
        if (on)
            ansi += code;
    }
    return ansi + QByteArray::number(30 + parts.foreground) + ';' + QByteArray::number(40 + parts.background);
}

const char* ShadowWord(MenuShadow shadow)
{
    constexpr std::array<const char*, 4> words = { "none", "std", "all", "rev" };
    return words[static_cast<std::size_t>(shadow)];
}

QByteArray ColourWords(const QByteArray& ansi, Argb foreground, Argb background, MenuShadow shadow)
{
    const auto hex = [](Argb argb) { return '#' + QByteArray::number(argb, 16).rightJustified(8, '0'); };
    return ansi + ' ' + hex(foreground) + ' ' + hex(background) + ' ' + ShadowWord(shadow);
}

bool HardToSeeOnText(const AnsiParts& parts)
{
    // Reverse swaps the two, which leaves them as equal as they were.
    return parts.foreground + (parts.bright ? 8 : 0) == parts.background;
}

namespace {

// Relative luminance of an sRGB colour, from 0 to 1.
double Luminance(Argb argb)
{
    const auto channel = [](unsigned value) {
        const double c = value / 255.0;
        return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel((argb >> 16) & 0xFF) + 0.7152 * channel((argb >> 8) & 0xFF) + 0.0722 * channel(argb & 0xFF);
}

}

bool HardToSeeInGraphics(Argb foreground, Argb background)
{
    if ((foreground >> 24) < 0x30)
        return true;
    // A background mostly see-through lets the picture decide: only the text's own alpha is known.
    if ((background >> 24) < 0x80)
        return false;
    const double a = Luminance(foreground);
    const double b = Luminance(background);
    return (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05) < 1.5;
}

std::vector<int> RepeatedHotkeys(const Menu& menu)
{
    // The reader's table names the entry that won each key.
    std::vector<int> repeated;
    for (int index = 0; index < static_cast<int>(menu.entries.size()); ++index) {
        const MenuEntry& entry = menu.entries[static_cast<std::size_t>(index)];
        const qsizetype caret = entry.displayName.indexOf('^');
        if (entry.action == MenuAction::Disabled || caret < 0 || caret + 1 >= entry.displayName.size())
            continue;
        const auto key = static_cast<unsigned char>(entry.displayName[caret + 1] & ~0x20);
        if (menu.hotkeys[key] != 0 && menu.hotkeys[key] != index + 1)
            repeated.push_back(index);
    }
    return repeated;
}

}
