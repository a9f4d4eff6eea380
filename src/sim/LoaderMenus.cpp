// The loader running a menu module: menu.c32 on its screen, vesamenu.c32
// in a video mode of its own or on the text screen, and what the menu's
// end leads to.
#include "LoaderSim.h"

#include "VersionRules.h"

#include "boot/BootRendering.h"
#include "config/ConfigSet.h"
#include "console/ColorConsole.h"

Vesa::MenuFrame MenuGrid(const TColorConsole& grid, const MenuSim& menu)
{
    Vesa::MenuFrame frame;
    frame.cols = grid.Cols();
    frame.rows = grid.Rows();
    const AnsiConsole& console = menu.Console();
    for (int row = 0; row < frame.rows; ++row) {
        for (int column = 0; column < frame.cols; ++column)
            frame.cells.push_back({ static_cast<std::uint8_t>(grid.CharAt(column, row)),
                static_cast<std::uint16_t>(console.TableIndexAt(column, row)) });
    }
    if (menu.CursorShown())
        frame.cursor = std::pair(grid.Cursor().x, grid.Cursor().y);
    frame.colours = menu.Config().At(menu.MenuIndex()).colours;
    frame.background = menu.Background();
    return frame;
}

std::optional<LoaderSim::Graphics> LoaderSim::GraphicalMenu() const
{
    if (m_state != State::Menu || !m_graphics || !m_menu)
        return std::nullopt;
    Graphics frame = MenuGrid(*m_graphics, *m_menu);
    frame.width = m_mode.width;
    frame.height = m_mode.height;
    frame.font = m_font;
    frame.files = &m_files;
    frame.folder = m_folder;
    frame.tiles = VersionRules::BackgroundTiles(m_version);
    frame.blackWithoutBackground = VersionRules::NoBackgroundHangs(m_version);
    return frame;
}

// menu.c32 reads the files it is given, or the configuration the loader
// read, from the loader's current folder. Without a video mode of its size
// vesamenu.c32 runs on the text screen.
void LoaderSim::StartMenu(const QByteArray& arguments, bool graphical)
{
    MenuConfig config = ReadMenuConfig(m_files, m_folder, MenuFiles(arguments, m_folder, m_configPath), m_configPath);
    if (config.stop)
        return Leave(StopText(*config.stop));
    m_menu.reset();
    m_graphics.reset();
    // The grid fits the resolution in rows of the font's height: the last
    // FONT that reads, or the VGA BIOS's.
    m_font.reset();
    if (std::optional<AppliedFont> applied = graphical ? FontThatApplies(m_config, m_files) : std::nullopt)
        m_font = std::move(applied->font);
    m_mode = Vesa::ModeFor(MenuResolution(config), m_font ? m_font->height : Vesa::BiosFontHeight);
    m_videoMode = graphical && m_mode.graphical;
    if (m_videoMode) {
        m_graphicsMeasurer = std::make_unique<FixedCellMeasurer>(VgaDots::Eight);
        m_graphics = std::make_unique<TColorConsole>(*m_graphicsMeasurer);
        m_graphics->SetCols(m_mode.cols);
        m_graphics->SetRows(m_mode.rows);
        m_menu = std::make_unique<MenuSim>(*m_graphics, m_files, m_folder, std::move(config), m_version);
        m_menu->KeepTableIndices();
    } else {
        m_menu = std::make_unique<MenuSim>(m_console, m_files, m_folder, std::move(config), m_version);
        if (graphical)
            m_menu->SetNote(QStringLiteral("vesamenu.c32 finds no %1 x %2 video mode (MENU RESOLUTION) in QEMU's VGA "
                                           "BIOS and runs on the text screen, as menu.c32 does.")
                                .arg(m_mode.width)
                                .arg(m_mode.height));
    }
    m_state = State::Menu;
    if (m_portOpen)
        m_menu->TapSerial();
    m_menu->Start();
    AfterMenu();
}

// ldlinux.c32 after a module: if a graphical menu set a video mode, its
// console sets text mode again, the screen blank and the cursor at the top
// left (ansicon_write.c).
void LoaderSim::LeaveVideoMode()
{
    if (std::exchange(m_videoMode, false))
        ClearLoaderScreen(m_console);
}

// What the menu's end leads to: the prompt when it is left or a module it
// runs returns, the command it chose run by the loader; a kernel that fails
// brings the menu back.
// The menu's own reading put the entry's IPAPPEND strings after its line.
QByteArray LoaderSim::WithEntryAppends(const MenuSim& menu) const
{
    const Menu& shown = menu.Config().At(menu.MenuIndex());
    if (menu.Entry() < 0 || menu.Entry() >= static_cast<int>(shown.entries.size()))
        return menu.Command();
    const MenuEntry& entry = shown.entries[static_cast<std::size_t>(menu.Entry())];
    if (entry.commandLine != menu.Command())
        return menu.Command();
    QByteArray line = menu.Command();
    for (const QByteArray& option : SysAppendStrings(entry.ipAppend, m_machine).options)
        line += ' ' + option;
    return line;
}

void LoaderSim::AfterMenu()
{
    TakeMenuSerial();
    while (m_state == State::Menu && m_menu->State() != MenuSim::Outcome::Running) {
        std::unique_ptr<MenuSim> menu = std::move(m_menu);
        m_state = State::Done;
        std::optional<QByteArray> command;
        if (menu->State() == MenuSim::Outcome::Run)
            command = WithEntryAppends(*menu);
        m_moduleReturned = menu->State() == MenuSim::Outcome::Exit;
        for (int tries = 0; command && tries < 2 && !m_moduleReturned; ++tries) {
            Execute(*command, KindOfCommandName(*command));
            if (!m_note.isEmpty() || m_state != State::Done)
                return; // booted, or another menu, prompt or configuration took over
            command = tries == 0 ? menu->OnError() : std::nullopt;
        }
        if (m_moduleReturned) {
            LeaveVideoMode();
            if (!m_starting)
                EnterPrompt();
            return;
        }
        m_menu = std::move(menu);
        m_state = State::Menu;
        m_menu->Resume();
        TakeMenuSerial();
    }
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
