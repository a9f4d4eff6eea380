#include "FakeMeasurer.h"
#include "FakeWindow.h"
#include "Rows.h"
#include "console/Console.h"

#include <gtest/gtest.h>

#include <string>

namespace {

class WritePathTest : public ::testing::Test {
protected:
    std::string Row(int row) const { return Trimmed(console.ScreenRow(row)); }
    void Write(std::string_view text) { console.WriteString(text); }

    FakeMeasurer measurer;
    TConsole console { measurer };
};

}

TEST_F(WritePathTest, StartsAsAnEightyByTwentyFiveBlankGrid)
{
    EXPECT_EQ(console.Cols(), 80);
    EXPECT_EQ(console.Rows(), 25);
    EXPECT_EQ(console.Options().toInt(), 0x95);
    EXPECT_EQ(console.LineBreak(), TConsoleLineBreak::CRLF);
    EXPECT_EQ(console.Font().Name(), "Courier");
    EXPECT_EQ(console.Color(), clWindow);
    for (int row = 0; row < 25; ++row)
        EXPECT_EQ(console.ScreenRow(row), QByteArray(80, ' '));
}

TEST_F(WritePathTest, ScriptedWrites)
{
    struct Case {
        const char* name;
        TConsoleLineBreak mode;
        std::string input;
        std::vector<std::string> rows;
        CellPair cursor;
    };
    const Case cases[] = {
        { "plain text", TConsoleLineBreak::CRLF, "Hello", { "Hello" }, { 5, 0 } },
        { "crlf", TConsoleLineBreak::CRLF, "AB\r\nCD", { "AB", "CD" }, { 2, 1 } },
        { "lone LF keeps the column in CRLF mode", TConsoleLineBreak::CRLF, "AB\nCD", { "AB", "  CD" }, { 4, 1 } },
        { "lone CR returns only in CRLF mode", TConsoleLineBreak::CRLF, "AB\rC", { "CB" }, { 1, 0 } },
        { "LF starts a new line in LF mode", TConsoleLineBreak::LF, "AB\nCD", { "AB", "CD" }, { 2, 1 } },
        { "CR starts a new line in CR mode", TConsoleLineBreak::CR, "AB\rCD", { "AB", "CD" }, { 2, 1 } },
        { "CR LF in CR mode leaves a row", TConsoleLineBreak::CR, "AB\r\nCD", { "AB", "", "CD" }, { 2, 2 } },
        { "backspace blanks the cell", TConsoleLineBreak::CRLF, "ABC\bX", { "ABX" }, { 3, 0 } },
        { "backspace at column 0 does nothing", TConsoleLineBreak::CRLF, "A\r\n\bB", { "A", "B" }, { 1, 1 } },
        { "backspace after a wrap stays on its row", TConsoleLineBreak::CRLF, std::string(80, 'x') + "\b",
            { std::string(80, 'x') }, { 0, 1 } },
        { "other control codes leave no trace", TConsoleLineBreak::CRLF,
            "A\t\x0c\x0f\x18\x19\x1b\x01\x1f\x10"
            "B",
            { "AB" }, { 2, 0 } },
        { "0x7F and the upper half are characters", TConsoleLineBreak::CRLF, "\x7f\x80\xff", { "\x7f\x80\xff" },
            { 3, 0 } },
        { "exactly 80 characters then CR LF leave an empty row", TConsoleLineBreak::CRLF,
            std::string(80, 'a') + "\r\nb", { std::string(80, 'a'), "", "b" }, { 1, 2 } },
        { "81 characters wrap the last onto the next row", TConsoleLineBreak::CRLF, std::string(81, 'a'),
            { std::string(80, 'a'), "a" }, { 1, 1 } },
    };
    for (const Case& test : cases) {
        TConsole fresh(measurer);
        fresh.SetLineBreak(test.mode);
        fresh.WriteString(test.input);
        for (size_t row = 0; row < 25; ++row) {
            EXPECT_EQ(Trimmed(fresh.ScreenRow(static_cast<int>(row))), row < test.rows.size() ? test.rows[row] : "") << test.name << ", row " << row;
        }
        EXPECT_EQ(fresh.Cursor(), test.cursor) << test.name;
    }
}

