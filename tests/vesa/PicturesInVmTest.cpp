// Pictures judged by the real loader: each file is MENU BACKGROUND (or
// FONT) of a tree that glimra-render draws and boots in QEMU; the two
// pictures must be one, pixel for pixel. The files are the rules' edges:
// libpng's expansions, interlacing, damage, JPEG layouts and LSS16.
#include "PictureFiles.h"
#include "vm/VmTools.h"

#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

struct Tree {
    QByteArray background; // written as bg.<extension>
    const char* extension;
    QByteArray font; // a FONT file, when not empty
};

// The zlib stream's Adler-32, before the IDAT's CRC and IEND, off by a bit.
QByteArray BadChecksum(QByteArray png)
{
    const qsizetype crc = png.indexOf("IEND") - 8, idat = png.indexOf("IDAT");
    png[crc - 1] = char(png[crc - 1] ^ 1);
    return png.replace(crc, 4, Crc(QByteArrayView(png).sliced(idat, crc - idat)));
}

QByteArray PsfFont(bool gzipped)
{
    QByteArray font("\x36\x04\x00\x10", 4);
    for (int i = 0; i < 256 * 16; ++i)
        font += char(i % 16 < 8 ? 0x81 : 0x3c);
    QProcess gzip;
    gzip.start(QStringLiteral("gzip"), { QStringLiteral("-c") });
    gzip.write(font);
    gzip.closeWriteChannel();
    gzip.waitForFinished();
    return gzipped ? gzip.readAllStandardOutput() : font;
}

const PngKind Pngs[] = {
    { "png_grey4", PNG_COLOR_TYPE_GRAY, 4 },
    { "png_grey2_interlaced", PNG_COLOR_TYPE_GRAY, 2, true },
    { "png_grey16_trns", PNG_COLOR_TYPE_GRAY, 16, false, true },
    { "png_rgb16_trns", PNG_COLOR_TYPE_RGB, 16, false, true },
    { "png_palette4_trns", PNG_COLOR_TYPE_PALETTE, 4, false, true },
    { "png_rgba16_interlaced", PNG_COLOR_TYPE_RGB_ALPHA, 16, true },
};
const char* const Others[] = { "png_cut_short", "png_bad_checksum", "jpeg_1x1_restarts", "lss16_cut_short",
    "lss16_too_wide", "font_psf1", "font_gzipped" };

Tree Make(const std::string& name)
{
    for (const PngKind& kind : Pngs) {
        if (name == kind.name)
            return { WritePng(kind), "png", {} };
    }
    const QByteArray tall = WritePng({ "", PNG_COLOR_TYPE_RGB, 8, false, false, 64, 200 });
    if (name == "png_cut_short" || name == "png_bad_checksum")
        return { name == "png_cut_short" ? tall.left(tall.size() / 2) : BadChecksum(tall), "png", {} };
    if (name == "jpeg_1x1_restarts")
        return { ReadFile(RecordedJpegs()[0].first), "jpg", {} };
    if (name.starts_with("lss16"))
        return { name == "lss16_cut_short" ? Lss16(64, 200, 40) : Lss16(641, 8), "lss", {} };
    return { {}, "", PsfFont(name == "font_gzipped") };
}

QImage Render(const QString& config, const QStringList& mode, const QString& output)
{
    QProcess render;
    render.start(QStringLiteral(GLIMRA_RENDER_PATH),
        mode + QStringList { "--config", config, "--format", "png", "--output", output });
    render.waitForFinished(120000);
    EXPECT_EQ(render.exitCode(), 0) << mode.join(' ').toStdString() << ": " << render.readAllStandardError().data();
    return QImage(output).convertToFormat(QImage::Format_RGB32);
}

class PicturesInVm : public ::testing::TestWithParam<std::string> { };

}

TEST_P(PicturesInVm, DrawnAsTheMachineShowsThem)
{
    try {
        FindVmTools();
    } catch (const EVmError& missing) {
        if (qgetenv("CI") == "true")
            FAIL() << missing.what();
        GTEST_SKIP() << missing.what();
    }
    const QDir debian(QStringLiteral("/usr/lib/syslinux/modules/bios"));
    if (!debian.exists("vesamenu.c32"))
        GTEST_SKIP() << "Debian's syslinux-common is not installed";
    const Tree tree = Make(GetParam());
    QTemporaryDir folder;
    const QDir isolinux(folder.filePath(QStringLiteral("iso/isolinux")));
    ASSERT_TRUE(QDir().mkpath(isolinux.path()));
    for (const char* module : { "vesamenu.c32", "libcom32.c32", "libutil.c32" })
        ASSERT_TRUE(QFile::copy(debian.filePath(module), isolinux.filePath(module)));
    QByteArray config = "UI vesamenu.c32\nMENU TITLE Pictures\nLABEL one\n  KERNEL vmlinuz\n";
    const auto write = [&](const QString& name, const QByteArray& bytes) {
        QFile file(isolinux.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    };
    if (!tree.background.isEmpty()) {
        write(QStringLiteral("bg.") + tree.extension, tree.background);
        config += QByteArray("MENU BACKGROUND bg.") + tree.extension + '\n';
    }
    if (!tree.font.isEmpty()) {
        write(QStringLiteral("font.psf"), tree.font);
        config += "FONT font.psf\n";
    }
    write(QStringLiteral("isolinux.cfg"), config);
    const QString cfg = isolinux.filePath(QStringLiteral("isolinux.cfg"));
    const QImage ours = Render(cfg, {}, folder.filePath(QStringLiteral("ours.png")));
    const QImage real = Render(cfg, { "--mode", "vm" }, folder.filePath(QStringLiteral("real.png")));
    ASSERT_EQ(ours.size(), real.size());
    int differing = 0;
    for (int y = 0; y < real.height(); ++y) {
        for (int x = 0; x < real.width(); ++x)
            differing += ours.pixel(x, y) != real.pixel(x, y);
    }
    EXPECT_EQ(differing, 0);
}

INSTANTIATE_TEST_SUITE_P(Edges, PicturesInVm, ::testing::ValuesIn([] {
    std::vector<std::string> names(std::begin(Others), std::end(Others));
    for (const PngKind& kind : Pngs)
        names.emplace_back(kind.name);
    return names;
}()),
    [](const ::testing::TestParamInfo<std::string>& edge) { return edge.param; });
