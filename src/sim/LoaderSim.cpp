#include "LoaderSim.h"

#include "boot/BootRendering.h"
#include "config/ConfigSet.h"
#include "config/ConfigSyntax.h"
#include "console/ColorConsole.h"
#include "console/TextMetrics.h"
#include "format/DisplayCodes.h"

#include <array>

namespace {

// The lines SeaBIOS and ISOLINUX 6.04 (Debian 12) leave on the screen
// before the configuration is read, as QEMU shows them.
constexpr std::string_view BannerScreen = "SeaBIOS (version 1.16.2-debian-1.16.2-1)\n"
                                          "Booting from DVD/CD...\n"
                                          "\n"
                                          "ISOLINUX 6.04 20200816 ETCD Copyright (C) 1994-2015 H. Peter Anvin et al\n";
using TextScreen::Prompt;
constexpr int Width = TextScreen::Columns;

// Keys beyond the byte range, as the loader's key reader numbers them apart.
enum : int { KeyDelete = 0x100, KeyUp, KeyDown, KeyLeft, KeyRight, KeyHome, KeyEnd };

}

LoaderSim::LoaderSim(TColorConsole& console, BootFiles files, Start start)
    : m_console(console)
    , m_files(std::move(files))
    , m_start(start)
{
    Restart();
}

void LoaderSim::Restart()
{
    m_menu.reset();
    ClearLoaderScreen(m_console);
    m_serial.clear();
    m_note.clear();
    m_shownFiles.clear();
    m_history.clear();
    m_depth = 0;
    if (m_start == Start::Banner)
        DrawLoaderText(m_console, BannerScreen);
    ReadConfiguration(m_files.ConfigPath(), m_files.StartFolder());
}

void LoaderSim::Print(std::string_view text)
{
    DrawLoaderText(m_console, text);
    for (char byte : text)
        m_serial += byte == '\n' ? QByteArray("\r\n") : QByteArray(1, byte);
}

void LoaderSim::PrintBytes(const QByteArray& text)
{
    Print(std::string_view(text.constData(), static_cast<std::size_t>(text.size())));
}

void LoaderSim::ShowFile(const QByteArray& imagePath)
{
    if (const std::optional<QByteArray> bytes = m_files.Read(imagePath)) {
        m_shownFiles.push_back({ imagePath, m_console.Cursor().y });
        m_serial += DrawBootFile(m_console, *bytes);
    }
}

// ldlinux.c32 from the start: the configuration's output as it is read,
// then the default if there is no prompt (or a UI), then the prompt.
void LoaderSim::ReadConfiguration(const QByteArray& path, const QByteArray& folder)
{
    m_state = State::Done;
    if (m_depth > 32)
        return Leave(QStringLiteral("CONFIG leads back to the same configuration without end."));
    ++m_depth;
    ReadAndStart(path, folder);
    --m_depth;
}

