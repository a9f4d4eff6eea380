// The text menu beyond the recordings: the console's SGR mapping and
// colour-table codes, the reader's submenus, hotkeys and defaults, and the
// layout at its edges, on a screen played with keys and the clock.
#include "FakeMeasurer.h"
#include "FileTree.h"
#include "config/MenuConfig.h"
#include "console/ColorConsole.h"
#include "preview/ScreenSnapshot.h"
#include "sim/AnsiConsole.h"
#include "sim/LoaderSim.h"
#include "sim/MenuHelpFile.h"
#include "vesa/VideoModes.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

int AttributeAt(const TColorConsole& console, int column, int row)
{
    return static_cast<unsigned char>(ScreenSnapshot::Of(console).Attributes(row)[column]);
}

// A configuration played from a blank screen with keys; the console after.
struct Played {
    FakeMeasurer measurer;
    TColorConsole console { measurer };
    QTemporaryDir tree;
    std::unique_ptr<LoaderSim> loader;

    Played(const QByteArray& config, const QString& keys = {})
    {
        const QString path = WriteInTree(tree, "isolinux/isolinux.cfg", "UI menu.c32\n" + config);
        WriteInTree(tree, "isolinux/menu.c32",
            "\x7f"
            "ELF");
        WriteInTree(tree, "isolinux/help.txt",
            "\x0f"
            "1eHelp\r\nsecond\x0f"
            "c1bg\r\n");
        loader = std::make_unique<LoaderSim>(console, BootFiles::ForConfiguration(path), LoaderSim::Start::Blank);
        QString error;
        for (const LoaderInput& input : ParseLoaderKeys(keys, error).value_or(std::vector<LoaderInput> {}))
            loader->Give(input);
        EXPECT_TRUE(error.isEmpty()) << error.toStdString();
    }
    QByteArray Row(int row) const { return console.ScreenRow(row); }
};

}

TEST(MenuSimTest, SgrToAttribute)
{
    const std::pair<const char*, int> cases[] = {
        { "0", 0x07 },
        { "1", 0x0F },
        { "2", 0x08 },
        { "4", 0x01 },
        { "5", 0x87 },
        { "7", 0x70 },
        { "30;47", 0x70 },
        { "31;42", 0x24 },
        { "33;46", 0x36 },
        { "37;44", 0x17 },
        { "1;37;44", 0x1F },
        { "1;30;46", 0x38 },
        { "2;32;40", 0x08 },
        { "4;37;40", 0x01 },
        { "5;37;40", 0x87 },
        { "7;33;41", 0x64 },
        { "1;7;32;40", 0x28 },
        { "1;4;35", 0x09 },
        { "5;7;34;43", 0x96 },
        { "0;1;5;7", 0xF8 },
        { "1;0;36", 0x03 },
    };
    for (const auto& [sgr, attribute] : cases) {
        FakeMeasurer measurer;
        TColorConsole console(measurer);
        AnsiConsole ansi(console);
        ansi.Write(QByteArray("\033[") + sgr + "mX");
        EXPECT_EQ(ansi.Attribute(), attribute) << sgr;
        EXPECT_EQ(AttributeAt(console, 0, 0), attribute) << sgr;
    }
}

TEST(MenuSimTest, ColourTableCodesAndBrokenSequences)
{
    FakeMeasurer measurer;
    TColorConsole console(measurer);
    AnsiConsole ansi(console);
    ansi.SetColourTable({ "37;40", "1;31;44", "#ff0000" });
    // One digit, two digits, an index past the table (ignored), then an
    // entry whose "SGR" ends the sequence at '#' and prints the rest.
    ansi.Write("\1#1A\2#00B\3#580C\1#2D\033[10;78HEFG\016qx\017");
    EXPECT_EQ(console.ScreenRow(0).left(13), "ABCff0000mD  ");
    EXPECT_EQ(AttributeAt(console, 0, 0), 0x1C);
    EXPECT_EQ(AttributeAt(console, 1, 0), 0x07);
    EXPECT_EQ(AttributeAt(console, 3, 0), 0x07);
    // Writing the last column wraps at once; SO draws line glyphs.
    EXPECT_EQ(console.ScreenRow(9).right(3), "EFG");
    EXPECT_EQ(console.ScreenRow(10).left(3), "\xC4\xB3 ");
}

