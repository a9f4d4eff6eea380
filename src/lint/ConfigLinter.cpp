#include "ConfigLinter.h"

#include "ConfigFindings.h"
#include "config/ConfigReading.h"
#include "config/ConfigSet.h"
#include "config/LoaderDetection.h"
#include "config/Modules.h"
#include "console/ColorConsole.h"
#include "sim/LoaderSim.h"

#include <QFileInfo>

#include <cstring>

const std::vector<const char*> ConfigCheckCodes = { "missing-include", "include-refused", "loader-hangs", "read-limit",
    "long-line", "missing-display", "display-refused", "loader-file", "f0-is-f11", "missing-fkey-file", "fkey-refused",
    "fkey-no-final-break", "duplicate-label", "default-no-label", "ontimeout-no-label", "prompt0-no-default",
    "missing-module", "module-unloadable", "missing-library", "module-version-mix", "directive-not-in-version",
    "missing-config", "missing-menu-file", "menu-overflow", "menu-colour-ansi", "menu-colour-argb-ignored",
    "menu-invisible-selection", "menu-duplicate-hotkey", "menu-label-cut", "menu-passwd-without-master",
    "missing-background", "background-too-large", "background-unreadable", "background-size", "background-jpeg",
    "menu-font", "missing-font", "not-psf", "no-video-mode", "config-loop", "pxe-misnamed", "pxe-url-needs-lpxelinux",
    "uefi-cannot-carry", "uefi-own-grub-differs", "uefi-own-grub-unreadable" };

QString Latin(const QByteArray& bytes) { return QString::fromLatin1(bytes); }

QString ConfigFindings::HostPath(const QByteArray& imagePath) const
{
    return m_files.HostPath(imagePath).value_or(QString::fromLatin1(imagePath));
}

void ConfigFindings::Add(const QString& file, const Problem& problem)
{
    const QString key = QStringLiteral("%1\n%2\n%3\n%4\n%5")
                            .arg(file)
                            .arg(problem.line)
                            .arg(problem.column)
                            .arg(problem.code, problem.message);
    if (m_seen.contains(key))
        return;
    if (m_problems.size() >= static_cast<std::size_t>(Limits::Findings)) {
        ++m_omitted;
        m_omittedWorst = std::min(m_omittedWorst, problem.severity);
        return;
    }
    m_seen.insert(key);
    m_problems.push_back({ file, problem });
}

void ConfigFindings::Report(const ConfigPlace& place, Severity severity, const char* code, const QString& message)
{
    Q_ASSERT(std::any_of(ConfigCheckCodes.begin(), ConfigCheckCodes.end(),
        [&](const char* known) { return std::strcmp(known, code) == 0; }));
    Add(HostPath(place.file), Problem { std::max(place.line, 1), 1, 0, severity, QString::fromLatin1(code), message });
}

std::vector<FileProblem> ConfigFindings::Take()
{
    if (m_omitted > 0) {
        const FileProblem last = m_problems.back();
        m_problems.push_back({ last.file,
            Problem { last.problem.line, last.problem.column, last.problem.offset, m_omittedWorst,
                QStringLiteral("more"), QStringLiteral("and %1 more problems").arg(m_omitted), m_omitted } });
    }
    return std::move(m_problems);
}

void ReportUnread(const ConfigFile& file, ConfigFindings& findings)
{
    if (file.found || file.includedFrom.line == 0)
        return;
    if (file.failure == BootFiles::Fetched::Failure::Missing)
        findings.Report(file.includedFrom, Severity::Error, "missing-include",
            QStringLiteral("INCLUDE names %1, which is not there").arg(Latin(file.imagePath)));
    else
        findings.Report(file.includedFrom, Severity::Error, "include-refused",
            QStringLiteral("INCLUDE names %1, which is not read: %2")
                .arg(Latin(file.imagePath), FailureText(file.failure, file.reason)));
}

namespace {

using Failure = BootFiles::Fetched::Failure;

// One configuration of the set, checked as the loader reads it.
class ConfigLint {
public:
    ConfigLint(const BootFiles& files, const ConfigSetMember& member, const std::vector<LoaderSim::ShownFile>& shown,
        const LoaderVersion& target, ConfigFindings& findings)
        : m_files(files)
        , m_member(member)
        , m_config(member.config)
        , m_shown(shown)
        , m_target(target)
        , m_findings(findings)
    {
    }
    void Run();

private:
    void Report(const ConfigPlace& place, Severity severity, const char* code, const QString& message)
    {
        m_findings.Report(place, severity, code, message);
    }
    void Reading();
    std::optional<QByteArray> NamedFile(
        const ConfigPlace& place, const QString& what, const QByteArray& path, const char* missing);
    void DisplayFiles();
    void FunctionKeys();
    void Labels();
    void DuplicateLabels();
    void Modules();
    void Module(const QByteArray& module, const QString& by, const ConfigPlace& place, bool mustBeThere = true);
    void Configurations();
    bool Names(const QByteArray& command) const;

