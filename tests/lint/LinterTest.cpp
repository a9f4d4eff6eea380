#include "FileTree.h"
#include "SharedMaterial.h"
#include "lint/ConfigLinter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

namespace {

// "line:column severity code" of each problem.
std::vector<std::string> Found(const QByteArray& bytes, const QString& folder = {})
{
    std::vector<std::string> found;
    for (const Problem& problem : LintDisplayFile(bytes, folder))
        found.push_back(QStringLiteral("%1:%2 %3 %4")
                            .arg(problem.line)
                            .arg(problem.column)
                            .arg(SeverityName(problem.severity), problem.code)
                            .toStdString());
    return found;
}

using Problems = std::vector<std::string>;

TEST(LinterTest, ReportsEachCodeWhereItIs)
{
    const QByteArray wide = QByteArray(81, 'x');
    const QByteArray fitsWithCommands = "\x0f"
                                        "1e"
        + QByteArray(80, 'x');
    QByteArray scrolling;
    for (int row = 0; row < 25; ++row)
        scrolling += "row\r\n";
    struct Case {
        QByteArray bytes;
        Problems problems;
    };
    const Case cases[] = {
        { "plain text\r\n", {} },
        { "ab\x0f"
          "1",
            { "1:3 error colour-digit" } },
        { "\r\n\x0f"
          "x1z",
            { "2:1 error colour-digit" } },
        { "\x0f"
          "1E\x0f"
          "c7",
            { "1:3 note upper-case-digit", "1:5 note blink" } },
        { wide, { "1:81 warning wide-line" } },
        { fitsWithCommands, {} },
        { "a\tb" + QByteArray(73, 'x'), { "1:75 warning wide-line" } },
        { scrolling, { "25:5 warning scrolls" } },
        { "\x0c" + scrolling.left(24 * 5) + "\x0c" + scrolling.left(24 * 5), {} },
        { "end\x1a\r\n", {} },
        { "end\x1amore", { "1:5 warning after-end" } },
        { "\xff"
          "more",
            { "1:2 warning after-end" } },
        { "\x14serial\x11shown", { "1:2 warning hidden-text" } },
        // Boundaries: background 8 is the first to blink; hidden text is
        // reported on each line; a hidden line feed does not move the cursor.
        { "\x0f"
          "77\x0f"
          "87",
            { "1:5 note blink" } },
        { "\x14"
          "a\r\nb\x11",
            { "1:2 warning hidden-text", "2:1 warning hidden-text" } },
        { "\x14" + QByteArray(30, '\n') + "\x11shown", {} },
        { "a\x1b"
          "b\x0e"
          "c",
            { "1:2 warning reset-sequence", "1:4 warning line-drawing" } },
        { QByteArray("x\0y", 3), { "1:2 warning nul" } },
        { "\x18logo.lss\r\nx\ry\nz\x01", { "1:1 error missing-image", "4:2 warning reset-sequence" } },
    };
    for (const Case& c : cases)
        EXPECT_EQ(Found(c.bytes), c.problems) << c.bytes.toHex(' ').toStdString();
}

TEST(LinterTest, LooksForImagesBesideTheDocument)
{
    QTemporaryDir folder;
    QFile good(folder.filePath(QStringLiteral("good.lss")));
    ASSERT_TRUE(good.open(QIODevice::WriteOnly));
    good.write(QByteArray("\x3d\xf3\x13\x14\x10\x00\x08\x00", 8) + QByteArray(48, '\x3f'));
    good.close();
    QFile bad(folder.filePath(QStringLiteral("bad.lss")));
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write(QByteArray(64, 'P'));
    bad.close();
    const QByteArray text = "\x18good.lss\r\n\x18 bad.lss \r\n\x18gone.lss\n";
    EXPECT_EQ(Found(text, folder.path()), (Problems { "2:1 error not-lss16", "3:1 error missing-image" }));
    EXPECT_EQ(Found("\x18good.lss\n"), (Problems { "1:1 error missing-image" })); // never saved

    // Names are bytes; what is not a regular file is refused without
    // waiting for it (a FIFO with no writer would block for ever).
    QFile accented;
    ASSERT_TRUE(
        accented.open(::open((QFile::encodeName(folder.path()) + "/caf\xe9.lss").constData(), O_WRONLY | O_CREAT, 0600),
            QIODevice::WriteOnly, QFileDevice::AutoCloseHandle));
    ASSERT_TRUE(good.open(QIODevice::ReadOnly));
    accented.write(good.readAll());
    accented.close();
    ASSERT_EQ(::mkfifo(QFile::encodeName(folder.filePath("pipe.lss")).constData(), 0600), 0);
    ASSERT_TRUE(QDir(folder.path()).mkdir("folder.lss"));
    EXPECT_EQ(Found("\x18"
                    "caf\xe9.lss\n\x18pipe.lss\n\x18"
                    "folder.lss\n",
                  folder.path()),
        (Problems { "2:1 error not-lss16", "3:1 error not-lss16" }));
    // QTemporaryDir removes by names it can spell; this one goes by its bytes.
    ::unlink((QFile::encodeName(folder.path()) + "/caf\xe9.lss").constData());
}

// A file full of one fault is reported once per line with a count, and
// past MostProblems findings by one "and N more" at the worst severity.
TEST(LinterTest, RepeatedProblemsAreCountedNotListed)
{
    const std::vector<Problem> nuls = LintDisplayFile(QByteArray(1 << 20, '\0'), {});
    ASSERT_EQ(nuls.size(), 1u);
    EXPECT_EQ(nuls[0].count, 1 << 20);
    EXPECT_EQ(nuls[0].Text(), "NUL byte (1048576 times on this line)");

    QByteArray lines;
    for (int line = 0; line < MostProblems; ++line)
        lines += QByteArray("\0\x0f"
                            "1A\r\n",
            6); // two kinds a line
    lines += "\x0f"
             "1";
    const std::vector<Problem> many = LintDisplayFile(lines, {});
    ASSERT_EQ(many.size(), static_cast<std::size_t>(MostProblems) + 1);
    EXPECT_EQ(many.back().code, "more");
    // Of 2 a line, one scroll and the last line's error, 500 are listed.
    EXPECT_EQ(many.back().count, MostProblems + 2);
    EXPECT_EQ(many.back().Text(), QStringLiteral("and %1 more problems").arg(MostProblems + 2));
    EXPECT_EQ(many.back().severity, Severity::Error) << "the worst of those left out";
    EXPECT_EQ(many[MostProblems - 1].line, MostProblems / 2);
}

TEST(LinterTest, OffsetsCountTheBytesAsGiven)
{
    const std::vector<Problem> problems = LintDisplayFile("a\nb\r\n\x0e", {});
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_EQ(problems[0].line, 3);
    EXPECT_EQ(problems[0].column, 1);
    EXPECT_EQ(problems[0].offset, 5);
}

}

