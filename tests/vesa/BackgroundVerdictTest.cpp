// Choosing a MENU BACKGROUND: what the loader will do with a picture, the
// fit that makes one it shows exactly (read back through our own readers),
// names the configuration cannot hold, and entries too faint to read.
#include "vesa/BackgroundVerdict.h"
#include "PictureFiles.h"
#include "SharedMaterial.h"
#include "config/BootFiles.h"
#include "vesa/BackgroundFit.h"
#include "vesa/VesaDecoders.h"

#include <QImageWriter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Vesa;
using Shown = PictureVerdict::Shown;
using Kind = PictureVerdict::Kind;

namespace {

QByteArray Png(int width, int height, int type = PNG_COLOR_TYPE_RGB)
{
    PngKind kind { "p", type, 8 };
    kind.width = width;
    kind.height = height;
    return WritePng(kind);
}

QByteArray Jpeg(QImage::Format format, bool progressive = false)
{
    QImage image(48, 32, QImage::Format_RGB32);
    image.fill(qRgb(200, 40, 90));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "JPEG");
    writer.setProgressiveScanWrite(progressive);
    writer.write(image.convertToFormat(format));
    return bytes;
}

// Qt's JPEG with its frame claiming four components, as a CMYK file does.
QByteArray FourComponentJpeg()
{
    QByteArray bytes = QtJpeg(QImage::Format_RGB32);
    bytes[bytes.indexOf("\xff\xc0") + 9] = 4;
    return bytes;
}

}

TEST(BackgroundVerdict, SaysWhatTheLoaderDoes)
{
    const QByteArray png = Png(640, 480);
    const struct Row {
        const char* what;
        QByteArray bytes;
        int width, height;
        bool tiles;
        Shown shown;
        Kind kind;
        const char* says; // in the message, or in the colours
    } rows[] = {
        { "PNG of the screen's size", png, 640, 480, true, Shown::Copied, Kind::Png, "shown as it is" },
        { "smaller PNG", Png(320, 240), 640, 480, true, Shown::Tiled, Kind::Png, "repeated" },
        { "smaller PNG before 4.00", Png(320, 240), 640, 480, false, Shown::TopLeft, Kind::Png, "repeats no" },
        { "larger PNG", Png(800, 600), 640, 480, true, Shown::Rejected, Kind::Png, "fit it to 640 x 480" },
        { "PNG at 800 x 600", Png(800, 600), 800, 600, true, Shown::Copied, Kind::Png, "the screen's size" },
        { "PNG with alpha", Png(640, 480, PNG_COLOR_TYPE_RGB_ALPHA), 640, 480, true, Shown::Copied, Kind::Png,
            "transparency is ignored" },
        { "PNG cut in its rows", png.left(png.size() / 2), 640, 480, true, Shown::Damaged, Kind::Png, "part way" },
        { "smaller LSS16", Lss16(320, 200), 640, 480, true, Shown::TopLeft, Kind::Lss16, "never repeated" },
        { "larger LSS16", Lss16(800, 600), 640, 480, true, Shown::Rejected, Kind::Lss16, "800 x 600" },
        { "baseline JPEG", QtJpeg(QImage::Format_RGB32), 640, 480, true, Shown::Tiled, Kind::Jpeg, "YCbCr 4:2:0" },
        { "greyscale JPEG", Jpeg(QImage::Format_Grayscale8), 640, 480, true, Shown::Rejected, Kind::Jpeg, "greyscale" },
        { "CMYK JPEG", FourComponentJpeg(), 640, 480, true, Shown::Rejected, Kind::Jpeg, "CMYK" },
        { "progressive JPEG", Jpeg(QImage::Format_RGB32, true), 640, 480, true, Shown::Rejected, Kind::Jpeg,
            "progressive" },
        { "text", "MENU TITLE not a picture\n", 640, 480, true, Shown::Rejected, Kind::None, "no PNG, JPEG" },
        { "no such video mode", png, 1000, 1000, true, Shown::TextScreen, Kind::Png, "text screen" },
    };
    for (const Row& row : rows) {
        const PictureVerdict verdict = BackgroundVerdict(row.bytes, row.width, row.height, row.tiles);
        EXPECT_EQ(verdict.shown, row.shown) << row.what << ": " << verdict.message.toStdString();
        EXPECT_EQ(verdict.kind, row.kind) << row.what;
        EXPECT_TRUE((verdict.message + verdict.colours).contains(QLatin1String(row.says)))
            << row.what << ": " << verdict.message.toStdString() << " / " << verdict.colours.toStdString();
    }
}

