#include "ConfigSet.h"

#include "ConfigSyntax.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>

#include <tuple>

namespace {

QByteArray FolderOf(const QByteArray& path)
{
    const qsizetype slash = path.lastIndexOf('/');
    return slash <= 0 ? QByteArray("/") : path.left(slash);
}

// A command line's module and files when it runs a menu module.
std::optional<MenuRun> RunOf(const CommandTarget& target, const QByteArray& folder, const QByteArray& configPath)
{
    const std::optional<MenuKind> kind = target.kind == KernelKind::Com32 ? MenuModuleKind(target.name) : std::nullopt;
    const std::optional<QByteArray> module = BootFiles::Resolve(folder, target.name);
    if (!kind || !module)
        return std::nullopt;
    MenuRun run;
    run.module = *module;
    run.kind = *kind;
    run.files = MenuFiles(target.arguments, folder, configPath);
    return run;
}

// The command lines the menus' entries run, each once, with the first
// entry that runs it.
std::vector<std::pair<QByteArray, const MenuEntry*>> EntryCommands(const std::vector<MenuRun>& runs, std::size_t from)
{
    std::vector<std::pair<QByteArray, const MenuEntry*>> commands;
    QSet<QByteArray> seen;
    for (std::size_t run = from; run < runs.size(); ++run) {
        for (const Menu& menu : runs[run].menus.menus) {
            for (const MenuEntry& entry : menu.entries) {
                if (entry.action == MenuAction::Command && !seen.contains(entry.commandLine)) {
                    seen.insert(entry.commandLine);
                    commands.emplace_back(entry.commandLine, &entry);
                }
            }
        }
    }
    return commands;
}

// Finds the runs, each (module, files) once, following menus' entries.
class RunFinder {
public:
    RunFinder(const BootConfig& config, const BootFiles& files, const QByteArray& configPath)
        : m_config(config)
        , m_files(files)
        , m_configPath(configPath)
    {
    }
    void Command(const std::optional<QByteArray>& command, const ConfigPlace& place, const QByteArray& by)
    {
        if (command)
            if (const std::optional<CommandTarget> target = TargetOfCommand(m_config, m_files, *command))
                Target(*target, place, by);
    }
    void Target(const CommandTarget& target, const ConfigPlace& place, const QByteArray& by)
    {
        std::optional<MenuRun> run = RunOf(target, m_config.folder, m_configPath);
        if (!run || m_runs.size() >= static_cast<std::size_t>(Limits::ConfigRuns))
            return;
        QByteArray whole = run->module;
        for (const QByteArray& file : run->files)
            whole += '\n' + file;
        if (m_seen.contains(whole))
            return;
        m_seen.insert(whole);
        run->place = place;
        run->by = by;
        run->menus = ReadMenuConfig(m_files, m_config.folder, run->files, m_configPath);
        m_runs.push_back(std::move(*run));
    }
    std::vector<MenuRun> Take() { return std::move(m_runs); }
    std::vector<MenuRun>& Runs() { return m_runs; }

private:
    const BootConfig& m_config;
    const BootFiles& m_files;
    QByteArray m_configPath;
    std::vector<MenuRun> m_runs;
    QSet<QByteArray> m_seen;
};

}

CommandTarget TargetOfLine(const QByteArray& line)
{
    const QByteArray word = CommandWord(line);
    if (word.startsWith('.')) {
        if (const std::optional<KernelKind> named = KernelKindNamed(QByteArrayView(word).sliced(1))) {
            QByteArray rest = CommandArguments(line);
            QByteArray name = CommandWord(rest);
            if (*named == KernelKind::Com32 && !name.endsWith(".c32"))
                name += ".c32";
            return { *named, name, CommandArguments(rest) };
        }
    }
    return { KindOfCommandName(line), word, CommandArguments(line) };
}

std::optional<QByteArray> LoadKernelLine(const BootConfig& config, const BootFiles& files, const QByteArray& command)
{
    if (const ConfigLabel* label = config.FindLabel(command)) {
        QByteArray line = label->CommandLine(config.globalAppend);
        if (const QByteArray arguments = CommandArguments(command); !arguments.isEmpty())
            line += ' ' + arguments;
        return line;
    }
    if (!config.allowImplicit)
        return std::nullopt;
    QByteArray line = config.allowOptions ? command : CommandWord(command);
    if (KindOfCommandName(line) == KernelKind::Kernel) {
        for (const auto& extension : KernelExtensions) {
            const QByteArray word = CommandWord(line) + extension.first;
            if (files.ExistsNamed(config.folder, word)) {
                line = word + line.mid(CommandWord(line).size());
                break;
            }
        }
    }
    return line;
}

