#pragma once

#include <QFlags>

#include <cstdint>
#include <functional>

class TConsole;

// Each option's value is 1 << its ordinal; the set fits in 8 bits.
enum TConsoleOption : std::uint8_t {
    coAutoTracking = 0x01,
    coCheckEOF = 0x02,
    coCheckBreak = 0x04,
    coFulltimeCursor = 0x08,
    coLazyWrite = 0x10,
    coStdInput = 0x20,
    coStdOutput = 0x40,
    coFixedPitchOnly = 0x80,
};
static_assert(sizeof(TConsoleOption) == 1, "the options set is 8 bits wide");
Q_DECLARE_FLAGS(TConsoleOptions, TConsoleOption)
Q_DECLARE_OPERATORS_FOR_FLAGS(TConsoleOptions)

enum class TConsoleLineBreak : std::uint8_t { CRLF = 0, CR = 1, LF = 2 };

// Output hook: when assigned it receives everything written and decides what
// to show, typically by passing parts on to WriteDefault.
using TProcessControlCodes = std::function<void(TConsole& sender, const char* buffer, std::uint32_t count)>;

// A column and row pair (cells), or a width and height (pixels).
struct CellPair {
    int x = 0;
    int y = 0;
    bool operator==(const CellPair&) const = default;
};

// A rectangle in pixels; right and bottom are exclusive, as the platform's.
struct PixelRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    bool operator==(const PixelRect&) const = default;
    bool IsEmpty() const { return right <= left || bottom <= top; }
};

enum class ScrollAxis { Horizontal, Vertical };

enum class ScrollAction { LineUp, LineDown, PageUp, PageDown, ThumbPosition, ThumbTrack, Top, Bottom, EndScroll };

// The two private messages by which the console defers work to its own window.
enum class ConsoleMessage : int {
    WM_CONSOLETRACK = 1124, // scroll the view to the cursor
    WM_CONSOLESCROLL = 1125, // scroll the view by (columns, rows)
};