TEST(MenuSimTest, ReadsSubmenusHotkeysAndDefaults)
{
    QTemporaryDir tree;
    WriteInTree(tree, "isolinux/more.cfg", "LABEL inner\n KERNEL k\n");
    const QString config = WriteInTree(tree, "isolinux/isolinux.cfg",
        "UI menu.c32\nDEFAULT two\nMENU COLOR sel 1;33 * #ff00ff00\nMENU COLOR unsel 36;40\nLABEL one\n MENU LABEL "
        "^One\n KERNEL a\n"
        " TEXT HELP\r\n  indented\r\n ENDTEXT\nLABEL two\n MENU LABEL ^Other\n KERNEL b\n APPEND x\nMENU BEGIN sub\n"
        " MENU TITLE Sub title\n MENU COLOR sel 0\n LABEL back\n  MENU EXIT\n LABEL nowhere\n  MENU GOTO missing\n"
        "MENU END\nLABEL h\n MENU HIDE\nINCLUDE more.cfg Included\n");
    const MenuConfig menus
        = ReadMenuConfig(BootFiles::ForConfiguration(config), "/isolinux", { "/isolinux/isolinux.cfg" });
    const Menu& root = menus.At(MenuConfig::RootMenu);
    ASSERT_EQ(root.entries.size(), 4u);
    EXPECT_EQ(root.entries[0].helpText, "  indented\r\n");
    EXPECT_EQ(root.entries[0].hotkey, 'O');
    EXPECT_EQ(root.entries[1].hotkey, 0) << "the first entry keeps a hotkey used twice";
    EXPECT_EQ(root.entries[1].commandLine, "b x");
    EXPECT_EQ(root.defaultEntry, 1) << "DEFAULT beside UI picks the entry";
    EXPECT_EQ(root.entries[2].displayName, "Sub title");
    EXPECT_EQ(root.entries[3].displayName, "Included");
    EXPECT_EQ(root.colours[5].ansi, "1;33");
    EXPECT_EQ(root.colours[5].foreground, 0xE0000000u) << "* keeps the foreground";
    EXPECT_EQ(root.colours[5].background, 0xFF00FF00u);
    const Menu& sub = menus.At(root.entries[2].submenu);
    EXPECT_EQ(sub.colours[5].ansi, "0") << "a submenu's colours are its own";
    EXPECT_EQ(sub.colours[3].ansi, "36;40") << "and start as its parent's";
    EXPECT_EQ(sub.entries[0].action, MenuAction::Exit);
    EXPECT_EQ(sub.entries[1].action, MenuAction::Disabled) << "a GOTO to no menu";
    EXPECT_EQ(menus.At(MenuConfig::HiddenMenu).entries.at(0).label, "h");
    EXPECT_EQ(menus.At(root.entries[3].submenu).entries.at(0).label, "inner");
}