// Real trees' backgrounds: the verdict, and the top border of the screen
// the loader drew (it shows the raw background) as that verdict has it.
TEST(BackgroundVerdict, AgreesWithRecordedScreens)
{
    const QDir vesa = SharedFolder("boottruth/project/vesa");
    REQUIRE_SHARED(vesa.exists(), vesa.path().toStdString());
    const struct Row {
        const char* recording;
        const char* picture;
        int width, height;
        Shown shown;
    } rows[] = {
        { "v02_bg_flat_png", "flat.png", 640, 480, Shown::Copied },
        { "v03_bg_pattern_defaults", "pat.png", 640, 480, Shown::Copied },
        { "v04_bg_jpg", "pat.jpg", 640, 480, Shown::Copied },
        { "v05_bg_png_800x600", "big.png", 640, 480, Shown::Rejected },
        { "v07_bg_lss16_640", "splash.lss", 640, 480, Shown::Copied },
        { "v10_bg_jpg_320x240", "small.jpg", 640, 480, Shown::Tiled },
        { "v15_res800_bg800", "big.png", 800, 600, Shown::Copied },
    };
    for (const Row& row : rows) {
        const QByteArray bytes
            = ReadFile(vesa.filePath(QStringLiteral("cases/%1/iso/isolinux/%2").arg(row.recording, row.picture)));
        const PictureVerdict verdict = BackgroundVerdict(bytes, row.width, row.height);
        EXPECT_EQ(verdict.shown, row.shown) << row.recording << ": " << verdict.message.toStdString();
        const QImage shot(vesa.filePath(QStringLiteral("out/%1/00_initial.png").arg(row.recording)));
        ASSERT_EQ(shot.width(), row.width) << row.recording;
        const Picture own = ReadBackground(bytes, verdict.width, verdict.height).screen;
        for (int y = 0; y < 8; ++y) {
            for (int x = 0; x < row.width; ++x) {
                const bool inside = x < verdict.width && y < verdict.height;
                const Rgb expected = verdict.shown == Shown::Rejected ? 0
                    : verdict.shown == Shown::Tiled                   ? own.At(x % verdict.width, y % verdict.height)
                    : inside                                          ? own.At(x, y)
                                                                      : 0;
                ASSERT_EQ(shot.pixel(x, y) & 0xFFFFFF, expected) << row.recording << " at " << x << "," << y;
            }
        }
    }
}

TEST(BackgroundVerdict, CorpusSplashesAsVesamenuBackgrounds)
{
    const QDir images = SharedFolder("corpus/images");
    REQUIRE_SHARED(images.exists(), images.path().toStdString());
    const std::pair<const char*, Shown> rows[]
        = { { "lfs-livecd__splash.lss", Shown::Copied }, { "iss-sl5__splash.lss", Shown::TopLeft } };
    for (const auto& [name, shown] : rows)
        EXPECT_EQ(BackgroundVerdict(ReadFile(images.filePath(QLatin1String(name))), 640, 480).shown, shown) << name;
}

TEST(BackgroundName, RefusedBeforeItIsWritten)
{
    QTemporaryDir tree;
    QDir(tree.path()).mkpath(QStringLiteral("isolinux"));
    const BootFiles files(tree.path());
    const std::pair<QByteArray, const char*> rows[] = {
        { "splash.png", nullptr },
        { "/isolinux/pictures/splash.png", nullptr },
        { "../splash.png", nullptr }, // the image root, still inside
        { "my splash.png", "only \"my\"" },
        { "a\tb.png", "one word" },
        { QByteArray("a\x01.png"), "control character" },
        { "#ff000000", "as a colour" },
        { "../../etc/passwd", "outside the boot tree" },
        { "", "needs a name" },
    };
    for (const auto& [name, says] : rows) {
        const QString problem = BackgroundNameProblem(name, files, "/isolinux");
        if (!says)
            EXPECT_TRUE(problem.isEmpty()) << name.toStdString() << ": " << problem.toStdString();
        else
            EXPECT_TRUE(problem.contains(QLatin1String(says))) << name.toStdString() << ": " << problem.toStdString();
    }
}

