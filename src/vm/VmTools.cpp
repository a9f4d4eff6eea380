#include "VmTools.h"

#include "common/Limits.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>

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
// Each missing package once, in the order asked.
struct Missing {
    QStringList packages;
    void Need(bool lacking, const char* package)
    {
        if (lacking && !packages.contains(QLatin1StringView(package)))
            packages << QString::fromLatin1(package);
    }
    void Throw(const char* task) const
    {
        if (!packages.isEmpty())
            throw EVmError(std::string(task) + " needs the Debian packages " + packages.join(u", ").toStdString() + ".",
                "Install them with: sudo apt-get install " + packages.join(u' ').toStdString());
    }
};

// GRUB's modules for UEFI machines: the folder holding its kernel and normal mode.
QString GrubModules(const VmSearch& search)
{
    for (const QString& folder : search.grubModuleFolders) {
        if (QFileInfo(folder + QStringLiteral("/kernel.img")).isFile()
            && QFileInfo(folder + QStringLiteral("/normal.mod")).isFile())
            return folder;
    }
    return {};
}

bool HasQemuWindow()
{
    return !FileIn({ QStringLiteral("/usr/lib/x86_64-linux-gnu/qemu") }, QStringLiteral("ui-gtk.so")).isEmpty()
        || !FileIn({ QStringLiteral("/usr/lib/x86_64-linux-gnu/qemu") }, QStringLiteral("ui-sdl.so")).isEmpty();
}

}

VmTools FindVmTools(const VmSearch& search, bool windowed, Firmware firmware)
{
    VmTools tools { FileIn(search.isolinuxFolders, QStringLiteral("isolinux.bin")),
        FileIn(search.ldlinuxFolders, QStringLiteral("ldlinux.c32")), Program(search, QStringLiteral("xorriso")),
        Program(search, QStringLiteral("qemu-system-x86_64")),
        FileIn(search.pxelinuxFolders, QStringLiteral("pxelinux.0")),
        FileIn(search.ovmfFolders, QStringLiteral("OVMF_CODE_4M.fd")),
        FileIn(search.ovmfFolders, QStringLiteral("OVMF_VARS_4M.fd")) };
    // Both halves of one build, or neither.
    if (tools.ovmfCode.isEmpty() || tools.ovmfVars.isEmpty())
        tools.ovmfCode = tools.ovmfVars = QString();
    Missing missing;
    missing.Need(tools.qemu.isEmpty(), "qemu-system-x86");
    missing.Need(windowed && search.programFolders.isEmpty() && !HasQemuWindow(), "qemu-system-gui");
    missing.Need(firmware == Firmware::Uefi && tools.ovmfCode.isEmpty(), "ovmf");
    missing.Need(tools.isolinuxBin.isEmpty(), "isolinux");
    missing.Need(tools.ldlinux.isEmpty(), "syslinux-common");
    missing.Need(tools.xorriso.isEmpty(), "xorriso");
    missing.Throw("Booting in a virtual machine");
    return tools;
}

MediaTools FindMediaTools(MediaKind kind, const VmSearch& search)
{
    MediaTools tools;
    tools.loader = { FileIn(search.isolinuxFolders, QStringLiteral("isolinux.bin")),
        FileIn(search.ldlinuxFolders, QStringLiteral("ldlinux.c32")), Program(search, QStringLiteral("xorriso")), {},
        FileIn(search.pxelinuxFolders, QStringLiteral("pxelinux.0")) };
    tools.isohdpfx = FileIn(search.isolinuxFolders, QStringLiteral("isohdpfx.bin"));
    tools.mbr = FileIn(search.mbrFolders, QStringLiteral("mbr.bin"));
    tools.syslinux = Program(search, QStringLiteral("syslinux"));
    tools.mformat = Program(search, QStringLiteral("mformat"));
    tools.mcopy = Program(search, QStringLiteral("mcopy"));
    tools.grubMkimage = Program(search, QStringLiteral("grub-mkimage"));
    tools.grubModules = GrubModules(search);
    Missing missing;
    missing.Need(tools.loader.ldlinux.isEmpty(), "syslinux-common");
    if (kind == MediaKind::Iso) {
        missing.Need(tools.loader.isolinuxBin.isEmpty() || tools.isohdpfx.isEmpty(), "isolinux");
        missing.Need(tools.loader.xorriso.isEmpty(), "xorriso");
    } else if (kind == MediaKind::Usb) {
        missing.Need(tools.mbr.isEmpty(), "syslinux-common");
        missing.Need(tools.syslinux.isEmpty(), "syslinux");
        missing.Need(tools.mformat.isEmpty() || tools.mcopy.isEmpty(), "mtools");
    }
    missing.Throw("Exporting boot media");
    return tools;
}

