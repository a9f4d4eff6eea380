#include "FakeMeasurer.h"
#include "FakeWindow.h"
#include "RecordingCanvas.h"
#include "common/Exceptions.h"
#include "console/Console.h"

#include <QtCore/qnamespace.h>

#include <gtest/gtest.h>

#include <string>

namespace {

class ViewTest : public ::testing::Test {
protected:
    FakeMeasurer measurer; // 8 × 16 cells
    TConsole console { measurer };
};

}

TEST_F(ViewTest, MeasuresTheFontIntoCellsAndRanges)
{
    FakeWindow window(console, { 0, 0, 325, 165 });
    EXPECT_EQ(console.CellSize(), (CellPair { 8, 16 }));
    EXPECT_EQ(console.CellAscent(), 11);
    EXPECT_EQ(console.ClientCells(), (CellPair { 40, 10 }));
    EXPECT_EQ(console.Range(), (CellPair { 40, 15 }));
    EXPECT_EQ(window.hRange, 40);
    EXPECT_EQ(window.vRange, 15);
}

TEST_F(ViewTest, AGridThatFitsStillShowsBothBars)
{
    FakeWindow window(console, { 0, 0, 800, 500 });
    EXPECT_EQ(console.Range(), (CellPair { 0, 0 }));
    EXPECT_EQ(window.hRange, 1);
    EXPECT_EQ(window.vRange, 1);
    console.DoScroll(ScrollAxis::Vertical, ScrollAction::LineDown, 0);
    console.DoScroll(ScrollAxis::Horizontal, ScrollAction::ThumbTrack, 1);
    EXPECT_EQ(console.Origin(), (CellPair { 0, 0 }));
    EXPECT_TRUE(window.scrolls.empty());
}

TEST_F(ViewTest, EveryScrollActionStaysInsideTheRange)
{
    FakeWindow window(console, { 0, 0, 320, 160 }); // 40 × 10 visible: range 40 × 15
    struct Case {
        ScrollAxis axis;
        ScrollAction action;
        int thumb;
        CellPair start;
        CellPair expected;
    };
    const auto H = ScrollAxis::Horizontal;
    const auto V = ScrollAxis::Vertical;
    const Case cases[] = {
        { H, ScrollAction::LineUp, 0, { 0, 0 }, { 0, 0 } },
        { H, ScrollAction::LineDown, 0, { 40, 0 }, { 40, 0 } },
        { H, ScrollAction::LineDown, 0, { 5, 3 }, { 6, 3 } },
        { H, ScrollAction::PageDown, 0, { 5, 3 }, { 25, 3 } }, // half the visible columns
        { H, ScrollAction::PageDown, 0, { 30, 3 }, { 40, 3 } },
        { H, ScrollAction::PageUp, 0, { 5, 3 }, { 0, 3 } },
        { H, ScrollAction::ThumbTrack, 99, { 5, 3 }, { 40, 3 } },
        { H, ScrollAction::ThumbPosition, -7, { 5, 3 }, { 0, 3 } },
        { H, ScrollAction::Bottom, 0, { 5, 3 }, { 40, 3 } },
        { H, ScrollAction::Top, 0, { 5, 3 }, { 0, 3 } },
        { H, ScrollAction::EndScroll, 0, { 5, 3 }, { 5, 3 } },
        { V, ScrollAction::LineUp, 0, { 0, 0 }, { 0, 0 } },
        { V, ScrollAction::LineDown, 0, { 0, 15 }, { 0, 15 } },
        { V, ScrollAction::PageDown, 0, { 2, 1 }, { 2, 11 } }, // the visible rows
        { V, ScrollAction::PageDown, 0, { 2, 8 }, { 2, 15 } },
        { V, ScrollAction::PageUp, 0, { 2, 8 }, { 2, 0 } },
        { V, ScrollAction::ThumbTrack, 32767, { 2, 8 }, { 2, 15 } },
        { V, ScrollAction::ThumbTrack, -32768, { 2, 8 }, { 2, 0 } },
        { V, ScrollAction::Bottom, 0, { 2, 8 }, { 2, 15 } },
    };
    for (const Case& test : cases) {
        console.ScrollTo(test.start.x, test.start.y);
        ASSERT_EQ(console.Origin(), test.start);
        console.DoScroll(test.axis, test.action, test.thumb);
        EXPECT_EQ(console.Origin(), test.expected) << static_cast<int>(test.action);
        EXPECT_EQ(window.hPosition, test.expected.x);
        EXPECT_EQ(window.vPosition, test.expected.y);
    }
    console.ScrollTo(1000, -1000);
    EXPECT_EQ(console.Origin(), (CellPair { 40, 0 }));
}

