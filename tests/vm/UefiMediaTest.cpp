// The UEFI side of exported media: GRUB's folder and core image on a disc,
// a disk image and a TFTP folder, what --bios-only leaves out, bad GRUB
// folders and missing packages; and the UEFI machine's arguments.
#include "FileTree.h"
#include "RecordedSteps.h"
#include "UefiMenu.h"
#include "VmProbes.h"
#include "vm/Machine.h"

#include <QRegularExpression>

namespace {

std::optional<MediaTools> UefiTools(MediaKind kind, const VmSearch& search = {})
{
    try {
        MediaTools tools = FindMediaTools(kind, search);
        RequireUefiMediaTools(tools, kind);
        return tools;
    } catch (const EVmError& missing) {
        if (qgetenv("CI") == "true")
            ADD_FAILURE() << missing.what();
        return std::nullopt;
    }
}

QString Joined(const std::vector<ConfigImagePlan::Refusal>& refused)
{
    QStringList lines;
    for (const ConfigImagePlan::Refusal& refusal : refused)
        lines << QString::fromLatin1(refusal.name) + QStringLiteral(": ") + refusal.reason;
    return lines.join(u'\n');
}

// A file of a FAT drive ("image@@offset"), copied out whole.
QByteArray FatFile(const QString& drive, const QString& name)
{
    QTemporaryDir out;
    Mtools("mcopy", { "-i", drive, name, out.filePath("copy") });
    return ReadBytes(out.filePath("copy"));
}

class UefiExport : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!iso || !usb || !pxe)
            GTEST_SKIP() << "grub-common, grub-efi-amd64-bin, mtools or the BIOS side's tools are missing";
        config = WriteInTree(tree, "isolinux/isolinux.cfg", "UI menu.c32\nLABEL a\n  KERNEL /boot/vmlinuz\n");
        WriteInTree(tree, "boot/vmlinuz", "KERNEL");
        WriteInTree(tree, "boot/grub/grub.cfg", "the tree's own GRUB menu");
        WriteInTree(tree, "EFI/BOOT/bootx64.efi", "the tree's own EFI loader");
    }
    MediaResult Export(MediaKind kind, const QString& name, bool biosOnly = false)
    {
        MediaRequest request;
        request.kind = kind;
        request.output = out.filePath(name);
        request.grub = HandWrittenGrubMenu();
        request.biosOnly = biosOnly;
        const MediaTools& tools = kind == MediaKind::Iso ? *iso : kind == MediaKind::Usb ? *usb : *pxe;
        return ExportBootMedia(BootFiles::ForConfiguration(config), request, tools);
    }

    const std::optional<MediaTools> iso = UefiTools(MediaKind::Iso), usb = UefiTools(MediaKind::Usb),
                                    pxe = UefiTools(MediaKind::Pxe);
    QTemporaryDir tree, out;
    QString config;
};

const QRegularExpression Marker(QStringLiteral("^/boot/grub/glimra-[0-9a-f]{32}\\.id$"));

}

