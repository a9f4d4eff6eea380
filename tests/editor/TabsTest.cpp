// Tabs as a user meets them with a real tree: closing and reopening the
// configuration, a tab closed while a view shows it, a file opened twice,
// and the names the tabs carry.
#include "EditorFixture.h"
#include "FileTree.h"
#include "ModalAnswers.h"
#include "editor/RunConfiguration.h"
#include "vm/WindowedVm.h"

#include <QStatusBar>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>
#include <QTreeWidget>

namespace {

class TabsTest : public EditorFixture {
protected:
    QString Write(const QString& name, const QByteArray& bytes) { return WriteInTree(tree, name, bytes); }
    void Activate(const QString& entry)
    {
        QTreeWidget* entries = Find<QTreeWidget>(glavna, "ConfigurationTree");
        const QList<QTreeWidgetItem*> found = entries->findItems(entry, Qt::MatchExactly | Qt::MatchRecursive);
        ASSERT_FALSE(found.isEmpty()) << entry.toStdString();
        emit entries->itemActivated(found.front(), 0);
    }
    void OpenConfiguration(const QString& path)
    {
        AnswerFileDialog([&] { Find<QAction>(glavna, "OpenConfiguration1")->trigger(); }, path);
    }
    void Type(const char* text) { QTest::keyClicks(Editor, text); }
    QStringList Titles() const
    {
        QStringList titles;
        for (int index = 0; index < tabs->count(); ++index)
            titles << tabs->tabText(index);
        return titles;
    }

    QTemporaryDir tree;
    QTabBar* tabs = Find<QTabBar>(glavna, "DocumentTabs");
};

// Whether a row of the loader's screen starts with text.
bool Shows(const RunConfigurationWindow& window, const QByteArray& text)
{
    for (int row = 0; row < 25; ++row)
        if (window.Console().ScreenRow(row).startsWith(text))
            return true;
    return false;
}

}

// The document the window's colours were made for goes with Close
// Configuration; opening the configuration again colours the new tabs.
TEST_F(TabsTest, CloseAndOpenTheConfigurationAgainWithUnsavedTabs)
{
    const QString config = Write("isolinux/isolinux.cfg", "DISPLAY boot.msg\r\nF1 help.txt\r\nPROMPT 1\r\n");
    Write("isolinux/boot.msg", "Welcome\r\n");
    Write("isolinux/help.txt", "Help\r\n");
    OpenConfiguration(config);
    Type("SAY unsaved\r");
    Activate("F1");
    Type("edited ");
    Activate("DISPLAY");
    Type("edited ");
    ASSERT_EQ(tabs->count(), 3);
    const std::vector<ShownBox> asked
        = AnswerBoxes([&] { Find<QAction>(glavna, "CloseConfiguration1")->trigger(); }, { QMessageBox::Yes });
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(Bytes(), "edited Welcome\r\n") << "the tab shown stays";

    OpenConfiguration(config);
    EXPECT_EQ(Bytes(), "DISPLAY boot.msg\r\nF1 help.txt\r\nPROMPT 1\r\n");
    EXPECT_SOON(!Editor->document()->firstBlock().layout()->formats().isEmpty()) << "the new tab is coloured";
    Activate("F1");
    Type("again ");
    EXPECT_EQ(Bytes(), "again Help\r\n");
    EXPECT_SOON(!Editor->document()->firstBlock().layout()->formats().isEmpty());
    EXPECT_EQ(tabs->count(), 3);
    AnswerBoxes([&] { Find<QAction>(glavna, "CloseConfiguration1")->trigger(); }, { QMessageBox::Yes });
    OpenConfiguration(config);
    EXPECT_EQ(tabs->count(), 2) << "the help tab kept, the configuration beside it";
}

// A tab closed while the canvas or Run Configuration shows it: the views
// move on to the tab shown next, and the loader no longer reads the
// closed tab's unsaved text.
TEST_F(TabsTest, ATabClosesWhileAViewShowsIt)
{
    const QString config = Write("isolinux/isolinux.cfg", "F1 help.txt\r\nPROMPT 1\r\n");
    Write("isolinux/help.txt", "Help\r\n");
    glavna.OpenAtStart(config, QFile::encodeName(config));
    Activate("F1");
    Type("unsaved ");
    Find<QAction>(glavna, "LivePreview1")->setChecked(true);
    Find<QAction>(glavna, "RunConfiguration1")->trigger();
    auto* window = glavna.findChild<RunConfigurationWindow*>();
    ASSERT_NE(window, nullptr);
    QTest::keyClick(Find<QWidget>(*window, "Screen"), Qt::Key_F1);
    EXPECT_TRUE(Shows(*window, "unsaved Help"));
    AnswerBoxes([&] { Find<QAction>(glavna, "DrawOnScreen1")->trigger(); }, { QMessageBox::Yes });
    ASSERT_TRUE(Find<QAction>(glavna, "DrawOnScreen1")->isChecked());

    // The configuration shown next is no screen: its rewrite is refused.
    const std::vector<ShownBox> asked
        = AnswerBoxes([&] { emit tabs->tabCloseRequested(1); }, { QMessageBox::Yes, QMessageBox::No });
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_EQ(asked[0].text, "Discard unsaved changes?");
    EXPECT_EQ(tabs->count(), 1);
    EXPECT_FALSE(Find<QAction>(glavna, "DrawOnScreen1")->isChecked());
    EXPECT_TRUE(Editor->isVisible());
    EXPECT_EQ(Bytes(), "F1 help.txt\r\nPROMPT 1\r\n");
    Type("SAY next\r");
    EXPECT_SOON(Shows(*window, "next") && Shows(*window, "Help")) << "the file on disk, replayed";
}