namespace {

// "file-name:line code" of each problem of a configuration.
std::vector<std::string> ConfigFound(const QTemporaryDir& tree)
{
    std::vector<std::string> found;
    for (const FileProblem& problem :
        LintBootConfig(BootFiles::ForConfiguration(tree.filePath("isolinux/isolinux.cfg"))))
        found.push_back(QStringLiteral("%1:%2 %3")
                            .arg(QFileInfo(problem.file).fileName())
                            .arg(problem.problem.line)
                            .arg(problem.problem.code)
                            .toStdString());
    return found;
}

}

TEST(ConfigLinterTest, ReportsWhatTheLoaderWillNotShowAsMeant)
{
    QTemporaryDir tree;
    WriteInTree(tree, "isolinux/isolinux.cfg",
        "SAY one\r\nSAY two\r\nDISPLAY boot.msg\r\nDISPLAY gone.msg\r\nINCLUDE gone.cfg\r\nF0 f0.txt\r\n"
        "F1 f1.txt\r\nF2 absent.txt\r\nPROMPT 0\r\nDEFAULT nowhere\r\nONTIMEOUT linux\r\n"
        "LABEL linux\r\n KERNEL vmlinuz\r\nLABEL linux\r\n KERNEL other\r\n");
    QByteArray tall;
    for (int row = 0; row < 20; ++row)
        tall += "row\r\n"; // fits a cleared screen, not one started on row 6
    WriteInTree(tree, "isolinux/boot.msg", tall);
    WriteInTree(tree, "isolinux/f0.txt", "eleven\r\n");
    WriteInTree(tree, "isolinux/f1.txt", "line\r\nlast line without a break");
    EXPECT_EQ(ConfigFound(tree),
        (Problems { "isolinux.cfg:5 missing-include", "boot.msg:19 scrolls", "isolinux.cfg:4 missing-display",
            "f1.txt:2 fkey-no-final-break", "isolinux.cfg:8 missing-fkey-file", "isolinux.cfg:6 f0-is-f11",
            "isolinux.cfg:14 duplicate-label", "isolinux.cfg:10 default-no-label" }));

    WriteInTree(tree, "isolinux/isolinux.cfg", "PROMPT 0\r\nUI vesamenu.c32\r\n");
    EXPECT_EQ(ConfigFound(tree), (Problems { "isolinux.cfg:2 missing-module" }));
    const QString modules = QStringLiteral("/usr/lib/syslinux/modules/bios/");
    if (!QFile::exists(modules + "vesamenu.c32"))
        GTEST_SKIP() << "no syslinux-common modules here to read libraries from";
    ASSERT_TRUE(QFile::copy(modules + "vesamenu.c32", tree.filePath("isolinux/vesamenu.c32")));
    ASSERT_TRUE(QFile::copy(modules + "libutil.c32", tree.filePath("isolinux/libutil.c32")));
    EXPECT_EQ(ConfigFound(tree), (Problems { "isolinux.cfg:2 missing-library" })) << "libcom32.c32 is missing";
    WriteInTree(tree, "isolinux/isolinux.cfg", "PROMPT 0\r\n");
    EXPECT_EQ(ConfigFound(tree), (Problems { "isolinux.cfg:1 prompt0-no-default" }));
}

