#include "ConfigImage.h"

#include "config/BootConfig.h"
#include "config/ConfigSet.h"
#include "config/LoaderDetection.h"
#include "config/MenuConfig.h"
#include "config/Modules.h"
#include "format/DisplayFile.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSet>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {

using File = ConfigImagePlan::File;
using Failure = BootFiles::Fetched::Failure;

QString Latin(const QByteArray& bytes) { return QString::fromLatin1(bytes); }

QByteArray BaseName(const QByteArray& path) { return path.mid(path.lastIndexOf('/') + 1); }

// What a command line runs when it is a COM32 module, by the loader's
// rules: ".com32 name", or a name ending in .c32.
std::optional<QByteArray> ModuleOf(const QByteArray& command, KernelKind kind)
{
    QByteArray word = CommandWord(command);
    if (word == ".com32") {
        word = CommandWord(CommandArguments(command));
        kind = KernelKind::Com32;
    }
    if (kind == KernelKind::Com32 || KindOfCommandName(word) == KernelKind::Com32)
        return word.endsWith(".c32") ? word : word + ".c32";
    return std::nullopt;
}

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

void Planner::Refuse(const QByteArray& name, const QString& reason)
{
    const QByteArray key = name + '\n' + reason.toUtf8();
    if (m_refused.contains(key))
        return;
    m_refused.insert(key);
    if (m_plan.refused.size() < Limits::ImageRefusals)
        m_plan.refused.push_back({ name, reason });
    else
        ++m_unlisted;
}

std::optional<QByteArray> Planner::Add(const QByteArray& folder, const QByteArray& name, bool display)
{
    const std::optional<QByteArray> path = BootFiles::Resolve(folder, name);
    if (!path) {
        Refuse(name, QStringLiteral("it leads out of the image's root folder"));
        return std::nullopt;
    }
    if (path->size() > Limits::ImagePathBytes) {
        Refuse(name, QStringLiteral("its path in the image is longer than %1 bytes").arg(Limits::ImagePathBytes));
        return std::nullopt;
    }
    if (m_looked.contains(*path))
        return m_taken.contains(*path) ? path : std::nullopt;
    m_looked.insert(*path);
    if (m_taken.contains(*path)) {
        Refuse(name, QStringLiteral("it names the loader's own %1, which stays the loader's").arg(Latin(*path)));
        return std::nullopt;
    }
    BootFiles::Fetched fetched = m_files.Fetch(*path, Limits::FileBytes);
    switch (fetched.failure) {
    case Failure::None: break;
    case Failure::Outside: Refuse(name, QStringLiteral("it, or a link on its way, leads out of the image")); return {};
    case Failure::NotAFile: // "It is a FIFO, not a regular file"
        Refuse(name, fetched.reason.left(1).toLower() + fetched.reason.mid(1));
        return {};
    case Failure::TooLarge:
        if (m_options.wholeTree && AddFromDisk(*path))
            return path;
        Refuse(
            name, QStringLiteral("it is larger than %1 MiB, the most read of one file").arg(Limits::FileBytes >> 20));
        return {};
    case Failure::Missing:
    case Failure::Unreadable: m_missing = true; return std::nullopt; // the loader says so itself
    }
    if (fetched.bytes.size() > m_mostBytes - m_treeBytes) {
        if (m_options.wholeTree && AddFromDisk(*path))
            return path;
        const bool mebibytes = m_mostBytes % (1 << 20) == 0;
        Refuse(name,
            QStringLiteral("the image would hold more than %1 of the tree's files")
                .arg(mebibytes ? QStringLiteral("%1 MiB").arg(m_mostBytes >> 20)
                               : QStringLiteral("%1 bytes").arg(m_mostBytes)));
        return std::nullopt;
    }
    m_treeBytes += fetched.bytes.size();
    m_taken.insert(*path);
    if (display) {
        for (const QByteArray& image : DisplayFile::ImageNames(fetched.bytes))
            Add(folder, image, false);
    }
    m_plan.files.push_back({ File::From::Tree, *path, std::move(fetched.bytes) });
    return path;
}

// A module from the tree as it is (a mismatch with the loader is the
// user's to see), else Debian's, and the libraries it needs the same way,
// depth first, in the order each module names them.
void Planner::AddModule(const QByteArray& folder, const QByteArray& name)
{
    std::vector<QByteArray> waiting { name };
    while (!waiting.empty()) {
        const QByteArray next = std::move(waiting.back());
        waiting.pop_back();
        if (const std::optional<size_t> added = AddOneModule(folder, next)) {
            const ModuleLibraries libraries = ReadModuleLibraries(m_plan.files[*added].bytes);
            if (!libraries.problem.isEmpty())
                m_plan.notes << QStringLiteral("the loader cannot load %1: %2")
                                    .arg(Latin(m_plan.files[*added].imagePath), libraries.problem);
            waiting.insert(waiting.end(), libraries.names.rbegin(), libraries.names.rend());
        }
    }
}

