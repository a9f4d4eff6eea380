// Hashed MENU PASSWD and MENU MASTER PASSWD values typed in QEMU: the real
// menu.c32 opens and refuses what the simulator does, screen for screen
// ($4$ as the master's, $6$ and $1$ as entries', which the master's
// password would open too: theirs differs).
#include "FakeMeasurer.h"
#include "FileTree.h"
#include "RecordedCaseInVm.h"
#include "RecordedScreen.h"
#include "VmProbes.h"
#include "keys/KeyWords.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>

TEST(MenuPasswordsVm, HashesOpenAndRefuseAsInTheMachine)
{
    const std::optional<VmTools> tools = VmToolsHere();
    if (!tools)
        GTEST_SKIP() << "the virtual machine's tools are missing";
    QTemporaryDir tree;
    const QString config = WriteInTree(tree, "isolinux/isolinux.cfg",
        "UI menu.c32\nMENU TITLE Hashes\nMENU MASTER PASSWD $4$NaCl$2gc3MUnQ0oo5YOx/edEjOXbWFkM\n"
        "LABEL open\n  KERNEL open.krn\n"
        "LABEL sha\n  MENU PASSWD $6$saltsalt$S9YY9YOAW0hOiRrNaP8VEIeRLALReoMp/E0Pht4dzHwnqjGznyJV7KQHtH"
        "BZN3l7.5QmgjbHONPeszlAoLGd8.\n  MENU HELP sha.txt\n"
        "LABEL md5\n  MENU PASSWD $1$saltsalt$w/Ivy2gobQNOjDXinAHvO.\n  MENU HELP md5.txt\n");
    // An entry that opens shows its file: what tells it from one refused.
    WriteInTree(tree, "isolinux/sha.txt", "The SHA-512 entry opened.\r\n");
    WriteInTree(tree, "isolinux/md5.txt", "The MD5 entry opened.\r\n");
    // The simulator reads the module from the tree, as the machine does.
    const QString bios = QFileInfo(tools->ldlinux).path();
    for (const char* module : { "menu.c32", "libutil.c32" })
        ASSERT_TRUE(QFile::copy(bios + u'/' + module, tree.filePath(QStringLiteral("isolinux/") + module)));
    const BootFiles files = BootFiles::ForConfiguration(config);
    RecordedCaseInVm run(*tools, PlanConfigImage(files, *tools), files, LoaderVersion::Debian());
    HeadlessMachine& machine = run.machine;
    while (!ScreenText(machine.Screen()).contains(u"Hashes"))
        machine.Sleep(100);
    machine.WaitStable(500);
    // Each step waits for the screen to settle: the password box drops keys
    // typed before it shows.
    const struct {
        const char* keys;
        const char* shown; // on the machine's screen after them, or nullptr
    } steps[] = {
        { "down up", "Hashes" },
        { "tab", nullptr },
        { "\"hunter\" ret", nullptr },
        { "tab", nullptr },
        { "\"hunter2\" ret", "> open.krn" }, // the master's $4$ opens the editor
        { "esc", nullptr },
        { "down", nullptr },
        { "ret", nullptr },
        { "\"hunter3\" ret", "Hashes" },
        { "ret", nullptr },
        { "\"letmein\" ret", "SHA-512 entry opened" },
        { "esc", nullptr },
        { "down", nullptr },
        { "ret", nullptr },
        { "\"letmein\" ret", "MD5 entry opened" },
        { "esc", "Hashes" },
    };
    for (const auto& step : steps) {
        const char* keys = step.keys;
        SCOPED_TRACE(keys);
        QString error;
        const std::optional<std::vector<KeyPress>> presses = ReadKeys(QString::fromLatin1(keys), error);
        ASSERT_TRUE(presses) << error.toStdString();
        for (const KeyPress& press : *presses) {
            machine.Press(press.qemu);
            run.loader.Give(press.input);
        }
        machine.WaitStable(600);
        if (step.shown) {
            EXPECT_TRUE(ScreenText(machine.Screen()).contains(QString::fromLatin1(step.shown)));
        }
        ExpectRecordedScreen(ScreenSnapshot::Of(run.console),
            QJsonDocument::fromJson(SnapshotOf(machine.Screen()).ToJson(true)).object());
    }
}
