#pragma once

#include "config/LoaderVersion.h"
#include "lint/Linter.h"

#include <optional>
#include <vector>

class Document;

// What the Problems dock lists for a document. A configuration saved to a
// file is checked with its whole set (the open configuration's, or that of
// the tree its file belongs to), its unsaved text included: its own
// problems at the document's lines, the other files' named by their file.
// Anything else is a display file, checked alone, its images looked for in
// its folder. The open configuration is checked against the loader it is
// played as (View > Loader Version); another tree against its own.
std::vector<Problem> DocumentProblems(const Document& document, bool configuration, const QString& openConfiguration,
    const std::optional<LoaderVersion>& loader = std::nullopt);

// The findings the problems count, each as often as it was met.
int ProblemCount(const std::vector<Problem>& problems);
