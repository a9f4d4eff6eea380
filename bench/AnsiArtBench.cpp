// Importing ANSI art that moves the cursor to its last row and then erases
// every row again and again (ESC[2J, ESC[J, ESC[1J): the time per byte
// should stay flat from 64 KiB to 4 MiB, as it does for plain art.
#include "screen/AnsiArt.h"

#include <benchmark/benchmark.h>

namespace {

QByteArray Art(std::int64_t bytes, bool erasing)
{
    QByteArray art = "\x1b[44m\x1b[99999Bz\x1b[H";
    const QByteArray piece = erasing ? "\x1b[2J\x1b[4999B\x1b[J\x1b[1J" : "\x1b[31mab\x1b[0mcd\r\n";
    while (art.size() < bytes)
        art += piece;
    return art;
}

void ImportArt(benchmark::State& state)
{
    const QByteArray art = Art(state.range(0), state.range(1) != 0);
    for (auto _ : state)
        benchmark::DoNotOptimize(ReadAnsiArt(art));
    state.SetBytesProcessed(state.iterations() * art.size());
}

}

BENCHMARK(ImportArt)->ArgsProduct({ { 64 << 10, 1 << 20, 4 << 20 }, { 0, 1 } })->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
