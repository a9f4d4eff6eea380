#include "GrubImage.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRandomGenerator>

namespace {

QString Shown(const QByteArray& name) { return QFile::decodeName(name); }

QProcessEnvironment MtoolsEnvironment()
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("MTOOLS_SKIP_CHECK"), QStringLiteral("1")); // our geometry is LBA's
    return environment;
}

std::optional<QString> PathProblem(const QByteArray& path)
{
    if (path.isEmpty() || path.startsWith('/'))
        return QStringLiteral("GRUB's file \"%1\" must be named inside its folder").arg(Shown(path));
    if (path.size() > Limits::GrubPathBytes)
        return QStringLiteral("GRUB's file %1 has a path longer than %2 bytes")
            .arg(Shown(path.left(64)) + QStringLiteral("..."))
            .arg(Limits::GrubPathBytes);
    for (const QByteArray& part : path.split('/')) {
        if (part.isEmpty() || part == "." || part == "..")
            return QStringLiteral("GRUB's file %1 leaves its folder or names an empty one").arg(Shown(path));
    }
    for (const char byte : path) {
        if (static_cast<unsigned char>(byte) < 0x20 || byte == '\x7f' || byte == '\\')
            return QStringLiteral("GRUB's file %1 holds the byte %2, which GRUB reads otherwise")
                .arg(Shown(path), QString::asprintf("0x%02x", static_cast<unsigned char>(byte)));
    }
    return std::nullopt;
}

}

std::optional<QString> GrubFolderProblem(const std::vector<GrubFolderFile>& files)
{
    QHash<QString, QByteArray> seen;
    for (const GrubFolderFile& file : files) {
        if (const std::optional<QString> problem = PathProblem(file.path))
            return problem;
        const QString folded = Shown(file.path).toCaseFolded();
        if (seen.contains(folded))
            return QStringLiteral("GRUB's file %1 is given twice (as %2)").arg(Shown(file.path), Shown(seen[folded]));
        seen.insert(folded, file.path);
    }
    if (!seen.contains(QStringLiteral("grub.cfg")))
        return QStringLiteral("GRUB's folder has no grub.cfg");
    return std::nullopt;
}

std::vector<GrubFolderFile> MakeGrubMenu(const GrubMenuMaker& maker, const BootFiles& files)
{
    try {
        return maker ? maker(files) : std::vector<GrubFolderFile>();
    } catch (const EVmError&) {
        throw;
    } catch (const Exception& failure) {
        throw EVmError("The UEFI side's menu cannot be made: " + std::string(failure.what()), failure.Detail());
    }
}

QStringList GrubCoreModules(GrubCoreKind boot)
{
    QStringList modules { // The menu and its script.
        QStringLiteral("normal"), QStringLiteral("configfile"), QStringLiteral("echo"), QStringLiteral("test"),
        QStringLiteral("true"), QStringLiteral("sleep"), QStringLiteral("regexp"), QStringLiteral("tr"),
        QStringLiteral("eval"), QStringLiteral("read"), QStringLiteral("keystatus"), QStringLiteral("minicmd"),
        QStringLiteral("loadenv"), QStringLiteral("ls"), QStringLiteral("cat"), QStringLiteral("halt"),
        QStringLiteral("reboot"), QStringLiteral("efifwsetup"),
        // Finding the medium and reading it.
        QStringLiteral("search"), QStringLiteral("search_fs_file"), QStringLiteral("search_fs_uuid"),
        QStringLiteral("search_label"), QStringLiteral("part_gpt"), QStringLiteral("part_msdos"), QStringLiteral("fat"),
        QStringLiteral("iso9660"), QStringLiteral("udf"), QStringLiteral("ext2"),
        // The look: video, the graphical terminal and menu, pictures, fonts.
        QStringLiteral("all_video"), QStringLiteral("efi_gop"), QStringLiteral("efi_uga"),
        QStringLiteral("video_bochs"), QStringLiteral("video_cirrus"), QStringLiteral("gfxterm"),
        QStringLiteral("gfxterm_background"), QStringLiteral("gfxmenu"), QStringLiteral("png"), QStringLiteral("jpeg"),
        QStringLiteral("tga"), QStringLiteral("font"),
        // Locked entries, the serial console, booting.
        QStringLiteral("password"), QStringLiteral("password_pbkdf2"), QStringLiteral("pbkdf2"),
        QStringLiteral("serial"), QStringLiteral("terminal"), QStringLiteral("terminfo"), QStringLiteral("linux"),
        QStringLiteral("chain"), QStringLiteral("boot"), QStringLiteral("gzio"), QStringLiteral("xzio")
    };
    if (boot == GrubCoreKind::Network)
        modules << QStringLiteral("net") << QStringLiteral("efinet") << QStringLiteral("tftp")
                << QStringLiteral("http");
    return modules;
}

QByteArray NewMediumMarker()
{
    quint64 bits[2];
    QRandomGenerator::system()->fillRange(bits);
    return QByteArray(MediumGrubFolder) + "/glimra-" + QByteArray::number(bits[0], 16).rightJustified(16, '0')
        + QByteArray::number(bits[1], 16).rightJustified(16, '0') + ".id";
}

