// glimra-render --check as a whole process on a file full of one fault
// (16 MiB of NUL bytes), and on configurations made to cost (15 MiB of
// LABEL or MENU BEGIN lines, an INCLUDE fan-out of 30 levels): its time
// and its peak memory, which must stay within a small multiple of the file.
#include <benchmark/benchmark.h>

#include <QDir>
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

// A configuration tree in isolinux/, checked from its isolinux.cfg.
void CheckTree(benchmark::State& state, const std::vector<std::pair<QString, QByteArray>>& files)
{
    QTemporaryDir folder;
    QDir(folder.path()).mkpath(QStringLiteral("isolinux"));
    for (const auto& [name, bytes] : files) {
        QFile file(folder.filePath(QStringLiteral("isolinux/") + name));
        file.open(QIODevice::WriteOnly);
        file.write(bytes);
    }
    for (auto _ : state) {
        QProcess child;
        child.start(QStringLiteral(GLIMRA_RENDER_PATH),
            { QStringLiteral("--check"), folder.filePath(QStringLiteral("isolinux/isolinux.cfg")) });
        if (!child.waitForFinished(60000) || child.exitCode() != 1)
            state.SkipWithError("the check did not report the configuration's findings");
    }
    rusage children {};
    ::getrusage(RUSAGE_CHILDREN, &children);
    state.counters["peak_MiB"] = static_cast<double>(children.ru_maxrss) / 1024.0;
}

void BM_CheckLabels(benchmark::State& state)
{
    CheckTree(state, { { QStringLiteral("isolinux.cfg"), QByteArray("LABEL x\n").repeated(15 << 17) } });
}

void BM_CheckMenuBegins(benchmark::State& state)
{
    CheckTree(state,
        { { QStringLiteral("isolinux.cfg"), "UI menu.c32\n" + QByteArray("MENU BEGIN\n").repeated((15 << 20) / 11) },
            { QStringLiteral("menu.c32"),
                "\x7f"
                "ELF" } });
}

void BM_CheckIncludeFanOut(benchmark::State& state)
{
    std::vector<std::pair<QString, QByteArray>> files { { QStringLiteral("isolinux.cfg"), "INCLUDE f1.cfg\n" } };
    for (int level = 1; level <= 30; ++level)
        files.emplace_back(QStringLiteral("f%1.cfg").arg(level),
            QStringLiteral("SAY %1\nINCLUDE f%2.cfg\nINCLUDE f%2.cfg\n").arg(level).arg(level + 1).toLatin1());
    CheckTree(state, files);
}

}

BENCHMARK(BM_CheckLabels)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_CheckMenuBegins)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_CheckIncludeFanOut)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_CheckSixteenMebibytesOfNul)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK_MAIN();
