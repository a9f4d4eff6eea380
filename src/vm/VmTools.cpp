#include "VmTools.h"

#include <QFileInfo>
#include <QStandardPaths>

namespace {

QString FileIn(const QStringList& folders, const QString& name)
{
    for (const QString& folder : folders) {
        const QString path = folder + u'/' + name;
        if (QFileInfo(path).isFile())
            return path;
    }
    return {};
}

QString Program(const VmSearch& search, const QString& name)
{
    return QStandardPaths::findExecutable(name, search.programFolders);
}

// Debian splits QEMU's windows into their own package; its modules live here.
bool HasQemuWindow()
{
    return !FileIn({ QStringLiteral("/usr/lib/x86_64-linux-gnu/qemu") }, QStringLiteral("ui-gtk.so")).isEmpty()
        || !FileIn({ QStringLiteral("/usr/lib/x86_64-linux-gnu/qemu") }, QStringLiteral("ui-sdl.so")).isEmpty();
}

}

VmTools FindVmTools(const VmSearch& search, bool windowed)
{
    VmTools tools { FileIn(search.isolinuxFolders, QStringLiteral("isolinux.bin")),
        FileIn(search.ldlinuxFolders, QStringLiteral("ldlinux.c32")), Program(search, QStringLiteral("xorriso")),
        Program(search, QStringLiteral("qemu-system-x86_64")) };
    QStringList missing;
    if (tools.qemu.isEmpty())
        missing << QStringLiteral("qemu-system-x86");
    if (windowed && search.programFolders.isEmpty() && !HasQemuWindow())
        missing << QStringLiteral("qemu-system-gui");
    if (tools.isolinuxBin.isEmpty())
        missing << QStringLiteral("isolinux");
    if (tools.ldlinux.isEmpty())
        missing << QStringLiteral("syslinux-common");
    if (tools.xorriso.isEmpty())
        missing << QStringLiteral("xorriso");
    if (!missing.isEmpty())
        throw EVmError(
            "Booting in a virtual machine needs the Debian packages " + missing.join(u", ").toStdString() + ".",
            "Install them with: sudo apt-get install " + missing.join(u' ').toStdString());
    return tools;
}
