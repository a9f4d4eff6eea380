#pragma once

#include "sim/LoaderKeys.h"

#include <QByteArray>

// The key codes GRUB's terminals hand its menu and editors: a character as
// itself, Ctrl with a letter as a flag over the letter, the other keys as
// flagged scan codes (the EFI console's reading of the firmware's keys).
namespace GrubKey {

inline constexpr int Ctrl = 0x02000000;
inline constexpr int Extended = 0x00800000;

enum : int {
    None = 0,
    Backspace = '\b',
    Tab = '\t',
    Enter = '\r',
    Escape = 0x1b,
    Left = Extended | 0x4b,
    Right = Extended | 0x4d,
    Up = Extended | 0x48,
    Down = Extended | 0x50,
    Home = Extended | 0x47,
    End = Extended | 0x4f,
    Delete = Extended | 0x53,
    PageUp = Extended | 0x49,
    PageDown = Extended | 0x51,
    F1 = Extended | 0x3b,
    F2 = Extended | 0x3c,
    F4 = Extended | 0x3e,
    F10 = Extended | 0x44,
    F11 = Extended | 0x57,
    F12 = Extended | 0x58,
};

constexpr int CtrlKey(char letter) { return Ctrl | letter; }

// The code a key given to the simulator reads as; None for time passing and
// for chords GRUB's console gives nothing for.
int Of(const LoaderInput& input);

// The key a menu entry's --hotkey names: a key's name (f1 ... f12,
// backspace, tab, delete, insert) or else its first character.
int HotkeyOf(const QByteArray& word);

// Whether a code is a character GRUB's line editors insert.
constexpr bool Printable(int key) { return key >= 0x20 && key < 0x7f; }

}