std::optional<CommandTarget> TargetOfCommand(
    const BootConfig& config, const BootFiles& files, const QByteArray& command)
{
    const std::optional<QByteArray> line = LoadKernelLine(config, files, command);
    return line ? std::optional(TargetOfLine(*line)) : std::nullopt;
}

std::optional<MenuKind> MenuModuleKind(const QByteArray& module)
{
    const QByteArray name = module.mid(module.lastIndexOf('/') + 1);
    if (name == "menu.c32")
        return MenuKind::Text;
    if (name == "vesamenu.c32")
        return MenuKind::Graphical;
    return std::nullopt;
}

std::vector<QByteArray> MenuFiles(const QByteArray& arguments, const QByteArray& folder, const QByteArray& configPath)
{
    std::vector<QByteArray> paths;
    for (const QByteArray& word : arguments.simplified().split(' ')) {
        if (word.isEmpty())
            continue;
        if (word == "~" && !configPath.isEmpty())
            paths.push_back(configPath);
        else if (const std::optional<QByteArray> path = BootFiles::Resolve(folder, word))
            paths.push_back(*path);
    }
    if (paths.empty() && !configPath.isEmpty())
        paths.push_back(configPath);
    return paths;
}

std::vector<MenuRun> MenuRuns(const BootConfig& config, const BootFiles& files, const QByteArray& configPath)
{
    RunFinder finder(config, files, configPath);
    const ConfigPlace start = config.uiPlace.value_or(config.defaultPlace.value_or(ConfigPlace { configPath, 1 }));
    finder.Command(config.defaultCommand, start, config.ui ? "UI" : "DEFAULT");
    ConfigPlace timeout { configPath, 1 };
    for (const ConfigDirective& directive : config.directives) {
        if (directive.keyword == "ontimeout")
            timeout = directive.place;
    }
    finder.Command(config.onTimeout, timeout, "ONTIMEOUT");
    for (const ConfigLabel& label : config.labels)
        finder.Target(TargetOfLine(label.CommandLine(config.globalAppend)), label.place, "LABEL " + label.name);
    // A menu's entry runs its command line as it stands (menu.c32's
    // execute: no label looked up, whatever IMPLICIT says); the runs found
    // from one round's entries are looked through in the next.
    for (std::size_t done = 0; done < finder.Runs().size();) {
        const std::size_t end = finder.Runs().size();
        std::vector<std::tuple<QByteArray, ConfigPlace, QByteArray>> commands;
        for (const auto& [command, entry] : EntryCommands(finder.Runs(), done))
            commands.emplace_back(command, entry->place, "LABEL " + entry->label);
        for (const auto& [command, place, by] : commands)
            finder.Target(TargetOfLine(command), place, by);
        done = end;
    }
    return finder.Take();
}

std::vector<FontLine> FontLines(const BootConfig& config, const BootFiles& files)
{
    std::vector<FontLine> lines;
    for (const ConfigDirective& directive : config.directives) {
        if (directive.keyword != "font")
            continue;
        FontLine line { directive.place, FileNamedBy(directive), false, std::nullopt };
        const std::optional<QByteArray> bytes = files.ReadNamed(config.folder, line.name);
        line.read = bytes.has_value();
        line.font = bytes ? Psf1Font(*bytes) : std::nullopt;
        lines.push_back(std::move(line));
    }
    return lines;
}

std::optional<AppliedFont> FontThatApplies(const BootConfig& config, const BootFiles& files)
{
    std::optional<AppliedFont> applied;
    for (FontLine& line : FontLines(config, files)) {
        if (line.font)
            applied = AppliedFont { line.place, *BootFiles::Resolve(config.folder, line.name), std::move(*line.font) };
    }
    return applied;
}

std::vector<NextConfiguration> NextConfigurations(
    const BootConfig& config, const BootFiles& files, const std::vector<MenuRun>& runs)
{
    std::vector<NextConfiguration> next;
    const auto add = [&](const std::optional<CommandTarget>& target, const ConfigPlace& place) {
        if (!target || target->kind != KernelKind::Config || target->name.isEmpty())
            return;
        const QByteArray folder = target->arguments.isEmpty()
            ? config.folder
            : BootFiles::Resolve(config.folder, CommandWord(target->arguments)).value_or(config.folder);
        next.push_back({ target->name, BootFiles::Resolve(config.folder, target->name), folder, place });
    };
    if (config.defaultCommand)
        add(TargetOfCommand(config, files, *config.defaultCommand),
            config.uiPlace.value_or(config.defaultPlace.value_or(ConfigPlace {})));
    if (config.onTimeout)
        add(TargetOfCommand(config, files, *config.onTimeout), ConfigPlace {});
    for (const ConfigLabel& label : config.labels)
        add(TargetOfLine(label.CommandLine(config.globalAppend)), label.place);
    for (const auto& [command, entry] : EntryCommands(runs, 0))
        add(TargetOfLine(command), entry->place);
    return next;
}

