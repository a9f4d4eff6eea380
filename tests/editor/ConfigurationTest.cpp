// A boot configuration in the editor: opened from the command line, its
// dock, and the Run Configuration window playing the loader with the
// document's unsaved text, keys pressed on its screen.
#include "EditorFixture.h"
#include "FileTree.h"
#include "ModalAnswers.h"
#include "RecordedSteps.h"
#include "editor/configuration/ConfigurationDock.h"
#include "editor/configuration/RunConfiguration.h"

#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

namespace {

class ConfigurationTest : public EditorFixture {
protected:
    QString Write(const QString& name, const QByteArray& bytes) { return WriteInTree(tree, name, bytes); }
    // The texts of a dock group's entries, "role value".
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
    QString ScreenRow(const RunConfigurationWindow& window, int row) const
    {
        return QString::fromLatin1(window.Console().ScreenRow(row)).trimmed();
    }
    // isolinux/isolinux.cfg of the tree opened and played with a
    // vesamenu.c32 beside it, as Run Configuration shows it.
    RunConfigurationWindow* RunGraphicalMenu()
    {
        Write("isolinux/vesamenu.c32",
            "\x7f"
            "ELF");
        const QString config = tree.filePath("isolinux/isolinux.cfg");
        glavna.OpenAtStart(config, QFile::encodeName(config));
        Find<QAction>(glavna, "RunConfiguration1")->trigger();
        return glavna.findChild<RunConfigurationWindow*>();
    }
    QTemporaryDir tree;
};

}

TEST_F(ConfigurationTest, OpensRunsAndFollowsTheUnsavedConfiguration)
{
    const QString config = Write("isolinux/isolinux.cfg", "DISPLAY boot.msg\r\nF1 help.txt\r\nPROMPT 1\r\n");
    Write("isolinux/boot.msg",
        "\x0c"
        "Welcome\r\n");
    Write("isolinux/help.txt", "Help screen\r\n");
    glavna.OpenAtStart(config, QFile::encodeName(config));
    EXPECT_EQ(Entries("Files"),
        (QStringList {
            "Configuration /isolinux/isolinux.cfg", "DISPLAY /isolinux/boot.msg", "F1 /isolinux/help.txt" }));

    // An unsaved edit: F2 names a file that is not there.
    QTextCursor end = Editor->textCursor();
    end.movePosition(QTextCursor::End);
    Editor->setTextCursor(end);
    QTest::keyClicks(Editor, "F2 absent.txt");
    QTest::keyClick(Editor, Qt::Key_Return);
    Find<QAction>(glavna, "LivePreview1")->setChecked(true);
    Find<QAction>(glavna, "RunConfiguration1")->trigger();
    auto* window = glavna.findChild<RunConfigurationWindow*>();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(ScreenRow(*window, 0), "Welcome");
    EXPECT_EQ(ScreenRow(*window, 1), "boot:");

    QWidget* screen = Find<QWidget>(*window, "Screen");
    QTest::keyClicks(screen, "li");
    QTest::keyClick(screen, Qt::Key_F1);
    EXPECT_EQ(ScreenRow(*window, 2), "Help screen");
    EXPECT_EQ(ScreenRow(*window, 3), "boot: li");
    QTest::keyClick(screen, Qt::Key_Tab);
    EXPECT_TRUE(screen->hasFocus() || !window->isActiveWindow()) << "Tab stays with the loader";
    Find<QPushButton>(*window, "F2")->click();
    EXPECT_EQ(ScreenRow(*window, 6), "boot: li") << "F2 from the unsaved text: a missing file, a new prompt";

    // An edit to the document replays the keys on the edited configuration.
    Editor->SetBytes("DISPLAY boot.msg\r\nF1 help.txt\r\nPROMPT 1\r\nSAY edited\r\n");
    QTest::keyClick(Editor, Qt::Key_End);
    QTest::keyClicks(Editor, " ");
    EXPECT_SOON(ScreenRow(*window, 1) == u"edited");

    Find<QPushButton>(*window, "Restart")->click();
    EXPECT_EQ(ScreenRow(*window, 2), "boot:");
    EXPECT_EQ(Entries("Output"), QStringList { "SAY edited" });
}

