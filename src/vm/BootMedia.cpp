#include "BootMedia.h"

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QTemporaryDir>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>

namespace {

using File = ConfigImagePlan::File;

QString Shown(const QByteArray& name) { return QFile::decodeName(name); }

std::string Failed(const QString& path)
{
    return (path + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(errno))).toStdString();
}

QByteArray ReadSmall(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.read(1 << 20) : QByteArray();
}

// The names FAT cannot hold, and those it takes for one (case folds): each
// with why, out of the files.
void KeepFatNames(std::vector<File>& files, std::vector<ConfigImagePlan::Refusal>& refused)
{
    QHash<QString, QByteArray> seen;
    std::vector<File> kept;
    for (File& file : files) {
        QString why;
        for (const QByteArray& part : file.imagePath.mid(1).split('/')) {
            for (const char byte : part) {
                if (static_cast<unsigned char>(byte) < 0x20 || std::strchr("\"*:<>?\\|\x7f", byte))
                    why = QStringLiteral("FAT cannot hold the character %1 in a name")
                              .arg(QString::asprintf("0x%02x", static_cast<unsigned char>(byte)));
            }
            if (why.isEmpty() && (part.endsWith('.') || part.endsWith(' ')))
                why = QStringLiteral("FAT cannot hold a name that ends in a dot or a blank");
        }
        const QString folded = Shown(file.imagePath).toCaseFolded();
        if (why.isEmpty() && seen.contains(folded))
            why = QStringLiteral("on FAT it is the same name as %1").arg(Shown(seen.value(folded)));
        if (!why.isEmpty()) {
            refused.push_back({ file.imagePath, why });
            continue;
        }
        seen.insert(folded, file.imagePath);
        kept.push_back(std::move(file));
    }
    files = std::move(kept);
}

// A progress of a part of the job: percents from..to of the whole.
JobProgress Part(const JobProgress& whole, int from, int to)
{
    JobProgress part = whole;
    part.report = [&whole, from, to](
                      int percent, const QString& step) { whole.Report(from + (to - from) * percent / 100, step); };
    return part;
}

class Exporter {
public:
    Exporter(const BootFiles& files, const MediaRequest& request, const MediaTools& tools, const JobProgress& progress)
        : m_files(files)
        , m_request(request)
        , m_tools(tools)
        , m_progress(progress)
    {
    }
    MediaResult Run();

private:
    void Plan();
    // GRUB's folder (and the medium's marker) in the plan; on a disk the
    // tree's own removable-media boot file stays out, so UEFI boots ours.
    void PlanUefi();
    // The staging folder beside the target, hidden, gone unless renamed.
    void MakeWork();
    void WriteTree(const QString& folder, TreeWriting how);
    QString MakeIso();
    // The disc's EFI system image: its xorriso options.
    QStringList MakeEfiSystemImage();
    QString MakeUsb();
    QString MakePxe();
    struct Partition {
        char type;
        bool active;
        qint64 start, sectors;
    };
    void InstallMbr(const QString& image, qint64 bytes, const std::vector<Partition>& partitions) const;
    QString Tool(const QString& program, const QStringList& arguments, const std::string& failure,
        const QProcessEnvironment& environment = {});

    const BootFiles& m_files;
    const MediaRequest& m_request;
    const MediaTools& m_tools;
    const JobProgress& m_progress;
    ConfigImagePlan m_plan;
    MediaResult m_result;
    QByteArray m_marker; // the medium's, in its GRUB folder
    std::unique_ptr<QTemporaryDir> m_work;
    QElapsedTimer m_clock;
    // Milliseconds since the last lap.
    double Lap()
    {
        const double milliseconds = static_cast<double>(m_clock.nsecsElapsed()) / 1e6;
        m_clock.restart();
        return milliseconds;
    }
};

void Exporter::Plan()
{
    using Boot = ImageOptions::Boot;
    m_progress.Report(0, QStringLiteral("Planning"));
    ImageOptions options;
    options.boot = m_request.kind == MediaKind::Iso ? Boot::Cd
        : m_request.kind == MediaKind::Pxe          ? Boot::Pxe
                                                    : Boot::Disk;
    options.wholeTree = true;
    m_plan = PlanConfigImage(m_files, m_tools.loader, options);
    if (m_request.Uefi())
        PlanUefi();
    m_result.notes = m_plan.notes;
    m_result.refused = m_plan.refused;
    if (m_request.kind == MediaKind::Usb) {
        const std::size_t before = m_result.refused.size();
        KeepFatNames(m_plan.files, m_result.refused);
        for (std::size_t at = before; at < m_result.refused.size(); ++at) {
            const ConfigImagePlan::Refusal& refusal = m_result.refused[at];
            if (refusal.name.startsWith(QByteArray(MediumGrubFolder) + '/'))
                for (const GrubFolderFile& file : m_request.grub) {
                    if (refusal.name == MediumGrubFolder + ('/' + file.path))
                        throw EVmError(QStringLiteral("GRUB's %1 cannot go on the disk: %2")
                                           .arg(Shown(file.path), refusal.reason)
                                           .toStdString());
                }
        }
    }
    m_result.files = static_cast<qint64>(m_plan.files.size());
    m_result.planMs = Lap();
}

