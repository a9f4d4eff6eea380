// What an export request and a tree's loader allow: the request's words
// checked before any work, and the isohybrid MBR that fits the loader.
#include "BootMedia.h"

#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>

#include <cctype>
#include <cstring>

namespace {

using File = ConfigImagePlan::File;

QString Shown(const QByteArray& name) { return QFile::decodeName(name); }

// isolinux.bin's hybrid entry: the MBR checks this word at offset 64 before
// it jumps just past it (isohdpfx.S, HYBRID_MAGIC).
bool HasHybridEntry(const QByteArray& isolinux)
{
    return isolinux.size() >= 68 && isolinux.mid(64, 4) == QByteArray("\xfb\xc0\x78\x70", 4);
}

// An isohybrid MBR: 432 bytes (or a whole sector) of code that says so when
// isolinux.bin lacks the entry.
bool IsHybridMbr(const QByteArray& bytes)
{
    return (bytes.size() == 432 || bytes.size() == 512) && bytes.contains("isolinux.bin missing or corrupt");
}

QByteArray ReadSmall(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.read(1 << 20) : QByteArray();
}

const File* BootFileOf(const ConfigImagePlan& plan)
{
    for (const File& file : plan.files) {
        if (file.imagePath == plan.bootFile)
            return &file;
    }
    return nullptr;
}

}

std::optional<QString> MediaRequestProblem(const MediaRequest& request)
{
    const int most = request.kind == MediaKind::Usb ? 11 : 32; // FAT's label, ISO 9660's volume name
    bool plain = !request.label.isEmpty() && request.label.size() <= most;
    for (const char byte : request.label)
        plain = plain && (std::isalnum(static_cast<unsigned char>(byte)) || std::strchr("_-. ", byte));
    if (request.kind != MediaKind::Pxe && !plain)
        return QStringLiteral("the volume label must be 1 to %1 letters, digits, blanks or _-.").arg(most);
    if (request.Uefi()) {
        if (const std::optional<QString> problem = GrubFolderProblem(request.grub))
            return problem;
    }
    if (request.output.isEmpty())
        return QStringLiteral("no target given");
    const QString shown = request.output;
    const QFileInfo target(request.output);
    if (!target.absoluteDir().exists())
        return QStringLiteral("%1: its folder does not exist").arg(shown);
    struct stat status { };
    if (::lstat(QFile::encodeName(target.absoluteFilePath()).constData(), &status) != 0)
        return std::nullopt; // a new name
    if (S_ISLNK(status.st_mode))
        return QStringLiteral("%1 is a symbolic link: name the file itself").arg(shown);
    if (S_ISCHR(status.st_mode) || S_ISBLK(status.st_mode))
        return QStringLiteral("%1 is a device: Glimra writes an image file; copy that to the stick (dd, or a "
                              "disk writer)")
            .arg(shown);
    if (request.kind == MediaKind::Pxe && !S_ISDIR(status.st_mode))
        return QStringLiteral("%1 is a file: name the folder to make").arg(shown);
    if (request.kind == MediaKind::Pxe
        && !QDir(target.absoluteFilePath())
                .isEmpty(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot))
        return QStringLiteral("%1 already holds files: name a new or an empty folder").arg(shown);
    if (request.kind != MediaKind::Pxe && S_ISDIR(status.st_mode))
        return QStringLiteral("%1 is a folder: name the image file to make").arg(shown);
    if (request.kind != MediaKind::Pxe && !S_ISREG(status.st_mode))
        return QStringLiteral("%1 is not a regular file").arg(shown);
    return std::nullopt;
}

QByteArray HybridMbr(const BootFiles& files, const ConfigImagePlan& plan, const MediaTools& tools)
{
    const File* boot = BootFileOf(plan);
    const QByteArray debian = ReadSmall(tools.isohdpfx);
    if (boot && (boot->from == File::From::Debian || boot->bytes == ReadSmall(tools.loader.isolinuxBin))) {
        if (!IsHybridMbr(debian))
            throw EVmError("Cannot read Debian's isohdpfx.bin.", tools.isohdpfx.toStdString());
        return debian;
    }
    const QString build = plan.treeLoader.origin == LoaderVersion::Origin::Tree
        ? QStringLiteral("ISOLINUX %1").arg(plan.treeLoader.Name())
        : QStringLiteral("of an unknown build");
    const std::string cdOnly = "Export a disc that boots as a CD only (glimra-render --no-hybrid; in the dialog, "
                               "clear \"Boots from a USB stick too\").";
    if (!boot || !HasHybridEntry(boot->bytes))
        throw EVmError(
            QStringLiteral("The tree's isolinux.bin (%1) has no entry for an isohybrid MBR: it boots as a CD only.")
                .arg(build)
                .toStdString(),
            cdOnly);
    // The MBR the tree ships with its loader: beside it first.
    std::vector<QByteArray> candidates;
    for (const File& file : plan.files) {
        if (file.imagePath.mid(file.imagePath.lastIndexOf('/') + 1).toLower() == "isohdpfx.bin")
            candidates.insert(QFileInfo(Shown(file.imagePath)).path() == Shown(plan.loaderFolder) ? candidates.begin()
                                                                                                  : candidates.end(),
                file.imagePath);
    }
    for (const QByteArray& path : candidates) {
        const BootFiles::Fetched fetched = files.Fetch(path, 4096);
        if (fetched.failure == BootFiles::Fetched::Failure::None && IsHybridMbr(fetched.bytes))
            return fetched.bytes;
    }
    throw EVmError(QStringLiteral("The tree's isolinux.bin is %1, and the tree holds no isohdpfx.bin of its build: "
                                  "Debian's MBR is of another build and may not start it.")
                       .arg(build)
                       .toStdString(),
        "Put the isohdpfx.bin of the same SYSLINUX release beside isolinux.bin, or: " + cdOnly);
}
