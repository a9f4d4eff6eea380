#include "Machine.h"

QString QemuValue(QString value) { return value.replace(u',', QStringLiteral(",,")); }

QStringList QemuArguments(const MachineOptions& options)
{
    QStringList arguments { QStringLiteral("-nodefaults"), QStringLiteral("-vga"), QStringLiteral("std"),
        QStringLiteral("-m"), QStringLiteral("64"), QStringLiteral("-no-reboot") };
    if (!options.window)
        arguments << QStringLiteral("-display") << QStringLiteral("none");
    else if (!options.title.isEmpty())
        arguments << QStringLiteral("-name") << QStringLiteral("guest=") + QemuValue(options.title);
    if (options.pxe && options.client) {
        const PxeClient& client = *options.client;
        arguments << QStringLiteral("-netdev")
                  << QStringLiteral("user,id=net0,net=%1/24,dhcpstart=%2,tftp=%3,bootfile=pxelinux.0")
                         .arg(QString::fromLatin1(DottedQuad(client.ip & 0xffffff00)), client.IpText(),
                             QemuValue(options.image))
                  << QStringLiteral("-device") << QStringLiteral("e1000,netdev=net0,mac=") + client.MacText()
                  << QStringLiteral("-boot") << QStringLiteral("n");
        if (client.uuid)
            arguments << QStringLiteral("-uuid") << client.UuidText();
    } else if (options.pxe) {
        arguments << QStringLiteral("-netdev")
                  << QStringLiteral("user,id=net0,tftp=%1,bootfile=%2")
                         .arg(QemuValue(options.image),
                             QemuValue(options.bootFile.isEmpty() ? QStringLiteral("pxelinux.0") : options.bootFile))
                  << QStringLiteral("-device") << QStringLiteral("e1000,netdev=net0") << QStringLiteral("-boot")
                  << QStringLiteral("n");
    } else if (options.disk) {
        // The first hard disk, as a stick is to a BIOS; writes go to a
        // snapshot, never to the user's image.
        arguments << QStringLiteral("-drive")
                  << QStringLiteral("file=%1,media=disk,format=raw,snapshot=on").arg(QemuValue(options.image))
                  << QStringLiteral("-boot") << QStringLiteral("c");
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
