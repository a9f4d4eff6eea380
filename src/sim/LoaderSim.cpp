#include "LoaderSim.h"

#include "AnsiConsole.h"
#include "CoreGraphics.h"
#include "KeyCodes.h"
#include "VersionRules.h"
#include "boot/BootRendering.h"
#include "common/Limits.h"
#include "config/ConfigSet.h"
#include "config/ConfigSyntax.h"
#include "console/ColorConsole.h"
#include "console/TextMetrics.h"
#include "format/DisplayCodes.h"

#include <array>

namespace {

// The lines SeaBIOS (Debian 12) leaves on the screen before the loader
// prints its banner, as QEMU shows them.
constexpr std::string_view SeaBiosLines = "SeaBIOS (version 1.16.2-debian-1.16.2-1)\n"
                                          "Booting from DVD/CD...\n"
                                          "\n";

}

LoaderSim::LoaderSim(
    TColorConsole& console, BootFiles files, Start start, LoaderVersion version, std::optional<PxeClient> client)
    : m_console(console)
    , m_files(std::move(files))
    , m_start(start)
    , m_version(std::move(version))
    , m_machine { m_version, LoaderPlaceOf(m_files.ConfigPath()).pxe, std::move(client) }
    , m_line([this](const QByteArray& bytes) { Emit(bytes); }, TextScreen::Columns, m_version)
{
    Restart();
}

void LoaderSim::Restart()
{
    m_menu.reset();
    ClearLoaderScreen(m_console);
    m_serial.clear();
    m_port.clear();
    m_portOpen = false;
    m_note.clear();
    m_kernelLine.reset();
    m_kernelUnknown.clear();
    m_shownFiles.clear();
    m_coreGraphics.screen.reset();
    m_depth = 0;
    m_videoMode = false;
    if (m_start == Start::Banner)
        DrawLoaderText(m_console, std::string(SeaBiosLines) + m_version.BannerLine().toStdString() + '\n');
    ReadConfiguration(m_files.ConfigPath(), m_files.StartFolder());
}

void LoaderSim::Print(std::string_view text)
{
    if (VersionRules::AssemblyPrompt(m_version))
        DrawTeletypeText(m_console, text);
    else
        DrawLoaderText(m_console, text);
    CoreGraphicsText(text);
    for (char byte : text)
        m_serial += byte == '\n' ? QByteArray("\r\n") : QByteArray(1, byte);
    // ldlinux.c32 prints the reading's SAY lines on the screen only.
    if (!m_reading || VersionRules::AssemblyPrompt(m_version))
        ToPort(QByteArrayView(text.data(), static_cast<qsizetype>(text.size())));
}

void LoaderSim::PrintBytes(const QByteArray& text)
{
    Print(std::string_view(text.constData(), static_cast<std::size_t>(text.size())));
}

