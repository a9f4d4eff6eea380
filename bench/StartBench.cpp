// Start-up as a whole process: from exec to the main window shown, for the
// editor's four windows (as main.cpp makes them) and, as the baseline, for
// a bare QMainWindow. The benchmark runs this program again in one of the
// two roles and times each child, so both pay the same process, Qt and
// font start-up.
#include "editor/window/About.h"
#include "editor/window/Glavna.h"
#include "editor/window/NARH.h"
#include "preview/Preview.h"

#include <QApplication>
#include <QMainWindow>
#include <QProcess>
#include <QWindow>

#include <benchmark/benchmark.h>

#include <cstring>

namespace {

int ShowAndQuit(QWidget& window)
{
    window.show();
    while (!window.windowHandle() || !window.windowHandle()->isExposed())
        QApplication::processEvents();
    QApplication::processEvents();
    return 0;
}

int ShowEditor()
{
    TGlavna glavna;
    TNARHForm help(&glavna);
    TAboutBox about(&glavna);
    TPreviewFR preview;
    glavna.ConnectWindows(help, about, preview);
    return ShowAndQuit(glavna);
}

int ShowBareWindow()
{
    QMainWindow window;
    return ShowAndQuit(window);
}

QString Self;

void RunChild(benchmark::State& state, const char* role)
{
    for (auto _ : state) {
        QProcess child;
        child.start(Self, { QString::fromLatin1(role) });
        if (!child.waitForFinished(30000) || child.exitCode() != 0)
            state.SkipWithError("the child did not show its window");
    }
}

void BM_BareMainWindowShown(benchmark::State& state) { RunChild(state, "--bare"); }
void BM_EditorShown(benchmark::State& state) { RunChild(state, "--editor"); }

}

BENCHMARK(BM_BareMainWindowShown)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_EditorShown)->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    if (argc == 2 && std::strcmp(argv[1], "--bare") == 0)
        return ShowBareWindow();
    if (argc == 2 && std::strcmp(argv[1], "--editor") == 0)
        return ShowEditor();
    Self = QCoreApplication::applicationFilePath();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
