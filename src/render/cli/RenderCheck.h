#pragma once

#include "RenderArguments.h"

// --check: each input's problems, a line each (or a JSON array), to
// DIR/NAME.check(.json) or all to one place, where files of one set name
// the same finding once. A boot configuration is checked with every file
// of its set, as part of the tree it belongs to. Exit status 2 when an
// input cannot be read or a report written, else 1 when there is an
// error or a warning.
int CheckAll(const RenderArguments& arguments);
