#pragma once

#include "VmTools.h"
#include "config/PxeClient.h"

#include <QByteArray>
#include <QStringList>

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
    // For PXE: the client's MAC and UUID, and its address handed out by the
    // user network's DHCP (the client's /24); else QEMU's own.
    std::optional<PxeClient> client;
    bool disk = {}; // the image is a hard disk: a USB disk image, or a hybrid ISO written to a stick
    QString bootFile = {}; // for PXE: the boot file's path in the TFTP folder; pxelinux.0 when empty
    // UEFI: a q35 machine on OVMF, its code image read-only and its variable
    // store a private copy (UsePrivateFirmware makes it); the CD on the
    // chipset's SATA, the disk a USB stick, PXE the firmware's own over
    // virtio-net. Still TCG.
    Firmware firmware = Firmware::Bios;
    QString firmwareCode = {};
    QString firmwareVars = {};
};

// The arguments of a boot, for the windowed and the headless runner alike.
QStringList QemuArguments(const MachineOptions& options);
// For a UEFI machine: copies OVMF's variable store into the run folder,
// writable by this user alone, and names both halves in the options;
// nothing for a BIOS one. Throws EVmError when the copy fails.
void UsePrivateFirmware(const VmTools& tools, const QString& workFolder, MachineOptions& options);
// A value written inside a QEMU option: each comma doubled.
QString QemuValue(QString value);
