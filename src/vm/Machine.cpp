#include "Machine.h"

#include <QDir>
#include <QFile>

QString QemuValue(QString value) { return value.replace(u',', QStringLiteral(",,")); }

namespace {

// A UEFI machine's medium: each device the firmware's first boot option
// (bootindex), since OVMF reads no -boot order.
QStringList UefiMedium(const MachineOptions& options)
{
    if (options.pxe) {
        // OVMF's own virtio-net driver and PXE over it, as a UEFI client
        // boots from its network card's firmware; no iPXE option ROM.
        const QString bootFile = options.bootFile.isEmpty() ? QStringLiteral("grubnetx64.efi") : options.bootFile;
        QString netdev
            = QStringLiteral("user,id=net0,tftp=%1,bootfile=%2").arg(QemuValue(options.image), QemuValue(bootFile));
        QString device = QStringLiteral("virtio-net-pci,netdev=net0,romfile=,bootindex=0");
        if (options.client) {
            const PxeClient& client = *options.client;
            netdev = QStringLiteral("user,id=net0,net=%1/24,dhcpstart=%2,tftp=%3,bootfile=%4")
                         .arg(QString::fromLatin1(DottedQuad(client.ip & 0xffffff00)), client.IpText(),
                             QemuValue(options.image), QemuValue(bootFile));
            device += QStringLiteral(",mac=") + client.MacText();
        }
        QStringList arguments { QStringLiteral("-netdev"), netdev, QStringLiteral("-device"), device };
        if (options.client && options.client->uuid)
            arguments << QStringLiteral("-uuid") << options.client->UuidText();
        return arguments;
    }
    if (options.disk) // a stick on a USB 3 port; writes go to a snapshot
        return { QStringLiteral("-device"), QStringLiteral("qemu-xhci,id=xhci"), QStringLiteral("-drive"),
            QStringLiteral("file=%1,format=raw,if=none,id=stick,snapshot=on").arg(QemuValue(options.image)),
            QStringLiteral("-device"), QStringLiteral("usb-storage,bus=xhci.0,drive=stick,removable=on,bootindex=0") };
    return { QStringLiteral("-drive"),
        QStringLiteral("file=%1,media=cdrom,readonly=on,format=raw,if=none,id=cd").arg(QemuValue(options.image)),
        QStringLiteral("-device"), QStringLiteral("ide-cd,drive=cd,bootindex=0") };
}

QStringList BiosMedium(const MachineOptions& options)
{
    if (options.pxe && options.client) {
        const PxeClient& client = *options.client;
        QStringList arguments { QStringLiteral("-netdev"),
            QStringLiteral("user,id=net0,net=%1/24,dhcpstart=%2,tftp=%3,bootfile=pxelinux.0")
                .arg(
                    QString::fromLatin1(DottedQuad(client.ip & 0xffffff00)), client.IpText(), QemuValue(options.image)),
            QStringLiteral("-device"), QStringLiteral("e1000,netdev=net0,mac=") + client.MacText(),
            QStringLiteral("-boot"), QStringLiteral("n") };
        if (client.uuid)
            arguments << QStringLiteral("-uuid") << client.UuidText();
        return arguments;
    }
    if (options.pxe)
        return { QStringLiteral("-netdev"),
            QStringLiteral("user,id=net0,tftp=%1,bootfile=%2")
                .arg(QemuValue(options.image),
                    QemuValue(options.bootFile.isEmpty() ? QStringLiteral("pxelinux.0") : options.bootFile)),
            QStringLiteral("-device"), QStringLiteral("e1000,netdev=net0"), QStringLiteral("-boot"),
            QStringLiteral("n") };
    // The first hard disk, as a stick is to a BIOS; writes go to a
    // snapshot, never to the user's image.
    if (options.disk)
        return { QStringLiteral("-drive"),
            QStringLiteral("file=%1,media=disk,format=raw,snapshot=on").arg(QemuValue(options.image)),
            QStringLiteral("-boot"), QStringLiteral("c") };
    return { QStringLiteral("-drive"),
        QStringLiteral("file=%1,media=cdrom,readonly=on,format=raw").arg(QemuValue(options.image)),
        QStringLiteral("-boot"), QStringLiteral("d") };
}

}

QStringList QemuArguments(const MachineOptions& options)
{
    const bool uefi = options.firmware == Firmware::Uefi;
    QStringList arguments { QStringLiteral("-nodefaults") };
    if (uefi) // OVMF and GRUB's pictures want more than a BIOS loader
        arguments << QStringLiteral("-M") << QStringLiteral("q35");
    arguments << QStringLiteral("-vga") << QStringLiteral("std") << QStringLiteral("-m")
              << (uefi ? QStringLiteral("256") : QStringLiteral("64")) << QStringLiteral("-no-reboot");
    if (uefi)
        arguments << QStringLiteral("-drive")
                  << QStringLiteral("if=pflash,format=raw,readonly=on,file=") + QemuValue(options.firmwareCode)
                  << QStringLiteral("-drive")
                  << QStringLiteral("if=pflash,format=raw,file=") + QemuValue(options.firmwareVars);
    if (!options.window)
        arguments << QStringLiteral("-display") << QStringLiteral("none");
    else if (!options.title.isEmpty())
        arguments << QStringLiteral("-name") << QStringLiteral("guest=") + QemuValue(options.title);
    arguments << (uefi ? UefiMedium(options) : BiosMedium(options));
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

void UsePrivateFirmware(const VmTools& tools, const QString& workFolder, MachineOptions& options)
{
    if (options.firmware != Firmware::Uefi)
        return;
    if (tools.ovmfCode.isEmpty())
        throw EVmError("A UEFI machine needs the Debian package ovmf.", "Install it with: sudo apt-get install ovmf");
    // The store is the machine's own: what a boot writes there stays in its folder.
    const QString vars = QDir(workFolder).filePath(QStringLiteral("OVMF_VARS.fd"));
    QFile::remove(vars);
    if (!QFile::copy(tools.ovmfVars, vars)
        || !QFile::setPermissions(vars, QFileDevice::ReadOwner | QFileDevice::WriteOwner))
        throw EVmError(
            "Cannot copy OVMF's variable store.", (tools.ovmfVars + QStringLiteral(" to ") + vars).toStdString());
    options.firmwareCode = tools.ovmfCode;
    options.firmwareVars = vars;
}
