// Rules that whole real trees hit beyond the recordings, each table from
// the SYSLINUX 6.04 source file it follows (com32/elflink/ldlinux/*.c,
// com32/menu/*.c, com32/lib/sys/*.c), and the loader's clock with numbers
// far past any real timeout.
#include "FakeMeasurer.h"
#include "FileTree.h"
#include "boot/BootGraphics.h"
#include "config/ConfigSyntax.h"
#include "console/ColorConsole.h"
#include "sim/LoaderSim.h"
#include "sim/VersionRules.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// A tree played from a blank screen: isolinux.cfg beside the menu modules.
struct Played {
    FakeMeasurer measurer;
    TColorConsole console { measurer };
    QTemporaryDir tree;
    std::unique_ptr<LoaderSim> loader;

    explicit Played(const QByteArray& config, const QString& keys = {}, LoaderVersion version = LoaderVersion::Debian())
    {
        const QString path = WriteInTree(tree, "isolinux/isolinux.cfg", config);
        for (const char* module : { "isolinux/menu.c32", "isolinux/vesamenu.c32" })
            WriteInTree(tree, module,
                "\x7f"
                "ELF");
        loader = std::make_unique<LoaderSim>(
            console, BootFiles::ForConfiguration(path), LoaderSim::Start::Blank, std::move(version));
        Keys(keys);
    }
    void Keys(const QString& keys)
    {
        QString error;
        for (const LoaderInput& input : ParseLoaderKeys(keys, error).value_or(std::vector<LoaderInput> {}))
            loader->Give(input);
        EXPECT_TRUE(error.isEmpty()) << error.toStdString();
    }
    QByteArray Row(int row) const
    {
        QByteArray text = console.ScreenRow(row);
        while (text.endsWith(' '))
            text.chop(1);
        return text;
    }
    // Boots that failed, as the serial port saw them.
    qsizetype Failures() const { return loader->Serial().count("failed") + loader->Serial().count("Failed"); }
};

QString Typed(char c, int count) { return '"' + QString(count, QLatin1Char(c)) + '"'; }

}

// ldlinux.c (enter_cmdline) and cli.c (edit_cmdline): every prompt starts
// TIMEOUT and TOTALTIMEOUT again, so a default that fails comes back for
// as long as no key is pressed; a menu's countdown restarts the same way.
TEST(LoaderRulesTest, ABootThatFailsRetriesWithTheWholeTimeout)
{
    const struct {
        const char* config;
        QString keys;
        qsizetype failures;
    } cases[] = {
        { "PROMPT 1\nTIMEOUT 1\nDEFAULT x\n", "sleep:250", 2 },
        { "PROMPT 1\nTIMEOUT 1\nDEFAULT x\n", "sleep:1000", 10 },
        { "PROMPT 1\nTIMEOUT 1\nDEFAULT x\n", "sleep:150 \"a\" sleep:10000", 1 },
        { "PROMPT 1\nTOTALTIMEOUT 1\nDEFAULT x\n", "\"a\" sleep:350", 3 },
        { "UI menu.c32\nTIMEOUT 1\nLABEL a\n KERNEL x\n", "sleep:350", 3 },
        { "UI menu.c32\nTOTALTIMEOUT 2\nLABEL a\n KERNEL x\n", "sleep:650", 3 },
    };
    for (const auto& test : cases)
        EXPECT_EQ(Played(test.config, test.keys).Failures(), test.failures) << test.config << test.keys.toStdString();
}