void RequireUefiMediaTools(const MediaTools& tools, MediaKind kind)
{
    Missing missing;
    missing.Need(tools.grubMkimage.isEmpty(), "grub-common");
    missing.Need(tools.grubModules.isEmpty(), "grub-efi-amd64-bin");
    // The EFI system partition's FAT, on a disc and on a disk.
    missing.Need(kind != MediaKind::Pxe && (tools.mformat.isEmpty() || tools.mcopy.isEmpty()), "mtools");
    missing.Throw("The UEFI side of boot media (GRUB)");
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

namespace {

// A run folder holds cd/ and the image's folders, each at least two bytes of its path.
constexpr int DeepestRunFolder = Limits::ImagePathBytes / 2 + 4;

// A descriptor closed when it goes.
struct Descriptor {
    int value = -1;
    explicit Descriptor(int descriptor)
        : value(descriptor)
    {
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    ~Descriptor()
    {
        if (value >= 0)
            ::close(value);
    }
};

// A folder opened without following a link: a link or a file fails.
int OpenFolder(int at, const QByteArray& path)
{
    return ::openat(at, path.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
}

// Why a folder is not this user's own, closed to everyone else; nothing when it is.
std::optional<QString> NotPrivate(const Descriptor& folder)
{
    struct stat status { };
    if (folder.value < 0)
        return errno == ELOOP  ? QStringLiteral("it is a symbolic link")
            : errno == ENOTDIR ? QStringLiteral("it is not a folder")
                               : QString::fromLocal8Bit(std::strerror(errno));
    if (::fstat(folder.value, &status) != 0)
        return QString::fromLocal8Bit(std::strerror(errno));
    if (status.st_uid != ::geteuid())
        return QStringLiteral("it belongs to another user");
    if (status.st_mode & 077)
        return QStringLiteral("other users may enter it");
    return std::nullopt;
}

// XDG_RUNTIME_DIR's glimra/ when that folder is the user's own and closed
// to others, else glimra-UID in the temporary folder, checked the same way.
QByteArray ParentPath()
{
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    if (runtime.startsWith('/') && !NotPrivate(Descriptor(OpenFolder(AT_FDCWD, runtime))))
        return runtime + "/glimra";
    return QFile::encodeName(QDir::tempPath()) + "/glimra-" + QByteArray::number(::geteuid());
}

QByteArrayList NamesIn(const Descriptor& folder)
{
    QByteArrayList names;
    DIR* listing = ::fdopendir(::dup(folder.value));
    if (!listing)
        return names;
    while (const dirent* entry = ::readdir(listing)) {
        if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0)
            names << QByteArray(entry->d_name);
    }
    ::closedir(listing);
    return names;
}

// Removes a name and, for a folder, what it holds; each level is opened
// from the one above without following a link, so a link goes as a link.
void RemoveTree(const Descriptor& parent, const QByteArray& name, int depth)
{
    struct stat status { };
    if (::fstatat(parent.value, name.constData(), &status, AT_SYMLINK_NOFOLLOW) != 0)
        return;
    const bool folder = S_ISDIR(status.st_mode);
    if (folder && depth < DeepestRunFolder) {
        const Descriptor inside(OpenFolder(parent.value, name));
        if (inside.value < 0)
            return;
        for (const QByteArray& entry : NamesIn(inside))
            RemoveTree(inside, entry, depth + 1);
    }
    ::unlinkat(parent.value, name.constData(), folder ? AT_REMOVEDIR : 0);
}

// A run folder of this user's whose process no longer runs (a SIGKILL).
bool DeadRun(const Descriptor& parent, const QByteArray& name)
{
    const QByteArray pid = name.startsWith(WorkPrefix) ? name.split('-').value(2) : QByteArray();
    bool number = false;
    pid.toUInt(&number);
    struct stat status { };
    return number && !QFileInfo::exists(QStringLiteral("/proc/") + QString::fromLatin1(pid))
        && ::fstatat(parent.value, name.constData(), &status, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(status.st_mode)
        && status.st_uid == ::geteuid();
}

// The parent, made when missing, and open.
std::unique_ptr<Descriptor> OpenParent(const QByteArray& path)
{
    if (::mkdir(path.constData(), 0700) != 0 && errno != EEXIST)
        throw EVmError(
            "Cannot make a folder for the machine's files.", (path + ": " + std::strerror(errno)).toStdString());
    auto parent = std::make_unique<Descriptor>(OpenFolder(AT_FDCWD, path));
    if (const std::optional<QString> why = NotPrivate(*parent))
        throw EVmError("Cannot keep the machine's files in " + path.toStdString() + ": " + why->toStdString() + ".",
            "It must be a folder of this user's that no one else may enter: remove it, or set XDG_RUNTIME_DIR.");
    return parent;
}

}

QString RunFolderParent()
{
    const QByteArray path = ParentPath();
    OpenParent(path);
    return QFile::decodeName(path);
}

std::unique_ptr<QTemporaryDir> MakeWorkFolder()
{
    const QByteArray path = ParentPath();
    const std::unique_ptr<Descriptor> parent = OpenParent(path);
    for (const QByteArray& name : NamesIn(*parent)) {
        if (DeadRun(*parent, name))
            RemoveTree(*parent, name, 0);
    }
    auto work = std::make_unique<QTemporaryDir>(QFile::decodeName(path) + u'/' + QString::fromLatin1(WorkPrefix)
        + QString::number(QCoreApplication::applicationPid()) + QStringLiteral("-XXXXXX"));
    if (!work->isValid())
        throw EVmError("Cannot make a temporary folder.", work->errorString().toStdString());
    return work;
}
