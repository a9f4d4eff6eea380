// The menu rules config/ answers once, beyond the recordings: MENU COLOR
// and MENU MSGCOLOR as readconfig.c and colors.c read them, where
// menumain.c's macros put the menu, the file a directive names, and what
// a command runs.
#include "FileTree.h"
#include "config/ConfigSet.h"
#include "config/MenuConfig.h"

namespace {

MenuConfig ReadMenus(const QTemporaryDir& tree, const QByteArray& config)
{
    const QString path = WriteInTree(tree, "isolinux/isolinux.cfg", config);
    return ReadMenuConfig(BootFiles::ForConfiguration(path), "/isolinux", { "/isolinux/isolinux.cfg" });
}

}

// readconfig.c walks the line with a pointer: each part only after the one
// before it, "*" keeps a part, an #argb word ends at its last hex digit,
// the shadow is known by its first letter, and msg00-msgff are entries too.
TEST(MenuRulesTest, MenuColorAsTheModuleReadsIt)
{
    const struct {
        const char* line;
        std::size_t index;
        const char* ansi;
        Argb foreground, background;
        MenuShadow shadow;
        bool foregroundWritten, backgroundWritten;
    } rows[] = {
        { "sel 1;33 #ff00ff00", 5, "1;33", 0xFF00FF00, 0x20FF8000, MenuShadow::All, true, false },
        { "sel * * #ff0000ff", 5, "7;37;40", 0xE0000000, 0xFF0000FF, MenuShadow::All, false, true },
        { "unsel 37;44 #ff0000xyz #00ff00", 3, "37;44", 0xFFFF0000, 0xFFFF0000, MenuShadow::Std, true, true },
        { "title 1 #ff00ffff#ff0000ff standard", 2, "1", 0xFF00FFFF, 0xFF0000FF, MenuShadow::Std, true, true },
        { "hotkey 1 #fff #8000 reverse", 4, "1", 0xFFFFFFFF, 0x88000000, MenuShadow::Rev, true, true },
        { "border 30;44 #12345 * nothing", 1, "30;44", 0xFFFF0000, 0x00000000, MenuShadow::None, true, false },
        { "scrollbar 0 #123456789 #aaabbbcccddd all", 7, "0", 0xFF124578, 0xFFAABBCD, MenuShadow::All, true, true },
        { "help 1 #8899aabb #1122334455667788 x", 16, "1", 0x8899AABB, 0x11335577, MenuShadow::Std, true, true },
        { "TIMEOUT_MSG 5;31 *", 14, "5;31", 0x80FFFFFF, 0, MenuShadow::Std, false, false },
        { "timeout *x", 15, "*x", 0xC0FFFFFF, 0, MenuShadow::Std, false, false },
        { "msg1e 1;33;41 #ff112233 #ff445566 all", 18 + 0x1e, "1;33;41", 0xFF112233, 0xFF445566, MenuShadow::All, true,
            true },
        { "sel", 5, "7;37;40", 0xE0000000, 0x20FF8000, MenuShadow::All, false, false },
    };
    for (const auto& row : rows) {
        QTemporaryDir tree;
        const MenuConfig menus = ReadMenus(tree, "MENU COLOR " + QByteArray(row.line) + "\nLABEL a\n");
        const MenuColour colour = menus.At(MenuConfig::RootMenu).colours.At(row.index);
        EXPECT_EQ(colour.ansi, row.ansi) << row.line;
        EXPECT_EQ(colour.foreground, row.foreground) << row.line;
        EXPECT_EQ(colour.background, row.background) << row.line;
        EXPECT_EQ(colour.shadow, row.shadow) << row.line;
        EXPECT_EQ(colour.foregroundWritten, row.foregroundWritten) << row.line;
        EXPECT_EQ(colour.backgroundWritten, row.backgroundWritten) << row.line;
        EXPECT_EQ(colour.place.line, QByteArrayView(row.line) == "sel" ? 0 : 1) << row.line;
    }
    EXPECT_EQ(MenuArgb("#zz"), 0xFFFF0000u);
    EXPECT_EQ(MenuArgb("08f"), 0xFF0088FFu) << "the # may be left out";
}

