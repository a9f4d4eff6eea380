#pragma once

// What the parts of MenuSim share: the module's key numbers, its buffers
// and the ANSI cursor move it prints.

#include <QByteArray>

namespace MenuDetail {

constexpr int LineLimit = 1024; // the module's command-line buffer
constexpr long long Tick = 1000; // the countdown's step

// Keys as the module's key reader numbers them: bytes, then the others.
enum : int {
    KeyNone = -1,
    KeyTab = 9,
    KeyEnter = 13,
    KeyEscape = 27,
    KeyBackspace = 8,
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
    KeyDelete,
};

inline QByteArray Number(long long value) { return QByteArray::number(value); }
inline QByteArray MoveTo(int row, int column) { return "\033[" + Number(row) + ';' + Number(column) + 'H'; }

}
