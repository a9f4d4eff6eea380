#pragma once

#include "CommandLine.h"
#include "LoaderKeys.h"
#include "MenuSim.h"
#include "boot/BootGraphics.h"
#include "config/BootConfig.h"
#include "config/KernelLine.h"
#include "config/LoaderVersion.h"
#include "console/TextMetrics.h"
#include "format/PcFont.h"
#include "vesa/VesaMenu.h"
#include "vesa/VideoModes.h"

#include <QByteArray>
#include <QString>

#include <memory>

class TColorConsole;

// What a menu kept in table-index mode (KeepTableIndices) shows on its grid
// now: the cells with their colour-table indices, the cursor, the shown
// menu's colours and picture; the screen's size, fonts and files are the
// caller's to fill in.
Vesa::MenuFrame MenuGrid(const TColorConsole& grid, const MenuSim& menu);

// The loader played on a console: ldlinux.c32 6.04 reading a configuration
// (its SAY and DISPLAY output as it reads), then its boot: prompt with the
// command-line editing keys, F1-F12 help screens, Tab's label list, Enter's
// messages, TIMEOUT and TOTALTIMEOUT on a simulated clock (no countdown is
// shown), CONFIG to another configuration. What the real loader would then
// boot is said in Note(), outside the screen, which stays as the loader
// leaves it.
class LoaderSim {
public:
    enum class Start {
        Banner, // the screen that SeaBIOS and the ISOLINUX banner leave, as QEMU shows it
        Blank,
    };

    // client: the machine a pxelinux.cfg/ configuration boots, for the
    // strings IPAPPEND and SYSAPPEND give the kernel.
    LoaderSim(TColorConsole& console, BootFiles files, Start start = Start::Banner,
        LoaderVersion version = LoaderVersion::Debian(), std::optional<PxeClient> client = std::nullopt);

    // The build played: its banner and the rules that differ between builds.
    const LoaderVersion& Version() const { return m_version; }

    // Starts the loader anew on the start screen.
    void Restart();
    void Give(const LoaderInput& input);
    // Runs the clock until the waiting timeout fires; false when none waits.
    bool RunOutTimeout();
    void Sleep(long long milliseconds);

    // Everything the loader printed so far, as the serial port would get it.
    const QByteArray& Serial() const { return m_serial; }
    // What a terminal on the SERIAL port receives: nothing before SERIAL is
    // read; 5.x and later then send their banner (readconfig.c) but not the
    // SAY lines of the reading, and from then on all the loader prints.
    const QByteArray& SerialPort() const { return m_port; }
    // What the loader would do now that the simulation cannot show (boot a
    // kernel, run a menu module); empty while it waits at its prompt.
    // What a menu does that the screen cannot show goes here too.
    QString Note() const;
    const BootConfig& Config() const { return m_config; }
    // The command line the last kernel the loader went for is given (also
    // one that is not there); nothing before one, or for other images. Strings no tree tells (DMI) are named
    // in KernelUnknown().
    const std::optional<QByteArray>& KernelLine() const { return m_kernelLine; }
    const QStringList& KernelUnknown() const { return m_kernelUnknown; }
    // Whether booting on its own ran into CONFIG lines that lead back
    // without end (the real loader reloads them for ever).
    bool ConfigLoops() const { return m_configLoops; }
    // The display files shown so far and the row the cursor stood on when
    // each began.
    struct ShownFile {
        QByteArray imagePath;
        int row = 0;
    };
    const std::vector<ShownFile>& ShownFiles() const { return m_shownFiles; }
    // The 3.x/4.x core in VGA mode 0x12 after a display file's 0x18 image;
    // nothing in text mode. What the loader prints after the file is not
    // drawn into it yet.
    // The picture QEMU shows while the core is in graphics mode, its
    // cursor drawn at the prompt; nothing in text mode.
    std::optional<Vesa::Picture> CoreGraphicsPicture() const;
    const GraphicsScreen* CoreGraphicsScreen() const
    {
        return m_coreGraphics.screen ? &*m_coreGraphics.screen : nullptr;
    }
    // Whether the loader waits for keys at its boot: prompt.
    bool AtPrompt() const { return m_state == State::Prompt; }
    // The menu that runs, text or graphical, if one does.
    const MenuSim* RunningMenu() const { return m_state == State::Menu ? m_menu.get() : nullptr; }
    // vesamenu.c32 running in a video mode: what it shows now, for vesa/
    // to draw (the menu drew on a grid of its own whose cells keep their
    // colour-table index).
    using Graphics = Vesa::MenuFrame;
    std::optional<Graphics> GraphicalMenu() const;

private:
    enum class State { Prompt, Kaboom, Menu, Done };