void Exporter::PlanUefi()
{
    m_result.uefi = true;
    if (m_request.kind == MediaKind::Pxe) {
        AddGrubFolder(m_plan, m_request.grub, NetworkGrubFolder, {}, false);
        return;
    }
    m_marker = NewMediumMarker();
    AddGrubFolder(m_plan, m_request.grub, MediumGrubFolder, m_marker, m_request.kind == MediaKind::Usb);
    if (m_request.kind != MediaKind::Usb)
        return;
    std::vector<File> kept;
    for (File& file : m_plan.files) {
        if (Shown(file.imagePath).toCaseFolded() == u"/efi/boot/bootx64.efi")
            m_plan.refused.push_back({ file.imagePath,
                QStringLiteral("UEFI boots the disk from its EFI system partition, whose BOOTX64.EFI starts the "
                               "UEFI side's GRUB") });
        else
            kept.push_back(std::move(file));
    }
    m_plan.files = std::move(kept);
}

void Exporter::MakeWork()
{
    const QFileInfo target(m_request.output);
    m_work = std::make_unique<QTemporaryDir>(
        target.absoluteDir().filePath(QStringLiteral(".%1.glimra-XXXXXX").arg(target.fileName())));
    if (!m_work->isValid())
        throw EVmError(
            "Cannot write beside " + m_request.output.toStdString() + ".", m_work->errorString().toStdString());
}

void Exporter::WriteTree(const QString& folder, TreeWriting how)
{
    if (!QDir().mkpath(folder))
        throw EVmError("Cannot write the media's files.", Failed(folder));
    const JobProgress part = Part(m_progress, 5, 60);
    WriteImageTree(QFile::encodeName(folder), m_plan.files, &part, how);
    m_result.copyMs = Lap();
}

QString Exporter::Tool(const QString& program, const QStringList& arguments, const std::string& failure,
    const QProcessEnvironment& environment)
{
    const QByteArray output = RunTool(program, arguments, failure, &m_progress, 3600, environment);
    m_result.toolMs += Lap();
    return QString::fromLocal8Bit(output);
}

QString Exporter::MakeIso()
{
    const QString tree = m_work->filePath(QStringLiteral("tree"));
    QStringList mbr;
    if (m_request.hybrid) {
        const QString file = m_work->filePath(QStringLiteral("isohdpfx.bin"));
        QFile out(file);
        if (!out.open(QIODevice::WriteOnly) || out.write(HybridMbr(m_files, m_plan, m_tools)) < 0 || !out.flush())
            throw EVmError("Cannot write the media's files.", Failed(file));
        mbr << QStringLiteral("-isohybrid-mbr") << file;
    }
    WriteTree(tree, { true, false });
    const QStringList uefi = m_request.Uefi() ? MakeEfiSystemImage() : QStringList();
    const QString loader = m_plan.loaderFolder == "/" ? QString() : Shown(m_plan.loaderFolder.mid(1)) + u'/';
    const QString iso = m_work->filePath(QStringLiteral("image.iso"));
    m_progress.Report(65, QStringLiteral("Writing the disc image (xorriso)"));
    // -r: Rock Ridge names with modes every reader may use; -J with long
    // Joliet names for Windows. The tree's names are only inside its folder.
    Tool(m_tools.loader.xorriso,
        QStringList { QStringLiteral("-as"), QStringLiteral("mkisofs"), QStringLiteral("-quiet"), QStringLiteral("-r"),
            QStringLiteral("-J"), QStringLiteral("-joliet-long"), QStringLiteral("-V"),
            QString::fromLatin1(m_request.label), QStringLiteral("-o"), iso, QStringLiteral("-b"),
            loader + QStringLiteral("isolinux.bin"), QStringLiteral("-c"), loader + QStringLiteral("boot.cat"),
            QStringLiteral("-no-emul-boot"), QStringLiteral("-boot-load-size"), QStringLiteral("4"),
            QStringLiteral("-boot-info-table") }
            + mbr + uefi + QStringList { tree },
        "Cannot make the disc image.");
    return iso;
}