TEST(ConfigLinterTest, ReportsWhatMenuC32WillNotShowAsMeant)
{
    QTemporaryDir tree;
    WriteInTree(tree, "isolinux/menu.c32",
        "\x7f"
        "ELF");
    WriteInTree(tree, "isolinux/isolinux.cfg",
        "UI menu.c32\nTIMEOUT 50\nMENU VSHIFT 8\nMENU ROWS 18\nMENU TIMEOUTROW 28\n"
        "MENU COLOR help * #ffff0000 #ff0000ff std\nMENU COLOR border 30;44 #40000000 #00000000 std\n"
        "MENU COLOR sel 0\nMENU COLOR unsel 37;40\nMENU COLOR tabmsg #ff0000\n"
        "LABEL a\n MENU LABEL ^Alpha\n MENU PASSWD x\n"
        "LABEL b\n MENU LABEL ^Another label that runs well past the fifty-six columns inside the box\n");
    EXPECT_EQ(ConfigFound(tree),
        (Problems { "isolinux.cfg:1 menu-overflow", "isolinux.cfg:10 menu-colour-ansi",
            "isolinux.cfg:6 menu-colour-argb-ignored", "isolinux.cfg:8 menu-invisible-selection",
            "isolinux.cfg:14 menu-duplicate-hotkey", "isolinux.cfg:14 menu-label-cut",
            "isolinux.cfg:11 menu-passwd-without-master" }));
    const std::vector<FileProblem> found
        = LintBootConfig(BootFiles::ForConfiguration(tree.filePath("isolinux/isolinux.cfg")));
    EXPECT_EQ(found.front().problem.message.toStdString(),
        "the menu \"\" does not fit menu.c32's 80 x 25 screen: the box ends on row 30, and rows past 25 are drawn "
        "over row 25; the tab message on row 26 overwrites the box; the countdown on row 36 is past row 25; the "
        "help area, erased for every entry, on row 30 overwrites the box");
    // The same lines for vesamenu.c32: its own grid and colours, the same keys.
    WriteInTree(tree, "isolinux/vesamenu.c32",
        "\x7f"
        "ELF");
    WriteInTree(
        tree, "isolinux/isolinux.cfg", "UI vesamenu.c32\nMENU COLOR help * #ffff0000\nLABEL a\n MENU PASSWD x\n");
    EXPECT_EQ(ConfigFound(tree), (Problems { "isolinux.cfg:3 menu-passwd-without-master" }));
}

