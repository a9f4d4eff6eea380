#pragma once

#include "KeyTables.h"
#include "LoaderInput.h"

#include <optional>

// Keys as both loaders' key reader (get_key, getkey.h of SYSLINUX 6.04)
// numbers them: a byte is itself, the keys without one from 0x100, and a
// wait that runs out -1.
namespace LoaderCode {
enum : int {
    None = -1,
    Backspace = 0x08,
    Tab = 0x09,
    Enter = 0x0D,
    Escape = 0x1B,
    Del = 0x7F,
    F1 = 0x100, // to F12 at 0x10B
    F12 = 0x10B,
    Up = 0x120,
    Down = 0x121,
    Left = 0x122,
    Right = 0x123,
    PageUp = 0x124,
    PageDown = 0x125,
    Home = 0x126,
    End = 0x127,
    Insert = 0x128,
    Delete = 0x129,
};
}

namespace Keys {

// The pair the BIOS gives for the key (none for None).
BiosKey BiosKeyOf(Key key);
// What get_key makes of a BIOS pair: the byte; for 00 and E0 (which the
// loader's getchar makes 00) the key its table names after the scan code,
// or 0 when the table names none (Shift+F1, Alt+F1 ...).
int GetKeyCode(BiosKey pair);
// The key's code as the loaders read it: GetKeyCode of its pair, a typed
// byte itself, and 0 for None, whose pairs get_key does not know.
int LoaderCodeOf(Key key);
// An input's code; -1 (no key) for time passing.
int LoaderCodeOf(const LoaderInput& input);
// The key a code stands for: 8, 9, 13 and 27 are Backspace, Tab, Enter and
// Escape; nothing for -1 and for Insert, which Glimra does not press.
std::optional<Key> KeyOfLoaderCode(int code);

}
