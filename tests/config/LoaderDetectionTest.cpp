// Which build a tree ships, from the loader files of real trees and from
// bytes that only look like one.
#include "config/LoaderDetection.h"
#include "FileTree.h"
#include "SharedMaterial.h"
#include "common/Limits.h"

namespace {

QByteArray Bytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}

// Each build's own file says its version, banner and copyright as it prints them.
TEST(LoaderDetectionTest, RealLoaderFilesSayTheirBuild)
{
    const QDir bin = SharedFolder("boottruth/versions/bin");
    REQUIRE_SHARED(bin.exists(), bin.path().toStdString());
    struct Row {
        const char* file; // under versions/bin, or absolute
        const char* name;
        const char* banner;
        const char* years;
    };
    const Row rows[] = {
        { "3.84/isolinux.bin", "3.84", "ISOLINUX 3.84 2009-12-18", "1994-2009" },
        { "3.84/evidence/pxelinux.0", "3.84", "PXELINUX 3.84 2009-12-18", "1994-2009" },
        { "4.05/isolinux.bin", "4.05", "ISOLINUX 4.05 0x581e199a", "1994-2011" }, // a CentOS build's date
        { "4.07/isolinux.bin", "4.07", "ISOLINUX 4.07 2013-07-25", "1994-2013" },
        { "6.02/isolinux.bin", "6.02", "ISOLINUX 6.02 ", "1994-2013" }, // built without a date
        { "6.02/ldlinux.c32", "6.02", "ISOLINUX 6.02 ", "1994-2013" }, // by its size
        { "6.03/isolinux.bin", "6.03", "ISOLINUX 6.03 2014-10-06", "1994-2014" },
        { "6.03/ldlinux.c32", "6.03", "ISOLINUX 6.03 2014-10-06", "1994-2014" },
        { "/usr/lib/ISOLINUX/isolinux.bin", "6.04", "ISOLINUX 6.04 20200816", "1994-2015" },
        { "/usr/lib/PXELINUX/pxelinux.0", "6.04", "PXELINUX 6.04 PXE 20200816", "1994-2015" },
        { "/usr/lib/syslinux/modules/bios/ldlinux.c32", "6.04", "ISOLINUX 6.04 20200816", "1994-2015" },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.file);
        const QString path = row.file[0] == '/' ? QString::fromLatin1(row.file) : bin.filePath(row.file);
        const QByteArray imagePath = "/isolinux/" + QFileInfo(path).fileName().toLatin1();
        const std::optional<LoaderVersion> version = LoaderVersionOfFile(Bytes(path), imagePath);
        ASSERT_TRUE(version);
        EXPECT_EQ(version->Name(), QString::fromLatin1(row.name));
        EXPECT_EQ(version->banner, row.banner);
        EXPECT_EQ(version->copyright, QByteArray("Copyright (C) ") + row.years + " H. Peter Anvin et al");
        EXPECT_EQ(version->origin, LoaderVersion::Origin::Tree);
        EXPECT_EQ(version->file, imagePath);
    }
}

// Bytes that are no loader's say nothing, however close they come.
TEST(LoaderDetectionTest, BytesWithoutAReleaseSayNothing)
{
    const QByteArray elf("\x7f"
                         "ELF\x01\x01\x01",
        7);
    struct Row {
        const char* what;
        QByteArray bytes;
        const char* name; // the file it is read as
        const char* found; // the version, or nothing
    };
    const Row rows[] = {
        { "empty", {}, "isolinux.bin", nullptr },
        { "no string", QByteArray(4096, '\x90'), "isolinux.bin", nullptr },
        { "cut in the release", "\r\nISOLINUX 6.0", "isolinux.bin", nullptr },
        { "one digit minor", "ISOLINUX 6.4 x", "isolinux.bin", nullptr },
        { "word without release", "ISOLINUX: boot failed ISOLINUX 4.05 \0", "isolinux.bin", "4.05" },
        { "no copyright: the build's", QByteArray("ISOLINUX 3.84 x \0", 17), "isolinux.bin", "3.84" },
        { "ELF of an unknown size", elf + QByteArray(1000, '\0'), "ldlinux.c32", nullptr },
        { "a known size, not ELF", QByteArray(122308, '\0'), "ldlinux.c32", nullptr },
        { "a known size as isolinux.bin", elf + QByteArray(122308 - 7, '\0'), "isolinux.bin", nullptr },
        { "a known size", elf + QByteArray(122308 - 7, '\0'), "LDLINUX.C32", "6.03" },
        { "a banner past the bound", QByteArray(Limits::LoaderFileBytes, '\0') + "ISOLINUX 6.03 x", "isolinux.bin",
            nullptr },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        const std::optional<LoaderVersion> version = LoaderVersionOfFile(row.bytes, QByteArray("/") + row.name);
        ASSERT_EQ(version.has_value(), row.found != nullptr);
        if (version) {
            EXPECT_EQ(version->Name(), QString::fromLatin1(row.found));
            EXPECT_TRUE(version->copyright.startsWith("Copyright (C) 1994-20"));
        }
    }
}

