// Fitting a picture to the screen vesamenu.c32 or the core shows it on:
// resampling by area, then median-cut colours with error diffusion.
#include "BackgroundFit.h"

#include "common/Limits.h"

#include <algorithm>
#include <cmath>

namespace Vesa {

namespace {

int Channel(Rgb pixel, int shift) { return static_cast<int>(pixel >> shift & 0xFF); }

// One output pixel's source pixels along an axis and their shares.
struct Tap {
    int first = 0;
    std::vector<float> weights;
};

std::vector<Tap> Taps(double start, double span, int sourceSize, int outSize)
{
    std::vector<Tap> taps(static_cast<std::size_t>(outSize));
    const double step = span / outSize;
    for (int o = 0; o < outSize; ++o) {
        const double a = start + o * step, b = a + step;
        Tap& tap = taps[static_cast<std::size_t>(o)];
        tap.first = std::clamp(static_cast<int>(std::floor(a)), 0, sourceSize - 1);
        const int last = std::clamp(static_cast<int>(std::ceil(b)) - 1, tap.first, sourceSize - 1);
        float sum = 0;
        for (int i = tap.first; i <= last; ++i) {
            const auto share = static_cast<float>(std::max(0.0, std::min(b, i + 1.0) - std::max(a, double(i))));
            tap.weights.push_back(share);
            sum += share;
        }
        for (float& weight : tap.weights)
            weight = sum > 0 ? weight / sum : 1.0f / static_cast<float>(tap.weights.size());
    }
    return taps;
}

// The source window (x, y, w, h in source pixels) averaged into out x out
// pixels: across first, then down.
Picture Average(const Picture& source, double x, double y, double w, double h, int outWidth, int outHeight)
{
    const std::vector<Tap> across = Taps(x, w, source.width, outWidth);
    const std::vector<Tap> down = Taps(y, h, source.height, outHeight);
    std::vector<float> rows(static_cast<std::size_t>(source.height) * static_cast<std::size_t>(outWidth) * 3);
    for (int sy = 0; sy < source.height; ++sy) {
        for (int ox = 0; ox < outWidth; ++ox) {
            const Tap& tap = across[static_cast<std::size_t>(ox)];
            float* out
                = &rows[(static_cast<std::size_t>(sy) * static_cast<std::size_t>(outWidth) + std::size_t(ox)) * 3];
            for (std::size_t i = 0; i < tap.weights.size(); ++i) {
                const Rgb pixel = source.At(tap.first + static_cast<int>(i), sy);
                for (int c = 0; c < 3; ++c)
                    out[c] += tap.weights[i] * static_cast<float>(Channel(pixel, 16 - 8 * c));
            }
        }
    }
    Picture out(outWidth, outHeight);
    for (int oy = 0; oy < outHeight; ++oy) {
        const Tap& tap = down[static_cast<std::size_t>(oy)];
        for (int ox = 0; ox < outWidth; ++ox) {
            float sum[3] = {};
            for (std::size_t i = 0; i < tap.weights.size(); ++i) {
                const std::size_t row = static_cast<std::size_t>(tap.first) + i;
                const float* in = &rows[(row * static_cast<std::size_t>(outWidth) + std::size_t(ox)) * 3];
                for (int c = 0; c < 3; ++c)
                    sum[c] += tap.weights[i] * in[c];
            }
            Rgb pixel = 0;
            for (const float channel : sum)
                pixel = pixel << 8 | static_cast<Rgb>(std::clamp(std::lround(channel), 0L, 255L));
            out.At(ox, oy) = pixel;
        }
    }
    return out;
}

}

Picture Resample(const Picture& picture, int width, int height, FitMode mode)
{
    if (picture.width <= 0 || picture.height <= 0 || width <= 0 || height <= 0)
        return Picture(std::max(width, 0), std::max(height, 0));
    const double sx = double(width) / picture.width, sy = double(height) / picture.height;
    switch (mode) {
    case FitMode::Scale: break;
    case FitMode::Crop: {
        const double s = std::max(sx, sy);
        const double w = width / s, h = height / s;
        return Average(picture, (picture.width - w) / 2, (picture.height - h) / 2, w, h, width, height);
    }
    case FitMode::Letterbox: {
        const double s = std::min(sx, sy);
        const int w = std::clamp(static_cast<int>(std::lround(picture.width * s)), 1, width);
        const int h = std::clamp(static_cast<int>(std::lround(picture.height * s)), 1, height);
        const Picture inner = Average(picture, 0, 0, picture.width, picture.height, w, h);
        Picture out(width, height);
        const int left = (width - w) / 2, top = (height - h) / 2;
        for (int y = 0; y < h; ++y)
            std::copy_n(inner.pixels.begin() + std::ptrdiff_t(y) * w, w, &out.At(left, y + top));
        return out;
    }
    }
    return Average(picture, 0, 0, picture.width, picture.height, width, height);
}

namespace {

// Levels 0-63 as both readers show them: (v & 63) * 255 / 63.
Rgb Shown(Rgb levels)
{
    Rgb colour = 0;
    for (const int shift : { 16, 8, 0 })
        colour = colour << 8 | (levels >> shift & 63) * 255 / 63;
    return colour;
}

Rgb Levels(Rgb colour)
{
    Rgb levels = 0;
    for (const int shift : { 16, 8, 0 })
        levels = levels << 8 | static_cast<Rgb>((Channel(colour, shift) * 63 + 127) / 255);
    return levels;
}

int Luma(Rgb colour) { return 2126 * Channel(colour, 16) + 7152 * Channel(colour, 8) + 722 * Channel(colour, 0); }

QString TooLarge(const Picture& picture, int width, int height)
{
    if (picture.width <= 0 || picture.height <= 0)
        return QStringLiteral("the picture has no pixels");
    if (width <= 0 || height <= 0 || qint64(width) * height * 4 > Limits::PictureBytes)
        return QStringLiteral("a %1 x %2 screen is more than vesamenu.c32 or Glimra draws").arg(width).arg(height);
    return {};
}

}

Fitted FitBackground(const Picture& picture, int width, int height, FitMode mode)
{
    Fitted fitted;
    if (fitted.problem = TooLarge(picture, width, height); !fitted.problem.isEmpty())
        return fitted;
    const Quantised colours = Quantise(Resample(picture, width, height, mode), 256);
    fitted.file = WritePalettePng(colours);
    if (fitted.file.isEmpty())
        fitted.problem = QStringLiteral("libpng could not write the picture");
    else
        fitted.pixels = colours.Pixels();
    return fitted;
}

Fitted FitLss16(const Picture& picture, FitMode mode)
{
    Fitted fitted;
    if (fitted.problem = TooLarge(picture, Lss16Width, Lss16Height); !fitted.problem.isEmpty())
        return fitted;
    Quantised colours = Quantise(Resample(picture, Lss16Width, Lss16Height, mode), 16);
    // Darkest first, lightest at 7, the rest in their order.
    std::vector<int> order(colours.palette.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = static_cast<int>(i);
    const auto byLuma
        = [&](int a, int b) { return Luma(colours.palette[std::size_t(a)]) < Luma(colours.palette[std::size_t(b)]); };
    std::stable_sort(order.begin(), order.end(), byLuma);
    std::vector<int> places(16, -1); // palette entry of each index
    places[0] = order.front();
    if (order.size() > 1)
        places[7] = order.back();
    std::size_t next = 1;
    for (std::size_t i = 1; i + 1 < order.size(); ++i, ++next)
        places[next == 7 ? ++next : next] = order[i];
    std::array<Rgb, 16> levels {};
    std::vector<std::uint8_t> indexOf(colours.palette.size());
    for (std::size_t slot = 0; slot < 16; ++slot) {
        if (places[slot] < 0) {
            levels[slot] = slot == 7 ? 0x3F3F3F : 0; // unused; 7 stays light for the loader's text
            continue;
        }
        levels[slot] = Levels(colours.palette[std::size_t(places[slot])]);
        indexOf[std::size_t(places[slot])] = static_cast<std::uint8_t>(slot);
    }
    for (std::uint8_t& index : colours.indices)
        index = indexOf[index];
    fitted.file = WriteLss16(Lss16Width, Lss16Height, colours.indices, levels);
    for (std::size_t slot = 0; slot < 16; ++slot)
        levels[slot] = Shown(levels[slot]);
    colours.palette.assign(levels.begin(), levels.end());
    fitted.pixels = colours.Pixels();
    return fitted;
}

}
