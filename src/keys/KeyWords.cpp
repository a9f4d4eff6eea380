#include "KeyWords.h"

#include "QemuKeys.h"

namespace {

// A quoted string's characters, each a key; the first that is not
// printable ASCII, if any, in error.
bool AddTyped(const QString& text, std::vector<KeyPress>& presses, QString& error)
{
    for (QChar character : text) {
        if (character.unicode() < 0x20 || character.unicode() > 0x7E) {
            error = QStringLiteral("only printable ASCII can be typed: %1").arg(character);
            return false;
        }
        presses.push_back(PressOf(Keys::Key::Typed(static_cast<char>(character.unicode()))));
    }
    return true;
}

// A word outside quotes: timeout, sleep:MS or a chord.
bool AddWord(const QString& word, std::vector<KeyPress>& presses, QString& error)
{
    if (word == u"timeout") {
        presses.push_back({ { LoaderInput::Kind::Timeout, LoaderInput::Key::None, 0, 0 }, {} });
    } else if (word.startsWith(u"sleep:")) {
        bool number = false;
        const int milliseconds = word.mid(6).toInt(&number);
        if (!number || milliseconds < 0) {
            error = QStringLiteral("sleep takes milliseconds: %1").arg(word);
            return false;
        }
        presses.push_back({ { LoaderInput::Kind::Sleep, LoaderInput::Key::None, 0, milliseconds }, {} });
    } else if (const std::optional<QStringList> chord = Keys::QemuChordOfWord(word)) {
        presses.push_back({ LoaderInput::Of(*Keys::KeyOfQemuChord(*chord)), *chord });
    } else {
        error = QStringLiteral("no such key: %1").arg(word);
        return false;
    }
    return true;
}

}

KeyPress PressOf(Keys::Key key) { return { LoaderInput::Of(key), Keys::QemuChordOf(key) }; }

std::optional<LoaderInput> ParseKeyChord(const QString& chord)
{
    const std::optional<QStringList> names = Keys::QemuChordOfWord(chord);
    return names ? std::optional(LoaderInput::Of(*Keys::KeyOfQemuChord(*names))) : std::nullopt;
}

std::optional<std::vector<KeyPress>> ReadKeys(const QString& keys, QString& error)
{
    std::vector<KeyPress> presses;
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
            if (!AddTyped(keys.mid(at + 1, end - at - 1), presses, error))
                return std::nullopt;
            at = end + 1;
            continue;
        }
        qsizetype end = at;
        while (end < keys.size() && !keys[end].isSpace())
            ++end;
        if (!AddWord(keys.mid(at, end - at), presses, error))
            return std::nullopt;
        at = end;
    }
    return presses;
}

std::optional<std::vector<LoaderInput>> ParseLoaderKeys(const QString& keys, QString& error)
{
    const std::optional<std::vector<KeyPress>> presses = ReadKeys(keys, error);
    if (!presses)
        return std::nullopt;
    std::vector<LoaderInput> inputs;
    for (const KeyPress& press : *presses)
        inputs.push_back(press.input);
    return inputs;
}