// Where the loader is looked for: beside the configuration first, then
// the usual folders; a file that says nothing, or is too large to be a
// loader, is named and the next one asked; none at all is Debian's.
TEST(LoaderDetectionTest, TheTreesLoaderIsFoundWhereTheLoaderWouldBe)
{
    const QByteArray iso405 = QByteArray("\r\nISOLINUX 4.05 2011-12-09 \0 Copyright (C) 1994-2011 H. Peter Anvin", 67);
    const QByteArray pxe384 = QByteArray("PXELINUX 3.84 2009-12-18 \0", 26);
    const QByteArray sys603 = QByteArray("SYSLINUX 6.03 2014-10-06 \0", 26);
    struct Row {
        const char* config;
        std::vector<std::pair<const char*, QByteArray>> files;
        const char* name; // nullptr: Debian's
        const char* file;
        int notes = 0;
    };
    const std::vector<Row> rows = {
        { "isolinux/isolinux.cfg", {}, nullptr, "" },
        { "isolinux/isolinux.cfg", { { "isolinux/isolinux.bin", iso405 } }, "4.05", "/isolinux/isolinux.bin" },
        { "boot/isolinux/isolinux.cfg",
            { { "isolinux/isolinux.bin", pxe384 }, { "boot/isolinux/isolinux.bin", iso405 } }, "4.05",
            "/boot/isolinux/isolinux.bin" },
        { "pxelinux.cfg/default", { { "pxelinux.0", pxe384 }, { "isolinux/isolinux.bin", iso405 } }, "3.84",
            "/pxelinux.0" },
        { "syslinux/syslinux.cfg", { { "syslinux/ldlinux.sys", sys603 } }, "6.03", "/syslinux/ldlinux.sys" },
        { "syslinux/syslinux.cfg", { { "isolinux/isolinux.bin", iso405 } }, "4.05", "/isolinux/isolinux.bin" },
        { "isolinux/isolinux.cfg", { { "isolinux/isolinux.bin", "junk" }, { "isolinux/ldlinux.sys", sys603 } }, "6.03",
            "/isolinux/ldlinux.sys", 1 },
        { "isolinux/isolinux.cfg",
            { { "isolinux/isolinux.bin", QByteArray(Limits::LoaderFileBytes + 1, 'x') + iso405 } }, nullptr, "", 1 },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.config);
        QTemporaryDir tree;
        const QString config = WriteInTree(tree, QString::fromLatin1(row.config), "DEFAULT x\n");
        for (const auto& [name, bytes] : row.files)
            WriteInTree(tree, QString::fromLatin1(name), bytes);
        const LoaderDetection found = DetectLoader(BootFiles::ForConfiguration(config));
        EXPECT_EQ(found.version.origin, row.name ? LoaderVersion::Origin::Tree : LoaderVersion::Origin::Default);
        EXPECT_EQ(found.version.Name(), QString::fromLatin1(row.name ? row.name : "6.04"));
        EXPECT_EQ(found.version.file, row.file);
        EXPECT_EQ(found.notes.size(), row.notes) << found.notes.join(u'\n').toStdString();
    }
}

TEST(LoaderDetectionTest, TheLoaderIsDescribedByWhereItCameFrom)
{
    LoaderVersion version = LoaderVersion::Known()[1];
    EXPECT_EQ(DescribeLoader(version), "ISOLINUX 4.05 (chosen for this tree)");
    version.origin = LoaderVersion::Origin::Tree;
    version.file = "/isolinux/isolinux.bin";
    EXPECT_EQ(DescribeLoader(version), "ISOLINUX 4.05 (the tree's /isolinux/isolinux.bin)");
    EXPECT_EQ(DescribeLoader(LoaderVersion::Debian()), "ISOLINUX 6.04 (Debian's: the tree ships no loader)");
}