TEST(MenuSimTest, LayoutAtItsEdges)
{
    struct Case {
        const char* config;
        int column, row;
        char glyph;
    };
    const Case cases[] = {
        { "MENU WIDTH 0\nLABEL a\n", 69, 0, '\xBF' }, // the screen's width
        { "MENU WIDTH 40\nMENU MARGIN 2\nLABEL a\n", 37, 0, '\xBF' },
        { "MENU ROWS 3\nLABEL a\nLABEL b\nLABEL c\nLABEL d\nLABEL e\nLABEL f\nLABEL g\n", 69, 3, '\xB1' },
        { "MENU ROWS 3\nLABEL a\nLABEL b\nLABEL c\nLABEL d\nLABEL e\nLABEL f\nLABEL g\n", 69, 4, '\xB3' },
        { "MENU TABMSGROW -5\nLABEL a\n", 26, 19, 'P' }, // from the bottom
        { "MENU TABMSGROW -40\nLABEL a\n", 26, 0, 'P' }, // past the top: row 0, clamped
        { "MENU VSHIFT 20\nMENU HELPMSGROW 1\nLABEL a\n", 10, 24, '\xC0' }, // rows past the last drawn over it
        { "MENU HSHIFT 20\nLABEL a\n", 79, 0, '\xC4' }, // cut at the right edge, wrapped under
    };
    for (const Case& test : cases) {
        const Played played(test.config);
        EXPECT_EQ(played.Row(test.row).at(test.column), test.glyph) << test.config;
    }
    // No room for the box: nothing hangs, and the note says why.
    const Played narrow("MENU WIDTH 30\nMENU MARGIN 20\nLABEL a\n");
    EXPECT_TRUE(narrow.loader->Note().contains(u"no room"));
}

TEST(MenuSimTest, KeysAndClock)
{
    struct Case {
        const char* config;
        const char* keys;
        int row;
        const char* text; // at the start of the row
    };
    const Case cases[] = {
        { "TIMEOUT 25\nLABEL a\n", "", 19, "                         Automatic boot in 2 seconds..." },
        { "TIMEOUT 25\nLABEL a\n", "sleep:1000", 19, "                         Automatic boot in 1 second..." },
        { "TIMEOUT 25\nLABEL a\nLABEL b\n", "sleep:999 down", 19, "          " }, // leaving the default ends it
        // Enter on a kernel that is not there: the loader's failure, then the menu again.
        { "LABEL a\n KERNEL vmlinuz\n", "ret", 3, "          \xB3 a " },
        { "TIMEOUT 10\nLABEL a\n KERNEL vmlinuz\n", "timeout", 3, "          \xB3 a " },
        { "MENU HIDDEN\nTIMEOUT 10\nLABEL a\n", "", 22, "                         Automatic boot in 1 second..." },
        { "MENU AUTOBOOT In # {s,sx,sxx}.\nTIMEOUT 25\nLABEL a\n", "", 19,
            "                                    In 2 sx." },
        { "LABEL a\nLABEL b\nLABEL c\n", "end", 5, "          \xB3 c" },
        { "LABEL a\n KERNEL k\n APPEND q\n", "tab end left backspace \"Z\" ctrl-a", 17, "> kZq" },
        { "LABEL a\n KERNEL k\n APPEND q\n", "tab esc", 17, "                          Press [Tab]" },
        { "MENU MASTER PASSWD pw\nLABEL a\n KERNEL k\n", "tab \"pw\" ret", 17, "> k" },
        { "MENU MASTER PASSWD pw\nLABEL a\n KERNEL k\n", "esc \"no\" ret", 23, "  " },
        { "MENU MASTER PASSWD pw\nLABEL a\n KERNEL k\n", "esc \"pw\" ret", 23, "boot:" },
        // Hashed passwords, of the entry and the master, checked as typed.
        { "MENU MASTER PASSWD $1$saltsalt$ZliGyAN3DciDHEkDboonh/\nLABEL a\n KERNEL k\n", "tab \"hunter2\" ret", 17,
            "> k" },
        { "MENU MASTER PASSWD $1$saltsalt$ZliGyAN3DciDHEkDboonh/\nLABEL a\n KERNEL k\n", "esc \"hunter\" ret", 23,
            "  " },
        { "LABEL a\n MENU HELP help.txt\n MENU PASSWD $4$NaCl$2gc3MUnQ0oo5YOx/edEjOXbWFkM\n", "ret \"hunter2\" ret", 1,
            "second" },
        { "LABEL a\n MENU HELP help.txt\n MENU PASSWD $4$NaCl$2gc3MUnQ0oo5YOx/edEjOXbWFkM\n", "ret \"hunter\" ret", 3,
            "          \xB3 a" },
        // Either password opens an entry: the master's too.
        { "MENU MASTER PASSWD $4$NaCl$2gc3MUnQ0oo5YOx/edEjOXbWFkM\nLABEL a\n MENU HELP help.txt\n MENU PASSWD x\n",
            "ret \"hunter2\" ret", 1, "second" },
        { "F1 help.txt\nLABEL a\n", "f1", 0, "Help" },
        { "F1 help.txt\nLABEL a\n", "f1 x", 3, "          \xB3 a" },
        { "F1 help.txt\nF12 help.txt\nLABEL a\n", "f1 f12", 0, "Help" }, // another F-key's screen over it
        { "LABEL a\n MENU HELP help.txt\n", "ret", 1, "second" },
    };
    for (const Case& test : cases) {
        const Played played(test.config, QString::fromLatin1(test.keys));
        EXPECT_TRUE(played.Row(test.row).startsWith(test.text))
            << test.config << " / " << test.keys << ": " << played.Row(test.row).toStdString();
    }
    // The countdown's shorter line pads over the longer one it replaces.
    EXPECT_EQ(Played("TIMEOUT 25\nLABEL a\n", "sleep:1000").Row(19).trimmed(), "Automatic boot in 1 second...");
    // A failed command: the menu comes back over the loader's message.
    EXPECT_EQ(Played("LABEL a\n KERNEL vmlinuz\n", "ret").Row(23).trimmed(), "");
    // Up and Down step over separators; Esc goes one menu up.
    const Played separated("LABEL a\nMENU SEPARATOR\nLABEL b\n", "down up");
    EXPECT_EQ(AttributeAt(separated.console, 12, 3), 0x70);
    const Played nested("MENU BEGIN one\n MENU TITLE One\n LABEL x\n MENU BEGIN two\n  MENU TITLE Two\n  LABEL y\n"
                        " MENU END\nMENU END\n",
        "ret down ret esc");
    EXPECT_EQ(nested.Row(1).simplified(), "\xB3 One \xB3");
    const Played moved("LABEL a\nLABEL b\nLABEL c\n", "end home");
    EXPECT_EQ(AttributeAt(moved.console, 12, 3), 0x70);
    EXPECT_EQ(AttributeAt(moved.console, 12, 5), 0x17);
    // An F-key screen by the menu's rules: background digits lose their bright bit.
    const Played help("F1 help.txt\nLABEL a\n", "f1");
    EXPECT_EQ(AttributeAt(help.console, 0, 0), 0x1E);
    EXPECT_EQ(AttributeAt(help.console, 6, 1), 0x41);
}