QStringList Exporter::MakeEfiSystemImage()
{
    m_progress.Report(60, QStringLiteral("Making the EFI system image (grub-mkimage, mtools)"));
    const QString efi = MakeGrubImage(m_tools, GrubCoreKind::Medium, m_marker, m_work->path(), &m_progress);
    const QString image = m_work->filePath(QStringLiteral("efi.img"));
    const qint64 bytes = EfiSystemBytes(QFileInfo(efi).size());
    QFile out(image);
    if (!out.open(QIODevice::WriteOnly) || !out.resize(bytes))
        throw EVmError("Cannot write the EFI system image.", Failed(image));
    out.close();
    WriteEfiSystemFat(m_tools, { image, bytes / 512, 0 }, efi, m_work->path(), &m_progress);
    m_result.toolMs += Lap();
    // The second boot entry is the appended partition itself, so the image
    // is no file of the disc's; hybrid, a GPT names it for a USB stick too.
    QStringList options { QStringLiteral("-eltorito-alt-boot"), QStringLiteral("-e"),
        QStringLiteral("--interval:appended_partition_2:all::"), QStringLiteral("-no-emul-boot") };
    if (m_request.hybrid)
        options << QStringLiteral("-isohybrid-gpt-basdat");
    return options << QStringLiteral("-append_partition") << QStringLiteral("2") << QStringLiteral("0xef") << image;
}

constexpr qint64 PartitionStart = 2048; // sectors: 1 MiB, where partitions start today
constexpr qint64 Sector = 512;

void Exporter::InstallMbr(const QString& image, qint64 bytes, const std::vector<Partition>& partitions) const
{
    QByteArray mbr = ReadSmall(m_tools.mbr).left(440).leftJustified(512, '\0');
    const auto put = [&mbr](int at, quint32 value) {
        for (int i = 0; i < 4; ++i)
            mbr[at + i] = static_cast<char>(value >> (8 * i) & 0xFF);
    };
    put(440, static_cast<quint32>(QDateTime::currentSecsSinceEpoch())); // the disk's signature
    for (std::size_t at = 0; at < partitions.size(); ++at) {
        const Partition& partition = partitions[at];
        const int entry = 446 + 16 * static_cast<int>(at);
        // Its CHS fields say "use LBA".
        const char fields[16]
            = { partition.active ? '\x80' : '\0', '\xfe', '\xff', '\xff', partition.type, '\xfe', '\xff', '\xff' };
        mbr.replace(entry, 16, QByteArray(fields, 16));
        put(entry + 8, static_cast<quint32>(partition.start));
        put(entry + 12, static_cast<quint32>(partition.sectors));
    }
    mbr[510] = '\x55';
    mbr[511] = '\xaa';
    const int descriptor = ::open(QFile::encodeName(image).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    // The whole size now: a full disk says so here, not halfway through.
    const bool written = descriptor >= 0 && ::posix_fallocate(descriptor, 0, bytes) == 0
        && ::pwrite(descriptor, mbr.constData(), 512, 0) == 512;
    const int saved = errno;
    if (descriptor >= 0)
        ::close(descriptor);
    errno = saved;
    if (!written)
        throw EVmError("Cannot write the disk image.", Failed(image));
}

QString Exporter::MakeUsb()
{
    const QString tree = m_work->filePath(QStringLiteral("tree"));
    WriteTree(tree, { true, false });
    qint64 content = 0;
    for (const File& file : m_plan.files)
        content += file.hostPath.isEmpty() ? file.bytes.size() : QFileInfo(Shown(file.hostPath)).size();
    const qint64 mebibyte = qint64(1) << 20;
    const qint64 partition = std::max(
        Limits::ExportDiskLeastBytes, content * (100 + Limits::ExportDiskSlackPercent) / 100 + 16 * mebibyte);
    const qint64 syslinuxBytes = (partition + mebibyte - 1) / mebibyte * mebibyte;
    // The EFI system partition after SYSLINUX's, which keeps its place.
    QString efi;
    if (m_request.Uefi()) {
        m_progress.Report(58, QStringLiteral("Making GRUB's EFI image (grub-mkimage)"));
        efi = MakeGrubImage(m_tools, GrubCoreKind::Medium, m_marker, m_work->path(), &m_progress);
    }
    const qint64 espBytes = efi.isEmpty() ? 0 : EfiSystemBytes(QFileInfo(efi).size());
    const qint64 bytes = PartitionStart * Sector + syslinuxBytes + espBytes;
    const QString image = m_work->filePath(QStringLiteral("disk.img"));
    m_progress.Report(60, QStringLiteral("Writing the disk image (mtools)"));
    // SYSLINUX's partition, active, FAT32 with LBA; the ESP, type 0xef.
    std::vector<Partition> partitions { { '\x0c', true, PartitionStart, syslinuxBytes / Sector } };
    if (espBytes > 0)
        partitions.push_back({ '\xef', false, PartitionStart + syslinuxBytes / Sector, espBytes / Sector });
    InstallMbr(image, bytes, partitions);
    const QString drive = image + QStringLiteral("@@%1").arg(PartitionStart * Sector);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("MTOOLS_SKIP_CHECK"), QStringLiteral("1")); // our geometry is LBA's
    Tool(m_tools.mformat,
        { QStringLiteral("-i"), drive, QStringLiteral("-F"), QStringLiteral("-v"), QString::fromLatin1(m_request.label),
            QStringLiteral("-T"), QString::number(syslinuxBytes / Sector), QStringLiteral("-H"),
            QString::number(PartitionStart), QStringLiteral("-h"), QStringLiteral("64"), QStringLiteral("-s"),
            QStringLiteral("32"), QStringLiteral("::") },
        "Cannot make the disk image's FAT file system.", environment);
    QStringList top;
    for (const QString& name : QDir(tree).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot))
        top << QDir(tree).filePath(name);
    if (!top.isEmpty())
        Tool(m_tools.mcopy,
            QStringList { QStringLiteral("-i"), drive, QStringLiteral("-s"), QStringLiteral("-Q"), QStringLiteral("-D"),
                QStringLiteral("o") }
                + top + QStringList { QStringLiteral("::/") },
            "Cannot copy the tree into the disk image.", environment);
    if (espBytes > 0) {
        const qint64 start = partitions[1].start;
        WriteEfiSystemFat(m_tools, { image + QStringLiteral("@@%1").arg(start * Sector), espBytes / Sector, start },
            efi, m_work->path(), &m_progress);
        m_result.toolMs += Lap();
    }
    m_progress.Report(90, QStringLiteral("Installing SYSLINUX"));
    Tool(m_tools.syslinux,
        { QStringLiteral("--install"), QStringLiteral("--offset"), QString::number(PartitionStart * Sector),
            QStringLiteral("--directory"), Shown(m_plan.loaderFolder), image },
        "Cannot install SYSLINUX in the disk image.", environment);
    return image;
}

