#pragma once

#include "LoaderInput.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

// A --keys list: space-separated QEMU key names and chords ("f1", "ret",
// "ctrl-u", "shift-f1", "a", "spc", "!"), double-quoted strings typed
// character by character (printable ASCII), "sleep:MS" and "timeout".

// One step of such a list, as the simulated loader and QEMU each take it.
struct KeyPress {
    LoaderInput input;
    QStringList qemu; // the names pressed together; none for sleep and timeout
};

// A key as a step of its own.
KeyPress PressOf(Keys::Key key);

// The list's steps; what is wrong with it, if anything, in error.
std::optional<std::vector<KeyPress>> ReadKeys(const QString& keys, QString& error);
// The list as the simulated loader takes it.
std::optional<std::vector<LoaderInput>> ParseLoaderKeys(const QString& keys, QString& error);
// One chord ("ctrl-f", "f10", "ret"), as for a steps file.
std::optional<LoaderInput> ParseKeyChord(const QString& chord);
