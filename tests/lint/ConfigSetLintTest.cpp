// The configuration checks on whole sets as real trees build them: menus
// started by DEFAULT or a label, the files a menu module is given, CONFIG
// targets, and only what the loader really does.
#include "FileTree.h"
#include "config/ConfigSet.h"
#include "lint/ConfigFindings.h"
#include "lint/ConfigLinter.h"

#include <QFileInfo>
#include <QRegularExpression>

#include <sys/stat.h>

namespace {

using Problems = std::vector<std::string>;

class ConfigSetLintTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const char* module : { "menu.c32", "vesamenu.c32" })
            Write(module,
                "\x7f"
                "ELF");
    }
    void Write(const QString& name, const QByteArray& bytes) { WriteInTree(tree, "isolinux/" + name, bytes); }
    std::vector<FileProblem> Lint(const QString& config = QStringLiteral("isolinux.cfg")) const
    {
        return LintBootConfig(BootFiles::ForConfiguration(tree.filePath("isolinux/" + config)));
    }
    // "file:line code" of each finding.
    Problems Found(const QByteArray& config)
    {
        Write("isolinux.cfg", config);
        Problems found;
        for (const FileProblem& problem : Lint())
            found.push_back(QStringLiteral("%1:%2 %3")
                                .arg(QFileInfo(problem.file).fileName())
                                .arg(problem.problem.line)
                                .arg(problem.problem.code)
                                .toStdString());
        return found;
    }
    QString Message(const QByteArray& config, const QString& code)
    {
        Write("isolinux.cfg", config);
        for (const FileProblem& problem : Lint()) {
            if (problem.problem.code == code)
                return problem.problem.message;
        }
        return {};
    }
    QTemporaryDir tree;
};

}

// A label named twice matters where a name is looked up: typed at boot:
// when no menu starts, DEFAULT, ONTIMEOUT, ONERROR, MENU SAVE. A menu's
// entry runs its own command line, and a file read twice is one place.
TEST_F(ConfigSetLintTest, DuplicateLabelsOnlyWhereLookedUp)
{
    Write("back.cfg", "LABEL back\n MENU LABEL Back\n MENU EXIT\n");
    Write("common.cfg", "LABEL c\n KERNEL vmlinuz\nDISPLAY gone.msg\n");
    const std::pair<QByteArray, Problems> cases[] = {
        { "PROMPT 1\nLABEL a\nLABEL a\n", { "isolinux.cfg:3 duplicate-label" } },
        { "UI menu.c32\nMENU INCLUDE back.cfg One\nMENU INCLUDE back.cfg Two\nLABEL x\nLABEL x\n", {} },
        { "UI menu.c32\nDEFAULT x\nLABEL x\nLABEL x\n", { "isolinux.cfg:4 duplicate-label" } },
        { "UI menu.c32\nONTIMEOUT x arg\nLABEL x\nLABEL x\n", { "isolinux.cfg:4 duplicate-label" } },
        { "UI menu.c32\nMENU SAVE\nLABEL x\nLABEL x\n", { "isolinux.cfg:4 duplicate-label" } },
        { "PROMPT 0\nDEFAULT menu.c32\nLABEL x\nLABEL x\n", {} }, // DEFAULT starts the menu as UI does
        { "PROMPT 1\nINCLUDE common.cfg\nINCLUDE common.cfg\n", { "common.cfg:3 missing-display" } },
    };
    for (const auto& [config, problems] : cases)
        EXPECT_EQ(Found(config), problems) << config.constData();
}

