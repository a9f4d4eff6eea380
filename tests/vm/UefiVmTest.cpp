// Exported media with their UEFI side boot as they will boot: the disc
// under SeaBIOS (as a CD and, hybrid with its GPT, as a stick) into
// ISOLINUX's menu, and under OVMF into GRUB's; the disk image and the PXE
// folder under OVMF into GRUB's. GRUB's menu is read on the serial port,
// where it also says it found its own folder and the tree's kernel.
#include "FileTree.h"
#include "RecordedCaseInVm.h"
#include "UefiMenu.h"
#include "VmProbes.h"
#include "vm/Machine.h"

#include <QImage>

namespace {

struct Boot {
    const char* name;
    MediaKind kind;
    Firmware firmware;
    bool disk; // the image as a stick (a BIOS's first hard disk)
};

void PrintTo(const Boot& boot, std::ostream* out) { *out << boot.name; }

const Boot Boots[] = {
    { "IsoAsCdUnderSeaBios", MediaKind::Iso, Firmware::Bios, false },
    { "IsoAsStickUnderSeaBios", MediaKind::Iso, Firmware::Bios, true },
    { "IsoAsCdUnderOvmf", MediaKind::Iso, Firmware::Uefi, false },
    { "UsbImageUnderOvmf", MediaKind::Usb, Firmware::Uefi, true },
    { "PxeFolderUnderOvmf", MediaKind::Pxe, Firmware::Uefi, false },
};

class UefiMediaInVm : public ::testing::TestWithParam<Boot> { };

std::optional<std::pair<VmTools, MediaTools>> ToolsFor(const Boot& boot)
{
    try {
        const VmTools vm = FindVmTools({}, false, boot.firmware);
        MediaTools media = FindMediaTools(boot.kind);
        RequireUefiMediaTools(media, boot.kind);
        if (boot.kind == MediaKind::Pxe && vm.pxelinux.isEmpty())
            throw EVmError("pxelinux is missing");
        return std::pair { vm, media };
    } catch (const EVmError& missing) {
        if (qgetenv("CI") == "true")
            ADD_FAILURE() << missing.what();
        return std::nullopt;
    }
}

// Whether the picture shows anything: more than one colour.
bool Drawn(const QImage& picture)
{
    for (int y = 0; y < picture.height(); y += 4) {
        for (int x = 0; x < picture.width(); x += 4) {
            if (picture.pixel(x, y) != picture.pixel(0, 0))
                return true;
        }
    }
    return false;
}

}

TEST_P(UefiMediaInVm, EachFirmwareShowsItsMenu)
{
    const Boot& boot = GetParam();
    const std::optional<std::pair<VmTools, MediaTools>> tools = ToolsFor(boot);
    if (!tools)
        GTEST_SKIP() << "the virtual machine's, OVMF's or GRUB's tools are missing";
    QTemporaryDir tree, out;
    const QString config = WriteInTree(tree, "boot/isolinux/isolinux.cfg",
        "UI menu.c32\nMENU TITLE Shipped menu\nTIMEOUT 0\nLABEL one\n  MENU LABEL First entry\n  KERNEL "
        "/boot/vmlinuz\nLABEL two\n  MENU LABEL Second entry\n  KERNEL /boot/vmlinuz\n");
    WriteInTree(tree, "boot/vmlinuz", QByteArray(1 << 20, 'k'));
    WriteInTree(tree, "boot/root.cfg", RootCheck);
    MediaRequest request;
    request.kind = boot.kind;
    request.output = out.filePath(boot.kind == MediaKind::Pxe ? "tftp" : "media");
    request.grub = HandWrittenGrubMenu();
    const MediaResult made = ExportBootMedia(BootFiles::ForConfiguration(config), request, tools->second);

    const std::unique_ptr<QTemporaryDir> work = MakeWorkFolder();
    MachineOptions options;
    options.image = made.output;
    options.pxe = boot.kind == MediaKind::Pxe;
    options.disk = boot.disk;
    options.firmware = boot.firmware;
    options.bootFile = QString::fromLatin1(made.uefiBootFile);
    HeadlessMachine machine(tools->first, options, work->path(), std::chrono::seconds(120));
    if (boot.firmware == Firmware::Bios) {
        while (!ScreenText(machine.Screen()).contains(u"Second entry"))
            machine.Sleep(100);
        EXPECT_TRUE(ScreenText(machine.Screen()).contains(u"Shipped menu"));
        return;
    }
    while (!machine.Serial().contains("UEFI side second entry"))
        machine.Sleep(100);
    const QByteArray serial = machine.Serial();
    EXPECT_TRUE(serial.contains("note from the GRUB folder")) << "GRUB's prefix is its folder on this medium";
    EXPECT_TRUE(serial.contains("the tree's root is GRUB's root")) << "its root is where the tree's kernels are";
    if (boot.kind != MediaKind::Iso)
        return;
    // The menu on the screen follows the keys: one down, then the entry runs.
    const QImage before = QImage::fromData(machine.WaitStable(300, true).png);
    EXPECT_TRUE(Drawn(before));
    const qsizetype seen = machine.Serial().size();
    machine.Press({ "down" });
    while (!machine.Serial().mid(seen).contains("*UEFI side second entry"))
        machine.Sleep(100);
    EXPECT_NE(QImage::fromData(machine.WaitStable(300, true).png), before);
    machine.Press({ "ret" });
    while (!machine.Serial().mid(seen).contains("second entry ran"))
        machine.Sleep(100);
}

INSTANTIATE_TEST_SUITE_P(Exported, UefiMediaInVm, ::testing::ValuesIn(Boots),
    [](const ::testing::TestParamInfo<Boot>& boot) { return std::string(boot.param.name); });
