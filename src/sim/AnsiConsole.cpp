#include "AnsiConsole.h"

#include "boot/BootRendering.h"
#include "console/ColorConsole.h"
#include "format/Palette.h"

namespace {

// SGR's colour numbers in the VGA's order.
constexpr std::array<int, 8> AnsiToVga = { 0, 4, 2, 6, 1, 5, 3, 7 };

}

AnsiConsole::AnsiConsole(TColorConsole& console)
    : m_console(console)
    , m_x(console.Cursor().x)
    , m_y(console.Cursor().y)
{
}

void AnsiConsole::Write(QByteArrayView bytes)
{
    // A colour-table code writes its string through here: the port got the code.
    const bool outer = m_tapped && !std::exchange(m_writing, true);
    for (char byte : bytes) {
        if (outer)
            ToSerial(static_cast<unsigned char>(byte));
        Put(static_cast<unsigned char>(byte));
    }
    if (outer)
        m_writing = false;
}

// The serial writer's own parse of the colour-table codes: a byte that
// breaks one is dropped, and it takes any byte below '9' + 1 as a digit
// (its test is ch - '0' < 10, signed).
void AnsiConsole::ToSerial(unsigned char byte)
{
    switch (m_serialState) {
    case State::Table:
        m_serialState = byte == '#' ? State::TableDigits : State::Plain;
        m_serialIndex = 0;
        return;
    case State::TableDigits:
        m_serialState = State::Plain;
        if (int digit = byte - '0'; digit < 10) {
            m_serialIndex = m_serialIndex * 10 + static_cast<unsigned>(digit);
            if (--m_serialDigits > 0)
                m_serialState = State::TableDigits;
            else if (m_serialIndex < m_table.size())
                m_serial.append("\033[0;").append(m_table[m_serialIndex]).append('m');
        }
        return;
    default:
        if (byte >= 1 && byte <= 5) {
            m_serialState = State::Table;
            m_serialDigits = byte;
        } else {
            m_serial += byte == '\n' ? QByteArray("\r\n") : QByteArray(1, static_cast<char>(byte));
        }
    }
}

int SgrState::Attribute() const
{
    int back = background;
    int fore = underline ? 0x01 : intensity == 0 ? 0x08 : foreground;
    if (reverse) {
        back = fore & 0x07;
        fore = (fore & 0x08) | background;
    }
    if (blink)
        back ^= 0x08;
    if (intensity == 2)
        fore ^= 0x08;
    return back << 4 | fore;
}

void SgrState::Apply(unsigned code)
{
    if (code == 0) {
        *this = {};
    } else if (code == 1 || code == 2) {
        intensity = code == 1 ? 2 : 0;
    } else if (code == 4 || code == 24) {
        underline = code == 4;
    } else if (code == 5 || code == 25) {
        blink = code == 5;
    } else if (code == 7 || code == 27) {
        reverse = code == 7;
    } else if (code == 21 || code == 22) {
        intensity = 1;
    } else if (code >= 30 && code <= 37) {
        foreground = AnsiToVga[code - 30];
    } else if (code == 38 || code == 39) {
        foreground = 7;
        underline = code == 38;
    } else if (code >= 40 && code <= 47) {
        background = AnsiToVga[code - 40];
    } else if (code == 49) {
        background = 7;
    }
}

std::optional<int> SgrAttribute(QByteArrayView parameters)
{
    SgrState state;
    unsigned code = 0;
    for (char c : parameters) {
        if (c >= '0' && c <= '9') {
            code = code * 10 + static_cast<unsigned>(c - '0');
        } else if (c == ';') {
            state.Apply(code);
            code = 0;
        } else {
            return std::nullopt;
        }
    }
    state.Apply(code);
    return state.Attribute();
}

int AnsiConsole::Columns() const { return m_console.Cols(); }

int AnsiConsole::Rows() const { return m_console.Rows(); }

unsigned AnsiConsole::TableIndexAt(int column, int row) const { return m_console.CellAttr(column, row).Color(); }

