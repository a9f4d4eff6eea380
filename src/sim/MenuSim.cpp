// menu.c32's state machine: run_menu's loop top, the hidden menu, the
// timeout and the end.
#include "MenuSim.h"

#include "KeyCodes.h"
#include "MenuDetail.h"
#include "console/ColorConsole.h"

using namespace MenuDetail;

MenuSim::MenuSim(
    TColorConsole& console, const BootFiles& files, QByteArray folder, MenuConfig config, LoaderVersion version)
    : m_draw(
        console, [this] { NoRoom(); }, std::move(version))
    , m_files(files)
    , m_folder(std::move(folder))
    , m_config(std::move(config))
{
    for (const Menu& menu : m_config.menus)
        m_current.push_back(menu.defaultEntry);
    m_tops.assign(m_config.menus.size(), 0);
    m_totalLeft = m_totalAtWait = m_config.totalTimeoutMs;
    m_hidden = m_config.hidden;
    m_menu = m_config.start;
}

void MenuSim::Start()
{
    if (Current().entries.empty()) {
        Print("Initial menu has no LABEL entries!\n");
        m_outcome = Outcome::Exit;
        return;
    }
    RunMenu();
}

void MenuSim::Resume()
{
    m_outcome = Outcome::Running;
    m_command.clear();
    RunMenu();
}

// prepare_screen_for_menu: the menu's colour table and its background.
void MenuSim::UseColours()
{
    m_background = Current().background.isEmpty() ? std::nullopt : std::optional(Current().background);
    Draw().UseColours();
}

void MenuSim::NoRoom()
{
    m_note = QStringLiteral("The menu's box has no room (MENU WIDTH less than twice MENU MARGIN plus 4): the "
                            "real menu.c32 overruns its buffers or never finishes drawing.");
}

// run_menu from its start: the shift key, the hidden menu, then the loop.
void MenuSim::RunMenu()
{
    m_wait = Wait::None;
    m_entry = m_current[static_cast<std::size_t>(m_menu)];
    m_top = m_tops[static_cast<std::size_t>(m_menu)];
    m_prevEntry = m_prevTop = -1;
    m_clear = 1;
    // The countdown's clock_t, which a negative TIMEOUT makes huge.
    m_timeoutLeft = m_keyTimeout = static_cast<std::uint32_t>(Current().timeoutMs);
    if (m_config.shiftKey) {
        // Shift is not held: the default runs at once (and only once here).
        m_config.shiftKey = false;
        m_note = QStringLiteral("MENU SHIFTKEY: the menu shows only while Shift is held; without it the default runs.");
        return Finish(CommandOf(EntryAt(Current().defaultEntry)));
    }
    UseColours();
    if (m_hidden) {
        Draw().ClearScreen();
        m_hiddenLeft = Current().timeoutMs;
        return HiddenWait();
    }
    Settle();
}

// The hidden menu counts in a signed int: a negative TIMEOUT shows its
// negative seconds and waits one long step of its clock_t.
void MenuSim::HiddenWait()
{
    if (Current().timeoutMs != 0 && m_hiddenLeft == 0)
        return TimedOut();
    Draw().Timeout(
        static_cast<int>(m_hiddenLeft / Tick), Layout().HiddenRow(), Current().Message(MenuMessage::AutoBoot));
    m_hiddenStep = std::min(m_hiddenLeft, Tick);
    Await(Wait::Hidden, static_cast<std::uint32_t>(m_hiddenStep));
}

void MenuSim::HiddenKey(int key)
{
    if (key == KeyCodes::KeyNone) {
        m_hiddenLeft -= m_hiddenStep;
        return HiddenWait();
    }
    Draw().Timeout(0, Layout().HiddenRow(), "");
    // The key only shows the menu; its countdown is over.
    m_hidden = false;
    m_keyTimeout = 0;
    Settle();
}

// The list scrolled so that the entry shows, as run_menu keeps its top.
void MenuSim::KeepInView()
{
    const int count = static_cast<int>(Current().entries.size());
    const int rows = Layout().Rows();
    if (m_top < 0 || m_top < m_entry - rows + 1)
        m_top = std::max(0, m_entry - rows + 1);
    else if (m_top > m_entry || m_top > std::max(0, count - rows))
        m_top = std::min(m_entry, std::max(0, count - rows));
}

// The loop's top: the entry kept off disabled ones, the list scrolled to
// it, as much drawn as changed, the countdown shown, then a key awaited.
void MenuSim::Settle()
{
    const Menu& menu = Current();
    const int count = static_cast<int>(menu.entries.size());
    if (m_entry <= 0) {
        m_entry = 0;
        while (m_entry < count && menu.Disabled(m_entry))
            ++m_entry;
    }
    if (m_entry >= count - 1) {
        m_entry = count - 1;
        while (m_entry > 0 && menu.Disabled(m_entry))
            --m_entry;
    }
    KeepInView();
    if (m_clear) {
        if (m_clear >= 2)
            UseColours();
        Draw().ClearScreen();
        m_clear = 0;
        m_prevEntry = m_prevTop = -1;
    }
    const MenuEntry* entry = EntryAt(m_entry);
    const QByteArray* help = !entry || entry->helpText.isNull() ? nullptr : &entry->helpText;
    if (m_top != m_prevTop) {
        Draw().Box(m_entry, m_top, true);
        m_draw.Help(help);
    } else if (m_entry != m_prevEntry) {
        Draw().Entry(m_prevEntry, m_entry, m_top);
        m_draw.Entry(m_entry, m_entry, m_top);
        m_draw.Help(help);
    }
    m_prevEntry = m_entry;
    m_prevTop = m_top;
    m_current[static_cast<std::size_t>(m_menu)] = m_entry;
    m_tops[static_cast<std::size_t>(m_menu)] = m_top;
    if (m_entry != menu.defaultEntry)
        m_keyTimeout = 0;
    m_toClear = m_keyTimeout != 0;
    if (m_toClear)
        Draw().Timeout(
            static_cast<int>(m_timeoutLeft / Tick), Layout().TimeoutRow(), menu.Message(MenuMessage::AutoBoot));
    Await(Wait::Menu, std::min({ m_keyTimeout, m_timeoutLeft, Tick }));
}

// The timeout: the default entry (or ONTIMEOUT) shown and run.
void MenuSim::TimedOut()
{
    const Menu& menu = Current();
    if (m_wait == Wait::Hidden) {
        Draw().Timeout(0, Layout().HiddenRow(), "");
        const std::optional<QByteArray> command
            = menu.onTimeout ? menu.onTimeout : CommandOf(EntryAt(menu.defaultEntry));
        if (command && !command->isEmpty())
            return Finish(command);
        m_hidden = false;
        m_keyTimeout = 0;
        return Settle();
    }
    m_entry = menu.defaultEntry;
    KeepInView();
    Draw().Box(menu.onTimeout ? -1 : m_entry, m_top, true);
    const std::optional<QByteArray> command = menu.onTimeout ? menu.onTimeout : CommandOf(EntryAt(m_entry));
    Finish(command && !command->isEmpty() ? command : std::nullopt);
}

void MenuSim::Finish(std::optional<QByteArray> command)
{
    m_wait = Wait::None;
    if (m_config.clear)
        Draw().ClearScreen();
    Print("\033[?25h" + MoveTo(Layout().EndRow(), 1) + "\033[0m");
    m_outcome = command ? Outcome::Run : Outcome::Exit;
    m_command = command.value_or(QByteArray());
}
