#pragma once

#include <QByteArray>
#include <QList>

class TColorConsole;

// The screen as the user sees it (top row first, after any scrolling): the
// byte of every cell and its palette digits. A colour outside the palette
// shows as '?'.
struct ScreenSnapshot {
    int cols = 0;
    int rows = 0;
    int cursorColumn = 0;
    int cursorRow = 0;
    QList<QByteArray> bytes;
    QList<QByteArray> foreground; // one digit 0-f per cell
    QList<QByteArray> background;

    static ScreenSnapshot Of(const TColorConsole& console);
    // From VGA text memory: a character byte and an attribute byte (background
    // digit high, foreground low) per cell, row after row.
    static ScreenSnapshot OfVgaText(QByteArrayView memory, int cols, int rows, int cursorColumn, int cursorRow);

    // {"cols":80,"rows":25,"cursor":[c,r],"bytes":[hex rows],"fg":[...],"bg":[...],"text":[UTF-8 rows]},
    // with the attribute bytes as hex rows in "attrs" when asked for.
    QByteArray ToJson(bool withAttributes = false) const;
    // The attribute bytes of a row: background digit high, foreground low.
    QByteArray Attributes(int row) const;
    // 24-bit colour escape sequences and UTF-8 glyphs, a line per row. With
    // blink, a background digit 8-f shows as blinking text (SGR 5) on the
    // dark background digit - 8.
    QByteArray ToAnsi(bool blink = false) const;
    // The same rows as UTF-8 text without colour.
    QByteArray ToText() const;
};