void LoaderSim::ReadAndStart(const QByteArray& path, const QByteArray& folder)
{
    m_folder = folder;
    m_configPath = path;
    m_menu.reset();
    m_config = ReadBootConfig(m_files, path, folder);
    for (const ConfigOutput& output : m_config.output) {
        if (output.kind == ConfigOutput::Kind::Say)
            Print(std::string_view(output.text.constData(), static_cast<std::size_t>(output.text.size())));
        else
            ShowFile(output.text);
    }
    // The loader hangs where its reading stopped (or Glimra read no further).
    if (m_config.stop)
        return Leave(StopText(*m_config.stop));
    // Whatever the default started (a kernel, a module, another
    // configuration with its own prompt) ends this one's start.
    if (m_config.prompt == 0) {
        AutoBoot(true);
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

void LoaderSim::AutoBoot(bool announce)
{
    if (m_config.defaultCommand) {
        Run(*m_config.defaultCommand);
        return;
    }
    if (announce)
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
        AutoBoot(true);
        if (m_note.isEmpty() && m_state != State::Kaboom)
            Leave(QStringLiteral("NOESCAPE: the loader tries the default again and again and never prompts."));
        return;
    }
    Print(Prompt);
    m_line.clear();
    m_cursor = m_shown = 0;
    m_historyAt = -1;
    m_state = State::Prompt;
    m_keyboardLeft = m_config.timeoutMs;
    m_totalLeft = m_config.totalTimeoutMs;
}

void LoaderSim::Leave(const QString& note)
{
    m_note = note;
    m_state = State::Done;
}

// The command line drawn again from column 0 of the cursor's row: prompt,
// text, blanks over what was longer, erased to the end in 07.
void LoaderSim::Redraw()
{
    const int shown = std::max<int>(static_cast<int>(m_line.size()), m_shown);
    m_console.SetCursor({ 0, m_console.Cursor().y });
    QByteArray text(Prompt.data(), static_cast<qsizetype>(Prompt.size()));
    text += m_line + QByteArray(shown - m_line.size(), ' ');
    DrawLoaderText(m_console, std::string_view(text.constData(), static_cast<std::size_t>(text.size())));
    EraseLoaderLine(m_console);
    const int endRow = m_console.Cursor().y;
    const int wrapped = static_cast<int>((Prompt.size() + shown) / Width);
    const int startRow = std::max(0, endRow - wrapped);
    const int at = static_cast<int>(Prompt.size()) + m_cursor;
    m_console.SetCursor({ at % Width, std::min(m_console.Rows() - 1, startRow + at / Width) });
    m_shown = static_cast<int>(m_line.size());
}

void LoaderSim::Give(const LoaderInput& input)
{
    if (input.kind == LoaderInput::Kind::Sleep)
        return Sleep(input.milliseconds);
    if (input.kind == LoaderInput::Kind::Timeout) {
        RunOutTimeout();
        return;
    }
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
    m_keyboardLeft = 0; // TIMEOUT waits for the first key only
    using Key = LoaderInput::Key;
    if (input.kind == LoaderInput::Kind::Character)
        return Press(input.character);
    switch (input.key) {
    case Key::F1:
    case Key::F2:
    case Key::F3:
    case Key::F4:
    case Key::F5:
    case Key::F6:
    case Key::F7:
    case Key::F8:
    case Key::F9:
    case Key::F10:
    case Key::F11:
    case Key::F12: return FunctionKey(static_cast<int>(input.key) - static_cast<int>(Key::F1));
    case Key::Enter: return Press('\r');
    case Key::Tab: return Press('\t');
    case Key::Escape: return Press('\x1b');
    case Key::Backspace: return Press('\b');
    case Key::Delete: return Press(KeyDelete);
    case Key::Up: return Press(KeyUp);
    case Key::Down: return Press(KeyDown);
    case Key::Left: return Press(KeyLeft);
    case Key::Right: return Press(KeyRight);
    case Key::Home: return Press(KeyHome);
    case Key::End: return Press(KeyEnd);
    default: return; // Page Up, Page Down and modified keys mean nothing at the prompt
    }
}

void LoaderSim::Press(int key)
{
    const int length = static_cast<int>(m_line.size());
    switch (key) {
    case Control('L'):
        ClearLoaderScreen(m_console);
        m_shown = 0;
        return Redraw();
    case '\r':
    case '\n': return Accept(false);
    case '\x1b':
    case Control('C'):
        // Leaves the line unused, as an empty Enter does.
        m_line.clear();
        return Accept(false);
    case '\b':
    case 0x7F:
        if (m_cursor > 0) {
            m_line.remove(--m_cursor, 1);
            Redraw();
        }
        return;
    case Control('D'):
    case KeyDelete:
        if (m_cursor < length) {
            m_line.remove(m_cursor, 1);
            Redraw();
        }
        return;
    case Control('U'):
        if (length > 0) {
            m_line.clear();
            m_cursor = 0;
            Redraw();
        }
        return;
    case Control('W'):
        if (m_cursor > 0) {
            int start = m_cursor;
            while (start > 0 && ConfigSyntax::IsBlank(m_line[start - 1]))
                --start;
            while (start > 0 && !ConfigSyntax::IsBlank(m_line[start - 1]))
                --start;
            m_line.remove(start, m_cursor - start);
            m_cursor = start;
            Redraw();
        }
        return;
    case KeyLeft:
    case Control('B'):
        if (m_cursor > 0) {
            --m_cursor;
            Redraw();
        }
        return;
    case KeyRight:
    case Control('F'):
        // Moves on by printing the character under the cursor again.
        if (m_cursor < length) {
            Print(std::string_view(m_line.constData() + m_cursor, 1));
            ++m_cursor;
        }
        return;
    case Control('K'):
        if (m_cursor < length) {
            m_line.truncate(m_cursor);
            Redraw();
        }
        return;
    case KeyHome:
    case Control('A'):
        if (m_cursor > 0) {
            m_cursor = 0;
            Redraw();
        }
        return;
    case KeyEnd:
    case Control('E'):
        if (m_cursor != length) {
            m_cursor = length;
            Redraw();
        }
        return;
    case KeyUp:
    case Control('P'):
    case KeyDown:
    case Control('N'): {
        if (m_history.empty())
            return;
        const bool older = key == KeyUp || key == Control('P');
        const int count = static_cast<int>(m_history.size());
        // Past either end of the history the line stays as it is.
        m_historyAt
            = older ? (m_historyAt + 1 > count ? 0 : m_historyAt + 1) : (m_historyAt < 0 ? count - 1 : m_historyAt - 1);
        if (m_historyAt >= 0 && m_historyAt < count)
            m_line = m_history[static_cast<std::size_t>(count - 1 - m_historyAt)];
        m_cursor = static_cast<int>(m_line.size());
        return Redraw();
    }
    case '\t':
        if (m_config.noComplete)
            return;
        ListLabels();
        return Redraw();
    default:
        if (key < ' ' || key > 0xFF || length >= 4095)
            return;
        if (m_cursor == length) {
            m_line += static_cast<char>(key);
            ++m_cursor;
            const char typed = static_cast<char>(key);
            Print(std::string_view(&typed, 1));
            ++m_shown;
        } else {
            m_line.insert(m_cursor++, static_cast<char>(key));
            Redraw();
        }
    }
}

// A help screen: a new line, the file by the display rules (nothing when
// it is missing), the prompt drawn again from column 0. An F-key without a
// file only draws the prompt again.
void LoaderSim::FunctionKey(int index)
{
    if (const std::optional<::FunctionKey>& key = m_config.functionKeys[static_cast<std::size_t>(index)]) {
        Print("\n");
        ShowFile(key->imagePath);
    }
    Redraw();
}

void LoaderSim::ListLabels()
{
    const QByteArray prefix = CommandWord(m_line);
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
    if (!timedOut && !m_line.isEmpty())
        m_history.push_back(m_line);
    Print("\n");
    const QByteArray command = timedOut ? QByteArray() : m_line;
    if (!command.isEmpty())
        Run(command);
    else if (timedOut && m_config.onTimeout)
        Run(*m_config.onTimeout);
    else
        AutoBoot(false);
    if (m_state == State::Done && m_note.isEmpty())
        EnterPrompt();
}

void LoaderSim::Sleep(int milliseconds)
{
    if (m_state == State::Menu) {
        m_menu->Sleep(milliseconds);
        return AfterMenu();
    }
    if (m_state != State::Prompt)
        return;
    long long deadline = 0;
    for (long long left : { m_keyboardLeft, m_totalLeft }) {
        if (left > 0)
            deadline = deadline == 0 ? left : std::min(deadline, left);
    }
    if (deadline > 0 && milliseconds >= deadline)
        return Accept(true);
    if (m_keyboardLeft > 0)
        m_keyboardLeft -= milliseconds;
    if (m_totalLeft > 0)
        m_totalLeft -= milliseconds;
}

bool LoaderSim::RunOutTimeout()
{
    if (m_state == State::Menu) {
        const bool ran = m_menu->RunOutTimeout();
        AfterMenu();
        return ran;
    }
    if (m_state != State::Prompt || (m_keyboardLeft <= 0 && m_totalLeft <= 0))
        return false;
    Accept(true);
    return true;
}

// A label's command line, or a command as typed; what it names is run.
void LoaderSim::Run(const QByteArray& command)
{
    if (const ConfigLabel* label = m_config.FindLabel(command)) {
        QByteArray line = label->CommandLine(m_config.globalAppend);
        if (const QByteArray arguments = CommandArguments(command); !arguments.isEmpty())
            line += ' ' + arguments;
        return Execute(line, KindOfCommandName(line));
    }
    if (!m_config.allowImplicit)
        return;
    QByteArray line = m_config.allowOptions ? command : CommandWord(command);
    KernelKind kind = KindOfCommandName(line);
    if (kind == KernelKind::Kernel) {
        // A name without an extension finds the file that has one.
        for (const auto& extension : KernelExtensions) {
            const QByteArray word = CommandWord(line) + extension.first;
            const std::optional<QByteArray> path = BootFiles::Resolve(m_folder, word);
            if (path && m_files.Exists(*path)) {
                line = word + line.mid(CommandWord(line).size());
                kind = KindOfCommandName(line);
                break;
            }
        }
    }
    Execute(line, kind);
}

// whichsys.c32 runs the command given for the loader it finds itself in:
// on a CD that is always the one after -iso-, up to the next -name-.
void LoaderSim::WhichSystem(const QByteArray& arguments)
{
    const QByteArrayList words = arguments.simplified().split(' ');
    const qsizetype iso = words.indexOf("-iso-");
    if (iso < 0)
        return Leave(QStringLiteral("whichsys.c32 names no command for ISOLINUX (-iso-): what it runs depends on "
                                    "the loader it finds, which this screen cannot tell."));
    QByteArrayList command;
    for (qsizetype at = iso + 1; at < words.size(); ++at) {
        const QByteArray& word = words[at];
        if (word.size() > 2 && word.startsWith('-') && word.endsWith('-'))
            break;
        command << word;
    }
    if (!command.isEmpty() && command.front() == "config")
        command.removeFirst();
    else if (command.isEmpty() || !(command.front().endsWith(".cfg") || command.front().endsWith(".conf")))
        return Run(command.join(' '));
    return Execute(command.join(' '), KernelKind::Config);
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
        const QByteArray module = kernel.mid(kernel.lastIndexOf('/') + 1);
        if (exists && module == "whichsys.c32")
            return WhichSystem(arguments);
        if (const std::optional<MenuKind> menu = MenuModuleKind(module); exists && menu)
            return StartMenu(arguments, menu == MenuKind::Graphical);
        if (exists)
            return Leave(QStringLiteral("The loader would run the module %1 (%2); modules are not played here.")
                             .arg(shown, QString::fromLatin1(*path)));
        return PrintBytes("Failed to load COM32 file " + kernel + "\n");
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
        // A boot sector or image that is not there fails without a word.
        if (exists)
            Leave(QStringLiteral("The loader would hand over to %1.").arg(QString::fromLatin1(*path)));
        return;
    default: {
        // "..." is left out when the command line says quiet anywhere.
        const bool quiet = command.contains("quiet");
        PrintBytes("Loading " + kernel + (quiet ? "" : "..."));
        if (!exists)
            return Print(" failed: No such file or directory\n");
        Print(" ok\n");
        return Leave(QStringLiteral("The loader would boot the kernel %1 with the options \"%2\".")
                         .arg(QString::fromLatin1(*path), QString::fromLatin1(arguments)));
    }
    }
}

