#include "ConfigSyntax.h"
#include "KernelLine.h"
#include "MenuReader.h"

using namespace ConfigSyntax;

namespace MenuReading {

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
    } else if ((ep = LookingAt(p, "ipappend")) || (ep = LookingAt(p, "sysappend"))) {
        (m_label.label ? m_label.command.ipAppend : m_globalIpAppend) = SysAppendNumber(SkipBlanks(ep));
    } else if (LookingAt(p, "label")) {
        Record();
        m_label = {};
        m_label.label = SkipBlanks(p + 5);
        m_label.command.name = *m_label.label;
        m_label.command.kernel = *m_label.label;
        m_label.command.ipAppend = m_globalIpAppend;
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

}
