#pragma once

#include <QByteArray>
#include <QByteArrayList>

// The libraries a COM32 module loads before it runs: the DT_NEEDED entries
// of its 32-bit ELF dynamic section (menu.c32 needs libutil.c32). Nothing
// for bytes that are no such ELF file.
QByteArrayList NeededLibraries(QByteArrayView elf);