TEST_F(WritePathTest, NewLineOnTheBottomRowScrollsByRotation)
{
    for (int line = 0; line < 25; ++line)
        Write("line " + std::to_string(line) + (line < 24 ? "\r\n" : ""));
    EXPECT_EQ(console.TopRow(), 0);
    Write("\r\nlast");
    EXPECT_EQ(console.TopRow(), 1);
    EXPECT_EQ(Row(0), "line 1");
    EXPECT_EQ(Row(23), "line 24");
    EXPECT_EQ(Row(24), "last");
    EXPECT_EQ(console.Cursor(), (CellPair { 4, 24 }));
    // A wrap on the bottom row scrolls too, and blanks the new bottom row.
    Write(std::string(76, 'z'));
    EXPECT_EQ(console.TopRow(), 2);
    EXPECT_EQ(Row(23), "last" + std::string(76, 'z'));
    EXPECT_EQ(Row(24), "");
    EXPECT_EQ(console.Cursor(), (CellPair { 0, 24 }));
}

TEST_F(WritePathTest, TopRowWrapsAroundAfterAFullTurn)
{
    for (int line = 0; line < 60; ++line)
        Write(std::to_string(line) + "\r\n");
    EXPECT_EQ(console.TopRow(), (60 - 24) % 25);
    EXPECT_EQ(Row(0), "36");
    EXPECT_EQ(Row(23), "59");
}

TEST_F(WritePathTest, SingleRowConsoleBlanksItsRowAtEveryLineFeed)
{
    console.SetRows(1);
    Write("abc");
    EXPECT_EQ(Row(0), "abc");
    Write("\n");
    EXPECT_EQ(Row(0), "");
    EXPECT_EQ(console.Cursor(), (CellPair { 3, 0 }));
    EXPECT_EQ(console.TopRow(), 0);
    Write("d");
    EXPECT_EQ(Row(0), "   d");
}

TEST_F(WritePathTest, ResizingKeepsPositionsInsideTheNewGrid)
{
    for (int line = 0; line < 30; ++line)
        Write("text\r\n");
    console.SetRows(10);
    console.SetCols(20);
    EXPECT_EQ(console.TopRow(), 0);
    EXPECT_EQ(console.Cursor(), (CellPair { 0, 0 }));
    Write(std::string(25, 'q'));
    EXPECT_EQ(Row(0), std::string(20, 'q'));
    EXPECT_EQ(Row(1), "qqqqq");
}

TEST_F(WritePathTest, EachBellBeepsAlsoInsideText)
{
    FakeWindow window(console);
    Write("a\x07"
          "b\x07\x07"
          "c");
    EXPECT_EQ(window.beeps, 3);
    EXPECT_EQ(Row(0), "abc");
}

TEST_F(WritePathTest, ProcessControlCodesSeesEverythingAndDecides)
{
    std::string seen;
    console.SetProcessControlCodes([&](TConsole&, const char* buffer, std::uint32_t count) { seen.append(buffer, count); });
    Write("A\r\nB");
    EXPECT_EQ(seen, "A\r\nB");
    EXPECT_EQ(Row(0), "");
    EXPECT_EQ(console.Cursor(), (CellPair { 0, 0 }));

    console.SetProcessControlCodes([](TConsole& sender, const char* buffer, std::uint32_t count) {
        for (std::uint32_t i = 0; i < count; ++i) {
            const char upper = static_cast<char>(std::toupper(static_cast<unsigned char>(buffer[i])));
            sender.WriteDefault(&upper, 1);
        }
    });
    Write("hi");
    EXPECT_EQ(Row(0), "HI");
}

TEST_F(WritePathTest, HookErrorsReachTheWriter)
{
    console.SetProcessControlCodes([](TConsole&, const char*, std::uint32_t) { throw std::runtime_error("hook"); });
    EXPECT_THROW(Write("x"), std::runtime_error);
}

TEST_F(WritePathTest, ClearBlanksEverythingAndGoesHome)
{
    Write("some\r\ntext\r\n");
    console.Clear();
    for (int row = 0; row < 25; ++row)
        EXPECT_EQ(Row(row), "");
    EXPECT_EQ(console.Cursor(), (CellPair { 0, 0 }));
    EXPECT_EQ(console.Origin(), (CellPair { 0, 0 }));
}

TEST_F(WritePathTest, ZeroCountWritesNothing)
{
    console.Write("x", 0);
    EXPECT_EQ(Row(0), "");
    EXPECT_EQ(console.Cursor(), (CellPair { 0, 0 }));
}

TEST_F(WritePathTest, InvalidatesEachTouchedRowOnceAsOneRectangle)
{
    FakeWindow window(console);
    window.invalidated.clear();
    Write("abc\r\ndefgh");
    // Row 0 once when CR arrives (columns 0-3), row 1 once at the end (0-5).
    ASSERT_EQ(window.invalidated.size(), 2u);
    EXPECT_EQ(window.invalidated[0], (PixelRect { 0, 0, 3 * 8, 16 }));
    EXPECT_EQ(window.invalidated[1], (PixelRect { 0, 16, 5 * 8, 32 }));
}
