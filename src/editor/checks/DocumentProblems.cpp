#include "editor/checks/DocumentProblems.h"

#include "config/ConfigSet.h"
#include "editor/document/Document.h"
#include "lint/ConfigLinter.h"
#include "lint/UefiLint.h"

#include <QFileInfo>

std::vector<Problem> DocumentProblems(const Document& document, bool configuration, const QString& openConfiguration,
    const std::optional<LoaderVersion>& loader)
{
    const QByteArray bytes = document.Bytes();
    if (document.saveTarget.isEmpty() || !configuration)
        return LintLoneDisplayFile(bytes, document.Folder());
    // A file of a set is checked with the tree it belongs to.
    BootFiles files = BootFiles::ForConfiguration(
        openConfiguration.isEmpty() ? OwningConfiguration(document.saveTarget) : openConfiguration);
    files.SetText(document.saveTarget, bytes);
    const QString self = QFileInfo(document.saveTarget).absoluteFilePath();
    std::vector<Problem> problems;
    std::vector<FileProblem> both = LintBootConfig(files, openConfiguration.isEmpty() ? std::nullopt : loader);
    for (FileProblem& uefi : LintUefiSide(files))
        both.push_back(std::move(uefi));
    for (const FileProblem& found : both) {
        Problem problem = found.problem;
        if (QFileInfo(found.file).absoluteFilePath() == self) {
            // Lines as the document has them, each from its first byte.
            qsizetype offset = 0;
            for (int line = 1; line < problem.line && offset >= 0; ++line)
                offset = bytes.indexOf('\n', offset) + 1;
            problem.offset = std::max<qsizetype>(offset, 0);
        } else {
            problem.message = QFileInfo(found.file).fileName() + QStringLiteral(": ") + problem.message;
            problem.offset = 0;
        }
        problems.push_back(problem);
    }
    return problems;
}

int ProblemCount(const std::vector<Problem>& problems)
{
    int count = 0;
    for (const Problem& problem : problems)
        count += problem.count;
    return count;
}