std::optional<size_t> Planner::AddOneModule(const QByteArray& folder, const QByteArray& name)
{
    const std::optional<QByteArray> path = BootFiles::Resolve(folder, name);
    if (path && m_looked.contains(*path))
        return std::nullopt;
    m_missing = false;
    if (path && ReplacedForDisk(*path))
        return m_plan.files.size() - 1;
    if (Add(folder, name, false))
        return m_plan.files.size() - 1;
    if (!path || !m_missing || BaseName(*path).isEmpty())
        return std::nullopt; // refused, or a folder's name
    if (!FromDebian(QFileInfo(m_tools.ldlinux).dir().filePath(QFile::decodeName(BaseName(*path))), *path))
        return std::nullopt;
    return m_plan.files.size() - 1;
}

bool Planner::FromDebian(const QString& file, const QByteArray& imagePath, bool needed)
{
    QFile debian(file);
    if (!DebiansBuild()) {
        if (needed || debian.exists())
            m_plan.notes << QStringLiteral("%1 is not in the tree, and Debian's is of %2, not of %3")
                                .arg(Latin(imagePath), LoaderVersion::Debian().Name(), TreeBuild());
        return false;
    }
    if (!debian.open(QIODevice::ReadOnly))
        return false;
    m_plan.files.push_back({ File::From::Debian, imagePath, debian.readAll() });
    m_taken.insert(imagePath);
    m_plan.notes << QStringLiteral("%1 is not in the tree: Debian's syslinux-common gives it").arg(Latin(imagePath));
    return true;
}

// Debian's file, as the loader's own.
QByteArray DebianLoaderFile(const QString& file)
{
    QFile debian(file);
    if (!debian.open(QIODevice::ReadOnly))
        throw EVmError("Cannot read the loader's files.", debian.fileName().toStdString());
    return debian.readAll();
}

void Planner::AddLoader(const LoaderPlace& place)
{
    const QByteArray ldlinux = (place.folder == "/" ? QByteArray() : place.folder) + "/ldlinux.c32";
    BootFiles::Fetched bootFile = m_files.Fetch(place.bootFile, Limits::LoaderFileBytes);
    const bool treeBoots = bootFile.failure == Failure::None;
    if (treeBoots) {
        // The tree's loader is the loader, whatever it says of itself.
        m_plan.loader = LoaderVersionOfFile(bootFile.bytes, place.bootFile).value_or(LoaderVersion {});
        if (m_plan.loader.origin != LoaderVersion::Origin::Tree) {
            m_knownBuild = false; // no build of Debian's matches it
            m_plan.notes << QStringLiteral("%1 says no SYSLINUX version").arg(Latin(place.bootFile));
        }
        m_plan.files.push_back({ File::From::Tree, place.bootFile, std::move(bootFile.bytes) });
    } else {
        if (m_plan.pxe && m_tools.pxelinux.isEmpty())
            throw EVmError("Booting a PXE configuration needs Debian's pxelinux package.",
                "Install it with: sudo apt-get install pxelinux");
        m_plan.files.push_back({ File::From::Debian, place.bootFile,
            DebianLoaderFile(m_plan.pxe ? m_tools.pxelinux : m_tools.isolinuxBin) });
    }
    for (const QByteArray& own : place.ownFiles)
        m_taken.insert(own);
    m_looked.insert(ldlinux);
    BootFiles::Fetched own = m_files.Fetch(ldlinux, Limits::LoaderFileBytes);
    if (own.failure == Failure::None) {
        const std::optional<LoaderVersion> build = LoaderVersionOfFile(own.bytes, ldlinux);
        if (!treeBoots && build && !build->SameRelease(m_plan.loader))
            m_plan.notes << QStringLiteral("the tree's %1 is of %2 and it ships no %3: Debian's %4 refuses it")
                                .arg(Latin(ldlinux), build->Name(), Latin(BaseName(place.bootFile)),
                                    m_plan.loader.Name());
        m_plan.files.push_back({ File::From::Tree, ldlinux, std::move(own.bytes) });
    } else if (!treeBoots) { // Debian's loader, whole
        m_plan.files.push_back({ File::From::Debian, ldlinux, DebianLoaderFile(m_tools.ldlinux) });
    } else if (!m_plan.loader.AssemblyCore()) {
        FromDebian(m_tools.ldlinux, ldlinux, true);
    }
}