QByteArray GrubEarlyConfig(const QByteArray& markerPath)
{
    // GRUB's kernel runs this line by line, before normal mode and its
    // script: no "if". When no disk holds the marker, search says so and
    // normal mode, finding no grub.cfg, leaves GRUB at its prompt.
    return "search --no-floppy --file --set=root " + markerPath + "\nset prefix=($root)" + MediumGrubFolder + "\n";
}

QString MakeGrubImage(const MediaTools& tools, GrubCoreKind boot, const QByteArray& markerPath,
    const QString& workFolder, const JobProgress* progress)
{
    const QDir work(workFolder);
    const bool medium = boot == GrubCoreKind::Medium;
    const QString image = work.filePath(medium ? QStringLiteral("BOOTX64.EFI") : QStringLiteral("grubnetx64.efi"));
    QStringList arguments { QStringLiteral("-O"), QStringLiteral("x86_64-efi"), QStringLiteral("-d"), tools.grubModules,
        QStringLiteral("-o"), image, QStringLiteral("-p"),
        medium ? QString::fromLatin1(MediumGrubFolder) : QStringLiteral("(tftp)") + NetworkGrubFolder };
    if (medium) {
        const QString early = work.filePath(QStringLiteral("early.cfg"));
        QFile file(early);
        if (!file.open(QIODevice::WriteOnly) || file.write(GrubEarlyConfig(markerPath)) < 0 || !file.flush())
            throw EVmError("Cannot write GRUB's early configuration.", early.toStdString());
        arguments << QStringLiteral("-c") << early;
    }
    RunTool(tools.grubMkimage, arguments + GrubCoreModules(boot), "Cannot make GRUB's EFI image.", progress);
    return image;
}

qint64 EfiSystemBytes(qint64 imageBytes)
{
    const qint64 mebibyte = qint64(1) << 20;
    return std::max(4 * mebibyte, (imageBytes + 2 * mebibyte - 1) / mebibyte * mebibyte);
}

void WriteEfiSystemFat(const MediaTools& tools, const EfiSystemDrive& drive, const QString& efiImage,
    const QString& workFolder, const JobProgress* progress)
{
    const QDir work(workFolder);
    const QString boot = work.filePath(QStringLiteral("esp/EFI/BOOT"));
    const QString staged = boot + QStringLiteral("/BOOTX64.EFI");
    if (!QDir().mkpath(boot) || (!QFileInfo::exists(staged) && !QFile::copy(efiImage, staged)))
        throw EVmError("Cannot write the EFI system partition's files.", staged.toStdString());
    const QProcessEnvironment environment = MtoolsEnvironment();
    RunTool(tools.mformat,
        { QStringLiteral("-i"), drive.drive, QStringLiteral("-T"), QString::number(drive.sectors), QStringLiteral("-H"),
            QString::number(drive.hiddenSectors), QStringLiteral("-h"), QStringLiteral("64"), QStringLiteral("-s"),
            QStringLiteral("32"), QStringLiteral("-v"), QStringLiteral("EFI"), QStringLiteral("::") },
        "Cannot make the EFI system partition's FAT file system.", progress, 60, environment);
    RunTool(tools.mcopy,
        { QStringLiteral("-i"), drive.drive, QStringLiteral("-s"), QStringLiteral("-Q"), QStringLiteral("-D"),
            QStringLiteral("o"), work.filePath(QStringLiteral("esp/EFI")), QStringLiteral("::/") },
        "Cannot copy GRUB into the EFI system partition.", progress, 60, environment);
}

void AddGrubFolder(ConfigImagePlan& plan, const std::vector<GrubFolderFile>& files, const QByteArray& folder,
    const QByteArray& markerPath, bool foldCase)
{
    using File = ConfigImagePlan::File;
    std::vector<File> grub;
    for (const GrubFolderFile& file : files)
        grub.push_back({ File::From::Runner, folder + '/' + file.path, file.bytes });
    if (!markerPath.isEmpty())
        grub.push_back({ File::From::Runner, markerPath, "Glimra's UEFI boot finds this medium by this file.\n" });
    const auto key = [foldCase](const QByteArray& path) { return foldCase ? Shown(path).toCaseFolded() : Shown(path); };
    QHash<QString, QByteArray> ours;
    for (const File& file : grub)
        ours.insert(key(file.imagePath), file.imagePath);
    std::vector<File> kept;
    kept.reserve(plan.files.size() + grub.size());
    for (File& file : plan.files) {
        const auto same = ours.constFind(key(file.imagePath));
        if (same == ours.constEnd()) {
            kept.push_back(std::move(file));
            continue;
        }
        if (file.from != File::From::Tree)
            throw EVmError(QStringLiteral("GRUB's %1 would replace the loader's own %2.")
                               .arg(Shown(*same), Shown(file.imagePath))
                               .toStdString());
        plan.notes << QStringLiteral("the tree's %1 is replaced by the UEFI side's").arg(Shown(file.imagePath));
    }
    kept.insert(kept.end(), std::make_move_iterator(grub.begin()), std::make_move_iterator(grub.end()));
    plan.files = std::move(kept);
}
