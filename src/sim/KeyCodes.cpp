#include "KeyCodes.h"

namespace KeyCodes {

int KeyCodeOf(const LoaderInput& input)
{
    // A chord get_key has no code for is no key to either loader's reader.
    if (input.kind == LoaderInput::Kind::Key && input.key == LoaderInput::Key::None)
        return KeyNone;
    const int code = Keys::LoaderCodeOf(input);
    return code == 0 && input.kind == LoaderInput::Kind::Key ? KeyNone : code;
}

}
