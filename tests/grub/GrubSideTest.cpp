// The whole UEFI side made of real trees: everything grub.cfg and the
// themes name is among the files, every picture reads, and the folder is
// written whole or not at all.
#include "SharedMaterial.h"
#include "common/Exceptions.h"
#include "config/BootFiles.h"
#include "config/GrubConfig.h"
#include "format/Pf2Font.h"
#include "grub/GrubMenu.h"
#include "grub/GrubPictures.h"
#include "vesa/BackgroundFit.h"
#include "vesa/VesaMenu.h"
#include "vesa/VesaPixels.h"

#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

const GrubFile* Find(const GrubSideFiles& side, const QByteArray& path)
{
    for (const GrubFile& file : side.files) {
        if (file.path == path)
            return &file;
    }
    return nullptr;
}

// What a text names under GRUB's folder: $prefix/… in grub.cfg, and a
// theme's pictures beside it (a pixmap style's * for its slices: GRUB
// draws those there are, so one at least).
std::vector<QByteArray> Named(const GrubFile& file)
{
    std::vector<QByteArray> names;
    const QString text = QString::fromUtf8(file.bytes);
    if (file.path == "grub.cfg") {
        for (const auto& match : QRegularExpression(QStringLiteral("\\$prefix/([^\\s'\"]+)")).globalMatch(text))
            names.push_back(match.captured(1).toUtf8());
        return names;
    }
    const QByteArray folder = file.path.left(file.path.lastIndexOf('/') + 1);
    static const QRegularExpression picture(QStringLiteral("(?:desktop-image|pixmap_style)\\s*[:=]\\s*\"([^\"]+)\""));
    for (const auto& match : picture.globalMatch(text)) {
        names.push_back(folder + match.captured(1).toUtf8());
    }
    return names;
}

TEST(GrubSide, EveryNamedFileIsMadeAndEveryPictureReads)
{
    const QDir cases = SharedFolder("boottruth/project/vesa/cases");
    REQUIRE_SHARED(cases.exists(), "boottruth/project/vesa/cases");
    int themes = 0;
    for (const QString& name : cases.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        SCOPED_TRACE(name.toStdString());
        const BootFiles files
            = BootFiles::ForConfiguration(cases.filePath(name + QStringLiteral("/iso/isolinux/isolinux.cfg")));
        const GrubSideFiles side = MakeGrubSide(files);
        const GrubFile* config = Find(side, "grub.cfg");
        ASSERT_NE(config, nullptr);
        const GrubConfig read = ReadGrubConfig(config->bytes);
        EXPECT_FALSE(read.error) << read.error->message.toStdString();
        EXPECT_FALSE(read.items.empty());
        for (const GrubFile& file : side.files) {
            themes += file.path.endsWith("theme.txt");
            for (const QByteArray& named : Named(file)) {
                bool found = false;
                for (const char* slice : { "nw", "n", "ne", "w", "c", "e", "sw", "s", "se" })
                    found = found || Find(side, QByteArray(named).replace('*', slice));
                EXPECT_TRUE(found) << file.path.toStdString() << " names " << named.toStdString();
            }
            if (file.path.endsWith(".png")) {
                EXPECT_TRUE(Vesa::DecodePng(file.bytes)) << file.path.toStdString();
            }
        }
    }
    EXPECT_GE(themes, 15);
}

TEST(GrubSide, TheFolderIsWrittenWholeAndNothingIsReplaced)
{
    QTemporaryDir root;
    const std::vector<GrubFile> files { { "grub.cfg", "set timeout=5\n" }, { "glimra/menu1/theme.txt", "x" } };
    const QString target = root.filePath(QStringLiteral("grub"));
    WriteGrubFolder(files, target);
    QFile made(target + QStringLiteral("/glimra/menu1/theme.txt"));
    ASSERT_TRUE(made.open(QIODevice::ReadOnly));
    EXPECT_EQ(made.readAll(), "x");
    // A folder that holds files, a file, a path out of the folder: refused, and nothing beside.
    EXPECT_THROW(WriteGrubFolder(files, target), Exception);
    QFile(root.filePath(QStringLiteral("file"))).open(QIODevice::WriteOnly);
    EXPECT_THROW(WriteGrubFolder(files, root.filePath(QStringLiteral("file"))), Exception);
    EXPECT_THROW(WriteGrubFolder({ { "../out", "x" } }, root.filePath(QStringLiteral("new"))), Exception);
    EXPECT_EQ(QDir(root.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
        QStringList({ QStringLiteral("file"), QStringLiteral("grub") }));
}

}

