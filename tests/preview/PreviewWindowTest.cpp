#include "Rows.h"
#include "WidgetHelpers.h"
#include "console/qt/ConsoleWidget.h"
#include "preview/Preview.h"
#include "preview/ScreenSnapshot.h"

#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace {

std::string Row(const TColorConsole& console, int row) { return Trimmed(console.ScreenRow(row)); }

}

TEST(PreviewWindow, StartsHiddenInThePcFontLightGreyOnBlack)
{
    TPreviewFR preview;
    EXPECT_FALSE(preview.isVisible());
    EXPECT_EQ(preview.windowTitle(), "Preview");
    const TFixedFont& font = preview.Console().Font();
    EXPECT_EQ(font.Name(), "Terminal");
    EXPECT_EQ(font.Charset(), OEM_CHARSET);
    EXPECT_EQ(font.Height(), 16) << "the VGA text mode's cell";
    EXPECT_EQ(font.Color(), 0x00AAAAAAu);
    EXPECT_EQ(font.BkColor(), 0u);
    EXPECT_EQ(Find<QPushButton>(preview, "Button1")->text(), "Refresh");
    EXPECT_EQ(Find<QPushButton>(preview, "Button2")->text(), "Close");
    EXPECT_TRUE(preview.Console().Options() & coStdOutput);
    EXPECT_FALSE(preview.Console().Options() & coAutoTracking);
}

TEST(PreviewWindow, RefreshRendersTheTextOfThatMoment)
{
    TPreviewFR preview;
    QByteArray text = "\x0f"
                      "1eFirst";
    preview.SetTextSource([&] { return text; });
    ShowAndWait(preview);
    QTest::mouseClick(Find(preview, "Button1"), Qt::LeftButton);
    EXPECT_EQ(Row(preview.Console(), 0), "First");
    text = "Second";
    EXPECT_EQ(Row(preview.Console(), 0), "First") << "no update by itself";
    QTest::mouseClick(Find(preview, "Button1"), Qt::LeftButton);
    EXPECT_EQ(Row(preview.Console(), 0), "Second");
    EXPECT_EQ(ScreenSnapshot::Of(preview.Console()).background[5][5], '1') << "cleared in the last colours";
    EXPECT_FALSE(Find(preview, "Terminal1")->testAttribute(Qt::WA_SetCursor)) << "hourglass gone";
}

TEST(PreviewWindow, ShowsTheWholeScreen)
{
    TPreviewFR preview;
    ShowAndWait(preview);
    const TColorConsole& console = preview.Console();
    EXPECT_EQ(console.ClientCells(), (CellPair { 80, 25 }));
    EXPECT_EQ(console.Range(), (CellPair { 0, 0 }));
    EXPECT_GT(Find(preview, "Button1")->geometry().top(), Find(preview, "Terminal1")->geometry().bottom());
}

TEST(PreviewWindow, CloseHidesAndAnnouncesIt)
{
    TPreviewFR preview;
    ShowAndWait(preview);
    QSignalSpy closed(&preview, &TPreviewFR::FormClose);
    QTest::mouseClick(Find(preview, "Button2"), Qt::LeftButton);
    EXPECT_FALSE(preview.isVisible());
    EXPECT_EQ(closed.count(), 1);
    ShowAndWait(preview);
    EXPECT_TRUE(preview.isVisible());
}
