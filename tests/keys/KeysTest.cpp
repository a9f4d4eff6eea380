// The one vocabulary of keys: each key's QEMU chord, --keys word, Qt press
// and loader code lead back to it; the facts behind them, row by row.
#include "keys/KeyWords.h"
#include "keys/LoaderCodes.h"
#include "keys/QemuKeys.h"
#include "keys/QtKeys.h"

#include <gtest/gtest.h>

namespace {

using Keys::Key;
using Keys::Name;

std::vector<Key> EveryKey()
{
    std::vector<Key> keys;
    for (int name = 1; name < Keys::NameCount; ++name)
        keys.push_back(Key::Named(static_cast<Name>(name)));
    for (char byte = 0x20; byte < 0x7F; ++byte)
        keys.push_back(Key::Typed(byte));
    for (char letter = 'a'; letter <= 'z'; ++letter)
        keys.push_back(Key::Typed(static_cast<char>(Control(letter))));
    return keys;
}

std::string Shown(Key key)
{
    return key.IsTyped() ? "byte " + std::to_string(static_cast<unsigned char>(key.byte))
                         : "name " + std::to_string(static_cast<int>(key.name));
}

}

TEST(Keys, EveryKeyComesBackFromEachOfItsNames)
{
    for (const Key& key : EveryKey()) {
        SCOPED_TRACE(Shown(key));
        const QStringList chord = Keys::QemuChordOf(key);
        ASSERT_FALSE(chord.isEmpty());
        EXPECT_EQ(Keys::KeyOfQemuChord(chord), key);
        const std::optional<LoaderInput> word = ParseKeyChord(chord.join(u'-'));
        ASSERT_TRUE(word);
        EXPECT_EQ(word->Pressed(), key);
        const std::optional<QtPress> qt = QtPressOf(key);
        ASSERT_TRUE(qt);
        EXPECT_EQ(LoaderInputOf(qt->key, qt->modifiers, qt->text)->Pressed(), key);
        const int code = Keys::LoaderCodeOf(key);
        EXPECT_EQ(Keys::GetKeyCode(Keys::BiosKeyOf(key)), code);
        // Ctrl+H, Ctrl+I and Ctrl+M give the bytes of Backspace, Tab and Enter.
        const Key back = key == Key::Typed(8) ? Key::Named(Name::Backspace)
            : key == Key::Typed(9)            ? Key::Named(Name::Tab)
            : key == Key::Typed(13)           ? Key::Named(Name::Enter)
                                              : key;
        EXPECT_EQ(Keys::KeyOfLoaderCode(code), back);
        EXPECT_EQ(LoaderInput::Of(key).Pressed(), key);
    }
}

