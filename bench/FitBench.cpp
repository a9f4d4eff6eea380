// Fitting a 1920 x 1080 photo-like picture to the menu's screen, as the
// background panel's Fit and Write does once a click: resampling, 256
// colours with error diffusion, and the PNG written (or 16 colours and the
// LSS16 image). The target is well under a second a fit.
#include "vesa/BackgroundFit.h"

#include <benchmark/benchmark.h>

namespace {

// Smooth gradients with a fine texture, as a photo has.
Vesa::Picture Photo()
{
    Vesa::Picture picture(1920, 1080);
    for (int y = 0; y < 1080; ++y) {
        for (int x = 0; x < 1920; ++x) {
            const auto texture = static_cast<Vesa::Rgb>((x * 7 + y * 13) % 23);
            picture.At(x, y) = (x * 255 / 1920 + texture) % 256 << 16 | (y * 255 / 1080) << 8 | (128 + texture);
        }
    }
    return picture;
}

void FitPng(benchmark::State& state)
{
    const Vesa::Picture photo = Photo();
    const auto width = static_cast<int>(state.range(0)), height = static_cast<int>(state.range(1));
    for (auto _ : state)
        benchmark::DoNotOptimize(Vesa::FitBackground(photo, width, height, Vesa::FitMode::Crop).file.size());
}
BENCHMARK(FitPng)->Args({ 640, 480 })->Args({ 1024, 768 })->Unit(benchmark::kMillisecond);

void FitLss16(benchmark::State& state)
{
    const Vesa::Picture photo = Photo();
    for (auto _ : state)
        benchmark::DoNotOptimize(Vesa::FitLss16(photo, Vesa::FitMode::Crop).file.size());
}
BENCHMARK(FitLss16)->Unit(benchmark::kMillisecond);

}