// colors.c: msgXX is made from MENU MSGCOLOR's masks, 90ffffff and 80ffffff
// without the line; the ANSI part is "1;" for a bright foreground, then
// the colours without their bright bits. A "*" for the foreground is not
// stepped over, so the background keeps its default; a later MSGCOLOR
// remakes the colours MENU COLOR gave an msgXX entry, not its ANSI part.
TEST(MenuRulesTest, MessageColoursForHelpScreens)
{
    const struct {
        const char* lines;
        std::size_t message;
        const char* ansi;
        Argb foreground, background;
        MenuShadow shadow;
    } rows[] = {
        { "", 0x07, "37;40", 0x90FFFFFF, 0, MenuShadow::Std },
        { "", 0x1e, "1;33;44", 0xC8FFFF00, 0x800000FF, MenuShadow::Std },
        { "", 0xc1, "34;41", 0x900000FF, 0xC0FF0000, MenuShadow::Std },
        { "MENU MSGCOLOR #ff0000ff\n", 0x07, "37;40", 0xFF0000FF, 0, MenuShadow::Std },
        { "MENU MSGCOLOR #ff00ff00 #40ffffff none\n", 0x9a, "1;32;44", 0xFF00FF00, 0xA00000FF, MenuShadow::None },
        { "MENU MSGCOLOR * #ff00ff00\n", 0x17, "37;44", 0x90FFFFFF, 0x800000FF, MenuShadow::Std },
        { "MENU COLOR msg1e 1;37;40 #ff010203\nMENU MSGCOLOR #ffffffff #ffffffff rev\n", 0x1e, "1;37;40", 0xFFFFFF00,
            0xFF0000FF, MenuShadow::Rev },
        { "MENU MSGCOLOUR #ffffffff\nMENU COLOUR msg1e * #ff010203\n", 0x1e, "1;33;44", 0xFF010203, 0x800000FF,
            MenuShadow::Std },
    };
    for (const auto& row : rows) {
        QTemporaryDir tree;
        const MenuConfig menus = ReadMenus(tree, QByteArray(row.lines) + "MENU BEGIN sub\nLABEL s\nMENU END\n");
        const Menu& sub = menus.At(menus.At(MenuConfig::RootMenu).entries.at(0).submenu);
        for (const Menu* menu : { &menus.At(MenuConfig::RootMenu), &sub }) {
            const MenuColour colour = menu->colours.At(MessageColourBase + row.message);
            EXPECT_EQ(colour.ansi, row.ansi) << row.lines << row.message;
            EXPECT_EQ(colour.foreground, row.foreground) << row.lines << row.message;
            EXPECT_EQ(colour.background, row.background) << row.lines << row.message;
            EXPECT_EQ(colour.shadow, row.shadow) << row.lines << row.message;
        }
        EXPECT_EQ(sub.colours.Table().size(), MenuColourTableSize);
    }
}

// menumain.c's macros on menu.c32's 80 x 25: VSHIFT moves all rows but the
// help area's end, the hidden menu's countdown and END_ROW; HSHIFT the box
// and the centred lines; negative numbers count from the bottom.
TEST(MenuRulesTest, TheLayoutTheDrawingAndTheLinterAsk)
{
    QTemporaryDir tree;
    const Menu plain = ReadMenus(tree, "LABEL a\n").At(MenuConfig::RootMenu);
    const Menu shifted
        = ReadMenus(tree, "MENU VSHIFT 2\nMENU HSHIFT 3\nMENU WIDTH 60\nMENU MARGIN 5\nMENU ROWS -20\nLABEL a\n")
              .At(MenuConfig::RootMenu);
    const struct {
        const char* what;
        int (*of)(const MenuLayout&);
        int plain, shifted;
    } rows[] = {
        { "box left", [](const MenuLayout& l) { return l.BoxLeft(); }, 11, 9 },
        { "box top", [](const MenuLayout& l) { return l.BoxTop(); }, 1, 3 },
        { "first row", [](const MenuLayout& l) { return l.FirstRow(); }, 4, 6 },
        { "box bottom", [](const MenuLayout& l) { return l.BoxBottom(); }, 16, 11 },
        { "inner", [](const MenuLayout& l) { return l.Inner(); }, 56, 46 },
        { "border", [](const MenuLayout& l) { return l.BorderLength(); }, 58, 48 },
        { "right edge", [](const MenuLayout& l) { return l.RightEdge(); }, 70, 58 },
        { "row of entry 7 from 5", [](const MenuLayout& l) { return l.RowOf(7, 5); }, 6, 8 },
        { "entry on row 9 from 5", [](const MenuLayout& l) { return l.EntryOf(9, 5); }, 10, 8 },
        { "tab message", [](const MenuLayout& l) { return l.TabMsgRow(); }, 18, 20 },
        { "command line", [](const MenuLayout& l) { return l.CmdLineRow(); }, 18, 20 },
        { "countdown", [](const MenuLayout& l) { return l.TimeoutRow(); }, 20, 22 },
        { "password", [](const MenuLayout& l) { return l.PasswordRow(); }, 11, 13 },
        { "help from", [](const MenuLayout& l) { return l.HelpFirstRow(); }, 22, 24 },
        { "help to", [](const MenuLayout& l) { return l.HelpLastRow(); }, 24, 24 },
        { "hidden", [](const MenuLayout& l) { return l.HiddenRow(); }, 23, 23 },
        { "end", [](const MenuLayout& l) { return l.EndRow(); }, 24, 24 },
        { "centred 10", [](const MenuLayout& l) { return l.Centred(10); }, 36, 29 },
        { "password fill", [](const MenuLayout& l) { return l.PasswordFill(); }, 72, 52 },
        { "password room", [](const MenuLayout& l) { return l.PasswordRoom(); }, 69, 49 },
        { "password header", [](const MenuLayout& l) { return l.PasswordHeader(17); }, 30, 20 },
    };
    for (const auto& row : rows) {
        EXPECT_EQ(row.of(plain.Layout(80, 25)), row.plain) << row.what;
        EXPECT_EQ(row.of(shifted.Layout(80, 25)), row.shifted) << row.what;
    }
    // The scroll bar: a row at the least, its place in proportion.
    const MenuLayout layout = plain.Layout(80, 25);
    EXPECT_FALSE(layout.ScrollBar(12, 0));
    EXPECT_EQ(layout.ScrollBar(24, 6), std::pair(7, 12));
    EXPECT_EQ(layout.ScrollBar(1000, 988), std::pair(15, 15));
    // The header's column wraps as the module's unsigned arithmetic does.
    EXPECT_EQ(plain.Layout(10, 25).PasswordHeader(17), 2147483643);
    EXPECT_EQ(plain.Layout(10, 25).BorderLength(), 0);
}