// menumain.c (run_menu): in a submenu without entries the entry is -1 and
// the top -1, as its previous ones, so nothing is drawn over the cleared
// screen. A key that leaves them so makes the top 0 and draws the empty
// box, the next one -1 again, with the row of entry -1 selected; nothing
// runs, and Esc goes back. TOTALTIMEOUT draws the box and leaves for the
// prompt. A tagged MENU INCLUDE of a missing file makes such a submenu.
TEST(MenuSimTest, AnEmptySubmenuShowsOnlyItsBackground)
{
    const QByteArray config = "LABEL a\nMENU INCLUDE missing.cfg Tools\nMENU BEGIN empty\nMENU END\nLABEL g\n"
                              " MENU GOTO empty\n";
    const struct {
        const char* keys;
        int attribute; // of the box's first row; 0: nothing drawn
    } cases[] = {
        { "down ret", 0 },
        { "down down ret", 0 },
        { "down ret pgdn home end spc", 0 },
        { "down ret down", 0x17 },
        { "down ret down up", 0x70 },
        { "down ret ret tab a f1 ctrl-l", 0x17 },
    };
    for (const auto& test : cases) {
        const Played played(config, QString::fromLatin1(test.keys));
        ASSERT_TRUE(played.loader->RunningMenu()) << test.keys;
        EXPECT_EQ(played.Row(4).simplified(), test.attribute == 0 ? "" : "\xB3 \xB3") << test.keys;
        if (test.attribute == 0)
            EXPECT_EQ(played.Row(0).trimmed(), "") << test.keys;
        else
            EXPECT_EQ(AttributeAt(played.console, 12, 3), test.attribute) << test.keys;
    }
    EXPECT_EQ(Played(config, "down ret esc").Row(4).simplified(), "\xB3 Tools > \xB3");
    const Played timedOut("TOTALTIMEOUT 10\n" + config, "down ret sleep:1000");
    EXPECT_EQ(timedOut.Row(0).trimmed().left(1), "\xDA");
    EXPECT_EQ(timedOut.Row(3).simplified(), "\xB3 \xB3");
    EXPECT_TRUE(timedOut.loader->AtPrompt());
}

