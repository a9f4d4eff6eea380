// The gfxmenu themes made from menus: where the list, bar and countdown
// go on each module's grid, which colours GRUB draws in, when GRUB draws
// the titles itself; and, drawn as GRUB draws them, the screens the menu
// module itself shows, pixel for pixel.
#include "grub/GrubTheme.h"

#include "FileTree.h"
#include "config/BootFiles.h"
#include "console/ColorConsole.h"
#include "console/TextMetrics.h"
#include "format/Cp437.h"
#include "format/Pf2Font.h"
#include "sim/LoaderKeys.h"
#include "sim/LoaderSim.h"
#include "sim/grub/GrubScreen.h"
#include "sim/grub/GrubThemeFile.h"
#include "vesa/BackgroundFit.h"
#include "vesa/VesaScreen.h"

#include <gtest/gtest.h>

#include <map>

using Vesa::Picture;

namespace {

PcFont TestFont()
{
    PcFont font;
    font.rows.resize(256 * 16);
    for (std::size_t i = 0; i < font.rows.size(); ++i)
        font.rows[i] = static_cast<std::uint8_t>((i * 37) ^ (i >> 4) * 11);
    // Dots in every glyph but the first, the space's too.
    std::fill(font.rows.begin(), font.rows.begin() + 16, 0);
    return font;
}

// A tree whose configuration runs the menu module, played to its first
// screen (keys after), and its GRUB theme.
struct Played {
    QTemporaryDir tree;
    FixedCellMeasurer measurer;
    TColorConsole console { measurer };
    std::unique_ptr<LoaderSim> loader;
    PcFont font = TestFont();
    GrubTheme theme;

    explicit Played(
        const QByteArray& config, bool graphical = true, const std::vector<int>& entries = {}, const QString& keys = {})
    {
        console.SetCols(80);
        console.SetRows(25);
        const char* module = graphical ? "vesamenu.c32" : "menu.c32";
        const QString path = WriteInTree(tree, "isolinux/isolinux.cfg", "UI " + QByteArray(module) + "\n" + config);
        WriteInTree(tree, QStringLiteral("isolinux/") + QLatin1String(module),
            "\x7f"
            "ELF");
        Picture pattern(640, 480);
        for (int y = 0; y < 480; ++y)
            for (int x = 0; x < 640; ++x)
                pattern.At(x, y) = Vesa::Rgb((x * 7 + y) & 0xFF) << 16 | Vesa::Rgb(y & 0xFF) << 8 | Vesa::Rgb(x & 0x3F);
        WriteInTree(tree, "isolinux/pat.png", Vesa::WriteRgbPng(pattern));
        const BootFiles files = BootFiles::ForConfiguration(path);
        loader = std::make_unique<LoaderSim>(console, files, LoaderSim::Start::Blank);
        const MenuSim* menu = loader->RunningMenu();
        EXPECT_NE(menu, nullptr);
        if (!menu)
            return;
        const GrubLookSource source { menu->Config(), files, files.StartFolder(), loader->Version(), graphical, font };
        theme = MakeGrubTheme(source, menu->MenuIndex(), entries);
        QString error;
        for (const LoaderInput& input : ParseLoaderKeys(keys, error).value_or(std::vector<LoaderInput> {}))
            loader->Give(input);
    }
    Picture Module() const { return Vesa::DrawLoaderMenu(*loader->GraphicalMenu(), font).picture; }
    const QByteArray* File(const QByteArray& name) const
    {
        for (const GrubFile& file : theme.files) {
            if (file.path.endsWith('/' + name))
                return &file.bytes;
        }
        return nullptr;
    }
    GrubThemeComponent Component(const char* type) const
    {
        const QByteArray* text = File("theme.txt");
        const GrubThemeReading reading = text ? ReadGrubTheme(*text) : GrubThemeReading {};
        for (const GrubThemeComponent& component :
            reading.theme ? reading.theme->components : decltype(reading.theme->components) {}) {
            if (component.type == type)
                return component;
        }
        return {};
    }
    int Number(const char* type, const char* name) const { return Component(type).Value(name).value_or("-1").toInt(); }
    // GRUB's screen of the theme, the entries the module's titles.
    Picture Grub(int selected, int seconds = -1) const
    {
        std::map<QByteArray, QByteArray> files { { GrubFontFile, GrubFont(font).bytes } };
        for (const GrubFile& file : theme.files)
            files[file.path] = file.bytes;
        GrubMenuView view { {}, selected, 0, seconds };
        for (const MenuEntry& entry : loader->RunningMenu()->Config().At(loader->RunningMenu()->MenuIndex()).entries)
            view.titles.push_back(Cp437::CellsToUtf8(QByteArray(entry.displayName).replace("^", "")));
        const GrubFileReader reader = [&](const QByteArray& path) -> std::optional<QByteArray> {
            const auto found = files.find(path);
            return found == files.end() ? std::nullopt : std::optional(found->second);
        };
        return DrawGrubMenu(reader, GrubThemePath(loader->RunningMenu()->MenuIndex()), view, theme.width, theme.height);
    }
};

QByteArray Entries(int count, const QByteArray& name = "Entry number ")
{
    QByteArray text;
    for (int i = 0; i < count; ++i)
        text += "LABEL e" + QByteArray::number(i) + "\n  MENU LABEL " + name + QByteArray::number(i) + "\n  KERNEL k\n";
    return text;
}

// Colours whose ink is opaque and casts no shadow (the test font's space
// has dots, and so does the screen's every blank cell): the module's
// pixels then are the ones GRUB can draw.
constexpr const char* Opaque = "MENU COLOR sel 7;37;40 #ff102030 #ffc0d0e0 none\n"
                               "MENU COLOR border 30;44 #ffffffff #00000000 none\n"
                               "MENU COLOR screen 37;40 #80ffffff #00000000 none\n"
                               "MENU COLOR unsel 37;44 #ffeeddcc #80000000 none\n"
                               "MENU COLOR timeout_msg 37;40 #ff40ff40 #00000000 none\n"
                               "MENU COLOR timeout 37;40 #ff40ff40 #00000000 none\n";

// Where two screens differ, outside the columns given.
int Differing(const Picture& a, const Picture& b, int skipLeft = 0, int skipRight = 0)
{
    if (a.width != b.width || a.height != b.height)
        return -1;
    int count = 0;
    for (int y = 0; y < a.height; ++y)
        for (int x = 0; x < a.width; ++x)
            count += (x < skipLeft || x >= skipRight) && a.At(x, y) != b.At(x, y);
    return count;
}

}