QString Exporter::MakePxe()
{
    const QString made = m_work->filePath(QStringLiteral("tftp"));
    m_result.bootFile = m_plan.bootFile.mid(1);
    if (m_request.Uefi()) {
        m_progress.Report(2, QStringLiteral("Making GRUB's network image (grub-mkimage)"));
        const QString image = MakeGrubImage(m_tools, GrubCoreKind::Network, {}, m_work->path(), &m_progress);
        QFile file(image);
        if (!file.open(QIODevice::ReadOnly))
            throw EVmError("Cannot read GRUB's network image.", Failed(image));
        // Beside pxelinux.0, so one folder on the server holds both boot files.
        const QByteArray folder = m_plan.loaderFolder == "/" ? QByteArray() : m_plan.loaderFolder;
        AddGrubFolder(m_plan, { { "grubnetx64.efi", file.readAll() } }, folder, {}, false);
        m_result.uefiBootFile = (folder + "/grubnetx64.efi").mid(1);
        m_result.toolMs += Lap();
    }
    WriteTree(made, { false, true });
    m_result.notes << QStringLiteral("the DHCP server's boot file is %1").arg(Shown(m_result.bootFile));
    if (m_request.Uefi())
        m_result.notes << QStringLiteral("for UEFI clients (DHCP client architecture 7) it is %1")
                              .arg(Shown(m_result.uefiBootFile));
    return made;
}

MediaResult Exporter::Run()
{
    if (const std::optional<QString> problem = MediaRequestProblem(m_request))
        throw EVmError(problem->toStdString());
    if (m_request.Uefi())
        RequireUefiMediaTools(m_tools, m_request.kind);
    // Its own output would go into the next export, and its staging folder into this one.
    const QString parent = QFileInfo(m_request.output).absoluteDir().canonicalPath();
    const QString root = QDir(m_files.Folder()).canonicalPath();
    if (parent == root || parent.startsWith(root + u'/'))
        throw EVmError(QStringLiteral("%1 lies inside the tree being exported: put the media elsewhere")
                           .arg(m_request.output)
                           .toStdString());
    m_clock.start();
    Plan();
    m_progress.Check();
    MakeWork();
    QString made;
    if (m_request.kind == MediaKind::Iso) {
        made = MakeIso();
    } else if (m_request.kind == MediaKind::Usb) {
        made = MakeUsb();
    } else {
        made = MakePxe();
    }
    m_progress.Report(100, QStringLiteral("Putting it in place"));
    m_progress.Check(); // the last moment a cancel leaves nothing
    const QString target = QFileInfo(m_request.output).absoluteFilePath();
    if (::rename(QFile::encodeName(made).constData(), QFile::encodeName(target).constData()) != 0)
        throw EVmError("Cannot put the media in place.", Failed(target));
    m_result.output = target;
    return std::move(m_result);
}

}

MediaResult ExportBootMedia(
    const BootFiles& files, const MediaRequest& request, const MediaTools& tools, const JobProgress& progress)
{
    return Exporter(files, request, tools, progress).Run();
}