    const BootFiles& m_files;
    const ConfigSetMember& m_member;
    const BootConfig& m_config;
    const std::vector<LoaderSim::ShownFile>& m_shown;
    const LoaderVersion& m_target;
    ConfigFindings& m_findings;
};

void ConfigLint::Run()
{
    Reading();
    LintDirectiveVersions(m_config, m_target, LoaderPlaceOf(m_files.ConfigPath()).pxe, m_findings);
    DisplayFiles();
    FunctionKeys();
    Labels();
    Modules();
    Configurations();
    for (const MenuRun& run : m_member.runs)
        LintMenuRun(run, m_config, m_files, m_findings);
}

// The set's files as the loader reads them, and where its reading stops.
void ConfigLint::Reading()
{
    for (const ConfigFile& file : m_config.files)
        ReportUnread(file, m_findings);
    if (const std::optional<ConfigStop>& stop = m_config.stop)
        Report(stop->place, Severity::Error,
            stop->kind == ConfigStop::Kind::LoaderHangs ? "loader-hangs" : "read-limit", stop->message);
    for (const ConfigPlace& cut : m_config.cutLines)
        Report(cut, Severity::Warning, "long-line",
            QStringLiteral("the line is longer than %1 bytes: the loader reads the rest as a line of its own")
                .arg(Limits::ConfigLineBytes));
}

// A file a directive names, as the boot image will hold it: the loader's
// own files are the loader's, whatever the tree has under their names.
std::optional<QByteArray> ConfigLint::NamedFile(
    const ConfigPlace& place, const QString& what, const QByteArray& path, const char* missing)
{
    const std::vector<QByteArray> own = LoaderPlaceOf(m_files.ConfigPath()).ownFiles; // beside the first loader
    if (std::find(own.begin(), own.end(), path) != own.end()) {
        Report(place, Severity::Warning, "loader-file",
            QStringLiteral("%1 names %2, the loader's own file: the boot image holds the loader's copy, which is "
                           "no screen of text")
                .arg(what, Latin(path)));
        return std::nullopt;
    }
    const BootFiles::Fetched fetched = m_files.Fetch(path);
    if (fetched.failure == Failure::Missing)
        Report(
            place, Severity::Error, missing, QStringLiteral("%1 names %2, which is not there").arg(what, Latin(path)));
    else if (fetched.failure != Failure::None)
        Report(place, Severity::Error,
            missing == QByteArrayView("missing-display") ? "display-refused" : "fkey-refused",
            QStringLiteral("%1 names %2, which is not read: %3")
                .arg(what, Latin(path), FailureText(fetched.failure, fetched.reason)));
    if (fetched.failure != Failure::None)
        return std::nullopt;
    return fetched.bytes;
}

// DISPLAY files as the loader shows them while it reads the configuration,
// each from the row its output starts on.
void ConfigLint::DisplayFiles()
{
    for (const ConfigOutput& output : m_config.output) {
        if (output.kind != ConfigOutput::Kind::DisplayFile)
            continue;
        const std::optional<QByteArray> bytes
            = NamedFile(output.place, QStringLiteral("DISPLAY"), output.text, "missing-display");
        if (!bytes)
            continue;
        int row = 0;
        for (const LoaderSim::ShownFile& shown : m_shown) {
            if (shown.imagePath == output.text)
                row = shown.row;
        }
        for (const Problem& problem : LintDisplayFile(*bytes, m_files, m_config.folder, row))
            m_findings.Add(m_findings.HostPath(output.text), problem);
    }
}

void ConfigLint::FunctionKeys()
{
    for (std::size_t index = 0; index < m_config.functionKeys.size(); ++index) {
        const std::optional<FunctionKey>& key = m_config.functionKeys[index];
        if (!key)
            continue;
        const bool f0 = index == 10
            && std::any_of(m_config.directives.begin(), m_config.directives.end(), [&](const ConfigDirective& line) {
                   return line.keyword == "f0" && line.place.line == key->place.line
                       && line.place.file == key->place.file;
               });
        // The 3.x/4.x core binds F0 to F10 (core/keywords.inc); ldlinux.c32 to F11.
        const bool core = m_target.AssemblyCore();
        const QString name = QStringLiteral("F%1").arg(f0 && core ? 10 : index + 1);
        if (f0 && !core)
            Report(key->place, Severity::Warning, "f0-is-f11",
                m_config.functionKeys[9] ? QStringLiteral("F0 binds F11, not F10")
                                         : QStringLiteral("F0 binds F11, not F10: F10 shows no screen"));
        const std::optional<QByteArray> bytes = NamedFile(key->place, name, key->imagePath, "missing-fkey-file");
        if (!bytes)
            continue;
        if (!bytes->isEmpty() && !bytes->endsWith('\n')) {
            const int line = 1 + static_cast<int>(bytes->count('\n'));
            m_findings.Add(m_findings.HostPath(key->imagePath),
                Problem { line, 1, bytes->lastIndexOf('\n') + 1, Severity::Warning,
                    QStringLiteral("fkey-no-final-break"),
                    core ? QStringLiteral("the last line has no line break: after %1 the loader writes its prompt "
                                          "right after it, on the same row (core/ui.inc)")
                               .arg(name)
                         : QStringLiteral("the last line has no line break: after %1 the loader's prompt overwrites it")
                               .arg(name) });
        }
        for (const Problem& problem : LintDisplayFile(*bytes, m_files, m_config.folder))
            m_findings.Add(m_findings.HostPath(key->imagePath), problem);
    }
}

// Whether a command runs something: a label, or a file the loader finds.
bool ConfigLint::Names(const QByteArray& command) const
{
    if (m_config.FindLabel(command))
        return true;
    const std::optional<CommandTarget> target = TargetOfCommand(m_config, m_files, command);
    return target && m_files.ExistsNamed(m_config.folder, target->name);
}

void ConfigLint::Labels()
{
    DuplicateLabels();
    if (m_config.defaultPlace && !m_config.ui && !Names(m_config.defaultWord))
        Report(*m_config.defaultPlace, Severity::Warning, "default-no-label",
            QStringLiteral("DEFAULT %1 names no label and no file").arg(Latin(m_config.defaultWord)));
    if (m_config.onTimeout && !Names(*m_config.onTimeout)) {
        for (const ConfigDirective& directive : m_config.directives) {
            if (directive.keyword == "ontimeout")
                Report(directive.place, Severity::Warning, "ontimeout-no-label",
                    QStringLiteral("ONTIMEOUT %1 names no label and no file").arg(Latin(*m_config.onTimeout)));
        }
    }
    if (m_config.prompt == 0 && !m_config.defaultCommand) {
        const auto prompt = std::find_if(m_config.directives.begin(), m_config.directives.end(),
            [](const ConfigDirective& directive) { return directive.keyword == "prompt"; });
        Report(prompt != m_config.directives.end() ? prompt->place : ConfigPlace { m_member.path, 1 },
            Severity::Warning, "prompt0-no-default",
            QStringLiteral("no prompt and no DEFAULT or UI: the loader says \"No DEFAULT or UI configuration "
                           "directive found!\" and prompts anyway"));
    }
}

// A second label of a name matters only where the name is looked up: at
// boot: when the prompt is how one chooses (no menu starts), or with MENU
// SAVE; else only the names DEFAULT, ONTIMEOUT and ONERROR give. A menu's
// entry runs its own command line.
void ConfigLint::DuplicateLabels()
{
    bool menuStarts = false;
    for (const MenuRun& run : m_member.runs)
        menuStarts |= run.by == "UI" || run.by == "DEFAULT";
    QSet<QByteArray> looked;
    bool every = !menuStarts;
    for (const ConfigDirective& directive : m_config.directives) {
        every |= directive.keyword == "menu save";
        if (directive.keyword == "default" || directive.keyword == "ontimeout" || directive.keyword == "onerror")
            looked.insert(CommandWord(directive.argument));
    }
    QHash<QByteArray, const ConfigLabel*> first;
    for (const ConfigLabel& label : m_config.labels) {
        const auto known = first.constFind(label.name);
        if (known == first.constEnd()) {
            first.insert(label.name, &label);
        } else if ((every || looked.contains(label.name))
            && ((*known)->place.file != label.place.file || (*known)->place.line != label.place.line)) {
            Report(label.place, Severity::Warning, "duplicate-label",
                QStringLiteral("a second label %1: the loader runs the first").arg(Latin(label.name)));
        }
    }
}

// The UI module, each menu module and each module a label runs, with the
// libraries their ELF files say they load, beside the configuration as the
// loader looks for them. A label's module that is not there is no more a
// finding than its kernel would be.
void ConfigLint::Modules()
{
    QSet<QByteArray> done;
    if (m_config.ui && m_config.uiPlace) {
        const CommandTarget target = TargetOfLine(*m_config.ui);
        if (target.kind == KernelKind::Com32) {
            done.insert(BootFiles::Resolve(m_config.folder, target.name).value_or(target.name));
            Module(target.name, QStringLiteral("UI"), *m_config.uiPlace);
        }
    }
    for (const MenuRun& run : m_member.runs) {
        if (!done.contains(run.module)) {
            done.insert(run.module);
            Module(run.module, Latin(run.by), run.place);
        }
    }
    for (const ConfigLabel& label : m_config.labels) {
        const CommandTarget target = TargetOfLine(label.CommandLine(m_config.globalAppend));
        const QByteArray path = BootFiles::Resolve(m_config.folder, target.name).value_or(target.name);
        if (target.kind == KernelKind::Com32 && !done.contains(path)) {
            done.insert(path);
            Module(target.name, QStringLiteral("LABEL ") + Latin(label.name), label.place, false);
        }
    }
}

void ConfigLint::Module(const QByteArray& module, const QString& by, const ConfigPlace& place, bool mustBeThere)
{
    const BootFiles::Named named = m_files.FetchNamed(m_config.folder, module);
    const std::optional<QByteArray>& path = named.path;
    const std::optional<QByteArray> bytes = named.Found() ? std::optional(named.fetched.bytes) : std::nullopt;
    const QByteArray name = module.mid(module.lastIndexOf('/') + 1);
    if (!bytes && !mustBeThere)
        return;
    if (!bytes) {
        Report(place, Severity::Error, "missing-module",
            QStringLiteral("%1 runs %2, which is not beside the configuration: the loader says \"Failed to load "
                           "COM32 file %3\"")
                .arg(by, Latin(path.value_or(module)), Latin(name)));
        return;
    }
    // Debian's 6.04 fills in for a tree without a loader only in the
    // image; what the tree will get is the user's to choose.
    if (m_target.origin != LoaderVersion::Origin::Default)
        LintModuleBuild(name, *bytes, m_target, place, m_findings);
    const ModuleLibraries libraries = ReadModuleLibraries(*bytes);
    if (!libraries.problem.isEmpty())
        Report(place, Severity::Error, "module-unloadable",
            QStringLiteral("the loader cannot load %1: %2").arg(Latin(name), libraries.problem));
    for (const QByteArray& library : libraries.names) {
        if (!m_files.ExistsNamed(m_config.folder, library))
            Report(place, Severity::Error, "missing-library",
                QStringLiteral("%1 needs %2, which is not beside it").arg(Latin(name), Latin(library)));
    }
}

// The configurations CONFIG leads to are checked as members of the set; one
// that is not there is said here.
void ConfigLint::Configurations()
{
    for (const NextConfiguration& next : NextConfigurations(m_config, m_files, m_member.runs)) {
        if (!next.path || !m_files.Exists(*next.path))
            Report(next.place, Severity::Error, "missing-config",
                QStringLiteral("CONFIG names %1, which is not there").arg(Latin(next.path.value_or(next.name))));
    }
}

}