LoaderPlace LoaderPlaceOf(const QByteArray& configPath)
{
    LoaderPlace place;
    place.pxe = FolderOf(configPath).endsWith("/pxelinux.cfg");
    place.folder = place.pxe ? FolderOf(FolderOf(configPath)) : FolderOf(configPath);
    const QByteArray loader = place.folder == "/" ? QByteArray() : place.folder;
    place.bootFile = loader + (place.pxe ? "/pxelinux.0" : "/isolinux.bin");
    place.ownFiles = { place.bootFile, loader + "/ldlinux.c32", loader + "/boot.cat" };
    return place;
}

std::vector<QByteArray> ConfigSet::ConfigurationFiles() const
{
    std::vector<QByteArray> paths;
    QSet<QByteArray> seen;
    const auto add = [&](const std::vector<ConfigFile>& files) {
        for (const ConfigFile& file : files) {
            if (file.found && !seen.contains(file.imagePath)) {
                seen.insert(file.imagePath);
                paths.push_back(file.imagePath);
            }
        }
    };
    for (const ConfigSetMember& member : members) {
        add(member.config.files);
        for (const MenuRun& run : member.runs)
            add(run.menus.files);
    }
    return paths;
}

ConfigSet ReadConfigSet(const BootFiles& files)
{
    ConfigSet set;
    std::vector<std::pair<NextConfiguration, ConfigPlace>> waiting;
    waiting.push_back({ { files.ConfigPath(), files.ConfigPath(), files.StartFolder(), {} }, ConfigPlace {} });
    QSet<QByteArray> seen;
    qint64 kept = 0;
    for (std::size_t at = 0; at < waiting.size(); ++at) {
        const NextConfiguration next = waiting[at].first;
        if (!next.path || seen.contains(*next.path + '\n' + next.folder))
            continue;
        if (set.members.size() >= static_cast<std::size_t>(Limits::ConfigRuns) || kept >= Limits::ConfigItems) {
            set.stop = ConfigStop { ConfigStop::Kind::Limit, next.place,
                QStringLiteral("CONFIG leads past %1 configurations or %2 directives in one set: Glimra follows it "
                               "no further")
                    .arg(Limits::ConfigRuns)
                    .arg(Limits::ConfigItems) };
            break;
        }
        seen.insert(*next.path + '\n' + next.folder);
        ConfigSetMember member { *next.path, next.folder, next.place, ReadBootConfig(files, *next.path, next.folder),
            {} };
        if (!member.config.files.front().found && !set.members.empty())
            continue; // a CONFIG that names no file: nothing to read

        member.runs = MenuRuns(member.config, files, *next.path);
        kept += static_cast<qint64>(member.config.directives.size());
        for (const MenuRun& run : member.runs) {
            for (const Menu& menu : run.menus.menus)
                kept += static_cast<qint64>(menu.entries.size());
        }
        for (const NextConfiguration& further : NextConfigurations(member.config, files, member.runs))
            waiting.push_back({ further, further.place });
        set.members.push_back(std::move(member));
    }
    return set;
}

QString OwningConfiguration(const QString& file)
{
    // The loader's own configurations in the file's folder and the folders
    // above it, where each loader looks for them.
    static const QStringList names = { QStringLiteral("isolinux.cfg"), QStringLiteral("syslinux.cfg"),
        QStringLiteral("extlinux.conf"), QStringLiteral("pxelinux.cfg/default"),
        QStringLiteral("isolinux/isolinux.cfg"), QStringLiteral("syslinux/syslinux.cfg"),
        QStringLiteral("syslinux/extlinux.conf"), QStringLiteral("boot/isolinux/isolinux.cfg"),
        QStringLiteral("boot/syslinux/syslinux.cfg"), QStringLiteral("boot/syslinux/extlinux.conf") };
    const QFileInfo self(file);
    QDir folder = self.absoluteDir();
    for (int level = 0; level < 4; ++level) {
        for (const QString& name : names) {
            const QFileInfo candidate(folder.filePath(name));
            if (!candidate.isFile() || candidate.absoluteFilePath() == self.absoluteFilePath())
                continue;
            const BootFiles top = BootFiles::ForConfiguration(candidate.absoluteFilePath());
            const std::optional<QByteArray> mine = top.ImagePathOf(self.absoluteFilePath());
            if (!mine)
                continue;
            const std::vector<QByteArray> members = ReadConfigSet(top).ConfigurationFiles();
            if (std::find(members.begin(), members.end(), *mine) != members.end())
                return candidate.absoluteFilePath();
        }
        if (!folder.cdUp())
            break;
    }
    return file;
}

const MenuRun* FirstMenuRun(const ConfigSet& set)
{
    if (set.members.empty() || set.members.front().runs.empty())
        return nullptr;
    return &set.members.front().runs.front();
}