void AnsiConsole::SetColours()
{
    if (m_indices) {
        m_console.Font().SetColor(m_cellIndex);
        m_console.Font().SetBkColor(m_cellIndex);
        return;
    }
    const int attribute = Attribute();
    m_console.Font().SetColor(Palette[static_cast<std::size_t>(attribute & 0x0F)]);
    m_console.Font().SetBkColor(Palette[static_cast<std::size_t>(attribute >> 4 & 0x0F)]);
}

void AnsiConsole::Erase(int left, int top, int right, int bottom)
{
    SetColours();
    for (int row = top; row <= bottom; ++row) {
        m_console.SetCursor({ left, row });
        if (right >= m_console.Cols() - 1)
            m_console.EraseToLineEnd();
        else if (right >= left)
            m_console.WriteGlyphs(std::string(static_cast<std::size_t>(right - left + 1), ' '));
    }
}

void AnsiConsole::Put(unsigned char byte)
{
    switch (m_state) {
    case State::Plain:
        if (Plain(byte))
            return; // the console placed the cursor itself
        break;
    case State::Escape: Escape(byte); break;
    case State::Csi:
        if (byte >= '0' && byte <= '9') {
            unsigned& param = m_params[static_cast<std::size_t>(m_paramCount)];
            param = param * 10 + (byte - '0');
        } else if (byte == ';') {
            m_paramCount = std::min(m_paramCount + 1, static_cast<int>(m_params.size()) - 1);
        } else if (byte != '?') {
            Csi(byte);
            m_state = State::Plain;
        }
        break;
    case State::Table:
        m_tableIndex = 0;
        m_state = byte == '#' ? State::TableDigits : State::Plain;
        break;
    case State::TableDigits: TableDigit(byte); break;
    }
    Settle();
}

// The cursor past the last column wraps (or stays, without autowrap) and
// past the last row scrolls the screen.
void AnsiConsole::Settle()
{
    const int columns = m_console.Cols();
    const int rows = m_console.Rows();
    if (m_x >= columns) {
        m_x = m_autoWrap ? 0 : columns - 1;
        if (m_autoWrap)
            ++m_y;
    }
    if (m_y >= rows) {
        SetColours();
        while (m_y >= rows) {
            m_console.SetCursor({ 0, rows - 1 });
            m_console.WriteString("\r\n");
            --m_y;
        }
    }
    m_console.SetCursor({ m_x, m_y });
}

// A byte outside a sequence; true when it was written and the console's
// own wrap and scroll placed the cursor.
bool AnsiConsole::Plain(unsigned char byte)
{
    switch (byte) {
    case 1:
    case 2:
    case 3:
    case 4:
    case 5:
        m_state = State::Table;
        m_tableDigits = byte;
        return false;
    case '\b':
        if (m_x > 0)
            --m_x;
        return false;
    case '\t':
        for (int spaces = 8 - (m_x & 7); spaces > 0; --spaces)
            Put(' ');
        return true;
    case '\n':
    case '\v':
    case '\f':
        ++m_y;
        if (m_autoReturn)
            m_x = 0;
        return false;
    case '\r': m_x = 0; return false;
    case 14: m_lineDrawing = true; return false;
    case 15: m_lineDrawing = false; return false;
    case 27: m_state = State::Escape; return false;
    default: break;
    }
    if (byte < 32 || byte == 127)
        return false;
    if (m_lineDrawing && (byte & 0xE0) == 0x60)
        byte = LineDrawingGlyph(byte);
    SetColours();
    m_console.SetCursor({ m_x, m_y });
    m_console.WriteGlyphs(std::string(1, static_cast<char>(byte)));
    if (m_x == m_console.Cols() - 1 && !m_autoWrap) {
        // The cell is written and the cursor stays in the last column.
        m_console.SetCursor({ m_x, m_y });
        return true;
    }
    // The console wraps and scrolls as this engine does.
    m_x = m_console.Cursor().x;
    m_y = m_console.Cursor().y;
    return true;
}