TEST(Keys, EachNameIsTheKeyboardsAndTheLoaders)
{
    struct Row {
        Key key;
        const char* qemu;
        int qtKey;
        Qt::KeyboardModifiers modifiers;
        Keys::BiosKey bios;
        int code;
    };
    const Qt::KeyboardModifiers none = Qt::NoModifier, shift = Qt::ShiftModifier;
    const Row rows[] = {
        { Key::Named(Name::F1), "f1", Qt::Key_F1, none, { 0, 0x3B }, 0x100 },
        { Key::Named(Name::F10), "f10", Qt::Key_F10, none, { 0, 0x44 }, 0x109 },
        { Key::Named(Name::F11), "f11", Qt::Key_F11, none, { 0, 0x85 }, 0x10A },
        { Key::Named(Name::F12), "f12", Qt::Key_F12, none, { 0, 0x86 }, 0x10B },
        { Key::Named(Name::Enter), "ret", Qt::Key_Return, none, { 0x0D, 0x1C }, 0x0D },
        { Key::Named(Name::Tab), "tab", Qt::Key_Tab, none, { 0x09, 0x0F }, 0x09 },
        { Key::Named(Name::Escape), "esc", Qt::Key_Escape, none, { 0x1B, 0x01 }, 0x1B },
        { Key::Named(Name::Backspace), "backspace", Qt::Key_Backspace, none, { 0x08, 0x0E }, 0x08 },
        { Key::Named(Name::Delete), "delete", Qt::Key_Delete, none, { 0xE0, 0x53 }, 0x129 },
        { Key::Named(Name::Up), "up", Qt::Key_Up, none, { 0xE0, 0x48 }, 0x120 },
        { Key::Named(Name::Down), "down", Qt::Key_Down, none, { 0xE0, 0x50 }, 0x121 },
        { Key::Named(Name::Left), "left", Qt::Key_Left, none, { 0xE0, 0x4B }, 0x122 },
        { Key::Named(Name::Right), "right", Qt::Key_Right, none, { 0xE0, 0x4D }, 0x123 },
        { Key::Named(Name::PageUp), "pgup", Qt::Key_PageUp, none, { 0xE0, 0x49 }, 0x124 },
        { Key::Named(Name::PageDown), "pgdn", Qt::Key_PageDown, none, { 0xE0, 0x51 }, 0x125 },
        { Key::Named(Name::Home), "home", Qt::Key_Home, none, { 0xE0, 0x47 }, 0x126 },
        { Key::Named(Name::End), "end", Qt::Key_End, none, { 0xE0, 0x4F }, 0x127 },
        { Key::Typed('a'), "a", Qt::Key_A, none, { 'a', 0x1E }, 'a' },
        { Key::Typed('A'), "shift a", Qt::Key_A, shift, { 'A', 0x1E }, 'A' },
        { Key::Typed('0'), "0", Qt::Key_0, none, { '0', 0x0B }, '0' },
        { Key::Typed('!'), "shift 1", Qt::Key_Exclam, shift, { '!', 0x02 }, '!' },
        { Key::Typed('_'), "shift minus", Qt::Key_Underscore, shift, { '_', 0x0C }, '_' },
        { Key::Typed('"'), "shift apostrophe", Qt::Key_QuoteDbl, shift, { '"', 0x28 }, '"' },
        { Key::Typed('~'), "shift grave_accent", Qt::Key_AsciiTilde, shift, { '~', 0x29 }, '~' },
        { Key::Typed('|'), "shift backslash", Qt::Key_Bar, shift, { '|', 0x2B }, '|' },
        { Key::Typed('?'), "shift slash", Qt::Key_Question, shift, { '?', 0x35 }, '?' },
        { Key::Typed('.'), "dot", Qt::Key_Period, none, { '.', 0x34 }, '.' },
        { Key::Typed(' '), "spc", Qt::Key_Space, none, { ' ', 0x39 }, ' ' },
        { Key::Typed('\x15'), "ctrl u", Qt::Key_U, Qt::ControlModifier, { 0x15, 0x16 }, 0x15 },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.qemu);
        EXPECT_EQ(Keys::QemuChordOf(row.key).join(u' '), row.qemu);
        EXPECT_EQ(QtPressOf(row.key)->key, row.qtKey);
        EXPECT_EQ(QtPressOf(row.key)->modifiers, row.modifiers);
        EXPECT_EQ(Keys::BiosKeyOf(row.key), row.bios);
        EXPECT_EQ(Keys::LoaderCodeOf(row.key), row.code);
    }
}

// Words as a --keys list writes them: any case, modifiers the loader reads
// as no key, a character's own word, and Shift on a typing key.
TEST(Keys, ChordWords)
{
    struct Row {
        const char* word;
        Key key;
        const char* qemu; // what QEMU is sent
    };
    const Row rows[] = {
        { "F1", Key::Named(Name::F1), "f1" },
        { "kp_enter", Key::Named(Name::Enter), "kp_enter" },
        { "shift-f1", {}, "shift f1" },
        { "alt-f1", {}, "alt f1" },
        { "ctrl-home", {}, "ctrl home" },
        { "ctrl-f", Key::Typed('\x06'), "ctrl f" },
        { "ctrl-shift-U", Key::Typed('\x15'), "ctrl shift u" },
        { "shift-1", Key::Typed('!'), "shift 1" },
        { "shift-minus", Key::Typed('_'), "shift minus" },
        { "shift-spc", Key::Typed(' '), "shift spc" },
        { "!", Key::Typed('!'), "shift 1" },
        { "shift-!", Key::Typed('!'), "shift shift 1" },
        { "-", Key::Typed('-'), "minus" },
        { "ctrl--", {}, "ctrl minus" },
        { "ctrl-!", {}, "ctrl shift 1" },
        { "alt-a", {}, "alt a" },
        { "A", Key::Typed('a'), "a" },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.word);
        ASSERT_TRUE(ParseKeyChord(row.word));
        EXPECT_EQ(ParseKeyChord(row.word)->Pressed(), row.key);
        EXPECT_EQ(Keys::QemuChordOfWord(row.word).value_or(QStringList { "none" }).join(u' '), row.qemu);
    }
    for (const char* word : { "f13", "insert", "meta-a", "ctrl", "é", "--" }) {
        EXPECT_FALSE(ParseKeyChord(QString::fromUtf8(word))) << word;
        EXPECT_FALSE(Keys::QemuChordOfWord(QString::fromUtf8(word))) << word;
    }
}

