// The console's grid and write path: storage, cursor, the control bytes the
// write path interprets, and scrolling by rotating the grid.
#include "Console.h"

#include "ConsoleWindow.h"
#include "format/DisplayCodes.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr char BEL = 0x07;
using DisplayCode::BS;
using DisplayCode::CR;
using DisplayCode::LF;

}

TConsole::TConsole(const FontMeasurer& measurer)
    : m_measurer(measurer)
{
    SetOptions(DefaultConsoleOptions);
    m_prevFont.SetName(QStringLiteral("Courier"));
    m_prevFont.SetHeight(13);
    m_prevFont.SetPitch(TFontPitch::Fixed);
    m_prevFont.SetCharset(TFontCharset::Ansi);
    m_font.SetName(QStringLiteral("Courier"));
    m_font.OnChange = [this] { FontChanged(); };
    TConsole::ResizeBuffer();
}

TConsole::~TConsole()
{
    SetOptions(m_options & ~TConsoleOptions(coStdInput | coStdOutput));
    m_font.OnChange = nullptr;
}

void TConsole::SetColor(TColor colour)
{
    m_color = colour;
    if (m_window)
        m_window->InvalidateAll();
}

void TConsole::SetCols(int cols)
{
    if (cols == m_cols)
        return;
    m_cols = cols;
    ResizeBuffer();
}

void TConsole::SetRows(int rows)
{
    if (rows == m_rows)
        return;
    m_rows = rows;
    ResizeBuffer();
}

void TConsole::ResizeBuffer()
{
    m_grid = QByteArray(qsizetype(m_cols) * m_rows, ' ');
    // The old positions may lie outside the new grid.
    m_topRow = 0;
    m_cursor = {};
    m_origin = {};
    RecalcSizes();
    if (m_window)
        m_window->InvalidateAll();
}

int TConsole::CellAt(int column, int row) const
{
    int storageRow = row + m_topRow;
    if (storageRow >= m_rows)
        storageRow -= m_rows;
    return storageRow * m_cols + column;
}

QByteArray TConsole::ScreenRow(int row) const { return m_grid.mid(CellAt(0, row), m_cols); }

void TConsole::SetCursor(CellPair cell)
{
    m_cursor = { std::clamp(cell.x, 0, m_cols - 1), std::clamp(cell.y, 0, m_rows - 1) };
}

void TConsole::PutChars(int column, int row, const char* chars, int count)
{
    std::memcpy(m_grid.data() + CellAt(column, row), chars, count);
}

void TConsole::FillCells(int column, int row, char ch, int count)
{
    if (count == 0)
        return;
    if (column + count <= m_cols) {
        std::memset(m_grid.data() + CellAt(column, row), ch, count);
        return;
    }
    std::memset(m_grid.data() + CellAt(column, row), ch, m_cols - column);
    count -= m_cols - column;
    for (int next = row + 1; count > 0; ++next, count -= m_cols)
        std::memset(m_grid.data() + CellAt(0, next % m_rows), ch, std::min(count, m_cols));
}

void TConsole::Write(const char* chars, std::uint32_t count)
{
    if (m_processControlCodes)
        m_processControlCodes(*this, chars, count);
    else
        WriteDefault(chars, count);
}

void TConsole::CarriageReturn(int& left, int& right)
{
    m_cursor.x = 0;
    left = 0;
    right = 0;
}

void TConsole::LineFeed()
{
    if (++m_cursor.y < m_rows)
        return;
    m_cursor.y = m_rows - 1;
    ++m_rowsGone;
    if (++m_topRow == m_rows)
        m_topRow = 0;
    FillCells(0, m_cursor.y, ' ', m_cols);
    // Keeps the picture consistent with the rotated grid until the one-row
    // pixel scroll is carried out.
    --m_origin.y;
    RequestScroll(0, 1);
}

// Stores a run that fits the cursor's row and wraps at once when it fills
// the row.
void TConsole::StoreRun(const char* chars, std::uint32_t run, int& left, int& right)
{
    PutChars(m_cursor.x, m_cursor.y, chars, static_cast<int>(run));
    m_cursor.x += static_cast<int>(run);
    right = std::max(right, m_cursor.x);
    if (m_cursor.x < m_cols)
        return;
    InvalidateCells(left, right);
    CarriageReturn(left, right);
    LineFeed();
}

void TConsole::WriteGlyphs(std::string_view glyphs)
{
    int left = m_cursor.x;
    int right = m_cursor.x;
    while (!glyphs.empty()) {
        const auto run = std::min<std::uint32_t>(m_cols - m_cursor.x, static_cast<std::uint32_t>(glyphs.size()));
        StoreRun(glyphs.data(), run, left, right);
        glyphs.remove_prefix(run);
    }
    InvalidateCells(left, right);
    AfterWrite();
}

void TConsole::WriteDefault(const char* chars, std::uint32_t count)
{
    int left = m_cursor.x;
    int right = m_cursor.x;
    while (count > 0) {
        const std::uint32_t room = std::min<std::uint32_t>(m_cols - m_cursor.x, count);
        std::uint32_t run = 0;
        while (run < room && static_cast<unsigned char>(chars[run]) >= 0x20)
            ++run;
        if (run > 0) {
            StoreRun(chars, run, left, right);
            chars += run;
            count -= run;
            if (m_cursor.x == 0)
                continue; // wrapped
        }
        if (count == 0)
            break;
        switch (*chars) {
        case BEL:
            if (m_window)
                m_window->Beep();
            break;
        case BS:
            if (m_cursor.x > 0) {
                --m_cursor.x;
                FillCells(m_cursor.x, m_cursor.y, ' ', 1);
                left = std::min(left, m_cursor.x);
            }
            break;
        case LF:
            InvalidateCells(left, right);
            if (m_lineBreak == TConsoleLineBreak::LF)
                CarriageReturn(left, right);
            LineFeed();
            break;
        case CR:
            InvalidateCells(left, right);
            CarriageReturn(left, right);
            if (m_lineBreak == TConsoleLineBreak::CR)
                LineFeed();
            break;
        default: break; // other control codes leave no trace
        }
        ++chars;
        --count;
    }
    InvalidateCells(left, right);
    AfterWrite();
}

void TConsole::AfterWrite()
{
    if (m_options & coAutoTracking)
        KeepCursorVisible();
    if (m_focused && (m_options & coFulltimeCursor))
        ShowCursor();
}

void TConsole::Clear()
{
    BlankGrid();
    RemeasureFont();
}

void TConsole::EraseToLineEnd()
{
    FillCells(m_cursor.x, m_cursor.y, ' ', m_cols - m_cursor.x);
    InvalidateCells(m_cursor.x, m_cols);
}

void TConsole::BlankGrid()
{
    FillCells(0, 0, ' ', m_cols * m_rows);
    m_rowsGone += m_rows;
    m_origin = {};
    m_cursor = {};
    if (m_window)
        m_window->InvalidateAll();
}
