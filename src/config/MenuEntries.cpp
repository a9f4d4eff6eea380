// menu.c32's reader making entries and menus, and linking them once all
// is read: GOTO and EXIT targets, labels, DEFAULT beside UI.
#include "ConfigSyntax.h"
#include "MenuReader.h"

using namespace ConfigSyntax;

namespace MenuReading {

void MenuReader::BeginSubmenu(const QByteArray& tag, const ConfigPlace& place)
{
    if (!m_reading.Keep(place, static_cast<qint64>(m_config.menus.size()), Limits::Menus, "menus"))
        return;
    Menu& parent = Current();
    MenuEntry entry;
    entry.displayName = tag;
    entry.action = MenuAction::Submenu;
    entry.submenu = static_cast<int>(m_config.menus.size());
    entry.place = place;
    parent.entries.push_back(entry);
    m_created.emplace_back(m_menu, static_cast<int>(parent.entries.size()) - 1);

    Menu menu;
    menu.label = tag;
    menu.parent = m_menu;
    menu.parentEntry = static_cast<int>(parent.entries.size()) - 1;
    menu.params = parent.params;
    menu.colours = parent.colours;
    menu.messages = parent.messages;
    menu.functionKeys = parent.functionKeys;
    menu.allowEdit = parent.allowEdit;
    menu.timeoutMs = parent.timeoutMs;
    menu.onTimeout = parent.onTimeout;
    menu.onError = parent.onError;
    menu.masterPassword = parent.masterPassword;
    menu.background = parent.background;
    menu.backgroundPlace = parent.backgroundPlace;
    menu.place = place;
    m_config.menus.push_back(std::move(menu));
    m_menu = static_cast<int>(m_config.menus.size()) - 1;
    m_titleFollowsTag.resize(m_config.menus.size(), false);
    m_titleFollowsTag.back() = true;
}

void MenuReader::EndSubmenu()
{
    if (Current().parent >= 0)
        m_menu = Current().parent;
}

void MenuReader::ConsiderHotkey(int menuIndex, int entryIndex)
{
    Menu& menu = m_config.menus[static_cast<std::size_t>(menuIndex)];
    MenuEntry& entry = menu.entries[static_cast<std::size_t>(entryIndex)];
    const qsizetype caret = entry.displayName.indexOf('^');
    if (entry.action == MenuAction::Disabled || caret < 0 || caret + 1 >= entry.displayName.size())
        return;
    const auto hotkey = static_cast<unsigned char>(entry.displayName[caret + 1] & ~0x20);
    if (menu.hotkeys[hotkey] == 0) {
        entry.hotkey = hotkey;
        menu.hotkeys[hotkey] = entryIndex + 1;
    }
}

void MenuReader::Record()
{
    if (!m_label.label
        || !m_reading.Keep(m_label.place, static_cast<qint64>(m_created.size()), Limits::ConfigItems, "menu entries"))
        return;
    const int menuIndex = m_label.hide ? MenuConfig::HiddenMenu : m_menu;
    Menu& menu = m_config.menus[static_cast<std::size_t>(menuIndex)];
    MenuEntry entry;
    entry.displayName = m_label.menuLabel.value_or(*m_label.label);
    entry.label = *m_label.label;
    entry.password = m_label.password;
    entry.helpText = m_label.helpText;
    entry.action = m_label.action.value_or(MenuAction::Command);
    entry.submenu = m_label.submenu;
    entry.place = m_label.place;
    if (m_label.indent != 0)
        entry.displayName.prepend(
            QByteArray(std::min(std::abs(qint64 { m_label.indent }), qint64 { Limits::MenuLayout }), ' '));
    if (m_label.separator)
        entry.displayName.clear();
    if (m_label.separator || m_label.disabled) {
        entry.action = MenuAction::Disabled;
        entry.label.clear();
        entry.password.reset();
    }
    switch (entry.action) {
    case MenuAction::Command:
        entry.commandLine = m_label.command.CommandLine(m_globalAppend);
        entry.ipAppend = m_label.command.ipAppend;
        break;
    case MenuAction::Goto:
    case MenuAction::Exit:
        if (entry.submenu < 0)
            entry.commandLine = m_label.target; // the menu's name, found when all are read
        break;
    case MenuAction::Help:
        entry.commandLine = m_label.command.kernel;
        entry.helpBackground = m_label.command.append.value_or(QByteArray());
        break;
    default: break;
    }
    menu.entries.push_back(entry);
    const int index = static_cast<int>(menu.entries.size()) - 1;
    m_created.emplace_back(menuIndex, index);
    if (m_label.menuLabel)
        ConsiderHotkey(menuIndex, index);
    if (m_label.isDefault && (entry.action == MenuAction::Command || entry.action == MenuAction::Goto)) {
        menu.defaultEntry = index;
    }
    m_label = {};
}

QByteArray MenuReader::Unlabel(const QByteArray& command) const
{
    if (const auto found = m_config.FindLabel(CommandWord(command))) {
        const MenuEntry& entry = m_config.At(found->first).entries[static_cast<std::size_t>(found->second)];
        return entry.commandLine + command.mid(CommandWord(command).size());
    }
    return command;
}

void MenuReader::Finish()
{
    Record();
    m_config.stop = m_reading.Stop();
    // Separators and disabled entries have no label to find.
    for (const auto& [menuIndex, entryIndex] : m_created) {
        const QByteArray& label
            = m_config.menus[static_cast<std::size_t>(menuIndex)].entries[static_cast<std::size_t>(entryIndex)].label;
        if (!label.isEmpty() && !m_config.labelIndex.contains(label))
            m_config.labelIndex.insert(label, { menuIndex, entryIndex });
    }
    // A goto or exit names a menu; the last one made of that name wins,
    // and a name no menu has disables the entry.
    for (auto& [menuIndex, entryIndex] : m_created) {
        MenuEntry& entry
            = m_config.menus[static_cast<std::size_t>(menuIndex)].entries[static_cast<std::size_t>(entryIndex)];
        if ((entry.action != MenuAction::Goto && entry.action != MenuAction::Exit) || entry.submenu >= 0)
            continue;
        for (int menu = static_cast<int>(m_config.menus.size()) - 1; menu >= 0 && entry.submenu < 0; --menu) {
            if (m_config.At(menu).label == entry.commandLine)
                entry.submenu = menu;
        }
        entry.commandLine.clear();
        if (entry.submenu < 0)
            entry.action = MenuAction::Disabled;
    }
    // DEFAULT picks the start menu and its entry, but only beside a UI line.
    if (m_hasUi && m_globalDefault) {
        if (const auto found = m_config.FindLabel(CommandWord(*m_globalDefault));
            found && found->first != MenuConfig::HiddenMenu) {
            m_config.menus[static_cast<std::size_t>(found->first)].defaultEntry = found->second;
            m_config.start = found->first;
        }
    }
    for (Menu& menu : m_config.menus) {
        if (menu.onTimeout)
            menu.onTimeout = Unlabel(*menu.onTimeout);
        if (menu.onError)
            menu.onError = Unlabel(*menu.onError);
        if (menu.defaultEntry >= 0 && menu.defaultEntry < static_cast<int>(menu.entries.size()))
            menu.entries[static_cast<std::size_t>(menu.defaultEntry)].isDefault = true;
    }
}

}

std::optional<std::pair<int, int>> MenuConfig::FindLabel(const QByteArray& word) const
{
    const auto found = labelIndex.constFind(word);
    return found == labelIndex.constEnd() ? std::nullopt : std::optional(*found);
}

MenuConfig ReadMenuConfig(const BootFiles& files, const QByteArray& folder, const std::vector<QByteArray>& configPaths,
    const QByteArray& mainConfig)
{
    MenuConfig config;
    MenuReading::MenuReader reader(files, folder, mainConfig, config);
    for (const QByteArray& path : configPaths)
        reader.Parse(path, { path, 0 });
    reader.Finish();
    return config;
}
