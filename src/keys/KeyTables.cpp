#include "KeyTables.h"

#include <QString>
#include <Qt>

#include <array>

namespace Keys {

namespace {

constexpr std::uint8_t Extended = 0xE0; // the gray keys' byte with AH=10h

constexpr std::array<NamedKey, NameCount - 1> Named { {
    { Name::F1, "f1", Qt::Key_F1, { 0, 0x3B } },
    { Name::F2, "f2", Qt::Key_F2, { 0, 0x3C } },
    { Name::F3, "f3", Qt::Key_F3, { 0, 0x3D } },
    { Name::F4, "f4", Qt::Key_F4, { 0, 0x3E } },
    { Name::F5, "f5", Qt::Key_F5, { 0, 0x3F } },
    { Name::F6, "f6", Qt::Key_F6, { 0, 0x40 } },
    { Name::F7, "f7", Qt::Key_F7, { 0, 0x41 } },
    { Name::F8, "f8", Qt::Key_F8, { 0, 0x42 } },
    { Name::F9, "f9", Qt::Key_F9, { 0, 0x43 } },
    { Name::F10, "f10", Qt::Key_F10, { 0, 0x44 } },
    { Name::F11, "f11", Qt::Key_F11, { 0, 0x85 } },
    { Name::F12, "f12", Qt::Key_F12, { 0, 0x86 } },
    { Name::Enter, "ret", Qt::Key_Return, { 0x0D, 0x1C } },
    { Name::Tab, "tab", Qt::Key_Tab, { 0x09, 0x0F } },
    { Name::Escape, "esc", Qt::Key_Escape, { 0x1B, 0x01 } },
    { Name::Backspace, "backspace", Qt::Key_Backspace, { 0x08, 0x0E } },
    { Name::Delete, "delete", Qt::Key_Delete, { Extended, 0x53 } },
    { Name::Up, "up", Qt::Key_Up, { Extended, 0x48 } },
    { Name::Down, "down", Qt::Key_Down, { Extended, 0x50 } },
    { Name::Left, "left", Qt::Key_Left, { Extended, 0x4B } },
    { Name::Right, "right", Qt::Key_Right, { Extended, 0x4D } },
    { Name::PageUp, "pgup", Qt::Key_PageUp, { Extended, 0x49 } },
    { Name::PageDown, "pgdn", Qt::Key_PageDown, { Extended, 0x51 } },
    { Name::Home, "home", Qt::Key_Home, { Extended, 0x47 } },
    { Name::End, "end", Qt::Key_End, { Extended, 0x4F } },
} };

constexpr std::array<TypingKey, 48> Typing { {
    { 'a', 'A', "a", 0x1E },
    { 'b', 'B', "b", 0x30 },
    { 'c', 'C', "c", 0x2E },
    { 'd', 'D', "d", 0x20 },
    { 'e', 'E', "e", 0x12 },
    { 'f', 'F', "f", 0x21 },
    { 'g', 'G', "g", 0x22 },
    { 'h', 'H', "h", 0x23 },
    { 'i', 'I', "i", 0x17 },
    { 'j', 'J', "j", 0x24 },
    { 'k', 'K', "k", 0x25 },
    { 'l', 'L', "l", 0x26 },
    { 'm', 'M', "m", 0x32 },
    { 'n', 'N', "n", 0x31 },
    { 'o', 'O', "o", 0x18 },
    { 'p', 'P', "p", 0x19 },
    { 'q', 'Q', "q", 0x10 },
    { 'r', 'R', "r", 0x13 },
    { 's', 'S', "s", 0x1F },
    { 't', 'T', "t", 0x14 },
    { 'u', 'U', "u", 0x16 },
    { 'v', 'V', "v", 0x2F },
    { 'w', 'W', "w", 0x11 },
    { 'x', 'X', "x", 0x2D },
    { 'y', 'Y', "y", 0x15 },
    { 'z', 'Z', "z", 0x2C },
    { '1', '!', "1", 0x02 },
    { '2', '@', "2", 0x03 },
    { '3', '#', "3", 0x04 },
    { '4', '$', "4", 0x05 },
    { '5', '%', "5", 0x06 },
    { '6', '^', "6", 0x07 },
    { '7', '&', "7", 0x08 },
    { '8', '*', "8", 0x09 },
    { '9', '(', "9", 0x0A },
    { '0', ')', "0", 0x0B },
    { '-', '_', "minus", 0x0C },
    { '=', '+', "equal", 0x0D },
    { '[', '{', "bracket_left", 0x1A },
    { ']', '}', "bracket_right", 0x1B },
    { ';', ':', "semicolon", 0x27 },
    { '\'', '"', "apostrophe", 0x28 },
    { '`', '~', "grave_accent", 0x29 },
    { '\\', '|', "backslash", 0x2B },
    { ',', '<', "comma", 0x33 },
    { '.', '>', "dot", 0x34 },
    { '/', '?', "slash", 0x35 },
    { ' ', ' ', "spc", 0x39 },
} };

constexpr bool InNameOrder()
{
    for (std::size_t at = 0; at < Named.size(); ++at) {
        if (Named[at].name != static_cast<Name>(at + 1))
            return false;
    }
    return true;
}
static_assert(InNameOrder(), "a named key's row is found by its name");

const NamedKey& Row(Name name) { return Named[static_cast<std::size_t>(name) - 1]; }

}

const NamedKey* NamedRow(Name name) { return name == Name::None ? nullptr : &Row(name); }

const NamedKey* NamedRowOfQcode(QStringView qcode)
{
    if (qcode == u"kp_enter")
        return &Row(Name::Enter);
    for (const NamedKey& row : Named) {
        if (qcode == QLatin1StringView(row.qcode))
            return &row;
    }
    return nullptr;
}

const NamedKey* NamedRowOfQt(int qtKey)
{
    if (qtKey == Qt::Key_Enter)
        return &Row(Name::Enter);
    for (const NamedKey& row : Named) {
        if (qtKey == row.qtKey)
            return &row;
    }
    return nullptr;
}

const TypingKey* TypingRowOf(char byte)
{
    for (const TypingKey& row : Typing) {
        if (byte == row.plain || byte == row.shifted)
            return &row;
    }
    return nullptr;
}

const TypingKey* TypingRowOfQcode(QStringView qcode)
{
    for (const TypingKey& row : Typing) {
        if (qcode == QLatin1StringView(row.qcode))
            return &row;
    }
    return nullptr;
}

}
