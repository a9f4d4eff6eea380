#pragma once

#include "vm/VmTools.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <vector>

// File > New Configuration's trees: a boot configuration with what it needs
// to boot (the loader's files, the modules its entries run and the
// libraries those load, Debian's), written into a folder. No GUI classes.
namespace ConfigTemplates {

enum class Template {
    Prompt, // DISPLAY, the boot: prompt and F1-F10 help screens
    Menu, // menu.c32
    GraphicalMenu, // vesamenu.c32 over a background picture
    Pxe, // menu.c32 served by PXELINUX: pxelinux.cfg/default
};
// Where an ISOLINUX or SYSLINUX tree keeps its files; a PXE tree has its own.
enum class Layout { Isolinux, Syslinux };

// A file of the tree: its path in the folder and its bytes, or the Debian
// file copied into it.
struct TreeFile {
    QString path;
    QByteArray bytes;
    QString copiedFrom; // empty: bytes
};

struct Tree {
    QString configFile; // relative to the folder
    std::vector<TreeFile> files;
    QStringList notes; // what the user still has to do
    QString problem; // a Debian file missing (and its package): nothing is written
};

// The tree of a template, title in its menu, the loader's files and modules
// taken from where search finds Debian's.
Tree Plan(Template kind, Layout layout, const QString& title, const VmSearch& search = {});

// The files a module loads first, and theirs, in the order the loader
// loads them; a name not in folder is not followed.
QStringList ModuleClosure(const QString& folder, const QStringList& modules);

// Writes the plan into folder; an empty string, or why nothing (or not all)
// was written. An existing file is never replaced.
QString Write(const Tree& tree, const QString& folder);

// The template's background: a 640 x 480 PNG.
QByteArray BackgroundPicture();

}
