#pragma once

#include "LoaderInput.h"

#include <QString>
#include <Qt>

#include <optional>

// A key pressed in a window as the loader's keyboard would report it:
// F-keys only alone (with a modifier they are None), the edit keys with
// any modifier, Ctrl with a letter its control byte, a printable byte
// typed alone or with Shift. Nothing for a key the loader does not see.
std::optional<LoaderInput> LoaderInputOf(int key, Qt::KeyboardModifiers modifiers, const QString& text);

// The press in a window that gives the key: Qt's key, its modifiers and
// the text a keyboard sends with it. None for None.
struct QtPress {
    int key = 0;
    Qt::KeyboardModifiers modifiers;
    QString text;
};
std::optional<QtPress> QtPressOf(Keys::Key key);
