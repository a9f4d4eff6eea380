// Few colours from many: median cut over a histogram of 5-bit levels,
// each box's colour the mean of its pixels, then Floyd-Steinberg error
// diffusion onto that palette.
#include "BackgroundFit.h"

#include <algorithm>
#include <array>
#include <unordered_map>

namespace Vesa {

namespace {

int Channel(Rgb pixel, int shift) { return static_cast<int>(pixel >> shift & 0xFF); }

struct Bin {
    std::array<int, 3> level {}; // 5-bit red, green, blue
    qint64 count = 0;
    std::array<qint64, 3> sum {}; // of the 8-bit channels
};

// The picture's colours when there are no more than `colours`.
std::optional<std::vector<Rgb>> FewColours(const Picture& picture, int colours)
{
    std::vector<Rgb> seen;
    std::unordered_map<Rgb, int> index;
    for (const Rgb pixel : picture.pixels) {
        if (index.emplace(pixel, static_cast<int>(seen.size())).second) {
            if (static_cast<int>(seen.size()) == colours)
                return std::nullopt;
            seen.push_back(pixel);
        }
    }
    return seen;
}

std::vector<Bin> Histogram(const Picture& picture)
{
    std::vector<Bin> bins(1 << 15);
    for (const Rgb pixel : picture.pixels) {
        const int r = Channel(pixel, 16), g = Channel(pixel, 8), b = Channel(pixel, 0);
        Bin& bin = bins[static_cast<std::size_t>((r >> 3) << 10 | (g >> 3) << 5 | b >> 3)];
        bin.level = { r >> 3, g >> 3, b >> 3 };
        ++bin.count;
        bin.sum[0] += r, bin.sum[1] += g, bin.sum[2] += b;
    }
    std::erase_if(bins, [](const Bin& bin) { return bin.count == 0; });
    return bins;
}

struct Box {
    std::size_t begin = 0, end = 0; // a slice of the bins
    qint64 count = 0;
    int axis = 0; // its longest side
    int length = 0;
};

Box Measure(const std::vector<Bin>& bins, std::size_t begin, std::size_t end)
{
    Box box { begin, end, 0, 0, -1 };
    std::array<int, 3> low { 31, 31, 31 }, high {};
    for (std::size_t i = begin; i < end; ++i) {
        box.count += bins[i].count;
        for (std::size_t c = 0; c < 3; ++c)
            low[c] = std::min(low[c], bins[i].level[c]), high[c] = std::max(high[c], bins[i].level[c]);
    }
    for (int c = 0; c < 3; ++c) {
        if (high[std::size_t(c)] - low[std::size_t(c)] > box.length)
            box.length = high[std::size_t(c)] - low[std::size_t(c)], box.axis = c;
    }
    return box;
}

// Splits the most populous box that has two levels until there are
// `colours` boxes; each split at the median pixel along its longest side,
// never leaving a side empty (one bin may hold most of the pixels).
std::vector<Rgb> MedianCut(std::vector<Bin> bins, int colours)
{
    std::vector<Box> boxes { Measure(bins, 0, bins.size()) };
    while (static_cast<int>(boxes.size()) < colours) {
        auto widest = std::max_element(boxes.begin(), boxes.end(),
            [](const Box& a, const Box& b) { return (a.length > 0 ? a.count : -1) < (b.length > 0 ? b.count : -1); });
        if (widest->length <= 0)
            break;
        const Box box = *widest;
        const auto first = bins.begin() + static_cast<std::ptrdiff_t>(box.begin);
        std::sort(first, bins.begin() + static_cast<std::ptrdiff_t>(box.end), [&](const Bin& a, const Bin& b) {
            return a.level[std::size_t(box.axis)] < b.level[std::size_t(box.axis)];
        });
        qint64 below = 0;
        std::size_t split = box.begin;
        while (split + 2 < box.end && (below += bins[split].count) * 2 < box.count)
            ++split;
        *widest = Measure(bins, box.begin, split + 1);
        boxes.push_back(Measure(bins, split + 1, box.end));
    }
    std::vector<Rgb> palette;
    for (const Box& box : boxes) {
        std::array<qint64, 3> sum {};
        for (std::size_t i = box.begin; i < box.end; ++i)
            for (std::size_t c = 0; c < 3; ++c)
                sum[c] += bins[i].sum[c];
        Rgb colour = 0;
        for (const qint64 channel : sum)
            colour = colour << 8 | static_cast<Rgb>((channel + box.count / 2) / std::max<qint64>(box.count, 1));
        palette.push_back(colour);
    }
    return palette;
}

// The nearest palette entry of a colour, remembered by 6-bit levels.
class Nearest {
public:
    explicit Nearest(const std::vector<Rgb>& palette)
        : m_palette(palette)
        , m_known(1 << 18, -1)
    {
    }
    std::uint8_t operator()(int r, int g, int b)
    {
        const std::size_t key = static_cast<std::size_t>((r >> 2) << 12 | (g >> 2) << 6 | b >> 2);
        if (m_known[key] < 0) {
            int best = 0, bestDistance = 1 << 30;
            for (std::size_t i = 0; i < m_palette.size(); ++i) {
                const int dr = Channel(m_palette[i], 16) - r, dg = Channel(m_palette[i], 8) - g,
                          db = Channel(m_palette[i], 0) - b;
                const int distance = 3 * dr * dr + 4 * dg * dg + 2 * db * db;
                if (distance < bestDistance)
                    bestDistance = distance, best = static_cast<int>(i);
            }
            m_known[key] = static_cast<std::int16_t>(best);
        }
        return static_cast<std::uint8_t>(m_known[key]);
    }

private:
    const std::vector<Rgb>& m_palette;
    std::vector<std::int16_t> m_known;
};

// Each pixel onto the palette, its error passed on to the pixels right and
// below (7/16, 3/16, 5/16, 1/16), row after row.
std::vector<std::uint8_t> Diffuse(const Picture& picture, const std::vector<Rgb>& palette)
{
    Nearest nearest(palette);
    std::vector<std::uint8_t> indices(picture.pixels.size());
    const std::size_t width = static_cast<std::size_t>(picture.width);
    std::vector<int> error((width + 2) * 3 * 2, 0); // this row and the next, a pixel of margin each side
    for (int y = 0; y < picture.height; ++y) {
        int* here = &error[(y % 2) * (width + 2) * 3];
        int* next = &error[((y + 1) % 2) * (width + 2) * 3];
        std::fill_n(next, (width + 2) * 3, 0);
        for (std::size_t x = 0; x < width; ++x) {
            const Rgb pixel = picture.At(static_cast<int>(x), y);
            std::array<int, 3> want {};
            for (int c = 0; c < 3; ++c)
                want[std::size_t(c)]
                    = std::clamp(Channel(pixel, 16 - 8 * c) + here[(x + 1) * 3 + std::size_t(c)] / 16, 0, 255);
            const std::uint8_t index = nearest(want[0], want[1], want[2]);
            indices[static_cast<std::size_t>(y) * width + x] = index;
            for (int c = 0; c < 3; ++c) {
                const int off = want[std::size_t(c)] - Channel(palette[index], 16 - 8 * c);
                here[(x + 2) * 3 + std::size_t(c)] += off * 7;
                next[x * 3 + std::size_t(c)] += off * 3;
                next[(x + 1) * 3 + std::size_t(c)] += off * 5;
                next[(x + 2) * 3 + std::size_t(c)] += off;
            }
        }
    }
    return indices;
}

}

Picture Quantised::Pixels() const
{
    Picture picture(width, height);
    for (std::size_t i = 0; i < indices.size(); ++i)
        picture.pixels[i] = palette[indices[i]];
    return picture;
}

Quantised Quantise(const Picture& picture, int colours)
{
    Quantised out { picture.width, picture.height, {}, {} };
    if (const std::optional<std::vector<Rgb>> few = FewColours(picture, colours)) {
        out.palette = *few;
        std::unordered_map<Rgb, std::uint8_t> index;
        for (std::size_t i = 0; i < few->size(); ++i)
            index.emplace((*few)[i], static_cast<std::uint8_t>(i));
        out.indices.reserve(picture.pixels.size());
        for (const Rgb pixel : picture.pixels)
            out.indices.push_back(index[pixel]);
        return out;
    }
    out.palette = MedianCut(Histogram(picture), colours);
    out.indices = Diffuse(picture, out.palette);
    return out;
}

}
