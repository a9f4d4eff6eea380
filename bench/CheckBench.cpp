// glimra-render --check as a whole process on a file full of one fault
// (16 MiB of NUL bytes): its time and its peak memory, which must stay
// within a small multiple of the file.
#include <benchmark/benchmark.h>

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <sys/resource.h>

namespace {

void BM_CheckSixteenMebibytesOfNul(benchmark::State& state)
{
    QTemporaryDir folder;
    const QString file = folder.filePath(QStringLiteral("nul.msg"));
    QFile nul(file);
    nul.open(QIODevice::WriteOnly);
    nul.write(QByteArray(16 << 20, '\0'));
    nul.close();
    for (auto _ : state) {
        QProcess child;
        child.start(QStringLiteral(GLIMRA_RENDER_PATH), { QStringLiteral("--check"), file });
        if (!child.waitForFinished(60000) || child.exitCode() != 1)
            state.SkipWithError("the check did not report the file's warning");
    }
    rusage children {};
    ::getrusage(RUSAGE_CHILDREN, &children);
    state.counters["peak_MiB"] = static_cast<double>(children.ru_maxrss) / 1024.0;
}

}

BENCHMARK(BM_CheckSixteenMebibytesOfNul)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK_MAIN();
