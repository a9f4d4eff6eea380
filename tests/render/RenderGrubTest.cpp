// glimra-render --firmware uefi: the GRUB side a tree's generator makes,
// played after the keys and written as JSON or PNG.
#include "render/cli/RenderGrub.h"
#include "vesa/VesaPixels.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

struct Rendered {
    int status = -1;
    QByteArray output;
};

Rendered Render(RenderArguments::Format format, const QString& keys, const GrubSide& side)
{
    QTemporaryDir folder;
    QFile config(folder.filePath(QStringLiteral("isolinux.cfg")));
    EXPECT_TRUE(config.open(QIODevice::WriteOnly));
    config.write("LABEL linux\n KERNEL /vmlinuz\n");
    config.close();
    RenderArguments arguments;
    arguments.firmware = RenderArguments::Firmware::Uefi;
    arguments.format = format;
    arguments.keys = keys;
    arguments.config = QFile::encodeName(config.fileName());
    arguments.output = QFile::encodeName(folder.filePath(QStringLiteral("out")));
    Rendered rendered;
    rendered.status = RenderGrub(arguments, BootFiles::ForConfiguration(config.fileName()), side);
    QFile out(folder.filePath(QStringLiteral("out")));
    if (out.open(QIODevice::ReadOnly))
        rendered.output = out.readAll();
    return rendered;
}

// A generator that makes one entry of each label it finds (here: the one).
std::vector<GrubFile> Side(const BootFiles& files)
{
    EXPECT_FALSE(files.ConfigPath().isEmpty()) << "the side is made of the tree played";
    return { { "grub.cfg",
        "set gfxmode=800x600\nset timeout=-1\nmenuentry 'linux' --id linux { linux /vmlinuz quiet }\n"
        "menuentry 'other' { linux /other }\n" } };
}

}

TEST(RenderGrubTest, JsonSaysWhatGrubDoes)
{
    Rendered rendered = Render(RenderArguments::Format::Json, QString(), Side);
    ASSERT_EQ(rendered.status, 0);
    QJsonObject json = QJsonDocument::fromJson(rendered.output).object();
    EXPECT_EQ(json[u"state"].toString(), "running");
    EXPECT_EQ(json[u"screen"].toString(), "menu");
    EXPECT_EQ(json[u"menu"][u"titles"].toArray(), (QJsonArray { "linux", "other" }));
    EXPECT_EQ(json[u"width"].toInt(), 800);

    rendered = Render(RenderArguments::Format::Json, QStringLiteral("down ret"), Side);
    json = QJsonDocument::fromJson(rendered.output).object();
    EXPECT_EQ(json[u"state"].toString(), "boot");
    EXPECT_EQ(json[u"boot"][u"linux"].toString(), "linux /other");

    rendered = Render(RenderArguments::Format::Json, QStringLiteral("c"), Side);
    json = QJsonDocument::fromJson(rendered.output).object();
    EXPECT_EQ(json[u"screen"].toString(), "command line");
    EXPECT_TRUE(json[u"text"].toArray().contains(QStringLiteral("grub>")));
}

TEST(RenderGrubTest, PngIsTheScreen)
{
    const Rendered rendered = Render(RenderArguments::Format::Png, QStringLiteral("e"), Side);
    ASSERT_EQ(rendered.status, 0);
    const std::optional<Vesa::Picture> picture = Vesa::DecodePng(rendered.output);
    ASSERT_TRUE(picture);
    EXPECT_EQ(std::pair(picture->width, picture->height), std::pair(800, 600));
}

// What GRUB's network stack says of the PXE client QEMU's network makes.
TEST(RenderGrubTest, NetworkVariables)
{
    const std::map<QByteArray, QByteArray> values = GrubNetworkValues(PxeClient());
    EXPECT_EQ(values.at("net_default_ip"), "10.0.2.15");
    EXPECT_EQ(values.at("net_default_mac"), "52:54:00:12:34:56");
    EXPECT_EQ(values.at("net_default_server"), "10.0.2.2");
}

TEST(RenderGrubTest, NoSideNoScreen)
{
    EXPECT_EQ(Render(RenderArguments::Format::Json, QString(), {}).status, 1);
    EXPECT_EQ(Render(RenderArguments::Format::Json, QString(),
                  [](const BootFiles&) {
                      return std::vector<GrubFile> { { "theme.txt", "" } };
                  })
                  .status,
        1)
        << "no grub.cfg";
}