namespace {

// Every glyph but the space a block of dots in rows 4-11, columns 0-3: a
// left half, which a mirrored reading of the dots misses.
Font BoxFont()
{
    Font font;
    font.rows.assign(256 * 16, 0);
    for (std::size_t glyph = 1; glyph < 256; ++glyph) {
        if (glyph != ' ')
            std::fill_n(font.rows.begin() + std::ptrdiff_t(glyph * 16 + 4), 8, std::uint8_t(0xF0));
    }
    return font;
}

// A 640 x 480 frame with "Boot" on grid row 3 in one colour and "Help" on
// row 5 in the title's colour, drawn over a picture whose left half is
// `left` and right half `right`.
struct Drawn {
    MenuFrame frame;
    Picture picture;
    Drawn(MenuColourName colour, Argb foreground, Rgb left, Rgb right, int column)
    {
        frame.width = 640, frame.height = 480, frame.cols = 78, frame.rows = 29;
        frame.cells.resize(78 * 29);
        const auto put = [&](int row, int at, const char* text, MenuColourName name) {
            for (int i = 0; text[i]; ++i)
                frame.cells[std::size_t(row * 78 + at + i)] = { std::uint8_t(text[i]), std::uint16_t(name) };
        };
        put(3, column, " Boot ", colour);
        put(5, column, "Help", MenuColourName::Title);
        const QByteArray line = QByteArray(MenuColourNames[std::size_t(colour)]) + " 0 #"
            + QByteArray::number(foreground, 16) + " #00000000 none";
        frame.colours.ReadColour(line.constData(), {});
        Picture background(640, 480, left);
        for (int y = 0; y < 480; ++y)
            std::fill(background.pixels.begin() + y * 640 + 320, background.pixels.begin() + y * 640 + 640, right);
        picture = Compose(background, MenuText(frame), BoxFont());
    }
};

}

TEST(BackgroundContrast, EntriesTooFaintOverThePicture)
{
    using Name = MenuColourName;
    const struct Row {
        const char* what;
        Name colour;
        Argb foreground;
        Rgb left, right;
        int column;
        int hard; // letters under 3:1, 0 for no finding
    } rows[] = {
        { "white on black", Name::Unsel, 0xFFFFFFFF, 0x000000, 0x000000, 10, 0 },
        { "white on white", Name::Unsel, 0xFFFFFFFF, 0xFFFFFF, 0xFFFFFF, 10, 4 },
        { "selected white on pale grey", Name::Sel, 0xFFFFFFFF, 0xC0C0C0, 0xC0C0C0, 10, 4 },
        { "hotkey dark blue on black", Name::Hotkey, 0xFF000080, 0x000000, 0x000000, 10, 4 },
        { "disabled grey on grey", Name::Disabled, 0xFF808080, 0x707070, 0x707070, 10, 4 },
        { "half over white", Name::Unsel, 0xFFFFFFFF, 0x000000, 0xFFFFFF, 36, 2 }, // "Bo" black, "ot" white
        { "translucent white on black", Name::Unsel, 0x40FFFFFF, 0x000000, 0x000000, 10, 0 },
        { "faint white on black", Name::Unsel, 0x10FFFFFF, 0x000000, 0x000000, 10, 4 },
    };
    for (const Row& row : rows) {
        const Drawn drawn(row.colour, row.foreground, row.left, row.right, row.column);
        const std::vector<ContrastFinding> found = ContrastFindings(drawn.frame, drawn.picture, BoxFont());
        ASSERT_EQ(found.size(), row.hard ? 1u : 0u) << row.what;
        if (!row.hard)
            continue;
        EXPECT_EQ(found[0].text, "Boot") << row.what;
        EXPECT_EQ(found[0].row, 3) << row.what;
        EXPECT_EQ(found[0].column, row.column) << row.what;
        EXPECT_EQ(found[0].hardLetters, row.hard) << row.what;
        EXPECT_EQ(found[0].letters, 4) << row.what;
        EXPECT_LT(found[0].ratio, ReadableContrast) << row.what;
    }
}

TEST(BackgroundContrast, RatioIsWcags)
{
    EXPECT_NEAR(ContrastRatio(RelativeLuminance(0xFFFFFF), RelativeLuminance(0x000000)), 21.0, 1e-9);
    EXPECT_NEAR(ContrastRatio(RelativeLuminance(0x777777), RelativeLuminance(0xFFFFFF)), 4.48, 0.01);
    EXPECT_NEAR(ContrastRatio(RelativeLuminance(0x0000FF), RelativeLuminance(0xFFFFFF)), 8.59, 0.01);
}
