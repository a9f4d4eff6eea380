#pragma once

#include "LoaderKeys.h"
#include "keys/LoaderCodes.h"

// The simulator's names for get_key's codes; the values are keys/'s one table.
namespace KeyCodes {

enum : int {
    KeyNone = LoaderCode::None,
    KeyBackspace = LoaderCode::Backspace,
    KeyTab = LoaderCode::Tab,
    KeyEnter = LoaderCode::Enter,
    KeyEscape = LoaderCode::Escape,
    KeyDel = LoaderCode::Del,
    KeyF1 = LoaderCode::F1,
    KeyF12 = LoaderCode::F12,
    KeyUp = LoaderCode::Up,
    KeyDown = LoaderCode::Down,
    KeyLeft = LoaderCode::Left,
    KeyRight = LoaderCode::Right,
    KeyPageUp = LoaderCode::PageUp,
    KeyPageDown = LoaderCode::PageDown,
    KeyHome = LoaderCode::Home,
    KeyEnd = LoaderCode::End,
    KeyInsert = LoaderCode::Insert,
    KeyDelete = LoaderCode::Delete,
};

// The code a key given to the simulator reads as; KeyNone for a chord
// that is none of them (Shift+F1 ...), time passing and timeouts.
int KeyCodeOf(const LoaderInput& input);

}