// cli.c: the line's buffer is static. A new prompt shows it empty, but Tab
// completes the word still in it and a bare Enter runs it again; typing
// replaces it; CONFIG loads ldlinux.c32 anew, with an empty buffer.
TEST(LoaderRulesTest, TheCommandLineIsKeptBetweenPrompts)
{
    const QByteArray config = "PROMPT 1\nLABEL foo1\n KERNEL a\nLABEL foo2\n KERNEL b\nLABEL bar\n KERNEL c\n"
                              "LABEL again\n CONFIG isolinux.cfg\n";
    const struct {
        const char* keys;
        const char* listed; // the row above the last prompt
        qsizetype failures;
    } cases[] = {
        { "\"foo\" ret tab", " foo1 foo2", 1 },
        { "\"foo\" ret ctrl-u tab", " foo1 foo2", 1 },
        { "\"foo\" ret \"b\" tab", " bar", 1 },
        { "\"foo\" ret ret", "Loading foo... failed: No such file or directory", 2 },
        { "\"again\" ret tab", " foo1 foo2 bar again", 0 },
    };
    for (const auto& test : cases) {
        const Played played(config, QString::fromLatin1(test.keys));
        const int prompt = played.console.Cursor().y;
        EXPECT_EQ(played.Row(prompt).left(5), "boot:") << test.keys;
        EXPECT_EQ(played.Row(prompt - 1), test.listed) << test.keys;
        EXPECT_EQ(played.Failures(), test.failures) << test.keys;
    }
}

// cli.c: typing counts columns from 0 after the prompt and starts a row of
// its own at 80, after the console wrapped at 74; a redraw starts at the
// cursor's row and counts from the prompt's end, and a step up below zero
// prints its digits; Enter's new line goes down from the cursor.
TEST(LoaderRulesTest, LongLinesWrapAsTheLoaderCountsThem)
{
    const struct {
        QString keys;
        int row;
        QByteArray text;
        CellPair cursor;
    } cases[] = {
        { Typed('a', 80), 1, "aaaaaa", { 0, 2 } },
        { Typed('a', 81), 2, "a", { 1, 2 } },
        { Typed('a', 160), 3, "", { 0, 4 } },
        { Typed('a', 74) + " home end", 3, "1A", { 2, 3 } },
        { Typed('a', 100) + " left", 2, "boot: " + QByteArray(74, 'a'), { 25, 4 } },
        { Typed('a', 100) + " home ret", 4, "Loading " + QByteArray(72, 'a'), { 6, 6 } },
        // The redraw starts on the cursor's row and pads over all the typing showed.
        { Typed('a', 90) + " ctrl-u", 2, "boot:", { 6, 3 } },
    };
    // The bytes of a redraw, as a2_tab_unknown's serial log recorded them.
    EXPECT_TRUE(Played("PROMPT 1\nLABEL linux\n", "\"li\" tab")
                    .loader->Serial()
                    .endsWith("boot: li\r\n linux\r\n\x1b[?25l\x1b[1Gboot: li\x1b[K\r\x1b[8C\x1b[?25h"));
    for (const auto& test : cases) {
        const Played played("PROMPT 1\n", test.keys);
        EXPECT_EQ(played.Row(test.row), test.text) << test.keys.toStdString();
        EXPECT_EQ(played.console.Cursor().x, test.cursor.x) << test.keys.toStdString();
        EXPECT_EQ(played.console.Cursor().y, test.cursor.y) << test.keys.toStdString();
    }
}

// execute.c and ansicon_write.c: after a module the loader opens its console
// again, which sets text mode if vesamenu.c32 set a video mode (a blank
// screen, the prompt on row 0), and goes to its prompt, never back to the
// menu; vesaserial_write.c: without the mode vesamenu.c32 runs on the text
// screen, which nothing clears.
TEST(LoaderRulesTest, LeavingAGraphicalMenuSetsTextMode)
{
    const struct {
        const char* config;
        const char* keys;
        int row;
        const char* text;
    } cases[] = {
        { "SAY before\nUI vesamenu.c32\nLABEL a\n KERNEL x\n", "esc", 0, "boot:" },
        { "SAY before\nUI vesamenu.c32\nLABEL a\n COM32 gone.c32\n", "ret", 0, "Failed to load COM32 file gone.c32" },
        { "SAY before\nUI vesamenu.c32\nLABEL a\n COM32 gone.c32\n", "ret", 1, "boot:" },
        { "UI menu.c32\nLABEL a\n COM32 gone.c32\n", "ret", 23, "Failed to load COM32 file gone.c32" },
        { "UI vesamenu.c32\nMENU RESOLUTION 640 17\nLABEL a\n KERNEL x\n", "esc", 23, "boot:" },
    };
    for (const auto& test : cases) {
        const Played played(test.config, QString::fromLatin1(test.keys));
        EXPECT_EQ(played.Row(test.row), test.text) << test.config << test.keys;
        EXPECT_TRUE(played.loader->AtPrompt()) << test.config << test.keys;
    }
    const Played fallback("UI vesamenu.c32\nMENU RESOLUTION 640 17\nLABEL a\n");
    EXPECT_FALSE(fallback.loader->GraphicalMenu());
    EXPECT_TRUE(fallback.loader->Note().contains(u"640 x 17")) << fallback.loader->Note().toStdString();
    EXPECT_EQ(fallback.Row(3).mid(10, 4), "\xB3 a ");
}

