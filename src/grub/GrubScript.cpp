#include "GrubScript.h"

#include "config/GrubConfig.h"

namespace {

// Titles always in '…', so they read as they stand whatever they hold.
QByteArray Title(const QByteArray& title) { return "'" + QByteArray(title).replace('\'', "'\\''") + "'"; }

QByteArray Words(const std::vector<QByteArray>& words)
{
    QByteArray out;
    for (const QByteArray& word : words)
        out += ' ' + GrubQuote(word);
    return out;
}

class Writer {
public:
    Writer(const GrubPlan& plan, const GrubScriptOptions& options)
        : m_plan(plan)
        , m_options(options)
    {
    }

    QByteArray Write()
    {
        Head();
        Menu(0, "");
        return std::move(m_out);
    }

private:
    void Line(const QByteArray& indent, const QByteArray& text) { m_out += indent + text + '\n'; }
    void Head();
    void Menu(int index, const QByteArray& indent, const std::optional<QByteArray>& inherited = {});
    void Entry(
        const GrubPlanEntry& entry, const QByteArray& indent, bool nested, const std::optional<QByteArray>& inherited);
    void Body(const GrubBoot& boot, const QByteArray& indent);
    QByteArray Theme(int sourceMenu) const
    {
        if (m_options.themePath)
            return m_options.themePath(sourceMenu);
        return sourceMenu < 0 ? QByteArray() : "$prefix/glimra/menu" + QByteArray::number(sourceMenu) + "/theme.txt";
    }
    bool Uses(GrubBoot::Kind kind) const;
    bool UsesMac() const;
    bool Master() const { return !m_plan.users.empty() && m_plan.users.front().name == "master"; }

