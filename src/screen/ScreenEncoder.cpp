#include "ScreenEncoder.h"

#include "boot/BootRendering.h"
#include "format/Palette.h"

#include <QStringList>

#include <optional>

bool LoaderDrawsByte(std::uint8_t byte) { return byte >= 0x20 && byte != 0x7F && byte != 0xFF; }

std::uint8_t ClearAttribute(const Screen& screen)
{
    std::array<int, 256> count {};
    for (const Cell& cell : screen.cells) {
        if (cell.byte == ' ')
            ++count[cell.attribute];
    }
    int best = 0x07;
    for (int attribute = 0; attribute < 256; ++attribute) {
        if (count[static_cast<size_t>(attribute)] > count[static_cast<size_t>(best)])
            best = attribute;
    }
    return static_cast<std::uint8_t>(best);
}

namespace {

void AppendColour(QByteArray& bytes, std::uint8_t attribute)
{
    bytes += DisplayCode::ColourCommand;
    bytes += HexDigits[static_cast<std::size_t>(BackgroundOf(attribute))];
    bytes += HexDigits[static_cast<std::size_t>(ForegroundOf(attribute))];
}

void AppendLineBreak(QByteArray& bytes)
{
    bytes += DisplayCode::CR;
    bytes += DisplayCode::LF;
}

// The byte that shows a glyph after 0x0E, when one does.
std::optional<char> LineDrawingByte(std::uint8_t glyph)
{
    static const std::array<char, 256> table = [] {
        std::array<char, 256> bytes {};
        for (int byte = 0x7E; byte >= 0x5F; --byte)
            bytes[LineDrawingGlyph(static_cast<unsigned char>(byte))] = static_cast<char>(byte);
        return bytes;
    }();
    return table[glyph] ? std::optional<char>(table[glyph]) : std::nullopt;
}

bool TurnedByLineDrawing(std::uint8_t byte) { return byte >= 0x5F && byte <= 0x7E; }

// The written part of each row: up to its last cell that a cleared screen
// does not already show, and on row 25 short of its last cell, whose
// writing would scroll the whole screen up a row.
struct Extent {
    std::array<int, Screen::Rows> ends {};
    int lastRow = -1;
};

Extent ExtentOf(const Screen& screen, const Cell& blank)
{
    Extent extent;
    for (int row = 0; row < Screen::Rows; ++row) {
        for (int column = Screen::Columns; column > 0; --column) {
            if (!(screen.At(column - 1, row) == blank)) {
                extent.ends[static_cast<size_t>(row)] = column;
                extent.lastRow = row;
                break;
            }
        }
    }
    int& bottomEnd = extent.ends[Screen::Rows - 1];
    if (bottomEnd == Screen::Columns) {
        --bottomEnd;
        while (bottomEnd > 0 && screen.At(bottomEnd - 1, Screen::Rows - 1) == blank)
            --bottomEnd;
    }
    return extent;
}

// Glyphs such as the bullet (07) show only after 0x0E, which turns bytes
// 5F-7E into line drawing for the rest of the file: it goes before the
// first cell that needs it after the last that needs those bytes as they
// are, which this finds.
Spot LastPlainCell(const Screen& screen, const Extent& extent)
{
    Spot lastPlain { -1, -1 };
    for (int row = 0; row <= extent.lastRow; ++row) {
        for (int column = 0; column < extent.ends[static_cast<size_t>(row)]; ++column) {
            const std::uint8_t byte = screen.At(column, row).byte;
            if (TurnedByLineDrawing(byte) && !LineDrawingByte(byte))
                lastPlain = { column, row };
        }
    }
    return lastPlain;
}

// One cell's byte, with line drawing switched on before it when it is the
// first to need it; a cell the bytes cannot show is a space, and left.
void AppendCell(Encoding& encoding, const Cell& cell, Spot spot, bool afterPlain)
{
    if (!encoding.lineDrawing && afterPlain && !LoaderDrawsByte(cell.byte) && LineDrawingByte(cell.byte)) {
        encoding.bytes += DisplayCode::LineDrawing;
        encoding.lineDrawing = true;
    }
    const bool drawn = LoaderDrawsByte(cell.byte) && !(encoding.lineDrawing && TurnedByLineDrawing(cell.byte));
    if (drawn) {
        encoding.bytes += static_cast<char>(cell.byte);
    } else if (const std::optional<char> byte = encoding.lineDrawing ? LineDrawingByte(cell.byte) : std::nullopt) {
        encoding.bytes += *byte;
    } else {
        encoding.bytes += ' ';
        encoding.left.push_back(spot);
    }
}

// After a row: CR LF unless it filled all 80 columns or is row 25, and
// where the prompt would start.
void EndRow(Encoding& encoding, const Screen& screen, const Cell& blank, int row, int end)
{
    if (row == Screen::Rows - 1) {
        if (!(screen.At(Screen::Columns - 1, row) == blank))
            encoding.left.push_back({ Screen::Columns - 1, row });
        encoding.prompt = { end, row };
        return;
    }
    if (end < Screen::Columns)
        AppendLineBreak(encoding.bytes);
    encoding.prompt = { 0, row + 1 };
}

}

Encoding EncodeScreen(const Screen& screen, int promptRow)
{
    Encoding encoding;
    encoding.bytes.reserve(Screen::Columns * Screen::Rows * 4);
    const std::uint8_t clear = ClearAttribute(screen);
    const Cell blank { ' ', clear };
    AppendColour(encoding.bytes, clear);
    encoding.bytes += DisplayCode::ClearScreen;
    const Extent extent = ExtentOf(screen, blank);
    const Spot lastPlain = LastPlainCell(screen, extent);
    std::uint8_t current = clear;
    for (int row = 0; row <= extent.lastRow; ++row) {
        const int end = extent.ends[static_cast<size_t>(row)];
        for (int column = 0; column < end; ++column) {
            const Cell& cell = screen.At(column, row);
            if (cell.attribute != current)
                AppendColour(encoding.bytes, current = cell.attribute);
            const bool afterPlain = row > lastPlain.row || (row == lastPlain.row && column > lastPlain.column);
            AppendCell(encoding, cell, { column, row }, afterPlain);
        }
        EndRow(encoding, screen, blank, row, end);
    }
    if (encoding.prompt.column == 0) {
        for (; encoding.prompt.row < std::min(promptRow, Screen::Rows - 1); ++encoding.prompt.row)
            AppendLineBreak(encoding.bytes);
    }
    return encoding;
}

QString DescribeLeftCells(const Screen& screen, const std::vector<Spot>& left)
{
    QStringList parts;
    QStringList undrawn;
    for (const Spot& spot : left) {
        const QString place = QStringLiteral("row %1 column %2").arg(spot.row + 1).arg(spot.column + 1);
        if (spot.column < Screen::Columns - 1 || spot.row < Screen::Rows - 1)
            undrawn << QStringLiteral("%1 (byte %2)").arg(place).arg(screen.At(spot).byte, 2, 16, QLatin1Char('0'));
        else
            parts << QStringLiteral("the last cell of row 25, which the loader cannot write without scrolling");
    }
    if (!undrawn.isEmpty()) {
        const int shown = 5;
        QString list = QStringList(undrawn.mid(0, shown)).join(QStringLiteral(", "));
        if (undrawn.size() > shown)
            list += QStringLiteral(" and %1 more").arg(undrawn.size() - shown);
        parts.prepend(QStringLiteral("%1 cell%2 with a byte the loader does not draw: %3")
                          .arg(undrawn.size())
                          .arg(undrawn.size() == 1 ? "" : "s", list));
    }
    return parts.join(QStringLiteral("; "));
}
