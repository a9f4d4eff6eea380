// Trees made to hurt, opened as a user opens them: Open Configuration lists
// them, the Problems dock says what --check says, and Run Configuration
// plays them to the note glimra-render gives, the window still there.
#include "EditorFixture.h"
#include "FileTree.h"
#include "editor/configuration/RunConfiguration.h"

#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

namespace {

struct Row {
    const char* name;
    QByteArray config; // isolinux/isolinux.cfg
    std::vector<std::pair<const char*, QByteArray>> files; // more of the tree
    const char* keys; // pressed on the screen: d (Down), r (Enter), or t (the timeout runs out)
    const char* code; // a finding the Problems dock lists, or nullptr
    const char* shown; // part of what Run Configuration shows on its screen or says below it
    const char* gone = nullptr; // shown no longer
};

const QByteArray Elf = QByteArray("\x7f"
                                  "ELF");

std::vector<Row> Rows()
{
    return {
        { "config loop", "DEFAULT x\nLABEL x\n CONFIG other.cfg\n",
            { { "isolinux/other.cfg", "DEFAULT y\nLABEL y\n CONFIG isolinux.cfg\n" } }, "", "config-loop",
            "CONFIG leads back to the same configuration without end" },
        { "empty submenu",
            "UI menu.c32\nMENU BEGIN empty\nMENU TITLE Nothing in here\nMENU END\nLABEL a\n MENU LABEL Parent entry\n "
            "KERNEL a\n",
            { { "isolinux/menu.c32", Elf } }, "rr", nullptr, "Nothing in here", "Parent entry" },
        { "no such video mode", "UI vesamenu.c32\nMENU RESOLUTION 2147483647 2147483647\nLABEL a\n KERNEL a\n",
            { { "isolinux/vesamenu.c32", Elf } }, "d", "no-video-mode", "no 2147483647 x 2147483647 video mode" },
        { "include out of the tree", "INCLUDE ../../../etc/passwd\nPROMPT 1\n", {}, "", "include-refused", "boot:" },
        { "a timeout of 30000000", "PROMPT 1\nTIMEOUT 30000000\nDEFAULT a\nLABEL a\n KERNEL vmlinuz\n", {}, "t",
            nullptr, "Loading vmlinuz... failed" },
        { "menu layout past the screen",
            "UI menu.c32\nMENU TITLE Far out\nMENU ROWS -2147483648\nMENU INDENT 2147483647\nLABEL a\n",
            { { "isolinux/menu.c32", Elf } }, "d", nullptr, "Far out" },
    };
}

class HostileTreeWindowTest : public EditorFixture { };

}

TEST_F(HostileTreeWindowTest, EachOpensIsCheckedAndPlaysToTheRendersNote)
{
    for (const Row& row : Rows()) {
        SCOPED_TRACE(row.name);
        QTemporaryDir tree;
        for (const auto& [name, bytes] : row.files)
            WriteInTree(tree, name, bytes);
        const QString config = WriteInTree(tree, "isolinux/isolinux.cfg", row.config);
        glavna.OpenAtStart(config, QFile::encodeName(config));
        if (row.code) {
            EXPECT_TRUE(QTest::qWaitFor([&] { return ProblemCodes().contains(QLatin1String(row.code)); }, 5000))
                << ProblemCodes().join(u' ').toStdString();
        }
        Find<QAction>(glavna, "RunConfiguration1")->trigger();
        auto* window = glavna.findChild<RunConfigurationWindow*>();
        ASSERT_NE(window, nullptr);
        for (const char* key = row.keys; *key; ++key) {
            if (*key == 't')
                Find<QPushButton>(*window, "RunOutTimeout")->click();
            else
                QTest::keyClick(Find<QWidget>(*window, "Screen"), *key == 'd' ? Qt::Key_Down : Qt::Key_Return);
        }
        ASSERT_NE(window->Loader(), nullptr);
        QString shown = Find<QLabel>(*window, "Note")->text();
        for (int line = 0; line < 25; ++line)
            shown += u'\n' + QString::fromLatin1(window->Console().ScreenRow(line));
        EXPECT_TRUE(shown.contains(QLatin1String(row.shown))) << shown.toStdString();
        if (row.gone) {
            EXPECT_FALSE(shown.contains(QLatin1String(row.gone))) << shown.toStdString();
        }
        window->close();
    }
}
