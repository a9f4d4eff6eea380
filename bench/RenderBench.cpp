// glimra-render as whole processes, paired run by run with Debian's ansilove
// drawing the same 1.6 KiB corpus file as a PNG: each iteration runs both,
// the time reported is ours, and "x_ansilove" is ours over ansilove's. The
// batch case renders every shared display file into PNGs in one process.
#include <benchmark/benchmark.h>

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

namespace {

const QString Corpus = QStringLiteral(GLIMRA_SHARED_DIR "/corpus");
const QString Probes = QStringLiteral(GLIMRA_SHARED_DIR "/boottruth/probes");

// Seconds a run took, or a negative number when it failed.
double Run(const QString& program, const QStringList& words, int expected = 0)
{
    QElapsedTimer timer;
    timer.start();
    QProcess child;
    child.setStandardOutputFile(QProcess::nullDevice());
    child.start(program, words);
    const bool done = child.waitForFinished(60000) && child.exitCode() == expected;
    return done ? static_cast<double>(timer.nsecsElapsed()) / 1e9 : -1;
}

void PairedWithAnsilove(benchmark::State& state, QStringList words, int expected)
{
    const QString ansilove = QStandardPaths::findExecutable(QStringLiteral("ansilove"));
    QTemporaryDir work;
    const QString file = work.filePath(QStringLiteral("screen.ans"));
    if (ansilove.isEmpty() || !QFile::copy(Corpus + QStringLiteral("/knoppix761__f2"), file)) {
        state.SkipWithError("needs ansilove and the shared corpus");
        return;
    }
    words.replaceInStrings(QStringLiteral("OUT"), work.filePath(QStringLiteral("ours.png")));
    words << file;
    double ours = 0, theirs = 0;
    for (auto _ : state) {
        const double them = Run(ansilove, { QStringLiteral("-o"), work.filePath(QStringLiteral("theirs.png")), file });
        const double us = Run(QStringLiteral(GLIMRA_RENDER_PATH), words, expected);
        if (us < 0 || them < 0) {
            state.SkipWithError("a run failed");
            return;
        }
        state.SetIterationTime(us);
        ours += us;
        theirs += them;
    }
    state.counters["x_ansilove"] = ours / theirs;
}

void BM_Png(benchmark::State& state)
{
    PairedWithAnsilove(state, { "--mode", "boot", "--format", "png", "--output", "OUT" }, 0);
}
void BM_Json(benchmark::State& state) { PairedWithAnsilove(state, { "--mode", "boot", "--format", "json" }, 0); }
void BM_Check(benchmark::State& state) { PairedWithAnsilove(state, { "--check" }, 0); }
void BM_PreviewPng(benchmark::State& state) { PairedWithAnsilove(state, { "--format", "png", "--output", "OUT" }, 0); }

// Every real file and probe into PNGs by one process: milliseconds a file.
void BM_BatchPng(benchmark::State& state)
{
    QStringList files;
    for (const QString& name : QDir(Corpus).entryList(QDir::Files))
        files << Corpus + u'/' + name;
    for (const QString& name : QDir(Probes).entryList({ QStringLiteral("*.msg") }, QDir::Files))
        files << Probes + u'/' + name;
    files.removeIf([](const QString& file) { return file.endsWith(QStringLiteral("SOURCES.tsv")); });
    QTemporaryDir out;
    if (files.isEmpty()) {
        state.SkipWithError("needs the shared display files");
        return;
    }
    double total = 0;
    for (auto _ : state) {
        const double seconds = Run(QStringLiteral(GLIMRA_RENDER_PATH),
            QStringList { "--mode", "boot", "--format", "png", "--output-dir", out.path() } + files);
        if (seconds < 0) {
            state.SkipWithError("the batch failed");
            return;
        }
        state.SetIterationTime(seconds);
        total += seconds;
    }
    state.counters["files"] = static_cast<double>(files.size());
    state.counters["ms_per_file"]
        = total * 1000.0 / (static_cast<double>(files.size()) * static_cast<double>(state.iterations()));
}

}

BENCHMARK(BM_Png)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(40);
BENCHMARK(BM_Json)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(40);
BENCHMARK(BM_Check)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(40);
BENCHMARK(BM_PreviewPng)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(40);
BENCHMARK(BM_BatchPng)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(5);
BENCHMARK_MAIN();
