#pragma once

#include "RenderArguments.h"

#include <QByteArray>
#include <QString>

#include <optional>

struct ScreenSnapshot;

// The message on standard error; exit status 1.
int Fail(const QString& message);
// A line for the user on standard error that ends nothing.
void Tell(const QString& message);

// Where an input's rendering goes: standard output, --output, or
// DIR/NAME.EXT (NAME "stdin" for standard input).
QByteArray Destination(const RenderArguments& arguments, const QByteArray& input);
// Writes the bytes there (empty: standard output) as the editor saves;
// exit status 0 or 1.
int Write(const QByteArray& destination, const QByteArray& result);

// Outputs that would overwrite each other or an input, found before
// anything is read or written: the same file for two names is the same
// inode when it exists, the same clean absolute path when it does not yet.
std::optional<QString> OutputClash(const RenderArguments& arguments);

// A screen in a text format: json (with the attribute bytes when boot),
// else ANSI colour text, plain when NO_COLOR is set.
QByteArray ScreenText(const RenderArguments& arguments, const ScreenSnapshot& screen, bool boot);
