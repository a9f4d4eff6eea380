// Boot media export: a 20-file tree with a 10 MiB kernel made into a
// hybrid disc. Glimra's own time (the plan, the copies) is counted apart
// from xorriso's; the first should stay well under a second. And F9's two
// ways to boot a menu tree, as a CD and as a USB disk: the time from the
// key (the image built) to the menu on the machine's screen.
#include "vm/BootMedia.h"
#include "vm/HeadlessVm.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

void WriteFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
}

QString MenuTree(const QTemporaryDir& tree)
{
    const QString config = tree.filePath("isolinux/isolinux.cfg");
    WriteFile(config,
        "UI menu.c32\nMENU TITLE Bench\nTIMEOUT 0\nLABEL a\n  MENU LABEL Boot the kernel\n  KERNEL /boot/vmlinuz\n");
    WriteFile(tree.filePath("boot/vmlinuz"), QByteArray(10 << 20, 'k'));
    for (int file = 0; file < 18; ++file)
        WriteFile(tree.filePath(QStringLiteral("docs/file%1.txt").arg(file)), QByteArray(4096, 'd'));
    return config;
}

void ExportIso(benchmark::State& state)
{
    MediaTools tools;
    try {
        tools = FindMediaTools(MediaKind::Iso);
    } catch (const EVmError& missing) {
        state.SkipWithError(missing.what());
        return;
    }
    QTemporaryDir tree, out;
    const BootFiles files = BootFiles::ForConfiguration(MenuTree(tree));
    MediaRequest request;
    request.output = out.filePath("bench.iso");
    double plan = 0, copy = 0, tool = 0;
    for (auto _ : state) {
        const MediaResult made = ExportBootMedia(files, request, tools);
        plan += made.planMs;
        copy += made.copyMs;
        tool += made.toolMs;
    }
    state.counters["glimra_ms"] = benchmark::Counter(plan + copy, benchmark::Counter::kAvgIterations);
    state.counters["plan_ms"] = benchmark::Counter(plan, benchmark::Counter::kAvgIterations);
    state.counters["copy_ms"] = benchmark::Counter(copy, benchmark::Counter::kAvgIterations);
    state.counters["xorriso_ms"] = benchmark::Counter(tool, benchmark::Counter::kAvgIterations);
}

// Arg 0: as a CD (the image F9 builds), 1: as the USB disk image.
void BootToMenu(benchmark::State& state)
{
    const bool disk = state.range(0) == 1;
    VmTools vm;
    MediaTools media;
    try {
        vm = FindVmTools();
        media = FindMediaTools(MediaKind::Usb);
    } catch (const EVmError& missing) {
        state.SkipWithError(missing.what());
        return;
    }
    QTemporaryDir tree;
    const BootFiles files = BootFiles::ForConfiguration(MenuTree(tree));
    for (auto _ : state) {
        const std::unique_ptr<QTemporaryDir> work = MakeWorkFolder();
        MachineOptions options;
        options.disk = disk;
        if (disk) {
            MediaRequest request;
            request.kind = MediaKind::Usb;
            request.output = work->filePath("usb.img");
            options.image = ExportBootMedia(files, request, media).output;
        } else {
            options.image = BuildConfigImage(vm, PlanConfigImage(files, vm), work->path());
        }
        HeadlessMachine machine(vm, options, work->path(), std::chrono::seconds(60));
        auto shown = [&] {
            const QByteArray cells = machine.Screen().text;
            QByteArray characters;
            for (qsizetype at = 0; at < cells.size(); at += 2)
                characters += cells[at];
            return characters.contains("Boot the kernel");
        };
        while (!shown())
            machine.Sleep(20);
    }
}

}

BENCHMARK(ExportIso)->Unit(benchmark::kMillisecond);
BENCHMARK(BootToMenu)->Arg(0)->Arg(1)->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
