#include "ScreenMap.h"

#include "Console.h"

void ScreenMap::Start(const TConsole& console, qsizetype textSize)
{
    m_console = &console;
    m_cols = console.Cols();
    m_rows = console.Rows();
    m_places.assign(static_cast<size_t>(textSize) + 1, {});
}

void ScreenMap::Place(qsizetype offset)
{
    const CellPair cursor = m_console->Cursor();
    m_places[static_cast<size_t>(offset)] = { cursor.x, m_console->RowsGone() + cursor.y, false };
}

void ScreenMap::Finish()
{
    if (m_places.back().column < 0)
        Place(static_cast<qsizetype>(m_places.size()) - 1);
    // A byte that never reached the console (a colour digit, an image line)
    // stands where the next one does.
    for (size_t offset = m_places.size() - 1; offset-- > 0;) {
        if (m_places[offset].column < 0)
            m_places[offset] = { m_places[offset + 1].column, m_places[offset + 1].row, false };
    }
    m_firstRow = m_console->RowsGone();
    m_drawnBy.assign(static_cast<size_t>(m_cols * m_rows), -1);
    for (size_t offset = 0; offset < m_places.size(); ++offset) {
        const std::optional<CellPair> cell = CellOf(static_cast<qsizetype>(offset));
        if (m_places[offset].drawn && cell && cell->x < m_cols)
            m_drawnBy[static_cast<size_t>(cell->y * m_cols + cell->x)] = static_cast<qsizetype>(offset);
    }
}

std::optional<CellPair> ScreenMap::CellOf(qsizetype offset) const
{
    if (offset < 0 || offset >= static_cast<qsizetype>(m_places.size()))
        return std::nullopt;
    const Spot& spot = m_places[static_cast<size_t>(offset)];
    const long long row = spot.row - m_firstRow;
    if (row < 0 || row >= m_rows)
        return std::nullopt;
    return CellPair { spot.column, static_cast<int>(row) };
}

std::optional<qsizetype> ScreenMap::OffsetAt(CellPair cell) const
{
    if (cell.y < 0 || cell.y >= m_rows || cell.x < 0 || m_drawnBy.empty())
        return std::nullopt;
    const size_t rowStart = static_cast<size_t>(cell.y * m_cols);
    if (cell.x < m_cols && m_drawnBy[rowStart + static_cast<size_t>(cell.x)] >= 0)
        return m_drawnBy[rowStart + static_cast<size_t>(cell.x)];
    for (int column = std::min(cell.x, m_cols) - 1; column >= 0; --column) {
        if (const qsizetype drawn = m_drawnBy[rowStart + static_cast<size_t>(column)]; drawn >= 0)
            return drawn + 1;
    }
    for (size_t offset = 0; offset < m_places.size(); ++offset) {
        if (m_places[offset].row - m_firstRow == cell.y)
            return static_cast<qsizetype>(offset);
    }
    return std::nullopt;
}
