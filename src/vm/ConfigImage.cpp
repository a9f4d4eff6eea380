#include "ConfigImage.h"

#include "config/BootConfig.h"
#include "config/ConfigSet.h"
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

class Planner {
public:
    Planner(const BootFiles& files, const VmTools& tools, ConfigImagePlan& plan)
        : m_files(files)
        , m_tools(tools)
        , m_plan(plan)
    {
    }
    void Run();

private:
    // A name the loader would look up from a folder, added with what it names.
    std::optional<QByteArray> Add(const QByteArray& folder, const QByteArray& name, bool display);
    void AddModule(const QByteArray& folder, const QByteArray& name);
    void AddConfiguration(const QByteArray& path, const QByteArray& folder);
    void Refuse(const QByteArray& name, const QString& reason) { m_plan.refused.push_back({ name, reason }); }

    const BootFiles& m_files;
    const VmTools& m_tools;
    ConfigImagePlan& m_plan;
    QSet<QByteArray> m_taken; // image paths already in the plan, or the loader's own
    QSet<QByteArray> m_looked; // names already looked up, refused or missing too
    QSet<QByteArray> m_configurations;
    bool m_missing = false; // the last name added was not there
};

std::optional<QByteArray> Planner::Add(const QByteArray& folder, const QByteArray& name, bool display)
{
    const std::optional<QByteArray> path = BootFiles::Resolve(folder, name);
    if (!path) {
        Refuse(name, QStringLiteral("it leads out of the image's root folder"));
        return std::nullopt;
    }
    if (m_looked.contains(*path))
        return m_taken.contains(*path) ? path : std::nullopt;
    m_looked.insert(*path);
    if (m_taken.contains(*path)) {
        Refuse(name, QStringLiteral("it names the loader's own %1, which stays the loader's").arg(Latin(*path)));
        return std::nullopt;
    }
    BootFiles::Fetched fetched = m_files.Fetch(*path);
    switch (fetched.failure) {
    case Failure::None: break;
    case Failure::Outside: Refuse(name, QStringLiteral("it, or a link on its way, leads out of the image")); return {};
    case Failure::NotAFile:
        Refuse(name, QStringLiteral("it is not a regular file but %1").arg(fetched.reason));
        return {};
    case Failure::TooLarge: Refuse(name, QStringLiteral("it is too large")); return {};
    case Failure::Missing:
    case Failure::Unreadable: m_missing = true; return std::nullopt; // the loader says so itself
    }
    m_taken.insert(*path);
    if (display) {
        for (const QByteArray& image : DisplayFile::ImageNames(fetched.bytes))
            Add(folder, image, false);
    }
    m_plan.files.push_back({ File::From::Tree, *path, std::move(fetched.bytes) });
    return path;
}

// A module from the tree as it is (a mismatch with the loader is the
// user's to see), else Debian's, and the libraries it needs the same way.
void Planner::AddModule(const QByteArray& folder, const QByteArray& name)
{
    const std::optional<QByteArray> path = BootFiles::Resolve(folder, name);
    if (path && m_looked.contains(*path))
        return;
    m_missing = false;
    if (!Add(folder, name, false)) {
        QFile debian(QFileInfo(m_tools.ldlinux).dir().filePath(QString::fromLatin1(BaseName(*path))));
        if (!m_missing || !debian.open(QIODevice::ReadOnly))
            return;
        m_plan.files.push_back({ File::From::Debian, *path, debian.readAll() });
        m_taken.insert(*path);
        m_plan.notes << QStringLiteral("%1 is not in the tree: Debian's syslinux-common gives it").arg(Latin(*path));
    }
    const QByteArrayList libraries = NeededLibraries(m_plan.files.back().bytes);
    for (const QByteArray& library : libraries)
        AddModule(folder, library);
}

void Planner::AddConfiguration(const QByteArray& path, const QByteArray& folder)
{
    if (m_configurations.contains(path + '\n' + folder) || m_configurations.size() > 32)
        return;
    m_configurations.insert(path + '\n' + folder);
    const BootConfig config = ReadBootConfig(m_files, path, folder);
    for (const ConfigFile& file : config.files) {
        if (file.includedFrom.line > 0)
            Add("/", file.imagePath, false);
    }
    for (const ConfigOutput& output : config.output) {
        if (output.kind == ConfigOutput::Kind::DisplayFile && !output.text.isEmpty())
            Add(folder, output.text, true);
    }
    for (const std::optional<FunctionKey>& key : config.functionKeys) {
        if (key)
            Add(folder, key->file, true);
    }
    // The font a graphical menu draws in.
    for (const ConfigDirective& directive : config.directives) {
        if (directive.keyword == "font")
            Add(folder, CommandWord(directive.argument), false);
    }
    std::vector<std::pair<QByteArray, KernelKind>> commands;
    if (config.ui)
        commands.emplace_back(*config.ui, KernelKind::Com32);
    for (const ConfigLabel& label : config.labels)
        commands.emplace_back(label.kernel + ' ' + label.append.value_or(config.globalAppend), label.kind);

    // Every menu module the configuration runs, with every file it reads.
    const std::vector<MenuRun> runs = MenuRuns(config, m_files, path);
    for (const MenuRun& run : runs) {
        for (const ConfigFile& file : run.menus.files) {
            if (file.found)
                Add("/", file.imagePath, false);
        }
        for (const Menu& menu : run.menus.menus) {
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
                    commands.emplace_back(entry.commandLine, KernelKind::Kernel);
            }
        }
    }
    for (const MenuRun& run : runs)
        commands.emplace_back(run.module, KernelKind::Com32);
    for (const auto& [command, kind] : commands) {
        if (const std::optional<QByteArray> module = ModuleOf(command, kind))
            AddModule(folder, *module);
        QByteArray word = CommandWord(command);
        if (word == ".config" || kind == KernelKind::Config) {
            const QByteArray rest = word == ".config" ? CommandArguments(command) : command;
            if (const std::optional<QByteArray> next = Add(folder, CommandWord(rest), false)) {
                const QByteArray nextFolder = CommandArguments(rest).isEmpty()
                    ? folder
                    : BootFiles::Resolve(folder, CommandWord(CommandArguments(rest))).value_or(folder);
                AddConfiguration(*next, nextFolder);
            }
        }
    }
}

