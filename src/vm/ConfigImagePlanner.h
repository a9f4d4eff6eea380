#pragma once

// The planner of a configuration's image, shared by ConfigImage.cpp (what
// the loader reads) and ConfigImageTree.cpp (a disk's loader, the whole
// tree for media).
#include "ConfigImage.h"

#include "config/ConfigSet.h"
#include "config/MenuConfig.h"

#include <QSet>

namespace ConfigImagePlanning {

using File = ConfigImagePlan::File;
using Failure = BootFiles::Fetched::Failure;

inline QString Latin(const QByteArray& bytes) { return QString::fromLatin1(bytes); }

inline QByteArray BaseName(const QByteArray& path) { return path.mid(path.lastIndexOf('/') + 1); }

// The commands a configuration can run, each once: thousands of labels
// often boot one kernel.
struct Commands {
    std::vector<std::pair<QByteArray, KernelKind>> list;
    QSet<QByteArray> seen;

    void Add(const QByteArray& command, KernelKind kind)
    {
        const QByteArray key = command + '\0' + QByteArray::number(static_cast<int>(kind));
        if (!seen.contains(key)) {
            seen.insert(key);
            list.emplace_back(command, kind);
        }
    }
};

class Planner {
public:
    Planner(const BootFiles& files, const VmTools& tools, ConfigImagePlan& plan, const ImageOptions& options)
        : m_files(files)
        , m_tools(tools)
        , m_plan(plan)
        , m_options(options)
        , m_mostBytes(options.mostBytes)
    {
    }
    void Run();

private:
    using Boot = ImageOptions::Boot;
    // Where the loader's files go for the image's kind.
    LoaderPlace PlaceFor(const QByteArray& config) const;
    // A disk's loader: SYSLINUX's installer writes ldlinux.sys, and ldlinux.c32 is of its build.
    void AddDiskLoader(const LoaderPlace& place);
    // A file of the tree too large to read, copied from the disk instead.
    bool AddFromDisk(const QByteArray& path);
    // Every file under the root not taken yet, unread.
    void AddWholeTree();
    // A disk's loader is Debian's: a module of the tree's other build is replaced by Debian's.
    bool ReplacedForDisk(const QByteArray& path);
    // The loader's boot file and ldlinux.c32: the tree's, else Debian's.
    void AddLoader(const LoaderPlace& place);
    // Debian's file of that name, when its build is the loader's; a note
    // when it is not and the loader needs it (or Debian has one).
    bool FromDebian(const QString& file, const QByteArray& imagePath, bool needed = false);
    QString TreeBuild() const
    {
        return m_knownBuild ? QStringLiteral("the tree's %1").arg(m_plan.loader.Name())
                            : QStringLiteral("the tree's loader of an unknown build");
    }
    bool DebiansBuild() const { return m_knownBuild && m_plan.loader.SameRelease(LoaderVersion::Debian()); }
    // A name the loader would look up from a folder, added with what it names.
    std::optional<QByteArray> Add(const QByteArray& folder, const QByteArray& name, bool display);
    void AddModule(const QByteArray& folder, const QByteArray& name);
    // One module, from the tree or Debian: its index in the plan, if it went in now.
    std::optional<size_t> AddOneModule(const QByteArray& folder, const QByteArray& name);
    void AddConfiguration(const QByteArray& path, const QByteArray& folder);
    // The files menu.c32 reads, and the commands its entries run.
    void AddMenus(const MenuConfig& menus, const QByteArray& folder, Commands& commands);
    void AddCommand(const QByteArray& folder, const QByteArray& command, KernelKind kind);
    // Each name and reason once; past Limits::ImageRefusals they are only counted.
    void Refuse(const QByteArray& name, const QString& reason);

    const BootFiles& m_files;
    const VmTools& m_tools;
    ConfigImagePlan& m_plan;
    const ImageOptions m_options;
    qint64 m_mostBytes;
    qint64 m_treeBytes = 0; // of the files taken from the tree so far
    QSet<QByteArray> m_taken; // image paths already in the plan, or the loader's own
    QSet<QByteArray> m_looked; // names already looked up, refused or missing too
    QSet<QByteArray> m_configurations;
    QSet<QByteArray> m_refused; // names and reasons
    int m_unlisted = 0; // names refused past the ones listed
    bool m_missing = false; // the last name added was not there
    bool m_knownBuild = true; // the boot file says its version
};

}