TEST_F(ViewTest, ScrollKeysFollowTheirTable)
{
    FakeWindow window(console, { 0, 0, 320, 160 });
    console.ScrollTo(10, 5);
    struct Case {
        int key;
        bool ctrl;
        CellPair expected;
    };
    const Case cases[] = {
        { Qt::Key_Right, false, { 11, 5 } },
        { Qt::Key_Left, false, { 10, 5 } },
        { Qt::Key_Right, true, { 30, 5 } },
        { Qt::Key_Left, true, { 10, 5 } },
        { Qt::Key_Down, false, { 10, 6 } },
        { Qt::Key_PageDown, false, { 10, 15 } },
        { Qt::Key_Home, false, { 0, 15 } },
        { Qt::Key_End, false, { 40, 15 } },
        { Qt::Key_Home, true, { 40, 0 } },
        { Qt::Key_End, true, { 40, 15 } },
    };
    for (const Case& test : cases) {
        console.KeyDown(test.key, test.ctrl);
        EXPECT_EQ(console.Origin(), test.expected) << test.key << (test.ctrl ? " with Ctrl" : "");
    }
}

TEST_F(ViewTest, LazyWriteMergesScrollsAndCarriesOutHalfAScreenAtOnce)
{
    FakeWindow window(console, { 0, 0, 640, 400 }); // all 25 rows visible
    int waitingMost = 0;
    for (int line = 0; line < 100; ++line) {
        console.WriteString("line " + std::to_string(line) + "\r\n");
        waitingMost = std::max(waitingMost, static_cast<int>(window.WaitingScroll().has_value()));
        EXPECT_LE(std::count(window.wakes.begin(), window.wakes.end(), ConsoleMessage::WM_CONSOLETRACK), 1);
    }
    EXPECT_EQ(waitingMost, 1);
    // 76 rows scrolled: six synchronous jumps of 12, the rest still waiting.
    ASSERT_EQ(window.scrolls.size(), 6u);
    for (const auto& scroll : window.scrolls)
        EXPECT_EQ(scroll.dy, -12 * 16);
    const auto waiting = window.WaitingScroll();
    ASSERT_TRUE(waiting);
    EXPECT_EQ(waiting->y, 76 - 72);
    EXPECT_EQ(console.Origin().y, -4);
    window.DeliverAll();
    EXPECT_EQ(console.Origin(), (CellPair { 0, 0 }));
    EXPECT_EQ(window.scrolls.back().dy, -4 * 16);
}

TEST_F(ViewTest, WithoutLazyWriteEveryRowIsPaintedAndEveryScrollDoneAtOnce)
{
    console.SetOptions(console.Options() & ~TConsoleOptions(coLazyWrite));
    FakeWindow window(console, { 0, 0, 640, 400 });
    for (int line = 0; line < 30; ++line) {
        const int updatesBefore = window.updates;
        console.WriteString("x\r\n");
        EXPECT_GT(window.updates, updatesBefore);
    }
    EXPECT_TRUE(window.wakes.empty());
    ASSERT_EQ(window.scrolls.size(), 6u);
    for (const auto& scroll : window.scrolls)
        EXPECT_EQ(scroll.dy, -16);
}

