#include "config/BootConfig.h"
#include "FileTree.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class BootConfigTest : public ::testing::Test {
protected:
    void Write(const QString& name, const QByteArray& bytes) { WriteInTree(tree, name, bytes); }
    BootConfig Read(const QString& name)
    {
        const BootFiles files = BootFiles::ForConfiguration(tree.filePath(name));
        return ReadBootConfig(files, files.ConfigPath(), files.StartFolder());
    }
    QTemporaryDir tree;
};

}

// Lines of every kind the loader reads, in both cases, with CR LF.
const char* const MixedLines = "# a comment\r\n"
                               "  dIsPlAy  boot.msg extra\r\n"
                               "F0 f0.txt\r\n"
                               "f1 lower.txt\r\n"
                               "  F2   two.txt back.lss\r\n"
                               "F13 ignored.txt\r\n"
                               "F10x not-a-key.txt\r\n"
                               "SAY    indented\r\n"
                               "SAY\r\n"
                               "say\n"
                               "frobnicate 1\r\n"
                               "PROMPTS 0\r\n"
                               "prompt 1\r\n"
                               "TIMEOUT 30\r\n"
                               "default linux\r\n"
                               "INCLUDE inc/sub.cfg\r\n"
                               "INCLUDE missing.cfg\r\n"
                               "LABEL linux\r\n"
                               "  KERNEL vmlinuz\r\n"
                               "  APPEND quiet\r\n"
                               "LABEL other\r\n"
                               "  CONFIG /other/other.cfg /other\r\n"
                               "MENU LABEL ^Other\r\n"
                               "LABEL gone\r\n"
                               "MENU DISABLE\r\n";

TEST_F(BootConfigTest, ReadsLinesAsTheLoaderDoes)
{
    Write("isolinux/isolinux.cfg", MixedLines);
    Write("isolinux/inc/sub.cfg", "DISPLAY here.msg\nF3 inc/f3.txt\nDISPLAY /top.msg\n");
    const BootConfig config = Read("isolinux/isolinux.cfg");

    ASSERT_EQ(config.output.size(), 6u);
    EXPECT_EQ(config.output[0].text, "/isolinux/boot.msg") << "the first word only";
    EXPECT_EQ(config.output[0].place.line, 2);
    EXPECT_EQ(config.output[1].text, "   indented\n") << "from four bytes after SAY, blanks kept";
    EXPECT_EQ(config.output[2].text, "\n\n") << "SAY alone reads past its terminator into the LF";
    EXPECT_EQ(config.output[3].text, "\n");
    EXPECT_EQ(config.output[4].text, "/isolinux/here.msg") << "from the current folder, not the including file's";
    EXPECT_EQ(config.output[5].text, "/top.msg");
    EXPECT_EQ(config.output[5].place.file, "/isolinux/inc/sub.cfg");

    const auto key = [&](int number) {
        const auto& fkey = config.functionKeys[static_cast<std::size_t>(number - 1)];
        return fkey ? fkey->imagePath : QByteArray("-");
    };
    EXPECT_EQ(key(11), "/isolinux/f0.txt") << "F0 is F11";
    EXPECT_EQ(key(10), "-");
    EXPECT_EQ(key(1), "/isolinux/lower.txt");
    EXPECT_EQ(key(2), "/isolinux/two.txt");
    EXPECT_EQ(config.functionKeys[1]->background, "back.lss");
    EXPECT_EQ(key(3), "/isolinux/inc/f3.txt");

    EXPECT_EQ(config.prompt, 1);
    EXPECT_EQ(config.timeoutMs, 3000u);
    EXPECT_EQ(config.defaultCommand, "linux");
    ASSERT_EQ(config.labels.size(), 2u) << "a disabled entry is no label";
    EXPECT_EQ(config.labels[0].CommandLine({}), "vmlinuz quiet");
    EXPECT_EQ(config.labels[1].kind, KernelKind::Config);
    EXPECT_EQ(config.labels[1].CommandLine({}), ".config /other/other.cfg /other");
    EXPECT_EQ(config.FindLabel("linux single")->name, "linux");

    ASSERT_EQ(config.files.size(), 3u);
    EXPECT_TRUE(config.files[1].found);
    EXPECT_FALSE(config.files[2].found);
    EXPECT_EQ(config.files[2].imagePath, "/isolinux/missing.cfg");
    EXPECT_EQ(config.files[2].includedFrom.line, 17);
}

TEST_F(BootConfigTest, ImageRootsAndNames)
{
    struct Case {
        const char* config;
        QByteArray imagePath;
        QByteArray folder;
    };
    const Case cases[] = {
        { "isolinux/isolinux.cfg", "/isolinux/isolinux.cfg", "/isolinux" },
        { "boot/isolinux/isolinux.cfg", "/boot/isolinux/isolinux.cfg", "/boot/isolinux" },
        { "pxelinux.cfg/default", "/pxelinux.cfg/default", "/" },
        { "mine/my.cfg", "/isolinux/my.cfg", "/isolinux" },
    };
    for (const Case& test : cases) {
        Write(test.config, "PROMPT 1\n");
        const BootFiles files = BootFiles::ForConfiguration(tree.filePath(test.config));
        EXPECT_EQ(files.ConfigPath(), test.imagePath) << test.config;
        EXPECT_EQ(files.StartFolder(), test.folder) << test.config;
        EXPECT_TRUE(files.Read(test.imagePath)) << test.config;
    }
    EXPECT_EQ(BootFiles::Resolve("/isolinux", "../a/./b"), "/a/b");
    EXPECT_EQ(BootFiles::Resolve("/isolinux", "/x"), "/x");
    EXPECT_FALSE(BootFiles::Resolve("/isolinux", "../../etc/shadow"));
    // A link that leads out of the image is not its file.
    ASSERT_TRUE(QFile::link("/etc/hostname", tree.filePath("isolinux/outside.msg")));
    EXPECT_FALSE(BootFiles::ForConfiguration(tree.filePath("isolinux/isolinux.cfg")).Read("/isolinux/outside.msg"));

    EXPECT_TRUE(LooksLikeBootConfig("# comment\n\n  DEFAULT vesamenu.c32\n"));
    EXPECT_FALSE(LooksLikeBootConfig("\x0c\x0f"
                                     "1fWelcome\r\n"));
}