// vesamenu.c32's own checks: its backgrounds as the loader takes them,
// MENU FONT, FONT files, its grid, and modules of another SYSLINUX.
TEST(ConfigLinterTest, GraphicalMenuChecks)
{
    const QString cases = SharedFolder("boottruth/project/vesa/cases").path();
    REQUIRE_SHARED(QFile::exists(cases), "the vesamenu recordings");
    QTemporaryDir tree;
    WriteInTree(tree, "isolinux/vesamenu.c32",
        "\x7f"
        "ELF");
    const auto lss16 = [](int width, int height) {
        QByteArray bytes("\x3d\xf3\x13\x14", 4);
        for (const int size : { width, height })
            bytes += QByteArray(1, static_cast<char>(size & 0xFF)) + QByteArray(1, static_cast<char>(size >> 8));
        // Each row of colour 0 in runs of 16: two zero bytes a run.
        return bytes + QByteArray(48, '\0') + QByteArray(height * (width + 15) / 16 * 2, '\0');
    };
    WriteInTree(tree, "isolinux/big.lss", lss16(800, 200)); // wider only
    WriteInTree(tree, "isolinux/small.lss", lss16(320, 200));
    WriteInTree(tree, "isolinux/full.lss", lss16(640, 480));
    QFile::copy(cases + "/v10_bg_jpg_320x240/iso/isolinux/small.jpg", tree.filePath("isolinux/small.jpg"));
    QFile::copy(cases + "/v03_bg_pattern_defaults/iso/isolinux/pat.png", tree.filePath("isolinux/pat.png"));
    WriteInTree(tree, "isolinux/bad.psf", "not a font");
    WriteInTree(tree, "isolinux/isolinux.cfg",
        "UI vesamenu.c32\nMENU BACKGROUND big.lss\nMENU BEGIN a\nMENU BACKGROUND small.lss\nMENU END\n"
        "MENU BEGIN b\nMENU BACKGROUND small.jpg\nMENU END\nMENU BEGIN c\nMENU BACKGROUND gone.png\nMENU END\n"
        "MENU BEGIN d\nMENU BACKGROUND full.lss\nMENU END\nMENU BEGIN e\nMENU BACKGROUND pat.png\nMENU END\n"
        "MENU FONT x.psf\nFONT bad.psf\nFONT gone.psf\nMENU ROWS 30\nLABEL x\n");
    EXPECT_EQ(ConfigFound(tree),
        (Problems { "isolinux.cfg:19 not-psf", "isolinux.cfg:20 missing-font", "isolinux.cfg:1 menu-overflow",
            "isolinux.cfg:2 background-too-large", "isolinux.cfg:4 background-size", "isolinux.cfg:7 background-jpeg",
            "isolinux.cfg:7 background-size", "isolinux.cfg:10 missing-background", "isolinux.cfg:18 menu-font" }));
    const std::vector<FileProblem> found
        = LintBootConfig(BootFiles::ForConfiguration(tree.filePath("isolinux/isolinux.cfg")));
    ASSERT_GE(found.size(), 3u);
    EXPECT_TRUE(found[2].problem.message.contains("vesamenu.c32's 78 x 29 grid"))
        << found[2].problem.message.toStdString();

    // A loader of one SYSLINUX and a module of another.
    WriteInTree(tree, "isolinux/isolinux.bin", "....ISOLINUX 6.04 20200816....");
    WriteInTree(tree, "isolinux/isolinux.cfg", "UI vesamenu.c32\nLABEL x\n");
    WriteInTree(tree, "isolinux/vesamenu.c32", "a flat COM32 module");
    EXPECT_EQ(ConfigFound(tree), (Problems { "isolinux.cfg:1 module-version-mix" }));
    WriteInTree(tree, "isolinux/vesamenu.c32",
        "\x7f"
        "ELF");
    EXPECT_EQ(ConfigFound(tree), (Problems {}));
    WriteInTree(tree, "isolinux/isolinux.bin", "....ISOLINUX 4.07 20130626....");
    EXPECT_EQ(ConfigFound(tree), (Problems { "isolinux.cfg:1 module-version-mix" }));
}
