// The whole preview path: one byte per write-and-flush through std::cout
// into the colour console under lazy writing, and a full repaint of a screen
// whose every cell differs in colour from its neighbours.
#include "console/ColorConsole.h"
#include "console/ConsoleSinks.h"
#include "console/qt/ConsoleWidget.h"
#include "console/qt/QtCanvas.h"
#include "preview/Preview.h"
#include "preview/PreviewConsole.h"
#include "preview/Rendering.h"
#include "preview/ScreenImage.h"

#include <QApplication>
#include <QPainter>
#include <QPushButton>

#include <benchmark/benchmark.h>

#include "console/qt/QtFonts.h"
#include "format/Palette.h"

namespace {

// 1 MiB of text lines with a colour command every 8 bytes.
const QByteArray& ColourfulMebibyte()
{
    static const QByteArray text = [] {
        QByteArray result;
        int digit = 0;
        while (result.size() < (1 << 20)) {
            result += '\x0f';
            result += HexDigits[digit % 16];
            result += HexDigits[(digit * 7 + 3) % 16];
            result += (digit % 9 == 8) ? "ab\r\n" : "abcde";
            ++digit;
        }
        result.truncate(1 << 20);
        return result;
    }();
    return text;
}

// Straight into the console, as glimra-render and the tests render.
void BM_RenderWithoutWindow(benchmark::State& state)
{
    QtFontMeasurer measurer;
    TColorConsole console(measurer);
    LoadPreviewConsole(console);
    SetPreviewFont(console.Font());
    ConsoleSink sink(console);
    for (auto _ : state)
        RenderDisplayFile(console, ColourfulMebibyte(), sink);
    state.SetBytesProcessed(state.iterations() * ColourfulMebibyte().size());
}

// Refresh in a shown preview window, with the event loop's lazy repaint.
void RenderInPreviewWindow(benchmark::State& state, const QByteArray& text)
{
    TPreviewFR preview;
    preview.SetTextSource([&text] { return text; });
    preview.show();
    QApplication::processEvents();
    QPushButton* refresh = preview.findChild<QPushButton*>(QStringLiteral("Button1"));
    for (auto _ : state) {
        refresh->click();
        QApplication::processEvents();
    }
    state.SetBytesProcessed(state.iterations() * text.size());
}

void BM_RenderInPreviewWindow(benchmark::State& state) { RenderInPreviewWindow(state, ColourfulMebibyte()); }

// A typical boot screen: 2 KiB, 22 lines, a colour command every few words.
const QByteArray& TypicalScreen()
{
    static const QByteArray text = [] {
        QByteArray result = "\x0c\x0f"
                            "1e"
            + QByteArray(78, '\xcd') + "\r\n";
        for (int line = 0; result.size() < 2048 - 90; ++line)
            result += "\x0f"
                      "07  boot option "
                + QByteArray::number(line)
                + "\x0f"
                  "0a  describes what it does  \x0f"
                  "0f[F"
                + QByteArray::number(line % 10) + "]\r\n";
        return result;
    }();
    return text;
}

void BM_RenderTypicalFileInPreviewWindow(benchmark::State& state) { RenderInPreviewWindow(state, TypicalScreen()); }

// What the live preview does after an edit: render and repaint once.
void LiveUpdate(benchmark::State& state, const QByteArray& text)
{
    TPreviewFR preview;
    preview.SetTextSource([&text] { return text; });
    preview.show();
    QApplication::processEvents();
    for (auto _ : state) {
        preview.Refresh();
        QApplication::processEvents();
    }
}

void BM_LiveUpdateTypicalFile(benchmark::State& state) { LiveUpdate(state, TypicalScreen()); }
void BM_LiveUpdateMebibyte(benchmark::State& state) { LiveUpdate(state, ColourfulMebibyte()); }

// Every cell differs from its right and lower neighbours in both colours.
void FillCheckered(TColorConsole& console)
{
    for (int row = 0; row < 25; ++row) {
        for (int column = 0; column < 80; ++column) {
            console.Font().SetColor(Palette[(column + row) % 16]);
            console.Font().SetBkColor(Palette[(column + 2 * row + 5) % 8]);
            console.WriteChar(static_cast<char>(0xB0 + column % 16));
        }
    }
}

void BM_FullRepaintToImage(benchmark::State& state)
{
    QtFontMeasurer measurer;
    TColorConsole console(measurer);
    console.SetRows(26); // room for the wrap after the last cell
    SetPreviewFont(console.Font());
    console.RemeasureFont();
    FillCheckered(console);
    const CellPair cell = console.CellSize();
    QImage image(80 * cell.x, 25 * cell.y, QImage::Format_RGB32);
    GlyphCache glyphs;
    for (auto _ : state) {
        QPainter painter(&image);
        QtCanvas canvas(painter, image.rect(), QPalette(), glyphs);
        console.PaintGrid(canvas);
    }
}

void BM_FullRepaintOfTheWidget(benchmark::State& state)
{
    QtFontMeasurer measurer;
    TColorConsole console(measurer);
    console.SetRows(26);
    SetPreviewFont(console.Font());
    ConsoleWidget widget(console);
    widget.resize(widget.SizeForWholeGrid());
    widget.show();
    QApplication::processEvents();
    FillCheckered(console);
    QApplication::processEvents();
    for (auto _ : state)
        widget.viewport()->repaint();
}

}

BENCHMARK(BM_RenderWithoutWindow)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RenderInPreviewWindow)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RenderTypicalFileInPreviewWindow)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LiveUpdateTypicalFile)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LiveUpdateMebibyte)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FullRepaintToImage)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FullRepaintOfTheWidget)->Unit(benchmark::kMicrosecond);