TEST_F(ViewTest, AutoTrackingFollowsTheCursorInASmallWindow)
{
    console.SetOptions(console.Options() & ~TConsoleOptions(coLazyWrite));
    FakeWindow window(console, { 0, 0, 320, 160 });
    console.WriteString(std::string(50, 'x'));
    EXPECT_EQ(console.Origin(), (CellPair { 11, 0 }));
    for (int line = 0; line < 12; ++line)
        console.WriteString("\r\n");
    EXPECT_EQ(console.Origin(), (CellPair { 0, 3 }));
}

TEST_F(ViewTest, ProportionalFontIsRefusedAndTheFaceRestored)
{
    measurer.overrides["Helvetica"] = FakeMeasurer::Proportional();
    FakeWindow window(console);
    console.Font().SetHeight(30);
    try {
        console.Font().SetName("Helvetica");
        FAIL() << "accepted a proportional font";
    } catch (const EInvalidFont& error) {
        EXPECT_STREQ(error.what(), "TConsole: Helvetica is not fixed-pitch");
    }
    EXPECT_EQ(console.Font().Name(), "Courier");
    EXPECT_EQ(console.Font().Height(), 30);
    EXPECT_EQ(console.CellSize(), (CellPair { 16, 32 })); // metrics of the restored font

    console.SetOptions(console.Options() & ~TConsoleOptions(coFixedPitchOnly));
    console.Font().SetName("Helvetica");
    EXPECT_EQ(console.CellSize(), (CellPair { 6, 13 }));
    EXPECT_EQ(console.Overhang(), 8);
}

TEST_F(ViewTest, ColourChangesMeasureAndRepaintNothing)
{
    FakeWindow window(console);
    const int measured = measurer.measured;
    const int invalidated = window.invalidatedAll;
    console.Font().SetColor(0x0000FF);
    console.Font().SetBkColor(0x00FF00);
    EXPECT_EQ(measurer.measured, measured);
    EXPECT_EQ(window.invalidatedAll, invalidated);
}

TEST_F(ViewTest, CaretIsAnUnderlineAtTheBaseline)
{
    console.SetOptions(console.Options() | coFulltimeCursor);
    FakeWindow window(console);
    console.FocusGained();
    console.WriteString("abc\r\nd");
    ASSERT_TRUE(window.caret);
    EXPECT_EQ(*window.caret, (PixelRect { 8, 16 + 11, 16, 16 + 11 + 2 }));
    console.FocusLost();
    EXPECT_FALSE(window.caret);
}

TEST_F(ViewTest, WithoutAWindowScrollsAreCarriedOutInTheState)
{
    for (int line = 0; line < 40; ++line)
        console.WriteString("x\r\n");
    EXPECT_EQ(console.Origin(), (CellPair { 0, 0 }));
}

TEST_F(ViewTest, AnOverhangWidensRepaintsScrollsAndPainting)
{
    measurer.overrides["Italic"] = FakeMeasurer::Overhanging();
    console.SetOptions(console.Options() & ~TConsoleOptions(coLazyWrite));
    FakeWindow window(console, { 0, 0, 320, 160 });
    console.Font().SetName("Italic");
    ASSERT_EQ(console.Overhang(), 3);
    window.invalidated.clear();
    console.WriteString("ab");
    EXPECT_EQ(window.invalidated.front(), (PixelRect { 0, 0, 16 + 3, 16 }));

    console.ScrollTo(2, 0);
    ASSERT_EQ(window.scrolls.size(), 1u);
    EXPECT_EQ(window.scrolls[0].clip, (PixelRect { 3, 0, 320, 160 })) << "the overhang strip is not moved";
    EXPECT_EQ(window.invalidated.back(), (PixelRect { 0, 0, 3, 160 })) << "it is repainted instead";
    console.ScrollTo(0, 0);
    EXPECT_EQ(window.invalidated.back(), (PixelRect { 0, 0, 19, 160 }));

    RecordingCanvas canvas({ 17, 0, 40, 16 });
    console.PaintGrid(canvas);
    ASSERT_EQ(canvas.runs.size(), 1u);
    EXPECT_EQ(canvas.runs[0].x, 8) << "the cell left of the clip may reach into it";
}
