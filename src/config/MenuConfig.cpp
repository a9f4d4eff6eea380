#include "MenuConfig.h"

#include "ConfigReading.h"
#include "ConfigSyntax.h"
#include "common/Limits.h"

using namespace ConfigSyntax;

namespace {

constexpr std::array<std::pair<const char*, const char*>, 4> DefaultMessages = { {
    { "autoboot", "Automatic boot in # second{,s}..." },
    { "tabmsg", "Press [Tab] to edit options" },
    { "notabmsg", "" },
    { "passprompt", "Password required" },
} };

// A LABEL being read, until the next LABEL, MENU BEGIN/END or SEPARATOR
// records it.
struct LabelData {
    std::optional<QByteArray> label;
    ConfigLabel command;
    std::optional<QByteArray> menuLabel;
    std::optional<QByteArray> password;
    QByteArray helpText;
    bool hide = false;
    bool isDefault = false;
    bool separator = false;
    bool disabled = false;
    int indent = 0;
    std::optional<MenuAction> action;
    QByteArray target; // the menu a goto or exit names, until all menus are known
    int submenu = -1;
    ConfigPlace place;
};

class MenuReader {
public:
    MenuReader(const BootFiles& files, const QByteArray& folder, const QByteArray& mainConfig, MenuConfig& config)
        : m_reading(files, Limits::MenuNesting, "menu.c32 (and vesamenu.c32)")
        , m_folder(folder)
        , m_mainConfig(mainConfig)
        , m_config(config)
    {
        m_config.menus.resize(2);
        for (Menu& menu : m_config.menus) {
            for (std::size_t param = 0; param < MenuParamCount; ++param)
                menu.params[param] = MenuParamInfos[param].value;
            for (std::size_t message = 0; message < DefaultMessages.size(); ++message)
                menu.messages[message] = DefaultMessages[message].second;
        }
        m_config.menus[MenuConfig::HiddenMenu].label = ".hidden";
        m_config.menus[MenuConfig::RootMenu].label = ".top";
    }

    void Parse(const QByteArray& name, const ConfigPlace& from);
    void Finish();

private:
    enum class Text { None, Unknown, Help };
    bool Line(char* raw, const ConfigPlace& place, Text& text);
    void LoaderLine(const char* p);
    void MenuLine(const char* p, const ConfigPlace& place);
    bool NamingLine(const char* p);
    bool EntryLine(const char* p, const ConfigPlace& place);
    void SettingLine(const char* p, const ConfigPlace& place);
    bool Numbered(const char* p);
    MenuEntry* ParentEntry();
    void Include(const char* p, const ConfigPlace& place);
    void Record();
    void BeginSubmenu(const QByteArray& tag, const ConfigPlace& place);
    void EndSubmenu();
    void ConsiderHotkey(int menu, int entry);
    Menu& Current() { return m_config.menus[static_cast<std::size_t>(m_menu)]; }
    QByteArray Unlabel(const QByteArray& command) const;

