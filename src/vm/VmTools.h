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
};

// Where the tools are looked for: programs on a search path, loader files in
// folders (Debian's by default).
struct VmSearch {
    QStringList programFolders; // empty: the PATH
    QStringList isolinuxFolders = { QStringLiteral("/usr/lib/ISOLINUX"), QStringLiteral("/usr/lib/syslinux") };
    QStringList pxelinuxFolders = { QStringLiteral("/usr/lib/PXELINUX") };
    QStringList ldlinuxFolders
        = { QStringLiteral("/usr/lib/syslinux/modules/bios"), QStringLiteral("/usr/share/syslinux") };
    QStringList mbrFolders = { QStringLiteral("/usr/lib/syslinux/mbr"), QStringLiteral("/usr/share/syslinux") };
};

// The tools, or an EVmError that names the Debian packages to install.
// A window needs QEMU's graphical front end too (qemu-system-gui).
VmTools FindVmTools(const VmSearch& search = {}, bool windowed = false);

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
};
// The tools the kind needs, or an EVmError that names the Debian packages to install.
MediaTools FindMediaTools(MediaKind kind, const VmSearch& search = {});
