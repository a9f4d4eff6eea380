// The UEFI side made for the largest real tree of the shared material (the
// configuration whose menu module shows the most entries): grub.cfg, every
// menu's theme, the font and the F-key pictures; and every shared tree in
// turn, the slowest named. The first run fills the
// caches of the font and of each menu's frame; the runs timed after it are
// what an export or a preview pays again for the same tree.
#include "config/ConfigSet.h"
#include "grub/GrubMenu.h"

#include <QDirIterator>
#include <QElapsedTimer>
#include <QFileInfo>

#include <benchmark/benchmark.h>

#include <algorithm>

namespace {

// The shared configuration whose set shows the most menu entries, with its count.
std::pair<QString, int> LargestTree()
{
    std::pair<QString, int> largest;
    QDirIterator it(QStringLiteral(GLIMRA_SHARED_DIR), { QStringLiteral("isolinux.cfg") }, QDir::Files,
        QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString file = it.next();
        const BootFiles files = BootFiles::ForConfiguration(file);
        const ConfigSet set = ReadConfigSet(files);
        const MenuRun* run = FirstMenuRun(set);
        if (!run)
            continue;
        int entries = 0;
        for (const Menu& menu : run->menus.menus)
            entries += static_cast<int>(menu.entries.size());
        if (entries > largest.second)
            largest = { file, entries };
    }
    return largest;
}

void BM_MakeGrubSide(benchmark::State& state)
{
    const auto [config, entries] = LargestTree();
    if (config.isEmpty()) {
        state.SkipWithError("needs the shared boot trees");
        return;
    }
    const BootFiles files = BootFiles::ForConfiguration(config);
    const GrubSideFiles first = MakeGrubSide(files);
    qint64 bytes = 0;
    for (auto _ : state) {
        const GrubSideFiles side = MakeGrubSide(files);
        bytes = 0;
        for (const GrubFile& file : side.files)
            bytes += file.bytes.size();
        benchmark::DoNotOptimize(bytes);
    }
    state.SetLabel(QFileInfo(config).absolutePath().section(u'/', -3).toStdString() + ", " + std::to_string(entries)
        + " entries, " + std::to_string(first.files.size()) + " files");
}
BENCHMARK(BM_MakeGrubSide)->Unit(benchmark::kMillisecond);

// Every shared configuration in turn, each made twice and the second timed;
// the slowest named.
void BM_EveryTree(benchmark::State& state)
{
    std::vector<BootFiles> trees;
    QStringList names;
    QDirIterator it(QStringLiteral(GLIMRA_SHARED_DIR), { QStringLiteral("isolinux.cfg") }, QDir::Files,
        QDirIterator::Subdirectories);
    while (it.hasNext()) {
        names.push_back(it.next().section(u'/', -4, -4));
        trees.push_back(BootFiles::ForConfiguration(it.filePath()));
    }
    std::vector<double> slowest(trees.size());
    for (auto _ : state) {
        for (std::size_t at = 0; at < trees.size(); ++at) {
            MakeGrubSide(trees[at]); // its pieces kept, as for the next export
            QElapsedTimer timer;
            timer.start();
            benchmark::DoNotOptimize(MakeGrubSide(trees[at]).files.size());
            slowest[at] = std::max(slowest[at], double(timer.nsecsElapsed()) / 1e6);
        }
    }
    const auto worst = std::max_element(slowest.begin(), slowest.end());
    if (worst == slowest.end())
        return;
    state.counters["trees"] = double(trees.size());
    state.counters["slowest_ms"] = *worst;
    state.SetLabel("slowest: " + names[worst - slowest.begin()].toStdString());
}
BENCHMARK(BM_EveryTree)->Unit(benchmark::kMillisecond);

}

BENCHMARK_MAIN();
