#include "QemuKeys.h"

#include "KeyTables.h"

namespace Keys {

std::optional<QStringList> QemuChordOfWord(const QString& word)
{
    QStringList chord = word.toLower().split(u'-');
    if (chord.size() > 1 && chord.back().isEmpty()) { // "ctrl--" is Ctrl and minus
        chord.removeLast();
        chord.back() = QStringLiteral("minus");
    }
    const QString name = chord.back();
    if (name.size() == 1 && name[0].unicode() < 0x80) {
        const TypingKey* row = TypingRowOf(static_cast<char>(name[0].unicode()));
        if (row && row->plain != name[0]) {
            chord.removeLast();
            chord << QStringLiteral("shift") << QString::fromLatin1(row->qcode);
        } else if (row) {
            chord.back() = QString::fromLatin1(row->qcode);
        }
    }
    if (!KeyOfQemuChord(chord))
        return std::nullopt;
    return chord;
}

std::optional<Key> KeyOfQemuChord(const QStringList& chord)
{
    if (chord.isEmpty())
        return std::nullopt;
    bool control = false, shift = false, alt = false;
    for (qsizetype at = 0; at + 1 < chord.size(); ++at) {
        const QString& modifier = chord[at];
        if (modifier == u"ctrl")
            control = true;
        else if (modifier == u"shift")
            shift = true;
        else if (modifier == u"alt")
            alt = true;
        else
            return std::nullopt;
    }
    if (const NamedKey* named = NamedRowOfQcode(chord.back())) {
        // The loader's keyboard reader reports no modified function or edit key it knows.
        return control || shift || alt ? Key {} : Key::Named(named->name);
    }
    const TypingKey* typing = TypingRowOfQcode(chord.back());
    if (!typing)
        return std::nullopt;
    const bool letter = typing->plain >= 'a' && typing->plain <= 'z';
    if (control && letter)
        return Key::Typed(static_cast<char>(Control(typing->plain)));
    if (control || alt)
        return Key {};
    return Key::Typed(shift ? typing->shifted : typing->plain);
}

QStringList QemuChordOf(Key key)
{
    if (const NamedKey* named = NamedRow(key.name))
        return { QString::fromLatin1(named->qcode) };
    if (key.byte >= Control('a') && key.byte <= Control('z'))
        return { QStringLiteral("ctrl"), QString(QLatin1Char(static_cast<char>(key.byte - Control('a') + 'a'))) };
    const TypingKey* typing = key.byte ? TypingRowOf(key.byte) : nullptr;
    if (!typing)
        return {};
    if (key.byte == typing->plain)
        return { QString::fromLatin1(typing->qcode) };
    return { QStringLiteral("shift"), QString::fromLatin1(typing->qcode) };
}

}
