// Throughput of the console's write path with no window, beside a bare loop
// that does only what any circular 80 × 25 grid must (store, wrap, CR, LF,
// scroll by rotation), as the baseline.
#include "console/Console.h"
#include "console/TextMetrics.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <random>
#include <string>

namespace {

class FixedMeasurer : public FontMeasurer {
public:
    TextMetrics Measure(const TFont&) const override
    {
        TextMetrics metrics;
        metrics.height = 16;
        metrics.ascent = 12;
        metrics.aveCharWidth = metrics.maxCharWidth = 8;
        metrics.pitchAndFamily = PitchAndFamily(TFontFamily::Modern);
        return metrics;
    }
};

constexpr size_t FourMiB = 4u << 20;

// CR LF lines of 60-100 characters; high selects bytes 0x80-0xFF.
std::string Lines(bool high)
{
    std::mt19937 random(80);
    std::uniform_int_distribution<int> length(60, 100);
    std::uniform_int_distribution<int> text(0x20, 0x7E);
    std::uniform_int_distribution<int> upper(0x80, 0xFF);
    std::string result;
    result.reserve(FourMiB + 128);
    while (result.size() < FourMiB) {
        for (int i = length(random); i > 0; --i)
            result += static_cast<char>(high ? upper(random) : text(random));
        result += "\r\n";
    }
    result.resize(FourMiB);
    return result;
}

const std::string& TextLines()
{
    static const std::string lines = Lines(false);
    return lines;
}

const std::string& HighLines()
{
    static const std::string lines = Lines(true);
    return lines;
}

struct BareGrid {
    static constexpr int Cols = 80, Rows = 25;
    char cells[Cols * Rows];
    int column = 0, row = 0, top = 0;

    void LineFeed()
    {
        if (++row < Rows)
            return;
        row = Rows - 1;
        top = top + 1 == Rows ? 0 : top + 1;
        std::memset(cells + ((row + top) % Rows) * Cols, ' ', Cols);
    }
    [[gnu::noinline]] void Write(const char* bytes, size_t count)
    {
        for (size_t i = 0; i < count; ++i) {
            const char byte = bytes[i];
            if (static_cast<unsigned char>(byte) >= 0x20) {
                int storageRow = row + top;
                if (storageRow >= Rows)
                    storageRow -= Rows;
                cells[storageRow * Cols + column] = byte;
                if (++column == Cols) {
                    column = 0;
                    LineFeed();
                }
            } else if (byte == '\r') {
                column = 0;
            } else if (byte == '\n') {
                LineFeed();
            }
        }
    }
};

void BM_BareLoop(benchmark::State& state)
{
    const std::string& input = TextLines();
    BareGrid grid {};
    for (auto _ : state) {
        grid.Write(input.data(), input.size());
        benchmark::DoNotOptimize(grid.cells);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * input.size()));
}

void WriteAll(benchmark::State& state, const std::string& input)
{
    FixedMeasurer measurer;
    TConsole console(measurer);
    for (auto _ : state) {
        console.WriteDefault(input.data(), static_cast<std::uint32_t>(input.size()));
        benchmark::DoNotOptimize(console.Cursor());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * input.size()));
}

void BM_WriteDefaultText(benchmark::State& state) { WriteAll(state, TextLines()); }
void BM_WriteDefaultHighBytes(benchmark::State& state) { WriteAll(state, HighLines()); }

void BM_WriteDefaultOneBytePerCall(benchmark::State& state)
{
    const std::string& input = TextLines();
    FixedMeasurer measurer;
    TConsole console(measurer);
    for (auto _ : state) {
        for (char byte : input)
            console.WriteDefault(&byte, 1);
        benchmark::DoNotOptimize(console.Cursor());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * input.size()));
}

}

BENCHMARK(BM_BareLoop)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteDefaultText)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteDefaultHighBytes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteDefaultOneBytePerCall)->Unit(benchmark::kMillisecond);