// What menu.c32 shows only as its ANSI part is no finding when the #argb
// colours are the same colours; the checks use the grid of the module
// that runs, and DEFAULT or a label starts a module as UI does.
TEST_F(ConfigSetLintTest, MenusOnTheScreenOfTheModuleThatRuns)
{
    QByteArray font("\x36\x04\x00\x08", 4);
    Write("eight.psf", font + QByteArray(256 * 8, '\0'));
    const QByteArray help = "MENU HELPMSGROW 26\nMENU HELPMSGENDROW 28\nLABEL a\n";
    const QByteArray tall = "MENU ROWS 30\nMENU TABMSGROW 40\nMENU HELPMSGROW 42\nLABEL a\n"; // fits 58 rows
    const std::pair<QByteArray, Problems> cases[] = {
        { "UI menu.c32\nMENU COLOR title 1;36;44 #ff00ffff #00000000 std\nMENU COLOR unsel 37;44 #ffffffff "
          "#ff0000aa\nLABEL a\n",
            {} },
        { "UI menu.c32\nMENU COLOR sel 7;37;40 #ffff0000 *\nLABEL a\n", { "isolinux.cfg:2 menu-colour-argb-ignored" } },
        { "UI menu.c32\nMENU COLOR unsel 37;44 #ffdddddd #a0000000 std\nLABEL a\n", {} },
        { "UI menu.c32\nMENU COLOR hotkey 1;31;44\nLABEL a\n", {} }, // no #argb written: the defaults say nothing
        { "UI menu.c32\nLABEL a\n MENU LABEL ^" + QByteArray(56, 'x') + "\n", {} },
        { "UI menu.c32\nLABEL a\n MENU LABEL " + QByteArray(57, 'x') + "\n", { "isolinux.cfg:2 menu-label-cut" } },
        { "UI menu.c32\nMENU HSHIFT 10\nLABEL a\n", {} }, // the box's right edge in column 80
        { "UI menu.c32\nMENU HSHIFT 11\nLABEL a\n", { "isolinux.cfg:1 menu-overflow" } },
        { "UI menu.c32\n" + help, { "isolinux.cfg:1 menu-overflow" } },
        { "PROMPT 0\nDEFAULT vesamenu.c32\n" + help, {} },
        { "PROMPT 0\nDEFAULT vesamenu.c32\n" + tall, { "isolinux.cfg:2 menu-overflow" } },
        { "FONT eight.psf\nPROMPT 0\nDEFAULT vesamenu.c32\n" + tall, {} },
        { "PROMPT 1\nLABEL m\n KERNEL menu.c32\n APPEND more.cfg\n", { "more.cfg:3 menu-duplicate-hotkey" } },
        { "DEFAULT vesamenu.c32 ~ gone.cfg\nLABEL a\n MENU LABEL ^A\nLABEL b\n MENU LABEL ^a\n",
            { "isolinux.cfg:1 missing-menu-file", "isolinux.cfg:4 menu-duplicate-hotkey" } },
    };
    Write("more.cfg", "LABEL a\n MENU LABEL ^A\nLABEL b\n MENU LABEL ^a\n");
    for (const auto& [config, problems] : cases)
        EXPECT_EQ(Found(config), problems) << config.constData();
    EXPECT_TRUE(
        Message("PROMPT 0\nDEFAULT vesamenu.c32\n" + tall, "menu-overflow").contains("vesamenu.c32's 78 x 29 grid"));
    EXPECT_TRUE(Message("UI menu.c32\n" + help, "menu-overflow").contains("on row 26 is past row 25"));
    EXPECT_FALSE(Message("UI menu.c32\nMENU ROWS 21\nLABEL a\n", "menu-overflow").contains("the box ends"))
        << "a box down to row 25";
    EXPECT_TRUE(Message("PROMPT 0\nDEFAULT vesamenu.c32\nMENU VSHIFT 3\nMENU HELPMSGROW 28\nMENU HELPMSGENDROW 29\n"
                        "LABEL a\n TEXT HELP\n help\n ENDTEXT\n",
        "menu-overflow")
                    .contains("starts on row 31, past its end on row 29: no TEXT HELP is shown"));
}

