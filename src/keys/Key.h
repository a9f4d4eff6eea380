#pragma once

#include <cstdint>

namespace Keys {

// The keys the loaders read apart from the bytes typed.
enum class Name : std::uint8_t {
    None, // a chord that gives no key the loaders name (Shift+F1, Alt+F1 ...)
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
};
constexpr int NameCount = static_cast<int>(Name::End) + 1;

// One key as the loader is given it: a named key, or the byte that a typing
// key gives with Shift or Ctrl held ('a', 'A', '!', 0x15 for Ctrl+U). The
// key None with no byte is a chord the loaders name no key for.
struct Key {
    Name name = Name::None;
    char byte = 0;

    static constexpr Key Named(Name name) { return { name, 0 }; }
    static constexpr Key Typed(char byte) { return { Name::None, byte }; }
    constexpr bool IsTyped() const { return name == Name::None && byte != 0; }
    bool operator==(const Key&) const = default;
};

}

// The byte a Ctrl+letter gives, as both the prompt and the menu read it.
constexpr int Control(char letter) { return letter & 0x1F; }