void AnsiConsole::Escape(unsigned char byte)
{
    switch (byte) {
    case '%':
    case '(':
    case ')':
    case '#': break; // the character set byte that follows ends the sequence
    case '[':
        m_state = State::Csi;
        m_params.fill(0);
        m_paramCount = 0;
        break;
    case 'c':
        Erase(0, 0, m_console.Cols() - 1, m_console.Rows() - 1);
        m_x = m_y = 0;
        m_state = State::Plain;
        break;
    default: m_state = State::Plain;
    }
}

// A digit of a colour-table code; the last one plays the entry's string as
// "ESC [ 0 ; string m", an index past the table is dropped.
void AnsiConsole::TableDigit(unsigned char byte)
{
    const unsigned digit = static_cast<unsigned>(byte) - '0';
    if (digit >= 10) {
        m_state = State::Plain;
        return;
    }
    m_tableIndex = m_tableIndex * 10 + digit;
    if (--m_tableDigits > 0)
        return;
    m_state = State::Plain;
    if (m_tableIndex < m_table.size()) {
        m_cellIndex = m_tableIndex;
        m_state = State::Escape;
        Write("[0;");
        Write(m_table[m_tableIndex]);
        Put('m');
        m_state = State::Plain;
    }
}

void AnsiConsole::EraseDisplay(int mode)
{
    const int columns = m_console.Cols();
    const int rows = m_console.Rows();
    if (mode == 0) {
        Erase(m_x, m_y, columns - 1, m_y);
        if (m_y < rows - 1)
            Erase(0, m_y + 1, columns - 1, rows - 1);
    } else if (mode == 1 && m_y > 0) {
        Erase(0, 0, columns - 1, m_y - 1);
        Erase(0, m_y, m_x - 1, m_y);
    } else if (mode == 2) {
        Erase(0, 0, columns - 1, rows - 1);
    }
}

void AnsiConsole::EraseLine(int mode)
{
    const int columns = m_console.Cols();
    if (mode == 0)
        Erase(m_x, m_y, columns - 1, m_y);
    else if (mode == 1 && m_x > 0)
        Erase(0, m_y, m_x - 1, m_y);
    else if (mode == 2)
        Erase(0, m_y, columns - 1, m_y);
}

void AnsiConsole::Csi(unsigned char final)
{
    const int columns = m_console.Cols();
    const int rows = m_console.Rows();
    const auto param = [&](int index) { return static_cast<int>(m_params[static_cast<std::size_t>(index)]); };
    const int count = param(0) ? param(0) : 1;
    const auto clamp = [](int value, int limit) { return value >= limit ? limit - 1 : value < 0 ? 0 : value; };
    switch (final) {
    case 'A': m_y = std::max(0, m_y - count); break;
    case 'B': m_y = std::min(rows - 1, m_y + count); break;
    case 'C': m_x = std::min(columns - 1, m_x + count); break;
    case 'D': m_x = std::max(0, m_x - count); break;
    case 'E':
        m_y = std::min(rows - 1, m_y + count);
        m_x = 0;
        break;
    case 'F':
        m_y = std::max(0, m_y - count);
        m_x = 0;
        break;
    case 'G':
    case '\'': m_x = clamp(param(0) - 1, columns); break;
    case 'H':
    case 'f':
        m_y = clamp(param(0) - 1, rows);
        m_x = clamp(param(1) - 1, columns);
        break;
    case 'J': EraseDisplay(param(0)); break;
    case 'K': EraseLine(param(0)); break;
    case 'h':
    case 'l': {
        const bool set = final == 'h';
        if (param(0) == 7)
            m_autoWrap = set;
        else if (param(0) == 20)
            m_autoReturn = set;
        else if (param(0) == 25)
            m_cursorShown = set;
        break;
    }
    case 'm':
        for (int index = 0; index <= m_paramCount; ++index)
            m_sgr.Apply(m_params[static_cast<std::size_t>(index)]);
        break;
    case 's':
        m_savedX = m_x;
        m_savedY = m_y;
        break;
    case 'u':
        m_x = m_savedX;
        m_y = m_savedY;
        break;
    default: break; // an unknown sequence is dropped
    }
}
