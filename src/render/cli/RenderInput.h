#pragma once

#include "common/Limits.h"

#include <QByteArray>
#include <QString>

#include <optional>

// No display file comes near this; an endless input stops here.
constexpr qint64 InputLimit = Limits::FileBytes;

// Whether the caller closed standard input. Asked first in main, before
// anything opens a file, which would then take its descriptor.
bool StandardInputClosed();

// An input named on the command line ("-" for standard input), read as any
// reader of it would (a pipe or device too), up to InputLimit; what went
// wrong, for the user, in error.
std::optional<QByteArray> ReadInput(const QByteArray& nativeName, QString& error);

// The folder an input's names are looked up from; none for standard input.
QString FolderOf(const QByteArray& input);
