// The console's view: font measuring, the scrollable window over the grid,
// deferred scrolling and tracking, the caret, painting and window events.
#include "Console.h"

#include "ConsoleCanvas.h"
#include "ConsoleWindow.h"
#include "ViewGeometry.h"
#include "common/Exceptions.h"

#include <algorithm>
#include <cstdlib>
#include <utility>

// ---- Font and metrics

bool TConsole::FixedPitchAccepted(const TextMetrics& metrics) const
{
    const bool knownFamily = (metrics.pitchAndFamily & 0x30) != 0;
    const bool variablePitch = (metrics.pitchAndFamily & VariablePitchBit) != 0;
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

void TConsole::ScrollTo(int column, int row)
{
    const CellPair target { std::max(std::min(column, m_range.x), 0), std::max(std::min(row, m_range.y), 0) };
    if (target == m_origin)
        return;
    const CellPair old = std::exchange(m_origin, target);
    if (!m_window || !m_windowCreated)
        return;

    const ScrollPlan plan = PlanScroll(old, target, { m_window->ClientRect(), m_cellSize, m_clientCells, m_overhang });
    m_window->ScrollPixels(plan.dx, plan.dy, plan.clip);
    if (target.y != old.y)
        m_window->SetScrollPosition(ScrollAxis::Vertical, target.y);
    if (target.x != old.x)
        m_window->SetScrollPosition(ScrollAxis::Horizontal, target.x);
    // Scrolls are repainted at once, also under coLazyWrite.
    for (const PixelRect& rect : plan.repaints) {
        m_window->Invalidate(rect);
        m_window->UpdateNow();
    }
}

bool TConsole::Deferring() const { return (m_options & coLazyWrite) && m_window && m_windowCreated; }

void TConsole::RequestScroll(int columns, int rows)
{
    if (Deferring()) {
        if (const std::optional<CellPair> waiting = m_window->TakeWaitingScroll()) {
            columns += waiting->x;
            rows += waiting->y;
        }
        const int halfColumns = std::min(m_clientCells.x, m_cols) / 2;
        const int halfRows = std::min(m_clientCells.y, m_rows) / 2;
        if (std::abs(columns) < halfColumns && std::abs(rows) < halfRows) {
            if (columns != 0 || rows != 0)
                m_window->PostScroll({ columns, rows });
            return;
        }
    }
    MessageArrived(ConsoleMessage::WM_CONSOLESCROLL, columns, rows);
}

void TConsole::KeepCursorVisible()
{
    if (!Deferring()) {
        ScrollToCursor();
        return;
    }
    if (!m_window->TrackWaiting())
        m_window->PostTrack();
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
    m_window->Invalidate(CellRunRect(from, to, m_cursor.y, m_origin, m_cellSize, m_overhang));
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
    const CellSpan span = CellsInClip(clip, m_cellSize, m_overhang, m_origin.x, m_cols, m_rows);

    // Background, also outside the grid: erasing is switched off.
    canvas.FillRect(clip, m_font.BkColor());
    if (span.endColumn <= span.firstColumn)
        return;
    // Text, one call per row.
    const int x = span.firstColumn * width;
    for (int row = span.firstRow; row < span.endRow; ++row) {
        const int top = row * height;
        QByteArrayView cells(m_grid.constData() + CellAt(span.firstColumn, row), span.endColumn - span.firstColumn);
        canvas.DrawRun(x, top + m_cellAscent, cells, width, { x, top, span.endColumn * width, top + height });
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