// Layout and size numbers from the file beyond any screen: the menu still
// draws as the module would on its screen, in bounded time.
TEST(MenuSimTest, LayoutNumbersPastTheScreen)
{
    const struct {
        QByteArray config;
        const char* keys;
        int row;
        QByteArray text; // the row, blanks at its ends trimmed
    } cases[] = {
        { "MENU ROWS 2000000000\nLABEL a\nLABEL b\n", "", 4, "\xB3 b \xB3" },
        { "MENU ROWS -2000000000\nLABEL a\n", "", 3, "\xC0" + QByteArray(58, '\xC4') + "\xD9" },
        // Past the last row: the help area's erase is drawn last.
        { "MENU VSHIFT 2147483647\nMENU HSHIFT -2147483648\nLABEL a\n", "", 24, "" },
        { "MENU TABMSGROW 2147483647\nMENU CMDLINEROW 2147483647\nLABEL a\n", "tab", 24, "> a" },
        { "MENU BEGIN x\n MENU TITLE X\n LABEL again\n  MENU GOTO x\nMENU END\n",
            "ret ret ret ret ret ret ret ret ret ret ret ret ret ret ret ret ret ret ret ret", 1, "\xB3 X \xB3" },
    };
    for (const auto& test : cases) {
        const Played played(test.config, QString::fromLatin1(test.keys));
        EXPECT_EQ(played.Row(test.row).simplified(), test.text) << test.config.toStdString() << test.keys;
    }
    // Past the bound the module would draw for hours; this draws and runs.
    const Played wide("MENU WIDTH 2000000000\nMENU MARGIN 2000000000\nMENU INDENT 2000000000\nLABEL a\n", "tab");
    EXPECT_TRUE(wide.loader->RunningMenu());
    // An indent past the box leaves the row blank; its hotkey still works.
    const Played indented("LABEL x\nLABEL b\n MENU LABEL ^Boot\n MENU INDENT 2000000000\n", "b");
    EXPECT_EQ(indented.Row(4).simplified(), "\xB3 \xB3");
    EXPECT_EQ(AttributeAt(indented.console, 12, 4), 0x70);
}

