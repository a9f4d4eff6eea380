#include "GrubTerminal.h"

#include <QStringList>

#include <algorithm>

GrubTerminal::GrubTerminal(int columns, int rows)
    : m_columns(std::max(columns, 1))
    , m_rows(std::max(rows, 1))
    , m_cells(static_cast<std::size_t>(m_columns) * static_cast<std::size_t>(m_rows))
{
}

void GrubTerminal::Clear()
{
    std::fill(m_cells.begin(), m_cells.end(), Cell { U' ', m_colour });
    m_x = 0;
    m_y = 0;
}

void GrubTerminal::GotoXY(int x, int y)
{
    m_x = std::clamp(x, 0, m_columns - 1);
    m_y = std::clamp(y, 0, m_rows - 1);
}

void GrubTerminal::NewLine()
{
    m_x = 0;
    if (m_y + 1 < m_rows) {
        ++m_y;
        return;
    }
    // The last row: everything moves up one.
    std::move(m_cells.begin() + m_columns, m_cells.end(), m_cells.begin());
    std::fill(m_cells.end() - m_columns, m_cells.end(), Cell { U' ', m_colour });
}

void GrubTerminal::Put(char32_t code)
{
    if (code == U'\n') {
        NewLine();
        return;
    }
    if (code == U'\r') {
        m_x = 0;
        return;
    }
    if (m_x >= m_columns)
        NewLine();
    m_cells[Index(m_x, m_y)] = Cell { code, m_colour };
    ++m_x;
}

void GrubTerminal::Print(const QString& text)
{
    for (const uint code : text.toUcs4())
        Put(code);
}

void GrubTerminal::Print(const QByteArray& utf8) { Print(QString::fromUtf8(utf8)); }

int GrubTerminal::PrintIndented(const QString& text, int left, int right, bool dryRun)
{
    // A row breaks at its last space once it would pass this width.
    const int width = std::max(1, m_columns - left - right - 1);
    QStringList rows { QString() };
    for (const QString& word : text.split(u' ', Qt::SkipEmptyParts)) {
        QString& row = rows.last();
        if (!row.isEmpty() && row.size() + 1 + word.size() > width)
            rows << word;
        else
            row += (row.isEmpty() ? QString() : QStringLiteral(" ")) + word;
    }
    for (qsizetype at = 0; !dryRun && at < rows.size(); ++at) {
        if (at > 0)
            Put(U'\n');
        GotoXY(std::max(m_x, left), m_y);
        Print(rows[at]);
    }
    return static_cast<int>(rows.size());
}

QString GrubTerminal::Row(int y) const
{
    QString row;
    for (int x = 0; x < m_columns; ++x)
        row += QString::fromUcs4(&At(x, y).code, 1);
    while (row.endsWith(u' '))
        row.chop(1);
    return row;
}

GrubWindow FullScreenWindow(int width, int height) { return { 0, 0, width, height, 10 }; }

int CellWidth(const Pf2Font* font)
{
    int width = 0;
    for (char32_t code = 32; font && code < 127; ++code) {
        if (const Pf2Glyph* glyph = font->Glyph(code))
            width = std::max(width, glyph->deviceWidth);
    }
    return width > 0 ? width : 8;
}

int CellHeight(const Pf2Font* font) { return font && font->maxHeight > 0 ? font->maxHeight : 16; }

GrubWindow ThemeWindow(int width, int height, const Pf2Font* font, std::optional<GrubWindow> asked)
{
    GrubWindow window = asked.value_or(GrubWindow {
        (width - width * 7 / 10) / 2, (height - height * 7 / 10) / 2, width * 7 / 10, height * 7 / 10, 3 });
    const auto least = [&] {
        return std::pair(CellWidth(font) * 80 + 2 * window.border, CellHeight(font) * 24 + 2 * window.border);
    };
    if (window.border > 3 && (least().first >= width || least().second >= height))
        window.border = 3;
    const auto [leastWidth, leastHeight] = least();
    window.width = std::min(window.width, width);
    window.height = std::min(window.height, height);
    const bool small = width <= leastWidth || height <= leastHeight;
    if (small || window.width < leastWidth || window.height < leastHeight) {
        window.width = small ? width - 6 * window.border : leastWidth;
        window.height = small ? height - 6 * window.border : leastHeight;
        window.x = (width - window.width) / 2;
        window.y = (height - window.height) / 2;
    }
    window.x = std::min(window.x, width - window.width);
    window.y = std::min(window.y, height - window.height);
    return window;
}

