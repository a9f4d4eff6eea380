// The menus of a menu module's run, or a prompt's labels, as GRUB's menus.
#include "GrubPlanner.h"

#include "config/GrubPasswords.h"
#include "config/KernelLine.h"
#include "config/MenuPasswords.h"

namespace GrubPlanning {

void Planner::Menus(const MenuConfig& config)
{
    const Menu& start = config.At(config.start);
    m_plan.timeoutSeconds = TimeoutSeconds(start.timeoutMs);
    m_plan.hidden = config.hidden;
    m_plan.mode = m_plan.run->kind == MenuKind::Graphical ? MenuResolution(config) : std::pair(640, 480);
    Passwords(config);
    MenuOf(config, config.start);
    if (m_plan.locked && m_plan.menus.size() > 1) {
        if (start.masterPassword)
            Find(DirectivePlace("menu master"), "grub-submenu-leave",
                QStringLiteral("in GRUB only the master may leave a submenu while entries are locked: Esc there "
                               "asks for the master password"));
        else
            Find(DirectivePlace("menu passwd"), "grub-submenu-open",
                QStringLiteral("with no MENU MASTER PASSWD GRUB locks only the entries inside a submenu: there "
                               "any entry can be edited and the command line reached"));
    }
}

// A menu and, depth first, the submenus its entries open.
int Planner::MenuOf(const MenuConfig& config, int menuIndex)
{
    m_visited.insert(menuIndex);
    const int planIndex = static_cast<int>(m_plan.menus.size());
    m_plan.menus.push_back({ menuIndex, {}, -1 });
    const Menu& menu = config.At(menuIndex);
    for (int index = 0; index < static_cast<int>(menu.entries.size()); ++index) {
        std::optional<GrubPlanEntry> entry = EntryOf(config, menu, index);
        if (!entry)
            continue;
        GrubPlanMenu& planMenu = m_plan.menus[static_cast<std::size_t>(planIndex)];
        if (index == menu.defaultEntry)
            planMenu.defaultEntry = static_cast<int>(planMenu.entries.size());
        planMenu.entries.push_back(std::move(*entry));
    }
    GrubPlanMenu& planMenu = m_plan.menus[static_cast<std::size_t>(planIndex)];
    const auto defaultEntry = static_cast<std::size_t>(menu.defaultEntry);
    if (planMenu.defaultEntry < 0 && defaultEntry < menu.entries.size() && !planMenu.entries.empty()
        && planMenu.entries.front().sourceEntry != menu.defaultEntry)
        Find(menu.entries[defaultEntry].place, "grub-default-left-out",
            QStringLiteral("the default entry %1 does not carry over: GRUB starts on %2")
                .arg(QString::fromUtf8(TitleOf(menu.entries[defaultEntry].displayName)),
                    QString::fromUtf8(planMenu.entries.front().title)));
    FunctionKeys(menu.functionKeys, planMenu);
    return planIndex;
}

std::optional<GrubPlanEntry> Planner::EntryOf(const MenuConfig& config, const Menu& menu, int index)
{
    const MenuEntry& source = menu.entries[static_cast<std::size_t>(index)];
    GrubPlanEntry entry;
    entry.title = TitleOf(source.displayName);
    entry.place = source.place;
    entry.sourceMenu = static_cast<int>(&menu - config.menus.data());
    entry.sourceEntry = index;
    const qsizetype caret = source.displayName.indexOf('^');
    if (source.hotkey != 0 && caret >= 0 && static_cast<unsigned char>(source.displayName[caret + 1]) < 0x80)
        entry.hotkey = QByteArray(1, source.displayName[caret + 1]).toLower();
    switch (source.action) {
    case MenuAction::Command:
        if (!Run(source.commandLine, source.ipAppend, source.place, entry))
            return std::nullopt;
        entry.id = Id(source.label);
        break;
    case MenuAction::Submenu:
        if (source.submenu < 0 || m_visited.contains(source.submenu))
            return std::nullopt;
        entry.id = Id(config.At(source.submenu).label);
        entry.submenu = MenuOf(config, source.submenu);
        if (m_plan.menus[static_cast<std::size_t>(entry.submenu)].entries.empty()) {
            // Kept in the list (its index stays), never written.
            Find(source.place, "grub-empty-submenu",
                QStringLiteral("nothing in the submenu %1 carries over, so GRUB leaves it out")
                    .arg(QString::fromUtf8(entry.title)));
            return std::nullopt;
        }
        break;
    case MenuAction::Help: {
        const std::optional<QByteArray> file = BootFiles::Resolve(m_folder, source.commandLine);
        if (!file)
            return std::nullopt;
        entry.id = Id(source.label);
        entry.boot.kind = GrubBoot::Kind::Screen;
        entry.boot.screen = Screen(*file, source.helpBackground, source.place);
        break;
    }
    case MenuAction::Exit:
        Find(source.place, "grub-menu-exit",
            QStringLiteral("GRUB has no entry that leaves a submenu (Esc does it there): %1 is left out")
                .arg(QString::fromUtf8(entry.title)));
        return std::nullopt;
    default: return std::nullopt; // disabled, separators, goto and quit: GrubParity says so
    }
    if (source.password)
        entry.user = UserFor(*source.password, source.label.isEmpty() ? entry.id : source.label, source.place);
    return entry;
}

// One GRUB user for each password, named for the first entry it locks;
// the master is the superuser. A hash GRUB cannot check leaves its user
// without a password: the entry stays locked (the master still opens it).
QByteArray Planner::UserFor(const QByteArray& password, const QByteArray& label, const ConfigPlace& place)
{
    if (const auto found = m_users.constFind(password); found != m_users.constEnd())
        return *found;
    QByteArray name = GrubName(label);
    for (int n = 2; m_userNames.contains(name); ++n)
        name = GrubName(label) + '-' + QByteArray::number(n);
    m_userNames.insert(name);
    m_users.insert(password, name);
    GrubUser user { name, std::nullopt };
    if (MenuPasswords::IsHashed(password)) {
        Find(place, "grub-hashed-password",
            QStringLiteral("the password of %1 is a hash GRUB cannot check: in GRUB only the master password opens "
                           "it")
                .arg(Latin(label)));
    } else {
        if (password.isEmpty())
            Find(place, "grub-empty-password",
                QStringLiteral("the password of %1 is empty: Enter alone opens it, in GRUB too").arg(Latin(label)));
        user.pbkdf2 = m_options.hashPassword ? m_options.hashPassword(password) : GrubPasswords::MakePbkdf2(password);
    }
    m_plan.users.push_back(std::move(user));
    return name;
}

// GRUB asks for a password only while superusers is set: any password
// sets it, and ALLOWOPTIONS 0 too, which then locks editing for everyone.
void Planner::Passwords(const MenuConfig& config)
{
    const Menu& start = config.At(config.start);
    bool passwords = start.masterPassword.has_value() || !start.allowEdit;
    for (const Menu& menu : config.menus) {
        for (const MenuEntry& entry : menu.entries)
            passwords = passwords || entry.password.has_value();
        if (menu.masterPassword != start.masterPassword && menu.masterPassword)
            Find(menu.place, "grub-master-per-menu",
                QStringLiteral("GRUB has one master password for every menu: the top menu's holds here too"));
    }
    m_plan.locked = passwords;
    m_userNames.insert("master");
    if (!start.masterPassword) {
        if (passwords && start.allowEdit)
            Find(DirectivePlace("menu passwd"), "grub-no-master",
                QStringLiteral(
                    "with no MENU MASTER PASSWD nobody can edit the top menu's entries or reach GRUB's command line "
                    "from there"));
        return;
    }
    GrubUser master { "master", std::nullopt };
    if (MenuPasswords::IsHashed(*start.masterPassword))
        Find(DirectivePlace("menu master"), "grub-hashed-password",
            QStringLiteral("the master password is a hash GRUB cannot check: in GRUB nobody can edit an entry or "
                           "open a locked one"));
    else
        master.pbkdf2 = m_options.hashPassword ? m_options.hashPassword(*start.masterPassword)
                                               : GrubPasswords::MakePbkdf2(*start.masterPassword);
    m_plan.users.insert(m_plan.users.begin(), std::move(master));
}

// A prompt's configuration: a menu of its labels in order, DEFAULT's first
// chosen (a command that is no label gets an entry of its own).
void Planner::Prompt(const BootConfig& config)
{
    m_plan.timeoutSeconds = TimeoutSeconds(config.timeoutMs);
    m_plan.mode = std::pair(640, 480);
    m_plan.menus.push_back({ -1, {}, -1 });
    GrubPlanMenu& menu = m_plan.menus.front();
    const ConfigLabel* defaultLabel = config.defaultCommand ? config.FindLabel(*config.defaultCommand) : nullptr;
    for (const ConfigLabel& label : config.labels) {
        GrubPlanEntry entry;
        entry.title = TitleOf(label.name);
        entry.place = label.place;
        if (!Run(label.CommandLine(config.globalAppend), label.ipAppend, label.place, entry))
            continue;
        entry.id = Id(label.name);
        if (&label == defaultLabel)
            menu.defaultEntry = static_cast<int>(menu.entries.size());
        menu.entries.push_back(std::move(entry));
    }
    if (config.defaultCommand && !defaultLabel) {
        const ConfigPlace place = config.defaultPlace.value_or(ConfigPlace {});
        GrubPlanEntry entry;
        entry.title = TitleOf(config.defaultWord);
        entry.place = place;
        const std::optional<QByteArray> line = LoadKernelLine(config, m_files, *config.defaultCommand);
        if (line && Run(*line, config.sysAppend, place, entry)) {
            entry.id = Id("default");
            menu.defaultEntry = static_cast<int>(menu.entries.size());
            menu.entries.push_back(std::move(entry));
        }
    }
    for (const ConfigOutput& output : config.output) {
        if (output.kind != ConfigOutput::Kind::DisplayFile)
            continue;
        GrubPlanEntry entry;
        entry.title = TitleOf(BaseName(output.text));
        entry.id = Id(BaseName(output.text));
        entry.place = output.place;
        entry.boot.kind = GrubBoot::Kind::Screen;
        entry.boot.screen = Screen(output.text, {}, output.place);
        menu.entries.push_back(std::move(entry));
    }
    FunctionKeys(config.functionKeys, menu);
}

}
