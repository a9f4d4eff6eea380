#pragma once

#include "ConfigImage.h"
#include "GrubImage.h"
#include "ImageTree.h"
#include "VmTools.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

// A configuration's whole tree shipped as boot media, as it will boot:
// - Iso: a disc image made by xorriso (El Torito, Rock Ridge and Joliet
//   names), hybrid unless asked not to: its MBR is isohdpfx.bin of
//   isolinux.bin's own build, so it boots from a USB stick too;
// - Usb: a disk image with one active FAT partition behind SYSLINUX's MBR,
//   SYSLINUX installed in the configuration's folder by Debian's syslinux
//   (through mtools; no root needed), syslinux.cfg the configuration's copy;
// - Pxe: a TFTP root, pxelinux.0 beside the configuration.
// Every file under the tree's root goes in, not only those the
// configuration names; what stays out is listed, never read.
// Given GRUB's folder, the media boot UEFI machines too, into that menu:
// - Iso: a second El Torito entry, an EFI system image (FAT holding
//   EFI/BOOT/BOOTX64.EFI) appended as partition 2 (MBR type 0xef, and a
//   GPT when hybrid, for a USB stick); GRUB's folder in /boot/grub/;
// - Usb: an EFI system partition (0xef, FAT) after SYSLINUX's, holding
//   EFI/BOOT/BOOTX64.EFI; GRUB's folder in /boot/grub/ on SYSLINUX's, where
//   the tree's kernels are;
// - Pxe: grubnetx64.efi beside pxelinux.0 and GRUB's folder in /grub/.
// GRUB finds the disc or partition by a marker file of this export's own.
struct MediaRequest {
    MediaKind kind = MediaKind::Iso;
    QString output; // the image file, or for Pxe the folder, to make
    QByteArray label = "GLIMRA"; // the volume's (Iso, Usb)
    bool hybrid = true; // Iso: an MBR too
    std::vector<GrubFolderFile> grub = {}; // the UEFI side's menu; none: BIOS only
    bool biosOnly = false; // leaves the UEFI side out even when GRUB's folder is given
    bool Uefi() const { return !biosOnly && !grub.empty(); }
};

struct MediaResult {
    QString output;
    QStringList notes; // files taken from Debian or replaced, and what the user must know
    std::vector<ConfigImagePlan::Refusal> refused;
    QByteArray bootFile; // Pxe: the DHCP server's boot file, from the TFTP root
    bool uefi = false; // the media boot UEFI machines too
    QByteArray uefiBootFile = {}; // Pxe: the boot file for UEFI clients (DHCP architecture 7)
    qint64 files = 0;
    // Where the time went: the plan, the copies, the tools (xorriso, mtools, syslinux).
    double planMs = 0, copyMs = 0, toolMs = 0;
};

// Why the request cannot be made, said before any work: a label the volume
// cannot hold, a target that is a folder, a device or a link, GRUB's files
// that cannot be its folder; nothing when it can be.
std::optional<QString> MediaRequestProblem(const MediaRequest& request);

// Makes the media beside the target under a hidden name and renames it
// into place when it is whole, so a failure, a cancel or a signal leaves
// nothing at the target nor beside it. Throws EVmError (EVmCancelled,
// EVmStopped) with the reason.
MediaResult ExportBootMedia(
    const BootFiles& files, const MediaRequest& request, const MediaTools& tools, const JobProgress& progress = {});

// The isohybrid MBR of the plan's isolinux.bin: Debian's for Debian's
// loader, else an isohdpfx.bin the tree ships, when the tree's loader has
// the entry such an MBR jumps to. Its bytes, or an EVmError saying why none
// fits (the user may then make a CD-only disc).
QByteArray HybridMbr(const BootFiles& files, const ConfigImagePlan& plan, const MediaTools& tools);
