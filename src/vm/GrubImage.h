#pragma once

#include "ConfigImage.h"
#include "ImageTree.h"
#include "VmTools.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <vector>

// One file of GRUB's folder, as the UEFI side's menu is handed to the
// media: its path inside that folder ("grub.cfg", "glimra/menu1/theme.txt")
// and its bytes. The folder is boot/grub/ at the root of a disc or of the
// disk's partition, grub/ in a TFTP root.
struct GrubFolderFile {
    QByteArray path;
    QByteArray bytes;
};

// What makes the UEFI side's menu of a configuration's tree: GRUB's
// folder, or an Exception saying why it cannot be made. It runs away from
// the window's thread.
using GrubMenuMaker = std::function<std::vector<GrubFolderFile>(const BootFiles& files)>;
// The maker's folder for the tree (none without a maker); its failure an
// EVmError that says so.
std::vector<GrubFolderFile> MakeGrubMenu(const GrubMenuMaker& maker, const BootFiles& files);

// GRUB's folder on a medium and in a TFTP root (image paths).
inline constexpr char MediumGrubFolder[] = "/boot/grub";
inline constexpr char NetworkGrubFolder[] = "/grub";

// Why these files cannot be GRUB's folder: no grub.cfg, a path that is
// empty, absolute, leaves the folder, holds a control byte or GRUB's
// escape (a backslash), is too long, or comes twice (case folded: the
// folder may be on FAT); nothing when they can.
std::optional<QString> GrubFolderProblem(const std::vector<GrubFolderFile>& files);

// A core image started from a disc or disk (found by its marker), or over
// the network (its folder on the TFTP server it came from).
enum class GrubCoreKind { Medium, Network };

// The modules the core image holds: every command and driver the menu's
// grub.cfg may use is there already, so nothing is loaded from a folder a
// tree could fill with another build's modules.
QStringList GrubCoreModules(GrubCoreKind boot);

// A marker file's image path in GRUB's folder on a medium, new for each
// export: 128 random bits, so no other disk the machine holds has it.
QByteArray NewMediumMarker();

// The configuration a medium's core image runs first: the medium is the
// device holding the marker (the disc, or the disk's SYSLINUX partition)
// and the prefix its GRUB folder, whose grub.cfg normal mode then reads.
QByteArray GrubEarlyConfig(const QByteArray& markerPath);

// Makes the core image with grub-mkimage (x86_64-efi, Debian's modules)
// in workFolder: BOOTX64.EFI for a medium, grubnetx64.efi with the prefix
// (tftp)/grub for the network. Returns its path; EVmError when it fails.
QString MakeGrubImage(const MediaTools& tools, GrubCoreKind boot, const QByteArray& markerPath,
    const QString& workFolder, const JobProgress* progress = nullptr);

// The bytes an EFI system partition needs for this image: the image, FAT's
// tables and folders, rounded up to whole MiB, at least 4 MiB.
qint64 EfiSystemBytes(qint64 imageBytes);

// Formats FAT on a drive (an image file, or "file@@offset" for a
// partition that many sectors into the disk) of that many sectors and puts
// the image there as EFI/BOOT/BOOTX64.EFI, the name a UEFI machine boots
// removable media by.
struct EfiSystemDrive {
    QString drive;
    qint64 sectors = 0;
    qint64 hiddenSectors = 0; // the partition's start on its disk
};
void WriteEfiSystemFat(const MediaTools& tools, const EfiSystemDrive& drive, const QString& efiImage,
    const QString& workFolder, const JobProgress* progress = nullptr);

// Puts GRUB's folder at folder in the plan (and the marker when given):
// a file of the tree of the same name, case folded on FAT, is replaced
// and said so in the notes; one of the loader's own files is never
// replaced (EVmError).
void AddGrubFolder(ConfigImagePlan& plan, const std::vector<GrubFolderFile>& files, const QByteArray& folder,
    const QByteArray& markerPath, bool foldCase);
