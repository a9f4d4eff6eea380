// vesamenu.c32 played beyond the recordings: F-key screens drawn over the
// picture on their line in the message colours of its colour table, and
// the background an empty submenu shows alone.
#include "vesa/VesaMenu.h"
#include "FileTree.h"
#include "config/BootFiles.h"
#include "console/ColorConsole.h"
#include "console/TextMetrics.h"
#include "sim/LoaderKeys.h"
#include "sim/LoaderSim.h"
#include "sim/MenuSim.h"
#include "vesa/VesaScreen.h"
#include "vesa/VideoModes.h"

#include <gtest/gtest.h>

using namespace Vesa;

namespace {

// Each "picture" file is one pixel of a colour its bytes name.
std::optional<Picture> Decode(QByteArrayView bytes)
{
    const std::pair<const char*, Rgb> pictures[]
        = { { "MENU", 0xFF0000 }, { "HELP", 0x00FF00 }, { "OTHER", 0x0000FF }, { "SUB", 0x808080 } };
    for (const auto& [name, colour] : pictures) {
        if (bytes == QByteArrayView(name))
            return Picture(1, 1, colour);
    }
    return std::nullopt;
}

struct Played {
    QTemporaryDir tree;
    FixedCellMeasurer measurer;
    TColorConsole console { measurer };
    std::unique_ptr<LoaderSim> loader;

    Played(const QByteArray& config, const QString& keys)
    {
        const QString path = WriteInTree(tree, "isolinux/isolinux.cfg", "UI vesamenu.c32\n" + config);
        WriteInTree(tree, "isolinux/vesamenu.c32",
            "\x7f"
            "ELF");
        WriteInTree(tree, "isolinux/help.txt",
            "\x0f"
            "06Y\x0f"
            "1eB\x0f"
            "e0W");
        for (const char* name : { "MENU", "HELP", "OTHER", "SUB" })
            WriteInTree(tree, QStringLiteral("isolinux/%1.png").arg(QLatin1String(name).toString().toLower()), name);
        loader = std::make_unique<LoaderSim>(console, BootFiles::ForConfiguration(path), LoaderSim::Start::Blank);
        QString error;
        for (const LoaderInput& input : ParseLoaderKeys(keys, error).value_or(std::vector<LoaderInput> {}))
            loader->Give(input);
        EXPECT_TRUE(error.isEmpty()) << error.toStdString();
    }
    QByteArray Background() const { return loader->GraphicalMenu()->background; }
    TextLayer Text() const { return MenuText(*loader->GraphicalMenu()); }
    Rgb Corner() const
    {
        const Font blank { 16, std::vector<std::uint8_t>(256 * 16, 0) };
        return DrawMenu(*loader->GraphicalMenu(), blank, Decode).At(0, 0);
    }
};

}

// printmsg.c sets the F-key line's picture while its screen shows and sets
// the old one back after, if there was one: a menu without MENU BACKGROUND
// keeps the help screen's, even when its file does not open.
TEST(VesaMenuTest, FunctionKeyScreensOverTheirPicture)
{
    const QByteArray keys = "F1 help.txt help.png\nF2 help.txt\nF3 gone.txt other.png\nLABEL a\n";
    const struct {
        QByteArray config;
        const char* keys;
        const char* background;
        Rgb corner;
    } cases[] = {
        { "MENU BACKGROUND menu.png\n" + keys, "", "menu.png", 0xFF0000 },
        { "MENU BACKGROUND menu.png\n" + keys, "f1", "help.png", 0x00FF00 },
        { "MENU BACKGROUND menu.png\n" + keys, "f1 x", "menu.png", 0xFF0000 },
        { "MENU BACKGROUND menu.png\n" + keys, "f1 f2", "menu.png", 0xFF0000 },
        { "MENU BACKGROUND menu.png\n" + keys, "f3", "menu.png", 0xFF0000 },
        { keys, "f1 x", "help.png", 0x00FF00 },
        { keys, "f3", "other.png", 0x0000FF },
        { "MENU BACKGROUND menu.png\nLABEL a\nMENU BEGIN e\n MENU BACKGROUND sub.png\nMENU END\n", "down ret",
            "sub.png", 0x808080 },
    };
    for (const auto& test : cases) {
        const Played played(test.config, QString::fromLatin1(test.keys));
        ASSERT_TRUE(played.loader->GraphicalMenu()) << test.keys;
        EXPECT_EQ(played.Background(), test.background) << test.config.toStdString() << test.keys;
        EXPECT_EQ(played.Corner(), test.corner) << test.config.toStdString() << test.keys;
    }
    const TextLayer empty = Played(cases[7].config, "down ret").Text();
    EXPECT_TRUE(std::all_of(empty.cells.begin(), empty.cells.end(), [](const Cell& cell) { return cell.byte == ' '; }));
}