// Bytes through the loader's console, its ANSI engine (the line editor's
// cursor moves and erases), and to the serial port.
void LoaderSim::Emit(const QByteArray& bytes)
{
    if (VersionRules::AssemblyPrompt(m_version)) {
        DrawTeletypeText(m_console, std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
        CoreGraphicsText(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    } else {
        AnsiConsole console(m_console);
        console.Write(bytes);
    }
    for (char byte : bytes)
        m_serial += byte == '\n' ? QByteArray("\r\n") : QByteArray(1, byte);
    ToPort(bytes);
}

void LoaderSim::ShowFile(const QByteArray& imagePath)
{
    if (const std::optional<QByteArray> bytes = m_files.Read(imagePath)) {
        m_shownFiles.push_back({ imagePath, m_console.Cursor().y });
        const bool core = VersionRules::CoreDisplayFiles(m_version);
        // The core opens 0x18's name from the current folder (msg_viewimage, core_open).
        if (core && !m_coreGraphics.open)
            m_coreGraphics = CoreGraphics({});
        m_coreGraphics.open = [this](const QByteArray& name) { return m_files.ReadNamed(m_folder, name); };
        const QByteArray serial = DrawBootFile(m_console, *bytes, core, &m_coreGraphics);
        m_serial += serial;
        if (m_portOpen)
            m_port += serial;
    }
}

// ldlinux.c32 from the start: the configuration's output as it is read,
// then the default if there is no prompt (or a UI), then the prompt.
void LoaderSim::ReadConfiguration(const QByteArray& path, const QByteArray& folder)
{
    m_state = State::Done;
    if (m_depth > 32) {
        m_configLoops = true;
        return Leave(QStringLiteral("CONFIG leads back to the same configuration without end."));
    }
    ++m_depth;
    ReadAndStart(path, folder);
    --m_depth;
}

void LoaderSim::ReadAndStart(const QByteArray& path, const QByteArray& folder)
{
    m_folder = folder;
    m_configPath = path;
    m_menu.reset();
    // ldlinux.c32 starts afresh: its line buffer and history are new.
    m_line.Forget();
    m_config = ReadBootConfig(m_files, path, folder, m_version);
    if (!m_config.defaultCommand && VersionRules::ImplicitLinuxAuto(m_version))
        m_config.defaultCommand = "linux auto";
    // The port opens where SERIAL stands among the lines that print.
    const std::size_t serialAt = SerialDirective();
    m_reading = true;
    for (const ConfigOutput& output : m_config.output) {
        if (DirectiveAt(output.place) > serialAt)
            OpenPort();
        if (output.kind == ConfigOutput::Kind::Say)
            Print(std::string_view(output.text.constData(), static_cast<std::size_t>(output.text.size())));
        else
            ShowFile(output.text);
    }
    m_reading = false;
    OpenPort();
    // The loader hangs where its reading stopped (or Glimra read no further).
    if (m_config.stop)
        return Leave(StopText(*m_config.stop));
    // Whatever the default started (a kernel, a module, another
    // configuration with its own prompt) ends this one's start.
    if (m_config.prompt == 0) {
        AutoBoot();
        if (!m_note.isEmpty() || m_state != State::Done)
            return;
    }
    if (m_config.ui) {
        m_starting = true;
        Run(*m_config.defaultCommand);
        m_starting = false;
        if (!m_note.isEmpty() || m_state != State::Done)
            return;
    }
    EnterPrompt();
}

// ldlinux_auto_boot, also for an empty Enter.
void LoaderSim::AutoBoot()
{
    if (m_config.defaultCommand) {
        Run(*m_config.defaultCommand);
        return;
    }
    Print("No DEFAULT or UI configuration directive found!\n");
    if (m_config.noEscape) {
        Print("\nBoot failed: press a key to retry...\n");
        m_state = State::Kaboom;
    }
}

void LoaderSim::EnterPrompt()
{
    if (!m_note.isEmpty() || m_state == State::Kaboom)
        return;
    if (m_config.noEscape) {
        // The default is tried again at once for ever: a screen's worth shows it.
        for (int tries = 0; tries <= TextScreen::Rows && m_state == State::Done && m_note.isEmpty(); ++tries)
            AutoBoot();
        if (m_note.isEmpty() && m_state == State::Done)
            Leave(QStringLiteral("NOESCAPE: the loader tries the default again and again and never prompts."));
        return;
    }
    m_line.Begin();
    m_ctrlF = false;
    m_state = State::Prompt;
    // Each prompt starts both clocks anew (cli.c): TIMEOUT as the unsigned
    // int it is kept in, TOTALTIMEOUT cut to a clock_t; one below zero makes
    // every key a timeout.
    m_keyboardLeft = m_config.timeoutMs;
    const long long total = m_config.totalTimeoutMs;
    m_totalLeft = static_cast<std::uint32_t>(total);
    m_totalWrapped = total < 0;
    m_waited = 0;
}

void LoaderSim::Leave(const QString& note)
{
    m_note = note;
    m_state = State::Done;
}

void LoaderSim::Give(const LoaderInput& input)
{
    if (GiveTime(*this, input))
        return;
    if (m_state == State::Kaboom) {
        Restart();
        return;
    }
    if (m_state == State::Menu) {
        m_menu->Give(input);
        return AfterMenu();
    }
    if (m_state != State::Prompt)
        return;
    // Any key ends TIMEOUT's wait, one the prompt ignores too.
    if (KeyTimesOut())
        return Accept(true);
    const int key = KeyCodes::KeyCodeOf(input);
    if (key >= KeyCodes::KeyF1 && key <= KeyCodes::KeyF12)
        return FunctionKey(key - KeyCodes::KeyF1);
    if (key != KeyCodes::KeyNone)
        Press(key);
}

// mygetkey_timeout: TIMEOUT waits for the first key only; TOTALTIMEOUT runs
// on through keys, and a key that comes after it ran out is a timeout.
bool LoaderSim::KeyTimesOut()
{
    const long long waited = std::exchange(m_waited, 0);
    m_keyboardLeft = 0;
    if (m_totalLeft == 0)
        return false;
    if (m_totalLeft <= waited)
        return true;
    m_totalLeft -= waited;
    return m_totalWrapped;
}

// The keys the loader itself answers; the rest edit the line. Esc and
// Ctrl-C are no keys to it.
void LoaderSim::Press(int key)
{
    if (VersionRules::AssemblyPrompt(m_version))
        return CorePress(key);
    switch (key) {
    case Control('L'): return m_line.ClearScreen();
    case '\r':
    case '\n': return Accept(false);
    case '\t':
        if (m_config.noComplete)
            return;
        ListLabels();
        return m_line.Redraw();
    default: m_line.Press(key);
    }
}

// A help screen: a new line, the file by the display rules (nothing when
// it is missing), the prompt drawn again from column 0. An F-key without a
// file only draws the prompt again.
void LoaderSim::FunctionKey(int index)
{
    if (VersionRules::AssemblyPrompt(m_version))
        return CoreFunctionKey(index);
    if (const std::optional<::FunctionKey>& key = m_config.functionKeys[static_cast<std::size_t>(index)]) {
        Print("\n");
        ShowFile(key->imagePath);
    }
    m_line.Redraw();
}

// ui.inc: Ctrl-F and the next byte that would be typed name an F-key;
// Ctrl-U kills the line. Other control keys do nothing.
void LoaderSim::CorePress(int key)
{
    if (m_ctrlF && key > ' ' && key < 0x7F) {
        m_ctrlF = false;
        const int index = VersionRules::CtrlFKeyIndex(static_cast<char>(key));
        if (index >= 0)
            CoreFunctionKey(index);
        return;
    }
    switch (key) {
    case '\r': return Accept(false);
    case '\t':
        if (!m_config.noComplete) {
            ListLabels();
            m_line.Redraw();
        }
        return;
    case Control('F'): m_ctrlF = true; return;
    case Control('U'): m_ctrlF = false; return m_line.Kill();
    default: m_line.Press(key);
    }
}

// show_help: an F-key without a file, or whose file is missing, does
// nothing; else a new line, the file, and the prompt where it ended.
void LoaderSim::CoreFunctionKey(int index)
{
    if (index >= static_cast<int>(m_config.functionKeys.size()))
        return;
    const std::optional<::FunctionKey>& key = m_config.functionKeys[static_cast<std::size_t>(index)];
    if (!key || !m_files.Exists(key->imagePath))
        return;
    Print("\n");
    ShowFile(key->imagePath);
    m_line.Redraw();
}

void LoaderSim::ListLabels()
{
    const QByteArray prefix = m_line.Word();
    Print("\n");
    for (const ConfigLabel& label : m_config.labels) {
        if (label.name.startsWith(prefix))
            PrintBytes(" " + label.name);
    }
    Print("\n");
}

void LoaderSim::Accept(bool timedOut)
{
    m_state = State::Done;
    const QByteArray command = timedOut ? QByteArray() : m_line.Enter();
    Print("\n");
    if (!command.isEmpty())
        Run(command);
    else if (timedOut && m_config.onTimeout)
        Run(*m_config.onTimeout);
    else
        AutoBoot();
    if (m_state == State::Done && m_note.isEmpty())
        EnterPrompt();
}

// A timeout that fires brings a new prompt, or the menu again, with clocks
// of their own: time goes on through them. Past a bound the same screen
// only comes again, and the wait keeps the phase of its last round.
void LoaderSim::Sleep(long long milliseconds)
{
    long long round = 0;
    for (int fired = 0; milliseconds > 0 && fired <= 2 * Limits::TimeoutsPerWait; ++fired) {
        if (fired == Limits::TimeoutsPerWait && round > 0)
            milliseconds %= round;
        const long long left = SleepUntilTimeout(milliseconds);
        round = milliseconds - left;
        milliseconds = left;
    }
}

// What is left of the time once a timeout fired in it; 0 when none did.
long long LoaderSim::SleepUntilTimeout(long long milliseconds)
{
    if (m_state == State::Menu) {
        const long long left = m_menu->Sleep(milliseconds);
        AfterMenu();
        return left;
    }
    if (m_state != State::Prompt)
        return 0;
    const long long wait = WaitLeft();
    if (wait == 0 || milliseconds < wait) {
        m_waited += milliseconds;
        return 0;
    }
    Accept(true);
    return milliseconds - wait;
}

// The key wait's end, 0 for none: TIMEOUT's until the first key, then TOTALTIMEOUT's.
long long LoaderSim::WaitLeft() const
{
    const long long wait = m_keyboardLeft > 0 ? m_keyboardLeft : m_totalLeft;
    return wait > 0 ? wait - m_waited : 0;
}

bool LoaderSim::RunOutTimeout()
{
    if (m_state == State::Menu) {
        const bool ran = m_menu->RunOutTimeout();
        AfterMenu();
        return ran;
    }
    if (m_state != State::Prompt || WaitLeft() == 0)
        return false;
    Accept(true);
    return true;
}

// A label's command line, or a command as typed; what it names is run.
void LoaderSim::Run(const QByteArray& command)
{
    m_call = KernelCallOf(m_config, m_files, command, m_machine);
    if (m_call)
        Execute(m_call->line, KindOfCommandName(m_call->line));
    m_call.reset();
}

void LoaderSim::Execute(QByteArray command, KernelKind kind)
{
    QByteArray kernel = CommandWord(command);
    const QByteArray arguments = CommandArguments(command);
    if (kernel.startsWith('.')) {
        if (const std::optional<KernelKind> named = KernelKindNamed(QByteArrayView(kernel).sliced(1))) {
            QByteArray rest = arguments;
            if (*named == KernelKind::Com32 && !CommandWord(rest).endsWith(".c32"))
                rest = CommandWord(rest) + ".c32" + rest.mid(CommandWord(rest).size());
            return Execute(rest, *named);
        }
    }
    const std::optional<QByteArray> path = BootFiles::Resolve(m_folder, kernel);
    const bool exists = path && m_files.Exists(*path);
    const QString shown = QString::fromLatin1(kernel);
    switch (kind) {
    case KernelKind::Com32: {
        // The loader opens its console again first (execute.c), and a
        // module's return leads to its prompt, never back to a menu.
        LeaveVideoMode();
        m_moduleReturned = true;
        const QByteArray module = kernel.mid(kernel.lastIndexOf('/') + 1);
        if (exists && module == "whichsys.c32")
            return WhichSystem(arguments);
        if (const std::optional<MenuKind> menu = MenuModuleKind(module); exists && menu)
            return StartMenu(arguments, menu == MenuKind::Graphical);
        if (exists)
            return Leave(QStringLiteral("The loader would run the module %1 (%2); modules are not played here.")
                             .arg(shown, QString::fromLatin1(*path)));
        return NotFound(kernel, "Failed to load COM32 file " + kernel + "\n");
    }
    case KernelKind::Config: {
        const QByteArray config = path.value_or(kernel);
        const QByteArray folder
            = arguments.isEmpty() ? m_folder : BootFiles::Resolve(m_folder, CommandWord(arguments)).value_or(m_folder);
        // The loader starts again on the new configuration; the screen stays.
        return ReadConfiguration(config, folder);
    }
    case KernelKind::LocalBoot: return Leave(QStringLiteral("The loader would boot from the local disk."));
    case KernelKind::Boot:
    case KernelKind::Bss:
    case KernelKind::Pxe:
    case KernelKind::FdImage:
    case KernelKind::ComBoot:
        // A boot sector or image that is not there fails without a word (6.x).
        return exists ? Leave(QStringLiteral("The loader would hand over to %1.").arg(QString::fromLatin1(*path)))
                      : NotFound(kernel, {});
    default: {
        // "..." is left out when the command line says quiet anywhere.
        const bool quiet = command.contains("quiet");
        // What it would be given is known before the file is looked for.
        const KernelCall call = m_call && m_call->line == command ? *m_call : KernelCallOfLine(command, m_version);
        m_kernelLine = call.kernelLine;
        m_kernelUnknown = call.unknown;
        if (!exists)
            return NotFound(
                kernel, "Loading " + kernel + (quiet ? "" : "...") + " failed: No such file or directory\n");
        PrintBytes("Loading " + kernel + (quiet ? "" : "..."));
        Print(" ok\n");
        QString note = QStringLiteral("The loader would boot the kernel %1 with the options \"%2\".")
                           .arg(QString::fromLatin1(*path), QString::fromLatin1(arguments));
        if (m_kernelLine)
            note += QStringLiteral(" The kernel gets \"%1\".").arg(QString::fromLatin1(*m_kernelLine));
        if (!m_kernelUnknown.isEmpty())
            note += QStringLiteral(" The loader adds %1, which no tree tells.")
                        .arg(m_kernelUnknown.join(QStringLiteral(", ")));
        return Leave(note);
    }
    }
}

// What a file that cannot be loaded prints: the build's own words.
void LoaderSim::NotFound(const QByteArray& kernel, const QByteArray& message)
{
    PrintBytes(
        VersionRules::KernelNotFoundForAll(m_version) ? "Could not find kernel image: " + kernel + "\n" : message);
}

QString LoaderSim::Note() const
{
    if (!m_note.isEmpty() || !m_menu)
        return m_note;
    return m_menu->Note();
}