// readconfig.c (both): TIMEOUT is worked out in a 32-bit int, TOTALTIMEOUT
// in a long long; cli.c keeps the first as an unsigned int and cuts the
// second to a clock_t, and one below zero turns every key into a timeout;
// menumain.c counts down in a clock_t, and its hidden menu in an int.
TEST(LoaderRulesTest, TheClockKeepsTheLoadersArithmetic)
{
    using ConfigSyntax::TimeoutMs;
    using ConfigSyntax::TotalTimeoutMs;
    EXPECT_EQ(TimeoutMs("10"), 1000);
    EXPECT_EQ(TimeoutMs("-5"), -499);
    EXPECT_EQ(TimeoutMs("30000000"), -6477106);
    EXPECT_EQ(TimeoutMs("2147483647"), -99);
    EXPECT_EQ(TotalTimeoutMs("30000000"), 3000000000);
    EXPECT_EQ(TotalTimeoutMs("9223372036854775807"), -99);
    const struct {
        const char* config;
        const char* keys;
        qsizetype failures;
    } cases[] = {
        { "PROMPT 1\nTIMEOUT 30000000\nDEFAULT x\n", "sleep:2147483647 sleep:2141006542", 0 },
        { "PROMPT 1\nTIMEOUT 30000000\nDEFAULT x\n", "sleep:2147483647 sleep:2141006543", 1 },
        { "PROMPT 1\nTOTALTIMEOUT 30000000\nDEFAULT x\n", "sleep:2147483647 sleep:852516353", 1 },
        { "PROMPT 1\nTOTALTIMEOUT 50000000\nDEFAULT x\n", "sleep:705032703", 0 },
        { "PROMPT 1\nTOTALTIMEOUT 50000000\nDEFAULT x\n", "sleep:705032704", 1 },
        { "PROMPT 1\nTOTALTIMEOUT -1\nDEFAULT x\n", "\"a\"", 1 },
        { "PROMPT 1\nTIMEOUT 10\nTOTALTIMEOUT 5\nDEFAULT x\n", "sleep:999", 0 },
        { "PROMPT 1\nTIMEOUT 10\nTOTALTIMEOUT 5\nDEFAULT x\n", "sleep:1000", 1 },
        { "UI menu.c32\nTOTALTIMEOUT 30000000\nLABEL a\n KERNEL x\n", "sleep:2147483647 sleep:852516353", 1 },
        { "UI menu.c32\nTOTALTIMEOUT -1\nLABEL a\n KERNEL x\n", "down", 1 },
    };
    for (const auto& test : cases)
        EXPECT_EQ(Played(test.config, QString::fromLatin1(test.keys)).Failures(), test.failures)
            << test.config << test.keys;
    EXPECT_EQ(
        Played("UI menu.c32\nTIMEOUT 30000000\nLABEL a\n").Row(19).trimmed(), "Automatic boot in 4288490 seconds...");
    EXPECT_EQ(Played("UI menu.c32\nMENU HIDDEN\nTIMEOUT 30000000\nLABEL a\n").Row(22).trimmed(),
        "Automatic boot in -6477 seconds...");
}

