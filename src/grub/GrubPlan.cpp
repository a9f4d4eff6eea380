#include "GrubPlanner.h"

#include "config/GrubPasswords.h"
#include "config/MenuPasswords.h"
#include "format/Cp437.h"

#include <algorithm>
#include <array>

namespace GrubPlanning {

QByteArray TitleOf(const QByteArray& displayName)
{
    return Cp437::DecodeCells(QByteArray(displayName).replace('^', "")).toUtf8();
}

// The last SERIAL line is the one the port keeps.
void Planner::Serial()
{
    for (const ConfigDirective& directive : m_plan.member->config.directives) {
        if (directive.keyword == "serial") {
            m_plan.serial = ReadSerialSetting(directive.argument);
            m_plan.serialPlace = directive.place;
        }
    }
    // GRUB 2.06's serial driver takes these rates only (ns8250.c's table).
    static constexpr std::array<quint32, 7> Rates { 2400, 4800, 9600, 19200, 38400, 57600, 115200 };
    if (m_plan.serial && std::find(Rates.begin(), Rates.end(), m_plan.serial->Speed()) == Rates.end()) {
        Find(m_plan.serialPlace, "grub-serial-speed",
            QStringLiteral("the port runs at %1 baud, a rate GRUB's serial command refuses: GRUB's menu does not "
                           "reach the port")
                .arg(m_plan.serial->Speed()));
        m_plan.serial.reset();
    }
}

QByteArray Planner::Id(const QByteArray& label)
{
    const QByteArray base = GrubName(label);
    QByteArray id = base;
    for (int n = 2; m_ids.contains(id); ++n)
        id = base + '-' + QByteArray::number(n);
    m_ids.insert(id);
    return id;
}

int Planner::Screen(const QByteArray& displayFile, const QByteArray& background, const ConfigPlace& place)
{
    const QByteArray key = displayFile + '\n' + background;
    if (const auto found = m_screens.constFind(key); found != m_screens.constEnd())
        return *found;
    const QByteArray base = GrubName(BaseName(displayFile));
    QByteArray name = base;
    for (int n = 2; m_screenNames.contains(name); ++n)
        name = base + '-' + QByteArray::number(n);
    m_screenNames.insert(name);
    m_plan.screens.push_back({ name, displayFile, background, place });
    m_screens.insert(key, static_cast<int>(m_plan.screens.size()) - 1);
    return static_cast<int>(m_plan.screens.size()) - 1;
}

bool Planner::Run(const QByteArray& line, quint32 ipAppend, const ConfigPlace& place, GrubPlanEntry& entry)
{
    std::optional<GrubBoot> boot = GrubBootOf(line, ipAppend, m_folder, m_pxe, place, m_plan.findings);
    if (!boot)
        return false;
    if (boot->kind == GrubBoot::Kind::ConfigFile) {
        const QByteArray folder = boot->arguments.front();
        const std::optional<QByteArray> grubPath
            = m_options.configFile ? m_options.configFile(boot->kernel, folder) : std::nullopt;
        if (!grubPath) {
            Find(place, "grub-config",
                QStringLiteral("CONFIG %1 starts a configuration of its own, which is not made for GRUB here; the "
                               "entry is left out")
                    .arg(Latin(boot->kernel)));
            return false;
        }
        m_plan.configurations.push_back({ boot->kernel, folder, *grubPath });
        boot->configFile = *grubPath;
    }
    entry.boot = std::move(*boot);
    return true;
}

void Planner::FunctionKeys(const std::array<std::optional<FunctionKey>, 12>& keys, GrubPlanMenu& menu)
{
    for (std::size_t key = 0; key < keys.size(); ++key) {
        if (!keys[key])
            continue;
        GrubPlanEntry entry;
        const QByteArray name = "f" + QByteArray::number(static_cast<int>(key) + 1);
        entry.title = name.toUpper() + ' ' + TitleOf(BaseName(keys[key]->imagePath));
        entry.id = Id(name);
        entry.hotkey = name;
        entry.place = keys[key]->place;
        entry.boot.kind = GrubBoot::Kind::Screen;
        entry.boot.screen = Screen(keys[key]->imagePath, keys[key]->background, keys[key]->place);
        menu.entries.push_back(std::move(entry));
    }
}

}

GrubPlan PlanGrubMenu(const BootFiles& files, const ConfigSet& set, const GrubPlanOptions& options)
{
    if (set.members.empty())
        return {};
    return GrubPlanning::Planner(files, set, options).Take();
}
