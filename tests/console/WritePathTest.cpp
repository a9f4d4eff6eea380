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

TEST_F(WritePathTest, TopRowWrapsAroundAfterAFullTurn)
{
    for (int line = 0; line < 60; ++line)
        Write(std::to_string(line) + "\r\n");
    EXPECT_EQ(console.TopRow(), (60 - 24) % 25);
    EXPECT_EQ(Row(0), "36");
    EXPECT_EQ(Row(23), "59");
}

TEST_F(WritePathTest, ProcessControlCodesSeesEverythingAndDecides)
{
    std::string seen;
    console.SetProcessControlCodes(
        [&](TConsole&, const char* buffer, std::uint32_t count) { seen.append(buffer, count); });
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