// A countdown of days is not drawn second by second, yet a long wait
// shows what a wait of one second after another shows: over a change of
// digits or of the {one,two,many} form the message pads over the last.
TEST(MenuSimTest, ALongWaitShowsWhatEverySecondShows)
{
    const char* configs[] = {
        "TIMEOUT 1234\nLABEL a\n",
        "MENU COLOR timeout_msg 1;31;44\nMENU AUTOBOOT Boot in # {s,sx,sxx}\nTIMEOUT 1234\nLABEL a\n",
        "MENU HIDDEN\nMENU COLOR timeout_msg 1;31;44\nTIMEOUT 1234\nLABEL a\n",
        "TIMEOUT 1234\nTOTALTIMEOUT 1005\nLABEL a\n KERNEL x\n",
        "TIMEOUT 1234\nTOTALTIMEOUT 1000\nLABEL a\n KERNEL x\n",
        "TIMEOUT 30000000\nLABEL a\n",
    };
    const std::vector<int> waits[] = { { 2 }, { 19 }, { 118 }, { 122 }, { 115, 6 }, { 20, 85, 10 } };
    for (const char* config : configs) {
        for (const std::vector<int>& seconds : waits) {
            // Half seconds: each tick of the countdown is drawn.
            QString steps;
            QString whole;
            for (const int wait : seconds) {
                for (int second = 0; second < wait; ++second)
                    steps += QStringLiteral("sleep:500 sleep:500 ");
                whole += QStringLiteral("sleep:%1 ").arg(wait * 1000);
            }
            const Played stepped(config, steps);
            const Played waited(config, whole);
            for (int row = 0; row < 25; ++row) {
                EXPECT_EQ(waited.Row(row), stepped.Row(row)) << config << whole.toStdString() << "row " << row;
                EXPECT_EQ(ScreenSnapshot::Of(waited.console).Attributes(row),
                    ScreenSnapshot::Of(stepped.console).Attributes(row))
                    << config << whole.toStdString() << "row " << row;
            }
        }
    }
}

// "timeout" runs a countdown out as every second would: the default's
// command, on the screen each tick leaves.
TEST(MenuSimTest, RunningOutALongCountdownShowsWhatEverySecondShows)
{
    for (const char* config : { "TIMEOUT 1234\nLABEL a\n KERNEL x\n", "MENU HIDDEN\nTIMEOUT 1234\nLABEL a\n KERNEL x\n",
             "TIMEOUT 1234\nTOTALTIMEOUT 1005\nLABEL a\n KERNEL x\n" }) {
        QString steps;
        for (int second = 0; second < 124; ++second)
            steps += QStringLiteral("sleep:1000 ");
        const Played stepped(config, steps);
        const Played ranOut(config, QStringLiteral("timeout"));
        for (int row = 0; row < 25; ++row)
            EXPECT_EQ(ranOut.Row(row), stepped.Row(row)) << config << "row " << row;
        EXPECT_EQ(ranOut.loader->Note(), stepped.loader->Note()) << config;
    }
}

// 100,000 labels: Tab lists them all at the prompt, the menu pages to the last.
TEST(MenuSimTest, AHundredThousandLabels)
{
    QByteArray labels;
    for (int label = 0; label < 100000; ++label)
        labels += "LABEL l" + QByteArray::number(label) + "\n";
    const Played menu(labels, "end");
    EXPECT_EQ(menu.Row(14).simplified(), "\xB3 l99999 \xB1");
    const Played prompt(labels, "esc tab");
    EXPECT_EQ(prompt.Row(23).trimmed(), "998 l99999");
    EXPECT_EQ(prompt.Row(24).trimmed(), "boot:");
}

// readconfig.c reads MENU RESOLUTION with strtoul (0x for hex, a missing
// number 0); initvesa.c takes only a mode of exactly that size, and QEMU's
// VGA BIOS has a fixed list of them.
TEST(MenuSimTest, ResolutionsAsTheModuleAsksAndTheBiosOffers)
{
    const struct {
        std::optional<QByteArray> line;
        int width, height;
        bool offered;
    } cases[] = {
        { std::nullopt, 640, 480, true },
        { "800 600", 800, 600, true },
        { " 0x320\t0x258 ", 800, 600, true },
        { "800x600", 800, 0, false },
        { "1024", 1024, 0, false },
        { "8 8", 8, 8, false },
        { "640 17", 640, 17, false },
        { "2147483647 2147483647", 2147483647, 2147483647, false },
        { "4294967936 480", 640, 480, true },
        { "-1 480", -1, 480, false },
        { "640 400", 640, 400, true },
        { "320 200", 320, 200, true },
        { "1366 768", 1366, 768, false },
        { "3840 2160", 3840, 2160, true },
        { "4096 2160", 4096, 2160, false },
    };
    for (const auto& test : cases) {
        MenuConfig config;
        config.resolution = test.line;
        const auto [width, height] = MenuResolution(config);
        EXPECT_EQ(width, test.width) << test.line.value_or("none").toStdString();
        EXPECT_EQ(height, test.height) << test.line.value_or("none").toStdString();
        EXPECT_EQ(Vesa::VesaModeOffered(width, height), test.offered) << test.line.value_or("none").toStdString();
    }
}

