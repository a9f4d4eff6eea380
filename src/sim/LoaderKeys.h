#pragma once

#include <QByteArray>
#include <QString>

#include <optional>
#include <vector>

// What the simulated loader is given: a key as the BIOS would report it,
// a typed character, time passing, or the timeout running out.
struct LoaderInput {
    enum class Kind { Key, Character, Sleep, Timeout } kind = Kind::Key;
    enum class Key {
        None, // a chord the prompt ignores (Shift+F1, Alt+F1 ...)
        F1,
        F2,
        F3,
        F4,
        F5,
        F6,
        F7,
        F8,
        F9,
        F10,
        F11,
        F12,
        Enter,
        Tab,
        Escape,
        Backspace,
        Delete,
        Up,
        Down,
        Left,
        Right,
        PageUp,
        PageDown,
        Home,
        End,
    } key
        = Key::None;
    char character = 0; // for Character: the byte, control characters included
    int milliseconds = 0; // for Sleep
};

// The byte a Ctrl+letter gives, as both the prompt and the menu read it.
constexpr int Control(char letter) { return letter & 0x1F; }

// A --keys list cut into its words: chords by name, typed strings,
// sleep:MS and timeout; what is wrong with it, if anything, in error.
struct KeyWord {
    enum class Kind { Chord, Text, Sleep, Timeout } kind = Kind::Chord;
    QString text; // the chord's name or the typed string
    int milliseconds = 0;
};
std::optional<std::vector<KeyWord>> SplitKeys(const QString& keys, QString& error);

// A --keys list: space-separated QEMU key names ("f1", "ret", "ctrl-u",
// "shift-f1", "a", "spc" ...), double-quoted strings typed character by
// character, "sleep:MS" and "timeout". The name that is not known, if any,
// in error.
std::optional<std::vector<LoaderInput>> ParseLoaderKeys(const QString& keys, QString& error);
// One QEMU key chord ("ctrl-f", "f10", "ret"), as for a steps file.
std::optional<LoaderInput> ParseKeyChord(const QString& chord);
