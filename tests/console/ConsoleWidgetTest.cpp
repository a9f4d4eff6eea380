#include "console/qt/ConsoleWidget.h"
#include "WidgetHelpers.h"
#include "console/Console.h"
#include "console/qt/QtCanvas.h"
#include "console/qt/QtFonts.h"

#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

constexpr TColor Yellow = 0x0055FFFF;
constexpr TColor Blue = 0x00AA0000;

class ConsoleWidgetTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        console.Font().SetName("Terminal");
        console.Font().SetHeight(16);
        console.Font().SetColor(Yellow);
        console.Font().SetBkColor(Blue);
    }

    // Colour counts over one cell of the grabbed image.
    std::map<QRgb, int> CellColours(const QImage& image, int column, int row) const
    {
        std::map<QRgb, int> counts;
        const CellPair cell = console.CellSize();
        for (int y = row * cell.y; y < (row + 1) * cell.y; ++y)
            for (int x = column * cell.x; x < (column + 1) * cell.x; ++x)
                ++counts[image.pixel(x, y) & 0xFFFFFF];
        return counts;
    }

    QtFontMeasurer measurer;
    TConsole console { measurer };
};

}

TEST_F(ConsoleWidgetTest, PaintsTextColourOnBackgroundAndBackgroundOutsideTheGrid)
{
    console.SetCols(10);
    console.SetRows(3);
    ConsoleWidget widget(console);
    widget.resize(400, 200);
    ShowAndWait(widget);
    console.WriteString("\xdb"
                        "A ");
    QApplication::processEvents();
    const QImage image = widget.viewport()->grab().toImage();
    const CellPair cell = console.CellSize();
    ASSERT_GT(cell.x, 4);
    ASSERT_GT(cell.y, 8);

    const QRgb yellow = 0xFFFF55, blue = 0x0000AA;
    auto block = CellColours(image, 0, 0);
    EXPECT_GT(block[yellow], cell.x * cell.y / 2) << "a full block is mostly foreground";
    auto letter = CellColours(image, 1, 0);
    EXPECT_GT(letter[yellow], 3);
    EXPECT_GT(letter[blue], letter[yellow]);
    auto blank = CellColours(image, 2, 0);
    EXPECT_EQ(blank[blue], cell.x * cell.y);
    // Right of and below the 10 × 3 grid.
    EXPECT_EQ(image.pixel(10 * cell.x + 5, 5) & 0xFFFFFF, blue);
    EXPECT_EQ(image.pixel(5, 3 * cell.y + 5) & 0xFFFFFF, blue);
}

TEST_F(ConsoleWidgetTest, EveryCodePage437GlyphDrawsSomething)
{
    console.SetCols(16);
    console.SetRows(15); // the wrap after the last glyph must not scroll
    ConsoleWidget widget(console);
    widget.resize(600, 600);
    ShowAndWait(widget);
    for (int byte = 0x20; byte < 0x100; ++byte)
        console.WriteChar(static_cast<char>(byte));
    QApplication::processEvents();
    const QImage image = widget.viewport()->grab().toImage();
    for (int byte = 0x21; byte < 0x100; ++byte) {
        if (byte == 0xFF)
            continue; // the non-breaking space is blank on the PC too
        const int index = byte - 0x20;
        auto colours = CellColours(image, index % 16, index / 16);
        const CellPair cell = console.CellSize();
        EXPECT_LT(colours[0x0000AA], cell.x * cell.y) << "byte " << byte << " drew no ink";
    }
}

TEST_F(ConsoleWidgetTest, ThePcScreenFontHasEveryGlyphItself)
{
    GlyphCache cache;
    const GlyphCache::Font& glyphs = cache.For(console.Font());
    for (int byte = 0x20; byte < 0x100; ++byte)
        EXPECT_TRUE(glyphs.HasGlyph(static_cast<std::uint8_t>(byte)))
            << "byte " << byte << " falls back to another font";
}

TEST_F(ConsoleWidgetTest, CaretIsTwoRowsAtTheBaselineOfTheCursorCell)
{
    console.SetOptions(console.Options() | coFulltimeCursor);
    console.SetCols(10);
    console.SetRows(3);
    ConsoleWidget widget(console);
    widget.resize(400, 200);
    ShowAndWait(widget);
    widget.setFocus();
    QApplication::processEvents();
    ASSERT_TRUE(console.Focused());
    console.WriteString("ab\r\n");
    QApplication::processEvents();
    const QImage image = widget.viewport()->grab().toImage();
    const CellPair cell = console.CellSize();
    const int caretTop = cell.y + console.CellAscent();
    // Inverted blue background over the caret rows only.
    const QRgb inverted = 0xFFFF55;
    for (int y = cell.y; y < 2 * cell.y; ++y) {
        const bool caretRow = y == caretTop || y == caretTop + 1;
        EXPECT_EQ((image.pixel(1, y) & 0xFFFFFF) == inverted, caretRow) << "row " << y;
    }
    EXPECT_NE(image.pixel(cell.x + 1, caretTop) & 0xFFFFFF, inverted) << "one cell wide";
}

