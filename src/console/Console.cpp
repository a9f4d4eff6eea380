#include "Console.h"

#include "ConsoleCanvas.h"
#include "ConsoleWindow.h"
#include "Exceptions.h"
#include "TextStream.h"

#include <QtGlobal>

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

constexpr char BEL = 0x07;
constexpr char BS = 0x08;
constexpr char LF = 0x0A;
constexpr char CR = 0x0D;
constexpr char CtrlC = 0x03;
constexpr char CtrlZ = 0x1A;

// Qt's key codes, kept here so the console core needs no GUI headers.
constexpr int KeyLeft = 0x01000012;
constexpr int KeyUp = 0x01000013;
constexpr int KeyRight = 0x01000014;
constexpr int KeyDown = 0x01000015;
constexpr int KeyPageUp = 0x01000016;
constexpr int KeyPageDown = 0x01000017;
constexpr int KeyHome = 0x01000010;
constexpr int KeyEnd = 0x01000011;
constexpr int KeyCancel = 0x01020001;

struct ScrollKey {
    int key;
    bool ctrl;
    ScrollAxis axis;
    ScrollAction action;
};

// Searched in this order; on the horizontal axis "up" is toward column 0.
constexpr ScrollKey ScrollKeys[] = {
    { KeyLeft, false, ScrollAxis::Horizontal, ScrollAction::LineUp },
    { KeyRight, false, ScrollAxis::Horizontal, ScrollAction::LineDown },
    { KeyLeft, true, ScrollAxis::Horizontal, ScrollAction::PageUp },
    { KeyRight, true, ScrollAxis::Horizontal, ScrollAction::PageDown },
    { KeyHome, false, ScrollAxis::Horizontal, ScrollAction::Top },
    { KeyEnd, false, ScrollAxis::Horizontal, ScrollAction::Bottom },
    { KeyUp, false, ScrollAxis::Vertical, ScrollAction::LineUp },
    { KeyDown, false, ScrollAxis::Vertical, ScrollAction::LineDown },
    { KeyPageUp, false, ScrollAxis::Vertical, ScrollAction::PageUp },
    { KeyPageDown, false, ScrollAxis::Vertical, ScrollAction::PageDown },
    { KeyHome, true, ScrollAxis::Vertical, ScrollAction::Top },
    { KeyEnd, true, ScrollAxis::Vertical, ScrollAction::Bottom },
};

}

