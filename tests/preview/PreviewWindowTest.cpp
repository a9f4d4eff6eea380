#include "Rows.h"
#include "WidgetHelpers.h"
#include "console/qt/ConsoleWidget.h"
#include "preview/Preview.h"
#include "preview/ScreenSnapshot.h"

#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
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
    EXPECT_EQ(font.Charset(), TFontCharset::Oem);
    EXPECT_EQ(font.Height(), 16) << "the VGA text mode's cell";
    EXPECT_EQ(font.Color(), 0x00AAAAAAu);
    EXPECT_EQ(font.BkColor(), 0u);
    EXPECT_EQ(Find<QPushButton>(preview, "Button1")->text(), "Refresh");
    EXPECT_EQ(Find<QPushButton>(preview, "Button2")->text(), "Close");
    EXPECT_TRUE(preview.Console().Options() & coStdOutput);
    EXPECT_FALSE(preview.Console().Options() & coAutoTracking);
    EXPECT_TRUE(Find<QPlainTextEdit>(preview, "SerialView")->placeholderText().contains("only while 0x14 or 0x16"))
        << "an empty serial panel says why";
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

TEST(PreviewWindow, BootModeRendersAsTheLoaderBlinksAndIsRemembered)
{
    const QByteArray text = "\x0f"
                            "9eblink\r\n\x14to serial\r\n";
    {
        TPreviewFR preview;
        preview.SetTextSource([&] { return text; });
        ShowAndWait(preview);
        auto* terminal = Find<ConsoleWidget>(preview, "Terminal1");
        EXPECT_FALSE(Find(preview, "SerialView")->isVisible());
        Find<QComboBox>(preview, "Mode")->setCurrentIndex(1);
        EXPECT_EQ(Row(preview.Console(), 0), "blink") << "rendered anew at once";
        EXPECT_EQ(Row(preview.Console(), 1), "") << "text for the serial port only";
        EXPECT_EQ(Find<QPlainTextEdit>(preview, "SerialView")->toPlainText(), "to serial\n");
        EXPECT_EQ(terminal->Blink(), BlinkPhase::Shown);
        QElapsedTimer waited;
        waited.start();
        while (terminal->Blink() == BlinkPhase::Shown && waited.elapsed() < 2000)
            QTest::qWait(10);
        EXPECT_EQ(terminal->Blink(), BlinkPhase::Hidden) << "the text blinks";
        Find<QCheckBox>(preview, "Prompt")->setChecked(true);
        EXPECT_EQ(Row(preview.Console(), 1), "boot:");
        Find<QCheckBox>(preview, "BrightBackgrounds")->setChecked(true);
        EXPECT_EQ(terminal->Blink(), BlinkPhase::Bright);
        QTest::mouseClick(Find(preview, "Button1"), Qt::LeftButton);
        EXPECT_EQ(Row(preview.Console(), 1), "boot:") << "Refresh keeps the choices";
    }
    TPreviewFR again;
    EXPECT_EQ(Find<QComboBox>(again, "Mode")->currentIndex(), 1);
    EXPECT_TRUE(Find<QCheckBox>(again, "Prompt")->isChecked());
    EXPECT_TRUE(Find<QCheckBox>(again, "BrightBackgrounds")->isChecked());
    EXPECT_EQ(Find(again, "Terminal1")->width(),
        720 + Find<ConsoleWidget>(again, "Terminal1")->verticalScrollBar()->sizeHint().width())
        << "the whole 720 x 400 screen, the scroll bars outside it";
}

// At its first opening the whole 80 x 25 screen shows, without scroll bars.
TEST(PreviewWindow, OpensShowingTheWholeScreen)
{
    TPreviewFR preview;
    preview.ShowAndRefresh();
    auto* screen = Find<QAbstractScrollArea>(preview, "Terminal1");
    QApplication::processEvents();
    const CellPair cell = preview.Console().CellSize();
    EXPECT_GE(screen->viewport()->width(), 80 * cell.x);
    EXPECT_GE(screen->viewport()->height(), 25 * cell.y);
    EXPECT_EQ(cell.y, 16);
    preview.hide();
}
