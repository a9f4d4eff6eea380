#include "KeyCodes.h"

namespace KeyCodes {

int KeyCodeOf(const LoaderInput& input)
{
    using Key = LoaderInput::Key;
    if (input.kind == LoaderInput::Kind::Character)
        return static_cast<unsigned char>(input.character);
    if (input.kind != LoaderInput::Kind::Key)
        return KeyNone;
    switch (input.key) {
    case Key::Enter: return KeyEnter;
    case Key::Tab: return KeyTab;
    case Key::Escape: return KeyEscape;
    case Key::Backspace: return KeyBackspace;
    case Key::Delete: return KeyDelete;
    case Key::Up: return KeyUp;
    case Key::Down: return KeyDown;
    case Key::Left: return KeyLeft;
    case Key::Right: return KeyRight;
    case Key::PageUp: return KeyPageUp;
    case Key::PageDown: return KeyPageDown;
    case Key::Home: return KeyHome;
    case Key::End: return KeyEnd;
    case Key::None: return KeyNone;
    default:
        if (input.key >= Key::F1 && input.key <= Key::F12)
            return KeyF1 + static_cast<int>(input.key) - static_cast<int>(Key::F1);
        return KeyNone;
    }
}

}
