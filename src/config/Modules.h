#pragma once

#include <QByteArray>
#include <QByteArrayList>
#include <QString>

// The libraries a COM32 module loads before it runs, as the loader finds
// them (com32/lib/sys/module): the DT_NEEDED entries of the dynamic section
// of its 32-bit ELF image (menu.c32 needs libutil.c32), each cut to its
// last path component, empty ones skipped. Every table is read inside the
// file, counts checked against its size; `problem` says why a module gives
// no names when the loader would refuse it or we cannot read it.
struct ModuleLibraries {
    QByteArrayList names;
    QString problem;
};
ModuleLibraries ReadModuleLibraries(QByteArrayView elf);

// The names alone; none for bytes that are no such ELF file.
QByteArrayList NeededLibraries(QByteArrayView elf);