void Planner::AddConfiguration(const QByteArray& path, const QByteArray& folder)
{
    if (m_configurations.contains(path + '\n' + folder))
        return;
    if (m_configurations.size() >= Limits::ImageConfigurations) {
        m_plan.notes << QStringLiteral("%1 goes in, but not the files it names: the image follows at most %2 "
                                       "configurations through CONFIG")
                            .arg(Latin(path))
                            .arg(Limits::ImageConfigurations);
        return;
    }
    m_configurations.insert(path + '\n' + folder);
    const BootConfig config = ReadBootConfig(m_files, path, folder);
    for (const ConfigFile& file : config.files) {
        if (file.includedFrom.line > 0)
            Add("/", file.imagePath, false);
    }
    // DISPLAY files by their names as written, the font a graphical menu
    // draws in and the keyboard map.
    for (const ConfigDirective& directive : config.directives) {
        if (const QByteArray name = FileNamedBy(directive); !name.isEmpty())
            Add(folder, name, directive.keyword == "display");
    }
    for (const std::optional<FunctionKey>& key : config.functionKeys) {
        if (key)
            Add(folder, key->file, true);
    }
    Commands commands;
    if (config.ui)
        commands.Add(*config.ui, KernelKind::Com32);
    for (const ConfigLabel& label : config.labels)
        commands.Add(label.kernel + ' ' + label.append.value_or(config.globalAppend), label.kind);
    // Every menu module the configuration runs, with every file it reads.
    const std::vector<MenuRun> runs = MenuRuns(config, m_files, path);
    for (const MenuRun& run : runs)
        AddMenus(run.menus, folder, commands);
    for (const MenuRun& run : runs)
        commands.Add(run.module, KernelKind::Com32);
    for (const auto& [command, kind] : commands.list)
        AddCommand(folder, command, kind);
}

void Planner::AddMenus(const MenuConfig& menus, const QByteArray& folder, Commands& commands)
{
    for (const ConfigFile& file : menus.files) {
        if (file.found)
            Add("/", file.imagePath, false);
    }
    for (const Menu& menu : menus.menus) {
        for (const std::optional<FunctionKey>& key : menu.functionKeys) {
            if (key) {
                Add(folder, key->file, true);
                if (!key->background.isEmpty())
                    Add(folder, key->background, false);
            }
        }
        if (!menu.background.isEmpty())
            Add(folder, menu.background, false);
        for (const MenuEntry& entry : menu.entries) {
            if (entry.action == MenuAction::Help)
                Add(folder, entry.commandLine, true);
            else if (entry.action == MenuAction::Command)
                commands.Add(entry.commandLine, KernelKind::Kernel);
        }
    }
}

// A module the command runs, or the configuration it goes on to.
void Planner::AddCommand(const QByteArray& folder, const QByteArray& command, KernelKind kind)
{
    if (const std::optional<QByteArray> module = ModuleOf(command, kind))
        AddModule(folder, *module);
    const QByteArray word = CommandWord(command);
    if (word != ".config" && kind != KernelKind::Config)
        return;
    const QByteArray rest = word == ".config" ? CommandArguments(command) : command;
    if (const std::optional<QByteArray> next = Add(folder, CommandWord(rest), false)) {
        const QByteArray nextFolder = CommandArguments(rest).isEmpty()
            ? folder
            : BootFiles::Resolve(folder, CommandWord(CommandArguments(rest))).value_or(folder);
        AddConfiguration(*next, nextFolder);
    }
}

void Planner::Run()
{
    const QByteArray config = m_files.ConfigPath();
    const LoaderPlace place = PlaceFor(config);
    m_plan.pxe = place.pxe;
    m_plan.loaderFolder = place.folder;
    m_plan.bootFile = place.bootFile;
    m_plan.treeLoader = DetectLoader(m_files).version;
    const QByteArray loader = m_plan.loaderFolder == "/" ? QByteArray() : m_plan.loaderFolder;
    // The loader's own files, which no other name from the tree replaces.
    if (m_options.boot == Boot::Disk)
        AddDiskLoader(place);
    else
        AddLoader(place);

    // The loader finds isolinux.cfg (pxelinux.cfg/default, syslinux.cfg)
    // beside itself; a configuration of another name goes there as a copy too.
    const QByteArray found = m_plan.pxe ? loader + "/pxelinux.cfg/default"
        : m_options.boot == Boot::Disk  ? loader + "/syslinux.cfg"
                                        : loader + "/isolinux.cfg";
    const std::optional<QByteArray> bytes = m_files.Read(config);
    if (!bytes)
        throw EVmError("Cannot read the configuration.", config.toStdString());
    m_plan.files.push_back({ config == found ? File::From::Tree : File::From::Runner, found, *bytes });
    m_taken.insert(found);
    m_looked.insert(found);
    if (config != found) {
        m_taken.insert(config);
        m_looked.insert(config);
        m_plan.files.push_back({ File::From::Tree, config, *bytes });
    }
    AddConfiguration(config, m_files.StartFolder());
    if (m_options.wholeTree)
        AddWholeTree();
    if (m_unlisted > 0)
        m_plan.notes << QStringLiteral("names left out of the image and not listed: %1").arg(m_unlisted);
}

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

ConfigImagePlan PlanConfigImage(const BootFiles& files, const VmTools& tools, qint64 mostBytes)
{
    ImageOptions options;
    options.mostBytes = mostBytes;
    return PlanConfigImage(files, tools, options);
}

ConfigImagePlan PlanConfigImage(const BootFiles& files, const VmTools& tools, const ImageOptions& options)
{
    ConfigImagePlan plan;
    Planner(files, tools, plan, options).Run();
    return plan;
}
