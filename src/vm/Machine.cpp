#include "Machine.h"

#include "sim/LoaderKeys.h"

#include <QHash>

QString QemuValue(QString value) { return value.replace(u',', QStringLiteral(",,")); }

QStringList QemuArguments(const MachineOptions& options)
{
    QStringList arguments { QStringLiteral("-nodefaults"), QStringLiteral("-vga"), QStringLiteral("std"),
        QStringLiteral("-m"), QStringLiteral("64"), QStringLiteral("-no-reboot") };
    if (!options.window)
        arguments << QStringLiteral("-display") << QStringLiteral("none");
    else if (!options.title.isEmpty())
        arguments << QStringLiteral("-name") << QStringLiteral("guest=") + QemuValue(options.title);
    if (options.pxe) {
        arguments << QStringLiteral("-netdev")
                  << QStringLiteral("user,id=net0,tftp=%1,bootfile=pxelinux.0").arg(QemuValue(options.image))
                  << QStringLiteral("-device") << QStringLiteral("e1000,netdev=net0") << QStringLiteral("-boot")
                  << QStringLiteral("n");
    } else {
        arguments << QStringLiteral("-drive")
                  << QStringLiteral("file=%1,media=cdrom,readonly=on,format=raw").arg(QemuValue(options.image))
                  << QStringLiteral("-boot") << QStringLiteral("d");
    }
    if (!options.serialLog.isEmpty())
        arguments << QStringLiteral("-chardev")
                  << QStringLiteral("file,id=serial0,path=") + QemuValue(options.serialLog) << QStringLiteral("-serial")
                  << QStringLiteral("chardev:serial0");
    if (!options.qmpSocket.isEmpty())
        arguments << QStringLiteral("-chardev")
                  << QStringLiteral("socket,id=qmp,path=%1,server=on,wait=off").arg(QemuValue(options.qmpSocket))
                  << QStringLiteral("-mon") << QStringLiteral("chardev=qmp,mode=control");
    return arguments;
}

std::optional<QStringList> ChordOfCharacter(char character)
{
    static const QHash<char, QString> plain = { { ' ', "spc" }, { '-', "minus" }, { '=', "equal" }, { '.', "dot" },
        { ',', "comma" }, { '/', "slash" }, { '\\', "backslash" }, { ';', "semicolon" }, { '\'', "apostrophe" },
        { '[', "bracket_left" }, { ']', "bracket_right" }, { '`', "grave_accent" } };
    // What shift makes of the keys of a US keyboard.
    static const QHash<char, QString> shifted = { { '!', "1" }, { '@', "2" }, { '#', "3" }, { '$', "4" }, { '%', "5" },
        { '^', "6" }, { '&', "7" }, { '*', "8" }, { '(', "9" }, { ')', "0" }, { '_', "minus" }, { '+', "equal" },
        { '>', "dot" }, { '<', "comma" }, { '?', "slash" }, { '|', "backslash" }, { ':', "semicolon" },
        { '"', "apostrophe" }, { '{', "bracket_left" }, { '}', "bracket_right" }, { '~', "grave_accent" } };
    if ((character >= 'a' && character <= 'z') || (character >= '0' && character <= '9'))
        return QStringList { QString(QLatin1Char(character)) };
    if (character >= 'A' && character <= 'Z')
        return QStringList { QStringLiteral("shift"), QString(QLatin1Char(character - 'A' + 'a')) };
    if (plain.contains(character))
        return QStringList { plain.value(character) };
    if (shifted.contains(character))
        return QStringList { QStringLiteral("shift"), shifted.value(character) };
    return std::nullopt;
}

std::optional<std::vector<MachineKey>> MachineKeys(const QString& keys, QString& error)
{
    const std::optional<std::vector<KeyWord>> words = SplitKeys(keys, error);
    if (!words)
        return std::nullopt;
    std::vector<MachineKey> pressed;
    for (const KeyWord& word : *words) {
        switch (word.kind) {
        case KeyWord::Kind::Chord: {
            QStringList chord = word.text.toLower().split(u'-');
            if (chord.size() > 1 && chord.back().isEmpty()) { // "ctrl--"
                chord.removeLast();
                chord.back() = QStringLiteral("minus");
            }
            if (chord.back().size() == 1 && !chord.back()[0].isLetterOrNumber()) {
                const std::optional<QStringList> typed = ChordOfCharacter(static_cast<char>(chord.back()[0].unicode()));
                chord.removeLast();
                chord += typed.value_or(QStringList {});
            }
            pressed.push_back({ chord, 0, false });
            break;
        }
        case KeyWord::Kind::Text:
            for (QChar character : word.text)
                pressed.push_back(
                    { ChordOfCharacter(static_cast<char>(character.unicode())).value_or(QStringList {}), 0, false });
            break;
        case KeyWord::Kind::Sleep: pressed.push_back({ {}, word.milliseconds, false }); break;
        case KeyWord::Kind::Timeout: pressed.push_back({ {}, 0, true }); break;
        }
    }
    return pressed;
}
