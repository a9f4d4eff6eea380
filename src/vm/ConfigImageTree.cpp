// The image's files beyond what the loader reads: a disk's loader, files
// too large to read, and the whole tree for boot media.
#include "ConfigImagePlanner.h"

#include "vm/ImageTree.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>

namespace ConfigImagePlanning {

LoaderPlace Planner::PlaceFor(const QByteArray& config) const
{
    LoaderPlace place = LoaderPlaceOf(config);
    const Boot boot = m_options.boot;
    if (boot == Boot::Own || (boot != Boot::Disk && (boot == Boot::Pxe) == place.pxe))
        return place;
    const QByteArray loader = place.folder == "/" ? QByteArray() : place.folder;
    place.pxe = boot == Boot::Pxe;
    place.bootFile = loader + (place.pxe ? "/pxelinux.0" : boot == Boot::Disk ? "/ldlinux.sys" : "/isolinux.bin");
    place.ownFiles = { place.bootFile, loader + "/ldlinux.c32" };
    if (boot == Boot::Cd)
        place.ownFiles.push_back(loader + "/boot.cat");
    if (boot == Boot::Disk) // read before syslinux.cfg
        place.ownFiles.push_back(loader + "/extlinux.conf");
    return place;
}

void Planner::AddDiskLoader(const LoaderPlace& place)
{
    m_plan.loader = LoaderVersion::Debian();
    for (const QByteArray& own : place.ownFiles)
        m_taken.insert(own);
    // The installer writes ldlinux.c32 beside ldlinux.sys, of its build.
    const QByteArray ldlinux = place.ownFiles[1];
    m_looked.insert(ldlinux);
    if (m_files.Exists(ldlinux))
        m_plan.notes << QStringLiteral("the tree's %1 is replaced by SYSLINUX's, of ldlinux.sys's build (%2)")
                            .arg(Latin(ldlinux), m_plan.loader.Name());
}

bool Planner::ReplacedForDisk(const QByteArray& path)
{
    if (m_options.boot != Boot::Disk || m_plan.treeLoader.SameRelease(m_plan.loader) || m_looked.contains(path)
        || !m_files.Exists(path))
        return false;
    QFile debian(QFileInfo(m_tools.ldlinux).dir().filePath(QFile::decodeName(BaseName(path))));
    if (!debian.open(QIODevice::ReadOnly))
        return false;
    m_looked.insert(path);
    m_taken.insert(path);
    m_plan.files.push_back({ File::From::Debian, path, debian.readAll() });
    m_plan.notes << QStringLiteral("the tree's %1 is of %2: Debian's %3 replaces it, of ldlinux.sys's build")
                        .arg(Latin(path), m_plan.treeLoader.Name(), m_plan.loader.Name());
    return true;
}

bool Planner::AddFromDisk(const QByteArray& path)
{
    const std::variant<QByteArray, BootFiles::Fetched> located = m_files.Locate(path);
    const QByteArray* real = std::get_if<QByteArray>(&located);
    if (!real || QFileInfo(QFile::decodeName(*real)).size() > Limits::ExportFileBytes)
        return false;
    m_taken.insert(path);
    m_plan.files.push_back({ File::From::Tree, path, {}, *real });
    return true;
}

void Planner::AddWholeTree()
{
    QHash<QByteArray, File::From> planned;
    for (const File& file : m_plan.files)
        planned.insert(file.imagePath, file.from);
    const TreeWalk walk = WalkTree(m_files);
    for (const TreeEntry& entry : walk.entries) {
        if (const auto at = planned.constFind(entry.imagePath); at != planned.constEnd()) {
            if (*at != File::From::Tree)
                m_plan.notes
                    << QStringLiteral("the tree's %1 is replaced by the image's own").arg(Latin(entry.imagePath));
        } else if (m_looked.contains(entry.imagePath)) {
            continue; // refused by its name already, and said
        } else if (!entry.refusal.isEmpty()) {
            Refuse(entry.imagePath, entry.refusal);
        } else if (m_taken.contains(entry.imagePath)) {
            Refuse(entry.imagePath,
                QStringLiteral("it names the loader's own %1, which stays the loader's").arg(Latin(entry.imagePath)));
        } else {
            m_plan.files.push_back({ File::From::Tree, entry.imagePath, {}, entry.realPath });
        }
    }
    if (walk.truncated)
        m_plan.notes
            << QStringLiteral("the tree holds more than %1 entries: the rest are left out").arg(Limits::ExportEntries);
}

}
