#pragma once

#include "common/Exceptions.h"

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>

// A virtual machine could not be built, started or read.
class EVmError : public Exception {
public:
    using Exception::Exception;
};

// The run was stopped by SIGINT, SIGTERM or SIGHUP; Signal() says which.
class EVmStopped : public EVmError {
public:
    explicit EVmStopped(int signal)
        : EVmError("Stopped.")
        , m_signal(signal)
    {
    }
    int Signal() const { return m_signal; }

private:
    int m_signal;
};

// From now on SIGINT, SIGTERM and SIGHUP stop whatever a machine waits for
// with EVmStopped, so that its QEMU and its folder go as the stack unwinds.
void StopMachinesOnSignals();
// The signal that asked to stop, or 0.
int StopSignal();

// The folder that holds this user's run folders, made when missing:
// XDG_RUNTIME_DIR's glimra/ when that is the user's own and closed to
// others, else glimra-UID in the temporary folder. It must be a folder (not
// a link) of this user's that no one else may enter; else EVmError.
QString RunFolderParent();

// A temporary folder for one machine's files, named for this process, in
// RunFolderParent(). Folders of this user's that processes which no longer
// run left there (a SIGKILL) are swept first, without following any link.
std::unique_ptr<QTemporaryDir> MakeWorkFolder();

// What booting the real loader takes: the loader's files from Debian's
// isolinux and syslinux-common, xorriso to build the image and QEMU.
struct VmTools {
    QString isolinuxBin;
    QString ldlinux;
    QString xorriso;
    QString qemu;
    QString pxelinux; // Debian's pxelinux, when installed: PXE boots need it
    // Debian's ovmf, when installed: UEFI boots run its code image read-only
    // and a private copy of its variable store.
    QString ovmfCode = {};
    QString ovmfVars = {};
};

// The machine's firmware: SeaBIOS on QEMU's PC, or OVMF (UEFI) on its q35.
enum class Firmware { Bios, Uefi };

// Where the tools are looked for: programs on a search path, loader files in
// folders (Debian's by default).
struct VmSearch {
    QStringList programFolders; // empty: the PATH
    QStringList isolinuxFolders = { QStringLiteral("/usr/lib/ISOLINUX"), QStringLiteral("/usr/lib/syslinux") };
    QStringList pxelinuxFolders = { QStringLiteral("/usr/lib/PXELINUX") };
    QStringList ldlinuxFolders
        = { QStringLiteral("/usr/lib/syslinux/modules/bios"), QStringLiteral("/usr/share/syslinux") };
    QStringList mbrFolders = { QStringLiteral("/usr/lib/syslinux/mbr"), QStringLiteral("/usr/share/syslinux") };
    QStringList ovmfFolders = { QStringLiteral("/usr/share/OVMF") };
    QStringList grubModuleFolders = { QStringLiteral("/usr/lib/grub/x86_64-efi") };
};

// The tools, or an EVmError that names the Debian packages to install.
// A window needs QEMU's graphical front end too (qemu-system-gui), a UEFI
// machine OVMF (ovmf); a BIOS machine boots without it.
VmTools FindVmTools(const VmSearch& search = {}, bool windowed = false, Firmware firmware = Firmware::Bios);

// What exporting boot media takes besides the loader's files: xorriso and
// the isohybrid MBR for a disc, SYSLINUX's installer, mtools and the MBR
// for a disk image. Debian's pxelinux is asked for by the plan, when the
// tree ships no pxelinux.0 of its own.
enum class MediaKind { Iso, Usb, Pxe };
struct MediaTools {
    VmTools loader; // its qemu unused
    QString isohdpfx;
    QString mbr;
    QString syslinux;
    QString mformat;
    QString mcopy;
    // The UEFI side, when installed: GRUB's image maker and its x86_64-efi modules.
    QString grubMkimage = {};
    QString grubModules = {};
};
// The tools the kind needs, or an EVmError that names the Debian packages
// to install. The UEFI side's are looked for too, but only their absence
// is asked about (RequireUefiMediaTools): the BIOS side needs none of them.
MediaTools FindMediaTools(MediaKind kind, const VmSearch& search = {});
// An EVmError naming the Debian packages (grub-common, grub-efi-amd64-bin,
// mtools) when the kind's UEFI side lacks any of its tools.
void RequireUefiMediaTools(const MediaTools& tools, MediaKind kind);
