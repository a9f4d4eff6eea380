#include "FileAccess.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

enum class Way { NewFile, Atomic, InPlace, Plain };

// How to write an existing or new file without changing what it is.
Way WayToWrite(const QString& path)
{
#ifdef Q_OS_UNIX
    struct stat status { };
    if (::stat(QFile::encodeName(path).constData(), &status) != 0)
        return Way::NewFile;
    if (!S_ISREG(status.st_mode))
        return Way::Plain;
    const bool onlyOurs = status.st_nlink == 1 && status.st_uid == ::geteuid() && status.st_gid == ::getegid();
    const bool folderWritable
        = ::access(QFile::encodeName(QFileInfo(path).absolutePath()).constData(), W_OK | X_OK) == 0;
    return onlyOurs && folderWritable ? Way::Atomic : Way::InPlace;
#else
    return QFileInfo::exists(path) ? Way::Atomic : Way::NewFile;
#endif
}

std::optional<SaveFailure> Failure(SaveFailure::Stage stage, const QString& path, const QString& reason)
{
    return SaveFailure { stage, path, reason };
}

bool WriteAll(QFileDevice& file, const QByteArray& bytes) { return file.write(bytes) == bytes.size() && file.flush(); }

std::optional<SaveFailure> SaveAtomically(const QString& path, const QByteArray& bytes, bool keepMode)
{
    const QFileDevice::Permissions mode = QFile::permissions(path);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return Failure(SaveFailure::Stage::Create, path, file.errorString());
    // Flushed first: QSaveFile's commit renames even when its own flush
    // failed (a full disk), which would replace the file with a stump.
    if (!WriteAll(file, bytes) || !file.commit()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return Failure(SaveFailure::Stage::Write, path, reason);
    }
    // The new file was made with the default mode; a read-only file stays one.
    if (keepMode)
        QFile::setPermissions(path, mode);
    return std::nullopt;
}

// The same file, truncated and written: its inode, links, owner and mode
// stay. The old bytes go back if the new ones cannot all be written.
std::optional<SaveFailure> SaveInPlace(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite))
        return Failure(SaveFailure::Stage::Create, path, file.errorString());
    const QByteArray old = file.readAll();
    if (file.resize(0) && file.seek(0) && WriteAll(file, bytes))
        return std::nullopt;
    const QString reason = file.errorString();
    file.resize(0);
    file.seek(0);
    WriteAll(file, old);
    return Failure(SaveFailure::Stage::Write, path, reason);
}

bool QtCanHold(const QByteArray& nativeName) { return QFile::encodeName(QFile::decodeName(nativeName)) == nativeName; }

// Opens a file by the bytes of its name, through the system where Qt's names
// cannot hold it; the system's reason when that fails.
std::optional<QString> OpenByName(QFile& file, const QByteArray& nativeName, QIODevice::OpenMode mode)
{
#ifdef Q_OS_UNIX
    if (!QtCanHold(nativeName)) {
        const int flags = mode == QIODevice::ReadOnly ? O_RDONLY : O_WRONLY | O_CREAT | O_TRUNC;
        const int descriptor = ::open(nativeName.constData(), flags | O_CLOEXEC, 0666);
        if (descriptor < 0)
            return QString::fromLocal8Bit(std::strerror(errno));
        if (!file.open(descriptor, mode, QFileDevice::AutoCloseHandle))
            return file.errorString();
        return std::nullopt;
    }
#endif
    file.setFileName(QFile::decodeName(nativeName));
    if (!file.open(mode))
        return file.errorString();
    return std::nullopt;
}

std::optional<SaveFailure> SavePlainly(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return Failure(SaveFailure::Stage::Create, path, file.errorString());
    if (!WriteAll(file, bytes))
        return Failure(SaveFailure::Stage::Write, path, file.errorString());
    return std::nullopt;
}

}

std::optional<SaveFailure> SaveBytes(const QString& path, const QByteArray& bytes)
{
    const QFileInfo link(path);
    const QString target = link.isSymLink() && link.exists() ? link.canonicalFilePath() : path;
    switch (WayToWrite(target)) {
    case Way::NewFile: return SaveAtomically(target, bytes, false);
    case Way::Atomic: return SaveAtomically(target, bytes, true);
    case Way::InPlace: return SaveInPlace(target, bytes);
    case Way::Plain: return SavePlainly(target, bytes);
    }
    return std::nullopt;
}

QString FailureDetail(const SaveFailure& failure)
{
    return QStringLiteral("\"%1\": %2").arg(QDir::toNativeSeparators(failure.path), failure.reason);
}

std::optional<QByteArray> ReadAtMost(QFileDevice& file, qint64 limit)
{
    if (!file.isSequential() && file.size() > limit)
        return std::nullopt;
    QByteArray bytes = file.read(limit + 1);
    if (bytes.size() > limit)
        return std::nullopt;
    return bytes;
}

std::optional<QString> OpenNative(QFile& file, const QByteArray& nativeName)
{
    return OpenByName(file, nativeName, QIODevice::ReadOnly);
}

std::optional<SaveFailure> SaveBytesNative(const QByteArray& nativeName, const QByteArray& bytes)
{
    if (QtCanHold(nativeName))
        return SaveBytes(QFile::decodeName(nativeName), bytes);
    // No temporary file can be named beside it through Qt: written in place.
    QFile file;
    if (const std::optional<QString> reason = OpenByName(file, nativeName, QIODevice::WriteOnly))
        return Failure(SaveFailure::Stage::Create, ShownName(nativeName), *reason);
    if (!WriteAll(file, bytes))
        return Failure(SaveFailure::Stage::Write, ShownName(nativeName), file.errorString());
    return std::nullopt;
}

QString ShownName(const QByteArray& nativeName)
{
    if (QtCanHold(nativeName))
        return QFile::decodeName(nativeName);
    QString shown;
    for (char byte : nativeName) {
        const auto code = static_cast<unsigned char>(byte);
        shown += code < 0x80 ? QString(QLatin1Char(byte)) : QStringLiteral("\\x%1").arg(code, 2, 16, QLatin1Char('0'));
    }
    return shown;
}
