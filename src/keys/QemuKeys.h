#pragma once

#include "Key.h"

#include <QString>
#include <QStringList>

#include <optional>

// Keys as QEMU's send-key names them: a chord is the modifiers ("ctrl",
// "shift", "alt") and then one key's name ("f1", "ret", "a", "minus").
namespace Keys {

// A chord word of a --keys list ("ctrl-u", "shift-f1", "ret", "ctrl--")
// as QEMU's names, in any case; a character's own word ("!", "A") is the
// chord that types it on a US keyboard. None for a word that names no key.
std::optional<QStringList> QemuChordOfWord(const QString& word);

// What the loader gets for a chord: Ctrl with a letter gives its control
// byte, Shift the key's shifted byte; a named key with a modifier, and
// Alt or Ctrl with any other typing key, give None. Nothing for a chord
// with a name QEMU does not know here.
std::optional<Key> KeyOfQemuChord(const QStringList& chord);

// The chord that gives the key on a US keyboard; empty for None and for
// bytes no key types.
QStringList QemuChordOf(Key key);

}
