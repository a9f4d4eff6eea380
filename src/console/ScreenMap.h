#pragma once

#include "ConsoleTypes.h"

#include <QtGlobal>

#include <optional>
#include <vector>

class TConsole;

// Which byte of a document went to which cell of the screen, as one
// rendering placed them, both ways: the cell where the byte at an offset is
// drawn (or, for a byte that draws nothing, where the cursor stood), and the
// byte that drew a cell.
class ScreenMap {
public:
    // A rendering of a text of this many bytes starts on console.
    void Start(const TConsole& console, qsizetype textSize);
    // The byte at offset is about to go to the console.
    void Place(qsizetype offset);
    // It put a glyph where the cursor stood.
    void MarkDrawn(qsizetype offset) { m_places[static_cast<size_t>(offset)].drawn = true; }
    // The rendering is over.
    void Finish();

    // Where the caret before the byte at offset (0 to the text size) is on
    // screen, or nothing when that row has left the screen.
    std::optional<CellPair> CellOf(qsizetype offset) const;
    // The offset a click on a cell means: the byte that drew it, or else the
    // place after the last byte drawn to its left on the row.
    std::optional<qsizetype> OffsetAt(CellPair cell) const;

private:
    struct Spot {
        int column = -1;
        long long row = -1; // counting every row that has left the screen
        bool drawn = false;
    };

    const TConsole* m_console = nullptr;
    std::vector<Spot> m_places;
    std::vector<qsizetype> m_drawnBy; // per cell, -1 for none
    long long m_firstRow = 0; // the row counted in m_places that is screen row 0
    int m_cols = 0;
    int m_rows = 0;
};
