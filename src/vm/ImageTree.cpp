#include "ImageTree.h"

#include "ConfigImage.h"
#include "common/Limits.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

void JobProgress::Check() const
{
    if (const int signal = StopSignal())
        throw EVmStopped(signal);
    if (cancelled && cancelled())
        throw EVmCancelled();
}

namespace {

QByteArrayList SortedNames(const QByteArray& folder)
{
    QByteArrayList names;
    DIR* listing = ::opendir(folder.constData());
    if (!listing)
        return names;
    while (const dirent* entry = ::readdir(listing)) {
        if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0)
            names << QByteArray(entry->d_name);
    }
    ::closedir(listing);
    std::sort(names.begin(), names.end());
    return names;
}

QString KindOf(mode_t mode)
{
    return S_ISCHR(mode) || S_ISBLK(mode) ? QStringLiteral("it is a device")
        : S_ISFIFO(mode)                  ? QStringLiteral("it is a FIFO")
        : S_ISSOCK(mode)                  ? QStringLiteral("it is a socket")
                                          : QStringLiteral("it is not a regular file");
}

class Walker {
public:
    explicit Walker(const BootFiles& files)
        : m_files(files)
    {
    }
    void Folder(const QByteArray& native, const QByteArray& image);
    TreeWalk walk;

private:
    void Entry(const QByteArray& native, const QByteArray& image);
    void Add(TreeEntry entry)
    {
        if (walk.entries.size() >= static_cast<std::size_t>(Limits::ExportEntries)) {
            walk.truncated = true;
            return;
        }
        walk.entries.push_back(std::move(entry));
    }
    const BootFiles& m_files;
};

void Walker::Folder(const QByteArray& native, const QByteArray& image)
{
    for (const QByteArray& name : SortedNames(native)) {
        if (walk.truncated)
            return;
        Entry(native + '/' + name, (image == "/" ? QByteArray() : image) + '/' + name);
    }
}

void Walker::Entry(const QByteArray& native, const QByteArray& image)
{
    struct stat status { };
    if (image.size() > Limits::ImagePathBytes) {
        Add({ image, {}, 0, QStringLiteral("its path is longer than %1 bytes").arg(Limits::ImagePathBytes) });
        return;
    }
    if (::lstat(native.constData(), &status) != 0)
        return; // gone since it was listed
    QByteArray real = native;
    if (S_ISLNK(status.st_mode)) {
        const std::variant<QByteArray, BootFiles::Fetched> located = m_files.Locate(image);
        const QByteArray* inside = std::get_if<QByteArray>(&located);
        if (!inside) {
            const bool outside = std::get<BootFiles::Fetched>(located).failure == BootFiles::Fetched::Failure::Outside;
            Add({ image, {}, 0,
                outside ? QStringLiteral("it is a symbolic link that leads out of the tree")
                        : QStringLiteral("it is a symbolic link that leads nowhere") });
            return;
        }
        if (::stat(inside->constData(), &status) != 0)
            return;
        if (S_ISDIR(status.st_mode)) {
            Add({ image, {}, 0, QStringLiteral("it is a symbolic link to a folder: its files are taken there") });
            return;
        }
        real = *inside;
    } else if (S_ISDIR(status.st_mode)) {
        Folder(native, image);
        return;
    }
    if (!S_ISREG(status.st_mode))
        Add({ image, {}, 0, KindOf(status.st_mode) });
    else if (status.st_size > Limits::ExportFileBytes)
        Add({ image, {}, 0, QStringLiteral("it is 4 GiB or larger, more than ISO 9660 and FAT32 hold in one file") });
    else
        Add({ image, real, status.st_size, {} });
}

bool WriteAll(int descriptor, const char* bytes, qint64 size)
{
    for (qint64 at = 0; at < size;) {
        const ssize_t count = ::write(descriptor, bytes + at, static_cast<std::size_t>(size - at));
        if (count <= 0)
            return false;
        at += count;
    }
    return true;
}

}

TreeWalk WalkTree(const BootFiles& files)
{
    Walker walker(files);
    walker.Folder(QFile::encodeName(files.Folder()), files.MountedAt());
    return std::move(walker.walk);
}

