#include "RenderCheck.h"

#include "RenderInput.h"
#include "RenderOutput.h"
#include "common/FileAccess.h"
#include "config/ConfigSet.h"
#include "lint/ConfigLinter.h"
#include "lint/UefiLint.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>

#include <algorithm>

namespace {

struct Report {
    QByteArrayList lines; // one line per problem
    QJsonArray json; // the same as JSON objects
    bool failed = false; // an error or a warning
};

void Add(const QString& name, const Problem& problem, Report& report)
{
    report.failed |= problem.severity != Severity::Note;
    report.lines += QStringLiteral("%1:%2:%3: %4: %5 [%6]\n")
                        .arg(name)
                        .arg(problem.line)
                        .arg(problem.column)
                        .arg(SeverityName(problem.severity), problem.Text(), problem.code)
                        .toUtf8();
    report.json.append(QJsonObject { { "file", name }, { "line", problem.line }, { "column", problem.column },
        { "offset", problem.offset }, { "severity", SeverityName(problem.severity) }, { "code", problem.code },
        { "message", problem.message }, { "count", problem.count } });
}

void CheckOne(const QByteArray& input, const QByteArray& bytes, Report& report)
{
    const QString name = ShownName(input);
    if (input != "-" && LooksLikeBootConfig(bytes)) {
        const QString self = QFileInfo(name).absoluteFilePath();
        const BootFiles files = BootFiles::ForConfiguration(OwningConfiguration(self));
        for (const FileProblem& found : LintBootConfig(files))
            Add(found.file == self ? name : found.file, found.problem, report);
        for (const FileProblem& found : LintUefiSide(files))
            Add(found.file == self ? name : found.file, found.problem, report);
        return;
    }
    for (const Problem& problem : LintLoneDisplayFile(bytes, FolderOf(input)))
        Add(name, problem, report);
}

QByteArray Written(const RenderArguments& arguments, const Report& report)
{
    return arguments.format == RenderArguments::Format::Json ? QJsonDocument(report.json).toJson()
                                                             : report.lines.join();
}

// The report's findings that all does not hold yet, added to it.
void Merge(const Report& report, Report& all, QSet<QByteArray>& listed)
{
    for (qsizetype at = 0; at < report.lines.size(); ++at) {
        if (!listed.contains(report.lines[at])) {
            listed.insert(report.lines[at]);
            all.lines += report.lines[at];
            all.json.append(report.json[at]);
        }
    }
}

}

int CheckAll(const RenderArguments& arguments)
{
    int status = 0;
    Report all;
    QSet<QByteArray> listed;
    for (const QByteArray& input : arguments.inputs) {
        QString error;
        const std::optional<QByteArray> bytes = ReadInput(input, error);
        if (!bytes) {
            Fail(error);
            status = 2;
            continue;
        }
        Report report;
        CheckOne(input, *bytes, report);
        if (!arguments.outputDir.isEmpty())
            status = std::max(status, Write(Destination(arguments, input), Written(arguments, report)) ? 2 : 0);
        else
            Merge(report, all, listed);
        all.failed |= report.failed;
    }
    if (arguments.outputDir.isEmpty() && Write(arguments.output, Written(arguments, all)) != 0)
        status = 2;
    return status == 2 ? 2 : all.failed ? 1 : 0;
}
