#pragma once

#include "common/Exceptions.h"

#include <QString>
#include <QStringList>

// A virtual machine could not be built, started or read.
class EVmError : public Exception {
public:
    using Exception::Exception;
};

// What booting the real loader takes: the loader's files from Debian's
// isolinux and syslinux-common, xorriso to build the image and QEMU.
struct VmTools {
    QString isolinuxBin;
    QString ldlinux;
    QString xorriso;
    QString qemu;
};

// Where the tools are looked for: programs on a search path, loader files in
// folders (Debian's by default).
struct VmSearch {
    QStringList programFolders; // empty: the PATH
    QStringList isolinuxFolders = { QStringLiteral("/usr/lib/ISOLINUX"), QStringLiteral("/usr/lib/syslinux") };
    QStringList ldlinuxFolders
        = { QStringLiteral("/usr/lib/syslinux/modules/bios"), QStringLiteral("/usr/share/syslinux") };
};

// The tools, or an EVmError that names the Debian packages to install.
// A window needs QEMU's graphical front end too (qemu-system-gui).
VmTools FindVmTools(const VmSearch& search = {}, bool windowed = false);
