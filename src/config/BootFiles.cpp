#include "BootFiles.h"

#include "common/FileAccess.h"

#include <QDir>
#include <QFileInfo>

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

std::optional<QByteArray> BootFiles::Read(const QByteArray& imagePath, qint64 limit) const
{
    const std::optional<QString> host = HostPath(imagePath);
    if (!host)
        return std::nullopt;
    if (const auto text = m_texts.constFind(*host); text != m_texts.constEnd())
        return *text;
    // A symbolic link that leads out of the image is not the image's file.
    const QString real = QFileInfo(*host).canonicalFilePath();
    const QString root = QFileInfo(m_folder).canonicalFilePath();
    if (real.isEmpty() || !real.startsWith(root + u'/'))
        return std::nullopt;
    const ReadOutcome read = ReadFileNative(QFile::encodeName(*host), limit, ReadableKinds::RegularFiles);
    if (read.failure)
        return std::nullopt;
    return read.bytes;
}

bool BootFiles::Exists(const QByteArray& imagePath) const
{
    const std::optional<QString> host = HostPath(imagePath);
    return host && (m_texts.contains(*host) || QFileInfo(*host).isFile());
}

void BootFiles::SetText(const QString& hostPath, const QByteArray& bytes)
{
    m_texts.insert(QDir::cleanPath(QFileInfo(hostPath).absoluteFilePath()), bytes);
}
