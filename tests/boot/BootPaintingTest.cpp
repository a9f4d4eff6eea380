// Boot mode's painting against QEMU's picture of the real screen, pixel for
// pixel in the VGA font, compared by colour level (QEMU's levels are not
// quite the usual 00/55/AA/FF).
#include "SharedMaterial.h"
#include "boot/BootRendering.h"
#include "console/ColorConsole.h"
#include "console/ConsoleSinks.h"
#include "console/qt/QtFonts.h"
#include "format/Palette.h"
#include "preview/PreviewConsole.h"
#include "preview/Rendering.h"
#include "preview/ScreenImage.h"
#include "preview/ScreenSnapshot.h"
#include "render/ScreenPng.h"

#include <QFile>
#include <QImage>

#include <random>

namespace {

// Glyphs that QEMU's BIOS font draws otherwise than IBM's.
constexpr std::uint8_t VariantGlyphs[]
    = { 0xB0, 0xB1, 0xB2, 0xE0, 0xE2, 0xE3, 0xE4, 0xE5, 0xE7, 0xE8, 0xE9, 0xEA, 0xED, 0xEE };

int Level(int channel) { return (channel + 42) / 85; }

bool SameLevels(QRgb a, QRgb b)
{
    return Level(qRed(a)) == Level(qRed(b)) && Level(qGreen(a)) == Level(qGreen(b))
        && Level(qBlue(a)) == Level(qBlue(b));
}

// Cells whose pixels are not compared: the prompt and the cursor after it,
// blinking cells and the variant glyphs.
bool Masked(const TColorConsole& console, int column, int row)
{
    const CellPair cursor = console.Cursor();
    if (row == cursor.y && column >= cursor.x - 6 && column <= cursor.x)
        return true;
    const auto byte = static_cast<std::uint8_t>(console.CharAt(column, row));
    const bool blinking = PaletteDigitOf(console.CellAttr(column, row).BkColor()).value_or(0) >= 8;
    return blinking || std::find(std::begin(VariantGlyphs), std::end(VariantGlyphs), byte) != std::end(VariantGlyphs);
}

}

TEST(BootPainting, PaintsWhatQemuShowedOfTheRealScreen)
{
    REQUIRE_SHARED(HasVgaFace(), "the VGA font (Debian's fonts-pc)");
    const QStringList files = { "probes/bright_bg.msg", "probes/clear_colour.msg", "probes/so_table.msg",
        "probes/high_bytes.msg", "probes/col80.msg", "corpus/knoppix761__f2", "corpus/dsl__f2" };
    const QDir truth = SharedFolder("boottruth");
    for (const QString& name : files) {
        SCOPED_TRACE(name.toStdString());
        const bool probe = name.startsWith(u"probes/");
        QFile file(probe ? truth.filePath(name) : SharedFolder("corpus").filePath(name.mid(7)));
        REQUIRE_SHARED(file.open(QIODevice::ReadOnly), file.fileName().toStdString());
        const QImage recorded(truth.filePath(probe ? name + ".png" : "corpus/" + name.mid(7) + ".png"));
        ASSERT_FALSE(recorded.isNull());

        QtFontMeasurer measurer;
        TColorConsole console(measurer);
        SetPreviewFont(console.Font());
        console.RemeasureFont();
        RenderBootScreen(console, file.readAll(), { .prompt = true });
        const QImage painted = PaintScreen(console, BlinkPhase::Bright);
        ASSERT_EQ(painted.size(), recorded.size());

        int differing = 0;
        for (int y = 0; y < painted.height(); ++y) {
            for (int x = 0; x < painted.width(); ++x) {
                if (!Masked(console, x / 9, y / 16) && !SameLevels(painted.pixel(x, y), recorded.pixel(x, y)))
                    ++differing;
            }
        }
        EXPECT_EQ(differing, 0);
    }
}

// The glyph table's picture is the console's painting, pixel for pixel: in
// both modes, both cell widths and every blink phase, for every shared file
// and for random bytes.
TEST(BootPainting, TheGlyphTablesPictureIsThePaintedOne)
{
    if (!BuiltInGlyphTable(VgaDots::Nine))
        GTEST_SKIP() << "built without the VGA face";
    std::vector<QByteArray> texts;
    for (const QString& path : SharedDisplayFiles()) {
        QFile file(path);
        if (file.open(QIODevice::ReadOnly))
            texts.push_back(file.readAll());
    }
    REQUIRE_SHARED(!texts.empty(), "shared display files");
    std::mt19937 random(8122026);
    for (int round = 0; round < 20; ++round) {
        QByteArray bytes(600, '\0');
        for (char& byte : bytes)
            byte = static_cast<char>(random() % 7 == 0 ? "\x0f\n\r\x0c"[random() % 4] : random() % 256);
        texts.push_back(bytes);
    }
    const BlinkPhase phases[] = { BlinkPhase::Bright, BlinkPhase::Shown, BlinkPhase::Hidden };
    for (std::size_t i = 0; i < texts.size(); ++i) {
        for (const VgaDots dots : { VgaDots::Nine, VgaDots::Eight }) {
            PreviewScreen<QtFontMeasurer> preview(dots);
            preview.console.RemeasureFont();
            const bool boot = i % 2 == 0;
            if (boot) {
                RenderBootScreen(preview.console, texts[i], { .prompt = true });
            } else {
                ConsoleSink sink(preview.console);
                RenderDisplayFile(preview.console, texts[i], sink);
            }
            const BlinkPhase blink = phases[i % 3];
            const QImage painted = PaintScreen(preview.console, blink, dots).convertToFormat(QImage::Format_RGB32);
            const QImage composed = QImage::fromData(
                ScreenPng(ScreenSnapshot::Of(preview.console), *BuiltInGlyphTable(dots), blink), "PNG")
                                        .convertToFormat(QImage::Format_RGB32);
            ASSERT_EQ(composed, painted) << "text " << i << (dots == VgaDots::Nine ? ", 9 dots" : ", 8 dots");
        }
    }
}
