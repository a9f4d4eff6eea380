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

// A temporary folder for one machine's files, named for this process.
// Folders that processes which no longer run left behind (a SIGKILL) are
// swept first.
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
};

// The tools, or an EVmError that names the Debian packages to install.
// A window needs QEMU's graphical front end too (qemu-system-gui).
VmTools FindVmTools(const VmSearch& search = {}, bool windowed = false);
