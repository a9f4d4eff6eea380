#pragma once

#include "Key.h"

#include <QStringView>

// The facts about each key, one row a key: what QEMU calls it, what Qt
// calls it and the pair QEMU's BIOS (SeaBIOS) hands the loader for it.
namespace Keys {

// What INT 16h AH=10h returns for a key: the byte (0 or E0 for keys
// without one) and the scan code.
struct BiosKey {
    std::uint8_t ascii = 0;
    std::uint8_t scan = 0;
    bool operator==(const BiosKey&) const = default;
};

struct NamedKey {
    Name name;
    const char* qcode; // QEMU's send-key name
    int qtKey; // Qt::Key
    BiosKey bios;
};

// A typing key of a US keyboard: its byte alone and with Shift, its QEMU
// name and its scan code.
struct TypingKey {
    char plain;
    char shifted;
    const char* qcode;
    std::uint8_t scan;
};

// The row of a named key; null for None.
const NamedKey* NamedRow(Name name);
// The named key QEMU's name or Qt's key stands for (kp_enter and the
// keypad's Enter are Enter too).
const NamedKey* NamedRowOfQcode(QStringView qcode);
const NamedKey* NamedRowOfQt(int qtKey);
// The typing key that gives the byte, alone or with Shift.
const TypingKey* TypingRowOf(char byte);
const TypingKey* TypingRowOfQcode(QStringView qcode);

}
