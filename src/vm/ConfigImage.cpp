#include "ConfigImagePlanner.h"

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

namespace ConfigImagePlanning {

namespace {

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

}

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

}

using ConfigImagePlanning::Planner;

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