    void ReadConfiguration(const QByteArray& path, const QByteArray& folder);
    void ReadAndStart(const QByteArray& path, const QByteArray& folder);
    void Print(std::string_view text);
    void CoreGraphicsText(std::string_view text);
    void PrintBytes(const QByteArray& text);
    void ToPort(QByteArrayView bytes);
    void OpenPort();
    void TakeMenuSerial();
    // The index among the directives of the one at a place, and of the first SERIAL.
    std::size_t DirectiveAt(const ConfigPlace& place) const;
    std::size_t SerialDirective() const;
    void Emit(const QByteArray& bytes);
    void ShowFile(const QByteArray& imagePath);
    void EnterPrompt();
    bool KeyTimesOut();
    long long SleepUntilTimeout(long long milliseconds);
    long long WaitLeft() const;
    void AutoBoot();
    void Run(const QByteArray& command);
    void Execute(QByteArray command, KernelKind kind);
    void WhichSystem(const QByteArray& arguments);
    void Leave(const QString& note);
    void Press(int key);
    void CorePress(int key);
    void CoreFunctionKey(int index);
    void NotFound(const QByteArray& kernel, const QByteArray& message);
    void FunctionKey(int index);
    void ListLabels();
    void Accept(bool timedOut);
    void ArmTimers();
    void StartMenu(const QByteArray& arguments, bool graphical);
    void LeaveVideoMode();
    void AfterMenu();
    QByteArray WithEntryAppends(const MenuSim& menu) const;

    TColorConsole& m_console;
    BootFiles m_files;
    Start m_start;
    LoaderVersion m_version;
    BootMachine m_machine;
    std::optional<KernelCall> m_call; // the command Run gave Execute, with its kernel's line
    std::optional<QByteArray> m_kernelLine;
    QStringList m_kernelUnknown;
    bool m_configLoops = false;
    BootConfig m_config;
    QByteArray m_folder;
    QByteArray m_configPath;
    // vesamenu's grid, while it runs; declared before the menu that draws on it.
    std::unique_ptr<FontMeasurer> m_graphicsMeasurer;
    std::unique_ptr<TColorConsole> m_graphics;
    Vesa::MenuMode m_mode;
    std::optional<PcFont> m_font;
    std::unique_ptr<MenuSim> m_menu;
    bool m_videoMode = false; // a graphical menu set one
    bool m_moduleReturned = false; // a module ran or failed: the loader goes back to its prompt
    bool m_starting = false; // the configuration's own start runs; it goes on to the prompt itself
    QByteArray m_serial;
    QByteArray m_port;
    bool m_portOpen = false;
    bool m_reading = false; // the configuration's SAY lines go out as it is read
    QString m_note;
    std::vector<ShownFile> m_shownFiles;
    BootGraphics m_coreGraphics; // its font read at the first display file of the core
    State m_state = State::Done;
    CommandLine m_line;
    bool m_ctrlF = false; // the assembly core's Ctrl-F: the next key names an F-key
    // Milliseconds left, 0 for none: TIMEOUT until the first key, TOTALTIMEOUT
    // throughout; the time spent in the key wait now.
    long long m_keyboardLeft = 0;
    long long m_totalLeft = 0;
    bool m_totalWrapped = false;
    long long m_waited = 0;
    int m_depth = 0; // configurations started from one another; a CONFIG loop stops
};