GrubTerminal TerminalFor(const GrubWindow& window, const Pf2Font* font)
{
    return GrubTerminal(
        (window.width - 2 * window.border) / CellWidth(font), (window.height - 2 * window.border) / CellHeight(font));
}

Vesa::Rgb GrubColour(int index)
{
    static constexpr Vesa::Rgb colours[16] = { 0x000000, 0x0000A8, 0x00A800, 0x00A8A8, 0xA80000, 0xA800A8, 0xA85400,
        0xA8A8A8, 0x545454, 0x5454FE, 0x54FE54, 0x54FEFE, 0xFE5454, 0xFE54FE, 0xFEFE54, 0xFEFEFE };
    return colours[index & 15];
}

namespace {

struct Pen {
    Vesa::Picture& screen;
    int left, top, right, bottom; // the window's text area, clipped to the screen

    void Dot(int x, int y, Vesa::Rgb colour) const
    {
        if (x >= left && x < right && y >= top && y < bottom)
            screen.At(x, y) = colour;
    }
    void Fill(int x, int y, int width, int height, Vesa::Rgb colour) const
    {
        for (int row = y; row < y + height; ++row) {
            for (int column = x; column < x + width; ++column)
                Dot(column, row, colour);
        }
    }
};

// A glyph with its baseline at y, as GRUB's font code places its bitmap.
void DrawGlyph(const Pen& pen, const Pf2Glyph& glyph, int x, int baseline, Vesa::Rgb colour)
{
    const int top = baseline - glyph.yOffset - glyph.height;
    for (int row = 0; row < glyph.height; ++row) {
        for (int column = 0; column < glyph.width; ++column) {
            if (glyph.Dot(column, row))
                pen.Dot(x + glyph.xOffset + column, top + row, colour);
        }
    }
}

}

void DrawTerminal(Vesa::Picture& screen, const GrubWindow& window, const GrubTerminal& text, const Pf2Font* font,
    const Vesa::Picture* background)
{
    const Pen frame { screen, std::max(window.x, 0), std::max(window.y, 0),
        std::min(window.x + window.width, screen.width), std::min(window.y + window.height, screen.height) };
    frame.Fill(window.x, window.y, window.width, window.height, 0);
    if (background && background->width > 0 && background->height > 0) {
        // Stretched to the window (GRUB scales smoothly; the nearest pixel here).
        for (int y = 0; y < window.height; ++y) {
            for (int x = 0; x < window.width; ++x)
                frame.Dot(window.x + x, window.y + y,
                    background->At(x * background->width / window.width, y * background->height / window.height));
        }
    }
    const int cellWidth = CellWidth(font);
    const int cellHeight = CellHeight(font);
    const int ascent = font ? font->ascent : 12;
    const int originX = window.x + window.border;
    const int originY = window.y + window.border;
    for (int y = 0; y < text.Rows(); ++y) {
        for (int x = 0; x < text.Columns(); ++x) {
            const GrubTerminal::Cell& cell = text.At(x, y);
            const int left = originX + x * cellWidth;
            const int top = originY + y * cellHeight;
            if (cell.colour >> 4)
                frame.Fill(left, top, cellWidth, cellHeight, GrubColour(cell.colour >> 4));
            const Vesa::Rgb ink = GrubColour(cell.colour & 15);
            if (const Pf2Glyph* glyph = font ? font->Glyph(cell.code) : nullptr) {
                DrawGlyph(frame, *glyph, left, top + ascent, ink);
            } else if (cell.code != U' ') {
                // GRUB's last resort for a code point no font has: an outlined box.
                frame.Fill(left + 1, top + 2, cellWidth - 2, 1, ink);
                frame.Fill(left + 1, top + cellHeight - 3, cellWidth - 2, 1, ink);
                frame.Fill(left + 1, top + 2, 1, cellHeight - 4, ink);
                frame.Fill(left + cellWidth - 2, top + 2, 1, cellHeight - 4, ink);
            }
        }
    }
    if (text.CursorShown() && text.Y() < text.Rows()) {
        // Two lines at the baseline in the ink being written, as gfxterm's cursor.
        const int line = std::min(ascent, cellHeight - 2);
        frame.Fill(originX + std::min(text.X(), text.Columns() - 1) * cellWidth, originY + text.Y() * cellHeight + line,
            cellWidth, 2, GrubColour(text.Colour() & 15));
    }
}
