// Pictures judged by the real loader: each file is MENU BACKGROUND (or
// FONT) of a tree that glimra-render draws and boots in QEMU; the two
// pictures must be one, pixel for pixel. The files are the rules' edges:
// libpng's expansions, interlacing, damage, JPEG layouts and LSS16.
#include "PictureFiles.h"
#include "vm/VmTools.h"

#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <map>

namespace {

struct Tree {
    QByteArray background; // written as bg.<extension>
    const char* extension;
    QByteArray font; // a FONT file, when not empty
};

QByteArray BadChecksum(QByteArray png)
{
    // The zlib stream's Adler-32 sits before the IDAT's CRC and IEND.
    const qsizetype crc = png.indexOf("IEND") - 8;
    png[crc - 1] = char(png[crc - 1] ^ 1);
    const qsizetype idat = png.indexOf("IDAT");
    return png.replace(crc, 4, Crc(QByteArrayView(png).sliced(idat, crc - idat)));
}

QByteArray PsfFont()
{
    QByteArray font("\x36\x04\x00\x10", 4);
    for (int i = 0; i < 256 * 16; ++i)
        font += char(i % 16 < 8 ? 0x81 : 0x3c);
    return font;
}

QByteArray Gzip(const QByteArray& bytes)
{
    z_stream stream {};
    deflateInit2(&stream, 9, Z_DEFLATED, 16 + MAX_WBITS, 9, Z_DEFAULT_STRATEGY);
    QByteArray out(int(deflateBound(&stream, uLong(bytes.size()))) + 32, '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data()));
    stream.avail_in = uInt(bytes.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = uInt(out.size());
    deflate(&stream, Z_FINISH);
    deflateEnd(&stream);
    return out.left(qsizetype(stream.total_out));
}

const std::map<std::string, std::function<Tree()>>& Cases()
{
    static const std::map<std::string, std::function<Tree()>> cases = {
        { "png_grey4",
            [] {
                return Tree { WritePng({ "", PNG_COLOR_TYPE_GRAY, 4 }), "png", {} };
            } },
        { "png_grey2_interlaced",
            [] {
                return Tree { WritePng({ "", PNG_COLOR_TYPE_GRAY, 2, true }), "png", {} };
            } },
        { "png_grey16_trns",
            [] {
                return Tree { WritePng({ "", PNG_COLOR_TYPE_GRAY, 16, false, true }), "png", {} };
            } },
        { "png_grey_alpha16",
            [] {
                return Tree { WritePng({ "", PNG_COLOR_TYPE_GRAY_ALPHA, 16 }), "png", {} };
            } },
        { "png_rgb16_trns",
            [] {
                return Tree { WritePng({ "", PNG_COLOR_TYPE_RGB, 16, false, true }), "png", {} };
            } },
        { "png_palette4_trns",
            [] {
                return Tree { WritePng({ "", PNG_COLOR_TYPE_PALETTE, 4, false, true }), "png", {} };
            } },
        { "png_rgba16_interlaced",
            [] {
                return Tree { WritePng({ "", PNG_COLOR_TYPE_RGB_ALPHA, 16, true }), "png", {} };
            } },
        { "png_cut_short",
            [] {
                const QByteArray png = WritePng({ "", PNG_COLOR_TYPE_RGB, 8, false, false, 64, 200 });
                return Tree { png.left(png.size() / 2), "png", {} };
            } },
        { "png_bad_checksum",
            [] {
                return Tree { BadChecksum(WritePng({ "", PNG_COLOR_TYPE_RGB, 8 })), "png", {} };
            } },
        { "jpeg_qt_420",
            [] {
                return Tree { QtJpeg(QImage::Format_RGB32, 45, 29), "jpg", {} };
            } },
        { "jpeg_1x1_restarts",
            [] {
                return Tree { ReadFile(RecordedJpegs()[0].first), "jpg", {} };
            } },
        { "lss16_cut_short",
            [] {
                return Tree { Lss16(64, 200, 40), "lss", {} };
            } },
        { "lss16_too_wide",
            [] {
                return Tree { Lss16(641, 8), "lss", {} };
            } },
        { "font_psf1",
            [] {
                return Tree { {}, "", PsfFont() };
            } },
        { "font_gzipped",
            [] {
                return Tree { {}, "", Gzip(PsfFont()) };
            } },
    };
    return cases;
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
    const Tree tree = Cases().at(GetParam())();
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
    std::vector<std::string> names;
    for (const auto& [name, make] : Cases())
        names.push_back(name);
    return names;
}()),
    [](const ::testing::TestParamInfo<std::string>& edge) { return edge.param; });
