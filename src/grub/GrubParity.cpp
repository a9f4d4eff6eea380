#include "GrubParity.h"

#include <QSet>

#include <algorithm>

namespace {

QString Latin(const QByteArray& bytes) { return QString::fromLatin1(bytes); }
QString Title(const MenuEntry& entry) { return Latin(QByteArray(entry.displayName).replace('^', "")); }

class Checker {
public:
    Checker(const ConfigSetMember& member, const GrubPlan& plan)
        : m_member(member)
        , m_config(member.config)
        , m_plan(plan)
    {
    }

    std::vector<GrubFinding> Take()
    {
        for (const GrubFinding& finding : m_plan.findings)
            Add(finding.place, finding.code, finding.message);
        Loader();
        if (m_plan.run)
            Menus(m_plan.run->menus, m_plan.run->kind);
        else
            Prompt();
        std::stable_sort(m_findings.begin(), m_findings.end(), [](const GrubFinding& a, const GrubFinding& b) {
            return std::tie(a.place.file, a.place.line) < std::tie(b.place.file, b.place.line);
        });
        return std::move(m_findings);
    }

private:
    void Add(const ConfigPlace& place, const char* code, const QString& message)
    {
        const QByteArray key = place.file + '\n' + QByteArray::number(place.line) + '\n' + code;
        if (m_seen.contains(key))
            return;
        m_seen.insert(key);
        m_findings.push_back({ place, code, message });
    }
    // The last line of a directive the loader reads, or nothing.
    std::optional<ConfigPlace> Directive(const char* keyword) const
    {
        std::optional<ConfigPlace> place;
        for (const ConfigDirective& directive : m_config.directives) {
            if (directive.keyword == keyword)
                place = directive.place;
        }
        return place;
    }
    void Loader();
    void Prompt();
    void Menus(const MenuConfig& config, MenuKind kind);
    void Entries(const Menu& menu);
    void Colours(const Menu& menu, MenuKind kind);
    void Timeout(const Menu& menu);

