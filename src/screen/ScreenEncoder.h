#pragma once

#include "Screen.h"

#include <QByteArray>
#include <QString>

#include <vector>

// Whether the loader draws a byte as its own glyph. Control bytes act or
// vanish, 0x7F draws nothing and 0xFF ends the file; of the glyphs they
// show on a PC, only those of the line-drawing table can be written.
bool LoaderDrawsByte(std::uint8_t byte);

// The attribute the screen is cleared in: the one most blank cells have
// (07 among equals, then the lowest).
std::uint8_t ClearAttribute(const Screen& screen);

struct Encoding {
    QByteArray bytes;
    // Cells the bytes cannot show as the screen has them, in screen order:
    // a byte the loader does not draw (written as a space in the cell's
    // colour), or the last cell of row 25, whose writing would scroll.
    std::vector<Spot> left;
    // Where the loader's cursor stands after the bytes: its boot: prompt
    // starts there.
    Spot prompt;
    // The bytes switch to line drawing (0x0E) on the way; the prompt's
    // lower-case letters show as line drawing too.
    bool lineDrawing = false;
};

// The screen as canonical display-file bytes: its clear colour and 0x0C,
// then the rows up to the last that differs from a cleared screen, each
// without its trailing cleared cells, with a colour command (lower-case
// digits) only where the colour changes, and CR LF after each row that
// does not fill all 80 columns (the loader wraps a full row by itself),
// and 0x0E where line drawing is needed.
// The last row written ends with CR LF too, so the prompt gets a row of its
// own, unless it is row 25, where a line break would scroll. More line
// breaks over blank rows take the prompt down to promptRow when it would
// start a row above it.
Encoding EncodeScreen(const Screen& screen, int promptRow = 0);

// Where the boot: prompt lands when the screen is shown by its canonical bytes.
inline Spot PromptSpot(const Screen& screen, int promptRow = 0) { return EncodeScreen(screen, promptRow).prompt; }

// What the encoding leaves out, for a person: "cell 80 of row 25, and 2 cells
// with bytes the loader does not draw (row 3 column 1, ...)". Empty when nothing.
QString DescribeLeftCells(const Screen& screen, const std::vector<Spot>& left);
