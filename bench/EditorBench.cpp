// The document control with long lines: opening a document of one 1 MiB
// line, and a keystroke at its end, each until the editor has painted.
#include "editor/DocumentEdit.h"

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

void BM_OpenOneLongLine(benchmark::State& state)
{
    DocumentEdit editor;
    editor.resize(625, 345);
    ShowAndPaint(editor);
    for (auto _ : state) {
        editor.SetBytes(OneLongLine());
        ShowAndPaint(editor);
    }
}

void BM_KeystrokeAtTheEndOfOneLongLine(benchmark::State& state)
{
    DocumentEdit editor;
    editor.resize(625, 345);
    editor.SetBytes(OneLongLine());
    editor.moveCursor(QTextCursor::End);
    ShowAndPaint(editor);
    for (auto _ : state) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
        QApplication::sendEvent(&editor, &press);
        editor.viewport()->repaint();
    }
}

}

BENCHMARK(BM_OpenOneLongLine)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_KeystrokeAtTheEndOfOneLongLine)->Unit(benchmark::kMillisecond)->Iterations(3);