// The disc: GRUB's folder replaces the tree's grub.cfg, a marker of its
// own beside it; a UEFI El Torito entry on the appended EFI system
// partition (MBR 0xef, a GPT for a stick) whose BOOTX64.EFI looks for
// that marker; the BIOS entry stays first.
TEST_F(UefiExport, TheDiscHasASecondBootEntryForItsOwnGrubFolder)
{
    const MediaResult made = Export(MediaKind::Iso, "uefi.iso");
    EXPECT_TRUE(made.uefi);
    const QStringList files = IsoFiles(iso->loader.xorriso, made.output);
    const QStringList markers = files.filter(Marker);
    ASSERT_EQ(markers.size(), 1) << files.join(u' ').toStdString();
    EXPECT_TRUE(files.contains("/boot/grub/glimra/note.cfg"));
    EXPECT_TRUE(files.contains("/EFI/BOOT/bootx64.efi")) << "a disc's EFI folder is no boot file of UEFI's";
    EXPECT_TRUE(made.notes.contains(u"the tree's /boot/grub/grub.cfg is replaced by the UEFI side's"));
    QProcess xorriso;
    xorriso.start(iso->loader.xorriso,
        { "-indev", made.output, "-report_el_torito", "plain", "-report_system_area", "plain", "-osirrox", "on",
            "-extract", "/boot/grub/grub.cfg", out.filePath("grub.cfg") });
    ASSERT_TRUE(xorriso.waitForFinished(20000));
    const QByteArray report = xorriso.readAllStandardOutput();
    EXPECT_EQ(ReadBytes(out.filePath("grub.cfg")), HandWrittenGrubMenu()[0].bytes);
    EXPECT_TRUE(QRegularExpression("boot img :   1  BIOS").match(QString::fromLatin1(report)).hasMatch())
        << report.toStdString();
    EXPECT_TRUE(QRegularExpression("boot img :   2  UEFI").match(QString::fromLatin1(report)).hasMatch())
        << report.toStdString();
    EXPECT_TRUE(report.contains("GPT partname local :   2")) << "hybrid: the ESP in a GPT too\n"
                                                             << report.toStdString();
    const QByteArray image = ReadBytes(made.output);
    const MbrEntry esp = MbrPartition(image, 1);
    EXPECT_EQ(esp.type, 0xef);
    EXPECT_LE((esp.start + esp.sectors) * 512, image.size()) << "appended, within the image";
    const QByteArray efi
        = FatFile(made.output + QStringLiteral("@@%1").arg(esp.start * 512), "::/EFI/BOOT/BOOTX64.EFI");
    EXPECT_EQ(efi.left(2), "MZ") << "a PE image";
    EXPECT_TRUE(efi.contains("search --no-floppy --file --set=root " + markers[0].toLatin1())) << "its medium's marker";
    EXPECT_EQ(image.left(400), ReadBytes(iso->isohdpfx).left(400)) << "the BIOS side's hybrid MBR stays";
    // Each export its own marker; a CD-only disc still has the UEFI entry, without a GPT.
    MediaRequest cdOnly;
    cdOnly.output = out.filePath("cd-only.iso");
    cdOnly.hybrid = false;
    cdOnly.grub = HandWrittenGrubMenu();
    ExportBootMedia(BootFiles::ForConfiguration(config), cdOnly, *iso);
    const QStringList other = IsoFiles(iso->loader.xorriso, cdOnly.output).filter(Marker);
    ASSERT_EQ(other.size(), 1);
    EXPECT_NE(other[0], markers[0]);
    EXPECT_NE(ReadBytes(cdOnly.output).mid(512, 8), "EFI PART");
    EXPECT_EQ(MbrPartition(ReadBytes(cdOnly.output), 1).type, 0xef);
}

// The disk: SYSLINUX's partition first and active as before, the EFI
// system partition after it with BOOTX64.EFI; GRUB's folder and marker on
// SYSLINUX's, beside the kernels; the tree's own BOOTX64.EFI stays out.
TEST_F(UefiExport, TheDiskHasAnEfiSystemPartitionAfterSyslinuxs)
{
    WriteInTree(tree, "boot/grub/GLIMRA/Note.CFG", "on FAT the same name as GRUB's glimra/note.cfg");
    const MediaResult made = Export(MediaKind::Usb, "uefi.img");
    EXPECT_TRUE(made.notes.contains(u"the tree's /boot/grub/GLIMRA/Note.CFG is replaced by the UEFI side's"))
        << made.notes.join(u'\n').toStdString();
    const QByteArray image = ReadBytes(made.output);
    const MbrEntry syslinux = MbrPartition(image, 0), esp = MbrPartition(image, 1);
    EXPECT_EQ(image.mid(446, 1), "\x80");
    EXPECT_EQ(syslinux.type, 0x0c);
    EXPECT_EQ(syslinux.start, 2048);
    EXPECT_EQ(esp.type, 0xef);
    EXPECT_EQ(esp.start, syslinux.start + syslinux.sectors);
    EXPECT_EQ((esp.start + esp.sectors) * 512, image.size());
    EXPECT_EQ(image.mid(446 + 16 * 2, 32), QByteArray(32, '\0')) << "two partitions";
    const QString data = made.output + "@@1048576", system = made.output + QStringLiteral("@@%1").arg(esp.start * 512);
    EXPECT_EQ(FatFile(data, "::/boot/grub/grub.cfg"), HandWrittenGrubMenu()[0].bytes);
    EXPECT_EQ(FatFile(data, "::/boot/grub/glimra/note.cfg"), HandWrittenGrubMenu()[1].bytes);
    const QByteArray listing = Mtools("mdir", { "-i", data, "-b", "::/boot/grub" });
    const QRegularExpressionMatch marker
        = QRegularExpression("glimra-[0-9a-f]{32}\\.id", QRegularExpression::CaseInsensitiveOption)
              .match(QString::fromLatin1(listing));
    ASSERT_TRUE(marker.hasMatch()) << listing.toStdString();
    const QByteArray efi = FatFile(system, "::/EFI/BOOT/BOOTX64.EFI");
    EXPECT_TRUE(efi.contains("/boot/grub/" + marker.captured().toLower().toLatin1()));
    EXPECT_TRUE(Mtools("mdir", { "-i", data, "-b", "::/EFI/BOOT" }).isEmpty()) << "the tree's boot file stays out";
    EXPECT_TRUE(Joined(made.refused).contains("/EFI/BOOT/bootx64.efi: UEFI boots the disk from its EFI system"))
        << Joined(made.refused).toStdString();
    EXPECT_TRUE(FatFile(data, "::/isolinux/ldlinux.sys").contains("SYSLINUX")) << "SYSLINUX is installed still";
}

