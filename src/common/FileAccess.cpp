#include "FileAccess.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace {

QString SystemReason(int error) { return QString::fromLocal8Bit(std::strerror(error)); }

// Closes a descriptor when it goes out of scope.
class Descriptor {
public:
    explicit Descriptor(int descriptor = -1)
        : m_descriptor(descriptor)
    {
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    ~Descriptor()
    {
        if (m_descriptor >= 0)
            ::close(m_descriptor);
    }
    int Get() const { return m_descriptor; }
    // Closes now; false with errno set when the system reports a late write error.
    bool Close()
    {
        const int descriptor = std::exchange(m_descriptor, -1);
        return descriptor < 0 || ::close(descriptor) == 0;
    }

private:
    int m_descriptor;
};

// A file larger than the process's size limit must fail the write with
// EFBIG and leave us in charge, not end the process half-way through a save.
void IgnoreFileSizeSignal()
{
    static const bool ignored = [] {
        std::signal(SIGXFSZ, SIG_IGN);
        return true;
    }();
    (void)ignored;
}

// Writes all bytes at an offset; the count written before a failure
// (errno set) otherwise.
qsizetype WriteAt(int descriptor, const char* data, qsizetype size, off_t offset)
{
    qsizetype done = 0;
    while (done < size) {
        const ssize_t written = ::pwrite(descriptor, data + done, static_cast<size_t>(size - done), offset + done);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            if (written == 0)
                errno = EIO;
            return done;
        }
        done += written;
    }
    return done;
}

// Writes all bytes at the descriptor's position (a pipe or device has no offset).
bool WriteAll(int descriptor, QByteArrayView bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t written = ::write(descriptor, bytes.data() + done, static_cast<size_t>(bytes.size() - done));
        if (written < 0 && errno == EINTR)
            continue;
        if (written < 0 && errno == EAGAIN) {
            pollfd ready { descriptor, POLLOUT, 0 };
            ::poll(&ready, 1, -1);
            continue;
        }
        if (written <= 0) {
            if (written == 0)
                errno = EIO;
            return false;
        }
        done += written;
    }
    return true;
}

std::optional<SaveFailure> Failure(SaveFailure::Stage stage, const QByteArray& path, int error)
{
    return SaveFailure { stage, ShownName(path), SystemReason(error) };
}