    const ConfigSetMember& m_member;
    const BootConfig& m_config;
    const GrubPlan& m_plan;
    std::vector<GrubFinding> m_findings;
    QSet<QByteArray> m_seen;
};

// What ldlinux.c32 does before any menu: its timeouts, its output, its keys.
void Checker::Loader()
{
    if (const auto place = Directive("totaltimeout"); place && m_config.totalTimeoutMs > 0 && !m_plan.run)
        Add(*place, "grub-totaltimeout",
            QStringLiteral("TOTALTIMEOUT has no counterpart in GRUB: once a key stops its countdown, GRUB waits for "
                           "ever"));
    if (const auto place = Directive("noescape"); place && m_config.noEscape)
        Add(*place, "grub-noescape",
            QStringLiteral("NOESCAPE keeps Shift and Alt from stopping the boot; GRUB has no such keys"));
    if (const auto place = Directive("allowoptions"); place && !m_config.allowOptions)
        Add(*place, "grub-allowoptions",
            QStringLiteral("ALLOWOPTIONS 0 keeps options from being typed after a label; in GRUB nobody may edit an "
                           "entry or reach the command line instead"));
    if (!m_plan.run)
        return;
    for (const ConfigOutput& output : m_config.output) {
        if (output.kind == ConfigOutput::Kind::DisplayFile)
            Add(output.place, "grub-display",
                QStringLiteral("%1 shows before the menu starts; GRUB shows no such screen").arg(Latin(output.text)));
        else
            Add(output.place, "grub-say", QStringLiteral("SAY prints before the menu starts; GRUB prints nothing"));
    }
}

// The boot: prompt's own ways, which a menu of its labels does not have.
void Checker::Prompt()
{
    const ConfigPlace place = Directive("prompt").value_or(ConfigPlace { m_member.path, 1 });
    if (m_config.prompt == 0 && m_config.defaultCommand)
        Add(place, "grub-prompt-zero",
            QStringLiteral("without PROMPT 1 the loader boots its default at once unless Shift or Alt is held; GRUB "
                           "shows its menu first"));
    Add(place, "grub-prompt",
        QStringLiteral("labels and options typed at the boot: prompt become a menu of the labels in GRUB; e edits an "
                       "entry's lines"));
    if (const auto ontimeout = Directive("ontimeout");
        ontimeout && m_config.onTimeout && m_config.onTimeout != m_config.defaultCommand)
        Add(*ontimeout, "grub-ontimeout",
            QStringLiteral("ONTIMEOUT runs %1 when the time runs out; GRUB boots the default entry instead")
                .arg(Latin(*m_config.onTimeout)));
}

void Checker::Menus(const MenuConfig& config, MenuKind kind)
{
    const Menu& start = config.At(config.start);
    if (config.totalTimeoutMs > 0)
        Add(Directive("totaltimeout").value_or(start.place), "grub-totaltimeout",
            QStringLiteral("TOTALTIMEOUT has no counterpart in GRUB: once a key stops its countdown, GRUB waits for "
                           "ever"));
    const ConfigPlace ui = m_config.uiPlace.value_or(start.place);
    if (start.allowEdit) {
        Add(ui, "grub-tab",
            QStringLiteral("Tab edits an entry's line here; in GRUB e edits its lines and Ctrl-x boots"));
        Add(ui, "grub-prompt",
            QStringLiteral("Esc here leaves the menu for the boot: prompt; GRUB has none (c gives its own command "
                           "line)"));
    }
    for (const GrubPlanMenu& shown : m_plan.menus) {
        const Menu& menu = config.At(shown.sourceMenu);
        Timeout(menu);
        Entries(menu);
        Colours(menu, kind);
    }
}

void Checker::Timeout(const Menu& menu)
{
    const auto defaultEntry = static_cast<std::size_t>(menu.defaultEntry);
    const MenuEntry* fallback = defaultEntry < menu.entries.size() ? &menu.entries[defaultEntry] : nullptr;
    // The module keeps ONTIMEOUT as the command line of the label it names.
    if (menu.onTimeout
        && (!fallback || (*menu.onTimeout != fallback->commandLine && *menu.onTimeout != fallback->label)))
        Add(Directive("ontimeout").value_or(menu.place), "grub-ontimeout",
            QStringLiteral("ONTIMEOUT runs %1 when the time runs out; GRUB boots the default entry instead")
                .arg(Latin(*menu.onTimeout)));
    else if (fallback && fallback->password && menu.timeoutMs > 0 && menu.parent < 0)
        Add(fallback->place, "grub-timeout-password",
            QStringLiteral("when the time runs out the menu boots %1 without its password; GRUB asks for it")
                .arg(Title(*fallback)));
}

void Checker::Entries(const Menu& menu)
{
    // MENU IMMEDIATE makes hotkeys boot at once here too.
    const bool immediate = Directive("menu immediate").has_value();
    for (const MenuEntry& entry : menu.entries) {
        switch (entry.action) {
        case MenuAction::Disabled:
            if (entry.displayName.isEmpty())
                Add(entry.place, "grub-separator",
                    QStringLiteral("GRUB's menu has no blank rows: the separator is left out"));
            else
                Add(entry.place, "grub-disabled",
                    QStringLiteral("GRUB has no entries that cannot be chosen: %1 is left out").arg(Title(entry)));
            break;
        case MenuAction::Goto:
            Add(entry.place, "grub-goto",
                QStringLiteral("GRUB has no entry that goes to another menu: %1 is left out").arg(Title(entry)));
            break;
        case MenuAction::Quit:
            Add(entry.place, "grub-quit",
                QStringLiteral("GRUB has no entry that leaves the menu for the prompt: %1 is left out")
                    .arg(Title(entry)));
            break;
        default: break;
        }
        if (!entry.helpText.isEmpty())
            Add(entry.place, "grub-text-help",
                QStringLiteral("GRUB shows no help text under an entry: the TEXT HELP of %1 is left out")
                    .arg(Title(entry)));
        if (entry.hotkey != 0 && !immediate && entry.action != MenuAction::Disabled)
            Add(entry.place, "grub-hotkey",
                QStringLiteral("in GRUB the key %1 runs %2 at once; here it only moves the highlight to it")
                    .arg(QChar(QLatin1Char(static_cast<char>(entry.hotkey | 0x20))))
                    .arg(Title(entry)));
    }
}

// The colours GRUB's theme has a place for are the menu's, its entries'
// and the countdown's; these others have none.
void Checker::Colours(const Menu& menu, MenuKind kind)
{
    static constexpr std::array<MenuColourName, 9> Placeless { MenuColourName::Hotkey, MenuColourName::Hotsel,
        MenuColourName::Disabled, MenuColourName::Help, MenuColourName::CmdMark, MenuColourName::CmdLine,
        MenuColourName::PwdBorder, MenuColourName::PwdHeader, MenuColourName::PwdEntry };
    for (const MenuColourName name : Placeless) {
        const MenuColour& colour = menu.colours[name];
        if (colour.place.line > 0)
            Add(colour.place, "grub-colour",
                QStringLiteral("GRUB's theme has no place for the %1 colour: it is left out")
                    .arg(QString::fromLatin1(MenuColourNames[static_cast<std::size_t>(name)])));
    }
    for (std::size_t message = 0; message < 256; ++message) {
        const MenuColour colour = menu.colours.At(MessageColourBase + message);
        if (colour.place.line > 0)
            Add(colour.place, "grub-colour",
                QStringLiteral("GRUB shows no help screens' colour codes: msg%1 is left out")
                    .arg(message, 2, 16, QLatin1Char('0')));
    }
    if (const auto place = Directive("menu msgcolor"))
        Add(*place, "grub-colour",
            QStringLiteral("GRUB shows no help screens' colour codes: MENU MSGCOLOR is left out"));
    const MenuColour& unsel = menu.colours[MenuColourName::Unsel];
    const MenuColour& sel = menu.colours[MenuColourName::Sel];
    if (kind == MenuKind::Graphical && (unsel.shadow != MenuShadow::None || sel.shadow != MenuShadow::None))
        Add(unsel.shadow != MenuShadow::None && unsel.place.line > 0 ? unsel.place
                : sel.place.line > 0                                 ? sel.place
                                                                     : menu.place,
            "grub-shadow", QStringLiteral("GRUB draws its entries without the shadows vesamenu gives their letters"));
}

}

std::vector<GrubFinding> GrubParity(const BootFiles&, const ConfigSet& set, const GrubPlan& plan)
{
    if (set.members.empty())
        return plan.findings;
    return Checker(set.members.front(), plan).Take();
}

std::vector<GrubFinding> GrubParity(const BootFiles& files)
{
    const ConfigSet set = ReadConfigSet(files);
    // No password needs hashing to say what carries over.
    GrubPlanOptions options;
    options.hashPassword = [](const QByteArray&) { return QByteArray(); };
    return GrubParity(files, set, PlanGrubMenu(files, set, options));
}
