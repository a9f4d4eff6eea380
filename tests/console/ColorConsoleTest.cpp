#include "console/ColorConsole.h"
#include "ConsoleInvariants.h"
#include "FakeMeasurer.h"
#include "FakeWindow.h"
#include "RecordingCanvas.h"
#include "format/Palette.h"

#include <gtest/gtest.h>

namespace {

constexpr TColor Grey = Palette[7], Black = Palette[0], White = Palette[15], Blue = Palette[1];

class ColorConsoleTest : public ::testing::Test {
protected:
    void Colours(TColor foreground, TColor background)
    {
        console.Font().SetColor(foreground);
        console.Font().SetBkColor(background);
    }
    void Write(std::string_view text)
    {
        console.WriteString(text);
        ASSERT_EQ(AttributeInvariantViolation(console), "");
    }
    std::uint32_t Count(int index) const { return console.AttrManager().GetAttr(index)->RefCount; }

    FakeMeasurer measurer;
    TColorConsole console { measurer };
};

}

TEST_F(ColorConsoleTest, StartsWithOneAttributeOfTheInitialFont)
{
    EXPECT_EQ(console.AttrManager().Count(), 1);
    EXPECT_EQ(Count(0), 2000u);
    EXPECT_EQ(console.CellAttr(0, 0).Name(), "Courier");
    EXPECT_EQ(console.CellAttr(79, 24).Color(), clWindowText);
    EXPECT_EQ(console.CellAttr(79, 24).BkColor(), clWindow);
    EXPECT_EQ(AttributeInvariantViolation(console), "");
}

TEST_F(ColorConsoleTest, WorkedExampleOfBlankingAndTheFreeChain)
{
    // A resize leaves a table holding only the current font's attribute:
    // index 0, light grey on black, on all 2000 cells.
    TColorConsole fresh(measurer);
    fresh.Font().SetColor(Grey);
    fresh.Font().SetBkColor(Black);
    fresh.SetRows(26);
    fresh.SetRows(25);
    fresh.BlankGrid();
    ASSERT_EQ(fresh.AttrAt(0, 0), 0);
    EXPECT_EQ(fresh.AttrManager().GetAttr(0)->RefCount, 2000u);

    fresh.Font().SetColor(White);
    fresh.Font().SetBkColor(Blue);
    fresh.WriteChar('X');
    EXPECT_EQ(fresh.AttrAt(0, 0), 1);
    EXPECT_EQ(fresh.AttrManager().GetAttr(1)->RefCount, 1u);
    EXPECT_EQ(fresh.AttrManager().GetAttr(0)->RefCount, 1999u);

    fresh.BlankGrid();
    EXPECT_EQ(fresh.AttrManager().GetAttr(1)->RefCount, 2000u);
    EXPECT_EQ(fresh.AttrManager().GetAttr(0), nullptr);
    EXPECT_EQ(fresh.AttrManager().FreeHead(), 0);
    EXPECT_EQ(AttributeInvariantViolation(fresh), "");
    fresh.Font().SetColor(Palette[4]);
    fresh.WriteChar('Y'); // the blank sent the cursor home
    EXPECT_EQ(fresh.AttrAt(0, 0), 0);
}

TEST_F(ColorConsoleTest, ColourChangesApplyToLaterWritesOnly)
{
    Colours(Grey, Black);
    console.BlankGrid();
    Write("ab");
    Colours(Palette[14], Blue);
    EXPECT_EQ(console.AttrManager().Count(), 2); // nothing created by the change itself
    Write("AB");
    EXPECT_EQ(console.AttrAt(2, 0), console.AttrAt(3, 0));
    EXPECT_EQ(console.CellAttr(2, 0).Color(), Palette[14]);
    EXPECT_EQ(console.CellAttr(2, 0).BkColor(), Blue);
    EXPECT_EQ(console.CellAttr(0, 0).Color(), Grey);
    EXPECT_EQ(console.CellAttr(4, 0).BkColor(), Black); // blank cells keep the blanking colours
}

TEST_F(ColorConsoleTest, NewLineFromTheLastRowFillsTheNewRowInTheCurrentColours)
{
    Colours(Grey, Black);
    console.BlankGrid();
    Colours(White, Blue);
    for (int line = 0; line < 24; ++line)
        Write("\r\n");
    for (int column = 0; column < 80; ++column)
        EXPECT_EQ(console.CellAttr(column, 24).BkColor(), Black); // moving down changes no cell
    Write("\r\n");
    for (int column = 0; column < 80; ++column)
        EXPECT_EQ(console.CellAttr(column, 24).BkColor(), Blue);
    EXPECT_EQ(console.CellAttr(0, 23).BkColor(), Black);
}

TEST_F(ColorConsoleTest, BackspaceErasesInTheCurrentAttribute)
{
    Colours(Grey, Black);
    console.BlankGrid();
    Write("ab");
    Colours(White, Blue);
    Write("\b");
    EXPECT_EQ(console.CharAt(1, 0), ' ');
    EXPECT_EQ(console.CellAttr(1, 0).BkColor(), Blue);
    EXPECT_EQ(console.CellAttr(0, 0).BkColor(), Black);
}

TEST_F(ColorConsoleTest, RewritingWithTheSameAttributeKeepsItsCount)
{
    Colours(Grey, Black);
    console.BlankGrid();
    const int index = console.AttrAt(0, 0);
    Write("same colours");
    EXPECT_EQ(Count(index), 2000u);
    EXPECT_EQ(console.AttrAt(0, 0), index);
}

