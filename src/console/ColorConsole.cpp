#include "ColorConsole.h"

#include "ConsoleCanvas.h"
#include "ConsoleWindow.h"
#include "ViewGeometry.h"

#include <algorithm>

TColorConsole::TColorConsole(const FontMeasurer& measurer)
    : TConsole(measurer)
    , m_attrManager(measurer)
{
    // The base constructor sized only the character grid.
    ResizeAttributes();
}

TColorConsole::~TColorConsole()
{
    // Detach first, so output still buffered is written with its colours.
    SetOptions(Options() & ~TConsoleOptions(coStdInput | coStdOutput));
}

void TColorConsole::ResizeBuffer()
{
    TConsole::ResizeBuffer();
    ResizeAttributes();
}

void TColorConsole::ResizeAttributes()
{
    const int cells = Cols() * Rows();
    std::vector<std::int32_t> attrs(cells);
    std::vector<std::int32_t> widths(Cols());
    m_attrs.swap(attrs);
    m_charWidths.swap(widths);
    m_attrManager.Clear();
    m_fontAttr = -1;
    const int index = FontAttr();
    std::fill(m_attrs.begin(), m_attrs.end(), index);
    m_attrManager.ChangeRefCount(index, cells);
    FillCharWidths(CellSize().x);
}

void TColorConsole::FillCharWidths(int width) { std::fill(m_charWidths.begin(), m_charWidths.end(), width); }

void TColorConsole::PutChars(int column, int row, const char* chars, int count)
{
    if (count == 0)
        return;
    SetAttrs(column, row, static_cast<std::uint32_t>(count));
    TConsole::PutChars(column, row, chars, count);
}

void TColorConsole::FillCells(int column, int row, char ch, int count)
{
    if (count == 0)
        return;
    SetAttrs(column, row, static_cast<std::uint32_t>(count));
    TConsole::FillCells(column, row, ch, count);
}

void TColorConsole::FontChanged()
{
    m_fontAttr = -1;
    TConsole::FontChanged();
}

// Looked up once per font change, not at every write. While the font stays,
// its attribute stays alive: only writes in another font take cells from it.
std::int32_t TColorConsole::FontAttr()
{
    if (m_fontAttr < 0)
        m_fontAttr = m_attrManager.FindOrAdd(Font());
    return m_fontAttr;
}

void TColorConsole::SetAttrs(int column, int row, std::uint32_t count)
{
    const std::int32_t index = FontAttr();
    // New references first: rewriting cells with the attribute they hold
    // must never let its count reach 0 on the way.
    m_attrManager.ChangeRefCount(index, static_cast<std::int32_t>(count));
    const std::uint32_t restOfRow = static_cast<std::uint32_t>(Cols() - column);
    if (count <= restOfRow) {
        SetRun(index, CellAt(column, row), count);
        return;
    }
    // Only whole-grid fills pass a row end; they start at column 0.
    SetRun(index, CellAt(column, row), restOfRow);
    count -= restOfRow;
    for (int next = row + 1; count > 0; ++next) {
        const std::uint32_t run = std::min<std::uint32_t>(count, Cols());
        SetRun(index, CellAt(0, next % Rows()), run);
        count -= run;
    }
}

void TColorConsole::SetRun(std::int32_t index, int position, std::uint32_t count)
{
    while (count > 0) {
        const std::int32_t old = m_attrs[position];
        std::uint32_t run = 0;
        do {
            m_attrs[position++] = index;
            ++run;
        } while (run < count && m_attrs[position] == old);
        m_attrManager.ChangeRefCount(old, -static_cast<std::int32_t>(run));
        count -= run;
    }
}

void TColorConsole::SetMetrics(const TextMetrics& metrics)
{
    if (PrevFont().Size() == Font().Size()) {
        // Same size, another face: the cell only grows, so that every face
        // on the grid fits.
        CellPair cell = CellSize();
        int ascent = CellAscent();
        int overhang = Overhang();
        bool changed = false;
        auto grow = [&changed](int& current, int candidate) {
            if (candidate > current) {
                current = candidate;
                changed = true;
            }
        };
        grow(overhang, std::max(metrics.overhang, metrics.maxCharWidth - metrics.aveCharWidth));
        grow(cell.x, metrics.aveCharWidth);
        grow(cell.y, metrics.height + metrics.externalLeading);
        grow(ascent, metrics.ascent);
        if (!changed)
            return;
        SetCellMetrics(cell, ascent, overhang);
        FillCharWidths(cell.x);
        RecalcSizes();
        if (Window())
            Window()->InvalidateAll();
        return;
    }
    // A new size rescales everything on the grid. The pixel height is copied
    // rather than the rounded point size, so the attributes stay equal to the
    // font they were taken from.
    for (int index = 0; index < m_attrManager.Count(); ++index) {
        if (TAttr* attr = m_attrManager.GetAttr(index))
            attr->SetHeight(Font().Height());
    }
    FillCharWidths(metrics.aveCharWidth);
    TConsole::SetMetrics(metrics);
}

void TColorConsole::PaintGrid(ConsoleCanvas& canvas)
{
    const int width = CellSize().x;
    const int height = CellSize().y;
    if (width <= 0 || height <= 0)
        return;
    const CellPair origin = Origin();
    canvas.SetOrigin(origin.x * width, origin.y * height);
    PixelRect clip = canvas.ClipBox();
    const CellSpan span = CellsInClip(clip, CellSize(), Overhang(), origin.x, Cols(), Rows());

    // Outside the grid: the control's own colour, never an attribute's.
    if (Cols() * width < clip.right) {
        canvas.FillRect({ Cols() * width, clip.top, clip.right, clip.bottom }, Color());
        clip.right = Cols() * width;
    }
    if (Rows() * height < clip.bottom)
        canvas.FillRect({ clip.left, Rows() * height, clip.right, clip.bottom }, Color());

    // Cells: one text call per run of equal attribute; font and colours are
    // selected only when the attribute changes, also across rows.
    std::int32_t last = -1;
    const char* grid = GridData();
    for (int row = span.firstRow; row < span.endRow; ++row) {
        const int top = row * height;
        int position = CellAt(span.firstColumn, row);
        int x = span.firstColumn * width;
        int remaining = span.endColumn - span.firstColumn;
        while (remaining > 0) {
            const std::int32_t index = m_attrs[position];
            int run = 1;
            while (run < remaining && m_attrs[position + run] == index)
                ++run;
            remaining -= run;
            const TAttr& attr = *m_attrManager.GetAttr(index);
            if (index != last) {
                canvas.SelectFont(attr);
                canvas.SetTextColours(attr.Color(), attr.BkColor());
                last = index;
            }
            canvas.DrawRun(x - attr.DescentOverhang, top + CellAscent(), QByteArrayView(grid + position, run), width,
                { x, top, x + run * width, top + height });
            x += run * width;
            position += run;
        }
    }
}
