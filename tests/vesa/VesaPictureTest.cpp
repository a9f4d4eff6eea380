// MENU BACKGROUND files read as vesamenu.c32 reads them: PNGs of every
// kind written here with libpng's own writer and checked against the
// samples they were written from; JPEG, LSS16 and damaged files by the
// loader's rules (com32/lib/sys/vesa/background.c, com32/lib/jpeg).
#include "FakeMeasurer.h"
#include "PictureFiles.h"
#include "SharedMaterial.h"
#include "config/BootFiles.h"
#include "console/ColorConsole.h"
#include "sim/LoaderSim.h"
#include "vesa/VesaScreen.h"

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <zlib.h>

using namespace Vesa;

namespace {

// The colour the loader takes for a pixel written from those samples:
// grey to RGB, fewer than 8 bits scaled up, 16 cut to their high 8, the
// palette looked up, alpha dropped.
Rgb Expected(const PngKind& kind, const std::vector<int>& samples)
{
    const auto level = [&](int sample) {
        return kind.depth == 16 ? sample >> 8 : kind.depth < 8 ? sample * 255 / ((1 << kind.depth) - 1) : sample;
    };
    if (kind.type == PNG_COLOR_TYPE_PALETTE)
        return PaletteColour(samples[0]);
    if (!(kind.type & PNG_COLOR_MASK_COLOR))
        return static_cast<Rgb>(level(samples[0]) * 0x010101);
    return static_cast<Rgb>(level(samples[0]) << 16 | level(samples[1]) << 8 | level(samples[2]));
}

}

// Every colour type at every depth PNG has, with tRNS and interlaced, on a
// screen it is tiled over: what libpng gives with the module's
// transformations is the written samples in the loader's colours.
TEST(VesaPictureTest, PngsOfEveryKind)
{
    const PngKind kinds[] = {
        { "grey 1", PNG_COLOR_TYPE_GRAY, 1 },
        { "grey 2", PNG_COLOR_TYPE_GRAY, 2 },
        { "grey 4", PNG_COLOR_TYPE_GRAY, 4 },
        { "grey 8", PNG_COLOR_TYPE_GRAY, 8 },
        { "grey 16", PNG_COLOR_TYPE_GRAY, 16 },
        { "grey+alpha 8", PNG_COLOR_TYPE_GRAY_ALPHA, 8 },
        { "grey+alpha 16", PNG_COLOR_TYPE_GRAY_ALPHA, 16 },
        { "palette 1", PNG_COLOR_TYPE_PALETTE, 1 },
        { "palette 2", PNG_COLOR_TYPE_PALETTE, 2 },
        { "palette 4", PNG_COLOR_TYPE_PALETTE, 4 },
        { "palette 8", PNG_COLOR_TYPE_PALETTE, 8 },
        { "RGB 8", PNG_COLOR_TYPE_RGB, 8 },
        { "RGB 16", PNG_COLOR_TYPE_RGB, 16 },
        { "RGBA 8", PNG_COLOR_TYPE_RGB_ALPHA, 8 },
        { "RGBA 16", PNG_COLOR_TYPE_RGB_ALPHA, 16 },
        { "grey 4 tRNS", PNG_COLOR_TYPE_GRAY, 4, false, true },
        { "grey 16 tRNS", PNG_COLOR_TYPE_GRAY, 16, false, true },
        { "RGB 16 tRNS", PNG_COLOR_TYPE_RGB, 16, false, true },
        { "palette 4 tRNS", PNG_COLOR_TYPE_PALETTE, 4, false, true },
        { "grey 2 interlaced", PNG_COLOR_TYPE_GRAY, 2, true },
        { "palette 8 interlaced tRNS", PNG_COLOR_TYPE_PALETTE, 8, true, true },
        { "RGB 8 interlaced", PNG_COLOR_TYPE_RGB, 8, true },
        { "RGBA 16 interlaced", PNG_COLOR_TYPE_RGB_ALPHA, 16, true },
    };
    for (const PngKind& kind : kinds) {
        const Background read = ReadBackground(WritePng(kind), 80, 30);
        EXPECT_TRUE(read.problem.isEmpty()) << kind.name << ": " << read.problem.toStdString();
        int differing = 0;
        for (int y = 0; y < 30; ++y) {
            for (int x = 0; x < 80; ++x)
                differing += read.screen.At(x, y) != Expected(kind, Samples(kind, x % kind.width, y % kind.height));
        }
        EXPECT_EQ(differing, 0) << kind.name;
        EXPECT_EQ(DecodePng(WritePng(kind)).value_or(Picture()).At(36, 10), read.screen.At(36, 10)) << kind.name;
    }
}

