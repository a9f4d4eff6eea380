#pragma once

#include "BootConfig.h"

#include <QByteArray>

#include <array>
#include <cstdint>
#include <vector>

// menu.c32's colour table (com32/menu/colors.c) as MENU COLOR and MENU
// MSGCOLOR set it (readconfig.c): the 18 named colours the menu draws in,
// then msg00-msgff, the colours of a help screen's SI codes. An entry has
// the ANSI part the text screen prints and the ARGB colours and shadow
// vesamenu.c32 draws; a menu starts with its parent's table.

using Argb = std::uint32_t; // 0xAARRGGBB

// Which pixels of a cell are raised, casting a shadow: none, the glyph's,
// all, or all but the glyph's.
enum class MenuShadow : std::uint8_t { None, Std, All, Rev };

struct MenuColour {
    QByteArray ansi; // "37;40"
    Argb foreground = 0;
    Argb background = 0;
    MenuShadow shadow = MenuShadow::Std;
    // What the configuration wrote of it: the line (0 for none) and
    // whether it gave the colours themselves rather than "*" or nothing.
    ConfigPlace place;
    bool foregroundWritten = false;
    bool backgroundWritten = false;
};

// The named colours, by the index the drawing's "\1#n" codes use.
enum class MenuColourName : std::uint8_t {
    Screen,
    Border,
    Title,
    Unsel,
    Hotkey,
    Sel,
    Hotsel,
    Scrollbar,
    TabMsg,
    CmdMark,
    CmdLine,
    PwdBorder,
    PwdHeader,
    PwdEntry,
    TimeoutMsg,
    Timeout,
    Help,
    Disabled,
    Count
};
constexpr std::size_t MenuColourCount = static_cast<std::size_t>(MenuColourName::Count);
// msgXX is entry MessageColourBase + XX.
constexpr std::size_t MessageColourBase = MenuColourCount;
constexpr std::size_t MenuColourTableSize = MenuColourCount + 256;
extern const std::array<const char*, MenuColourCount> MenuColourNames;

// One menu's table, kept small: the named entries, MENU MSGCOLOR's masks
// and the msgXX entries MENU COLOR changed; At() gives any entry.
class MenuColours {
public:
    MenuColours(); // the table a menu starts with
    const MenuColour& operator[](std::size_t named) const { return m_named[named]; }
    const MenuColour& operator[](MenuColourName named) const { return m_named[static_cast<std::size_t>(named)]; }
    MenuColour At(std::size_t index) const;
    std::vector<MenuColour> Table() const; // all MenuColourTableSize entries

    // The words after MENU COLOR: false when they name no entry.
    bool ReadColour(const char* p, const ConfigPlace& place);
    // The words after MENU MSGCOLOR: every msgXX's colours remade.
    void ReadMessageColours(const char* p);

private:
    MenuColour& Entry(std::size_t index);
    void SetMessageColours(Argb foreground, Argb background, MenuShadow shadow);

    std::array<MenuColour, MenuColourCount> m_named;
    Argb m_messageForeground;
    Argb m_messageBackground;
    MenuShadow m_messageShadow;
    std::vector<std::pair<std::uint8_t, MenuColour>> m_messages; // changed msgXX entries
};

// The colour an #argb word at p means, as the module's parse_argb reads it
// (#rgb, #argb, #rrggbb, #aarrggbb ...; anything else is its bright red);
// p is left after the hex digits.
Argb ReadArgb(const char*& p);
// The module's hexval: a hex digit's value, anything past 9 counted from
// 'a' with its case bit set, whatever it is.
unsigned HexValue(char c);
Argb MenuArgb(const QByteArray& word);
