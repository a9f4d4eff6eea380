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
    // The staging folder beside the target, hidden, gone unless renamed.
    void MakeWork();
    void WriteTree(const QString& folder, TreeWriting how);
    QString MakeIso();
    QString MakeUsb();
    void InstallMbr(const QString& image, qint64 bytes) const;
    QString Tool(const QString& program, const QStringList& arguments, const std::string& failure,
        const QProcessEnvironment& environment = {});

    const BootFiles& m_files;
    const MediaRequest& m_request;
    const MediaTools& m_tools;
    const JobProgress& m_progress;
    ConfigImagePlan m_plan;
    MediaResult m_result;
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
    m_result.notes = m_plan.notes;
    m_result.refused = m_plan.refused;
    if (m_request.kind == MediaKind::Usb)
        KeepFatNames(m_plan.files, m_result.refused);
    m_result.files = static_cast<qint64>(m_plan.files.size());
    m_result.planMs = Lap();
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
    const QString loader = m_plan.loaderFolder == "/" ? QString() : Shown(m_plan.loaderFolder.mid(1)) + u'/';
    const QString iso = m_work->filePath(QStringLiteral("image.iso"));
    m_progress.Report(60, QStringLiteral("Writing the disc image (xorriso)"));
    // -r: Rock Ridge names with modes every reader may use; -J with long
    // Joliet names for Windows. The tree's names are only inside its folder.
    Tool(m_tools.loader.xorriso,
        QStringList { QStringLiteral("-as"), QStringLiteral("mkisofs"), QStringLiteral("-quiet"), QStringLiteral("-r"),
            QStringLiteral("-J"), QStringLiteral("-joliet-long"), QStringLiteral("-V"),
            QString::fromLatin1(m_request.label), QStringLiteral("-o"), iso, QStringLiteral("-b"),
            loader + QStringLiteral("isolinux.bin"), QStringLiteral("-c"), loader + QStringLiteral("boot.cat"),
            QStringLiteral("-no-emul-boot"), QStringLiteral("-boot-load-size"), QStringLiteral("4"),
            QStringLiteral("-boot-info-table") }
            + mbr + QStringList { tree },
        "Cannot make the disc image.");
    return iso;
}

constexpr qint64 PartitionStart = 2048; // sectors: 1 MiB, where partitions start today
constexpr qint64 Sector = 512;

void Exporter::InstallMbr(const QString& image, qint64 bytes) const
{
    QByteArray mbr = ReadSmall(m_tools.mbr).left(440).leftJustified(512, '\0');
    const auto put = [&mbr](int at, quint32 value) {
        for (int i = 0; i < 4; ++i)
            mbr[at + i] = static_cast<char>(value >> (8 * i) & 0xFF);
    };
    put(440, static_cast<quint32>(QDateTime::currentSecsSinceEpoch())); // the disk's signature
    // One partition, active, FAT32 with LBA; its CHS fields say "use LBA".
    const char entry[16] = { '\x80', '\xfe', '\xff', '\xff', '\x0c', '\xfe', '\xff', '\xff' };
    mbr.replace(446, 16, QByteArray(entry, 16));
    put(446 + 8, static_cast<quint32>(PartitionStart));
    put(446 + 12, static_cast<quint32>(bytes / Sector - PartitionStart));
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
    const qint64 bytes = (partition + mebibyte - 1) / mebibyte * mebibyte + PartitionStart * Sector;
    const QString image = m_work->filePath(QStringLiteral("disk.img"));
    m_progress.Report(60, QStringLiteral("Writing the disk image (mtools)"));
    InstallMbr(image, bytes);
    const QString drive = image + QStringLiteral("@@%1").arg(PartitionStart * Sector);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("MTOOLS_SKIP_CHECK"), QStringLiteral("1")); // our geometry is LBA's
    Tool(m_tools.mformat,
        { QStringLiteral("-i"), drive, QStringLiteral("-F"), QStringLiteral("-v"), QString::fromLatin1(m_request.label),
            QStringLiteral("-T"), QString::number(bytes / Sector - PartitionStart), QStringLiteral("-H"),
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
    m_progress.Report(90, QStringLiteral("Installing SYSLINUX"));
    Tool(m_tools.syslinux,
        { QStringLiteral("--install"), QStringLiteral("--offset"), QString::number(PartitionStart * Sector),
            QStringLiteral("--directory"), Shown(m_plan.loaderFolder), image },
        "Cannot install SYSLINUX in the disk image.", environment);
    return image;
}

MediaResult Exporter::Run()
{
    if (const std::optional<QString> problem = MediaRequestProblem(m_request))
        throw EVmError(problem->toStdString());
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
        made = m_work->filePath(QStringLiteral("tftp"));
        WriteTree(made, { false, true });
        m_result.bootFile = m_plan.bootFile.mid(1);
        m_result.notes << QStringLiteral("the DHCP server's boot file is %1").arg(Shown(m_result.bootFile));
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

std::optional<QString> MediaRequestProblem(const MediaRequest& request)
{
    const int most = request.kind == MediaKind::Usb ? 11 : 32; // FAT's label, ISO 9660's volume name
    bool plain = !request.label.isEmpty() && request.label.size() <= most;
    for (const char byte : request.label)
        plain = plain && (std::isalnum(static_cast<unsigned char>(byte)) || std::strchr("_-. ", byte));
    if (request.kind != MediaKind::Pxe && !plain)
        return QStringLiteral("the volume label must be 1 to %1 letters, digits, blanks or _-.").arg(most);
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

MediaResult ExportBootMedia(
    const BootFiles& files, const MediaRequest& request, const MediaTools& tools, const JobProgress& progress)
{
    return Exporter(files, request, tools, progress).Run();
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