// The TFTP folder: grubnetx64.efi beside pxelinux.0, its prefix the
// server's grub/, which holds GRUB's folder.
TEST_F(UefiExport, ThePxeFolderHasGrubsNetworkImageBesidePxelinux)
{
    const MediaResult made = Export(MediaKind::Pxe, "tftp");
    EXPECT_EQ(made.bootFile, "isolinux/pxelinux.0");
    EXPECT_EQ(made.uefiBootFile, "isolinux/grubnetx64.efi");
    EXPECT_TRUE(made.notes.contains(u"for UEFI clients (DHCP client architecture 7) it is isolinux/grubnetx64.efi"));
    const QByteArray image = ReadBytes(made.output + "/isolinux/grubnetx64.efi");
    EXPECT_EQ(image.left(2), "MZ");
    EXPECT_TRUE(image.contains("(tftp)/grub")) << "its prefix";
    EXPECT_EQ(QFileInfo(made.output + "/isolinux/grubnetx64.efi").permissions() & QFile::ReadOther, QFile::ReadOther);
    EXPECT_EQ(ReadBytes(made.output + "/grub/grub.cfg"), HandWrittenGrubMenu()[0].bytes);
    EXPECT_EQ(ReadBytes(made.output + "/grub/glimra/note.cfg"), HandWrittenGrubMenu()[1].bytes);
    EXPECT_EQ(ReadBytes(made.output + "/boot/grub/grub.cfg"), "the tree's own GRUB menu") << "the tree's, untouched";
}

TEST_F(UefiExport, BiosOnlyLeavesTheUefiSideOut)
{
    const MediaResult disc = Export(MediaKind::Iso, "bios.iso", true);
    EXPECT_FALSE(disc.uefi);
    EXPECT_EQ(IsoFiles(iso->loader.xorriso, disc.output).filter(Marker), QStringList());
    EXPECT_EQ(MbrPartition(ReadBytes(disc.output), 1).type, 0);
    const MediaResult disk = Export(MediaKind::Usb, "bios.img", true);
    EXPECT_EQ(MbrPartition(ReadBytes(disk.output), 1).type, 0);
    EXPECT_TRUE(Joined(disk.refused).isEmpty()) << "the tree's EFI folder goes in as it is";
    const MediaResult folder = Export(MediaKind::Pxe, "bios-tftp", true);
    EXPECT_FALSE(QFileInfo::exists(folder.output + "/isolinux/grubnetx64.efi"));
    EXPECT_TRUE(folder.uefiBootFile.isEmpty());
}