TEST_F(ColorConsoleTest, OverwritingTheLastCellDestroysTheAttributeAtOnce)
{
    Colours(Grey, Black);
    console.BlankGrid();
    Colours(White, Blue);
    Write("x");
    const int white = console.AttrAt(0, 0);
    Colours(Grey, Black);
    Write("\ry");
    EXPECT_EQ(console.AttrManager().GetAttr(white), nullptr);
    EXPECT_EQ(console.AttrManager().FreeHead(), white);
    Colours(Palette[2], Palette[3]);
    Write("z");
    EXPECT_EQ(console.AttrAt(1, 0), white);
}

TEST_F(ColorConsoleTest, AttributesRotateWithTheGrid)
{
    Colours(Grey, Black);
    console.BlankGrid();
    for (int line = 0; line < 40; ++line) {
        Colours(Palette[line % 16], Black);
        Write(std::string(1, static_cast<char>('A' + line % 26)) + "\r\n");
    }
    for (int row = 0; row < 24; ++row) {
        const int line = 40 - 24 + row;
        EXPECT_EQ(console.CharAt(0, row), 'A' + line % 26);
        EXPECT_EQ(console.CellAttr(0, row).Color(), Palette[line % 16]) << row;
    }
}

TEST_F(ColorConsoleTest, PaintsOneRunPerAttributeAndSelectsOnlyOnChange)
{
    console.SetCols(6);
    console.SetRows(3); // the wrap after row 1 must not scroll
    FakeWindow window(console, { 0, 0, 6 * 8, 3 * 16 });
    Colours(Palette[12], Black); // c
    console.BlankGrid();
    Colours(Palette[12], Black);
    console.WriteString("\r\n");
    Colours(Palette[10], Black); // a
    console.WriteString("aa");
    Colours(Palette[11], Black); // b
    console.WriteString("b");
    Colours(Palette[10], Black);
    console.WriteString("aaa");
    RecordingCanvas canvas({ 0, 0, 6 * 8, 2 * 16 });
    console.PaintGrid(canvas);
    // Row 0 ends in c; row 1 is a, b, a.
    ASSERT_EQ(canvas.runs.size(), 4u);
    EXPECT_EQ(canvas.fontSelections, 4);
    EXPECT_EQ(canvas.runs[1].cells, "aa");
    EXPECT_EQ(canvas.runs[2].cells, "b");
    EXPECT_EQ(canvas.runs[3].cells, "aaa");
    EXPECT_EQ(canvas.runs[3].foreground, Palette[10]);
    EXPECT_EQ(canvas.runs[3].box, (PixelRect { 3 * 8, 16, 6 * 8, 32 }));
    EXPECT_EQ(canvas.runs[3].baseline, 16 + 11);

    // A row in the attribute that ended the row above: one call, no selection.
    Colours(Palette[12], Black);
    console.BlankGrid();
    RecordingCanvas again({ 0, 0, 6 * 8, 2 * 16 });
    console.PaintGrid(again);
    EXPECT_EQ(again.runs.size(), 2u);
    EXPECT_EQ(again.fontSelections, 1);
}

TEST_F(ColorConsoleTest, AreaOutsideTheGridTakesTheControlColour)
{
    console.SetCols(4);
    console.SetRows(2);
    console.SetColor(0x00123456);
    FakeWindow window(console, { 0, 0, 100, 100 });
    Colours(Grey, Blue);
    console.BlankGrid();
    RecordingCanvas canvas({ 0, 0, 100, 100 });
    console.PaintGrid(canvas);
    ASSERT_EQ(canvas.fills.size(), 2u);
    EXPECT_EQ(canvas.fills[0].rect, (PixelRect { 32, 0, 100, 100 }));
    EXPECT_EQ(canvas.fills[1].rect, (PixelRect { 0, 32, 32, 100 }));
    for (const auto& fill : canvas.fills)
        EXPECT_EQ(fill.colour, 0x00123456u);
    for (const auto& run : canvas.runs)
        EXPECT_EQ(run.background, Blue);
}

TEST_F(ColorConsoleTest, FaceChangesGrowTheCellSizeChangesResetIt)
{
    FakeWindow window(console);
    console.Font().SetHeight(16);
    ASSERT_EQ(console.CellSize(), (CellPair { 8, 16 }));
    TextMetrics wide;
    wide.height = 12;
    wide.externalLeading = 0;
    wide.ascent = 13;
    wide.aveCharWidth = 10;
    wide.maxCharWidth = 10;
    wide.pitchAndFamily = PitchAndFamily(TFontFamily::Modern);
    measurer.overrides["Wide"] = wide;
    console.Font().SetName("Wide");
    EXPECT_EQ(console.CellSize(), (CellPair { 10, 16 })); // width grows, height keeps the larger
    EXPECT_EQ(console.CellAscent(), 13);
    EXPECT_EQ(console.CharWidths().front(), 10);
    console.Font().SetName("Courier");
    EXPECT_EQ(console.CellSize(), (CellPair { 10, 16 })); // never shrinks at one size

    Colours(Grey, Black);
    console.WriteString("x");
    console.Font().SetHeight(30); // another size: reset to this font, every attribute rescaled
    EXPECT_EQ(console.CellSize(), (CellPair { 16, 32 }));
    EXPECT_EQ(console.CharWidths().back(), 16);
    for (int index = 0; index < console.AttrManager().Count(); ++index)
        if (auto* attr = console.AttrManager().GetAttr(index)) {
            EXPECT_EQ(attr->Height(), 30);
        }
    EXPECT_EQ(console.AttrAt(0, 0), console.AttrManager().FindOrAdd(console.Font()));
}

TEST_F(ColorConsoleTest, CountZeroChangesNothing)
{
    console.WriteString("");
    console.Write("abc", 0);
    EXPECT_EQ(console.AttrManager().Count(), 1);
    EXPECT_EQ(Count(0), 2000u);
}
