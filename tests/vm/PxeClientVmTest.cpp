// The per-client files of a PXE tree in the real PXELINUX: QEMU's network
// hands out the client's MAC and address, and the loader picks the file
// the simulator picks; what it sends to the serial port is the simulator's.
#include "FileTree.h"
#include "VmProbes.h"
#include "config/KernelLine.h"
#include "console/ColorConsole.h"
#include "sim/LoaderSim.h"
#include "vm/HeadlessVm.h"

#include <QRegularExpression>

namespace {

// The screen's characters, row after row.
QByteArray ScreenText(const VmScreen& screen)
{
    QByteArray text;
    for (qsizetype at = 0; at < screen.text.size(); at += 2)
        text += screen.text[at];
    return text;
}

struct PxeTree {
    QTemporaryDir tree;
    BootFiles files = BootFiles(tree.path());
    PxeTree(const QByteArray& clientFile)
    {
        WriteInTree(tree, "pxelinux.cfg/default", "SERIAL 0 115200\nSAY the default file\nPROMPT 1\n");
        WriteInTree(tree, "pxelinux.cfg/" + QString::fromLatin1(clientFile),
            "SERIAL 0 115200\nSAY the client's own file\nPROMPT 1\n");
        WriteInTree(tree, "pxelinux.cfg/01-52-54-00-aa-bb-cc", "SERIAL 0\nSAY another client's file\nPROMPT 1\n");
        files = BootFiles::ForConfiguration(tree.filePath("pxelinux.cfg/default"));
    }
};

class PxeClientVm : public VmToolsTest {
protected:
    void Boot(const std::optional<PxeClient>& client);
};

}

// The MAC's file before default; with a UUID (QEMU's -uuid) the UUID's
// file, named with its first three fields swapped, before the MAC's.
TEST_F(PxeClientVm, TheRealPxelinuxLoadsTheFileTheSimulatorPicks)
{
    if (tools.pxelinux.isEmpty())
        GTEST_SKIP() << "no pxelinux here";
    for (const char* uuid : { "", "12345678-9abc-4def-8123-456789abcdef" })
        Boot(PxeClient::Parse("52:54:00:12:34:99", "10.0.2.77", uuid));
}

void PxeClientVm::Boot(const std::optional<PxeClient>& client)
{
    ASSERT_TRUE(client);
    PxeTree pxe(client->uuid ? *UuidName(*client, LoaderVersion::Debian()) : BootIfName(*client));
    if (client->uuid)
        WriteInTree(
            pxe.tree, "pxelinux.cfg/" + QString::fromLatin1(BootIfName(*client)), "SAY the MAC's file\nPROMPT 1\n");
    const LoaderVersion version = LoaderVersion::Debian();
    const std::optional<PxeCandidate> chosen
        = PxeChosen(PxeCandidates(pxe.files, *client, version, "/pxelinux.cfg/default"));
    ASSERT_TRUE(chosen);
    EXPECT_EQ(chosen->imagePath,
        client->uuid ? "/pxelinux.cfg/78563412-bc9a-ef4d-8123-456789abcdef" : "/pxelinux.cfg/01-52-54-00-12-34-99");

    QTemporaryDir work;
    const ConfigImagePlan plan = PlanPxeClientImage(pxe.files, tools, *client, version);
    const QString tftp = BuildConfigImage(tools, plan, work.path());
    HeadlessMachine machine(tools, tftp, true, work.path(), std::chrono::seconds(120), client);
    QByteArray serial;
    for (int waited = 0; waited < 100 && !serial.contains("boot: "); ++waited) {
        machine.Sleep(1000);
        serial = machine.Serial();
    }
    const QByteArray screen = ScreenText(machine.WaitStable(500));
    EXPECT_TRUE(screen.contains("the client's own file")) << screen.constData();
    EXPECT_FALSE(screen.contains("the default file")) << screen.constData();
    // The PXE ROM got the address and MAC set.
    EXPECT_TRUE(screen.contains("net0: 10.0.2.77/255.255.255.0 gw 10.0.2.2")) << screen.constData();
    EXPECT_TRUE(screen.contains("net0: 52:54:00:12:34:99")) << screen.constData();

    // The simulator on the file it picks sends the serial port the same bytes.
    FixedCellMeasurer measurer;
    TColorConsole console(measurer);
    const LoaderSim loader(
        console, pxe.files.WithConfigPath(chosen->imagePath), LoaderSim::Start::Blank, version, client);
    EXPECT_EQ(serial, loader.SerialPort());
}
