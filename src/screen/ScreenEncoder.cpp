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
    bytes += HexDigits[attribute >> 4];
    bytes += HexDigits[attribute & 0x0F];
}

}

namespace {

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

}

Encoding EncodeScreen(const Screen& screen, int promptRow)
{
    Encoding encoding;
    encoding.bytes.reserve(Screen::Columns * Screen::Rows * 4);
    const std::uint8_t clear = ClearAttribute(screen);
    const Cell blank { ' ', clear };
    AppendColour(encoding.bytes, clear);
    encoding.bytes += DisplayCode::ClearScreen;
    // The written part of each row: up to its last cell that a cleared
    // screen does not already show.
    std::array<int, Screen::Rows> ends {};
    int lastRow = -1;
    for (int row = 0; row < Screen::Rows; ++row) {
        for (int column = Screen::Columns; column > 0; --column) {
            if (!(screen.At(column - 1, row) == blank)) {
                ends[static_cast<size_t>(row)] = column;
                lastRow = row;
                break;
            }
        }
    }
    int& bottomEnd = ends[Screen::Rows - 1];
    if (bottomEnd == Screen::Columns) {
        // Writing the last cell would scroll the whole screen up a row.
        --bottomEnd;
        while (bottomEnd > 0 && screen.At(bottomEnd - 1, Screen::Rows - 1) == blank)
            --bottomEnd;
    }
    // Glyphs such as the bullet (07) show only after 0x0E, which turns bytes
    // 5F-7E into line drawing for the rest of the file: it goes before the
    // first cell that needs it after the last that needs those bytes as
    // they are.
    Spot lastPlain { -1, -1 };
    for (int row = 0; row <= lastRow; ++row) {
        for (int column = 0; column < ends[static_cast<size_t>(row)]; ++column) {
            const std::uint8_t byte = screen.At(column, row).byte;
            if (byte >= 0x5F && byte <= 0x7E && !LineDrawingByte(byte))
                lastPlain = { column, row };
        }
    }
    std::uint8_t current = clear;
    for (int row = 0; row <= lastRow; ++row) {
        const int end = ends[static_cast<size_t>(row)];
        for (int column = 0; column < end; ++column) {
            const Cell& cell = screen.At(column, row);
            if (cell.attribute != current)
                AppendColour(encoding.bytes, current = cell.attribute);
            const bool afterPlain = row > lastPlain.row || (row == lastPlain.row && column > lastPlain.column);
            if (!encoding.lineDrawing && afterPlain && !LoaderDrawsByte(cell.byte) && LineDrawingByte(cell.byte)) {
                encoding.bytes += DisplayCode::LineDrawing;
                encoding.lineDrawing = true;
            }
            const bool drawn
                = LoaderDrawsByte(cell.byte) && !(encoding.lineDrawing && cell.byte >= 0x5F && cell.byte <= 0x7E);
            if (drawn) {
                encoding.bytes += static_cast<char>(cell.byte);
            } else if (const std::optional<char> byte
                = encoding.lineDrawing ? LineDrawingByte(cell.byte) : std::nullopt) {
                encoding.bytes += *byte;
            } else {
                encoding.bytes += ' ';
                encoding.left.push_back({ column, row });
            }
        }
        if (row == Screen::Rows - 1) {
            if (!(screen.At(Screen::Columns - 1, row) == blank))
                encoding.left.push_back({ Screen::Columns - 1, row });
            encoding.prompt = { end, row };
        } else if (end == Screen::Columns) {
            encoding.prompt = { 0, row + 1 };
        } else {
            encoding.bytes += DisplayCode::CR;
            encoding.bytes += DisplayCode::LF;
            encoding.prompt = { 0, row + 1 };
        }
    }
    if (encoding.prompt.column == 0) {
        for (; encoding.prompt.row < std::min(promptRow, Screen::Rows - 1); ++encoding.prompt.row) {
            encoding.bytes += DisplayCode::CR;
            encoding.bytes += DisplayCode::LF;
        }
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