mode_t NewFileMode()
{
    // The process's umask can only be read by setting it.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

QByteArray FolderOf(const QByteArray& path)
{
    const qsizetype slash = path.lastIndexOf('/');
    return slash < 0 ? QByteArray(".") : slash == 0 ? QByteArray("/") : path.left(slash);
}

// A new file beside the old one, written and synced, then renamed over it.
// The new file gets the old one's mode and group; where it cannot have the
// group, false with nothing changed, so the caller writes in place.
std::optional<SaveFailure> SaveAtomically(
    const QByteArray& path, const QByteArray& bytes, const struct stat* old, bool& groupLost)
{
    QByteArray temporary = FolderOf(path) + "/.glimra-XXXXXX";
    Descriptor file(::mkostemp(temporary.data(), O_CLOEXEC));
    if (file.Get() < 0)
        return Failure(SaveFailure::Stage::Create, path, errno);
    const auto abandon = [&](int error) {
        file.Close();
        ::unlink(temporary.constData());
        return Failure(SaveFailure::Stage::Write, path, error);
    };
    struct stat made { };
    if (old && ::fstat(file.Get(), &made) == 0 && made.st_gid != old->st_gid
        && ::fchown(file.Get(), static_cast<uid_t>(-1), old->st_gid) != 0) {
        file.Close();
        ::unlink(temporary.constData());
        groupLost = true;
        return std::nullopt;
    }
    if (::fchmod(file.Get(), old ? old->st_mode & 07777 : NewFileMode()) != 0)
        return abandon(errno);
    if (WriteAt(file.Get(), bytes.constData(), bytes.size(), 0) != bytes.size())
        return abandon(errno);
    if (::fsync(file.Get()) != 0 || !file.Close())
        return abandon(errno);
    if (::rename(temporary.constData(), path.constData()) != 0)
        return abandon(errno);
    return std::nullopt;
}

// The same file, rewritten: its inode, links, owner and mode stay. The new
// bytes past the old end go first, so that the room is there (or the save
// fails) before any old byte is overwritten; what was overwritten goes back
// if a later step fails.
std::optional<SaveFailure> SaveInPlace(const QByteArray& path, const QByteArray& bytes)
{
    Descriptor file(::open(path.constData(), O_RDWR | O_CLOEXEC));
    if (file.Get() < 0)
        return Failure(SaveFailure::Stage::Create, path, errno);
    struct stat status { };
    if (::fstat(file.Get(), &status) != 0)
        return Failure(SaveFailure::Stage::Write, path, errno);
    const qsizetype oldSize = status.st_size;
    QByteArray old(oldSize, Qt::Uninitialized);
    for (qsizetype done = 0; done < oldSize;) {
        const ssize_t got = ::pread(file.Get(), old.data() + done, static_cast<size_t>(oldSize - done), done);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return Failure(SaveFailure::Stage::Write, path, got < 0 ? errno : EIO);
        done += got;
    }
    const qsizetype size = bytes.size();
    if (size > oldSize && WriteAt(file.Get(), bytes.constData() + oldSize, size - oldSize, oldSize) != size - oldSize) {
        const int error = errno;
        (void)!::ftruncate(file.Get(), oldSize);
        return Failure(SaveFailure::Stage::Write, path, error);
    }
    const qsizetype head = std::min(size, oldSize);
    const qsizetype written = WriteAt(file.Get(), bytes.constData(), head, 0);
    int error = written == head ? 0 : errno;
    if (!error && size < oldSize && ::ftruncate(file.Get(), size) != 0)
        error = errno;
    if (!error && ::fsync(file.Get()) != 0)
        error = errno;
    if (!error)
        return std::nullopt;
    WriteAt(file.Get(), old.constData(), written < head ? written : oldSize, 0);
    (void)!::ftruncate(file.Get(), oldSize);
    return Failure(SaveFailure::Stage::Write, path, error);
}

// A device, a FIFO: opened without blocking (a FIFO nobody reads fails at
// once rather than hanging) and written.
std::optional<SaveFailure> SavePlainly(const QByteArray& path, const QByteArray& bytes)
{
    Descriptor file(::open(path.constData(), O_WRONLY | O_CREAT | O_NONBLOCK | O_CLOEXEC, 0666));
    if (file.Get() < 0)
        return Failure(SaveFailure::Stage::Create, path, errno == ENXIO ? EPIPE : errno);
    if (!WriteAll(file.Get(), bytes) || !file.Close())
        return Failure(SaveFailure::Stage::Write, path, errno);
    return std::nullopt;
}

}

std::optional<SaveFailure> SaveBytesNative(const QByteArray& nativeName, const QByteArray& bytes)
{
    IgnoreFileSizeSignal();
    QByteArray path = nativeName;
    struct stat status { };
    if (::lstat(path.constData(), &status) == 0 && S_ISLNK(status.st_mode)) {
        // A link is followed to its file, which is saved; a dangling one creates its target.
        char* target = ::realpath(path.constData(), nullptr);
        if (!target)
            return SavePlainly(path, bytes);
        path = target;
        std::free(target);
    }
    if (::stat(path.constData(), &status) != 0) {
        bool groupLost = false;
        return SaveAtomically(path, bytes, nullptr, groupLost);
    }
    if (!S_ISREG(status.st_mode))
        return SavePlainly(path, bytes);
    const bool onlyOurs = status.st_nlink == 1 && status.st_uid == ::geteuid();
    const bool folderWritable = ::access(FolderOf(path).constData(), W_OK | X_OK) == 0;
    if (onlyOurs && folderWritable) {
        bool groupLost = false;
        std::optional<SaveFailure> failure = SaveAtomically(path, bytes, &status, groupLost);
        if (!groupLost)
            return failure;
    }
    return SaveInPlace(path, bytes);
}

std::optional<SaveFailure> SaveBytes(const QString& path, const QByteArray& bytes)
{
    return SaveBytesNative(QFile::encodeName(path), bytes);
}

QString FailureDetail(const SaveFailure& failure)
{
    return QStringLiteral("\"%1\": %2").arg(QDir::toNativeSeparators(failure.path), failure.reason);
}

