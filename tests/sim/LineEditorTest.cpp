// The command-line editing both loaders share (cli.c and menumain.c's
// edit_cmdline), key by key, and what each loader does with it beyond the
// recordings: the 2048-byte buffer, Tab's label list at boot:, the keys
// only one of them takes, and the menu's help screens in its msgXX colours.
#include "sim/LineEditor.h"
#include "FakeMeasurer.h"
#include "FileTree.h"
#include "console/ColorConsole.h"
#include "preview/ScreenSnapshot.h"
#include "sim/KeyCodes.h"
#include "sim/LoaderSim.h"

#include <gtest/gtest.h>

using namespace KeyCodes;

namespace {

// Keys by name for the table: a typed byte, or one of the editor's.
int KeyNamed(const std::string& name)
{
    const std::pair<const char*, int> keys[] = { { "bs", KeyBackspace }, { "del", KeyDel }, { "delete", KeyDelete },
        { "^d", Control('D') }, { "^u", Control('U') }, { "^w", Control('W') }, { "^k", Control('K') },
        { "left", KeyLeft }, { "^b", Control('B') }, { "right", KeyRight }, { "^f", Control('F') }, { "home", KeyHome },
        { "^a", Control('A') }, { "end", KeyEnd }, { "^e", Control('E') }, { "up", KeyUp }, { "tab", KeyTab },
        { "esc", KeyEscape } };
    for (const auto& [word, key] : keys) {
        if (name == word)
            return key;
    }
    return static_cast<unsigned char>(name.at(0));
}

struct Played {
    FakeMeasurer measurer;
    TColorConsole console { measurer };
    QTemporaryDir tree;
    std::unique_ptr<LoaderSim> loader;

    Played(const QByteArray& config, const std::vector<LoaderInput>& inputs)
    {
        const QString path = WriteInTree(tree, "isolinux/isolinux.cfg", config);
        WriteInTree(tree, "isolinux/menu.c32",
            "\x7f"
            "ELF");
        WriteInTree(tree, "isolinux/k", "kernel");
        WriteInTree(tree, "isolinux/help.txt",
            "\x0f"
            "1eHelp\r\n");
        loader = std::make_unique<LoaderSim>(console, BootFiles::ForConfiguration(path), LoaderSim::Start::Blank);
        for (const LoaderInput& input : inputs)
            loader->Give(input);
    }
    QByteArray Row(int row) const { return console.ScreenRow(row).trimmed(); }
};

std::vector<LoaderInput> KeysOf(const QString& keys)
{
    QString error;
    std::vector<LoaderInput> inputs = ParseLoaderKeys(keys, error).value_or(std::vector<LoaderInput> {});
    EXPECT_TRUE(error.isEmpty()) << error.toStdString();
    return inputs;
}

std::vector<LoaderInput> Typed(const QByteArray& bytes)
{
    std::vector<LoaderInput> inputs;
    for (char byte : bytes)
        inputs.push_back({ LoaderInput::Kind::Character, {}, byte, 0 });
    return inputs;
}

}

TEST(LineEditorTest, TheKeysBothLoadersShare)
{
    const struct {
        const char* start; // Set() first, unless empty
        std::vector<std::string> keys;
        const char* line;
        int cursor;
        LineEditor::Effect last;
    } rows[] = {
        { "abc", { "bs" }, "ab", 2, LineEditor::Effect::Redraw },
        { "abc", { "home", "bs" }, "abc", 0, LineEditor::Effect::Nothing },
        { "abc", { "del" }, "ab", 2, LineEditor::Effect::Redraw },
        { "abc", { "^a", "delete" }, "bc", 0, LineEditor::Effect::Redraw },
        { "abc", { "left", "delete" }, "ab", 2, LineEditor::Effect::Redraw },
        { "abc", { "^d" }, "abc", 3, LineEditor::Effect::Nothing },
        { "abc", { "^u" }, "", 0, LineEditor::Effect::Redraw },
        { "", { "^u" }, "", 0, LineEditor::Effect::Nothing },
        { "one two  ", { "^w" }, "one ", 4, LineEditor::Effect::Redraw },
        { "one two", { "left", "left", "^w" }, "one wo", 4, LineEditor::Effect::Redraw },
        { "  x", { "^w" }, "  ", 2, LineEditor::Effect::Redraw },
        { "x  ", { "^w" }, "", 0, LineEditor::Effect::Redraw },
        { "   ", { "^w" }, "", 0, LineEditor::Effect::Redraw },
        { "abc", { "^b", "^b", "^k" }, "a", 1, LineEditor::Effect::Redraw },
        { "abc", { "^k" }, "abc", 3, LineEditor::Effect::Nothing },
        { "abc", { "home", "right" }, "abc", 1, LineEditor::Effect::Echo },
        { "abc", { "^f" }, "abc", 3, LineEditor::Effect::Nothing },
        { "abc", { "^a", "^e" }, "abc", 3, LineEditor::Effect::Redraw },
        { "abc", { "end" }, "abc", 3, LineEditor::Effect::Nothing },
        { "abc", { "x" }, "abcx", 4, LineEditor::Effect::Typed },
        { "abc", { "home", "x" }, "xabc", 1, LineEditor::Effect::Redraw },
        { "abc", { "up" }, "abc", 3, LineEditor::Effect::Ignored },
        { "abc", { "tab" }, "abc", 3, LineEditor::Effect::Ignored },
        { "abc", { "esc" }, "abc", 3, LineEditor::Effect::Ignored },
    };
    for (const auto& row : rows) {
        LineEditor editor;
        editor.Set(row.start);
        LineEditor::Result result;
        for (const std::string& key : row.keys)
            result = editor.Press(KeyNamed(key));
        EXPECT_EQ(editor.Line(), QByteArray(row.line)) << row.start << " " << row.keys.back();
        EXPECT_EQ(editor.Cursor(), row.cursor) << row.start << " " << row.keys.back();
        EXPECT_EQ(result.effect, row.last) << row.start << " " << row.keys.back();
    }
    // The buffer is MAX_CMDLINE_LEN: 2047 bytes and its terminator.
    LineEditor editor;
    editor.Set(QByteArray(3000, 'a'));
    EXPECT_EQ(editor.Length(), 2047);
    editor.Press(KeyBackspace);
    EXPECT_EQ(editor.Press('b').effect, LineEditor::Effect::Typed);
    EXPECT_EQ(editor.Press('c').effect, LineEditor::Effect::Nothing);
    EXPECT_EQ(editor.Line().right(2), "ab");
    // A new prompt keeps the last line unseen; typing over it ends it.
    editor.Set("old line");
    editor.Begin();
    EXPECT_EQ(editor.Buffer(), "old line");
    EXPECT_EQ(editor.Press(KeyBackspace).effect, LineEditor::Effect::Nothing);
    editor.Press('n');
    EXPECT_EQ(editor.Buffer(), "n");
}

