#pragma once

#include "BootFiles.h"
#include "LoaderVersion.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>

#include <array>
#include <optional>
#include <utility>
#include <vector>

// A SYSLINUX configuration read as ldlinux.c32 6.04 reads it: a line at a
// time (up to 4095 bytes, cut at the first CR or LF), blanks before the
// keyword, keywords in any case and followed by a blank or the line's end,
// unknown lines ignored, INCLUDE read in place with names taken from the
// current folder (the top configuration's, not the including file's), a
// TEXT block ending with its file. Reading never changes a byte of the
// files, reads each file once however often it is included, and stops
// where the loader stops or past the bounds of Limits.h, saying so.

// Where a directive stands: the image path of its file and its line, from 1.
struct ConfigPlace {
    QByteArray file;
    int line = 0;
};

struct ConfigDirective {
    QByteArray keyword; // lower case, "menu color" for the MENU lines
    QByteArray argument; // the rest of the line after the blanks
    ConfigPlace place;
};

// What a LABEL's kernel line says it is.
enum class KernelKind { None, LocalBoot, Kernel, Linux, Boot, Bss, Pxe, FdImage, ComBoot, Com32, Config };

// The kind a configuration's word names ("kernel", "com32" ...), as the
// loader's ".kind" command lines name it too.
std::optional<KernelKind> KernelKindNamed(QByteArrayView name);
// The word that names a kind, as the configuration writes it.
const char* KernelKindWord(KernelKind kind);
// The file name extensions the loader knows a kind by, in the order it
// tries them on a name that has none.
inline constexpr std::array<std::pair<const char*, KernelKind>, 6> KernelExtensions = { {
    { ".c32", KernelKind::Com32 },
    { ".img", KernelKind::FdImage },
    { ".bss", KernelKind::Bss },
    { ".bin", KernelKind::Boot },
    { ".bs", KernelKind::Boot },
    { ".0", KernelKind::Pxe },
} };
// The kind the file name of a command line's first word says it is.
KernelKind KindOfCommandName(const QByteArray& command);

struct ConfigLabel {
    QByteArray name;
    QByteArray kernel; // the LABEL's name until a kernel line names one
    KernelKind kind = KernelKind::Kernel;
    std::optional<QByteArray> append;
    QByteArray initrd;
    ConfigPlace place;
    quint32 ipAppend = 0; // IPAPPEND/SYSAPPEND bits, the global ones unless its own
    // The command line the loader runs: kernel and options, or
    // ".kind kernel options" for an explicit kind.
    QByteArray CommandLine(const QByteArray& globalAppend) const;
};

// The file a DISPLAY, FONT or KBDMAP line names, as the loader takes it:
// the first word, KBDMAP's whole argument; empty for other directives.
QByteArray FileNamedBy(const ConfigDirective& directive);

// Output made while the configuration is read, in file order.
struct ConfigOutput {
    enum class Kind { Say, DisplayFile } kind;
    QByteArray text; // SAY: the bytes printed, line break included; DISPLAY: the image path
    ConfigPlace place;
};

struct FunctionKey {
    QByteArray file; // as written
    QByteArray imagePath; // as the loader looks it up
    QByteArray background;
    ConfigPlace place;
};

// An F-key line after "Fn": its file and its picture, as both readers take
// them (the picture is vesamenu.c32's), the file as found from folder.
FunctionKey ReadFunctionKey(const char* rest, const QByteArray& folder, const ConfigPlace& place);

struct ConfigFile {
    QByteArray imagePath;
    bool found = false;
    ConfigPlace includedFrom; // line 0 for the top file
    BootFiles::Fetched::Failure failure = BootFiles::Fetched::Failure::None;
    QString reason; // why it was not read, for a message
};

// Where a reading stopped before the end: the loader hangs there, or Glimra
// would read more than Limits.h allows. Nothing after the place is read.
struct ConfigStop {
    enum class Kind { LoaderHangs, Limit } kind;
    ConfigPlace place;
    QString message; // what happens, naming the bound
};
// "FILE line N: message", as every reader's stop is shown.
QString StopText(const ConfigStop& stop);

struct BootConfig {
    QByteArray folder; // the loader's current folder, an image path
    std::vector<ConfigFile> files; // the configuration and its INCLUDEs
    std::vector<ConfigDirective> directives; // every known directive, MENU lines included
    std::vector<ConfigOutput> output;
    std::array<std::optional<FunctionKey>, 12> functionKeys; // F1 to F12; F0 sets F11
    std::vector<ConfigLabel> labels;
    QHash<QByteArray, int> labelIndex; // the first label of each name
    QByteArray globalAppend;
    quint32 sysAppend = 0; // the global IPAPPEND/SYSAPPEND, as it stands at the end
    int prompt = 0;
    // TIMEOUT and TOTALTIMEOUT as the loader keeps them: milliseconds in an
    // unsigned int and a long long, wrapped as its arithmetic wraps.
    quint32 timeoutMs = 0;
    long long totalTimeoutMs = 0;
    std::optional<QByteArray> onTimeout;
    std::optional<QByteArray> defaultCommand; // DEFAULT, or the UI module's command line
    QByteArray defaultWord; // DEFAULT as written
    std::optional<ConfigPlace> defaultPlace;
    std::optional<QByteArray> ui;
    std::optional<ConfigPlace> uiPlace;
    bool noEscape = false;
    bool noComplete = false;
    bool allowOptions = true;
    bool allowImplicit = true;
    bool serial = false;
    std::optional<ConfigStop> stop;
    std::vector<ConfigPlace> cutLines; // lines over 4095 bytes, which the loader reads as two

    const ConfigLabel* FindLabel(const QByteArray& command) const;
};

// Reads the configuration at an image path and everything it INCLUDEs,
// starting in folder; a file that cannot be read reads as empty and is
// listed as not found.
// A build with the assembly core (3.x, 4.x) reads by core/parseconfig.inc's
// rules: its own keywords, a message for a line it cannot take, SAY's
// blanks collapsed, F0 for F10.
BootConfig ReadBootConfig(const BootFiles& files, const QByteArray& configPath, const QByteArray& folder,
    const LoaderVersion& version = LoaderVersion::Debian());

// Whether bytes look like a SYSLINUX configuration, for a plain Open: no
// display-file codes, the first line that says anything starts with a
// keyword of the loader's, and so do most of the lines after it (a screen
// of text that begins "Boot options" does not). A file opened as a
// configuration is one without asking this.
bool LooksLikeBootConfig(QByteArrayView bytes);

// The word of a command line up to its first blank, and what follows after the blanks.
QByteArray CommandWord(const QByteArray& command);
QByteArray CommandArguments(const QByteArray& command);