bool CopyRegularFile(const QByteArray& from, int toDescriptor, const JobProgress* progress)
{
    // Non-blocking, so that a FIFO put there since the walk cannot hold the copy.
    const int source = ::open(from.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
    if (source < 0)
        return false;
    struct stat status { };
    bool copied = ::fstat(source, &status) == 0 && S_ISREG(status.st_mode);
    if (!copied)
        errno = EINVAL;
    QByteArray buffer(1 << 20, Qt::Uninitialized);
    while (copied) {
        if (progress)
            progress->Check();
        const ssize_t count = ::read(source, buffer.data(), static_cast<std::size_t>(buffer.size()));
        if (count == 0)
            break;
        copied = count > 0 && WriteAll(toDescriptor, buffer.constData(), count);
    }
    const int saved = errno;
    ::close(source);
    errno = saved;
    return copied;
}

void WriteImageTree(const QByteArray& root, const std::vector<ConfigImagePlan::File>& files,
    const JobProgress* progress, TreeWriting how)
{
    qint64 total = 0, done = 0;
    for (const ConfigImagePlan::File& file : files)
        total += file.hostPath.isEmpty() ? file.bytes.size() : QFileInfo(QFile::decodeName(file.hostPath)).size();
    for (const ConfigImagePlan::File& file : files) {
        if (progress) {
            progress->Check();
            progress->Report(total > 0 ? static_cast<int>(done * 100 / total) : 100,
                QStringLiteral("Copying %1").arg(QFile::decodeName(file.imagePath)));
        }
        const QByteArray path = root + file.imagePath;
        for (qsizetype slash = root.size() + 1; (slash = path.indexOf('/', slash)) > 0; ++slash) {
            if (::mkdir(path.left(slash).constData(), how.forOthers ? 0755 : 0700) != 0 && errno != EEXIST)
                throw EVmError("Cannot write the boot image's files.",
                    (path.left(slash) + ": " + std::strerror(errno)).toStdString());
        }
        const qint64 size
            = file.hostPath.isEmpty() ? file.bytes.size() : QFileInfo(QFile::decodeName(file.hostPath)).size();
        if (how.linkFromTree && !file.hostPath.isEmpty() && ::link(file.hostPath.constData(), path.constData()) == 0) {
            done += size;
            continue;
        }
        const int descriptor = ::open(
            path.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, how.forOthers ? 0644 : 0600);
        bool written = descriptor >= 0;
        try {
            if (written && file.hostPath.isEmpty())
                written = WriteAll(descriptor, file.bytes.constData(), file.bytes.size());
            else if (written)
                written = CopyRegularFile(file.hostPath, descriptor, progress);
        } catch (...) {
            ::close(descriptor);
            throw;
        }
        const int saved = errno;
        if (descriptor >= 0 && ::close(descriptor) != 0 && written)
            written = false;
        else
            errno = saved;
        if (!written)
            throw EVmError("Cannot write the boot image's files.", (path + ": " + std::strerror(errno)).toStdString());
        done += size;
    }
}

QByteArray RunTool(const QString& program, const QStringList& arguments, const std::string& failure,
    const JobProgress* progress, int limitSeconds, const QProcessEnvironment& environment)
{
    QProcess tool;
    tool.setProcessChannelMode(QProcess::MergedChannels);
    tool.setStandardInputFile(QProcess::nullDevice()); // never a question to answer
    if (!environment.isEmpty())
        tool.setProcessEnvironment(environment);
    tool.start(program, arguments);
    QElapsedTimer clock;
    clock.start();
    const QString name = QFileInfo(program).fileName();
    while (!tool.waitForFinished(100) && tool.state() != QProcess::NotRunning) {
        const bool late = clock.elapsed() > qint64(limitSeconds) * 1000;
        try {
            if (progress)
                progress->Check();
            else if (StopSignal())
                throw EVmStopped(StopSignal());
        } catch (...) {
            tool.kill();
            tool.waitForFinished();
            throw;
        }
        if (late) {
            tool.kill();
            tool.waitForFinished();
            throw EVmError(
                failure + " " + name.toStdString() + " took more than " + std::to_string(limitSeconds) + " seconds.");
        }
    }
    const QByteArray output = tool.readAll().trimmed();
    if (tool.error() == QProcess::FailedToStart)
        throw EVmError(failure, (name + QStringLiteral(": ") + tool.errorString()).toStdString());
    if (tool.exitStatus() != QProcess::NormalExit || tool.exitCode() != 0)
        throw EVmError(
            failure, output.isEmpty() ? (name + QStringLiteral(" failed")).toStdString() : output.toStdString());
    return output;
}

QString BuildConfigImage(const VmTools& tools, const ConfigImagePlan& plan, const QString& workFolder)
{
    const QString tree = QDir(workFolder).filePath(QStringLiteral("cd"));
    if (!QDir().mkpath(tree))
        throw EVmError("Cannot write the boot image's files.", tree.toStdString());
    WriteImageTree(QFile::encodeName(tree), plan.files);
    if (plan.pxe)
        return tree;
    const QString iso = QDir(workFolder).filePath(QStringLiteral("boot.iso"));
    const QString loader = plan.loaderFolder == "/" ? QString() : QString::fromLatin1(plan.loaderFolder.mid(1)) + u'/';
    // Every path is the program's own: names from the tree are only inside the folder.
    RunTool(tools.xorriso,
        { QStringLiteral("-as"), QStringLiteral("mkisofs"), QStringLiteral("-quiet"), QStringLiteral("-R"),
            QStringLiteral("-o"), iso, QStringLiteral("-b"), loader + QStringLiteral("isolinux.bin"),
            QStringLiteral("-c"), loader + QStringLiteral("boot.cat"), QStringLiteral("-no-emul-boot"),
            QStringLiteral("-boot-load-size"), QStringLiteral("4"), QStringLiteral("-boot-info-table"), tree },
        "Cannot build the boot image.");
    return iso;
}
