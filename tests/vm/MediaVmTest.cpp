// Exported media boot as they will boot: one tree made into a disc, a disk
// image and a TFTP folder, and booted four ways (the disc as a CD and as a
// USB disk, the disk image, the folder over TFTP); in each the menu on the
// machine's screen is the simulator's, cell for cell.
#include "FakeMeasurer.h"
#include "FileTree.h"
#include "RecordedCaseInVm.h"
#include "RecordedScreen.h"
#include "VmProbes.h"
#include "vm/BootMedia.h"

#include <QJsonDocument>

namespace {

struct Boot {
    const char* name;
    MediaKind kind;
    bool disk; // the image as the first hard disk
};

void PrintTo(const Boot& boot, std::ostream* out) { *out << boot.name; }

const Boot Boots[] = {
    { "IsoAsCd", MediaKind::Iso, false },
    { "IsoAsUsbDisk", MediaKind::Iso, true },
    { "UsbImage", MediaKind::Usb, true },
    { "PxeFolder", MediaKind::Pxe, false },
};

class MediaInVm : public ::testing::TestWithParam<Boot> { };

}

TEST_P(MediaInVm, MenuIsTheSimulators)
{
    const std::optional<VmTools> vm = VmToolsHere();
    std::optional<MediaTools> tools;
    try {
        tools = FindMediaTools(GetParam().kind);
    } catch (const EVmError&) {
    }
    if (!vm || !tools || vm->pxelinux.isEmpty())
        GTEST_SKIP() << "the virtual machine's or the media's tools are missing";
    QTemporaryDir tree;
    const QString config = WriteInTree(tree, "boot/isolinux/isolinux.cfg",
        "UI menu.c32\nMENU TITLE Shipped menu\nTIMEOUT 0\nLABEL one\n  MENU LABEL First entry\n  KERNEL "
        "/boot/vmlinuz\nLABEL two\n  MENU LABEL Second entry\n  KERNEL vmlinuz initrd=../initrd.img\n");
    WriteInTree(tree, "boot/vmlinuz", QByteArray(1 << 20, 'k'));
    const BootFiles files = BootFiles::ForConfiguration(config);
    QTemporaryDir out;
    MediaRequest request;
    request.kind = GetParam().kind;
    request.output = out.filePath(request.kind == MediaKind::Pxe ? "tftp" : "media");
    const MediaResult made = ExportBootMedia(files, request, *tools);

    const std::unique_ptr<QTemporaryDir> work = MakeWorkFolder();
    MachineOptions options;
    options.image = made.output;
    options.pxe = request.kind == MediaKind::Pxe;
    options.disk = GetParam().disk;
    options.bootFile = QString::fromLatin1(made.bootFile);
    HeadlessMachine machine(*vm, options, work->path(), std::chrono::seconds(90));
    while (!ScreenText(machine.Screen()).contains(u"Second entry"))
        machine.Sleep(100);
    const VmScreen real = machine.WaitStable(600);

    FakeMeasurer measurer;
    TColorConsole console { measurer };
    // The modules the media took from Debian are there for the simulator too.
    BootFiles simulated = files;
    for (const char* module : { "menu.c32", "libutil.c32" })
        simulated.SetText(tree.filePath(QStringLiteral("boot/isolinux/") + module),
            "\x7f"
            "ELF");
    LoaderSim loader(console, simulated, LoaderSim::Start::Banner, LoaderVersion::Debian());
    ExpectRecordedScreen(ScreenSnapshot::Of(console), QJsonDocument::fromJson(SnapshotOf(real).ToJson(true)).object());
}

INSTANTIATE_TEST_SUITE_P(Exported, MediaInVm, ::testing::ValuesIn(Boots),
    [](const ::testing::TestParamInfo<Boot>& boot) { return std::string(boot.param.name); });