// Timeouts that fire again and again in one long wait stop being played
// one by one, and the wait keeps its phase: the next comes when it would.
TEST(LoaderRulesTest, EndlessRetriesKeepTheirPhase)
{
    Played played("PROMPT 1\nTIMEOUT 1\nDEFAULT x\n", "sleep:2147483647");
    const qsizetype before = played.Failures();
    played.Keys("sleep:52");
    EXPECT_EQ(played.Failures(), before);
    played.Keys("sleep:1");
    EXPECT_EQ(played.Failures(), before + 1);
    EXPECT_EQ(played.Row(played.console.Cursor().y - 1), "Loading x... failed: No such file or directory");
}

// The prompt rules of older builds that no recording shows, each row from
// the release's source it follows.
TEST(LoaderRulesTest, OlderBuildsPromptByTheirOwnRules)
{
    const auto build = [](int major, int minor) {
        LoaderVersion version;
        version.major = major;
        version.minor = minor;
        return version;
    };
    const struct {
        LoaderVersion version;
        const char* config;
        const char* keys;
        int row;
        const char* text;
    } cases[] = {
        // 4.05 core/ui.inc get_char: no leading space, Backspace wipes, other controls do nothing.
        { build(4, 5), "PROMPT 1\n", "\" ab\" backspace \"c\" left home ctrl-l", 0, "boot: ac" },
        { build(4, 5), "PROMPT 1\n", "\"ab\" backspace backspace backspace \"x\"", 0, "boot: x" },
        // 4.05 ui.inc display_labels: Tab matches the whole line, the prompt follows the list.
        { build(4, 5), "PROMPT 1\nLABEL ab\nLABEL b\n", "\"a\" tab", 1, " ab" },
        { build(4, 5), "PROMPT 1\nLABEL ab\nLABEL b\n", "\"ab x\" tab", 1, "" },
        { build(4, 5), "PROMPT 1\nLABEL ab\nLABEL b\n", "\"ab x\" tab", 2, "boot: ab x" },
        // 4.05 ui.inc ctrl_f: Ctrl-F 0 and Ctrl-F a are F11, Ctrl-F b F12, a control key in between waits
        // with them; the prompt follows a file without a final line break.
        { build(4, 5), "PROMPT 1\nF11 eleven.txt\n", "ctrl-f ctrl-l \"0\"", 1, "elevenboot:" },
        { build(4, 5), "PROMPT 1\nF12 twelve.txt\n", "ctrl-f \"B\"", 1, "twelveboot:" },
        { build(4, 5), "PROMPT 1\nF1 one.txt\n", "ctrl-f \"d1\"", 0, "boot: 1" },
        // 4.05 core/conio.inc msg_putchar: a help file's TAB is its glyph.
        { build(4, 5), "PROMPT 1\nF2 tab.txt\n", "f2", 1, "a\tbboot:" },
        // 4.05 ui.inc bad_kernel: a module that is not there.
        { build(4, 5), "PROMPT 1\n", "\"x.c32\" ret", 1, "Could not find kernel image: x.c32" },
        // 3.84 ui.inc kill_command: Ctrl-U leaves the line above and a new prompt below.
        { build(3, 84), "PROMPT 1\n", "\"abc\" ctrl-u \"d\"", 1, "boot: d" },
        // 4.05 core/parsecmd.inc getcommand: a keyword without a parameter, one the core lacks, a comment;
        // core/getc.inc getline: SAY's control bytes and runs of blanks as one blank.
        { build(4, 5), "LABEL\nPROMPT 1\n", "", 0, "Missing parameter in configuration file. Keyword: LABEL" },
        { build(4, 5), "PATH /x\nPROMPT 1\n", "", 0, "Unknown keyword in configuration file: PATH" },
        { build(4, 5), "pxeretry 1\n# PATH\nPROMPT 1\n", "", 0, "boot:" },
        { build(3, 84), "pxeretry 1\nPROMPT 1\n", "", 0, "Unknown keyword in configuration file: pxeretry" },
        { build(4, 5), "SAY \t a\tb   c\nPROMPT 1\n", "", 0, "a b c" },
        // ldlinux.c enter_cmdline (6.04) and ui.inc auto_boot (4.05): NOESCAPE tries a failing default at once, for
        // ever.
        { build(6, 4), "NOESCAPE 1\nDEFAULT x\n", "", 23, "Loading x... failed: No such file or directory" },
        { build(4, 5), "NOESCAPE 1\nDEFAULT x\n", "", 0, "Could not find kernel image: x" },
        // 6.03 cli.c edit_cmdline: each prompt starts empty, so Tab after a failed line lists every label.
        { build(6, 3), "PROMPT 1\nLABEL a\nLABEL b\n", "\"b\" ret tab", 3, " a b" },
        { build(6, 4), "PROMPT 1\nLABEL a\nLABEL b\n", "\"b\" ret tab", 3, " b" },
        // 6.04 ldlinux.c ldlinux_auto_boot: an empty Enter on an empty line without DEFAULT.
        { build(6, 4), "PROMPT 1\n", "ret", 1, "No DEFAULT or UI configuration directive found!" },
    };
    for (const auto& test : cases) {
        Played played(test.config, {}, test.version);
        for (const char* name : { "eleven", "twelve", "one" })
            WriteInTree(played.tree, QStringLiteral("isolinux/%1.txt").arg(QLatin1String(name)), name);
        WriteInTree(played.tree, QStringLiteral("isolinux/tab.txt"), "a\tb");
        played.Keys(QString::fromLatin1(test.keys));
        EXPECT_EQ(played.Row(test.row), test.text) << test.version.Name().toStdString() << " " << test.keys;
    }
    EXPECT_EQ(VersionRules::CtrlFKeyIndex('c'), 12) << "past the table";
    EXPECT_EQ(VersionRules::CtrlFKeyIndex('9'), 8);
    EXPECT_EQ(VersionRules::CtrlFKeyIndex(':'), -1);
}

