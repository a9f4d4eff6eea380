// Feeds arbitrary bytes to the ANSI art import and checks what must hold:
// rows within the bound, the imported bytes drawing the art's 25 rows as
// the loader shows them (but for the cells the encoder lists as left), and
// an exported screen reading back as itself.
#include "FuzzChecks.h"
#include "common/Limits.h"
#include "screen/AnsiArt.h"
#include "screen/BootScreen.h"
#include "screen/ScreenEncoder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const AnsiArt art = ReadAnsiArt(bytes);
    const int rows = static_cast<int>(art.rows.size());
    Require(rows >= 1 && rows <= Limits::ArtRows, "rows outside the bound");
    Require(art.width >= 1 && art.width <= Limits::ArtColumns, "a width outside the bound");

    const int first = static_cast<int>(size % static_cast<std::size_t>(rows));
    const ImportedArt imported = ImportAnsiArt(art, first);
    const Screen taken = art.RowsFrom(std::clamp(first, 0, std::max(rows - Screen::Rows, 0)));
    const Encoding encoding = EncodeScreen(taken);
    Require(imported.bytes == encoding.bytes, "the import is not the screen's canonical bytes");
    Screen shown = BootScreenOf(imported.bytes).screen;
    for (const Spot& left : encoding.left)
        shown.At(left.column, left.row) = taken.At(left.column, left.row);
    Require(shown == taken, "the imported bytes draw another screen");

    Screen exported = taken;
    for (Cell& cell : exported.cells) {
        if (QByteArrayView("\r\n\x1a\x1b\t").contains(static_cast<char>(cell.byte)))
            cell.byte = ' ';
    }
    Require(ReadAnsiArt(WriteAnsiArt(exported)).RowsFrom(0) == exported, "an exported screen reads back otherwise");
    return 0;
}
