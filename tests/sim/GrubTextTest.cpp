// GRUB's text screens: the entry editor's keys on its lines, gfxterm's
// grid (wrapping, scrolling, its window on the screen) and the pages' layout.
#include "sim/grub/GrubEditor.h"
#include "sim/grub/GrubKeys.h"

#include <gtest/gtest.h>

namespace {

using namespace GrubKey;

// The script after keys, the cursor marked with |.
std::string Edited(const QByteArray& script, std::initializer_list<int> keys)
{
    GrubEditor editor(script);
    for (const int key : keys)
        editor.Key(key);
    QList<QByteArray> lines = editor.Script().split('\n');
    lines.removeLast();
    QByteArray& line = lines[editor.Line()];
    line.insert(editor.Column(), '|');
    return lines.join('/').toStdString();
}

}

TEST(GrubTextTest, EditorKeys)
{
    const QByteArray script = "ab\ncdef\ng";
    const struct {
        std::initializer_list<int> keys;
        std::string edited;
    } cases[] = {
        { {}, "|ab/cdef/g" }, { { Right, Right, Right }, "ab/|cdef/g" }, { { Left }, "|ab/cdef/g" },
        { { Down, End, Left, Left, Left, Left, Left }, "ab|/cdef/g" },
        { { End, Down }, "ab/|cdef/g" }, // End moves no aim
        { { Right, Right, Down, Down, Up }, "ab/cd|ef/g" }, // Up and Down aim where Right and Left left it
        { { Down, Down, Down }, "ab/cdef/g|" }, { { Up }, "|ab/cdef/g" },
        { { Down, Right, CtrlKey('a') }, "ab/|cdef/g" }, { { CtrlKey('e') }, "ab|/cdef/g" },
        { { 'x', 'y' }, "xy|ab/cdef/g" }, { { Enter }, "/|ab/cdef/g" }, { { End, Delete }, "ab|cdef/g" },
        { { Down, Backspace }, "ab|cdef/g" }, { { Backspace }, "|ab/cdef/g" },
        { { Down, Right, CtrlKey('k') }, "ab/c|/g" },
        { { Down, Right, CtrlKey('k'), CtrlKey('k'), Home, CtrlKey('y') }, "ab/def/|cg" }, // the kills ran on
        { { Down, CtrlKey('k'), Down, CtrlKey('k'), Up, CtrlKey('y') }, "ab/g|/" }, // a new kill forgot the first
        { { CtrlKey('o') }, "|/ab/cdef/g" },
        { { CtrlKey('d'), CtrlKey('f'), CtrlKey('b'), CtrlKey('n'), CtrlKey('p') }, "|b/cdef/g" },
        { { Tab, 0x7f, CtrlKey('u') }, "|ab/cdef/g" }, // no completions, no DEL, Ctrl+U does nothing
    };
    for (const auto& each : cases)
        EXPECT_EQ(Edited(script, each.keys), each.edited) << each.edited;
    GrubEditor editor(script);
    EXPECT_EQ(editor.Key(Escape), GrubEditor::Result::Discard);
    EXPECT_EQ(editor.Key(F10), GrubEditor::Result::Boot);
    EXPECT_EQ(editor.Key(CtrlKey('x')), GrubEditor::Result::Boot);
    EXPECT_EQ(editor.Key(F2), GrubEditor::Result::CommandLine);
    EXPECT_EQ(editor.Key(CtrlKey('c')), GrubEditor::Result::CommandLine);
    EXPECT_EQ(editor.Key('q'), GrubEditor::Result::Editing);
}

// A line longer than the frame folds with a backslash; the frame scrolls
// to keep the cursor, arrows saying more lies above or below.
TEST(GrubTextTest, EditorFoldsAndScrolls)
{
    QByteArray script = QByteArray(100, 'x') + '\n';
    for (int line = 0; line < 30; ++line)
        script += "line " + QByteArray::number(line) + '\n';
    GrubEditor editor(script);
    GrubTerminal text(77, 28); // 640 x 480 in a theme's window
    editor.Draw(text);
    EXPECT_EQ(text.Row(4).mid(2), QString(72, u'x') + u'\\' + QString::fromUtf8("│"));
    EXPECT_EQ(text.Row(5).mid(2, 29), QString(28, u'x') + u' ');
    EXPECT_EQ(text.Row(6).mid(2, 6), "line 0");
    EXPECT_EQ(text.Row(18).right(1), QString::fromUtf8("↓"));
    EXPECT_EQ(text.Row(4).right(1), QString::fromUtf8("│")) << "nothing above";
    for (int down = 0; down < 20; ++down)
        editor.Key(Down);
    editor.Draw(text);
    EXPECT_EQ(text.Row(18).mid(2, 7), "line 19") << "the cursor's line on the frame's last row";
    EXPECT_EQ(text.Row(4).right(1), QString::fromUtf8("↑"));
    EXPECT_EQ(std::pair(text.X(), text.Y()), std::pair(2, 18));
}

// gfxterm's grid: text wraps at the right edge, the last row scrolls up,
// help texts wrap at their spaces between the margins.
TEST(GrubTextTest, TerminalGrid)
{
    GrubTerminal text(10, 3);
    text.Print(QByteArray("0123456789ab"));
    EXPECT_EQ(text.Row(0), "0123456789");
    EXPECT_EQ(text.Row(1), "ab");
    text.Print(QByteArray("\nc\nd"));
    EXPECT_EQ(text.Row(0), "ab") << "scrolled";
    EXPECT_EQ(text.Row(2), "d");
    GrubTerminal wide(30, 5);
    EXPECT_EQ(wide.PrintIndented(QStringLiteral("one two three four five six"), 3, 6, true), 2);
    wide.PrintIndented(QStringLiteral("one two three four five six"), 3, 6);
    EXPECT_EQ(wide.Row(0), "   one two three four");
    EXPECT_EQ(wide.Row(1), "   five six");
    EXPECT_EQ(std::pair(wide.X(), wide.Y()), std::pair(11, 1)) << "after its last character";
}