// What the loader cannot read leaves black, and says why; rows read before
// a fault stay, untiled. Sizes are judged from the header before a pixel is
// inflated.
TEST(VesaPictureTest, DamagedAndHostilePictures)
{
    const PngKind tall { "RGB", PNG_COLOR_TYPE_RGB, 8, false, false, 64, 200 };
    const QByteArray whole = WritePng(tall);
    QByteArray lying = WritePng({ "RGB", PNG_COLOR_TYPE_RGB, 8, false, false, 64, 8 });
    lying.replace(20, 4, QByteArray("\0\0\0\x40", 4)); // IHDR: 64 rows
    lying.replace(29, 4, Crc(lying.mid(12, 17)));
    QByteArray badCrc = whole;
    badCrc[29] = static_cast<char>(badCrc[29] ^ 1);
    const struct {
        const char* name;
        QByteArray bytes;
        const char* problem;
        int rowsKept; // rows of the picture read, untiled; -1 all, tiled
    } rows[] = {
        { "whole", whole, "", -1 },
        { "cut short", whole.left(whole.size() / 2), "libpng stops part way through it: the file is cut short", 1 },
        { "lies about its rows", lying, "libpng stops part way", 8 },
        { "IHDR damaged", badCrc, "libpng refuses it: IHDR: CRC error", 0 },
        { "bomb", ZlibBombPng(8192, 8192), "the PNG is 8192 x 8192, larger than the 640 x 480 screen", 0 },
        { "not a picture", "GIF89a and more", "no PNG, JPEG or LSS16 image", 0 },
        { "too short", "\x89PN", "shorter than any picture's header", 0 },
        { "JPEG grey", QtJpeg(QImage::Format_Grayscale8), "the decoder takes three (YCbCr) only", 0 },
        { "JPEG cut short", QtJpeg(QImage::Format_RGB32).chopped(20), "the real machine resets", 0 },
        { "JPEG codes longer than the bits read", TwoLengthJpeg(), "past the bits it has read", 0 },
        { "LSS16 cut short", Lss16(64, 200).left(200), "the LSS16 image ends in row", 1 },
        { "LSS16 too wide", Lss16(641, 2), "641 x 2, larger than the 640 x 480 screen", 0 },
    };
    for (const auto& row : rows) {
        const Background read = ReadBackground(row.bytes, 640, 480);
        EXPECT_TRUE(read.problem.contains(QLatin1String(row.problem)))
            << row.name << ": " << read.problem.toStdString();
        EXPECT_EQ(read.problem.isEmpty(), row.rowsKept < 0) << row.name;
        const Rgb first = read.screen.At(3, 0), below = read.screen.At(3, 199), right = read.screen.At(67, 0);
        EXPECT_EQ(first != 0, row.rowsKept != 0) << row.name << ": the first row";
        EXPECT_EQ(below != 0, row.rowsKept < 0) << row.name << ": a row past the fault";
        EXPECT_EQ(right == first, row.rowsKept <= 0) << row.name << ": tiled only when read whole";
    }
    // Within the screen, a stream that inflates on past its rows costs
    // what its rows do and a few KiB: the rest is never inflated.
    const Background padded = ReadBackground(ZlibBombPng(640, 480), 640, 480);
    EXPECT_TRUE(padded.problem.contains("a zlib bomb")) << padded.problem.toStdString();
    EXPECT_EQ(padded.screen, Picture(640, 480)) << "its rows, all zero";
    EXPECT_FALSE(DecodePng(ZlibBombPng(8192, 8192))) << "past Limits::PictureBytes";
    EXPECT_FALSE(DecodeLss16(Lss16(65535, 65535, 1))) << "past Limits::PictureBytes";
    EXPECT_TRUE(ReadBackground(whole, 1 << 16, 1 << 16).problem.contains("more than Glimra draws"));
    // LSS16 palette levels have 6 bits; the loader masks the rest off.
    QByteArray bright = Lss16(2, 1);
    bright.replace(8 + 3, 3, "\xff\x40\x3f");
    EXPECT_EQ(ReadBackground(bright, 640, 480).screen.At(0, 0), 0xFF00FFu);
}