// run_menu's keys on seven entries three to a page: a step, a page, the
// list's own step with the selection, the ends, a hotkey; each keeps off
// disabled entries and inside the list.
TEST(MenuSimTest, TheKeysThatMoveTheSelection)
{
    const QByteArray seven = "MENU ROWS 3\nLABEL a\nLABEL b\nLABEL c\nLABEL d\nLABEL e\n MENU LABEL ^Xe\nLABEL f\n"
                             "LABEL g\n";
    const struct {
        const char* keys;
        int entry;
    } rows[] = {
        { "down", 1 },
        { "down down up", 1 },
        { "ctrl-n ctrl-n ctrl-p", 1 },
        { "pgdn", 3 },
        { "\">\"", 3 },
        { "\" \"", 3 },
        { "right", 3 },
        { "ctrl-f", 3 },
        { "pgdn pgdn pgdn", 6 },
        { "pgdn pgup", 0 },
        { "pgdn \"<\"", 0 },
        { "pgdn left", 0 },
        { "pgdn ctrl-b", 0 },
        { "\"+\"", 1 },
        { "\"++-\"", 1 },
        { "end", 6 },
        { "ctrl-e ctrl-a", 0 },
        { "end home", 0 },
        { "\"x\"", 4 },
        { "\"X\"", 4 },
    };
    for (const auto& row : rows) {
        const Played played(seven, QString::fromLatin1(row.keys));
        ASSERT_TRUE(played.loader->RunningMenu()) << row.keys;
        EXPECT_EQ(played.loader->RunningMenu()->Entry(), row.entry) << row.keys;
    }
    const Played separated("LABEL a\nMENU SEPARATOR\nMENU SEPARATOR\nLABEL d\n", "down");
    EXPECT_EQ(separated.loader->RunningMenu()->Entry(), 3);
    EXPECT_EQ(Played("LABEL a\nMENU SEPARATOR\nLABEL c\n", "end up").loader->RunningMenu()->Entry(), 0);
}

// printmsg.c's draw_message_file: after the clear in msg07, SI and two
// hexval digits pick msgXX (whatever the digits, in unsigned arithmetic
// printed by %03d), CAN skips to the line's end, SUB ends the file, FF
// clears, CR, LF and BEL pass, and every other control byte is dropped.
TEST(MenuSimTest, HelpFilesAsPrintmsgReadsThem)
{
    const QByteArray start = "\033e\033%@\033)0\033(B\3#025\033[?25l\033[2J\033[H";
    const std::pair<QByteArray, QByteArray> rows[] = {
        { "ab\a\r\n", "ab\a\r\n" },
        { "a\x01\x02\t\x1b\x7f"
          "b",
            "a\x7f"
            "b" },
        { "\x0f"
          "1eX",
            "\3#048X" },
        { "\x0f"
          "gg",
            "\3#290" },
        { "\x0f"
          "--X",
            "\3#008X" },
        { "\x0f"
          "!0",
            "\3#-846" },
        { "a\x18skip\nb", "ab" },
        { "a\x1a"
          "b",
            "a" },
        { "a\fb", "a\033[2J\033[Hb" },
        { "\xe9\xff", "\xe9\xff" },
    };
    for (const auto& [file, shown] : rows)
        EXPECT_EQ(HelpScreenBytes(file), start + shown) << file.toHex().constData();
}