namespace {

ReadOutcome Refused(ReadFailure::Kind kind, const QString& reason) { return { {}, ReadFailure { kind, reason } }; }

// Reads an open descriptor to its end, at most limit bytes; waits for
// input when the descriptor does not block.
ReadOutcome ReadOpen(int descriptor, qint64 limit, const struct stat& status)
{
    if (S_ISREG(status.st_mode) && status.st_size > limit)
        return Refused(ReadFailure::Kind::TooLarge, {});
    QByteArray bytes;
    const qint64 chunk = 1 << 16;
    bytes.reserve(S_ISREG(status.st_mode) ? status.st_size + 1 : chunk);
    for (;;) {
        const qsizetype at = bytes.size();
        const qint64 room = std::min<qint64>(chunk, limit + 1 - at);
        bytes.resize(at + room);
        const ssize_t got = ::read(descriptor, bytes.data() + at, static_cast<size_t>(room));
        if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            bytes.resize(at);
            pollfd ready { descriptor, POLLIN, 0 };
            ::poll(&ready, 1, -1);
            continue;
        }
        if (got < 0 && errno == EINTR) {
            bytes.resize(at);
            continue;
        }
        if (got < 0)
            return Refused(ReadFailure::Kind::Read, SystemReason(errno));
        bytes.resize(at + got);
        if (bytes.size() > limit)
            return Refused(ReadFailure::Kind::TooLarge, {});
        if (got == 0)
            return { bytes, std::nullopt };
    }
}

QString KindOf(mode_t mode)
{
    if (S_ISDIR(mode))
        return QStringLiteral("It is a folder");
    if (S_ISFIFO(mode))
        return QStringLiteral("It is a FIFO, not a regular file");
    if (S_ISSOCK(mode))
        return QStringLiteral("It is a socket, not a regular file");
    return QStringLiteral("It is a device, not a regular file");
}

}

ReadOutcome ReadFileNative(const QByteArray& nativeName, qint64 limit, ReadableKinds kinds)
{
    // What is not a regular file is refused before it is opened: opening a
    // device can have effects of its own.
    struct stat before { };
    if (kinds == ReadableKinds::RegularFiles && ::stat(nativeName.constData(), &before) == 0
        && !S_ISREG(before.st_mode))
        return Refused(ReadFailure::Kind::NotAFile, KindOf(before.st_mode));
    // Without blocking, so that a FIFO that no program writes cannot hang the open.
    Descriptor file(::open(nativeName.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (file.Get() < 0)
        return Refused(ReadFailure::Kind::Open, SystemReason(errno));
    struct stat status { };
    if (::fstat(file.Get(), &status) != 0)
        return Refused(ReadFailure::Kind::Open, SystemReason(errno));
    const bool stream = S_ISFIFO(status.st_mode) || S_ISCHR(status.st_mode) || S_ISSOCK(status.st_mode);
    if (!S_ISREG(status.st_mode) && !(stream && kinds == ReadableKinds::AlsoStreams))
        return Refused(ReadFailure::Kind::NotAFile, KindOf(status.st_mode));
    // A stream named on purpose is waited for, as any reader of it would.
    if (stream)
        ::fcntl(file.Get(), F_SETFL, ::fcntl(file.Get(), F_GETFL) & ~O_NONBLOCK);
    return ReadOpen(file.Get(), limit, status);
}

ReadOutcome ReadFile(const QString& path, qint64 limit, ReadableKinds kinds)
{
    return ReadFileNative(QFile::encodeName(path), limit, kinds);
}

ReadOutcome ReadStandardInput(qint64 limit)
{
    struct stat status { };
    if (::fstat(STDIN_FILENO, &status) != 0)
        return Refused(ReadFailure::Kind::Open, QStringLiteral("Standard input is closed"));
    return ReadOpen(STDIN_FILENO, limit, status);
}

QString ShownName(const QByteArray& nativeName)
{
    if (QFile::encodeName(QFile::decodeName(nativeName)) == nativeName)
        return QFile::decodeName(nativeName);
    QString shown;
    for (char byte : nativeName) {
        const auto code = static_cast<unsigned char>(byte);
        shown += code < 0x80 ? QString(QLatin1Char(byte)) : QStringLiteral("\\x%1").arg(code, 2, 16, QLatin1Char('0'));
    }
    return shown;
}
