#pragma once

#include "vm/BootMedia.h"

#include <QProcess>
#include <QStandardPaths>

#include <vector>

// A hand-written UEFI side: a grub.cfg on the serial console and the
// screen that shows a menu and runs what it finds (a file of its own
// folder, through $prefix, and the tree's /boot/root.cfg by its path from
// the media's root, as the generated menu names kernels); "test -e" cannot
// see files over TFTP, "source" can. OVMF copies its console to the serial
// port too, so each line comes there twice.
inline std::vector<GrubFolderFile> HandWrittenGrubMenu()
{
    return { { "grub.cfg",
                 "serial --unit=0 --speed=115200\n"
                 "terminal_input serial console\n"
                 "terminal_output serial console\n"
                 "source $prefix/glimra/note.cfg\n"
                 "source /boot/root.cfg\n"
                 "set timeout=-1\n"
                 "menuentry 'UEFI side first entry' --id first { linux /boot/vmlinuz }\n"
                 "menuentry 'UEFI side second entry' { echo \"second entry ran\" }\n" },
        { "glimra/note.cfg", "echo \"note from the GRUB folder\"\n" } };
}

// The tree's file GRUB's menu runs by its path from the media's root.
inline constexpr char RootCheck[] = "echo \"the tree's root is GRUB's root\"\n";

// What an mtools program prints of a FAT drive ("image@@offset").
inline QByteArray Mtools(const char* program, const QStringList& arguments)
{
    QProcess tool;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("MTOOLS_SKIP_CHECK", "1");
    tool.setProcessEnvironment(environment);
    tool.start(QStandardPaths::findExecutable(QString::fromLatin1(program)), arguments);
    tool.waitForFinished(10000);
    return tool.readAllStandardOutput();
}

// An MBR partition entry: its type, start and length in sectors.
struct MbrEntry {
    int type = 0;
    qint64 start = 0, sectors = 0;
};
inline MbrEntry MbrPartition(const QByteArray& image, int index)
{
    const auto word = [&](int at) {
        quint32 value = 0;
        for (int i = 3; i >= 0; --i)
            value = value << 8 | static_cast<std::uint8_t>(image[at + i]);
        return static_cast<qint64>(value);
    };
    const int entry = 446 + 16 * index;
    return { static_cast<std::uint8_t>(image[entry + 4]), word(entry + 8), word(entry + 12) };
}
