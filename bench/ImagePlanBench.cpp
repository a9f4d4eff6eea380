// Planning a configuration's boot image when its DISPLAY file names many
// distinct images (none there): the names must cost linear time before
// QEMU can start. Reported per name count; the per-name time should stay
// flat from 25,000 to 100,000 names.
#include "vm/ConfigImage.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

void WriteFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
}

void PlanManyNames(benchmark::State& state)
{
    QTemporaryDir tree;
    QDir(tree.path()).mkpath("isolinux");
    WriteFile(tree.filePath("isolinux/isolinux.cfg"), "DISPLAY boot.msg\nPROMPT 1\n");
    QByteArray display;
    for (int64_t name = 0; name < state.range(0); ++name)
        display += "\x18image" + QByteArray::number(static_cast<qlonglong>(name)) + ".lss\n";
    WriteFile(tree.filePath("isolinux/boot.msg"), display);
    VmTools tools;
    try {
        tools = FindVmTools();
    } catch (const EVmError& missing) {
        state.SkipWithError(missing.what());
        return;
    }
    const BootFiles files = BootFiles::ForConfiguration(tree.filePath("isolinux/isolinux.cfg"));
    for (auto _ : state)
        benchmark::DoNotOptimize(PlanConfigImage(files, tools));
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

}

BENCHMARK(PlanManyNames)->Arg(25000)->Arg(50000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