// 4.05 core/conio.inc msg_viewimage: DISPLAY's 0x18 NAME opens the image from the configuration's folder and
// leaves the screen in mode 0x12; a missing one, 6.04's reading and 0x19 leave text mode as it is.
TEST(LoaderRulesTest, TheCoreShowsADisplayFilesImageInGraphicsMode)
{
    LoaderVersion core;
    core.major = 4;
    core.minor = 5;
    // A 16 x 16 image of colour 1 = (1, 2, 3): each row a pixel 1 and a run of 15, its last nybble unread.
    QByteArray image = QByteArray::fromHex("3df3131410001000"
                                           "000000"
                                           "010203")
        + QByteArray(14 * 3, '\0');
    for (int row = 0; row < 16; ++row)
        image += QByteArray::fromHex("110f");
    const struct {
        LoaderVersion version;
        const char* display;
        bool graphics;
    } cases[] = {
        { core, "\x18pic.lss\nab", true },
        { core, "\x18 pic.lss\n\x19", false },
        { core, "\x18nothere.lss\nab", false },
        { LoaderVersion::Debian(), "\x18pic.lss\nab", false },
    };
    for (const auto& test : cases) {
        Played played("DISPLAY boot.msg\nPROMPT 1\n", {}, test.version);
        WriteInTree(played.tree, QStringLiteral("isolinux/pic.lss"), image);
        WriteInTree(played.tree, QStringLiteral("isolinux/boot.msg"), test.display);
        played.loader->Restart();
        const GraphicsScreen* screen = played.loader->CoreGraphicsScreen();
        ASSERT_EQ(screen != nullptr, test.graphics) << test.display;
        if (!screen)
            continue;
        EXPECT_EQ(screen->Shown()[15 * GraphicsScreen::Width + 15], 0x07080fu) << "the image's colour, widened";
        EXPECT_EQ(screen->Shown()[16 * GraphicsScreen::Width], 0u) << "below the image";
        EXPECT_EQ(std::pair(screen->column, screen->row), std::pair(8, 1)) << "ab and boot: on the row below it";
    }
}
