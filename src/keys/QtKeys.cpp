#include "QtKeys.h"

#include "KeyTables.h"

std::optional<LoaderInput> LoaderInputOf(int key, Qt::KeyboardModifiers modifiers, const QString& text)
{
    using Keys::Key;
    if (const Keys::NamedKey* named = Keys::NamedRowOfQt(key)) {
        const bool functionKey = named->name >= Keys::Name::F1 && named->name <= Keys::Name::F12;
        return LoaderInput::Of(functionKey && modifiers != Qt::NoModifier ? Key {} : Key::Named(named->name));
    }
    if ((modifiers & Qt::ControlModifier) && key >= Qt::Key_A && key <= Qt::Key_Z)
        return LoaderInput::Of(Key::Typed(static_cast<char>(Control(static_cast<char>(key - Qt::Key_A + 'a')))));
    const bool plain = (modifiers & ~(Qt::KeypadModifier | Qt::ShiftModifier)) == 0;
    if (plain && text.size() == 1 && text[0].unicode() >= 0x20 && text[0].unicode() < 0x7F)
        return LoaderInput::Of(Key::Typed(static_cast<char>(text[0].unicode())));
    return std::nullopt;
}

std::optional<QtPress> QtPressOf(Keys::Key key)
{
    if (const Keys::NamedKey* named = Keys::NamedRow(key.name))
        return QtPress { named->qtKey, Qt::NoModifier, {} };
    const char byte = key.byte;
    if (byte >= Control('a') && byte <= Control('z'))
        return QtPress { Qt::Key_A + byte - Control('a'), Qt::ControlModifier, QString(QLatin1Char(byte)) };
    const Keys::TypingKey* typing = byte ? Keys::TypingRowOf(byte) : nullptr;
    if (!typing)
        return std::nullopt;
    // Qt's keys for printable ASCII are the bytes themselves, letters in upper case.
    const int qtKey = byte >= 'a' && byte <= 'z' ? byte - 'a' + 'A' : byte;
    return QtPress { qtKey, byte == typing->plain ? Qt::NoModifier : Qt::ShiftModifier, QString(QLatin1Char(byte)) };
}