    const GrubPlan& m_plan;
    const GrubScriptOptions& m_options;
    QByteArray m_out;
};

bool Writer::Uses(GrubBoot::Kind kind) const
{
    for (const GrubPlanMenu& menu : m_plan.menus) {
        for (const GrubPlanEntry& entry : menu.entries)
            if (entry.submenu < 0 && entry.boot.kind == kind)
                return true;
    }
    return false;
}

bool Writer::UsesMac() const
{
    for (const GrubPlanMenu& menu : m_plan.menus) {
        for (const GrubPlanEntry& entry : menu.entries) {
            for (const QByteArray& word : entry.boot.network)
                if (word.startsWith("BOOTIF="))
                    return true;
        }
    }
    return false;
}

void Writer::Head()
{
    const QByteArray config = m_plan.member ? m_plan.member->path : QByteArray();
    Line({}, "# The UEFI side of " + config + ", made by Glimra: the same menu as GRUB shows it.");
    for (const char* module : { "all_video", "gfxterm", "gfxmenu", "png" })
        Line({}, QByteArray("insmod ") + module);
    if (Uses(GrubBoot::Kind::Screen))
        Line({}, "insmod gfxterm_background");
    if (UsesMac())
        Line({}, "insmod regexp");
    if (!m_plan.users.empty())
        Line({}, "insmod password_pbkdf2");
    Line({}, "loadfont " + m_options.fontPath);
    if (m_plan.mode)
        Line({},
            "set gfxmode=" + QByteArray::number(m_plan.mode->first) + 'x' + QByteArray::number(m_plan.mode->second));
    if (m_plan.serial) {
        const SerialSetting& serial = *m_plan.serial;
        Line({}, "insmod serial");
        Line({},
            "serial "
                + (serial.IsComPort() ? "--unit=" + QByteArray::number(serial.port)
                                      : "--port=0x" + QByteArray::number(serial.port, 16))
                + " --speed=" + QByteArray::number(serial.Speed()));
        Line({}, "terminal_input console serial");
        Line({}, "terminal_output gfxterm serial");
    } else {
        Line({}, "terminal_output gfxterm");
    }
    const int first = m_plan.menus.empty() ? -1 : m_plan.menus.front().sourceMenu;
    if (const QByteArray theme = Theme(first); !theme.isEmpty())
        Line({}, "set theme=" + theme);
    Line({}, QByteArray("set timeout_style=") + (m_plan.hidden ? "hidden" : "menu"));
    Line({}, "set timeout=" + QByteArray::number(m_plan.timeoutSeconds));
    if (m_plan.locked) {
        Line({}, QByteArray("set superusers=\"") + (Master() ? "master" : "") + '"');
        // Exported, a submenu is left only by a superuser: with no master
        // nobody could, so then its entries lock themselves instead.
        if (Master())
            Line({}, "export superusers");
        for (const GrubUser& user : m_plan.users) {
            if (user.pbkdf2)
                Line({}, "password_pbkdf2 " + user.name + ' ' + *user.pbkdf2);
        }
    }
}

void Writer::Menu(int index, const QByteArray& indent, const std::optional<QByteArray>& inherited)
{
    const GrubPlanMenu& menu = m_plan.menus[static_cast<std::size_t>(index)];
    if (index > 0) {
        if (const QByteArray theme = Theme(menu.sourceMenu); !theme.isEmpty())
            Line(indent, "set theme=" + theme);
    }
    if (menu.defaultEntry >= 0)
        Line(indent, "set default=" + menu.entries[static_cast<std::size_t>(menu.defaultEntry)].id);
    for (const GrubPlanEntry& entry : menu.entries)
        Entry(entry, indent, index > 0, inherited);
}

// In a submenu of a tree without a master password superusers is not
// there, so a locked entry asks for its user itself, with superusers set
// only while it asks; a locked submenu there hands its user to its entries.
void Writer::Entry(
    const GrubPlanEntry& entry, const QByteArray& indent, bool nested, const std::optional<QByteArray>& inherited)
{
    const bool selfLocked = m_plan.locked && nested && !Master();
    const std::optional<QByteArray> user = entry.user ? entry.user : inherited;
    QByteArray head = (entry.submenu >= 0 ? "submenu " : "menuentry ") + Title(entry.title) + " --id " + entry.id;
    if (!entry.hotkey.isEmpty())
        head += " --hotkey " + GrubQuote(entry.hotkey);
    if (m_plan.locked && !selfLocked)
        head += entry.user ? " --users " + *entry.user : QByteArray(" --unrestricted");
    Line(indent, head + " {");
    const QByteArray inner = indent + '\t';
    if (entry.submenu >= 0) {
        Menu(entry.submenu, inner, selfLocked ? user : std::nullopt);
    } else if (selfLocked && user && entry.boot.kind != GrubBoot::Kind::Screen) {
        Line(inner, "set superusers=\"\"");
        Line(inner, "if authenticate " + *user + "; then");
        Body(entry.boot, inner + '\t');
        Line(inner, "fi");
        Line(inner, "unset superusers");
    } else {
        Body(entry.boot, inner);
    }
    Line(indent, "}");
}

void Writer::Body(const GrubBoot& boot, const QByteArray& indent)
{
    switch (boot.kind) {
    case GrubBoot::Kind::Linux: {
        QByteArray network;
        for (const QByteArray& word : boot.network) {
            network += ' ' + word;
            if (word.startsWith("BOOTIF="))
                Line(indent,
                    "regexp --set=1:glimra_mac1 --set=2:glimra_mac2 --set=3:glimra_mac3 --set=4:glimra_mac4 "
                    "--set=5:glimra_mac5 --set=6:glimra_mac6 "
                    "'^([^:]*):([^:]*):([^:]*):([^:]*):([^:]*):([^:]*)$' \"$net_default_mac\"");
        }
        Line(indent, "linux " + GrubQuote(boot.kernel) + Words(boot.arguments) + network);
        if (!boot.initrds.empty())
            Line(indent, "initrd" + Words(boot.initrds));
        break;
    }
    case GrubBoot::Kind::Exit: Line(indent, "exit"); break;
    case GrubBoot::Kind::Reboot: Line(indent, "reboot"); break;
    case GrubBoot::Kind::Halt: Line(indent, "halt"); break;
    case GrubBoot::Kind::ConfigFile: Line(indent, "configfile " + boot.configFile); break;
    case GrubBoot::Kind::Screen:
        Line(indent,
            "background_image $prefix/glimra/screens/" + m_plan.screens[static_cast<std::size_t>(boot.screen)].name
                + ".png");
        Line(indent, "clear");
        Line(indent, "read");
        Line(indent, "background_image");
        break;
    }
}

}

QByteArray WriteGrubScript(const GrubPlan& plan, const GrubScriptOptions& options)
{
    if (plan.menus.empty())
        return {};
    return Writer(plan, options).Write();
}

GrubScriptResult MakeGrubScript(const BootFiles& files, const ConfigSet& set, const GrubScriptOptions& options)
{
    const GrubPlan plan = PlanGrubMenu(files, set, options.plan);
    GrubScriptResult result;
    result.grubCfg = WriteGrubScript(plan, options);
    result.screens = plan.screens;
    result.configurations = plan.configurations;
    for (const GrubPlanMenu& menu : plan.menus) {
        if (menu.sourceMenu >= 0)
            result.menus.push_back(menu.sourceMenu);
    }
    result.findings = plan.findings;
    return result;
}

GrubScriptResult MakeGrubScript(const BootFiles& files, const GrubScriptOptions& options)
{
    const ConfigSet set = ReadConfigSet(files);
    return MakeGrubScript(files, set, options);
}
