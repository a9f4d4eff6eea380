// The open configuration's set as the one set answers it: the dock lists the
// menus UI or DEFAULT runs with the files they read and where CONFIG leads,
// a file opened as a configuration is one whatever its first line, and its
// lines are coloured as the loader reads them.
#include "EditorFixture.h"
#include "FileTree.h"
#include "editor/document/ScreenHighlighter.h"
#include "format/Cp437.h"

#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>
#include <QTreeWidget>

namespace {

class ConfigurationSetTest : public EditorFixture {
protected:
    QString Write(const QString& name, const QByteArray& bytes) { return WriteInTree(tree, name, bytes); }
    QStringList Entries(const QString& group) const
    {
        QStringList entries;
        const QTreeWidget* list = Find<QTreeWidget>(glavna, "ConfigurationTree");
        for (int index = 0; index < list->topLevelItemCount(); ++index) {
            const QTreeWidgetItem* top = list->topLevelItem(index);
            for (int child = 0; top->text(0) == group && child < top->childCount(); ++child)
                entries << top->child(child)->text(0) + u' ' + top->child(child)->text(1);
        }
        return entries;
    }
    QTemporaryDir tree;
};

}

TEST_F(ConfigurationSetTest, TheDockAndProblemsFollowWhatTheMenusRead)
{
    for (const char* module : { "isolinux/menu.c32", "isolinux/vesamenu.c32" })
        Write(module,
            "\x7f"
            "ELF");
    Write("isolinux/menu.cfg", "MENU TITLE From menu.cfg\nLABEL a\n MENU LABEL ^One\nLABEL b\n MENU LABEL ^Other\n");
    Write("isolinux/arch.cfg", "PROMPT 1\n");
    // No keyword on the first line: opened as a configuration, it is one.
    const QString config
        = Write("isolinux/isolinux.cfg", "frobnicate\nUI menu.c32 menu.cfg\nLABEL arch\n CONFIG arch.cfg\n");
    glavna.OpenAtStart(config, QFile::encodeName(config));
    EXPECT_EQ(Entries("Files"),
        (QStringList { "Configuration /isolinux/isolinux.cfg", "UI /isolinux/menu.c32", "Menu file /isolinux/menu.cfg",
            "CONFIG /isolinux/arch.cfg" }));
    EXPECT_EQ(Entries("Menu: From menu.cfg"), (QStringList { "One (default) a", "Other b" }));
    EXPECT_TRUE(QTest::qWaitFor([&] { return ProblemCodes().contains("menu-duplicate-hotkey"); }, 5000))
        << ProblemCodes().join(u' ').toStdString();

    const QString graphical = Write("isolinux/vesa.cfg", "PROMPT 0\nDEFAULT vesamenu.c32\nMENU TITLE Vesa\nLABEL v\n");
    glavna.OpenAtStart(graphical, QFile::encodeName(graphical));
    EXPECT_EQ(Entries("Files"), (QStringList { "Configuration /isolinux/vesa.cfg", "DEFAULT /isolinux/vesamenu.c32" }));
    EXPECT_EQ(Entries("Menu: Vesa"), (QStringList { "v (default) v" }));
}

// Keywords after blanks (TAB among them, shown as its glyph) in bold, MENU
// with its word, none inside TEXT ... ENDTEXT, comments dimmed.
TEST(ConfigurationHighlightTest, ColoursWhatTheReaderReads)
{
    const std::pair<QByteArray, std::vector<std::pair<int, int>>> lines[] = {
        { "\tMENU\tLABEL x", { { 1, 10 } } },
        { "  label a", { { 2, 5 } } },
        { "path", { { 0, 4 } } },
        { " F1 help.txt", { { 1, 2 } } },
        { "frobnicate 1", {} },
        { "timeouts 5", {} },
        { "TEXT HELP", { { 0, 4 } } },
        { "  LABEL not a directive here", {} },
        { "  ENDTEXT", { { 2, 7 } } },
        { "# comment", { { 0, 9 } } },
    };
    QTextDocument document;
    QByteArray bytes;
    for (const auto& [line, formats] : lines)
        bytes += line + "\r\n";
    document.setPlainText(Cp437::DecodeDocument(bytes.chopped(2)));
    ScreenHighlighter highlighter(&document);
    highlighter.SetConfiguration(true);
    QTextBlock block = document.begin();
    for (const auto& [line, formats] : lines) {
        std::vector<std::pair<int, int>> found;
        for (const QTextLayout::FormatRange& range : block.layout()->formats())
            found.emplace_back(range.start, range.length);
        EXPECT_EQ(found, formats) << line.constData();
        block = block.next();
    }
}
