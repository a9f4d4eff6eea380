#pragma once

#include "Screen.h"

#include <QByteArray>
#include <QStringList>

#include <vector>

// ANSI art as the classic DOS art scene wrote it: code page 437 bytes, ESC [
// sequences for colour and cursor movement, and an optional SAUCE record
// after a 0x1A that says how wide the art is and whether a blink bit means
// a bright background (iCE colours).
struct AnsiArt {
    // Each row as drawn, its first 80 columns; the art has at least one.
    std::vector<std::array<Cell, Screen::Columns>> rows;
    int width = Screen::Columns; // the art's own: where its lines wrap
    bool iceColours = false;
    bool cut = false; // something was drawn beyond column 80

    // The 25 rows from first, on a screen (rows the art lacks stay blank).
    Screen RowsFrom(int first) const;
};

// Reads SGR 0, 1, 5, 7, 22, 25, 27, 30-37, 39, 40-47, 49, 90-97 and 100-107
// (the last two as bright colours), the cursor moves (CUU, CUD, CUF, CUB,
// CUP, HVP, save and restore), ED, EL, CR, LF, TAB and the wrap at the art's
// width; every other sequence is skipped, and every other byte is a cell.
// The art ends at 0x1A.
AnsiArt ReadAnsiArt(QByteArrayView file);

// The screen as a classic .ans: SGR with 16 colours (1 for a bright
// foreground, 5 for a background 8-f), code page 437 bytes, CR LF after rows
// that stop short of column 80, and a SAUCE record for 80 x 25 with the
// iCE flag when a background 8-f is used.
QByteArray WriteAnsiArt(const Screen& screen);

// ANSI art as a display file: the 25 rows from first (clamped to the art),
// in canonical bytes, and what did not come across, a sentence each: columns
// beyond 80, rows beyond the 25, cells the loader cannot show.
struct ImportedArt {
    QByteArray bytes;
    QStringList losses;
};
ImportedArt ImportAnsiArt(const AnsiArt& art, int first = 0);