// The window on the screen: black, a cell's background and glyph from the
// font with its baseline at the ascent, the cursor two lines at the
// baseline; what lies outside stays.
TEST(GrubTextTest, TerminalDrawing)
{
    Pf2Font font;
    font.maxHeight = 16;
    font.ascent = 12;
    Pf2Glyph bar; // one dot wide, two high, standing on the baseline
    bar.width = 1;
    bar.height = 2;
    bar.deviceWidth = 8;
    bar.bits = { 0xC0 };
    font.glyphs[U'!'] = bar;
    font.glyphs[U' '] = Pf2Glyph { 0, 0, 0, 0, 8, {} };
    GrubTerminal text(4, 2);
    text.SetColour(0x1E); // yellow on blue
    text.Print(QByteArray("!"));
    text.SetColour(0x07);
    text.Print(QByteArray("\x01"));
    Vesa::Picture screen(60, 50, 0x123456);
    const GrubWindow window { 10, 5, 40, 40, 3 };
    DrawTerminal(screen, window, text, &font);
    EXPECT_EQ(screen.At(9, 5), 0x123456u) << "outside";
    EXPECT_EQ(screen.At(10, 5), 0u) << "the window's border";
    EXPECT_EQ(screen.At(14, 8), GrubColour(1)) << "the cell's background";
    EXPECT_EQ(screen.At(13, 8 + 10), GrubColour(14)) << "the glyph's top dot";
    EXPECT_EQ(screen.At(13, 8 + 11), GrubColour(14)) << "and the one on the baseline";
    EXPECT_EQ(screen.At(13, 8 + 12), GrubColour(1));
    EXPECT_EQ(screen.At(22, 8 + 2), GrubColour(7)) << "the box of a code point the font lacks";
    EXPECT_EQ(screen.At(29, 8 + 12), GrubColour(7)) << "the cursor after it";
    EXPECT_EQ(screen.At(29, 8 + 14), 0u);
    EXPECT_EQ(CellWidth(&font), 8);
    EXPECT_EQ(CellHeight(nullptr), 16);
}

// Where the terminal goes: a theme's default window at 640 x 480 is too
// small for 80 x 24 cells and takes all but a frame; at 800 x 600 seven
// tenths are, and it grows to 80 x 24; at 1024 x 768 seven tenths; the
// text menu's page shrinks on a small grid.
TEST(GrubTextTest, WindowsAndPages)
{
    const auto window = [](int width, int height) {
        const GrubWindow shown = ThemeWindow(width, height, nullptr);
        return std::vector<int> { shown.x, shown.y, shown.width, shown.height, shown.border };
    };
    EXPECT_EQ(window(640, 480), (std::vector<int> { 9, 9, 622, 462, 3 }));
    EXPECT_EQ(window(800, 600), (std::vector<int> { 77, 105, 646, 390, 3 })) << "both sides grow";
    EXPECT_EQ(window(1024, 768), (std::vector<int> { 154, 115, 716, 537, 3 }));
    EXPECT_EQ(window(1920, 1080), (std::vector<int> { 288, 162, 1344, 756, 3 }));
    const auto asked = [](GrubWindow wanted) {
        const GrubWindow shown = ThemeWindow(1024, 768, nullptr, wanted);
        return std::vector<int> { shown.x, shown.y, shown.width, shown.height, shown.border };
    };
    EXPECT_EQ(asked({ 10, 20, 700, 500, 0 }), (std::vector<int> { 10, 20, 700, 500, 0 })) << "as asked";
    EXPECT_EQ(asked({ 10, 20, 700, 300, 0 }), (std::vector<int> { 192, 192, 640, 384, 0 }))
        << "too low: 80 x 24, centred";
    EXPECT_EQ(asked({ 900, 700, 700, 400, 0 }), (std::vector<int> { 324, 368, 700, 400, 0 }))
        << "moved onto the screen";
    EXPECT_EQ(ThemeWindow(640, 480, nullptr, GrubWindow { 0, 0, 640, 480, 10 }).border, 3) << "a wide border given up";
    EXPECT_EQ(TerminalFor(FullScreenWindow(640, 480), nullptr).Columns(), 77);
    EXPECT_EQ(TerminalFor(FullScreenWindow(640, 480), nullptr).Rows(), 28);
    GrubTerminal large(77, 28);
    const GrubPage::Geometry page = GrubPage::Init(large, true, false);
    EXPECT_EQ(std::vector<int>({ page.firstX, page.firstY, page.width, page.rows, page.timeoutY }),
        (std::vector<int> { 2, 4, 72, 15, 25 }))
        << "the nested menu's help takes one row more";
    GrubTerminal small(40, 12);
    const GrubPage::Geometry tight = GrubPage::Init(small, false, false);
    EXPECT_FALSE(tight.border) << "no room for the frame";
    EXPECT_EQ(
        std::vector<int>({ tight.firstX, tight.firstY, tight.width, tight.rows }), (std::vector<int> { 0, 1, 38, 3 }))
        << "the version line stays, without its blank row";
}
