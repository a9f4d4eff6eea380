// The screen model's rules as its headers state them, each a row: the
// encoder's clear colour and tie order, where 0x0E goes, what it leaves
// out and how that is told; ANSI art's SAUCE, import and export.
#include "screen/AnsiArt.h"
#include "screen/ScreenEncoder.h"

#include <gtest/gtest.h>

namespace {

// Cells from the top left, in runs; the rest of the screen stays blank in 07.
struct Run {
    int count;
    std::uint8_t byte;
    std::uint8_t attribute;
};

Screen ScreenOfRuns(std::initializer_list<Run> runs)
{
    Screen screen;
    std::size_t at = 0;
    for (const Run& run : runs) {
        for (int i = 0; i < run.count; ++i)
            screen.cells[at++] = { run.byte, run.attribute };
    }
    return screen;
}

}

TEST(ScreenRules, TheClearColourIsTheMostBlanksOnesSevenAmongEqualsThenTheLowest)
{
    struct Row {
        const char* what;
        Screen screen;
        int clear;
    };
    const Row rows[] = {
        { "a blank screen", Screen {}, 0x07 },
        { "more blanks in 1f", ScreenOfRuns({ { 1001, ' ', 0x1f } }), 0x1f },
        { "07 among equals", ScreenOfRuns({ { 1000, ' ', 0x1f } }), 0x07 },
        { "the lowest among equals", ScreenOfRuns({ { 1000, 'x', 0x07 }, { 500, ' ', 0x4f }, { 500, ' ', 0x1e } }),
            0x1e },
        { "only blanks count", ScreenOfRuns({ { 1900, 'x', 0x4f }, { 100, ' ', 0x2f } }), 0x2f },
    };
    for (const Row& row : rows) {
        EXPECT_EQ(ClearAttribute(row.screen), row.clear) << row.what;
        EXPECT_TRUE(EncodeScreen(row.screen)
                        .bytes.startsWith(
                            QByteArray("\x0f") + QByteArray::number(row.clear, 16).rightJustified(2, '0') + "\x0c"))
            << row.what;
    }
    for (int byte = 0; byte < 256; ++byte) {
        const bool drawn = byte >= 0x20 && byte != 0x7F && byte != 0xFF;
        EXPECT_EQ(LoaderDrawsByte(static_cast<std::uint8_t>(byte)), drawn) << byte;
    }
}

TEST(ScreenRules, LineDrawingStartsAfterTheLastByteThatNeedsItsPlainForm)
{
    struct Row {
        const char* what;
        Screen screen;
        QByteArray bytes;
        bool lineDrawing;
        std::vector<Spot> left;
    };
    const Row rows[] = {
        { "the diamond after a plain a", ScreenOfRuns({ { 1, 'a', 0x07 }, { 1, 0x04, 0x07 } }),
            "\x0f"
            "07\x0c"
            "a\x0e`\r\n",
            true, {} },
        { "the diamond before a plain a is left", ScreenOfRuns({ { 1, 0x04, 0x07 }, { 1, 'a', 0x07 } }),
            "\x0f"
            "07\x0c a\r\n",
            false, { { 0, 0 } } },
        { "the bullet's first byte, and _ the same in both", ScreenOfRuns({ { 1, '_', 0x07 }, { 1, 0x07, 0x07 } }),
            "\x0f"
            "07\x0c_\x0e"
            "b\r\n",
            true, {} },
        { "_ after the diamond is the same in line drawing", ScreenOfRuns({ { 1, 0x04, 0x07 }, { 1, '_', 0x07 } }),
            "\x0f"
            "07\x0c\x0e`_\r\n",
            true, {} },
        { "bytes the loader does not draw, in screen order",
            ScreenOfRuns({ { 1, 0x7F, 0x1e }, { 1, 0xFF, 0x07 }, { 80, 'x', 0x07 }, { 1, 0x01, 0x07 } }),
            "\x0f"
            "07\x0c\x0f"
            "1e \x0f"
            "07 "
                + QByteArray(78, 'x') + "xx \r\n",
            false, { { 0, 0 }, { 1, 0 }, { 2, 1 } } },
    };
    for (const Row& row : rows) {
        const Encoding encoding = EncodeScreen(row.screen);
        EXPECT_EQ(encoding.bytes, row.bytes) << row.what;
        EXPECT_EQ(encoding.lineDrawing, row.lineDrawing) << row.what;
        EXPECT_EQ(encoding.left, row.left) << row.what;
    }
}

TEST(ScreenRules, WhatIsLeftOutIsToldInWholeSentences)
{
    Screen screen;
    EXPECT_EQ(DescribeLeftCells(screen, {}), "");
    screen.At(2, 0) = { 0x07, 0x07 };
    EXPECT_EQ(DescribeLeftCells(screen, { { 2, 0 } }),
        "1 cell with a byte the loader does not draw: row 1 column 3 (byte 07)");
    std::vector<Spot> seven;
    for (int column = 0; column < 7; ++column)
        seven.push_back({ column, 1 });
    seven.push_back({ 79, 24 });
    EXPECT_EQ(DescribeLeftCells(screen, seven),
        "7 cells with a byte the loader does not draw: row 2 column 1 (byte 20), row 2 column 2 (byte 20), row 2 "
        "column 3 (byte 20), row 2 column 4 (byte 20), row 2 column 5 (byte 20) and 2 more; the last cell of row 25, "
        "which the loader cannot write without scrolling");
}

TEST(ScreenRules, AnsiArtsSauceAndImport)
{
    // A SAUCE record of another data type says nothing of the width.
    QByteArray sauce = "SAUCE00" + QByteArray(35 + 20 + 20 + 8 + 4, ' ');
    sauce += "\x02\x01"; // a bitmap
    sauce += QByteArray("\x28\x00\x19\x00", 4);
    sauce = sauce.leftJustified(128, '\0');
    EXPECT_EQ(ReadAnsiArt(QByteArray(50, 'a') + '\x1a' + sauce).width, 80);
    sauce[94] = '\x01';
    EXPECT_EQ(ReadAnsiArt(QByteArray(50, 'a') + '\x1a' + sauce).width, 40);

    QByteArray tall;
    for (int row = 0; row < 40; ++row)
        tall += "row " + QByteArray::number(row + 1) + "\r\n";
    const ImportedArt imported = ImportAnsiArt(ReadAnsiArt(tall), 99);
    EXPECT_EQ(imported.losses, QStringList { "the art has 40 rows: only rows 16-40 are taken" });
    EXPECT_TRUE(imported.bytes.startsWith("\x0f"
                                          "07\x0crow 16\r\n"));
}

// What readers of .ans act on goes out as a space; a row that stops short
// ends in CR LF, back in 07 first; iCE colours are flagged.
TEST(ScreenRules, AnsiArtWritten)
{
    Screen screen = ScreenOfRuns({ { 1, '\r', 0x07 }, { 1, '\x1a', 0x07 }, { 1, '\x1b', 0x07 }, { 1, 'x', 0x9e } });
    const QByteArray art = WriteAnsiArt(screen);
    EXPECT_TRUE(art.startsWith("\x1b[0m   \x1b[0;1;5;33;44mx\x1b[0;37;40m\r\n")) << art.constData();
    EXPECT_EQ(art[art.size() - 128 + 105], '\x01') << "iCE colours";
    EXPECT_EQ(WriteAnsiArt(Screen {})[WriteAnsiArt(Screen {}).size() - 128 + 105], '\x00');
}