TEST_F(ConfigurationTest, KeysOnTheScreenAreTheLoadersKeys)
{
    using Key = LoaderInput::Key;
    struct Case {
        int key;
        Qt::KeyboardModifiers modifiers;
        QString text;
        Key expected;
        char character;
    };
    const Case cases[] = {
        { Qt::Key_F1, Qt::NoModifier, {}, Key::F1, 0 },
        { Qt::Key_F12, Qt::NoModifier, {}, Key::F12, 0 },
        { Qt::Key_F1, Qt::ShiftModifier, {}, Key::None, 0 },
        { Qt::Key_Return, Qt::NoModifier, "\r", Key::Enter, 0 },
        { Qt::Key_Tab, Qt::NoModifier, "\t", Key::Tab, 0 },
        { Qt::Key_U, Qt::ControlModifier, "\x15", Key::None, '\x15' },
        { Qt::Key_A, Qt::ShiftModifier, "A", Key::None, 'A' },
    };
    for (const Case& test : cases) {
        const std::optional<LoaderInput> input = LoaderInputOf(test.key, test.modifiers, test.text);
        ASSERT_TRUE(input) << test.key;
        EXPECT_EQ(input->key, test.expected) << test.key;
        EXPECT_EQ(input->character, test.character) << test.key;
    }
    EXPECT_FALSE(LoaderInputOf(Qt::Key_Shift, Qt::ShiftModifier, {}));
}

// Files of the set open as tabs, each with its own text, undo and Save
// target; the loader reads every tab's unsaved text.
TEST_F(ConfigurationTest, FilesOfTheSetOpenAsTabsThatTheLoaderReads)
{
    const QString config = Write("isolinux/isolinux.cfg", "F1 help.txt\r\nPROMPT 1\r\n");
    const QString helpFile = Write("isolinux/help.txt", "Help screen\r\n");
    glavna.OpenAtStart(config, QFile::encodeName(config));
    auto* tabs = Find<QTabBar>(glavna, "DocumentTabs");
    EXPECT_TRUE(tabs->isHidden()) << "one document: the window as it always was";

    QTreeWidget* entries = Find<QTreeWidget>(glavna, "ConfigurationTree");
    const QList<QTreeWidgetItem*> f1 = entries->findItems("F1", Qt::MatchExactly | Qt::MatchRecursive);
    ASSERT_EQ(f1.size(), 1);
    emit entries->itemActivated(f1.front(), 0);
    ASSERT_EQ(tabs->count(), 2);
    EXPECT_FALSE(tabs->isHidden());
    EXPECT_EQ(Bytes(), "Help screen\r\n");
    QTest::keyClicks(Editor, "Edited ");
    EXPECT_TRUE(glavna.windowTitle().startsWith(helpFile));

    tabs->setCurrentIndex(0);
    EXPECT_EQ(Bytes(), "F1 help.txt\r\nPROMPT 1\r\n");
    EXPECT_FALSE(Editor->document()->isUndoAvailable()) << "each tab its own undo";
    QTest::keyClicks(Editor, "SAY tabs\r");

    Find<QAction>(glavna, "RunConfiguration1")->trigger();
    auto* window = glavna.findChild<RunConfigurationWindow*>();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(ScreenRow(*window, 4), "tabs") << "the configuration's unsaved text";
    QTest::keyClick(Find<QWidget>(*window, "Screen"), Qt::Key_F1);
    EXPECT_EQ(ScreenRow(*window, 6), "Edited Help screen") << "the help tab's unsaved text";

    // Closing the configuration asks once about the other unsaved tab.
    const ShownBox asked
        = AnswerBox([&] { Find<QAction>(glavna, "CloseConfiguration1")->trigger(); }, QMessageBox::Yes);
    EXPECT_TRUE(asked.text.contains("help.txt")) << asked.text.toStdString();
    EXPECT_EQ(tabs->count(), 1);
    EXPECT_TRUE(Bytes().startsWith("SAY tabs")) << "the document shown stays";
}

// A menu module's configuration: its menus as a tree in the dock, each
// entry leading to its line, and the menu played on the screen's keys.
TEST_F(ConfigurationTest, TheMenuInTheDockAndOnTheScreen)
{
    const QString config = Write("isolinux/isolinux.cfg",
        "UI menu.c32\nMENU TITLE Rescue\nLABEL a\n MENU LABEL ^Start\n MENU DEFAULT\nMENU BEGIN more\n"
        " MENU TITLE More\n LABEL b\n  MENU DISABLE\nMENU END\nLABEL c\n MENU HIDE\n");
    Write("isolinux/menu.c32",
        "\x7f"
        "ELF");
    glavna.OpenAtStart(config, QFile::encodeName(config));
    EXPECT_EQ(
        Entries("Menu: Rescue"), (QStringList { "Start (default) a", "More submenu", "Hidden entries (MENU HIDE) " }));
    QTreeWidget* entries = Find<QTreeWidget>(glavna, "ConfigurationTree");
    const QList<QTreeWidgetItem*> b = entries->findItems("b", Qt::MatchExactly | Qt::MatchRecursive);
    ASSERT_EQ(b.size(), 1);
    EXPECT_EQ(b.front()->parent()->text(0), "More");
    EXPECT_EQ(b.front()->text(1), "disabled");
    emit entries->itemActivated(b.front(), 0);
    EXPECT_EQ(Editor->textCursor().blockNumber(), 7) << "the entry's LABEL line";

    Find<QAction>(glavna, "RunConfiguration1")->trigger();
    auto* window = glavna.findChild<RunConfigurationWindow*>();
    ASSERT_NE(window, nullptr);
    QWidget* screen = Find<QWidget>(*window, "Screen");
    EXPECT_EQ(ScreenRow(*window, 1).simplified(), QString::fromLatin1("\xB3 Rescue \xB3"));
    QTest::keyClick(screen, Qt::Key_Down);
    QTest::keyClick(screen, Qt::Key_Return);
    EXPECT_EQ(ScreenRow(*window, 1).simplified(), QString::fromLatin1("\xB3 More \xB3"));
    QTest::keyClick(screen, Qt::Key_Escape);
    QTest::keyClick(screen, Qt::Key_Escape);
    EXPECT_EQ(ScreenRow(*window, 23), "boot:");
}