TConsole::TConsole(const FontMeasurer& measurer)
    : m_measurer(measurer)
{
    SetOptions(DefaultConsoleOptions);
    m_prevFont.SetName(QStringLiteral("Courier"));
    m_prevFont.SetHeight(13);
    m_prevFont.SetPitch(TFontPitch::Fixed);
    m_prevFont.SetCharset(ANSI_CHARSET);
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
    if (++m_topRow == m_rows)
        m_topRow = 0;
    FillCells(0, m_cursor.y, ' ', m_cols);
    // Keeps the picture consistent with the rotated grid until the one-row
    // pixel scroll is carried out.
    --m_origin.y;
    RequestScroll(0, 1);
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
            PutChars(m_cursor.x, m_cursor.y, chars, static_cast<int>(run));
            chars += run;
            count -= run;
            m_cursor.x += static_cast<int>(run);
            right = std::max(right, m_cursor.x);
            if (run == room && m_cursor.x >= m_cols) {
                InvalidateCells(left, right);
                CarriageReturn(left, right);
                LineFeed();
                continue;
            }
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
        default:
            break; // other control codes leave no trace
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

void TConsole::BlankGrid()
{
    FillCells(0, 0, ' ', m_cols * m_rows);
    m_origin = {};
    m_cursor = {};
    if (m_window)
        m_window->InvalidateAll();
}

// ---- Font and metrics ------------------------------------------------------

bool TConsole::FixedPitchAccepted(const TextMetrics& metrics) const
{
    const bool knownFamily = (metrics.pitchAndFamily & 0x30) != 0;
    const bool variablePitch = (metrics.pitchAndFamily & TMPF_VARIABLE_PITCH) != 0;
    return knownFamily && !variablePitch;
}

void TConsole::FontChanged()
{
    if (!(m_prevFontMeasured && m_font.Handle() == m_prevFont.Handle())) {
        const TextMetrics metrics = m_measurer.Measure(m_font);
        if ((m_options & coFixedPitchOnly) && !FixedPitchAccepted(metrics)) {
            const std::string message = "TConsole: " + m_font.Name().toStdString() + " is not fixed-pitch";
            // Restoring the face is a change of its own, measured again.
            m_font.SetName(m_prevFont.Name());
            throw EInvalidFont(message);
        }
        SetMetrics(metrics);
    }
    m_prevFont.CopyFrom(m_font);
    m_prevFontMeasured = true;
}

void TConsole::RemeasureFont()
{
    m_cellSize = {};
    m_cellAscent = 0;
    m_overhang = 0;
    m_prevFontMeasured = false;
    m_prevFont.SetHeight(0);
    FontChanged();
}

void TConsole::SetCellMetrics(CellPair cellSize, int ascent, int overhang)
{
    m_cellSize = cellSize;
    m_cellAscent = ascent;
    m_overhang = overhang;
}

void TConsole::SetMetrics(const TextMetrics& metrics)
{
    SetCellMetrics({ metrics.aveCharWidth, metrics.height + metrics.externalLeading }, metrics.ascent,
        std::max(metrics.overhang, metrics.maxCharWidth - metrics.aveCharWidth));
    if (m_window)
        m_window->InvalidateAll();
    RecalcSizes();
}

void TConsole::RecalcSizes()
{
    if (!m_window || !m_windowCreated || m_cellSize.x <= 0 || m_cellSize.y <= 0)
        return;
    const PixelRect client = m_window->ClientRect();
    m_clientCells = { (client.right - client.left) / m_cellSize.x, (client.bottom - client.top) / m_cellSize.y };
    m_range = { std::max(0, m_cols - m_clientCells.x), std::max(0, m_rows - m_clientCells.y) };
    ScrollTo(std::min(m_origin.x, m_range.x), std::min(m_origin.y, m_range.y));
    UpdateScrollBars();
}

void TConsole::UpdateScrollBars()
{
    if (!m_window || !m_windowCreated)
        return;
    m_window->SetScrollRange(ScrollAxis::Horizontal, std::max(1, m_range.x));
    m_window->SetScrollPosition(ScrollAxis::Horizontal, m_origin.x);
    m_window->SetScrollRange(ScrollAxis::Vertical, std::max(1, m_range.y));
    m_window->SetScrollPosition(ScrollAxis::Vertical, m_origin.y);
}

// ---- Scrolling ---------------------------------------------------------------

PixelRect TConsole::Uncovered(const PixelRect& clip, int dx, int dy)
{
    PixelRect vertical = clip;
    if (dy < 0)
        vertical.top = std::max(clip.top, clip.bottom + dy);
    else if (dy > 0)
        vertical.bottom = std::min(clip.bottom, clip.top + dy);
    PixelRect horizontal = clip;
    if (dx < 0)
        horizontal.left = std::max(clip.left, clip.right + dx);
    else if (dx > 0)
        horizontal.right = std::min(clip.right, clip.left + dx);
    if (dx == 0)
        return vertical;
    if (dy == 0)
        return horizontal;
    return clip; // both axes at once: repaint the lot
}

void TConsole::ScrollTo(int column, int row)
{
    const int newColumn = std::max(std::min(column, m_range.x), 0);
    const int newRow = std::max(std::min(row, m_range.y), 0);
    if (newColumn == m_origin.x && newRow == m_origin.y)
        return;
    const CellPair old = m_origin;
    m_origin = { newColumn, newRow };
    if (!m_window || !m_windowCreated)
        return;

    const PixelRect client = m_window->ClientRect();
    PixelRect clip = client;
    if (newColumn > old.x)
        clip.left += m_overhang;
    if (newRow > old.y)
        clip.bottom = m_clientCells.y * m_cellSize.y; // the partial bottom row is not scrolled
    const int dx = (old.x - newColumn) * m_cellSize.x;
    const int dy = (old.y - newRow) * m_cellSize.y;
    m_window->ScrollPixels(dx, dy, clip);
    PixelRect exposed = Uncovered(clip, dx, dy);

    if (newRow != old.y) {
        m_window->SetScrollPosition(ScrollAxis::Vertical, newRow);
        if (newRow > old.y) {
            m_window->Invalidate(exposed);
            m_window->UpdateNow();
            exposed = { exposed.left, clip.bottom, exposed.right, client.bottom };
        }
    }
    if (newColumn != old.x) {
        m_window->SetScrollPosition(ScrollAxis::Horizontal, newColumn);
        if (m_overhang > 0) {
            if (newColumn < old.x) {
                exposed.left = 0;
                exposed.right = std::max(exposed.right, (old.x - newColumn) * m_cellSize.x + m_overhang);
            } else {
                m_window->Invalidate(exposed);
                m_window->UpdateNow();
                exposed = { 0, 0, m_overhang, client.bottom };
            }
        }
    }
    m_window->Invalidate(exposed);
    m_window->UpdateNow();
}

void TConsole::RequestScroll(int columns, int rows)
{
    if ((m_options & coLazyWrite) && m_window && m_windowCreated) {
        if (auto waiting = m_window->FindMessage(ConsoleMessage::WM_CONSOLESCROLL, true)) {
            columns += waiting->first;
            rows += waiting->second;
        }
        const int halfColumns = std::min(m_clientCells.x, m_cols) / 2;
        const int halfRows = std::min(m_clientCells.y, m_rows) / 2;
        if (std::abs(columns) < halfColumns && std::abs(rows) < halfRows) {
            if (columns != 0 || rows != 0)
                m_window->PostMessage(ConsoleMessage::WM_CONSOLESCROLL, columns, rows);
            return;
        }
    }
    MessageArrived(ConsoleMessage::WM_CONSOLESCROLL, columns, rows);
}

void TConsole::KeepCursorVisible()
{
    if ((m_options & coLazyWrite) && m_window && m_windowCreated) {
        if (!m_window->FindMessage(ConsoleMessage::WM_CONSOLETRACK, false))
            m_window->PostMessage(ConsoleMessage::WM_CONSOLETRACK, 0, 0);
        return;
    }
    ScrollToCursor();
}

void TConsole::ScrollToCursor()
{
    const int row = std::max(m_cursor.y - m_clientCells.y + 1, std::min(m_origin.y, m_cursor.y));
    const int column = std::max(m_cursor.x - m_clientCells.x + 1, std::min(m_origin.x, m_cursor.x));
    ScrollTo(column, row);
}

void TConsole::MessageArrived(ConsoleMessage message, int first, int second)
{
    if (message == ConsoleMessage::WM_CONSOLETRACK)
        ScrollToCursor();
    else
        ScrollTo(m_origin.x + first, m_origin.y + second);
}

void TConsole::InvalidateCells(int from, int to)
{
    if (!m_window || !m_windowCreated || to <= from)
        return;
    const int top = (m_cursor.y - m_origin.y) * m_cellSize.y;
    m_window->Invalidate({ (from - m_origin.x) * m_cellSize.x, top,
        (to - m_origin.x) * m_cellSize.x + m_overhang, top + m_cellSize.y });
    if (!(m_options & coLazyWrite))
        m_window->UpdateNow();
}

void TConsole::DoScroll(ScrollAxis axis, ScrollAction action, int thumb)
{
    const bool horizontal = axis == ScrollAxis::Horizontal;
    const int position = horizontal ? m_origin.x : m_origin.y;
    const int page = horizontal ? m_clientCells.x / 2 : m_clientCells.y;
    const int limit = horizontal ? m_range.x : m_range.y;
    int target = position;
    switch (action) {
    case ScrollAction::LineUp: target = position - 1; break;
    case ScrollAction::LineDown: target = position + 1; break;
    case ScrollAction::PageUp: target = position - page; break;
    case ScrollAction::PageDown: target = position + page; break;
    case ScrollAction::ThumbPosition:
    case ScrollAction::ThumbTrack: target = thumb; break;
    case ScrollAction::Top: target = 0; break;
    case ScrollAction::Bottom: target = limit; break;
    case ScrollAction::EndScroll: break;
    }
    if (horizontal)
        ScrollTo(target, m_origin.y);
    else
        ScrollTo(m_origin.x, target);
}

// ---- Caret and painting --------------------------------------------------------

void TConsole::ShowCursor()
{
    if (!m_window || !m_windowCreated)
        return;
    const int x = (m_cursor.x - m_origin.x) * m_cellSize.x;
    const int y = (m_cursor.y - m_origin.y) * m_cellSize.y + m_cellAscent;
    m_window->ShowCaret({ x, y, x + m_cellSize.x, y + 2 });
}

void TConsole::HideCursor()
{
    if (m_window)
        m_window->HideCaret();
}

void TConsole::PaintGrid(ConsoleCanvas& canvas)
{
    const int width = m_cellSize.x;
    const int height = m_cellSize.y;
    if (width <= 0 || height <= 0)
        return;
    canvas.SelectFont(m_font);
    canvas.SetTextColours(m_font.Color(), m_font.BkColor());
    canvas.SetOrigin(m_origin.x * width, m_origin.y * height);
    const PixelRect clip = canvas.ClipBox();
    const int firstColumn = std::max(m_origin.x, (clip.left - m_overhang) / width);
    const int endColumn = std::min(m_cols, (clip.right + width) / width);
    const int firstRow = std::max(0, clip.top / height);
    const int endRow = std::min(m_rows, (clip.bottom + height - 1) / height);

    // Background, also outside the grid: erasing is switched off.
    canvas.FillRect(clip, m_font.BkColor());
    if (endColumn <= firstColumn)
        return;
    // Text, one call per row.
    for (int row = firstRow; row < endRow; ++row) {
        const int x = firstColumn * width;
        const int top = row * height;
        QByteArrayView cells(m_grid.constData() + CellAt(firstColumn, row), endColumn - firstColumn);
        canvas.DrawRun(x, top + m_cellAscent, cells, width, { x, top, endColumn * width, top + height });
    }
}

// ---- Window events -------------------------------------------------------------

void TConsole::AttachWindow(ConsoleWindow* window)
{
    m_window = window;
    m_windowCreated = false;
}

void TConsole::WindowCreated()
{
    m_windowCreated = true;
    RemeasureFont();
}

void TConsole::WindowResized()
{
    const bool caretShown = m_focused && (m_reading || (m_options & coFulltimeCursor));
    if (caretShown)
        HideCursor();
    RecalcSizes();
    if (caretShown)
        ShowCursor();
}

void TConsole::FocusGained()
{
    m_focused = true;
    if (m_reading || (m_options & coFulltimeCursor))
        ShowCursor();
}

void TConsole::FocusLost()
{
    if (m_reading || (m_options & coFulltimeCursor))
        HideCursor();
    m_focused = false;
}

// ---- Standard streams and keyboard ------------------------------------------------

void TConsole::SetOptions(TConsoleOptions value)
{
    if ((value & coStdInput) && !(m_options & coStdInput)) {
        if (StandardInput().mode != TextStream::Mode::Closed)
            throw Exception("TConsole.SetOptions: Standard Input is already open");
        AssignTextDevice(StandardInput());
        StandardInput().OpenForReading();
        m_options |= coStdInput;
    } else if ((m_options & coStdInput) && !(value & coStdInput)) {
        StandardInput().Close();
    }
    if ((value & coStdOutput) && !(m_options & coStdOutput)) {
        if (StandardOutput().mode != TextStream::Mode::Closed)
            throw Exception("TConsole.SetOptions: Standard Output is already open");
        AssignTextDevice(StandardOutput());
        StandardOutput().OpenForWriting();
    } else if ((m_options & coStdOutput) && !(value & coStdOutput)) {
        StandardOutput().Close();
    }
    m_options = value;
}

void TConsole::AssignTextDevice(TextStream& stream)
{
    stream.handle = -1;
    stream.mode = TextStream::Mode::Closed;
    stream.open = &TConsole::DeviceOpen;
    stream.deviceData = this;
    stream.name.clear();
}

void TConsole::DeviceOpen(TextStream& stream)
{
    if (stream.mode == TextStream::Mode::Input) {
        stream.transfer = &TConsole::DeviceInput;
        stream.flush = nullptr;
    } else {
        stream.mode = TextStream::Mode::Output;
        stream.transfer = &TConsole::DeviceOutput;
        stream.flush = &TConsole::DeviceOutput;
    }
    stream.close = [](TextStream&) { };
}

void TConsole::DeviceOutput(TextStream& stream)
{
    const int count = stream.BufferedCount();
    if (count <= 0)
        return;
    // Emptied first, so a device error leaves no stale characters behind.
    stream.EmptyOutput();
    static_cast<TConsole*>(stream.deviceData)->Write(stream.Buffer(), static_cast<std::uint32_t>(count));
}

void TConsole::DeviceInput(TextStream& stream)
{
    auto* console = static_cast<TConsole*>(stream.deviceData);
    stream.SetInput(console->ReadLine(stream.Buffer(), TextStream::BufferSize));
}

void TConsole::CharacterTyped(char ch)
{
    if (ch == 0)
        return;
    if ((m_options & coCheckBreak) && ch == CtrlC)
        CtrlBreak();
    if (m_keyCount < KeyBufferSize)
        m_keyBuffer[m_keyCount++] = ch;
}

void TConsole::KeyDown(int key, bool ctrlOnly)
{
    if (key == 0)
        return;
    if ((m_options & coCheckBreak) && key == KeyCancel)
        CtrlBreak();
    for (const ScrollKey& entry : ScrollKeys) {
        if (entry.key == key && entry.ctrl == ctrlOnly) {
            DoScroll(entry.axis, entry.action, 0);
            return;
        }
    }
}

bool TConsole::KeyPressed()
{
    if (m_keyCount > 0)
        return true;
    if (m_window)
        m_window->ProcessPendingEvents();
    return m_keyCount > 0;
}

char TConsole::ReadKey()
{
    ScrollToCursor();
    if (!KeyPressed()) {
        if (!m_window)
            throw EInvalidOperation("ReadKey needs a console window");
        m_window->TakeFocus();
        if (m_reading)
            throw EInvalidOperation("Read already active");
        m_reading = true;
        struct EndOfRead {
            TConsole& console;
            ~EndOfRead()
            {
                if (console.m_focused && !(console.m_options & coFulltimeCursor))
                    console.HideCursor();
                console.m_reading = false;
            }
        } endOfRead { *this };
        if (m_focused)
            ShowCursor();
        if (!m_window->RunEventsUntil([this] { return m_keyCount > 0; }))
            throw Exception("WM_Quit received during ReadKey");
    }
    const char ch = m_keyBuffer[0];
    std::memmove(m_keyBuffer, m_keyBuffer + 1, --m_keyCount);
    return ch;
}

int TConsole::ReadLine(char* buffer, int size)
{
    int length = 0;
    char ch;
    do {
        ch = ReadKey();
        if (ch == BS) {
            if (length > 0) {
                --length;
                WriteChar(BS);
            }
        } else if (static_cast<unsigned char>(ch) >= 0x20 && length < size - 2) {
            buffer[length++] = ch;
            WriteChar(ch);
        }
    } while (ch != 0 && ch != CR && !((m_options & coCheckEOF) && ch == CtrlZ));
    buffer[length++] = ch;
    if (ch == CR) {
        buffer[length++] = LF;
        WriteDefault("\r\n", 2);
    }
    ScrollToCursor();
    if (m_focused && (m_options & coFulltimeCursor))
        ShowCursor();
    return length;
}
