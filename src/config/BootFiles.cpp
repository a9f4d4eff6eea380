#include "BootFiles.h"

#include "common/FileAccess.h"

#include <QDir>
#include <QFileInfo>

#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

BootFiles::BootFiles(const QString& rootFolder, const QByteArray& mountedAt)
    : m_folder(QDir::cleanPath(QFileInfo(rootFolder).absoluteFilePath()))
    , m_mountedAt(mountedAt)
{
}

BootFiles BootFiles::ForConfiguration(const QString& configFile)
{
    const QFileInfo config(configFile);
    const QDir folder = config.absoluteDir();
    const QString name = folder.dirName().toLower();
    const QString parentName = QFileInfo(folder.absolutePath()).dir().dirName().toLower();
    static const QStringList loaderFolders = { "isolinux", "syslinux", "extlinux", "pxelinux.cfg" };
    QString root = folder.absolutePath();
    int levels = 0;
    if (loaderFolders.contains(name))
        levels = parentName == u"boot" && name != u"pxelinux.cfg" ? 2 : 1;
    for (int level = 0; level < levels; ++level)
        root = QFileInfo(root).absolutePath();
    BootFiles files(root, levels > 0 ? QByteArray("/") : QByteArray("/isolinux"));
    files.m_configPath = files.ImagePathOf(config.absoluteFilePath()).value_or(QByteArray());
    return files;
}

QByteArray BootFiles::StartFolder() const
{
    // PXELINUX works from the TFTP root, not from pxelinux.cfg/.
    const qsizetype slash = m_configPath.lastIndexOf('/');
    const QByteArray folder = slash <= 0 ? QByteArray("/") : m_configPath.left(slash);
    return folder.endsWith("/pxelinux.cfg") ? folder.chopped(13).isEmpty() ? QByteArray("/") : folder.chopped(13)
                                            : folder;
}

std::optional<QByteArray> BootFiles::Resolve(const QByteArray& folder, const QByteArray& name)
{
    QByteArrayList parts;
    const QByteArray whole = name.startsWith('/') ? name : folder + '/' + name;
    for (const QByteArray& part : whole.split('/')) {
        if (part.isEmpty() || part == ".")
            continue;
        if (part == "..") {
            if (parts.isEmpty())
                return std::nullopt;
            parts.removeLast();
            continue;
        }
        parts << part;
    }
    return '/' + parts.join('/');
}

std::optional<QString> BootFiles::HostPath(const QByteArray& imagePath) const
{
    const QByteArray prefix = m_mountedAt == "/" ? QByteArray() : m_mountedAt;
    if (!prefix.isEmpty() && imagePath != prefix && !imagePath.startsWith(prefix + '/'))
        return std::nullopt;
    const QByteArray inside = imagePath.mid(prefix.size());
    return QFile::decodeName(QFile::encodeName(m_folder) + inside);
}

std::optional<QByteArray> BootFiles::ImagePathOf(const QString& hostPath) const
{
    const QString path = QDir::cleanPath(QFileInfo(hostPath).absoluteFilePath());
    if (path != m_folder && !path.startsWith(m_folder + u'/'))
        return std::nullopt;
    const QByteArray inside = QFile::encodeName(path.mid(m_folder.size()));
    const QByteArray prefix = m_mountedAt == "/" ? QByteArray() : m_mountedAt;
    return inside.isEmpty() && prefix.isEmpty() ? QByteArray("/") : prefix + inside;
}

std::optional<QByteArray> BootFiles::NativePath(const QByteArray& imagePath) const
{
    const QByteArray prefix = m_mountedAt == "/" ? QByteArray() : m_mountedAt;
    if (!prefix.isEmpty() && imagePath != prefix && !imagePath.startsWith(prefix + '/'))
        return std::nullopt;
    return QFile::encodeName(m_folder) + imagePath.mid(prefix.size());
}