// SYSLINUX's JPEG decoder, pixel for pixel: files of each sampling layout
// and size (edge blocks land skewed), with and without restart markers and
// Huffman tables, beside what the real loader drew from each in QEMU, on
// its 640 x 480 screen (the skew reaches into the row above).
TEST(VesaPictureTest, JpegsAsTheLoaderDecodesThem)
{
    int files = 0;
    for (const auto& [jpeg, drawn] : RecordedJpegs()) {
        const QImage loader(drawn);
        ASSERT_FALSE(loader.isNull()) << drawn.toStdString();
        const Background read = ReadBackground(ReadFile(jpeg), 640, 480);
        EXPECT_TRUE(read.problem.isEmpty()) << jpeg.toStdString() << ": " << read.problem.toStdString();
        int differing = 0;
        for (int y = 0; y < loader.height(); ++y) {
            for (int x = 0; x < loader.width(); ++x)
                differing += (loader.pixel(x, y) & 0xFFFFFF) != read.screen.At(x, y);
        }
        EXPECT_EQ(differing, 0) << jpeg.toStdString();
        ++files;
    }
    EXPECT_GE(files, 5);
}

// The window and glimra-render show one message for the shown menu's
// background, naming the file: missing, damaged, or none at all; the
// border shows what was read.
TEST(VesaPictureTest, TheMenuSaysWhichBackgroundIsNotAllThere)
{
    const std::optional<Font> font = RomFont(ReadFile(QString::fromLatin1(SeaBiosVgaImage)));
    if (!font)
        GTEST_SKIP() << "SeaBIOS's VGA BIOS is not installed";
    QTemporaryDir tree;
    const auto write = [&](const char* name, const QByteArray& bytes) {
        QDir().mkpath(tree.filePath("isolinux"));
        QFile file(tree.filePath(QStringLiteral("isolinux/") + name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    };
    const PngKind kind { "RGB", PNG_COLOR_TYPE_RGB, 8, false, false, 64, 200 };
    const QByteArray png = WritePng(kind);
    write("vesamenu.c32",
        QByteArray("\x7f"
                   "ELF"));
    write("cut.png", png.left(png.size() / 2));
    write("whole.png", png);
    const Rgb corner = Expected(kind, Samples(kind, 3, 3));
    const struct {
        const char* background;
        const char* problem;
        Rgb corner; // the border's pixel (3, 3)
    } rows[] = {
        { "MENU BACKGROUND gone.png", "MENU BACKGROUND gone.png: is not in the tree or cannot be read", 0 },
        { "MENU BACKGROUND cut.png", "MENU BACKGROUND cut.png: libpng stops part way through it", corner },
        { "MENU BACKGROUND whole.png", "", corner },
        { "", "", RadialBackground(640, 480).At(3, 3) },
    };
    for (const auto& row : rows) {
        write("isolinux.cfg", QByteArray("UI vesamenu.c32\n") + row.background + "\nLABEL a\n");
        FixedCellMeasurer measurer;
        TColorConsole console(measurer);
        LoaderSim loader(
            console, BootFiles::ForConfiguration(tree.filePath("isolinux/isolinux.cfg")), LoaderSim::Start::Blank);
        const std::optional<LoaderSim::Graphics> graphics = loader.GraphicalMenu();
        ASSERT_TRUE(graphics) << row.background;
        const MenuScreen screen = DrawLoaderMenu(*graphics, *font);
        EXPECT_TRUE(*row.problem == 0 || screen.problem.startsWith(QLatin1String(row.problem)))
            << row.background << ": " << qPrintable(screen.problem);
        EXPECT_EQ(screen.problem.isEmpty(), *row.problem == 0) << row.background;
        EXPECT_EQ(screen.picture.At(3, 3), row.corner) << row.background;
    }
}
