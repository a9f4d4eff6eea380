#pragma once

#include "Key.h"

#include <optional>

// What the simulated loader is given: a key as the BIOS would report it,
// a typed character, time passing, or the timeout running out.
struct LoaderInput {
    enum class Kind { Key, Character, Sleep, Timeout } kind = Kind::Key;
    using Key = Keys::Name;
    Key key = Key::None;
    char character = 0; // for Character: the byte, control characters included
    int milliseconds = 0; // for Sleep

    // A key press: Character for a typed byte, Key for the others.
    static constexpr LoaderInput Of(Keys::Key pressed)
    {
        return pressed.IsTyped() ? LoaderInput { Kind::Character, Key::None, pressed.byte, 0 }
                                 : LoaderInput { Kind::Key, pressed.name, 0, 0 };
    }
    // The key pressed; none for time passing.
    constexpr std::optional<Keys::Key> Pressed() const
    {
        if (kind == Kind::Character)
            return Keys::Key::Typed(character);
        if (kind == Kind::Key)
            return Keys::Key::Named(key);
        return std::nullopt;
    }
};

// Time passing as a simulator takes it: its clock run on (Sleep) or its
// countdown run out (RunOutTimeout). False for a key, which it reads itself.
template <typename Simulator> bool GiveTime(Simulator& simulator, const LoaderInput& input)
{
    if (input.kind == LoaderInput::Kind::Sleep)
        simulator.Sleep(input.milliseconds);
    else if (input.kind == LoaderInput::Kind::Timeout)
        simulator.RunOutTimeout();
    else
        return false;
    return true;
}
