#include "vesa/VesaPixels.h"
#include "RecordedSteps.h"
#include "RecordedVersions.h"
#include "SharedMaterial.h"
#include "config/BootFiles.h"
#include "console/ColorConsole.h"
#include "render/ScreenPng.h"
#include "sim/LoaderKeys.h"
#include "sim/LoaderSim.h"
#include "sim/MenuSim.h"
#include "vesa/VesaScreen.h"

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <random>

using namespace Vesa;

namespace {

QByteArray Read(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString Case(const char* name) { return SharedFolder("boottruth/project/vesa").filePath(QString::fromLatin1(name)); }

// Pixels of a recorded shot that differ from ours outside the text area and
// the spill of its drawing (78 x 29 cells of 8 x 16 at 640 x 480).
int BorderDifferences(const QString& shot, const Picture& ours)
{
    const QImage recorded(shot);
    EXPECT_EQ(recorded.size(), QSize(ours.width, ours.height)) << shot.toStdString();
    if (recorded.size() != QSize(ours.width, ours.height))
        return -1;
    int differing = 0;
    for (int y = 0; y < ours.height; ++y) {
        for (int x = 0; x < ours.width; ++x) {
            const bool text = x >= Border && x < Border + 78 * 8 + 2 && y >= Border && y <= Border + 29 * 16;
            differing += !text && (recorded.pixel(x, y) & 0xFFFFFF) != ours.At(x, y);
        }
    }
    return differing;
}

}

// Alpha 00, 80 and ff at the edges: ff is the colour and 00 the background
// exactly, for every level; 80 mixes in linear light, not in sRGB.
TEST(VesaPixelsTest, BlendsInLinearLight)
{
    for (int level = 0; level < 256; ++level) {
        ASSERT_EQ(Blend(0xFF000000u | static_cast<Rgb>(level), 0x00FFFF00u), static_cast<Rgb>(level)) << level;
        ASSERT_EQ(Blend(0x00000000u, static_cast<Rgb>(level) << 8), static_cast<Rgb>(level) << 8) << level;
    }
    const std::tuple<Argb, Rgb, Rgb> mixes[] = {
        { 0x80FFFFFF, 0x000000, 0xBCBCBC },
        { 0x80000000, 0xFFFFFF, 0xBBBBBB },
        { 0x80333333, 0x999999, 0x747474 },
        { 0xFF993300, 0x000000, 0x993300 },
    };
    for (const auto& [colour, background, mixed] : mixes)
        EXPECT_EQ(Blend(colour, background), mixed) << std::hex << colour << " over " << background;
}

// Each shadow mode at a glyph's edge: a raised pixel takes the background
// one down and right, and darkens the pixel down and right of it when that
// one is not raised; at the screen's edge the background is taken from the
// last pixel.
TEST(VesaPixelsTest, ShadowsFollowTheirMode)
{
    Picture background(24, 40);
    for (int y = 0; y < background.height; ++y) {
        for (int x = 0; x < background.width; ++x)
            background.At(x, y) = static_cast<Rgb>(x * 8) << 16 | static_cast<Rgb>(y * 4);
    }
    Font font;
    font.rows.assign(256 * 16, 0);
    for (int line = 0; line < 16; ++line)
        font.rows[0xDB * 16 + static_cast<std::size_t>(line)] = 0xF0; // left half inked
    const auto draw = [&](Shadow shadow) {
        TextLayer text { 1, 1, { Cell { 0xDB, 0xFF0000FF, 0x00000000, shadow } }, Cell { ' ', 0, 0, Shadow::None },
            {} };
        return Compose(background, text, font);
    };
    const Rgb ink = 0x0000FF;
    const struct {
        Shadow mode;
        Rgb inked, paper, pastGlyph, belowCell;
    } rows[] = {
        // inked (8,8); paper (13,9); (12,9), right of the ink; (9,24), below the cell.
        { Shadow::None, ink, background.At(13, 9), background.At(12, 9), background.At(9, 24) },
        { Shadow::Std, ink, background.At(13, 9), Darkened(background.At(12, 9)), Darkened(background.At(9, 24)) },
        { Shadow::All, ink, background.At(14, 10), background.At(13, 10), Darkened(background.At(9, 24)) },
        { Shadow::Rev, ink, background.At(14, 10), background.At(13, 10), background.At(9, 24) },
    };
    for (const auto& row : rows) {
        const Picture screen = draw(row.mode);
        const int mode = static_cast<int>(row.mode);
        EXPECT_EQ(screen.At(8, 8), row.inked) << mode;
        EXPECT_EQ(screen.At(13, 9), row.paper) << mode;
        EXPECT_EQ(screen.At(12, 9), row.pastGlyph) << mode;
        EXPECT_EQ(screen.At(9, 24), row.belowCell) << mode;
        EXPECT_EQ(screen.At(7, 7), background.At(7, 7)) << "the border above and left is never drawn";
        EXPECT_EQ(screen.At(9, 25), background.At(9, 25)) << "nor beyond the spill";
    }
    // The ring is drawn in the first colour's mode: raised all round, the
    // spill takes the background one down and right, two columns wide.
    const Picture ringed = Compose(background,
        TextLayer { 1, 1, { Cell { ' ', 0, 0, Shadow::None } }, Cell { ' ', 0, 0, Shadow::All }, {} }, font);
    EXPECT_EQ(ringed.At(17, 9), background.At(18, 10));
    EXPECT_EQ(ringed.At(18, 9), background.At(18, 9));
    EXPECT_EQ(ringed.At(12, 24), background.At(13, 25));
}

TEST(VesaPixelsTest, FontsFromTheVgaBiosAndPsf1Files)
{
    const QByteArray bios = Read(QStringLiteral("/usr/share/seabios/vgabios-stdvga.bin"));
    if (bios.isEmpty())
        GTEST_SKIP() << "SeaBIOS's VGA BIOS is not installed";
    const std::optional<Font> rom = RomFont(bios);
    ASSERT_TRUE(rom);
    EXPECT_EQ(rom->rows[0xDB * 16 + 5], 0xFF) << "the full block";
    EXPECT_EQ(rom->rows['A' * 16 + 0], 0x00);
    EXPECT_NE(rom->rows['A' * 16 + 8], 0x00);
    QByteArray psf("\x36\x04\x00\x0e", 4);
    psf += QByteArray(256 * 14, '\x18');
    EXPECT_EQ(Psf1Font(psf).value().height, 14);
    EXPECT_FALSE(Psf1Font(psf.left(100)));
    EXPECT_FALSE(Psf1Font(QByteArray("\x36\x04\x09\x0e", 4) + QByteArray(256 * 14, 0))) << "mode above 5";
    EXPECT_FALSE(RomFont(bios.left(0x7000)));
}

// What the border shows in QEMU's pictures: the gradient without a
// background, a flat colour, an LSS16 image at the top left on black, a PNG
// of the screen's size copied and a smaller one tiled.
TEST(VesaPixelsTest, BackgroundsAsTheRecordingsShowThem)
{
    REQUIRE_SHARED(QFile::exists(Case("out")), "the vesamenu recordings");
    EXPECT_EQ(BorderDifferences(Case("out/v01_nobg_default/00_initial.png"), RadialBackground(640, 480)), 0);
    EXPECT_EQ(BorderDifferences(Case("out/v09_bg_argb_colour/00_initial.png"), Picture(640, 480, 0x336699)), 0);
    const auto read = [](const char* path) { return ReadBackground(Read(Case(path)), 640, 480); };
    const Background lss16 = read("cases/v07_bg_lss16_640/iso/isolinux/splash.lss");
    EXPECT_EQ(BorderDifferences(Case("out/v07_bg_lss16_640/00_initial.png"), lss16.screen), 0);
    EXPECT_EQ(BorderDifferences(Case("out/v03_bg_pattern_defaults/00_initial.png"),
                  read("cases/v03_bg_pattern_defaults/iso/isolinux/pat.png").screen),
        0);
    const Background large = read("cases/v05_bg_png_800x600/iso/isolinux/big.png");
    EXPECT_EQ(BorderDifferences(Case("out/v05_bg_png_800x600/00_initial.png"), large.screen), 0);
    EXPECT_TRUE(large.problem.contains("800 x 600, larger than the 640 x 480 screen")) << large.problem.toStdString();
    for (const Background& whole : { lss16, read("cases/v03_bg_pattern_defaults/iso/isolinux/pat.png") })
        EXPECT_TRUE(whole.problem.isEmpty()) << whole.problem.toStdString();
}

namespace {

// Pixels of a recorded shot that differ from ours, but on the countdown
// row of v13, which ran on while it was recorded.
int ShotDifferences(const QString& name, const QImage& recorded, const Picture& ours)
{
    EXPECT_EQ(recorded.size(), QSize(ours.width, ours.height)) << name.toStdString();
    if (recorded.size() != QSize(ours.width, ours.height))
        return -1;
    const int countdownRow = name == u"v13_layout_shift" ? 28 : -1;
    int differing = 0;
    for (int y = 0; y < ours.height; ++y) {
        for (int x = 0; x < ours.width; ++x) {
            const bool masked = y >= Border + countdownRow * 16 && y < Border + (countdownRow + 1) * 16;
            differing += !masked && (recorded.pixel(x, y) & 0xFFFFFF) != ours.At(x, y);
        }
    }
    return differing;
}

// The vesamenu cases as one build drew them: Debian's 6.04 in the
// project's recordings, the others in their replays.
QDir ShotsOf(const std::string& version, const QString& name)
{
    return version == "6.04" ? QDir(Case("out/") + name) : QDir(VersionsFolder(version, "vesa").filePath(name));
}

class VesaVersions : public ::testing::TestWithParam<std::string> { };

}

// Every recorded shot's whole screen, drawn by the menu simulator on the
// graphical grid and composed, its background read as the window and
// glimra-render read it: pixel for pixel, JPEG ones too; for each build the
// cases were replayed with. The text menu's side case is not here.
TEST_P(VesaVersions, MenusAsTheRecordingsShowThem)
{
    const std::string version = GetParam();
    REQUIRE_SHARED(ShotsOf(version, {}).exists(), "the vesamenu recordings");
    const std::optional<Font> rom = RomFont(Read(QStringLiteral("/usr/share/seabios/vgabios-stdvga.bin")));
    if (!rom)
        GTEST_SKIP() << "SeaBIOS's VGA BIOS is not installed";
    int shots = 0;
    for (const QString& name : QDir(Case("cases")).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        if (name == u"v22_side_menu_c32")
            continue;
        const QDir folder(Case("cases/") + name);
        const QDir out = ShotsOf(version, name);
        const QString config = folder.filePath("iso/isolinux/isolinux.cfg");
        FixedCellMeasurer measurer;
        TColorConsole console(measurer);
        LoaderSim loader(console,
            version == "6.04" ? RecordedCaseFiles(folder, config) : RecordedVersionFiles(folder, config, out),
            LoaderSim::Start::Blank, version == "6.04" ? LoaderVersion::Debian() : RecordedVersion(version, out));
        for (const RecordedStep& step : ReadRecordedSteps(Read(folder.filePath("steps")))) {
            if (step.kind == RecordedStep::Kind::Key) {
                QString error;
                for (const LoaderInput& key :
                    ParseLoaderKeys(step.argument, error).value_or(std::vector<LoaderInput> {}))
                    loader.Give(key);
            }
            if (step.kind != RecordedStep::Kind::Shot)
                continue;
            const std::optional<LoaderSim::Graphics> graphics = loader.GraphicalMenu();
            ASSERT_TRUE(graphics) << name.toStdString();
            EXPECT_EQ(ShotDifferences(
                          name, QImage(out.filePath(step.argument + ".png")), DrawLoaderMenu(*graphics, *rom).picture),
                0)
                << name.toStdString() << " " << step.argument.toStdString();
            ++shots;
        }
    }
    EXPECT_GE(shots, 32);
}

INSTANTIATE_TEST_SUITE_P(Recorded, VesaVersions, ::testing::Values("6.04", "3.84", "4.05", "6.02", "6.03"),
    [](const ::testing::TestParamInfo<std::string>& version) {
        std::string name = "v" + version.param;
        std::replace(name.begin(), name.end(), '.', '_');
        return name;
    });

// Our PNG reader gives what Qt's does, for the formats QImage writes and for
// every picture of the recordings; other bytes are refused.
TEST(VesaPixelsTest, ReadsPngsAsQtDoes)
{
    QImage source(37, 11, QImage::Format_ARGB32);
    for (int y = 0; y < source.height(); ++y) {
        for (int x = 0; x < source.width(); ++x)
            source.setPixel(x, y, qRgba(x * 7, y * 23, (x * y) % 256, 128 + x));
    }
    std::vector<QImage> images;
    for (const QImage::Format format : { QImage::Format_ARGB32, QImage::Format_RGB32, QImage::Format_Grayscale8,
             QImage::Format_Indexed8, QImage::Format_Mono, QImage::Format_RGB888 })
        images.push_back(source.convertToFormat(format));
    // Few levels at random: the filters' ties (Paeth's above all) happen.
    QImage noisy(64, 32, QImage::Format_RGB32);
    std::mt19937 random(7);
    for (int y = 0; y < noisy.height(); ++y) {
        for (int x = 0; x < noisy.width(); ++x)
            noisy.setPixel(x, y, qRgb(static_cast<int>(random() % 3), static_cast<int>(random() % 2) * 9, 200));
    }
    images.push_back(noisy);
    images.push_back(noisy.convertToFormat(QImage::Format_Grayscale8));
    for (const char* name : { "v02_bg_flat_png/iso/isolinux/flat.png", "v03_bg_pattern_defaults/iso/isolinux/pat.png",
             "v05_bg_png_800x600/iso/isolinux/big.png" })
        images.push_back(QImage(Case("cases/") + name));
    for (const QImage& image : images) {
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        ASSERT_TRUE(image.save(&buffer, "PNG"));
        const std::optional<Picture> read = DecodePng(png);
        ASSERT_TRUE(read) << image.format();
        const QImage expected = QImage::fromData(png).convertToFormat(QImage::Format_RGB32);
        ASSERT_EQ(QSize(read->width, read->height), expected.size());
        int differing = 0;
        for (int y = 0; y < expected.height(); ++y) {
            for (int x = 0; x < expected.width(); ++x)
                differing += (expected.pixel(x, y) & 0xFFFFFF) != read->At(x, y);
        }
        EXPECT_EQ(differing, 0) << image.format();
        EXPECT_FALSE(DecodePng(png.left(png.size() / 2))) << "cut short";
    }
    EXPECT_FALSE(DecodePng("GIF89a"));
}

// Without SeaBIOS the menu is drawn in the VGA face's 8-dot glyphs, and a
// note says so; a background file that is not there leaves the screen black.
TEST(VesaPixelsTest, Fallbacks)
{
    QString note;
    const std::optional<Font> font = MenuFont(note, QStringLiteral("/nonexistent/vgabios-stdvga.bin"));
    if (BuiltInGlyphTable(VgaDots::Eight)) {
        ASSERT_TRUE(font);
        EXPECT_EQ(font->height, 16);
        EXPECT_EQ(font->rows[0xDB * 16 + 8], 0xFF) << "the full block";
        EXPECT_TRUE(note.contains("seabios")) << note.toStdString();
    } else {
        EXPECT_FALSE(font);
    }
    const BootFiles files = BootFiles::ForConfiguration(Case("cases/v01_nobg_default/iso/isolinux/isolinux.cfg"));
    const PictureDecoder decode = [](QByteArrayView bytes) { return ReadBackground(bytes, 4, 2).screen; };
    EXPECT_EQ(MenuBackground("gone.png", files, "/isolinux", 640, 480, decode), Picture(640, 480));
    EXPECT_EQ(MenuBackground("#80336699", files, "/isolinux", 4, 2, decode), Picture(4, 2, 0x336699));
    EXPECT_EQ(MenuBackground("isolinux.cfg", files, "/isolinux", 4, 2, decode), Picture(4, 2)) << "not a picture";
}

// FONT's row height sets the grid's rows (33 of 14 rows in 480 - 16 pixels),
// and "*" in MENU COLOR keeps a colour as it was.
TEST(VesaPixelsTest, FontHeightAndKeptColours)
{
    QTemporaryDir tree;
    const auto write = [&](const char* name, const QByteArray& bytes) {
        QDir().mkpath(tree.filePath("isolinux"));
        QFile file(tree.filePath(QStringLiteral("isolinux/") + name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    };
    write("vesamenu.c32",
        "\x7f"
        "ELF");
    write("short.psf", QByteArray("\x36\x04\x00\x0e", 4) + QByteArray(256 * 14, '\x18'));
    write("isolinux.cfg",
        "UI vesamenu.c32\nFONT short.psf\nMENU COLOR sel 7 * #ff112233 rev\nMENU COLOR unsel 7 #40102030 *\n"
        "LABEL a\n");
    FixedCellMeasurer measurer;
    TColorConsole console(measurer);
    LoaderSim loader(
        console, BootFiles::ForConfiguration(tree.filePath("isolinux/isolinux.cfg")), LoaderSim::Start::Blank);
    const std::optional<LoaderSim::Graphics> graphics = loader.GraphicalMenu();
    ASSERT_TRUE(graphics);
    EXPECT_EQ(graphics->rows, 33);
    EXPECT_EQ(graphics->cols, 78);
    ASSERT_TRUE(graphics->font);
    EXPECT_EQ(graphics->font->height, 14);
    const MenuColours& colours = graphics->colours;
    EXPECT_EQ(colours[5].foreground, 0xE0000000u) << "sel keeps its foreground";
    EXPECT_EQ(colours[5].background, 0xFF112233u);
    EXPECT_EQ(colours[5].shadow, Shadow::Rev);
    EXPECT_EQ(colours[3].foreground, 0x40102030u);
    EXPECT_EQ(colours[3].shadow, Shadow::Std) << "unsel keeps its shadow";
}