// vesamenu.c32 without a video mode of MENU RESOLUTION's size runs on the
// text screen, and is checked there; a module the loader cannot load is
// said, whatever libraries it names.
TEST_F(ConfigSetLintTest, WhatTheModuleRunsOnAndWhetherItLoads)
{
    const QByteArray low = "MENU TABMSGROW 27\nLABEL a\n"; // on the grid's 29 rows, past the text screen's 25
    const std::pair<QByteArray, Problems> cases[] = {
        { "UI vesamenu.c32\n" + low, {} },
        { "UI vesamenu.c32\nMENU RESOLUTION 640 17\n" + low,
            { "isolinux.cfg:2 no-video-mode", "isolinux.cfg:1 menu-overflow" } },
        { "UI vesamenu.c32\nMENU RESOLUTION 1366 768\nLABEL a\n", { "isolinux.cfg:2 no-video-mode" } },
        { "UI vesamenu.c32\nMENU RESOLUTION 640 17\nMENU COLOR sel 7;37;40 #ffff0000\nLABEL a\n",
            { "isolinux.cfg:2 no-video-mode", "isolinux.cfg:3 menu-colour-argb-ignored" } },
        { "UI broken.c32\n", { "isolinux.cfg:1 module-unloadable" } },
    };
    QByteArray broken("\x7f"
                      "ELF\x01\x01",
        6);
    broken = broken.leftJustified(52, '\0');
    broken[28] = 52;
    broken[42] = 32;
    broken[44] = 10; // ten program headers in a file of 52 bytes
    Write("broken.c32", broken);
    for (const auto& [config, problems] : cases)
        EXPECT_EQ(Found(config), problems) << config.constData();
    EXPECT_TRUE(Message("UI vesamenu.c32\nMENU RESOLUTION 640 17\n" + low, "menu-overflow")
                    .contains("vesamenu.c32's text screen of 80 x 25"));
    EXPECT_TRUE(Message("UI broken.c32\n", "module-unloadable")
                    .startsWith("the loader cannot load broken.c32: its 10 program headers"));
}

// MENU BACKGROUND read as vesamenu.c32 reads it: a picture larger than the
// screen is refused by its header alone, one cut short or of no kind is
// said; and a module a label runs that the loader cannot load.
TEST_F(ConfigSetLintTest, BackgroundsAsTheModuleReadsThemAndModulesLabelsRun)
{
    const auto lss16 = [](int width, int height) {
        QByteArray bytes("\x3d\xf3\x13\x14", 4);
        for (const int size : { width, height })
            bytes += QByteArray(1, static_cast<char>(size & 0xFF)) + QByteArray(1, static_cast<char>(size >> 8));
        return bytes + QByteArray(48, '\0');
    };
    Write("huge.lss", lss16(8192, 8192));
    Write("cut.lss", lss16(640, 480)); // its palette, and no row
    Write("huge.png", QByteArray("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR\0\0\x20\0\0\0\x20\0\x08\x06\0\0\0", 29));
    Write("note.txt", "not a picture");
    QByteArray needy = QByteArray("\x7f"
                                  "ELF\x01\x01",
        6)
                           .leftJustified(52, '\0');
    needy[28] = 52;
    needy[42] = 32;
    needy[44] = 10; // ten program headers in a file of 52 bytes
    Write("needy.c32", needy);
    const QByteArray ui = "UI vesamenu.c32\nLABEL a\nMENU BACKGROUND ";
    const std::pair<QByteArray, Problems> cases[] = {
        { ui + "huge.lss\n", { "isolinux.cfg:3 background-too-large" } },
        { ui + "huge.png\n", { "isolinux.cfg:3 background-too-large" } },
        { ui + "cut.lss\n", { "isolinux.cfg:3 background-unreadable" } },
        { ui + "note.txt\n", { "isolinux.cfg:3 background-unreadable" } },
        { "PROMPT 1\nLABEL n\n KERNEL needy.c32\nLABEL g\n COM32 gone.c32\n", { "isolinux.cfg:2 module-unloadable" } },
    };
    for (const auto& [config, problems] : cases)
        EXPECT_EQ(Found(config), problems) << config.constData();
    EXPECT_TRUE(Message(ui + "huge.png\n", "background-too-large").contains("the PNG is 8192 x 8192, larger than"));
    EXPECT_TRUE(Message(ui + "cut.lss\n", "background-unreadable").contains("ends in row 1 of 480"));
}

