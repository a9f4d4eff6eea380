// The document control with long lines: opening a document of one 1 MiB
// line, and a keystroke at its end, each until the editor has painted,
// wrapped or not, with the screen's colours or without; and
// a keystroke in 1 MiB of 80-column lines with the screen's colours on.
#include "editor/document/DocumentEdit.h"
#include "editor/document/ScreenHighlighter.h"

#include <QApplication>
#include <QKeyEvent>
#include <QTextCursor>

#include <benchmark/benchmark.h>

namespace {

const QByteArray& OneLongLine()
{
    static const QByteArray text(1 << 20, 'x');
    return text;
}

void ShowAndPaint(DocumentEdit& editor)
{
    editor.show();
    editor.viewport()->repaint();
    QApplication::processEvents();
}

// Arguments: wrapped (1) or not (0), the screen's colours on (1) or off (0).
void BM_OpenOneLongLine(benchmark::State& state)
{
    DocumentEdit editor;
    editor.SetWrapLines(state.range(0) != 0);
    ScreenHighlighter* colours = state.range(1) ? new ScreenHighlighter(editor.document()) : nullptr;
    editor.resize(625, 345);
    ShowAndPaint(editor);
    for (auto _ : state) {
        editor.SetBytes(OneLongLine());
        ShowAndPaint(editor);
    }
    delete colours;
}

void BM_KeystrokeAtTheEndOfOneLongLine(benchmark::State& state)
{
    DocumentEdit editor;
    editor.SetWrapLines(state.range(0) != 0);
    ScreenHighlighter* colours = state.range(1) ? new ScreenHighlighter(editor.document()) : nullptr;
    editor.resize(625, 345);
    editor.SetBytes(OneLongLine());
    editor.moveCursor(QTextCursor::End);
    ShowAndPaint(editor);
    for (auto _ : state) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
        QApplication::sendEvent(&editor, &press);
        editor.viewport()->repaint();
    }
    delete colours;
}

// 80-column lines, each with two colour commands.
const QByteArray& ColouredLines()
{
    static const QByteArray text = [] {
        QByteArray result;
        for (int line = 0; result.size() < (1 << 20); ++line)
            result += "\x0f"
                      "1e"
                + QByteArray(37, 'a' + line % 26)
                + "\x0f"
                  "4f"
                + QByteArray(37, 'x') + "\r\n";
        return result;
    }();
    return text;
}

void BM_KeystrokeWithColoursInAMebibyteOfLines(benchmark::State& state)
{
    DocumentEdit editor;
    editor.resize(625, 345);
    ScreenHighlighter highlighter(editor.document());
    editor.SetBytes(ColouredLines());
    ShowAndPaint(editor);
    QTextCursor middle = editor.textCursor();
    middle.setPosition(editor.document()->characterCount() / 2);
    editor.setTextCursor(middle);
    editor.centerCursor();
    ShowAndPaint(editor);
    for (auto _ : state) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
        QApplication::sendEvent(&editor, &press);
        editor.viewport()->repaint();
    }
}

}

BENCHMARK(BM_KeystrokeWithColoursInAMebibyteOfLines)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenOneLongLine)->ArgsProduct({ { 1, 0 }, { 0, 1 } })->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_KeystrokeAtTheEndOfOneLongLine)->ArgsProduct({ { 1, 0 }, { 0, 1 } })->Unit(benchmark::kMillisecond);
