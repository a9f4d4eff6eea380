#include "FakeMeasurer.h"
#include "FakeWindow.h"
#include "Rows.h"
#include "common/Exceptions.h"
#include "console/Console.h"
#include "console/TextStream.h"

#include <gtest/gtest.h>

#include <iostream>
#include <sstream>

namespace {

class BreakCountingConsole : public TConsole {
public:
    using TConsole::TConsole;
    void CtrlBreak() override { ++breaks; }
    int breaks = 0;
};

class StreamTest : public ::testing::Test {
protected:
    FakeMeasurer measurer;
};

}

TEST_F(StreamTest, StandardOutputReachesTheWritePathAtEveryStatement)
{
    TConsole console(measurer);
    std::string hooked;
    console.SetProcessControlCodes([&](TConsole& sender, const char* buffer, std::uint32_t count) {
        hooked.append(buffer, count);
        sender.WriteDefault(buffer, count);
    });
    console.SetOptions(console.Options() | coStdOutput);
    std::cout << 'A' << 'B';
    EXPECT_EQ(hooked, "AB"); // before any explicit flush
    std::cout << "\r\n";
    EXPECT_EQ(Trimmed(console.ScreenRow(0)), "AB");
    EXPECT_EQ(console.Cursor(), (CellPair { 0, 1 }));
    // Longer than the 128-character buffer: passed on in pieces, nothing lost.
    std::cout << std::string(300, 'z');
    EXPECT_EQ(Trimmed(console.ScreenRow(1)), std::string(80, 'z'));
    EXPECT_EQ(console.Cursor(), (CellPair { 300 % 80, 4 }));
    console.SetOptions(console.Options() & ~TConsoleOptions(coStdOutput));
}

TEST_F(StreamTest, OnlyOneConsoleServesStandardOutputAndDetachingRestoresIt)
{
    std::stringstream capture;
    std::streambuf* original = std::cout.rdbuf(capture.rdbuf());
    {
        auto first = std::make_unique<TConsole>(measurer);
        first->SetOptions(first->Options() | coStdOutput);
        TConsole second(measurer);
        try {
            second.SetOptions(second.Options() | coStdOutput);
            FAIL();
        } catch (const Exception& error) {
            EXPECT_STREQ(error.what(), "TConsole.SetOptions: Standard Output is already open");
        }
        EXPECT_FALSE(second.Options() & coStdOutput);
        std::cout << "x";
        EXPECT_EQ(first->CharAt(0, 0), 'x');
        first.reset(); // detaches
        std::cout << "after" << std::flush;
        EXPECT_EQ(capture.str(), "after");
        second.SetOptions(second.Options() | coStdOutput);
        std::cout << "y";
        EXPECT_EQ(second.CharAt(0, 0), 'y');
    }
    std::cout << "!" << std::flush;
    EXPECT_EQ(capture.str(), "after!");
    std::cout.rdbuf(original);
}

TEST_F(StreamTest, DeviceErrorsReachTheWriter)
{
    TConsole console(measurer);
    console.SetOptions(console.Options() | coStdOutput);
    console.SetProcessControlCodes([](TConsole&, const char*, std::uint32_t) { throw Exception("device"); });
    EXPECT_THROW(WriteStandardOutput("x"), Exception);
    console.SetProcessControlCodes(nullptr);
    WriteStandardOutput("y");
    EXPECT_EQ(console.CharAt(0, 0), 'y');
    console.SetOptions(console.Options() & ~TConsoleOptions(coStdOutput));
    EXPECT_THROW(WriteStandardOutput("z"), Exception);
}