TEST(GrubThemeTest, ListBarAndCountdownOnTheModulesGrid)
{
    const struct {
        const char* name;
        QByteArray config;
        bool graphical;
        std::vector<int> entries;
        int left, top, height, width; // the list's
        bool exact;
        int screenWidth;
    } rows[] = {
        { "vesamenu's defaults: row r at 8 + 16 r, the bar from column 11", Entries(4), true, {}, 96, 56, 193, 544,
            true, 640 },
        { "margin, width, shifts and rows",
            "MENU MARGIN 2\nMENU WIDTH 60\nMENU VSHIFT 2\nMENU HSHIFT 3\nMENU ROWS 5\n" + Entries(3), true, {},
            8 + 8 * 6, 8 + 16 * 5, 16 * 5 + 1, 640 - 56, true, 640 },
        { "800 x 600", "MENU RESOLUTION 800 600\n" + Entries(2), true, {}, 96, 56, 193, 800 - 96, true, 800 },
        { "as many entries as rows", "MENU ROWS 4\n" + Entries(4), true, {}, 96, 56, 65, 544, true, 640 },
        { "more entries than rows: GRUB draws the titles", "MENU ROWS 5\n" + Entries(9), true, {}, 96, 56, 81, 544,
            false, 640 },
        { "an entry GRUB does not have", Entries(3), true, { 0, 2 }, 96, 56, 193, 544, false, 640 },
        { "GRUB's entries as the module's", Entries(3), true, { 0, 1, 2 }, 96, 56, 193, 544, true, 640 },
        { "menu.c32's text screen in 8-dot cells, centred", Entries(4), false, {}, 88, 40 + 48, 192, 552, true, 640 },
    };
    for (const auto& row : rows) {
        const Played menu(row.config, row.graphical, row.entries);
        SCOPED_TRACE(row.name);
        EXPECT_EQ(menu.theme.exact, row.exact);
        EXPECT_EQ(menu.theme.width, row.screenWidth);
        EXPECT_EQ(menu.Number("boot_menu", "left"), row.left);
        EXPECT_EQ(menu.Number("boot_menu", "top"), row.top);
        EXPECT_EQ(menu.Number("boot_menu", "height"), row.height);
        EXPECT_EQ(menu.Number("boot_menu", "width"), row.width);
        EXPECT_EQ(menu.Number("boot_menu", "item_height"), 16);
        EXPECT_FALSE(menu.theme.note.isEmpty());
        const std::optional<Vesa::TranslucentPicture> east = Vesa::DecodePngWithAlpha(*menu.File("item_e.png"));
        ASSERT_TRUE(east);
        // The unselected titles' viewport: none when they are the desktop's.
        EXPECT_EQ(east->picture.width + 8 == row.width, row.exact);
    }
}

