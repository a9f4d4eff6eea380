#pragma once

#include "RenderArguments.h"

// --export: boot media of --config's tree at --output; what is left out
// or replaced is told on standard error. Exit status 0, or 1 with the reason.
int ExportMedia(const RenderArguments& arguments);
