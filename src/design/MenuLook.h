#pragma once

#include "config/MenuColours.h"
#include "config/MenuConfig.h"

#include <QByteArray>

#include <vector>

// What the Look page shows of a colour and an entry list: a MENU COLOR's
// ANSI part as its parts, whether text in a colour can be seen, and the
// hotkeys two entries of one menu claim.
namespace Design {

// The ANSI part as menu.c32 prints it: SGR numbers separated by ';'.
struct AnsiParts {
    int foreground = 7; // 0-7, the VGA order of SGR 30-37
    int background = 0; // 0-7, SGR 40-47
    bool bright = false; // 1
    bool blink = false; // 5
    bool reverse = false; // 7
};
AnsiParts ReadAnsi(const QByteArray& ansi);
QByteArray WriteAnsi(const AnsiParts& parts);

// The words after the element in MENU COLOR: ansi, #aarrggbb twice, shadow.
QByteArray ColourWords(const QByteArray& ansi, Argb foreground, Argb background, MenuShadow shadow);
const char* ShadowWord(MenuShadow shadow);

// Text in this colour is hard to tell from its ground: on the text screen
// the same colour (reverse and bright counted), in the graphical menu a
// foreground almost transparent or of nearly the background's lightness.
bool HardToSeeOnText(const AnsiParts& parts);
bool HardToSeeInGraphics(Argb foreground, Argb background);

// Entries whose ^ hotkey an earlier entry of the menu has already claimed.
std::vector<int> RepeatedHotkeys(const Menu& menu);

}
