// One drawing step on a full 80 x 25 screen, as the user makes it: a key
// typed on the canvas, the screen encoded, the document's bytes replaced
// (with its undo, colours and every other listener), the loader's screen
// rendered and painted, the canvas repainted. Every cell holds a glyph in
// a colour of its own, the worst case for encoding and painting.
#include "boot/BootRendering.h"
#include "editor/document/DocumentEdit.h"
#include "editor/drawing/DrawingMode.h"
#include "editor/drawing/ScreenCanvas.h"
#include "editor/window/Glavna.h"
#include "preview/PreviewConsole.h"
#include "preview/ScreenImage.h"
#include "preview/ScreenSnapshot.h"
#include "screen/BootScreen.h"
#include "screen/BoxDrawing.h"
#include "screen/ScreenEncoder.h"

#include <QApplication>
#include <QKeyEvent>

#include <benchmark/benchmark.h>

#include <random>

namespace {

// Argument 0: every cell a glyph in a colour of its own, the worst case
// for encoding and painting. Argument 1: a rescue disk's welcome screen,
// a blue double box full of menu lines, as people draw them.
Screen Drawn(int kind)
{
    Screen full;
    std::mt19937 random(1);
    if (kind == 1) {
        for (Cell& cell : full.cells)
            cell = { ' ', 0x17 };
        DrawBox(full, { { 0, 0 }, { 79, 23 } }, LineStyle::Double, 0x1f);
        for (int row = 1; row < 23; ++row) {
            const QByteArray line = QByteArray::number(row) + ") rescue   Boot the rescue system with every driver";
            for (int column = 0; column < line.size(); ++column)
                full.At(4 + column, row)
                    = { static_cast<std::uint8_t>(line[column]), row == 3 ? std::uint8_t(0x70) : std::uint8_t(0x1e) };
        }
        return full;
    }
    for (Cell& cell : full.cells)
        cell = { static_cast<std::uint8_t>(0x20 + random() % 0x5F), static_cast<std::uint8_t>(random() % 256) };
    // The last cell in the clear colour: no screen can write another there.
    Cell& last = full.At(Screen::Columns - 1, Screen::Rows - 1);
    for (last = {}; last.attribute != ClearAttribute(full);)
        last.attribute = ClearAttribute(full);
    return full;
}

void BM_DrawingStep(benchmark::State& state)
{
    TGlavna glavna;
    glavna.show();
    QApplication::processEvents();
    const Screen full = Drawn(int(state.range(0)));
    glavna.findChild<DocumentEdit*>(QStringLiteral("Editor"))->SetBytes(EncodeScreen(full).bytes);
    auto* drawing = glavna.findChild<DrawingMode*>();
    drawing->DrawOnScreen1->trigger();
    ScreenCanvas* canvas = drawing->Canvas();
    QApplication::processEvents();
    int step = 0;
    for (auto _ : state) {
        canvas->SetCursor({ step % Screen::Columns, step / Screen::Columns % (Screen::Rows - 1) });
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, step % 2 ? "x" : "y");
        QApplication::sendEvent(canvas, &press);
        canvas->repaint();
        ++step;
    }
    if (!drawing->Active() || canvas->Shown().At(0, 0).byte != 'y')
        state.SkipWithError("the steps did not reach the canvas");
    state.counters["bytes"] = double(EncodeScreen(canvas->Shown()).bytes.size());
}
BENCHMARK(BM_DrawingStep)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// The step's own work alone, without the document's edit and its other
// listeners: encode the screen, render the bytes as the loader does and
// paint them, show the picture on the canvas and repaint it.
void BM_EncodeRenderRepaint(benchmark::State& state)
{
    Screen screen = Drawn(int(state.range(0)));
    PreviewScreen<QtFontMeasurer> view(VgaDots::Nine);
    GlyphCache glyphs(VgaDots::Nine);
    ScreenCanvas canvas;
    canvas.resize(ScreenCanvas::NaturalSize());
    canvas.show();
    QApplication::processEvents();
    int step = 0;
    for (auto _ : state) {
        screen.At(step % Screen::Columns, 1).byte = step % 2 ? 'x' : 'y';
        const Encoding encoding = EncodeScreen(screen);
        ClearLoaderScreen(view.console);
        RenderBootScreen(view.console, encoding.bytes, {});
        const ScreenSnapshot snapshot = ScreenSnapshot::Of(view.console);
        canvas.Show(
            ScreenOf(snapshot), PaintScreen(view.console, glyphs, BlinkPhase::Shown), encoding.prompt, "boot: ");
        canvas.repaint();
        ++step;
    }
    if (!(canvas.Shown() == screen))
        state.SkipWithError("the canvas does not show the screen");
}
BENCHMARK(BM_EncodeRenderRepaint)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}