std::variant<QByteArray, BootFiles::Fetched> BootFiles::Locate(const QByteArray& imagePath) const
{
    using Failure = Fetched::Failure;
    const std::optional<QByteArray> native = NativePath(imagePath);
    if (!native)
        return Fetched { Failure::Outside, {}, {} };
    // A symbolic link that leads out of the image is not the image's file.
    char* real = ::realpath(native->constData(), nullptr);
    if (!real)
        return Fetched { errno == ENOENT || errno == ENOTDIR ? Failure::Missing : Failure::Unreadable, {},
            QString::fromLocal8Bit(std::strerror(errno)) };
    const QByteArray resolved(real);
    std::free(real);
    char* rootReal = ::realpath(QFile::encodeName(m_folder).constData(), nullptr);
    const QByteArray root = rootReal ? QByteArray(rootReal) : QByteArray();
    std::free(rootReal);
    if (root.isEmpty() || !resolved.startsWith(root + '/'))
        return Fetched { Failure::Outside, {}, {} };
    return resolved;
}

BootFiles::Fetched BootFiles::Fetch(const QByteArray& imagePath, qint64 limit) const
{
    using Failure = Fetched::Failure;
    if (const std::optional<QByteArray> native = NativePath(imagePath)) {
        if (const auto text = m_texts.constFind(QFile::decodeName(*native)); text != m_texts.constEnd())
            return { Failure::None, *text, {} };
    }
    std::variant<QByteArray, Fetched> located = Locate(imagePath);
    if (Fetched* refused = std::get_if<Fetched>(&located))
        return std::move(*refused);
    const ReadOutcome read = ReadFileNative(std::get<QByteArray>(located), limit, ReadableKinds::RegularFiles);
    if (!read.failure)
        return { Failure::None, read.bytes, {} };
    switch (read.failure->kind) {
    case ReadFailure::Kind::NotAFile: return { Failure::NotAFile, {}, read.failure->reason };
    case ReadFailure::Kind::TooLarge:
        return { Failure::TooLarge, {},
            QStringLiteral("larger than %1, the most Glimra reads of one file")
                .arg(limit % (1 << 20) == 0 ? QStringLiteral("%1 MiB").arg(limit >> 20)
                                            : QStringLiteral("%1 bytes").arg(limit)) };
    default: return { Failure::Unreadable, {}, read.failure->reason };
    }
}

std::optional<QByteArray> BootFiles::Read(const QByteArray& imagePath, qint64 limit) const
{
    Fetched fetched = Fetch(imagePath, limit);
    if (fetched.failure != Fetched::Failure::None)
        return std::nullopt;
    return std::move(fetched.bytes);
}

BootFiles::Named BootFiles::FetchNamed(const QByteArray& folder, const QByteArray& name, qint64 limit) const
{
    Named named { Resolve(folder, name), { Fetched::Failure::Outside, {}, {} } };
    if (named.path)
        named.fetched = Fetch(*named.path, limit);
    return named;
}

std::optional<QByteArray> BootFiles::ReadNamed(const QByteArray& folder, const QByteArray& name, qint64 limit) const
{
    Named named = FetchNamed(folder, name, limit);
    if (!named.Found())
        return std::nullopt;
    return std::move(named.fetched.bytes);
}

bool BootFiles::ExistsNamed(const QByteArray& folder, const QByteArray& name) const
{
    const std::optional<QByteArray> path = Resolve(folder, name);
    return path && Exists(*path);
}

bool BootFiles::Exists(const QByteArray& imagePath) const
{
    const std::optional<QByteArray> native = NativePath(imagePath);
    if (!native)
        return false;
    if (m_texts.contains(QFile::decodeName(*native)))
        return true;
    const std::variant<QByteArray, Fetched> located = Locate(imagePath);
    struct stat status { };
    const QByteArray* real = std::get_if<QByteArray>(&located);
    return real && ::stat(real->constData(), &status) == 0 && S_ISREG(status.st_mode);
}

void BootFiles::SetText(const QString& hostPath, const QByteArray& bytes)
{
    m_texts.insert(QDir::cleanPath(QFileInfo(hostPath).absoluteFilePath()), bytes);
}
