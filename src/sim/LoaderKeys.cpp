#include "LoaderKeys.h"

#include <QHash>

namespace {

using Key = LoaderInput::Key;

LoaderInput KeyInput(Key key) { return { LoaderInput::Kind::Key, key, 0, 0 }; }
LoaderInput CharacterInput(char character) { return { LoaderInput::Kind::Character, Key::None, character, 0 }; }

}

std::optional<LoaderInput> ParseKeyChord(const QString& chord)
{
    static const QHash<QString, Key> keys
        = { { "f1", Key::F1 }, { "f2", Key::F2 }, { "f3", Key::F3 }, { "f4", Key::F4 }, { "f5", Key::F5 },
              { "f6", Key::F6 }, { "f7", Key::F7 }, { "f8", Key::F8 }, { "f9", Key::F9 }, { "f10", Key::F10 },
              { "f11", Key::F11 }, { "f12", Key::F12 }, { "ret", Key::Enter }, { "kp_enter", Key::Enter },
              { "tab", Key::Tab }, { "esc", Key::Escape }, { "backspace", Key::Backspace }, { "delete", Key::Delete },
              { "up", Key::Up }, { "down", Key::Down }, { "left", Key::Left }, { "right", Key::Right },
              { "pgup", Key::PageUp }, { "pgdn", Key::PageDown }, { "home", Key::Home }, { "end", Key::End } };
    static const QHash<QString, char> characters = { { "spc", ' ' }, { "minus", '-' }, { "equal", '=' }, { "dot", '.' },
        { "comma", ',' }, { "slash", '/' }, { "backslash", '\\' }, { "semicolon", ';' }, { "apostrophe", '\'' },
        { "bracket_left", '[' }, { "bracket_right", ']' }, { "grave_accent", '`' } };
    QStringList parts = chord.toLower().split(u'-');
    if (parts.size() > 1 && parts.back().isEmpty()) { // "ctrl--" is Ctrl and minus
        parts.removeLast();
        parts.back() = QStringLiteral("minus");
    }
    const QString name = parts.takeLast();
    bool control = false, other = false;
    for (const QString& modifier : parts) {
        if (modifier == u"ctrl")
            control = true;
        else if (modifier == u"shift" || modifier == u"alt")
            other = true;
        else
            return std::nullopt;
    }
    if (keys.contains(name)) {
        // The loader's keyboard reader reports no modified function or edit key it knows.
        return control || other ? KeyInput(Key::None) : KeyInput(keys.value(name));
    }
    char character = 0;
    if (name.size() == 1 && name[0].unicode() >= u'!' && name[0].unicode() <= u'~')
        character = static_cast<char>(name[0].unicode());
    else if (characters.contains(name))
        character = characters.value(name);
    else
        return std::nullopt;
    if (control && character >= 'a' && character <= 'z')
        return CharacterInput(static_cast<char>(character - 'a' + 1));
    if (control || (other && parts.contains(u"alt")))
        return KeyInput(Key::None);
    if (other && character >= 'a' && character <= 'z')
        character = static_cast<char>(character - 'a' + 'A');
    return CharacterInput(character);
}

std::optional<std::vector<KeyWord>> SplitKeys(const QString& keys, QString& error)
{
    std::vector<KeyWord> words;
    qsizetype at = 0;
    while (at < keys.size()) {
        if (keys[at].isSpace()) {
            ++at;
            continue;
        }
        if (keys[at] == u'"') {
            const qsizetype end = keys.indexOf(u'"', at + 1);
            if (end < 0) {
                error = QStringLiteral("a string without its closing quote: %1").arg(keys.mid(at));
                return std::nullopt;
            }
            const QString text = keys.mid(at + 1, end - at - 1);
            for (QChar character : text) {
                if (character.unicode() < 0x20 || character.unicode() > 0x7E) {
                    error = QStringLiteral("only printable ASCII can be typed: %1").arg(character);
                    return std::nullopt;
                }
            }
            words.push_back({ KeyWord::Kind::Text, text, 0 });
            at = end + 1;
            continue;
        }
        qsizetype end = at;
        while (end < keys.size() && !keys[end].isSpace())
            ++end;
        const QString word = keys.mid(at, end - at);
        at = end;
        if (word == u"timeout") {
            words.push_back({ KeyWord::Kind::Timeout, {}, 0 });
        } else if (word.startsWith(u"sleep:")) {
            bool number = false;
            const int milliseconds = word.mid(6).toInt(&number);
            if (!number || milliseconds < 0) {
                error = QStringLiteral("sleep takes milliseconds: %1").arg(word);
                return std::nullopt;
            }
            words.push_back({ KeyWord::Kind::Sleep, {}, milliseconds });
        } else if (ParseKeyChord(word)) {
            words.push_back({ KeyWord::Kind::Chord, word, 0 });
        } else {
            error = QStringLiteral("no such key: %1").arg(word);
            return std::nullopt;
        }
    }
    return words;
}

std::optional<std::vector<LoaderInput>> ParseLoaderKeys(const QString& keys, QString& error)
{
    const std::optional<std::vector<KeyWord>> words = SplitKeys(keys, error);
    if (!words)
        return std::nullopt;
    std::vector<LoaderInput> inputs;
    for (const KeyWord& word : *words) {
        switch (word.kind) {
        case KeyWord::Kind::Chord: inputs.push_back(*ParseKeyChord(word.text)); break;
        case KeyWord::Kind::Text:
            for (QChar character : word.text)
                inputs.push_back(CharacterInput(static_cast<char>(character.unicode())));
            break;
        case KeyWord::Kind::Sleep:
            inputs.push_back({ LoaderInput::Kind::Sleep, Key::None, 0, word.milliseconds });
            break;
        case KeyWord::Kind::Timeout: inputs.push_back({ LoaderInput::Kind::Timeout, Key::None, 0, 0 }); break;
        }
    }
    return inputs;
}