// What the side keeps for the next time is found again only by the whole of
// what made it: a pixel, a size, a picture's bytes or a font's dots apart
// give a new answer, each the one making it anew gives.
TEST(GrubSide, KeptPiecesAreThoseMadeAnew)
{
    Vesa::Picture wide(2, 1, 0x123456), tall(1, 2, 0x123456), other = wide;
    other.pixels.back() = 0x123457;
    for (const Vesa::Picture* picture : { &wide, &tall, &other, &wide })
        EXPECT_EQ(GrubPictures::RgbPng(*picture), Vesa::WriteRgbPng(*picture));
    EXPECT_NE(GrubPictures::RgbPng(wide), GrubPictures::RgbPng(tall));

    const QByteArray one = Vesa::WriteRgbPng(Vesa::Picture(4, 4, 0xff0000));
    const QByteArray two = Vesa::WriteRgbPng(Vesa::Picture(4, 4, 0x00ff00));
    for (const auto& [bytes, width] : { std::pair(one, 640), std::pair(two, 640), std::pair(one, 800) }) {
        const Vesa::Background kept = GrubPictures::Background(bytes, width, 480);
        const Vesa::Background made = Vesa::ReadBackground(bytes, width, 480);
        EXPECT_EQ(kept.screen.width, width);
        EXPECT_EQ(kept.screen.pixels, made.screen.pixels) << width;
    }

    PcFont font = Vesa::BiosFont().value_or(PcFont { 16, std::vector<std::uint8_t>(256 * 16) });
    const QByteArray first = GrubPictures::Pf2(font, "Glimra VGA");
    font.rows['A' * 16 + 3] ^= 0x81;
    EXPECT_EQ(GrubPictures::Pf2(font, "Glimra VGA"), WritePf2(Pf2FromPcFont(font, "Glimra VGA")));
    EXPECT_NE(GrubPictures::Pf2(font, "Glimra VGA"), first);
    EXPECT_NE(GrubPictures::Pf2(font, "Other"), GrubPictures::Pf2(font, "Glimra VGA"));
}

// A background the module cannot read is black on both sides: the side is
// made whole, its desktop picture reads, and the note names the file.
TEST(GrubSide, ABackgroundNobodyReadsIsSaid)
{
    QTemporaryDir tree;
    QDir().mkpath(tree.filePath("isolinux"));
    QFile config(tree.filePath("isolinux/isolinux.cfg")), picture(tree.filePath("isolinux/broken.png"));
    ASSERT_TRUE(config.open(QIODevice::WriteOnly) && picture.open(QIODevice::WriteOnly));
    config.write("UI vesamenu.c32\nMENU BACKGROUND broken.png\nLABEL a\n KERNEL vmlinuz\n");
    picture.write("\x89PNG\r\n\x1a\n not a picture");
    config.close();
    picture.close();
    const GrubSideFiles side = MakeGrubSide(BootFiles::ForConfiguration(config.fileName()));
    const GrubFile* desktop = Find(side, "glimra/menu1/desktop.png");
    ASSERT_NE(desktop, nullptr);
    const std::optional<Vesa::Picture> drawn = Vesa::DecodePng(desktop->bytes);
    ASSERT_TRUE(drawn);
    EXPECT_EQ(drawn->At(2, 470), 0u) << "black where the picture would be";
    EXPECT_TRUE(side.notes.join(' ').contains("MENU BACKGROUND broken.png")) << side.notes.join('\n').toStdString();
}