std::vector<FileProblem> LintBootConfig(const BootFiles& files, const std::optional<LoaderVersion>& target)
{
    const LoaderVersion loader = target.value_or(DetectLoader(files).version);
    ConfigFindings findings(files);
    const ConfigSet set = ReadConfigSet(files);
    // The rows where DISPLAY files start, as the loader plays the set.
    std::vector<LoaderSim::ShownFile> shown;
    bool displays = false;
    bool configs = false; // a label that runs CONFIG, which the loader may follow on its own
    for (const ConfigSetMember& member : set.members) {
        for (const ConfigOutput& output : member.config.output)
            displays |= output.kind == ConfigOutput::Kind::DisplayFile;
        for (const ConfigLabel& label : member.config.labels)
            configs |= label.kind == KernelKind::Config;
    }
    // The loader's own start, played: where DISPLAY files land, and whether
    // booting on its own goes round CONFIG lines for ever.
    bool loops = false;
    std::optional<ConfigPlace> loopPlace;
    if (displays || configs) {
        FixedCellMeasurer measurer;
        TColorConsole console(measurer);
        const LoaderSim played(console, files, LoaderSim::Start::Banner, loader);
        shown = played.ShownFiles();
        loops = played.ConfigLoops();
        if (!set.members.empty())
            loopPlace = set.members.front().config.defaultPlace;
    }
    for (const ConfigSetMember& member : set.members)
        ConfigLint(files, member, shown, loader, findings).Run();
    LintPxeTree(files, set, loader, findings);
    if (set.stop)
        findings.Report(set.stop->place, Severity::Error, "read-limit", set.stop->message);
    if (loops && loopPlace)
        findings.Report(*loopPlace, Severity::Error, "config-loop",
            QStringLiteral("DEFAULT runs CONFIG lines that lead back to this configuration: the loader reads them "
                           "again and again and never shows a prompt"));
    return findings.Take();
}
