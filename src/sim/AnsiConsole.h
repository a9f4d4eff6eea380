#pragma once

#include <QByteArray>

#include <array>
#include <optional>
#include <utility>
#include <vector>

class TColorConsole;

// What SGR sequences have set, and the VGA attribute it makes: SGR 2 makes
// the foreground 8 and SGR 4 makes it 1 whatever the colour, 7 swaps, 5
// flips the background's bright bit, 1 the foreground's, last.
struct SgrState {
    int foreground = 7;
    int background = 0;
    int intensity = 1; // 0 dim, 1 normal, 2 bold
    bool underline = false;
    bool blink = false;
    bool reverse = false;

    void Apply(unsigned code);
    int Attribute() const;
};
// The attribute an SGR parameter string such as "1;37;44" gives, from the
// reset state as MENU COLOR's strings are played; nothing for a string with
// other characters, which ends the sequence unapplied (its tail is printed).
std::optional<int> SgrAttribute(QByteArrayView parameters);

// The console that SYSLINUX 6.04's modules print through, on the text
// screen: its ANSI engine (cursor moves and erases clamped to the screen,
// SGR turned into a VGA attribute, DEC line drawing after SO, LF with a
// carriage return, writing past the last column wrapping at once and the
// last row scrolling) and its colour-table codes "\1#n" to "\5#nnnnn",
// which look an SGR string up by index.
class AnsiConsole {
public:
    explicit AnsiConsole(TColorConsole& console);

    // The strings the colour-table codes select, by index.
    void SetColourTable(std::vector<QByteArray> table) { m_table = std::move(table); }
    void Write(QByteArrayView bytes);
    // The serial port's copy of what is written (xserial_write.c): LF as
    // CR LF, each colour-table code as "ESC[0;" its string "m" (nothing for
    // an index past the table), all else as it came. Kept from TapSerial()
    // on, until taken.
    void TapSerial() { m_tapped = true; }
    QByteArray TakeSerial() { return std::exchange(m_serial, {}); }

    // The VGA attribute the next character is drawn in.
    int Attribute() const { return m_sgr.Attribute(); }
    // The graphical console's way: each cell keeps the index of the last
    // colour-table code, written as both its colours, instead of the VGA
    // attribute; its picture comes from the table's entries.
    void KeepTableIndices() { m_indices = true; }
    // In that way, the colour-table index a cell keeps.
    unsigned TableIndexAt(int column, int row) const;
    int Columns() const;
    int Rows() const;
    bool CursorShown() const { return m_cursorShown; }

private:
    enum class State { Plain, Escape, Csi, Table, TableDigits };
    void Put(unsigned char byte);
    bool Plain(unsigned char byte);
    void Escape(unsigned char byte);
    void TableDigit(unsigned char byte);
    void Settle();
    void Csi(unsigned char final);
    void EraseDisplay(int mode);
    void EraseLine(int mode);
    void Erase(int left, int top, int right, int bottom);
    void SetColours();
    void ToSerial(unsigned char byte);

    TColorConsole& m_console;
    std::vector<QByteArray> m_table;
    State m_state = State::Plain;
    std::array<unsigned, 16> m_params {};
    int m_paramCount = 0;
    int m_tableDigits = 0;
    unsigned m_tableIndex = 0;
    int m_x = 0;
    int m_y = 0;
    int m_savedX = 0;
    int m_savedY = 0;
    bool m_lineDrawing = false;
    bool m_autoReturn = true;
    bool m_autoWrap = true;
    bool m_cursorShown = true;
    bool m_indices = false;
    unsigned m_cellIndex = 0; // the last colour-table code's
    SgrState m_sgr;
    bool m_tapped = false;
    bool m_writing = false;
    QByteArray m_serial;
    State m_serialState = State::Plain;
    int m_serialDigits = 0;
    unsigned m_serialIndex = 0;
};
