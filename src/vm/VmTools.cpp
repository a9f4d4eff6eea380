#include "VmTools.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <atomic>
#include <csignal>

namespace {

std::atomic<int> stopSignal { 0 };

extern "C" void RecordStop(int signal) { stopSignal.store(signal); }

constexpr char WorkPrefix[] = "glimra-vm-";

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
        Program(search, QStringLiteral("qemu-system-x86_64")),
        FileIn(search.pxelinuxFolders, QStringLiteral("pxelinux.0")) };
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

void StopMachinesOnSignals()
{
    struct sigaction action { };
    action.sa_handler = RecordStop;
    sigemptyset(&action.sa_mask);
    for (int signal : { SIGINT, SIGTERM, SIGHUP })
        ::sigaction(signal, &action, nullptr);
}

int StopSignal() { return stopSignal.load(); }

std::unique_ptr<QTemporaryDir> MakeWorkFolder()
{
    const QDir temporary(QDir::tempPath());
    for (const QString& name : temporary.entryList({ QString::fromLatin1(WorkPrefix) + u'*' }, QDir::Dirs)) {
        const QString pid = name.section(u'-', 2, 2);
        if (!pid.isEmpty() && !QFileInfo::exists(QStringLiteral("/proc/") + pid))
            QDir(temporary.filePath(name)).removeRecursively();
    }
    auto work = std::make_unique<QTemporaryDir>(temporary.filePath(QString::fromLatin1(WorkPrefix)
        + QString::number(QCoreApplication::applicationPid()) + QStringLiteral("-XXXXXX")));
    if (!work->isValid())
        throw EVmError("Cannot make a temporary folder.", work->errorString().toStdString());
    return work;
}
