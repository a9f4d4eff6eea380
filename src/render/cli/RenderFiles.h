#pragma once

#include "RenderArguments.h"

#include <QByteArray>

// One input rendered (or converted) to its destination: its exit status,
// the worst of writing it and of what did not come across (1), which is
// named on standard error.
int RenderOne(const RenderArguments& arguments, const QByteArray& input);