// A GRUB folder that cannot be one, a loader file it would replace, a
// name FAT cannot hold: each told before anything is left at the target.
TEST_F(UefiExport, BadGrubFoldersAreToldAndLeaveNothing)
{
    const QByteArray cfg = "set timeout=1\n";
    struct Row {
        MediaKind kind;
        std::vector<GrubFolderFile> grub;
        const char* told;
    };
    const Row rows[] = {
        { MediaKind::Iso, { { "theme.txt", "" } }, "GRUB's folder has no grub.cfg" },
        { MediaKind::Iso, { { "grub.cfg", cfg }, { "../boot/vmlinuz", "" } }, "leaves its folder" },
        { MediaKind::Usb, { { "grub.cfg", cfg }, { "a//b", "" } }, "names an empty one" },
        { MediaKind::Pxe, { { "/grub.cfg", cfg } }, "must be named inside its folder" },
        { MediaKind::Iso, { { "grub.cfg", cfg }, { "a\\b", "" } }, "holds the byte 0x5c" },
        { MediaKind::Iso, { { "grub.cfg", cfg }, { "a\nb", "" } }, "holds the byte 0x0a" },
        { MediaKind::Usb, { { "grub.cfg", cfg }, { "Grub.CFG", "" } }, "is given twice (as grub.cfg)" },
        { MediaKind::Iso, { { "grub.cfg", cfg }, { QByteArray(600, 'n'), "" } }, "has a path longer than" },
        { MediaKind::Usb, { { "grub.cfg", cfg }, { "what?.png", "" } }, "GRUB's what?.png cannot go on the disk" },
    };
    for (const Row& row : rows) {
        MediaRequest request;
        request.kind = row.kind;
        request.output = out.filePath("bad");
        request.grub = row.grub;
        const MediaTools& tools = row.kind == MediaKind::Iso ? *iso : row.kind == MediaKind::Usb ? *usb : *pxe;
        try {
            ExportBootMedia(BootFiles::ForConfiguration(config), request, tools);
            ADD_FAILURE() << "made: " << row.told;
        } catch (const EVmError& told) {
            EXPECT_NE(std::string(told.what()).find(row.told), std::string::npos) << told.what();
        }
        EXPECT_EQ(QDir(out.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList())
            << row.told;
        request.biosOnly = true; // the same words, BIOS only: nothing of GRUB's is looked at
        EXPECT_NO_THROW(ExportBootMedia(BootFiles::ForConfiguration(config), request, tools)) << row.told;
        QDir(request.output).removeRecursively();
        QFile::remove(request.output);
    }
    // A loader living in GRUB's folder keeps its files.
    QTemporaryDir odd;
    WriteInTree(odd, "grub/pxelinux.cfg/default", "PROMPT 1\n");
    const BootFiles oddFiles = BootFiles(odd.path()).WithConfigPath("/grub/pxelinux.cfg/default");
    MediaRequest request;
    request.kind = MediaKind::Pxe;
    request.output = out.filePath("odd");
    request.grub = { { "grub.cfg", cfg }, { "pxelinux.0", "" } };
    EXPECT_THROW(ExportBootMedia(oddFiles, request, *pxe), EVmError);
    EXPECT_FALSE(QFileInfo::exists(request.output));
}

// An EFI system partition holds the image and at least 1 MiB for FAT's
// tables and folders, in whole MiB, never less than 4 MiB.
TEST(UefiMedia, TheEfiSystemPartitionsRoom)
{
    const qint64 mebibyte = 1 << 20;
    const std::pair<qint64, qint64> rows[]
        = { { 0, 4 }, { 950'000, 4 }, { 3 * mebibyte + 1, 5 }, { 10 * mebibyte, 11 }, { 10 * mebibyte + 1, 12 } };
    for (const auto& [image, mebibytes] : rows)
        EXPECT_EQ(EfiSystemBytes(image), mebibytes * mebibyte) << image;
}

// Each missing piece of the UEFI side names its Debian package; the BIOS
// side needs none of them.
TEST(UefiTools, MissingPackagesAreNamed)
{
    QTemporaryDir programs;
    for (const char* program : { "xorriso", "syslinux", "mformat", "mcopy", "qemu-system-x86_64" })
        QFile::link(QStandardPaths::findExecutable(program), programs.filePath(program));
    VmSearch search;
    search.programFolders = { programs.path() };
    search.ovmfFolders = { programs.path() };
    const auto told = [](const std::function<void()>& run) {
        try {
            run();
        } catch (const EVmError& missing) {
            return std::string(missing.what()) + " " + missing.Detail();
        }
        return std::string("nothing");
    };
    const MediaTools tools = FindMediaTools(MediaKind::Iso, search);
    EXPECT_NE(told([&] { RequireUefiMediaTools(tools, MediaKind::Iso); }).find("grub-common"), std::string::npos);
    search.grubModuleFolders = { programs.path() };
    const MediaTools bare = FindMediaTools(MediaKind::Pxe, search);
    EXPECT_NE(told([&] { RequireUefiMediaTools(bare, MediaKind::Pxe); })
                  .find("packages grub-common, "
                        "grub-efi-amd64-bin."),
        std::string::npos);
    MediaTools noMtools = FindMediaTools(MediaKind::Iso);
    noMtools.mcopy.clear();
    EXPECT_NE(told([&] { RequireUefiMediaTools(noMtools, MediaKind::Iso); }).find("mtools"), std::string::npos);
    EXPECT_EQ(told([&] { RequireUefiMediaTools(noMtools, MediaKind::Pxe); }), "nothing") << "no FAT over TFTP";
    if (!QFileInfo::exists("/usr/lib/ISOLINUX/isolinux.bin"))
        return;
    EXPECT_EQ(told([&] { FindVmTools(search); }), "nothing") << "a BIOS machine needs no OVMF";
    EXPECT_NE(
        told([&] { FindVmTools(search, false, Firmware::Uefi); }).find("apt-get install ovmf"), std::string::npos);
    MachineOptions options;
    options.firmware = Firmware::Uefi;
    EXPECT_NE(told([&] { UsePrivateFirmware(FindVmTools(search), programs.path(), options); }).find("ovmf"),
        std::string::npos);
}

// A UEFI machine: q35 on OVMF (code read-only, the store the run folder's
// copy), each medium its firmware's first boot option; still TCG.
TEST(UefiMachine, ArgumentsOfEachKindOfBoot)
{
    const QString bare = "-nodefaults -M q35 -vga std -m 256 -no-reboot -drive "
                         "if=pflash,format=raw,readonly=on,file=/o,,c/CODE.fd -drive if=pflash,format=raw,file=v.fd "
                         "-display none ";
    const auto uefi = [](MachineOptions options) {
        options.firmware = Firmware::Uefi;
        options.firmwareCode = "/o,c/CODE.fd";
        options.firmwareVars = "v.fd";
        return options;
    };
    const std::pair<MachineOptions, QString> rows[] = {
        { uefi({ "cd.iso", false, false, "", "", "", {} }),
            bare
                + "-drive file=cd.iso,media=cdrom,readonly=on,format=raw,if=none,id=cd -device "
                  "ide-cd,drive=cd,bootindex=0" },
        { uefi({ "a,b.img", false, false, "", "", "", {}, true }),
            bare
                + "-device qemu-xhci,id=xhci -drive file=a,,b.img,format=raw,if=none,id=stick,snapshot=on -device "
                  "usb-storage,bus=xhci.0,drive=stick,removable=on,bootindex=0" },
        { uefi({ "tftp", true, false, "", "", "", {}, false, "isolinux/grubnetx64.efi" }),
            bare
                + "-netdev user,id=net0,tftp=tftp,bootfile=isolinux/grubnetx64.efi -device "
                  "virtio-net-pci,netdev=net0,romfile=,bootindex=0" },
        { uefi({ "tftp", true, false, "", "", "",
              PxeClient::Parse("52:54:00:12:34:99", "192.168.7.77", "b8945908-d6a6-41a9-611d-74a6ab80b83d") }),
            bare
                + "-netdev user,id=net0,net=192.168.7.0/24,dhcpstart=192.168.7.77,tftp=tftp,bootfile=grubnetx64.efi "
                  "-device virtio-net-pci,netdev=net0,romfile=,bootindex=0,mac=52:54:00:12:34:99 -uuid "
                  "b8945908-d6a6-41a9-611d-74a6ab80b83d" },
    };
    for (const auto& [options, arguments] : rows)
        EXPECT_EQ(QemuArguments(options).join(u' '), arguments);
    for (const QString& argument : QemuArguments(rows[0].first))
        EXPECT_FALSE(argument.contains("accel") || argument.contains("kvm")) << argument.toStdString();
    // The store is a copy of the run's own, writable; the code image is Debian's.
    const VmTools tools = VmToolsHere().value_or(VmTools {});
    if (tools.ovmfCode.isEmpty())
        GTEST_SKIP() << "no OVMF here";
    QTemporaryDir work;
    MachineOptions options;
    options.firmware = Firmware::Uefi;
    UsePrivateFirmware(tools, work.path(), options);
    EXPECT_EQ(options.firmwareCode, tools.ovmfCode);
    EXPECT_EQ(options.firmwareVars, work.filePath("OVMF_VARS.fd"));
    EXPECT_EQ(ReadBytes(options.firmwareVars), ReadBytes(tools.ovmfVars));
    // Owner, group and others' bits (Qt's "user" ones are whoever runs this).
    EXPECT_EQ(
        QFileInfo(options.firmwareVars).permissions().toInt() & 0xf0ff, (QFile::ReadOwner | QFile::WriteOwner).toInt())
        << "writable by this user alone";
    MachineOptions bios;
    UsePrivateFirmware(tools, work.path(), bios);
    EXPECT_TRUE(bios.firmwareVars.isEmpty());
}
