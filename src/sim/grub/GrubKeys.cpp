#include "GrubKeys.h"

#include <utility>

namespace GrubKey {

namespace {

int OfName(Keys::Name name)
{
    using Name = Keys::Name;
    static constexpr std::pair<Name, int> named[] = {
        { Name::Enter, Enter },
        { Name::Tab, Tab },
        { Name::Escape, Escape },
        { Name::Backspace, Backspace },
        { Name::Delete, Delete },
        { Name::Up, Up },
        { Name::Down, Down },
        { Name::Left, Left },
        { Name::Right, Right },
        { Name::PageUp, PageUp },
        { Name::PageDown, PageDown },
        { Name::Home, Home },
        { Name::End, End },
        { Name::F11, F11 },
        { Name::F12, F12 },
    };
    if (name >= Name::F1 && name <= Name::F10)
        return F1 + (static_cast<int>(name) - static_cast<int>(Name::F1));
    for (const auto& [key, code] : named) {
        if (key == name)
            return code;
    }
    return None;
}

}

int Of(const LoaderInput& input)
{
    if (input.kind == LoaderInput::Kind::Key)
        return OfName(input.key);
    if (input.kind != LoaderInput::Kind::Character)
        return None;
    const int byte = static_cast<unsigned char>(input.character);
    if (byte == Escape)
        return Escape;
    // The console reads a control character as Ctrl and its letter, but for
    // the four that have keys of their own.
    if (byte > 0 && byte < 0x20 && byte != '\t' && byte != '\b' && byte != '\n' && byte != '\r')
        return Ctrl | (byte - 1 + 'a');
    if (byte == '\n')
        return Enter;
    return byte < 0x80 ? byte : None;
}

int HotkeyOf(const QByteArray& word)
{
    static constexpr std::pair<const char*, int> aliases[] = { { "backspace", Backspace }, { "tab", Tab },
        { "delete", Delete }, { "insert", Extended | 0x52 }, { "f1", F1 }, { "f2", F2 }, { "f3", Extended | 0x3d },
        { "f4", F4 }, { "f5", Extended | 0x3f }, { "f6", Extended | 0x40 }, { "f7", Extended | 0x41 },
        { "f8", Extended | 0x42 }, { "f9", Extended | 0x43 }, { "f10", F10 }, { "f11", F11 }, { "f12", F12 } };
    for (const auto& [name, key] : aliases) {
        if (word == name)
            return key;
    }
    return word.isEmpty() ? int(None) : static_cast<unsigned char>(word[0]);
}

}
