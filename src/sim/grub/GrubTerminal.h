#pragma once

#include "format/Pf2Font.h"
#include "vesa/VesaPixels.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

// GRUB's gfxterm text layer: a grid of cells in a window of the screen,
// each a code point and a VGA attribute (foreground low, background high;
// background 0 lets the window's black show), with an underline cursor. The
// grid is as wide as the font's widest ASCII glyph and as high as its
// tallest glyph; what is written wraps at the right edge and scrolls.
class GrubTerminal {
public:
    struct Cell {
        char32_t code = U' ';
        std::uint8_t colour = 0x07;
        bool operator==(const Cell&) const = default;
    };

    GrubTerminal(int columns, int rows);

    int Columns() const { return m_columns; }
    int Rows() const { return m_rows; }
    void Clear();
    void GotoXY(int x, int y);
    int X() const { return m_x; }
    int Y() const { return m_y; }
    void SetColour(std::uint8_t colour) { m_colour = colour; }
    std::uint8_t Colour() const { return m_colour; }
    void ShowCursor(bool shown) { m_cursor = shown; }
    bool CursorShown() const { return m_cursor; }
    // One code point at the cursor; '\n' starts the next row.
    void Put(char32_t code);
    void Print(const QByteArray& utf8);
    void Print(const QString& text);
    // A message wrapped between the margins at its spaces, each row
    // starting at `left` (the first where the cursor is, if further right),
    // as GRUB prints its help texts, the cursor left after its last
    // character; the rows it takes. With dryRun it only counts them.
    int PrintIndented(const QString& text, int left, int right, bool dryRun = false);

    const Cell& At(int x, int y) const { return m_cells[Index(x, y)]; }
    // A row's text, trailing blanks dropped.
    QString Row(int y) const;

private:
    std::size_t Index(int x, int y) const
    {
        return static_cast<std::size_t>(y) * static_cast<std::size_t>(m_columns) + static_cast<std::size_t>(x);
    }
    void NewLine();

    int m_columns;
    int m_rows;
    std::vector<Cell> m_cells;
    int m_x = 0;
    int m_y = 0;
    std::uint8_t m_colour = 0x07;
    bool m_cursor = true;
};

// Where gfxterm's window lies on the screen: the text starts `border`
// pixels inside it.
struct GrubWindow {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    int border = 0;
};

// The whole screen, as gfxterm takes it without a menu theme.
GrubWindow FullScreenWindow(int width, int height);
// The terminal a gfxmenu theme gives the editor, the command line and
// gfxterm's pictures, as GRUB's view checks it: what the theme asks for
// (by default seven tenths of the screen, centred, in a border of 3),
// grown to 80 x 24 cells or, where the screen is too small for that, all
// of it but a small frame.
GrubWindow ThemeWindow(int width, int height, const Pf2Font* font, std::optional<GrubWindow> asked = std::nullopt);
// The cell size in a font (GRUB's 8 x 16 when there is none).
int CellWidth(const Pf2Font* font);
int CellHeight(const Pf2Font* font);
// The grid that fits a window.
GrubTerminal TerminalFor(const GrubWindow& window, const Pf2Font* font);

// GRUB's sixteen text colours.
Vesa::Rgb GrubColour(int index);

// The window drawn on the screen: black, or background_image's picture
// stretched to it, then each cell's background and glyph (a box for a code
// point the font lacks) and the cursor.
void DrawTerminal(Vesa::Picture& screen, const GrubWindow& window, const GrubTerminal& text, const Pf2Font* font,
    const Vesa::Picture* background = nullptr);