// The files of the set: a menu's own files, CONFIG targets, what the image
// holds of the loader's own, what is not read and why, where reading stops.
TEST_F(ConfigSetLintTest, EveryFileOfTheSetAsTheImageHoldsIt)
{
    Write("menu.cfg", "LABEL a\n MENU LABEL ^One\nLABEL b\n MENU LABEL ^Other\n");
    Write("other.cfg", "DISPLAY gone.msg\nPROMPT 1\n");
    Write("loop.cfg", "DEFAULT y\nLABEL y\n CONFIG isolinux.cfg\n");
    WriteInTree(tree, "other/o.cfg", "PROMPT 1\nF1 /isolinux/ldlinux.c32\n"); // the loader's, from elsewhere
    Write("ldlinux.c32",
        "\x0f"
        "zz not the loader's bytes\n");
    QFile::link("/etc/hostname", tree.filePath("isolinux/out.cfg"));
    ::mkfifo(QFile::encodeName(tree.filePath("isolinux/pipe.cfg")).constData(), 0600);
    QByteArray deep = "INCLUDE n1.cfg\n";
    for (int n = 1; n <= 103; ++n)
        Write(QStringLiteral("n%1.cfg").arg(n), "INCLUDE n" + QByteArray::number(n + 1) + ".cfg\n");
    const std::pair<QByteArray, Problems> cases[] = {
        { "UI menu.c32 menu.cfg\n", { "menu.cfg:3 menu-duplicate-hotkey" } },
        { "PROMPT 1\nLABEL o\n CONFIG other.cfg\nLABEL g\n CONFIG gone.cfg\n",
            { "isolinux.cfg:4 missing-config", "other.cfg:1 missing-display" } },
        { "PROMPT 1\nF1 ldlinux.c32\n", { "isolinux.cfg:2 loader-file" } },
        { "DEFAULT x\nLABEL x\n CONFIG loop.cfg\n", { "isolinux.cfg:1 config-loop" } },
        { "PROMPT 1\nDEFAULT x\nLABEL x\n CONFIG loop.cfg\n", {} }, // waits at boot: for a key
        { "PROMPT 1\nLABEL o\n CONFIG /other/o.cfg\n", { "o.cfg:2 loader-file" } },
        { "PROMPT 1\nINCLUDE out.cfg\nINCLUDE pipe.cfg\n",
            { "isolinux.cfg:2 include-refused", "isolinux.cfg:3 include-refused" } },
        { "PROMPT 1\n" + deep, { "n102.cfg:1 loader-hangs" } },
    };
    for (const auto& [config, problems] : cases)
        EXPECT_EQ(Found(config), problems) << config.constData();
    EXPECT_TRUE(Message("INCLUDE out.cfg\n", "include-refused").contains("leads out of the image"));
    EXPECT_TRUE(Message("INCLUDE pipe.cfg\n", "include-refused").contains("FIFO"));
}

// A file of a set checked alone is checked as part of its tree.
TEST_F(ConfigSetLintTest, AFileOfASetIsCheckedWithItsTree)
{
    Write("isolinux.cfg", "PROMPT 0\nDEFAULT vesamenu.c32\nINCLUDE head.cfg\n");
    Write("head.cfg", "LABEL a\n");
    const BootFiles alone = BootFiles::ForConfiguration(tree.filePath("isolinux/head.cfg"));
    Problems found;
    for (const FileProblem& problem : LintBootConfig(alone))
        found.push_back(problem.problem.code.toStdString());
    EXPECT_EQ(found, (Problems { "prompt0-no-default" })) << "alone it has no DEFAULT";
    const QString owner = OwningConfiguration(tree.filePath("isolinux/head.cfg"));
    EXPECT_EQ(owner, tree.filePath("isolinux/isolinux.cfg"));
    EXPECT_TRUE(LintBootConfig(BootFiles::ForConfiguration(owner)).empty());
}

// 2000 labels of one name at boot: make 500 findings and one for the rest.
TEST_F(ConfigSetLintTest, FindingsAreCapped)
{
    Write("isolinux.cfg", "PROMPT 1\n" + QByteArray("LABEL x\n").repeated(2000));
    const std::vector<FileProblem> found = Lint();
    ASSERT_EQ(found.size(), static_cast<std::size_t>(Limits::Findings) + 1);
    EXPECT_EQ(found.back().problem.code, "more");
    EXPECT_EQ(found.back().problem.count, 1999 - Limits::Findings);
    EXPECT_EQ(found.back().problem.severity, Severity::Warning);
}

// Every check has its row in the format guide, with the reason it holds.
TEST(ConfigChecksTest, EachIsExplainedInTheFormatGuide)
{
    QFile guide(QStringLiteral(GLIMRA_FORMAT_GUIDE));
    ASSERT_TRUE(guide.open(QIODevice::ReadOnly));
    const QString html = QString::fromUtf8(guide.readAll());
    for (const char* code : ConfigCheckCodes) {
        const QRegularExpression row(QStringLiteral("<tr><td>%1</td><td>(error|warning|note)</td><td>[^<]{20,}")
                                         .arg(QRegularExpression::escape(QString::fromLatin1(code))));
        EXPECT_TRUE(row.match(html).hasMatch()) << code;
    }
}