TEST_F(StreamTest, KeyboardQueueHoldsSixtyFourAndPassesCtrlC)
{
    BreakCountingConsole console(measurer);
    for (int i = 0; i < 70; ++i)
        console.CharacterTyped(static_cast<char>('a' + i % 26));
    EXPECT_EQ(console.KeyCount(), 64);

    BreakCountingConsole checking(measurer);
    checking.CharacterTyped(0x03);
    EXPECT_EQ(checking.breaks, 1);
    EXPECT_EQ(checking.KeyCount(), 1);
    checking.KeyDown(0x01020001, false); // Ctrl+Break
    EXPECT_EQ(checking.breaks, 2);

    BreakCountingConsole unchecked(measurer);
    unchecked.SetOptions(unchecked.Options() & ~TConsoleOptions(coCheckBreak));
    unchecked.CharacterTyped(0x03);
    EXPECT_EQ(unchecked.breaks, 0);
    EXPECT_EQ(unchecked.KeyCount(), 1);
    EXPECT_EQ(unchecked.ReadKey(), 0x03);
}

TEST_F(StreamTest, ReadLineEditsEchoesAndTerminates)
{
    struct Case {
        const char* name;
        bool checkEOF;
        int size;
        std::string keys;
        std::string line;
        std::string screen;
        CellPair cursor;
    };
    const Case cases[] = {
        { "backspace", false, 128, "ab\bc\r", "ac\r\n", "ac", { 0, 1 } },
        { "backspace at the start", false, 128, "\b\bx\r", "x\r\n", "x", { 0, 1 } },
        { "Ctrl+Z ends with coCheckEOF", true, 128, "xy\x1a", "xy\x1a", "xy", { 2, 0 } },
        { "Ctrl+Z ignored otherwise", false, 128, "x\x1ay\r", "xy\r\n", "xy", { 0, 1 } },
        { "full buffer", false, 5, "abcde\b\r", "ab\r\n", "ab", { 0, 1 } },
    };
    for (const Case& test : cases) {
        TConsole console(measurer);
        if (test.checkEOF)
            console.SetOptions(console.Options() | coCheckEOF);
        FakeWindow window(console);
        window.pendingKeys.assign(test.keys.begin(), test.keys.end());
        char buffer[128];
        const int length = console.ReadLine(buffer, test.size);
        EXPECT_EQ(std::string(buffer, length), test.line) << test.name;
        EXPECT_EQ(Trimmed(console.ScreenRow(0)), test.screen) << test.name;
        EXPECT_EQ(console.Cursor(), test.cursor) << test.name;
        EXPECT_FALSE(console.Reading());
    }
}

TEST_F(StreamTest, StandardInputReadsLinesTypedIntoTheConsole)
{
    TConsole console(measurer);
    FakeWindow window(console);
    console.SetOptions(console.Options() | coStdInput);
    window.pendingKeys = { '4', '2', '\r' };
    int value = 0;
    std::cin >> value;
    EXPECT_EQ(value, 42);
    try {
        TConsole other(measurer);
        other.SetOptions(other.Options() | coStdInput);
        FAIL();
    } catch (const Exception& error) {
        EXPECT_STREQ(error.what(), "TConsole.SetOptions: Standard Input is already open");
    }
    console.SetOptions(console.Options() & ~TConsoleOptions(coStdInput));
}

TEST_F(StreamTest, ASecondReadIsRefusedAndQuitEndsTheWait)
{
    TConsole console(measurer);
    FakeWindow window(console);
    std::string nested;
    window.whileWaiting = [&] {
        try {
            console.ReadKey();
        } catch (const EInvalidOperation& error) {
            nested = error.what();
        }
    };
    window.pendingKeys = { 'k' };
    EXPECT_EQ(console.ReadKey(), 'k');
    EXPECT_EQ(nested, "Read already active");

    window.whileWaiting = nullptr;
    try {
        console.ReadKey(); // nothing typed, the fake loop ends as on quit
        FAIL();
    } catch (const Exception& error) {
        EXPECT_STREQ(error.what(), "WM_Quit received during ReadKey");
    }
    EXPECT_FALSE(console.Reading());
    EXPECT_FALSE(window.caret);
}
