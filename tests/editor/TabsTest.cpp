// Tabs as a user meets them with a real tree: closing and reopening the
// configuration, a tab closed while a view shows it or while F9 builds, a
// file opened twice, and the names the tabs carry.
#include "ModalAnswers.h"
#include "RecordedSteps.h"
#include "TreeFixture.h"
#include "vm/WindowedVm.h"

#include <QStatusBar>
#include <QTabBar>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>

namespace {

class TabsTest : public TreeFixture {
protected:
    void OpenConfiguration(const QString& path)
    {
        AnswerFileDialog([&] { Find<QAction>(glavna, "OpenConfiguration1")->trigger(); }, path);
    }
    void CloseConfiguration(std::vector<QMessageBox::StandardButton> answers = { QMessageBox::Yes })
    {
        AnswerBoxes([&] { Find<QAction>(glavna, "CloseConfiguration1")->trigger(); }, answers);
    }
    void Type(const char* text) { QTest::keyClicks(Editor, text); }
    bool Coloured() const { return !Editor->document()->firstBlock().layout()->formats().isEmpty(); }
    QStringList Titles() const
    {
        QStringList titles;
        for (int index = 0; index < tabs->count(); ++index)
            titles << tabs->tabText(index);
        return titles;
    }

    QTabBar* tabs = Find<QTabBar>(glavna, "DocumentTabs");
};

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
    CloseConfiguration();
    EXPECT_EQ(Bytes(), "edited Welcome\r\n") << "the tab shown stays";

    OpenConfiguration(config);
    EXPECT_EQ(Bytes(), "DISPLAY boot.msg\r\nF1 help.txt\r\nPROMPT 1\r\n");
    EXPECT_SOON(Coloured());
    Activate("F1");
    Type("again ");
    EXPECT_EQ(Bytes(), "again Help\r\n");
    EXPECT_SOON(Coloured());
    CloseConfiguration();
    OpenConfiguration(config);
    EXPECT_EQ(tabs->count(), 2) << "the help tab kept, the configuration beside it";
}

// A tab closed while the canvas or Run Configuration shows it: the views
// move on to the tab shown next, and the loader no longer reads the
// closed tab's unsaved text.
TEST_F(TabsTest, ATabClosesWhileAViewShowsIt)
{
    Write("isolinux/help.txt", "Help\r\n");
    OpenAtStart("isolinux/isolinux.cfg", "F1 help.txt\r\nPROMPT 1\r\n");
    Activate("F1");
    Type("unsaved ");
    Find<QAction>(glavna, "LivePreview1")->setChecked(true);
    RunConfigurationWindow& window = Run();
    QTest::keyClick(Find<QWidget>(window, "Screen"), Qt::Key_F1);
    EXPECT_TRUE(Shows(window, "unsaved Help"));
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
    Type("SAY next\r");
    EXPECT_SOON(Shows(window, "next") && Shows(window, "Help")) << "the file on disk, replayed";
}

// A file open in one tab is shown there when it is opened again, by any
// way of opening it; never twice.
TEST_F(TabsTest, AFileAlreadyOpenIsShownInItsTab)
{
    const QString helpFile = Write("isolinux/help.txt", "Help\r\n");
    const QString config = OpenAtStart("isolinux/isolinux.cfg", "F1 help.txt\r\n");
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
}

