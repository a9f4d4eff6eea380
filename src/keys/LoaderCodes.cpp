#include "LoaderCodes.h"

#include <array>

namespace Keys {

namespace {

struct ScanCode {
    std::uint8_t scan;
    int code;
};

// get_key's table of two-byte codes, in its order: the BIOS's, then the
// EFI firmware's, which the BIOS's pairs meet too (Shift+Tab's 00 0F is F5).
constexpr std::array<ScanCode, 45> GetKeyTable { {
    { 0x3B, LoaderCode::F1 },
    { 0x3C, LoaderCode::F1 + 1 },
    { 0x3D, LoaderCode::F1 + 2 },
    { 0x3E, LoaderCode::F1 + 3 },
    { 0x3F, LoaderCode::F1 + 4 },
    { 0x40, LoaderCode::F1 + 5 },
    { 0x41, LoaderCode::F1 + 6 },
    { 0x42, LoaderCode::F1 + 7 },
    { 0x43, LoaderCode::F1 + 8 },
    { 0x44, LoaderCode::F1 + 9 },
    { 0x85, LoaderCode::F1 + 10 },
    { 0x86, LoaderCode::F12 },
    { 0x48, LoaderCode::Up },
    { 0x50, LoaderCode::Down },
    { 0x4B, LoaderCode::Left },
    { 0x4D, LoaderCode::Right },
    { 0x49, LoaderCode::PageUp },
    { 0x51, LoaderCode::PageDown },
    { 0x47, LoaderCode::Home },
    { 0x4F, LoaderCode::End },
    { 0x52, LoaderCode::Insert },
    { 0x53, LoaderCode::Delete },
    { 0x01, LoaderCode::Up },
    { 0x02, LoaderCode::Down },
    { 0x03, LoaderCode::Right },
    { 0x04, LoaderCode::Left },
    { 0x05, LoaderCode::Home },
    { 0x06, LoaderCode::End },
    { 0x07, LoaderCode::Insert },
    { 0x08, LoaderCode::Delete },
    { 0x09, LoaderCode::PageUp },
    { 0x0A, LoaderCode::PageDown },
    { 0x0B, LoaderCode::F1 },
    { 0x0C, LoaderCode::F1 + 1 },
    { 0x0D, LoaderCode::F1 + 2 },
    { 0x0E, LoaderCode::F1 + 3 },
    { 0x0F, LoaderCode::F1 + 4 },
    { 0x10, LoaderCode::F1 + 5 },
    { 0x11, LoaderCode::F1 + 6 },
    { 0x12, LoaderCode::F1 + 7 },
    { 0x13, LoaderCode::F1 + 8 },
    { 0x14, LoaderCode::F1 + 9 },
    { 0x15, LoaderCode::F1 + 10 },
    { 0x16, LoaderCode::F12 },
    { 0x17, LoaderCode::Escape },
} };

}

BiosKey BiosKeyOf(Key key)
{
    if (const NamedKey* named = NamedRow(key.name))
        return named->bios;
    const auto byte = static_cast<std::uint8_t>(key.byte);
    if (byte >= Control('a') && byte <= Control('z'))
        return { byte, TypingRowOf(static_cast<char>(byte - Control('a') + 'a'))->scan };
    const TypingKey* typing = byte ? TypingRowOf(key.byte) : nullptr;
    return typing ? BiosKey { byte, typing->scan } : BiosKey {};
}

int GetKeyCode(BiosKey pair)
{
    if (pair.ascii != 0 && pair.ascii != 0xE0)
        return pair.ascii;
    for (const ScanCode& row : GetKeyTable) {
        if (row.scan == pair.scan)
            return row.code;
    }
    return 0; // an unknown sequence: its first byte
}

int LoaderCodeOf(Key key)
{
    if (key.IsTyped())
        return static_cast<std::uint8_t>(key.byte); // any byte, also one no key of a US keyboard types
    return key.name == Name::None ? 0 : GetKeyCode(BiosKeyOf(key));
}

int LoaderCodeOf(const LoaderInput& input)
{
    const std::optional<Key> pressed = input.Pressed();
    return pressed ? LoaderCodeOf(*pressed) : LoaderCode::None;
}

std::optional<Key> KeyOfLoaderCode(int code)
{
    for (int name = 1; name < NameCount; ++name) {
        if (code == LoaderCodeOf(Key::Named(static_cast<Name>(name))))
            return Key::Named(static_cast<Name>(name));
    }
    if (code >= 0 && code <= 0xFF)
        return Key::Typed(static_cast<char>(code));
    return std::nullopt;
}
}
