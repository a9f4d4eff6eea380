#include "MenuOutline.h"

#include "config/MenuColours.h"
#include "config/MenuLayout.h"

#include <QObject>

namespace Design {

namespace {

constexpr std::array<const char*, 4> MessageWords = { "autoboot", "tabmsg", "notabmsg", "passprompt" };

QByteArray ColourText(const MenuColour& colour)
{
    return colour.ansi + ' ' + QByteArray::number(colour.foreground, 16) + ' '
        + QByteArray::number(colour.background, 16) + ' ' + QByteArray::number(static_cast<int>(colour.shadow));
}

OutlineNode NodeOf(const MenuConfig& config, const MenuEntry& entry, int menu, int depth)
{
    OutlineNode node { entry, {}, {} };
    const bool opens = entry.action == MenuAction::Submenu && entry.submenu > 0
        && entry.submenu < static_cast<int>(config.menus.size()) && config.At(entry.submenu).parent == menu;
    if (opens && depth < Limits::MenuNesting) {
        const Menu& submenu = config.At(entry.submenu);
        node.settings = SettingsOf(submenu);
        for (const MenuEntry& child : submenu.entries)
            node.children.push_back(NodeOf(config, child, entry.submenu, depth + 1));
    }
    // Where a goto leads is named by the menu's tag: its number moves with edits.
    if ((entry.action == MenuAction::Goto || entry.action == MenuAction::Exit) && entry.submenu >= 0
        && entry.submenu < static_cast<int>(config.menus.size()))
        node.entry.commandLine = config.At(entry.submenu).label;
    node.entry.submenu = -1;
    node.entry.place = {};
    node.entry.hotkey = 0;
    return node;
}

QString EntryName(const MenuEntry& entry)
{
    const QByteArray name = entry.displayName.isEmpty() ? entry.label : entry.displayName;
    return name.isEmpty() ? QObject::tr("a separator") : QObject::tr("“%1”").arg(QString::fromLatin1(name.trimmed()));
}

QString EntryDifference(const MenuEntry& a, const MenuEntry& b)
{
    const std::array<std::pair<bool, const char*>, 8> fields = { {
        { a.displayName != b.displayName, "its name on the menu" },
        { a.label != b.label, "its label" },
        { a.commandLine != b.commandLine, "what it runs" },
        { a.password != b.password, "its password" },
        { a.helpText != b.helpText || a.helpBackground != b.helpBackground, "its help text" },
        { a.action != b.action, "what kind of entry it is" },
        { a.isDefault != b.isDefault, "whether it is the default" },
        { false, "" },
    } };
    for (const auto& [differs, what] : fields) {
        if (differs)
            return QObject::tr("%1 would change too: %2").arg(EntryName(a), QObject::tr(what));
    }
    return {};
}

QString NodeDifference(const OutlineNode& a, const OutlineNode& b, const QString& menu)
{
    for (auto setting = a.settings.begin(); setting != a.settings.end(); ++setting) {
        if (b.settings.value(setting.key()) != setting.value())
            return QObject::tr("%1 would change in %2 too").arg(QString::fromLatin1(setting.key().toUpper()), menu);
    }
    if (a.children.size() != b.children.size())
        return QObject::tr("%1 would get a different number of entries").arg(menu);
    for (std::size_t index = 0; index < a.children.size(); ++index) {
        if (QString entry = EntryDifference(a.children[index].entry, b.children[index].entry); !entry.isEmpty())
            return entry + QObject::tr(" (in %1)").arg(menu);
        const QString inner = QObject::tr("the menu %1").arg(EntryName(a.children[index].entry));
        if (QString deeper = NodeDifference(a.children[index], b.children[index], inner); !deeper.isEmpty())
            return deeper;
    }
    return {};
}

}

MenuSettings SettingsOf(const Menu& menu)
{
    MenuSettings settings;
    settings.insert("menu title", menu.title);
    const std::vector<MenuColour> table = menu.colours.Table();
    for (std::size_t index = 0; index < MenuColourCount; ++index)
        settings.insert(QByteArray("menu color ") + MenuColourNames[index], ColourText(table[index]));
    for (std::size_t index = MenuColourCount; index < table.size(); ++index)
        settings.insert("menu color msg" + QByteArray::number(index - MenuColourCount, 16).rightJustified(2, '0'),
            ColourText(table[index]));
    for (std::size_t param = 0; param < MenuParamCount; ++param)
        settings.insert(QByteArray("menu ") + MenuParamInfos[param].keyword, QByteArray::number(menu.params[param]));
    for (std::size_t message = 0; message < MessageWords.size(); ++message)
        settings.insert(QByteArray("menu ") + MessageWords[message], menu.messages[message]);
    settings.insert("timeout", QByteArray::number(menu.timeoutMs));
    settings.insert("ontimeout", menu.onTimeout.value_or("-"));
    settings.insert("menu onerror", menu.onError.value_or("-"));
    settings.insert("menu master passwd", menu.masterPassword.value_or("-"));
    settings.insert("menu background", menu.background);
    settings.insert("allowoptions", menu.allowEdit ? "1" : "0");
    return settings;
}

Outline OutlineOf(const MenuConfig& config)
{
    Outline outline;
    for (const int menu : { MenuConfig::RootMenu, MenuConfig::HiddenMenu }) {
        OutlineNode root { {}, SettingsOf(config.At(menu)), {} };
        for (const MenuEntry& entry : config.At(menu).entries)
            root.children.push_back(NodeOf(config, entry, menu, 0));
        outline.roots.push_back(std::move(root));
    }
    const std::optional<std::vector<int>> start = PathOfMenu(config, config.start);
    QByteArray startPath;
    for (const int step : start.value_or(std::vector<int> {}))
        startPath += QByteArray::number(step) + '/';
    outline.global = config.resolution.value_or("-") + '|' + (config.hidden ? "h" : "") + (config.clear ? "c" : "")
        + (config.shiftKey ? "s" : "") + '|' + QByteArray::number(config.totalTimeoutMs) + '|' + startPath;
    return outline;
}

std::optional<std::vector<int>> PathOfMenu(const MenuConfig& config, int menu)
{
    std::vector<int> path;
    for (int depth = 0; menu > MenuConfig::RootMenu; ++depth) {
        if (menu >= static_cast<int>(config.menus.size()) || depth > Limits::MenuNesting)
            return std::nullopt;
        const Menu& at = config.At(menu);
        if (at.parent < 0 || at.parentEntry < 0)
            return std::nullopt;
        path.insert(path.begin(), at.parentEntry);
        menu = at.parent;
    }
    path.insert(path.begin(), menu == MenuConfig::HiddenMenu ? 1 : 0);
    return path;
}

std::optional<std::vector<int>> PathOfEntry(const MenuConfig& config, int menu, int entry)
{
    std::optional<std::vector<int>> path = PathOfMenu(config, menu);
    if (!path || entry < 0 || entry >= static_cast<int>(config.At(menu).entries.size()))
        return std::nullopt;
    path->push_back(entry);
    return path;
}

OutlineNode& NodeAt(Outline& outline, const std::vector<int>& path)
{
    OutlineNode* node = &outline.roots[static_cast<std::size_t>(path.front())];
    for (std::size_t step = 1; step < path.size(); ++step)
        node = &node->children[static_cast<std::size_t>(path[step])];
    return *node;
}

std::vector<OutlineNode>& SiblingsOf(Outline& outline, const std::vector<int>& path)
{
    return NodeAt(outline, std::vector<int>(path.begin(), path.end() - 1)).children;
}

void TakeDefaults(std::vector<OutlineNode>& expected, const std::vector<OutlineNode>& found)
{
    if (expected.size() != found.size())
        return;
    for (std::size_t index = 0; index < expected.size(); ++index)
        expected[index].entry.isDefault = found[index].entry.isDefault;
}

QString Difference(const Outline& expected, const Outline& found)
{
    if (expected.global != found.global)
        return QObject::tr("the menu's screen, its start or its total timeout would change too");
    const std::array<QString, 2> names = { QObject::tr("the top menu"), QObject::tr("the hidden entries") };
    for (std::size_t root = 0; root < expected.roots.size(); ++root) {
        if (QString differs = NodeDifference(expected.roots[root], found.roots[root], names[root]); !differs.isEmpty())
            return differs;
    }
    return {};
}

}
