#pragma once

#include "LoaderKeys.h"

// Keys as both loaders' get_key numbers them (com32/libutil/include/
// getkey.h): a byte as it is (0x80-0xff too), the others from 0x100.
namespace KeyCodes {

enum : int {
    KeyNone = -1,
    KeyBackspace = 8,
    KeyTab = 9,
    KeyEnter = 13,
    KeyEscape = 27,
    KeyDel = 127,
    KeyF1 = 0x100,
    KeyF12 = KeyF1 + 11,
    KeyUp = 0x120,
    KeyDown,
    KeyLeft,
    KeyRight,
    KeyPageUp,
    KeyPageDown,
    KeyHome,
    KeyEnd,
    KeyInsert,
    KeyDelete,
};

// The code a key given to the simulator reads as; KeyNone for a chord
// that is none of them (Shift+F1 ...), time passing and timeouts.
int KeyCodeOf(const LoaderInput& input);

}