TEST(Keys, ListsAreReadWithTheirMistakesNamed)
{
    QString error;
    const std::optional<std::vector<KeyPress>> keys = ReadKeys("f1 ctrl-u \"A b!\" sleep:5 timeout", error);
    ASSERT_TRUE(keys) << error.toStdString();
    QStringList pressed, given;
    for (const KeyPress& key : *keys) {
        pressed << (key.input.kind == LoaderInput::Kind::Timeout ? "timeout"
                : key.input.kind == LoaderInput::Kind::Sleep     ? QString::number(key.input.milliseconds)
                                                                 : key.qemu.join(u'+'));
        given << QString::number(Keys::LoaderCodeOf(key.input), 16);
    }
    EXPECT_EQ(pressed, (QStringList { "f1", "ctrl+u", "shift+a", "spc", "b", "shift+1", "5", "timeout" }));
    EXPECT_EQ(given, (QStringList { "100", "15", "41", "20", "62", "21", "-1", "-1" }));
    const std::pair<const char*, const char*> mistakes[] = {
        { "f1 f99", "no such key: f99" },
        { "\"open", "a string without its closing quote: \"open" },
        { "sleep:x", "sleep takes milliseconds: sleep:x" },
        { "sleep:-5", "sleep takes milliseconds: sleep:-5" },
        { "\"tab\there\"", "only printable ASCII can be typed: \t" },
        { "\"del\x7f\"", "only printable ASCII can be typed: \x7f" },
    };
    for (const auto& [list, message] : mistakes) {
        EXPECT_FALSE(ParseLoaderKeys(list, error)) << list;
        EXPECT_EQ(error.toStdString(), message);
    }
    EXPECT_EQ(ParseLoaderKeys("  ", error)->size(), 0u);
    const std::optional<std::vector<LoaderInput>> none = ParseLoaderKeys("sleep:0", error);
    ASSERT_TRUE(none) << "no time is time too";
    EXPECT_EQ(none->front().kind, LoaderInput::Kind::Sleep);
}

TEST(Keys, AWindowsKeysAsTheLoaderSeesThem)
{
    struct Row {
        const char* what;
        int key;
        Qt::KeyboardModifiers modifiers;
        const char* text;
        std::optional<Key> seen;
    };
    const Row rows[] = {
        { "F1 with Shift", Qt::Key_F1, Qt::ShiftModifier, "", Key {} },
        { "F5 with Ctrl", Qt::Key_F5, Qt::ControlModifier, "", Key {} },
        { "the keypad's Enter", Qt::Key_Enter, Qt::KeypadModifier, "\r", Key::Named(Name::Enter) },
        { "Home with Shift", Qt::Key_Home, Qt::ShiftModifier, "", Key::Named(Name::Home) },
        { "Ctrl+Shift+A", Qt::Key_A, Qt::ControlModifier | Qt::ShiftModifier, "\x01", Key::Typed('\x01') },
        { "a keypad digit", Qt::Key_5, Qt::KeypadModifier, "5", Key::Typed('5') },
        { "Alt+A", Qt::Key_A, Qt::AltModifier, "a", std::nullopt },
        { "Shift alone", Qt::Key_Shift, Qt::ShiftModifier, "", std::nullopt },
        { "Shift+Tab", Qt::Key_Backtab, Qt::ShiftModifier, "", std::nullopt },
        { "a letter beyond ASCII", Qt::Key_Eacute, Qt::NoModifier, "\xc3\xa9", std::nullopt },
    };
    for (const Row& row : rows) {
        const std::optional<LoaderInput> input = LoaderInputOf(row.key, row.modifiers, QString::fromUtf8(row.text));
        EXPECT_EQ(input ? input->Pressed() : std::nullopt, row.seen) << row.what;
    }
}

// What get_key makes of pairs no key above gives: a modified key its table
// does not know is 0; its EFI rows meet BIOS pairs too.
TEST(Keys, GetKeyReadsPairsByItsTable)
{
    const std::pair<Keys::BiosKey, int> pairs[] = {
        { { 0x00, 0x54 }, 0 }, // Shift+F1
        { { 0x00, 0x5E }, 0 }, // Ctrl+F1
        { { 0x00, 0x0F }, 0x104 }, // Shift+Tab: F5 by the EFI row
        { { 0x00, 0x10 }, 0x105 }, // Alt+Q: F6
        { { 0x00, 0x17 }, 0x1B }, // Alt+I: Escape
        { { 0xE0, 0x52 }, 0x128 }, // Insert
        { { 0x0D, 0xE0 }, 0x0D }, // the keypad's Enter
        { { 0xE0, 0x00 }, 0 },
    };
    for (const auto& [pair, code] : pairs)
        EXPECT_EQ(Keys::GetKeyCode(pair), code) << int(pair.ascii) << ' ' << int(pair.scan);
    EXPECT_EQ(Keys::LoaderCodeOf(Key {}), 0);
    EXPECT_EQ(Keys::LoaderCodeOf(LoaderInput { LoaderInput::Kind::Character, {}, '\xe9', 0 }), 0xE9);
    EXPECT_EQ(Keys::KeyOfLoaderCode(-1), std::nullopt);
    EXPECT_EQ(Keys::KeyOfLoaderCode(0x128), std::nullopt) << "Insert, which Glimra does not press";
    EXPECT_EQ(Keys::KeyOfLoaderCode(0x1B), Key::Named(Name::Escape));
}
