#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>

#include <optional>

// The files of a boot image as the loader sees them: image paths such as
// "/isolinux/f1.txt" over a folder on disk. The one place that says which
// file a name in a configuration or a display file means.
//
// The image root is the folder above a configuration's isolinux, syslinux
// or extlinux folder (or above boot/isolinux, boot/syslinux), as on a real
// CD; for pxelinux.cfg/ it is the TFTP root above it. Any other folder is
// taken as the image's /isolinux/.
class BootFiles {
public:
    // For a configuration file on disk; its image path is ConfigPath().
    static BootFiles ForConfiguration(const QString& configFile);
    // A folder that is the image root itself.
    explicit BootFiles(const QString& rootFolder, const QByteArray& mountedAt = "/");

    const QByteArray& ConfigPath() const { return m_configPath; }
    // The folder the loader starts in: the configuration's.
    QByteArray StartFolder() const;

    // The image path a name means from a current folder: "/x" from the
    // image root, anything else from the folder; "." and ".." resolved.
    // Nothing when the name leaves the image.
    static std::optional<QByteArray> Resolve(const QByteArray& folder, const QByteArray& name);
    // The file on disk of an image path, or nothing outside the folder.
    std::optional<QString> HostPath(const QByteArray& imagePath) const;
    // The image path of a file on disk, or nothing when it is not inside.
    std::optional<QByteArray> ImagePathOf(const QString& hostPath) const;

    // A regular file's bytes (unsaved text given for it first), or nothing
    // when there is no such file, it is not a regular file, or it is larger
    // than limit.
    std::optional<QByteArray> Read(const QByteArray& imagePath, qint64 limit = 16 << 20) const;
    bool Exists(const QByteArray& imagePath) const;
    // Text that stands for a file's bytes (an open tab's unsaved edits).
    void SetText(const QString& hostPath, const QByteArray& bytes);

private:
    QString m_folder; // on disk, without a trailing slash
    QByteArray m_mountedAt; // the image path of m_folder, "/" or "/isolinux"
    QByteArray m_configPath;
    QHash<QString, QByteArray> m_texts;
};
