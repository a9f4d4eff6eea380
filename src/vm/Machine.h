#pragma once

#include "VmTools.h"

#include <QByteArray>
#include <QStringList>

#include <optional>
#include <vector>

// What a QEMU machine boots and how it is shown. Every path and name here
// reaches QEMU only inside option values, with their commas doubled, never
// as an option of its own.
struct MachineOptions {
    QString image; // the CD image, or for PXE the TFTP folder
    bool pxe = false;
    bool window = false;
    QString title; // the window's
    QString serialLog; // a file that receives the serial port, or none
    QString qmpSocket; // QEMU's machine protocol, or none
};

// The arguments of a boot, for the windowed and the headless runner alike.
QStringList QemuArguments(const MachineOptions& options);
// A value written inside a QEMU option: each comma doubled.
QString QemuValue(QString value);

// One key press for QEMU's send-key: QEMU's key names pressed together
// ("ctrl", "f1"), a pause, or "wait for the timeout".
struct MachineKey {
    QStringList chord;
    int sleepMs = 0;
    bool timeout = false;
};
// A --keys list as QEMU presses it: key names and chords ("f1", "ctrl-u",
// "shift-f1", "ret"), "typed text" a character at a time (with shift for
// capitals and symbols), sleep:MS and timeout. The name not known, if any,
// in error.
std::optional<std::vector<MachineKey>> MachineKeys(const QString& keys, QString& error);
// The chord that types a character on a US keyboard, or none.
std::optional<QStringList> ChordOfCharacter(char character);