// cli.c: Tab lists the labels that start with the line's first word, each
// after a blank; NOCOMPLETE 1 lists none. A byte past 0x7f is typed as
// get_key returns it; the line holds 2047 of them at the most.
TEST(LineEditorTest, TheBootPrompt)
{
    const QByteArray labels = "PROMPT 1\nLABEL foo1\nLABEL foo2\nLABEL bar\n";
    const struct {
        QByteArray config;
        std::vector<LoaderInput> inputs;
        int fromBottom; // the row above the prompt's, 1 the prompt's
        QByteArray text;
    } rows[] = {
        { labels, Typed("fo bar\t"), 2, "foo1 foo2" },
        { labels, Typed("\t"), 2, "foo1 foo2 bar" },
        { labels, Typed("b\t"), 2, "bar" },
        { labels, Typed("x\t"), 2, "" },
        { "NOCOMPLETE 1\n" + labels, Typed("fo\t"), 1, "boot: fo" },
        { labels, Typed("\xe9\xff"), 1, "boot: \xe9\xff" },
        { labels, KeysOf("\"ab\" esc"), 1, "boot: ab" },
    };
    for (const auto& row : rows) {
        const Played played(row.config, row.inputs);
        const int prompt = played.console.Cursor().y;
        EXPECT_EQ(played.Row(prompt + 1 - row.fromBottom), row.text) << row.config.toStdString();
    }
    const Played longLine(labels, Typed(QByteArray(2100, 'a') + "\r"));
    EXPECT_TRUE(longLine.loader->Serial().contains("Loading " + QByteArray(2047, 'a') + "..."));
    EXPECT_FALSE(longLine.loader->Serial().contains("Loading " + QByteArray(2048, 'a')));
}

// menumain.c's edit_cmdline: the entry's line cut to the same 2047 bytes,
// Esc back to the menu, Up and Down nothing; its F-keys show their screens
// and come back to the line. printmsg.c draws a help screen in the msgXX
// colours, which MENU COLOR sets as it sets the others.
TEST(LineEditorTest, TheMenusEditorAndHelpScreens)
{
    const QByteArray entry = "UI menu.c32\nF1 help.txt\nLABEL a\n KERNEL k\n APPEND " + QByteArray(3000, 'o') + "\n";
    const Played edited(entry, KeysOf("tab \"x\" ret"));
    EXPECT_EQ(edited.loader->Note(),
        QStringLiteral("The loader would boot the kernel /isolinux/k with the options \"%1\". The kernel gets "
                       "\"BOOT_IMAGE=k %1\".")
            .arg(QString(2045, u'o')));
    const Played back("UI menu.c32\nLABEL a\n KERNEL k\n", KeysOf("tab up down esc"));
    EXPECT_TRUE(back.Row(17).startsWith("Press [Tab]")) << back.Row(17).toStdString();
    const Played helped("UI menu.c32\nF1 help.txt\nLABEL a\n KERNEL k\n", KeysOf("tab \"z\" f1 x"));
    EXPECT_EQ(helped.Row(17), "> kz");
    const struct {
        const char* colour;
        int attribute;
    } colours[] = { { "", 0x1E }, { "MENU COLOR msg1e 1;31;40\n", 0x0C }, { "MENU COLOR msg1e *\n", 0x1E } };
    for (const auto& row : colours) {
        const Played help(QByteArray("UI menu.c32\nF1 help.txt\n") + row.colour + "LABEL a\n", KeysOf("f1"));
        EXPECT_EQ(help.Row(0), "Help") << row.colour;
        EXPECT_EQ(static_cast<unsigned char>(ScreenSnapshot::Of(help.console).Attributes(0)[0]), row.attribute)
            << row.colour;
    }
}