// A file open in one tab is shown there when it is opened again, by any
// way of opening it; never twice.
TEST_F(TabsTest, AFileAlreadyOpenIsShownInItsTab)
{
    const QString config = Write("isolinux/isolinux.cfg", "F1 help.txt\r\n");
    const QString helpFile = Write("isolinux/help.txt", "Help\r\n");
    glavna.OpenAtStart(config, QFile::encodeName(config));
    Activate("F1");
    Type("unsaved ");
    tabs->setCurrentIndex(0);
    AnswerFileDialog([&] { Find<QAction>(glavna, "Open1")->trigger(); }, helpFile);
    EXPECT_EQ(tabs->count(), 2);
    EXPECT_EQ(tabs->currentIndex(), 1);
    EXPECT_EQ(Bytes(), "unsaved Help\r\n") << "the tab's unsaved text, not the file again";
    OpenConfiguration(config);
    EXPECT_EQ(tabs->currentIndex(), 0);
    Activate("F1");
    EXPECT_EQ(tabs->count(), 2);
    EXPECT_EQ(Bytes(), "unsaved Help\r\n");
}

// F9 builds the image on a thread of its own; the configuration and its
// tabs may go meanwhile.
TEST_F(TabsTest, TheConfigurationClosesWhileItsImageIsBuilt)
{
    const QString config = Write("isolinux/isolinux.cfg", "F1 help.txt\r\nPROMPT 1\r\n");
    Write("isolinux/help.txt", "Help\r\n");
    glavna.OpenAtStart(config, QFile::encodeName(config));
    Activate("F1");
    Type("unsaved ");
    bool over = false;
    AnswerBoxes(
        [&] {
            Find<QAction>(glavna, "BootVm1")->trigger();
            auto* vm = glavna.findChild<WindowedVm*>();
            ASSERT_NE(vm, nullptr);
            QObject::connect(vm, &WindowedVm::Started, [&] { over = true; });
            QObject::connect(vm, &WindowedVm::Failed, [&] { over = true; });
            Find<QAction>(glavna, "CloseConfiguration1")->trigger();
            EXPECT_TRUE(QTest::qWaitFor([&] { return over; }, 60000));
        },
        {});
    EXPECT_TRUE(over);
    EXPECT_EQ(tabs->count(), 1);
}

// Tabs read as their files' names, a folder added where two names are the
// same; documents of no file are "Untitled", "Untitled 2" ...
TEST_F(TabsTest, TabsAreNamedByTheirFiles)
{
    const QString config
        = Write("isolinux/isolinux.cfg", "F1 en/help.txt\r\nF2 de/help.txt\r\nF3 de/more/help.txt\r\n");
    for (const char* name : { "isolinux/en/help.txt", "isolinux/de/help.txt", "isolinux/de/more/help.txt" })
        Write(name, "Help\r\n");
    glavna.OpenAtStart(config, QFile::encodeName(config));
    Activate("F1");
    EXPECT_EQ(Titles(), (QStringList { "isolinux.cfg", "help.txt" }));
    Activate("F2");
    Activate("F3");
    Type("x");
    EXPECT_EQ(Titles(), (QStringList { "isolinux.cfg", "en/help.txt", "de/help.txt", "more/help.txt*" }));
    EXPECT_EQ(tabs->tabToolTip(3), tree.filePath("isolinux/de/more/help.txt"));
    AnswerBoxes([&] { emit tabs->tabCloseRequested(3); }, { QMessageBox::Yes });
    AnswerBoxes([&] { emit tabs->tabCloseRequested(2); }, {});
    EXPECT_EQ(Titles(), (QStringList { "isolinux.cfg", "help.txt" }));

    // New makes the shown tab a document of no file; the next is numbered.
    AnswerBoxes([&] { Find<QAction>(glavna, "New1")->trigger(); }, {});
    EXPECT_EQ(Titles(), (QStringList { "isolinux.cfg", "Untitled" }));
    EXPECT_EQ(glavna.windowTitle(), "Untitled[*]");
    tabs->setCurrentIndex(0);
    AnswerBoxes([&] { Find<QAction>(glavna, "New1")->trigger(); }, {});
    EXPECT_EQ(Titles(), (QStringList { "Untitled 2", "Untitled" }));
    EXPECT_EQ(glavna.windowTitle(), "Untitled 2[*]");
    EXPECT_FALSE(Find<QAction>(glavna, "Save1")->isEnabled());
}