// The file a line names, found and read by one rule: DISPLAY and FONT
// take the first word, KBDMAP the whole rest; a name that leaves the image
// is no file.
TEST(MenuRulesTest, TheFileADirectiveNames)
{
    QTemporaryDir tree;
    WriteInTree(tree, "isolinux/a.txt", "A");
    const BootFiles files = BootFiles::ForConfiguration(
        WriteInTree(tree, "isolinux/isolinux.cfg", "DISPLAY a.txt b\nFONT f.psf x\nKBDMAP de.ktl x\nSAY a\n"));
    const BootConfig config = ReadBootConfig(files, files.ConfigPath(), files.StartFolder());
    QByteArrayList named;
    for (const ConfigDirective& directive : config.directives)
        named << FileNamedBy(directive);
    EXPECT_EQ(named, (QByteArrayList { "a.txt", "f.psf", "de.ktl x", "" }));
    EXPECT_EQ(config.output.at(0).text, "/isolinux/a.txt");
    const BootFiles::Named found = files.FetchNamed("/isolinux", "../isolinux/a.txt");
    EXPECT_EQ(found.path, "/isolinux/a.txt");
    EXPECT_TRUE(found.Found());
    EXPECT_EQ(files.ReadNamed("/isolinux", "/isolinux/a.txt"), "A");
    const BootFiles::Named outside = files.FetchNamed("/isolinux", "../../a.txt");
    EXPECT_FALSE(outside.path);
    EXPECT_EQ(outside.fetched.failure, BootFiles::Fetched::Failure::Outside);
    EXPECT_EQ(files.FetchNamed("/isolinux", "gone").fetched.failure, BootFiles::Fetched::Failure::Missing);
    EXPECT_TRUE(files.ExistsNamed("/", "isolinux/a.txt"));
    EXPECT_FALSE(files.ExistsNamed("/isolinux", "../../isolinux/a.txt"));
}

// load_kernel (ldlinux.c): a label's line with the typed options after it;
// without a label only with IMPLICIT, cut by ALLOWOPTIONS 0, a bare name
// completed to the first extension there is. menu.c32 runs an entry's
// line as it stands: with IMPLICIT 0, which keeps UI to labels, a menu
// file's entry still starts vesamenu.c32.
TEST(MenuRulesTest, WhatACommandRuns)
{
    QTemporaryDir tree;
    WriteInTree(tree, "isolinux/tool.bin", "");
    WriteInTree(tree, "isolinux/tool.0", "");
    WriteInTree(tree, "isolinux/menu.cfg", "LABEL more\n KERNEL vesamenu.c32\n APPEND more.cfg\n");
    const struct {
        const char* config;
        const char* command;
        std::optional<QByteArray> line;
    } rows[] = {
        { "LABEL l\n KERNEL k\n APPEND a\n", "l x y", "k a x y" },
        { "LABEL l\n LINUX k\n", "l", ".linux k" },
        { "IMPLICIT 0\nLABEL l\n KERNEL k\n", "k q", std::nullopt },
        { "ALLOWOPTIONS 0\n", "k q", "k" },
        { "", "tool opt", "tool.bin opt" },
        { "", "tool.0 opt", "tool.0 opt" },
    };
    for (const auto& row : rows) {
        const BootFiles files
            = BootFiles::ForConfiguration(WriteInTree(tree, "isolinux/isolinux.cfg", QByteArray(row.config)));
        const BootConfig config = ReadBootConfig(files, files.ConfigPath(), files.StartFolder());
        EXPECT_EQ(LoadKernelLine(config, files, row.command), row.line) << row.config << row.command;
    }
    const BootFiles files = BootFiles::ForConfiguration(WriteInTree(
        tree, "isolinux/isolinux.cfg", "IMPLICIT 0\nUI start\nLABEL start\n COM32 menu.c32\n APPEND menu.cfg\n"));
    const std::vector<MenuRun> runs
        = MenuRuns(ReadBootConfig(files, files.ConfigPath(), files.StartFolder()), files, files.ConfigPath());
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_EQ(runs[1].module, "/isolinux/vesamenu.c32");
    EXPECT_EQ(runs[1].files, (std::vector<QByteArray> { "/isolinux/more.cfg" }));
    EXPECT_EQ(runs[1].by, "LABEL more");
}