// colors.c: the msgXX colours are the PC colour's full channels (6 is
// yellow) masked by MENU MSGCOLOR's #90ffffff and #80ffffff, the bright
// ones at their half alpha plus 0x80, and a black background transparent.
TEST(VesaMenuTest, HelpScreensInTheMessageColours)
{
    const TextLayer text = Played("F1 help.txt\nLABEL a\n", "f1").Text();
    const struct {
        int column;
        std::uint8_t byte;
        Argb foreground, background;
    } cells[] = {
        { 0, 'Y', 0x90FFFF00, 0x00000000 },
        { 1, 'B', 0xC8FFFF00, 0x800000FF },
        { 2, 'W', 0x90000000, 0xC0FFFF00 },
        { 3, ' ', 0x90FFFFFF, 0x00000000 },
    };
    for (const auto& expected : cells) {
        const Cell& cell = text.cells[static_cast<std::size_t>(expected.column)];
        EXPECT_EQ(cell.byte, expected.byte) << expected.column;
        EXPECT_EQ(cell.foreground, expected.foreground) << expected.column;
        EXPECT_EQ(cell.background, expected.background) << expected.column;
        EXPECT_EQ(cell.shadow, Shadow::Std) << expected.column;
    }
}

// initvesa.c takes a mode of exactly MENU RESOLUTION's size; its grid is
// 8-dot cells of the font's height inside the 8-pixel border, and without
// the mode the module runs on the text screen's 80 x 25.
TEST(VesaMenuTest, TheGridOfTheModeTheBiosOffers)
{
    const struct {
        std::pair<int, int> resolution;
        int fontHeight;
        bool graphical;
        int cols, rows;
    } rows[] = {
        { { 640, 480 }, 16, true, 78, 29 },
        { { 640, 480 }, 14, true, 78, 33 },
        { { 800, 600 }, 8, true, 98, 73 },
        { { 1024, 768 }, 32, true, 126, 23 },
        { { 640, 17 }, 16, false, 80, 25 },
        { { 1366, 768 }, 16, false, 80, 25 },
        // Two bytes a pixel: 3840 x 2160 fits in 16 MiB, 4096 x 2160 does not.
        { { 3840, 2160 }, 16, true, 478, 134 },
        { { 4096, 2160 }, 16, false, 80, 25 },
    };
    for (const auto& row : rows) {
        const MenuMode mode = ModeFor(row.resolution, row.fontHeight);
        EXPECT_EQ(mode.graphical, row.graphical) << row.resolution.first << "x" << row.resolution.second;
        EXPECT_EQ(mode.cols, row.cols) << row.resolution.first << "x" << row.resolution.second;
        EXPECT_EQ(mode.rows, row.rows) << row.resolution.first << "x" << row.resolution.second;
        EXPECT_EQ(std::pair(mode.width, mode.height), row.resolution);
    }
    const Played played("MENU RESOLUTION 800 600\nLABEL a\n", "");
    ASSERT_TRUE(played.loader->GraphicalMenu());
    EXPECT_EQ(played.loader->GraphicalMenu()->cols, 98);
    EXPECT_EQ(played.loader->GraphicalMenu()->rows, 36);
    EXPECT_EQ(played.Text().cells.size(), 98u * 36u);
}

// MENU MSGCOLOR remakes a help screen's colours from its masks, MENU COLOR
// msgXX one of them; a picture that does not open is named in the problem,
// the F-key's own while its screen shows.
TEST(VesaMenuTest, HelpScreensInTheColoursTheMenuSets)
{
    const TextLayer text
        = Played("MENU MSGCOLOR #ff00ff00 #ffffffff none\nMENU COLOR msg1e * #ff123456 #ff654321 all\nF1 help.txt\n"
                 "LABEL a\n",
            "f1")
              .Text();
    EXPECT_EQ(text.cells[0].foreground, 0xFF00FF00u) << "06: yellow's green through the mask";
    EXPECT_EQ(text.cells[0].shadow, Shadow::None);
    EXPECT_EQ(text.cells[1].foreground, 0xFF123456u);
    EXPECT_EQ(text.cells[1].background, 0xFF654321u);
    EXPECT_EQ(text.cells[1].shadow, Shadow::All);
    EXPECT_EQ(text.cells[2].background, 0xFFFFFF00u) << "e0: bright yellow behind";
    const Played gone("MENU BACKGROUND menu.png\nF1 help.txt gone.png\nLABEL a\n", "f1");
    const Font blank { 16, std::vector<std::uint8_t>(256 * 16, 0) };
    const QString problem = DrawLoaderMenu(*gone.loader->GraphicalMenu(), blank).problem;
    EXPECT_TRUE(problem.startsWith(u"MENU BACKGROUND gone.png: ")) << problem.toStdString();
}