// vesamenu.c32 shows as its picture, equal to QEMU's, and takes the keys;
// leaving it brings the text screen back.
TEST_F(ConfigurationTest, TheGraphicalMenuIsItsPicture)
{
    const QString recorded = SharedFolder("boottruth/project/vesa").path();
    REQUIRE_SHARED(QFile::exists(recorded + "/out"), "the vesamenu recordings");
    if (!QFile::exists("/usr/share/seabios/vgabios-stdvga.bin"))
        GTEST_SKIP() << "QEMU's VGA BIOS (seabios) is not installed";
    const QString source = recorded + "/cases/v12_shadow_modes/iso/isolinux/";
    for (const QString& name : QDir(source).entryList(QDir::Files))
        Write("isolinux/" + name, ReadBytes(source + name));
    RunConfigurationWindow* window = RunGraphicalMenu();
    ASSERT_NE(window, nullptr);
    QWidget* picture = Find<QWidget>(*window, "Picture");
    ASSERT_NE(window->Picture(), nullptr);
    EXPECT_TRUE(picture->isVisibleTo(window));
    EXPECT_FALSE(Find<QWidget>(*window, "Screen")->isVisibleTo(window));
    const auto shot = [&](const char* name) {
        return QImage(recorded + "/out/v12_shadow_modes/" + name + ".png").convertToFormat(QImage::Format_RGB32);
    };
    EXPECT_EQ(*window->Picture(), shot("00_initial"));
    QTest::keyClick(picture, Qt::Key_Down);
    EXPECT_EQ(*window->Picture(), shot("01_down"));
    QTest::keyClick(picture, Qt::Key_Escape);
    EXPECT_EQ(window->Picture(), nullptr);
    EXPECT_TRUE(Find<QWidget>(*window, "Screen")->isVisibleTo(window));
}

// A key draws the graphical menu again over the background decoded once;
// the file's new bytes are decoded anew.
TEST_F(ConfigurationTest, TheBackgroundIsDecodedOncePerFileAndBytes)
{
    const QString recorded = SharedFolder("boottruth/project/vesa").path();
    REQUIRE_SHARED(QFile::exists(recorded + "/out"), "the vesamenu recordings");
    if (!QFile::exists("/usr/share/seabios/vgabios-stdvga.bin"))
        GTEST_SKIP() << "QEMU's VGA BIOS (seabios) is not installed";
    const QString cases = recorded + "/cases/";
    Write("isolinux/isolinux.cfg", ReadBytes(cases + "v04_bg_jpg/iso/isolinux/isolinux.cfg"));
    Write("isolinux/pat.jpg", ReadBytes(cases + "v04_bg_jpg/iso/isolinux/pat.jpg"));
    RunConfigurationWindow* window = RunGraphicalMenu();
    ASSERT_NE(window, nullptr);
    ASSERT_NE(window->Picture(), nullptr);
    EXPECT_EQ(
        *window->Picture(), QImage(recorded + "/out/v04_bg_jpg/00_initial.png").convertToFormat(QImage::Format_RGB32));
    const QImage first = *window->Picture();
    QWidget* picture = Find<QWidget>(*window, "Picture");
    for (const Qt::Key key : { Qt::Key_Down, Qt::Key_Down, Qt::Key_Up })
        QTest::keyClick(picture, key);
    EXPECT_EQ(window->Backgrounds().Decoded(), 1) << "the keys draw over the kept picture";
    Write("isolinux/pat.jpg", ReadBytes(cases + "v10_bg_jpg_320x240/iso/isolinux/small.jpg"));
    Find<QPushButton>(*window, "Restart")->click();
    EXPECT_EQ(window->Backgrounds().Decoded(), 2);
    EXPECT_EQ(window->Backgrounds().Files(), 1u);
    ASSERT_NE(window->Picture(), nullptr);
    EXPECT_NE(window->Picture()->pixel(300, 300), first.pixel(300, 300)) << "the new picture, tiled";
}
