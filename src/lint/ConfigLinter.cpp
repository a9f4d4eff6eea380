#include "ConfigLinter.h"

#include "config/BootConfig.h"
#include "config/Modules.h"
#include "console/ColorConsole.h"
#include "sim/LoaderSim.h"

#include <QFileInfo>
#include <QSet>

namespace {

class ConfigLint {
public:
    explicit ConfigLint(const BootFiles& files)
        : m_files(files)
        , m_config(ReadBootConfig(files, files.ConfigPath(), files.StartFolder()))
    {
    }
    std::vector<FileProblem> Run();

private:
    void Report(const ConfigPlace& place, Severity severity, const char* code, const QString& message)
    {
        m_problems.push_back({ HostPath(place.file),
            Problem { std::max(place.line, 1), 1, 0, severity, QString::fromLatin1(code), message } });
    }
    QString HostPath(const QByteArray& imagePath) const
    {
        return m_files.HostPath(imagePath).value_or(QString::fromLatin1(imagePath));
    }
    void DisplayFiles();
    void FunctionKeys();
    void Labels();
    void Modules();
    bool Names(const QByteArray& command) const;

    const BootFiles& m_files;
    BootConfig m_config;
    std::vector<FileProblem> m_problems;
};

std::vector<FileProblem> ConfigLint::Run()
{
    for (const ConfigFile& file : m_config.files) {
        if (!file.found && file.includedFrom.line > 0)
            Report(file.includedFrom, Severity::Error, "missing-include",
                QStringLiteral("INCLUDE names %1, which is not there").arg(QString::fromLatin1(file.imagePath)));
    }
    DisplayFiles();
    FunctionKeys();
    Labels();
    Modules();
    return std::move(m_problems);
}

// DISPLAY files as the loader shows them while it reads the configuration,
// each from the row its output starts on.
void ConfigLint::DisplayFiles()
{
    FixedCellMeasurer measurer;
    TColorConsole console(measurer);
    const LoaderSim loader(console, m_files);
    const QString imageFolder = m_files.HostPath(m_config.folder).value_or(QString());
    for (const ConfigOutput& output : m_config.output) {
        if (output.kind != ConfigOutput::Kind::DisplayFile)
            continue;
        const std::optional<QByteArray> bytes = m_files.Read(output.text);
        if (!bytes) {
            Report(output.place, Severity::Error, "missing-display",
                QStringLiteral("DISPLAY names %1, which is not there").arg(QString::fromLatin1(output.text)));
            continue;
        }
        int row = 0;
        for (const LoaderSim::ShownFile& shown : loader.ShownFiles()) {
            if (shown.imagePath == output.text)
                row = shown.row;
        }
        for (const Problem& problem : LintDisplayFile(*bytes, imageFolder, row))
            m_problems.push_back({ HostPath(output.text), problem });
    }
}

void ConfigLint::FunctionKeys()
{
    const QString imageFolder = m_files.HostPath(m_config.folder).value_or(QString());
    for (std::size_t index = 0; index < m_config.functionKeys.size(); ++index) {
        const std::optional<FunctionKey>& key = m_config.functionKeys[index];
        if (!key)
            continue;
        const QString name = QStringLiteral("F%1").arg(index + 1);
        if (index == 10
            && m_config.directives.end()
                != std::find_if(
                    m_config.directives.begin(), m_config.directives.end(), [&](const ConfigDirective& directive) {
                        return directive.keyword == "f0" && directive.place.line == key->place.line
                            && directive.place.file == key->place.file;
                    })) {
            Report(key->place, Severity::Warning, "f0-is-f11",
                m_config.functionKeys[9] ? QStringLiteral("F0 binds F11, not F10")
                                         : QStringLiteral("F0 binds F11, not F10: F10 shows no screen"));
        }
        const std::optional<QByteArray> bytes = m_files.Read(key->imagePath);
        if (!bytes) {
            Report(key->place, Severity::Error, "missing-fkey-file",
                QStringLiteral("%1 names %2, which is not there: the key shows only a new prompt")
                    .arg(name, QString::fromLatin1(key->imagePath)));
            continue;
        }
        if (!bytes->isEmpty() && !bytes->endsWith('\n')) {
            int line = 1 + static_cast<int>(bytes->count('\n'));
            m_problems.push_back({ HostPath(key->imagePath),
                Problem { line, 1, bytes->lastIndexOf('\n') + 1, Severity::Warning,
                    QStringLiteral("fkey-no-final-break"),
                    QStringLiteral("the last line has no line break: after %1 the loader's prompt overwrites it")
                        .arg(name) } });
        }
        for (const Problem& problem : LintDisplayFile(*bytes, imageFolder))
            m_problems.push_back({ HostPath(key->imagePath), problem });
    }
}

// Whether a command runs something: a label, or a file the loader finds.
bool ConfigLint::Names(const QByteArray& command) const
{
    if (m_config.FindLabel(command))
        return true;
    const std::optional<QByteArray> path = BootFiles::Resolve(m_config.folder, CommandWord(command));
    return path && m_files.Exists(*path);
}

void ConfigLint::Labels()
{
    QSet<QByteArray> seen;
    for (const ConfigLabel& label : m_config.labels) {
        if (seen.contains(label.name))
            Report(label.place, Severity::Warning, "duplicate-label",
                QStringLiteral("a second label %1: the loader runs the first").arg(QString::fromLatin1(label.name)));
        seen.insert(label.name);
    }
    if (m_config.defaultPlace && !m_config.ui && !Names(m_config.defaultWord))
        Report(*m_config.defaultPlace, Severity::Warning, "default-no-label",
            QStringLiteral("DEFAULT %1 names no label and no file").arg(QString::fromLatin1(m_config.defaultWord)));
    if (m_config.onTimeout && !Names(*m_config.onTimeout)) {
        for (const ConfigDirective& directive : m_config.directives) {
            if (directive.keyword == "ontimeout")
                Report(directive.place, Severity::Warning, "ontimeout-no-label",
                    QStringLiteral("ONTIMEOUT %1 names no label and no file")
                        .arg(QString::fromLatin1(*m_config.onTimeout)));
        }
    }
    if (m_config.prompt == 0 && !m_config.defaultCommand) {
        const auto prompt = std::find_if(m_config.directives.begin(), m_config.directives.end(),
            [](const ConfigDirective& directive) { return directive.keyword == "prompt"; });
        Report(prompt != m_config.directives.end() ? prompt->place : ConfigPlace { m_files.ConfigPath(), 1 },
            Severity::Warning, "prompt0-no-default",
            QStringLiteral("no prompt and no DEFAULT or UI: the loader says \"No DEFAULT or UI configuration "
                           "directive found!\" and prompts anyway"));
    }
}

// The UI module and the libraries its ELF file says it loads, beside the
// configuration as the loader looks for them.
void ConfigLint::Modules()
{
    if (!m_config.ui || !m_config.uiPlace)
        return;
    const QByteArray module = CommandWord(*m_config.ui);
    const std::optional<QByteArray> path = BootFiles::Resolve(m_config.folder, module);
    const std::optional<QByteArray> bytes = path ? m_files.Read(*path) : std::nullopt;
    if (!bytes) {
        Report(*m_config.uiPlace, Severity::Error, "missing-module",
            QStringLiteral("UI %1 is not beside the configuration: the loader says \"Failed to load COM32 file %1\"")
                .arg(QString::fromLatin1(module)));
        return;
    }
    for (const QByteArray& library : NeededLibraries(*bytes)) {
        const std::optional<QByteArray> libraryPath = BootFiles::Resolve(m_config.folder, library);
        if (!libraryPath || !m_files.Exists(*libraryPath))
            Report(*m_config.uiPlace, Severity::Error, "missing-library",
                QStringLiteral("%1 needs %2, which is not beside it")
                    .arg(QString::fromLatin1(module), QString::fromLatin1(library)));
    }
}

}

std::vector<FileProblem> LintBootConfig(const BootFiles& files) { return ConfigLint(files).Run(); }