    ConfigReading m_reading;
    QByteArray m_folder;
    QByteArray m_mainConfig;
    MenuConfig& m_config;
    int m_menu = MenuConfig::RootMenu;
    LabelData m_label;
    QByteArray m_globalAppend;
    bool m_hasUi = false;
    std::optional<QByteArray> m_globalDefault;
    std::vector<std::pair<int, int>> m_created; // every entry in the order it was made
    std::vector<bool> m_titleFollowsTag; // by menu: its entry still shows the MENU BEGIN tag
};

// A name as parse_one_config opens it: "~" is the loader's configuration.
void MenuReader::Parse(const QByteArray& name, const ConfigPlace& from)
{
    const std::optional<QByteArray> path
        = name == "~" && !m_mainConfig.isEmpty() ? m_mainConfig : BootFiles::Resolve(m_folder, name);
    if (!m_reading.Open(from))
        return;
    const BootFiles::Fetched& fetched
        = path ? m_reading.Fetch(*path) : BootFiles::Fetched { BootFiles::Fetched::Failure::Outside, {}, {} };
    const bool found = fetched.failure == BootFiles::Fetched::Failure::None;
    m_config.files.push_back({ path.value_or(name), found, from, fetched.failure, fetched.reason });
    // A TEXT block ends with its file, read by the file's own fgets.
    Text text = Text::None;
    if (found && m_reading.Bytes(from, fetched.bytes.size())) {
        const QByteArray bytes = fetched.bytes;
        const QByteArray imagePath = *path;
        ForEachLine(bytes, [&](char* line, int number, bool) { return Line(line, { imagePath, number }, text); });
    }
    m_reading.Close();
}

bool MenuReader::Line(char* raw, const ConfigPlace& place, Text& text)
{
    if (!m_reading.Line(place))
        return false;
    // Inside TEXT the lines are taken whole, CR and LF included.
    if (text != Text::None) {
        if (LookingAt(SkipBlanks(raw), "endtext"))
            text = Text::None;
        else if (text == Text::Help)
            m_label.helpText += raw;
        return true;
    }
    const char* p = SkipBlanks(CutLine(raw));
    const char* ep = nullptr;
    int key = 0;
    if (LookingAt(p, "menu")) {
        MenuLine(SkipBlanks(p + 4), place);
    } else if (LookingAt(p, "text")) {
        text = LookingAt(SkipBlanks(p + 4), "help") ? Text::Help : Text::Unknown;
    } else if ((ep = FunctionKeyAt(p, key))) {
        Current().functionKeys[static_cast<std::size_t>(key)] = ReadFunctionKey(ep, m_folder, place);
    } else if ((ep = LookingAt(p, "include"))) {
        Include(ep, place);
    } else if (LookingAt(p, "append")) {
        (m_label.label ? m_label.command.append.emplace() : m_globalAppend) = SkipBlanks(p + 6);
    } else if (LookingAt(p, "initrd")) {
        if (m_label.label)
            m_label.command.initrd = SkipBlanks(p + 6);
    } else if (LookingAt(p, "label")) {
        Record();
        m_label = {};
        m_label.label = SkipBlanks(p + 5);
        m_label.command.name = *m_label.label;
        m_label.command.kernel = *m_label.label;
        m_label.place = place;
    } else {
        LoaderLine(p);
    }
    return !m_reading.Stopped();
}

// The loader's own lines the module reads too: a label's kernel, the
// timeouts, ALLOWOPTIONS, DEFAULT and UI.
void MenuReader::LoaderLine(const char* p)
{
    for (int kind = 0; kind <= static_cast<int>(KernelKind::Config); ++kind) {
        if (const char* ep = LookingAt(p, KernelKindWord(static_cast<KernelKind>(kind)))) {
            if (m_label.label) {
                m_label.command.kernel = SkipBlanks(ep);
                m_label.command.kind = static_cast<KernelKind>(kind);
            }
            return;
        }
    }
    if (LookingAt(p, "timeout"))
        Current().timeoutMs = TimeoutMs(p + 7);
    else if (LookingAt(p, "totaltimeout"))
        m_config.totalTimeoutMs = TotalTimeoutMs(p + 13);
    else if (LookingAt(p, "ontimeout"))
        Current().onTimeout = SkipBlanks(p + 9);
    else if (LookingAt(p, "allowoptions"))
        Current().allowEdit = Number(p + 12) != 0;
    else if (LookingAt(p, "default"))
        m_globalDefault = SkipBlanks(p + 7);
    else if (LookingAt(p, "ui"))
        m_hasUi = true;
}

void MenuReader::MenuLine(const char* p, const ConfigPlace& place)
{
    if (!NamingLine(p) && !EntryLine(p, place))
        SettingLine(p, place);
}

MenuEntry* MenuReader::ParentEntry()
{
    const Menu& menu = Current();
    if (menu.parent < 0 || menu.parentEntry < 0)
        return nullptr;
    return &m_config.menus[static_cast<std::size_t>(menu.parent)].entries[static_cast<std::size_t>(menu.parentEntry)];
}

// What names the label being read, or the submenu when none is: MENU
// LABEL, TITLE, DEFAULT, HIDE, PASSWD.
bool MenuReader::NamingLine(const char* p)
{
    Menu& menu = Current();
    if (LookingAt(p, "label")) {
        const QByteArray text = SkipBlanks(p + 5);
        if (m_label.label) {
            m_label.menuLabel = text;
        } else if (MenuEntry* entry = ParentEntry()) {
            entry->displayName = text;
            m_titleFollowsTag[static_cast<std::size_t>(m_menu)] = false;
            ConsiderHotkey(menu.parent, menu.parentEntry);
            if (menu.title.isEmpty())
                menu.title = QByteArray(text).replace('^', "");
        }
    } else if (LookingAt(p, "title")) {
        menu.title = SkipBlanks(p + 5);
        if (MenuEntry* entry = ParentEntry(); entry && m_titleFollowsTag[static_cast<std::size_t>(m_menu)]) {
            entry->displayName = menu.title;
            m_titleFollowsTag[static_cast<std::size_t>(m_menu)] = false;
        }
    } else if (LookingAt(p, "default")) {
        if (m_label.label)
            m_label.isDefault = true;
        else if (ParentEntry())
            m_config.menus[static_cast<std::size_t>(menu.parent)].defaultEntry = menu.parentEntry;
    } else if (LookingAt(p, "hide")) {
        m_label.hide = true;
    } else if (LookingAt(p, "passwd")) {
        if (m_label.label)
            m_label.password = SkipBlanks(p + 6);
        else if (MenuEntry* entry = ParentEntry())
            entry->password = SkipBlanks(p + 6);
    } else {
        return false;
    }
    return true;
}

// What makes entries and menus, or says what an entry does.
bool MenuReader::EntryLine(const char* p, const ConfigPlace& place)
{
    const Menu& menu = Current();
    if (LookingAt(p, "separator")) {
        Record();
        m_label = {};
        m_label.label = QByteArray();
        m_label.separator = true;
        m_label.place = place;
        Record();
    } else if (LookingAt(p, "disable") || LookingAt(p, "disabled")) {
        m_label.disabled = true;
    } else if (LookingAt(p, "indent")) {
        m_label.indent = Number(p + 6);
    } else if (LookingAt(p, "begin")) {
        Record();
        BeginSubmenu(SkipBlanks(p + 5), place);
    } else if (LookingAt(p, "end")) {
        Record();
        EndSubmenu();
    } else if (LookingAt(p, "quit")) {
        if (m_label.label)
            m_label.action = MenuAction::Quit;
    } else if (LookingAt(p, "goto")) {
        if (m_label.label) {
            m_label.action = MenuAction::Goto;
            m_label.target = SkipBlanks(p + 4);
        }
    } else if (LookingAt(p, "exit")) {
        const char* target = SkipBlanks(p + 4);
        if (m_label.label && menu.parent >= 0) {
            m_label.action = MenuAction::Exit;
            m_label.target = target;
            m_label.submenu = *target ? -1 : menu.parent;
        }
    } else if (LookingAt(p, "start")) {
        m_config.start = m_menu;
    } else if (LookingAt(p, "help")) {
        if (m_label.label) {
            const char* name = SkipBlanks(p + 4);
            m_label.action = MenuAction::Help;
            m_label.command.kernel = Word(name);
            m_label.command.append = Word(SkipBlanks(name + m_label.command.kernel.size()));
        }
    } else {
        return false;
    }
    return true;
}

// The menu's and the module's settings; a word it does not know is kept.
void MenuReader::SettingLine(const char* p, const ConfigPlace& place)
{
    Menu& menu = Current();
    const char* ep = nullptr;
    if (LookingAt(p, "shiftkey")) {
        m_config.shiftKey = true;
    } else if (LookingAt(p, "onerror")) {
        menu.onError = SkipBlanks(p + 7);
    } else if (LookingAt(p, "master")) {
        const char* q = SkipBlanks(p + 6);
        if (LookingAt(q, "passwd"))
            menu.masterPassword = SkipBlanks(q + 6);
    } else if ((ep = LookingAt(p, "include"))) {
        Include(ep, place);
    } else if ((ep = LookingAt(p, "background"))) {
        menu.background = Word(SkipBlanks(ep));
        menu.backgroundPlace = place;
    } else if (LookingAt(p, "hidden")) {
        m_config.hidden = true;
    } else if (LookingAt(p, "clear")) {
        m_config.clear = true;
    } else if ((ep = LookingAt(p, "color")) || (ep = LookingAt(p, "colour"))) {
        menu.colours.ReadColour(SkipBlanks(ep), place);
    } else if ((ep = LookingAt(p, "msgcolor")) || (ep = LookingAt(p, "msgcolour"))) {
        menu.colours.ReadMessageColours(ep);
    } else if ((ep = LookingAt(p, "resolution"))) {
        m_config.resolution = SkipBlanks(ep);
        m_config.resolutionPlace = place;
    } else if (!Numbered(p)) {
        if (m_config.ignored.size() < static_cast<std::size_t>(Limits::Findings))
            m_config.ignored.push_back({ place, Word(p) });
    }
}

// A message or a layout number.
bool MenuReader::Numbered(const char* p)
{
    const char* ep = nullptr;
    for (std::size_t message = 0; message < DefaultMessages.size(); ++message) {
        if ((ep = LookingAt(p, DefaultMessages[message].first))) {
            Current().messages[message] = SkipBlanks(ep);
            return true;
        }
    }
    for (std::size_t param = 0; param < MenuParamCount; ++param) {
        if ((ep = LookingAt(p, MenuParamInfos[param].keyword))) {
            Current().params[param] = Number(ep);
            return true;
        }
    }
    return false;
}

void MenuReader::Include(const char* p, const ConfigPlace& place)
{
    const char* name = SkipBlanks(p);
    const QByteArray file = Word(name);
    const QByteArray tag = SkipBlanks(name + file.size());
    if (tag.isEmpty())
        return Parse(file, place);
    Record();
    BeginSubmenu(tag, m_label.place);
    Parse(file, place);
    Record();
    EndSubmenu();
}

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
    case MenuAction::Command: entry.commandLine = m_label.command.CommandLine(m_globalAppend); break;
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
    MenuReader reader(files, folder, mainConfig, config);
    for (const QByteArray& path : configPaths)
        reader.Parse(path, { path, 0 });
    reader.Finish();
    return config;
}