TEST_F(ConsoleWidgetTest, ScrollBarsAndKeysMoveTheView)
{
    ConsoleWidget widget(console);
    widget.resize(300, 200);
    ShowAndWait(widget);
    for (int line = 0; line < 25; ++line)
        console.WriteString("line\r\n");
    QApplication::processEvents();
    widget.setFocus();
    QTest::keyClick(&widget, Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(console.Origin().y, 0);
    QTest::keyClick(&widget, Qt::Key_Down);
    EXPECT_EQ(console.Origin().y, 1);
    EXPECT_EQ(widget.verticalScrollBar()->value(), 1);
    widget.verticalScrollBar()->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(console.Origin().y, 1 + console.ClientCells().y);
    EXPECT_EQ(widget.verticalScrollBar()->value(), console.Origin().y);
    widget.horizontalScrollBar()->triggerAction(QAbstractSlider::SliderToMaximum);
    EXPECT_EQ(console.Origin().x, console.Range().x);
    widget.verticalScrollBar()->setSliderPosition(1000);
    EXPECT_EQ(console.Origin().y, console.Range().y);
    EXPECT_EQ(widget.verticalScrollBar()->value(), console.Range().y);
}

TEST_F(ConsoleWidgetTest, LazyScrollsArePostedMergedAndCarriedOutByTheEventLoop)
{
    ConsoleWidget widget(console);
    widget.resize(widget.SizeForWholeGrid() + QSize(1, 1));
    ShowAndWait(widget);
    ASSERT_EQ(console.Range(), (CellPair { 0, 0 }));
    for (int line = 0; line < 30; ++line)
        console.WriteString("x\r\n");
    const auto waiting = widget.WaitingScroll();
    ASSERT_TRUE(waiting);
    EXPECT_EQ(waiting->y, 6);
    EXPECT_EQ(console.Origin().y, -6);
    QApplication::processEvents();
    EXPECT_FALSE(widget.WaitingScroll());
    EXPECT_EQ(console.Origin().y, 0);
}

TEST_F(ConsoleWidgetTest, ReadKeyWaitsForATypedKey)
{
    ConsoleWidget widget(console);
    ShowAndWait(widget);
    QTimer::singleShot(0, [&] { QTest::keyClicks(&widget, "q"); });
    EXPECT_EQ(console.ReadKey(), 'q');
    EXPECT_FALSE(console.Reading());
}

TEST_F(ConsoleWidgetTest, TextWrittenJustBeforeAPixelScrollIsPaintedWhereItMoved)
{
    ConsoleWidget widget(console);
    widget.resize(widget.SizeForWholeGrid() + QSize(1, 1));
    ShowAndWait(widget);
    for (int line = 0; line < 24; ++line)
        console.WriteString("x\r\n");
    QApplication::processEvents();
    // Record what is painted from here on.
    struct PaintRecorder : QObject {
        QRegion painted;
        bool eventFilter(QObject*, QEvent* event) override
        {
            if (event->type() == QEvent::Paint)
                painted += static_cast<QPaintEvent*>(event)->region();
            return false;
        }
    } recorder;
    widget.viewport()->installEventFilter(&recorder);
    // MARK goes on the bottom row; the twelfth line feed scrolls half a
    // screen at once, before anything was painted.
    console.WriteString("MARK" + std::string(12, '\n'));
    QApplication::processEvents();
    const CellPair cell = console.CellSize();
    EXPECT_EQ(console.ScreenRow(12).left(4), QByteArray("MARK"));
    EXPECT_TRUE(recorder.painted.contains(QRect(0, 12 * cell.y, 4 * cell.x, cell.y)))
        << "the row MARK moved to was painted";
}

TEST_F(ConsoleWidgetTest, TheCanvasClipBoxEndsPastQtsLastPixel)
{
    QImage image(100, 100, QImage::Format_RGB32);
    QPainter painter(&image);
    GlyphCache glyphs;
    QtCanvas canvas(painter, QRect(10, 20, 30, 40), QPalette(), glyphs);
    EXPECT_EQ(canvas.ClipBox(), (PixelRect { 10, 20, 40, 60 }));
    canvas.SetOrigin(5, 7);
    EXPECT_EQ(canvas.ClipBox(), (PixelRect { 15, 27, 45, 67 }));
}