QString LoaderSim::Note() const
{
    if (!m_note.isEmpty() || !m_menu)
        return m_note;
    return m_menu->Note();
}

// menu.c32 reads the files it is given, or the configuration the loader
// read, from the loader's current folder.
std::optional<LoaderSim::Graphics> LoaderSim::GraphicalMenu() const
{
    if (m_state != State::Menu || !m_graphics || !m_menu)
        return std::nullopt;
    return Graphics { *m_graphics, *m_menu, m_resolution.first, m_resolution.second, m_files, m_folder, m_font };
}

void LoaderSim::StartMenu(const QByteArray& arguments, bool graphical)
{
    MenuConfig config = ReadMenuConfig(m_files, m_folder, MenuFiles(arguments, m_folder, m_configPath), m_configPath);
    if (config.stop)
        return Leave(StopText(*config.stop));
    m_menu.reset();
    m_graphics.reset();
    if (graphical) {
        // The grid fits the resolution in rows of the font's height: the
        // last FONT that reads, or the VGA BIOS's 16.
        m_resolution = MenuResolution(config);
        m_font.reset();
        if (std::optional<AppliedFont> applied = FontThatApplies(m_config, m_files))
            m_font = std::move(applied->font);
        m_graphicsMeasurer = std::make_unique<FixedCellMeasurer>(VgaDots::Eight);
        m_graphics = std::make_unique<TColorConsole>(*m_graphicsMeasurer);
        m_graphics->SetCols(GridColumns(m_resolution.first));
        m_graphics->SetRows(GridRows(m_resolution.second, m_font ? m_font->height : 16));
        m_menu = std::make_unique<MenuSim>(*m_graphics, m_files, m_folder, std::move(config));
        m_menu->KeepTableIndices();
    } else {
        m_menu = std::make_unique<MenuSim>(m_console, m_files, m_folder, std::move(config));
    }
    m_state = State::Menu;
    m_menu->Start();
    AfterMenu();
}

// What the menu's end leads to: the prompt when it is left, the command it
// chose run by the loader; a command that fails brings the menu back.
void LoaderSim::AfterMenu()
{
    while (m_state == State::Menu && m_menu->State() != MenuSim::Outcome::Running) {
        std::unique_ptr<MenuSim> menu = std::move(m_menu);
        m_state = State::Done;
        if (menu->State() == MenuSim::Outcome::Exit) {
            if (!m_starting)
                EnterPrompt();
            return;
        }
        std::optional<QByteArray> command = menu->Command();
        for (int tries = 0; command && tries < 2; ++tries) {
            Execute(*command, KindOfCommandName(*command));
            if (!m_note.isEmpty() || m_state != State::Done)
                return; // booted, or another menu, prompt or configuration took over
            command = tries == 0 ? menu->OnError() : std::nullopt;
        }
        m_menu = std::move(menu);
        m_state = State::Menu;
        m_menu->Resume();
    }
}
