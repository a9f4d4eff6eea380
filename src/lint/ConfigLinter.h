#pragma once

#include "Linter.h"
#include "config/BootFiles.h"
#include "config/LoaderVersion.h"

#include <optional>

#include <vector>

// A problem in one file of a boot configuration's set.
struct FileProblem {
    QString file; // on disk
    Problem problem;
};

// The problems of a whole configuration: files it names that are missing,
// F0 (which is F11), help files whose last line the prompt will overwrite,
// a DEFAULT or ONTIMEOUT that names no label, labels named twice, PROMPT 0
// without a default, a UI module or a library it needs that is not beside
// the configuration, a module of another build than the loader, directives
// the loader's build does not read; and every display file of the set linted as the
// loader shows it (a DISPLAY file from the row where it starts).
// The loader is the build given, else the one the tree ships (Debian's 6.04
// without one).
std::vector<FileProblem> LintBootConfig(const BootFiles& files, const std::optional<LoaderVersion>& target = {});
