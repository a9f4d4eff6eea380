// Fitting a picture to the menu's screen: the file written reads back,
// through the loader's own readers here, to exactly the pixels the fit
// promises, at the screen's size, with the picture where the mode puts it.
#include "vesa/BackgroundFit.h"
#include "PictureFiles.h"
#include "SharedMaterial.h"
#include "vesa/BackgroundVerdict.h"
#include "vesa/VesaDecoders.h"

#include <gtest/gtest.h>

using namespace Vesa;

namespace {

// Left quarter red, the rest a gradient of green across and blue down.
Picture Marked(int width, int height)
{
    Picture picture(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            picture.At(x, y)
                = x < width / 4 ? 0xFF0000u : 0x280000u | Rgb(40 + x * 200 / width) << 8 | Rgb(30 + y * 200 / height);
        }
    }
    return picture;
}

bool Reddish(Rgb pixel) { return (pixel >> 16 & 0xFF) > 200 && (pixel >> 8 & 0xFF) < 60; }

int Channel(Rgb pixel, int shift) { return static_cast<int>(pixel >> shift & 0xFF); }

// The mean difference per channel of two pictures of one size.
double MeanError(const Picture& a, const Picture& b)
{
    double sum = 0;
    for (std::size_t i = 0; i < a.pixels.size(); ++i)
        for (const int shift : { 16, 8, 0 })
            sum += std::abs(Channel(a.pixels[i], shift) - Channel(b.pixels[i], shift));
    return sum / (3.0 * double(a.pixels.size()));
}

}

TEST(FitBackground, ReadsBackAsFittedAtTheScreensSize)
{
    const struct Row {
        const char* what;
        int width, height; // the source's
        FitMode mode;
        int screenWidth, screenHeight;
        int redUpTo; // the red quarter's right edge, in screen columns
        int barRows; // black rows above and below (letterbox)
        int barColumns; // black columns left and right
    } rows[] = {
        { "scale 1920 x 1080", 1920, 1080, FitMode::Scale, 640, 480, 160, 0, 0 },
        { "crop 1920 x 1080", 1920, 1080, FitMode::Crop, 640, 480, 106, 0, 0 },
        { "letterbox 1920 x 1080", 1920, 1080, FitMode::Letterbox, 640, 480, 160, 60, 0 },
        { "letterbox 1920 x 1080 to 1024 x 768", 1920, 1080, FitMode::Letterbox, 1024, 768, 256, 96, 0 },
        { "letterbox tall 300 x 600", 300, 600, FitMode::Letterbox, 640, 480, 200 + 60, 0, 200 },
        { "crop tall 300 x 600", 300, 600, FitMode::Crop, 640, 480, 160, 0, 0 },
        { "scale up 320 x 240", 320, 240, FitMode::Scale, 800, 600, 200, 0, 0 },
    };
    for (const Row& row : rows) {
        const Fitted fitted = FitBackground(Marked(row.width, row.height), row.screenWidth, row.screenHeight, row.mode);
        ASSERT_TRUE(fitted.problem.isEmpty()) << row.what << ": " << fitted.problem.toStdString();
        const std::optional<Picture> read = DecodePng(fitted.file);
        ASSERT_TRUE(read) << row.what;
        EXPECT_EQ(read->width, row.screenWidth) << row.what;
        EXPECT_EQ(read->height, row.screenHeight) << row.what;
        EXPECT_TRUE(*read == fitted.pixels) << row.what;
        EXPECT_EQ(
            BackgroundVerdict(fitted.file, row.screenWidth, row.screenHeight).shown, PictureVerdict::Shown::Copied)
            << row.what;
        const int middle = row.screenHeight / 2;
        EXPECT_TRUE(Reddish(read->At(row.barColumns + 2, middle))) << row.what;
        EXPECT_TRUE(Reddish(read->At(row.redUpTo - 2, middle))) << row.what;
        EXPECT_FALSE(Reddish(read->At(row.redUpTo + 2, middle))) << row.what;
        for (const auto& [x, y] : { std::pair(row.screenWidth / 2, row.barRows - 1),
                 std::pair(row.screenWidth / 2, row.screenHeight - row.barRows), std::pair(row.barColumns - 1, middle),
                 std::pair(row.screenWidth - row.barColumns, middle) }) {
            if (x >= 0 && y >= 0 && x < row.screenWidth && y < row.screenHeight && (row.barRows || row.barColumns)) {
                EXPECT_EQ(read->At(x, y), 0u) << row.what << " bar at " << x << "," << y;
            }
        }
        const Picture resampled = Resample(Marked(row.width, row.height), row.screenWidth, row.screenHeight, row.mode);
        EXPECT_LT(MeanError(resampled, fitted.pixels), 6.0) << row.what; // 256 colours stay close
    }
}

TEST(FitBackground, FewColoursKeptExactlyAndBadInputRefused)
{
    Picture two(64, 48, 0x102030);
    std::fill(two.pixels.begin(), two.pixels.begin() + 64 * 24, 0xF0E0D0);
    const Fitted same = FitBackground(two, 64, 48, FitMode::Scale);
    EXPECT_TRUE(same.pixels == two);
    EXPECT_TRUE(DecodePng(same.file) == two);
    EXPECT_FALSE(FitBackground(Picture(), 640, 480, FitMode::Crop).problem.isEmpty());
    EXPECT_FALSE(FitBackground(two, 8192, 8192, FitMode::Crop).problem.isEmpty());
    EXPECT_TRUE(FitBackground(two, 8192, 8192, FitMode::Crop).file.isEmpty());
}