void Planner::Run()
{
    const QByteArray config = m_files.ConfigPath();
    const LoaderPlace place = LoaderPlaceOf(config);
    m_plan.pxe = place.pxe;
    m_plan.loaderFolder = place.folder;
    const QByteArray loader = m_plan.loaderFolder == "/" ? QByteArray() : m_plan.loaderFolder;
    if (m_plan.pxe && m_tools.pxelinux.isEmpty())
        throw EVmError("Booting a PXE configuration needs Debian's pxelinux package.",
            "Install it with: sudo apt-get install pxelinux");
    // The loader's own files, which no name from the tree replaces.
    QFile bootFile(m_plan.pxe ? m_tools.pxelinux : m_tools.isolinuxBin);
    QFile ldlinux(m_tools.ldlinux);
    if (!bootFile.open(QIODevice::ReadOnly) || !ldlinux.open(QIODevice::ReadOnly))
        throw EVmError(
            "Cannot read the loader's files.", (bootFile.fileName() + u' ' + ldlinux.fileName()).toStdString());
    m_plan.files.push_back({ File::From::Debian, place.bootFile, bootFile.readAll() });
    m_plan.files.push_back({ File::From::Debian, loader + "/ldlinux.c32", ldlinux.readAll() });
    for (const QByteArray& own : place.ownFiles)
        m_taken.insert(own);

    // The loader finds isolinux.cfg (pxelinux.cfg/default) beside itself; a
    // configuration of another name goes there as a copy too.
    const QByteArray found = m_plan.pxe ? loader + "/pxelinux.cfg/default" : loader + "/isolinux.cfg";
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
}

// Folders and files made from image paths as bytes.
void WriteTree(const QByteArray& root, const std::vector<File>& files)
{
    for (const File& file : files) {
        const QByteArray path = root + file.imagePath;
        for (qsizetype slash = root.size() + 1; (slash = path.indexOf('/', slash)) > 0; ++slash) {
            if (::mkdir(path.left(slash).constData(), 0700) != 0 && errno != EEXIST)
                throw EVmError("Cannot write the boot image's files.", path.left(slash).toStdString());
        }
        const int descriptor = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0600);
        bool written = descriptor >= 0;
        for (qsizetype at = 0; written && at < file.bytes.size();) {
            const ssize_t count
                = ::write(descriptor, file.bytes.constData() + at, static_cast<std::size_t>(file.bytes.size() - at));
            written = count > 0;
            at += count > 0 ? count : 0;
        }
        if (descriptor >= 0)
            ::close(descriptor);
        if (!written)
            throw EVmError("Cannot write the boot image's files.", (path + ": " + std::strerror(errno)).toStdString());
    }
}

}

ConfigImagePlan PlanConfigImage(const BootFiles& files, const VmTools& tools)
{
    ConfigImagePlan plan;
    Planner(files, tools, plan).Run();
    return plan;
}

QString BuildConfigImage(const VmTools& tools, const ConfigImagePlan& plan, const QString& workFolder)
{
    const QString tree = QDir(workFolder).filePath(QStringLiteral("cd"));
    if (!QDir().mkpath(tree))
        throw EVmError("Cannot write the boot image's files.", tree.toStdString());
    WriteTree(QFile::encodeName(tree), plan.files);
    if (plan.pxe)
        return tree;
    const QString iso = QDir(workFolder).filePath(QStringLiteral("boot.iso"));
    const QString loader = plan.loaderFolder == "/" ? QString() : QString::fromLatin1(plan.loaderFolder.mid(1)) + u'/';
    QProcess xorriso;
    xorriso.setProcessChannelMode(QProcess::MergedChannels);
    // Every path is the program's own: names from the tree are only inside the folder.
    xorriso.start(tools.xorriso,
        { QStringLiteral("-as"), QStringLiteral("mkisofs"), QStringLiteral("-quiet"), QStringLiteral("-R"),
            QStringLiteral("-o"), iso, QStringLiteral("-b"), loader + QStringLiteral("isolinux.bin"),
            QStringLiteral("-c"), loader + QStringLiteral("boot.cat"), QStringLiteral("-no-emul-boot"),
            QStringLiteral("-boot-load-size"), QStringLiteral("4"), QStringLiteral("-boot-info-table"), tree });
    QElapsedTimer clock;
    clock.start();
    while (!xorriso.waitForFinished(100) && xorriso.state() != QProcess::NotRunning) {
        if (StopSignal() || clock.elapsed() > 60000) {
            xorriso.kill();
            xorriso.waitForFinished();
            if (StopSignal())
                throw EVmStopped(StopSignal());
            throw EVmError("Cannot build the boot image: xorriso took more than a minute.");
        }
    }
    if (xorriso.exitStatus() != QProcess::NormalExit || xorriso.exitCode() != 0)
        throw EVmError("Cannot build the boot image.", xorriso.readAll().trimmed().toStdString());
    return iso;
}