TEST(GrubThemeTest, MenusBeyondTheFirst)
{
    // A submenu's theme of its own; a hidden menu's as the module shows it
    // once a key is pressed; none for a menu without entries.
    const Played menu("MENU HIDDEN\nTIMEOUT 30\n" + Entries(2) + "MENU BEGIN sub\n  MENU TITLE Sub\n  MENU ROWS 4\n"
        + Entries(3) + "MENU END\n");
    const MenuConfig& config = menu.loader->RunningMenu()->Config();
    const BootFiles files = BootFiles::ForConfiguration(menu.tree.filePath("isolinux/isolinux.cfg"));
    const GrubLookSource source { config, files, files.StartFolder(), LoaderVersion::Debian(), true, menu.font };
    ASSERT_EQ(config.menus.size(), 3u);
    const GrubTheme sub = MakeGrubTheme(source, 2);
    ASSERT_FALSE(sub.files.empty());
    EXPECT_EQ(sub.files.front().path, GrubThemePath(2));
    EXPECT_TRUE(sub.exact);
    EXPECT_TRUE(menu.Number("boot_menu", "height") == 16 * 12 + 1 && !menu.theme.files.empty());
    EXPECT_TRUE(MakeGrubTheme(source, 0).files.empty()); // the hidden entries' menu shows no list
    EXPECT_TRUE(MakeGrubTheme(source, 7).files.empty());
}

TEST(GrubThemeTest, ColoursTheModuleDraws)
{
    const Played menu(QByteArray(Opaque) + "TIMEOUT 50\n" + Entries(3));
    const auto hex
        = [](Vesa::Argb colour) { return '#' + QByteArray::number(Vesa::Blend(colour, 0) | 0x1000000u, 16).mid(1); };
    EXPECT_EQ(menu.Component("boot_menu").Value("selected_item_color"), hex(0xff102030));
    EXPECT_EQ(menu.Component("boot_menu").Value("item_color"), hex(0xffeeddcc));
    const GrubThemeComponent countdown = menu.Component("label");
    EXPECT_EQ(countdown.Value("id"), "__timeout__");
    EXPECT_EQ(countdown.Value("text"), "Automatic boot in %d seconds...");
    EXPECT_EQ(countdown.Value("color"), hex(0xff40ff40));
    const MenuLayout layout = menu.loader->RunningMenu()->Config().At(1).Layout(78, 29);
    EXPECT_EQ(menu.Number("label", "top"), 8 + 16 * (layout.TimeoutRow() - 1));
    EXPECT_TRUE(Played("TIMEOUT 0\n" + Entries(2)).Component("label").type.isEmpty());
}

TEST(GrubThemeTest, GrubShowsTheModulesScreens)
{
    const struct {
        const char* name;
        QByteArray config;
        int selected; // the entry GRUB shows selected
        QString keys; // the module's way there
        int seconds = -1;
    } rows[] = {
        { "default colours on a flat background", "MENU BACKGROUND #336699\nMENU TITLE T\n" + Entries(4), 0, {} },
        { "translucent colours and shadows over a picture",
            "MENU BACKGROUND pat.png\nMENU COLOR sel 7;37;40 #ff000000 #e0ffffff all\n"
            "MENU COLOR unsel 37;44 #ffdddddd #a0000000 std\nMENU COLOR border 30;44 #ffffffff #a0000000 std\n"
                + Entries(4),
            0, {} },
        { "800 x 600", "MENU RESOLUTION 800 600\nMENU BACKGROUND pat.png\n" + QByteArray(Opaque) + Entries(2), 0, {} },
        { "the selection moved, on a flat background", "MENU BACKGROUND #204060\n" + QByteArray(Opaque) + Entries(4), 2,
            "Down Down" },
        { "the countdown drawn by GRUB", "MENU BACKGROUND #204060\nTIMEOUT 70\n" + QByteArray(Opaque) + Entries(3), 0,
            {}, 7 },
    };
    for (const auto& row : rows) {
        const Played menu(row.config, true, {}, row.keys);
        SCOPED_TRACE(row.name);
        ASSERT_TRUE(menu.theme.exact);
        EXPECT_EQ(Differing(menu.Grub(row.selected, row.seconds), menu.Module()), 0);
    }
}

TEST(GrubThemeTest, ScrolledListsAsTheModuleDrawsThem)
{
    // GRUB draws every title in the module's ink, cut at the box's width;
    // only the scroll bar's column is the border's, and the shadow the bar
    // casts on the column right of it gone.
    const Played menu("MENU BACKGROUND #204060\nMENU ROWS 5\n" + QByteArray(Opaque)
        + Entries(9, "A title far longer than the box is wide, cut where the module cuts it, entry "));
    ASSERT_FALSE(menu.theme.exact);
    const MenuLayout layout = menu.loader->RunningMenu()->Config().At(1).Layout(78, 29);
    const int bar = 8 + 8 * (layout.RightEdge() - 1);
    EXPECT_EQ(Differing(menu.Grub(0), menu.Module(), bar, bar + 9), 0);
    EXPECT_GT(Differing(menu.Grub(0), menu.Module()), 0);
}

TEST(GrubThemeTest, TheFontEveryThemeNames)
{
    const PcFont font = TestFont();
    const GrubFile file = GrubFont(font);
    EXPECT_EQ(file.path, GrubFontFile);
    const std::optional<Pf2Font> read = ReadPf2(file.bytes);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->name, GrubFontName(font));
    const Pf2Glyph* block = read->Glyph(Cp437::ToUnicode(0xDB));
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(block->bits, std::vector<std::uint8_t>(font.rows.begin() + 0xDB * 16, font.rows.begin() + 0xDC * 16));
}
