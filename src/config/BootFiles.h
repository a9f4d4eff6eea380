#pragma once

#include "common/Limits.h"

#include <QByteArray>
#include <QHash>
#include <QString>

#include <optional>
#include <variant>

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
    // The same files with another configuration of the tree as the one
    // booted (a PXE client's own under pxelinux.cfg/).
    BootFiles WithConfigPath(const QByteArray& imagePath) const
    {
        BootFiles other = *this;
        other.m_configPath = imagePath;
        return other;
    }
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

    // The file's name on disk as bytes: names in a configuration or a
    // display file are bytes, whatever the system's encoding says of them.
    std::optional<QByteArray> NativePath(const QByteArray& imagePath) const;

    // What reading a name gives: its bytes (unsaved text given for it
    // first), or why there are none. A name outside the image, a symbolic
    // link that leads out of it, a device, a FIFO or a folder is refused
    // without being opened.
    struct Fetched {
        enum class Failure { None, Outside, Missing, NotAFile, TooLarge, Unreadable } failure = Failure::None;
        QByteArray bytes;
        QString reason; // for NotAFile: what it is instead; else the system's words
    };
    Fetched Fetch(const QByteArray& imagePath, qint64 limit = Limits::FileBytes) const;
    std::optional<QByteArray> Read(const QByteArray& imagePath, qint64 limit = Limits::FileBytes) const;
    // The file a directive names from a folder (DISPLAY, an F-key, INCLUDE,
    // FONT, KBDMAP, MENU BACKGROUND, a help file, a module ...), read as
    // Fetch reads it: its image path, and its bytes or why there are none
    // (Outside, and no path, for a name that leaves the image).
    struct Named {
        std::optional<QByteArray> path;
        Fetched fetched;
        bool Found() const { return fetched.failure == Fetched::Failure::None; }
    };
    Named FetchNamed(const QByteArray& folder, const QByteArray& name, qint64 limit = Limits::FileBytes) const;
    std::optional<QByteArray> ReadNamed(
        const QByteArray& folder, const QByteArray& name, qint64 limit = Limits::FileBytes) const;
    bool ExistsNamed(const QByteArray& folder, const QByteArray& name) const;
    // A regular file inside the image (or unsaved text) of that name: what
    // Fetch would read, refused by the same rules, without reading it.
    bool Exists(const QByteArray& imagePath) const;
    // Text that stands for a file's bytes (an open tab's unsaved edits).
    void SetText(const QString& hostPath, const QByteArray& bytes);
    // The real file on disk an image path means (links followed, never out
    // of the image), or why Fetch refuses it; nothing is opened.
    std::variant<QByteArray, Fetched> Locate(const QByteArray& imagePath) const;
    // The folder on disk and its image path ("/" or "/isolinux").
    const QString& Folder() const { return m_folder; }
    const QByteArray& MountedAt() const { return m_mountedAt; }

private:
    QString m_folder; // on disk, without a trailing slash
    QByteArray m_mountedAt; // the image path of m_folder, "/" or "/isolinux"
    QByteArray m_configPath;
    QHash<QString, QByteArray> m_texts;
};