// F9 builds the image on a thread of its own, and the configuration and
// its tabs may go meanwhile. What the image left out or took from Debian is
// a count in the status bar and a list one to a line behind it.
TEST_F(TabsTest, TheConfigurationClosesWhileItsImageIsBuilt)
{
    Write("isolinux/help.txt", "Help\r\n");
    Write("outside.txt", "out of the tree\r\n");
    OpenAtStart("isolinux/isolinux.cfg", "UI menu.c32\nF1 help.txt\nF2 ../../outside.txt\n");
    Activate("F1");
    Type("unsaved ");
    auto* notes = Find<QPushButton>(glavna, "ImageNotes");
    QStringList listed;
    AnswerBoxes(
        [&] {
            Find<QAction>(glavna, "BootVm1")->trigger();
            auto* vm = glavna.findChild<WindowedVm*>();
            ASSERT_NE(vm, nullptr);
            bool over = false;
            QObject::connect(vm, &WindowedVm::Started, [&](const QStringList& said) {
                over = true;
                listed = said;
            });
            QObject::connect(vm, &WindowedVm::Failed, [&] { over = true; });
            CloseConfiguration();
            EXPECT_TRUE(QTest::qWaitFor([&] { return over; }, 60000));
        },
        {});
    EXPECT_EQ(tabs->count(), 1);
    listed.removeDuplicates();
    ASSERT_GE(listed.size(), 3) << "menu.c32, its library and the file out of the tree";
    EXPECT_EQ(glavna.statusBar()->currentMessage(), "The virtual machine runs.");
    EXPECT_EQ(notes->text(), QStringLiteral("%1 notes on the boot image").arg(listed.size()));
    const ShownBox box = AnswerBox([&] { notes->click(); });
    EXPECT_EQ(box.text, "The boot image in the virtual machine:");
    EXPECT_EQ(box.informative.split(u'\n').size(), listed.size()) << "one note a line";
    for (const QString& note : listed)
        EXPECT_TRUE(box.informative.contains(QStringLiteral("\u2022 ") + note)) << note.toStdString();
}

// Tabs read as their files' names, a folder added where two names are the
// same; documents of no file are "Untitled", "Untitled 2" ...
TEST_F(TabsTest, TabsAreNamedByTheirFiles)
{
    for (const char* name : { "isolinux/en/help.txt", "isolinux/de/help.txt", "isolinux/de/more/help.txt" })
        Write(name, "Help\r\n");
    OpenAtStart("isolinux/isolinux.cfg", "F1 en/help.txt\r\nF2 de/help.txt\r\nF3 de/more/help.txt\r\n");
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

// A window that goes leaves no timer of its configuration behind to read it.
TEST_F(TabsTest, AClosedWindowLeavesNothingThatFires)
{
    const QString config = Write("isolinux/isolinux.cfg", "PROMPT 1\n");
    {
        TGlavna other;
        other.OpenAtStart(config, QFile::encodeName(config));
        QTest::keyClicks(Find<DocumentEdit>(other, "Editor"), "SAY edit\r"); // the dock reads again soon
    }
    QTest::qWait(300);
    Type("x");
    EXPECT_EQ(Bytes(), "x");
}

// Save As onto a file another tab holds asks first (the dialog has asked
// whether to replace the file): No leaves both as they were, Yes saves and
// closes the other tab, whose file is now this document's.
TEST_F(TabsTest, SaveAsOntoAFileOpenInAnotherTabAsksAndClosesThatTab)
{
    const QString helpFile = Write("isolinux/help.txt", "Help\r\n");
    const QString config = OpenAtStart("isolinux/isolinux.cfg", "F1 help.txt\r\n");
    Activate("F1");
    Type("unsaved ");
    tabs->setCurrentIndex(0);
    const auto saveAs = [&](QMessageBox::StandardButton answer) {
        return AnswerBoxes([&] { AnswerFileDialog([&] { Find<QAction>(glavna, "SaveAs1")->trigger(); }, helpFile); },
            { QMessageBox::Yes, answer });
    };
    std::vector<ShownBox> asked = saveAs(QMessageBox::No);
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_TRUE(asked[1].text.contains(u"open in another tab")) << asked[1].text.toStdString();
    EXPECT_EQ(asked[1].informative, "Its unsaved changes are lost.");
    EXPECT_EQ(asked[1].defaultButton, QMessageBox::No);
    EXPECT_EQ(tabs->count(), 2);
    EXPECT_EQ(ReadBytes(helpFile), "Help\r\n");
    EXPECT_EQ(glavna.windowTitle().remove("[*]"), config);

    asked = saveAs(QMessageBox::Yes);
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_EQ(ReadBytes(helpFile), "F1 help.txt\r\n");
    EXPECT_FALSE(tabs->isVisible()) << "one tab left";
    EXPECT_EQ(glavna.windowTitle().remove("[*]"), helpFile);
    EXPECT_EQ(Bytes(), "F1 help.txt\r\n");
    Activate("F1");
    EXPECT_EQ(tabs->count(), 1) << "help.txt is this tab's";
}