TEST(FitLss16, ReadsBackWithTheLoadersPaletteRules)
{
    const struct Row {
        const char* what;
        Picture picture;
        FitMode mode;
        bool exact; // few enough colours to survive unchanged
    } rows[] = {
        { "photo-like 1920 x 1080", Marked(1920, 1080), FitMode::Crop, false },
        { "flat black and white",
            [] {
                Picture p(640, 480, 0xFFFFFF);
                std::fill_n(p.pixels.begin(), 640 * 100 + 7, 0u);
                return p;
            }(),
            FitMode::Scale, true },
        { "one colour", Picture(640, 480, 0x555555), FitMode::Letterbox, true },
    };
    for (const Row& row : rows) {
        const Fitted fitted = FitLss16(row.picture, row.mode);
        ASSERT_TRUE(fitted.problem.isEmpty()) << row.what;
        const std::optional<Picture> read = DecodeLss16(fitted.file);
        ASSERT_TRUE(read) << row.what;
        EXPECT_EQ(read->width, 640) << row.what;
        EXPECT_EQ(read->height, 480) << row.what;
        EXPECT_TRUE(*read == fitted.pixels) << row.what;
        if (row.exact)
            EXPECT_TRUE(*read == row.picture) << row.what;
        else
            EXPECT_LT(MeanError(*read, Resample(row.picture, 640, 480, row.mode)), 16.0) << row.what;
        // The loader's text is colour 7 on colour 0: the lightest and darkest.
        const std::array<Rgb, 16> levels = Decoders::Lss16Levels(fitted.file);
        Picture indexes(640, 480);
        Decoders::ReadLss16Indexes(fitted.file, indexes);
        const auto luma = [](Rgb c) { return 2 * Channel(c, 16) + 7 * Channel(c, 8) + Channel(c, 0); };
        for (const Rgb index : indexes.pixels) {
            EXPECT_GE(luma(levels[index]), luma(levels[0])) << row.what;
            EXPECT_LE(luma(levels[index]), luma(levels[7])) << row.what;
        }
        EXPECT_GT(luma(levels[7]), luma(levels[0])) << row.what;
    }
}

TEST(FitLss16, CorpusSplashLetterboxedUnchanged)
{
    const QDir images = SharedFolder("corpus/images");
    REQUIRE_SHARED(images.exists(), images.path().toStdString());
    const std::optional<Picture> splash = DecodeLss16(ReadFile(images.filePath("iss-sl5__splash.lss")));
    ASSERT_TRUE(splash);
    ASSERT_EQ(splash->height, 160);
    const Fitted fitted = FitLss16(*splash, FitMode::Letterbox);
    const std::optional<Picture> read = DecodeLss16(fitted.file);
    ASSERT_TRUE(read);
    for (int y = 0; y < 480; ++y) {
        for (int x = 0; x < 640; x += 7)
            ASSERT_EQ(read->At(x, y), y >= 160 && y < 320 ? splash->At(x, y - 160) : 0u) << x << "," << y;
    }
}

// Runs of every length the nybble code has (1, 2-15, 16-271, longer) and
// single pixels, written and read back.
TEST(FitLss16, RunsOfEveryLength)
{
    std::vector<std::uint8_t> indices;
    const int width = 700;
    for (const int run : { 1, 2, 15, 16, 17, 271, 272, 300 }) {
        for (int x = 0; x < width; ++x)
            indices.push_back(std::uint8_t(x < run ? 0 : x < 2 * run ? 5 : (x * 7) % 16));
    }
    std::array<Rgb, 16> levels {};
    for (std::size_t i = 0; i < 16; ++i)
        levels[i] = Rgb(i * 4) << 16 | Rgb(63 - i) << 8 | Rgb(i * 3);
    const QByteArray file = WriteLss16(width, 8, indices, levels);
    Picture read(width, 8);
    ASSERT_TRUE(Decoders::ReadLss16Indexes(file, read).complete);
    for (std::size_t i = 0; i < indices.size(); ++i)
        ASSERT_EQ(read.pixels[i], indices[i]) << "pixel " << i;
    EXPECT_EQ(Decoders::Lss16Levels(file), levels);
}

// Two colours for a grey ramp: the diffused pixels keep the mean of every
// 16 x 16 block that lies between the two.
TEST(Quantise, ErrorDiffusionKeepsEachBlocksMean)
{
    Picture ramp(256, 64);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 256; ++x)
            ramp.At(x, y) = Rgb(x) * 0x010101u;
    const Quantised two = Quantise(ramp, 2);
    ASSERT_EQ(two.palette.size(), 2u);
    const Picture out = two.Pixels();
    const int low = std::min(Channel(two.palette[0], 8), Channel(two.palette[1], 8));
    const int high = std::max(Channel(two.palette[0], 8), Channel(two.palette[1], 8));
    for (int bx = 0; bx < 256; bx += 16) {
        for (int by = 16; by < 64; by += 16) {
            double source = 0, shown = 0;
            for (int y = by; y < by + 16; ++y)
                for (int x = bx; x < bx + 16; ++x)
                    source += Channel(ramp.At(x, y), 8), shown += Channel(out.At(x, y), 8);
            if (source / 256 > low + 8 && source / 256 < high - 8) {
                EXPECT_NEAR(shown / 256, source / 256, 8.0) << "block at " << bx << "," << by;
            }
        }
    }
}
