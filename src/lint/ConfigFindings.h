#pragma once

#include "ConfigLinter.h"
#include "config/BootConfig.h"
#include "config/LoaderVersion.h"

#include <QSet>

// The findings of one configuration's set as they are made: each once
// (a file included twice, or a setting a submenu inherits, says it again),
// and past Limits::Findings one "and N more problems" at the worst
// severity of those left out.
class ConfigFindings {
public:
    explicit ConfigFindings(const BootFiles& files)
        : m_files(files)
    {
    }
    void Add(const QString& file, const Problem& problem);
    // At a line of the set: its file on disk, the first column.
    void Report(const ConfigPlace& place, Severity severity, const char* code, const QString& message);
    QString HostPath(const QByteArray& imagePath) const;
    std::vector<FileProblem> Take();

private:
    const BootFiles& m_files;
    std::vector<FileProblem> m_problems;
    QSet<QString> m_seen;
    int m_omitted = 0;
    Severity m_omittedWorst = Severity::Note;
};

// The codes the configuration checks report, each explained in the format
// guide with the reason it holds.
extern const std::vector<const char*> ConfigCheckCodes;

QString Latin(const QByteArray& bytes);

// A file of the set that a reader could not read, said where it is named.
void ReportUnread(const ConfigFile& file, ConfigFindings& findings);

// The menu checks of one menu module run: its screen or grid, colours,
// entries, backgrounds.
struct MenuRun;
void LintMenuRun(const MenuRun& run, const BootConfig& config, const BootFiles& files, ConfigFindings& findings);

// The directives of one configuration that the target build does not read
// (named with the release that brought each); pxe for a PXELINUX tree.
void LintDirectiveVersions(const BootConfig& config, const LoaderVersion& target, bool pxe, ConfigFindings& findings);
// A pxelinux.cfg/ tree's per-client files the loader never asks for, and
// URLs a build without HTTP cannot fetch.
struct ConfigSet;
void LintPxeTree(const BootFiles& files, const ConfigSet& set, const LoaderVersion& loader, ConfigFindings& findings);
// A module of another build than the loader: ELF against flat COM32.
void LintModuleBuild(const QByteArray& module, const QByteArray& bytes, const LoaderVersion& target,
    const ConfigPlace& place, ConfigFindings& findings);
