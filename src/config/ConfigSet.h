#pragma once

#include "BootConfig.h"
#include "MenuConfig.h"
#include "format/PcFont.h"

#include <QString>

#include <optional>
#include <vector>

// What a configuration leads to, answered once for every caller (the
// simulator, the linter, the Configuration dock and the image planner):
// which command runs what, which module is a menu and which files it reads,
// which FONT applies, the configurations CONFIG starts, and the whole set.

// What a command line runs as the loader's execute() takes it: ".com32 x"
// is x.c32 (the extension added when missing), ".linux x" and the like name
// their kind, anything else is known by its file name's extension.
struct CommandTarget {
    KernelKind kind = KernelKind::Kernel;
    QByteArray name; // the file, as written
    QByteArray arguments;
};
CommandTarget TargetOfLine(const QByteArray& line);
// The line load_kernel runs for a command (typed, DEFAULT, UI,
// ONTIMEOUT): a label's command line when its first word names one, else
// the command itself if IMPLICIT allows (its options cut by ALLOWOPTIONS
// 0, a name without extension completed to the first NAME.ext there is).
// A menu's choice is no such command: menu.c32 runs its line as it is.
std::optional<QByteArray> LoadKernelLine(const BootConfig& config, const BootFiles& files, const QByteArray& command);
std::optional<CommandTarget> TargetOfCommand(
    const BootConfig& config, const BootFiles& files, const QByteArray& command);

// Which module is a menu: menu.c32 or vesamenu.c32, by the file's name.
enum class MenuKind { Text, Graphical };
std::optional<MenuKind> MenuModuleKind(const QByteArray& module);

// The files a menu module reads: each word of its command line (from the
// loader's current folder, "~" the loader's configuration), else the
// configuration (com32/menu/readconfig.c parse_configs).
std::vector<QByteArray> MenuFiles(const QByteArray& arguments, const QByteArray& folder, const QByteArray& configPath);

// A menu module the configuration can run, the files it reads, and the
// menus as it reads them.
struct MenuRun {
    QByteArray module; // its image path
    MenuKind kind = MenuKind::Text;
    std::vector<QByteArray> files;
    ConfigPlace place; // the line that runs it
    QByteArray by; // "UI", "DEFAULT", "ONTIMEOUT", "LABEL x" or a menu's entry "LABEL x"
    MenuConfig menus;
};
// Every menu the configuration at configPath can run: its start (UI, or
// DEFAULT without UI), ONTIMEOUT, each label, and each menu entry of a menu
// already found; each module and file list once.
std::vector<MenuRun> MenuRuns(const BootConfig& config, const BootFiles& files, const QByteArray& configPath);

// Each FONT line as the loader's loadfont takes it: the file its first
// word names, whether it reads, and the font it holds if it is one.
struct FontLine {
    ConfigPlace place;
    QByteArray name; // as written
    bool read = false;
    std::optional<PcFont> font;
};
std::vector<FontLine> FontLines(const BootConfig& config, const BootFiles& files);
// Which FONT applies: the last FONT line whose file the loader loads (its
// loadfont keeps the font it had when a file fails).
struct AppliedFont {
    ConfigPlace place;
    QByteArray imagePath;
    PcFont font;
};
std::optional<AppliedFont> FontThatApplies(const BootConfig& config, const BootFiles& files);

// A configuration that CONFIG starts (a label of kind config, ".config"),
// with the folder it starts in (CONFIG's second word, else the same).
struct NextConfiguration {
    QByteArray name; // as written
    std::optional<QByteArray> path; // nothing when it leaves the image
    QByteArray folder;
    ConfigPlace place;
};
std::vector<NextConfiguration> NextConfigurations(
    const BootConfig& config, const BootFiles& files, const std::vector<MenuRun>& runs);

// Where the loader's own files lie in an image of this configuration: the
// folder of isolinux.bin (pxelinux.0 above pxelinux.cfg/), ldlinux.c32 and
// boot.cat beside it. A name that means one of these gets the loader's.
struct LoaderPlace {
    bool pxe = false;
    QByteArray folder;
    QByteArray bootFile; // isolinux.bin or pxelinux.0
    std::vector<QByteArray> ownFiles;
};
LoaderPlace LoaderPlaceOf(const QByteArray& configPath);

// A whole set: the configuration, the menus it runs, and each configuration
// CONFIG leads to with its own; each (file, folder) once, up to
// Limits::ConfigRuns members and Limits::ConfigItems kept in all.
struct ConfigSetMember {
    QByteArray path;
    QByteArray folder;
    ConfigPlace from; // line 0 for the top one
    BootConfig config;
    std::vector<MenuRun> runs;
};
struct ConfigSet {
    std::vector<ConfigSetMember> members;
    std::optional<ConfigStop> stop; // where following CONFIG stopped
    // Every configuration file of the set that was read (INCLUDEs, menu
    // files, CONFIG targets), as image paths.
    std::vector<QByteArray> ConfigurationFiles() const;
};
ConfigSet ReadConfigSet(const BootFiles& files);

// The menu the configuration runs first (its UI, or DEFAULT without UI):
// what the designer changes and the UEFI side is made from; nothing when
// it runs no menu module.
const MenuRun* FirstMenuRun(const ConfigSet& set);

// The configuration a file belongs to: a loader's own configuration
// (isolinux.cfg, syslinux.cfg, extlinux.conf, pxelinux.cfg/default, also in
// isolinux/, syslinux/, boot/...) in the file's folder or one of the three
// above it whose set reads the file; else the file itself.
QString OwningConfiguration(const QString& file);
