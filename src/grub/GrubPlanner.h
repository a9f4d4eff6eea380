#pragma once

#include "GrubPlan.h"

#include <QHash>
#include <QSet>

// The planner GrubPlan.cpp and GrubPlanMenus.cpp share.
namespace GrubPlanning {

inline QString Latin(const QByteArray& bytes) { return QString::fromLatin1(bytes); }
inline QByteArray BaseName(const QByteArray& path) { return path.mid(path.lastIndexOf('/') + 1); }
// A title as the menu draws it: every ^ dropped, the bytes as code page 437 shows them.
QByteArray TitleOf(const QByteArray& displayName);
// TIMEOUT's milliseconds as GRUB's whole seconds, rounded up; GRUB's -1
// waits for ever, as TIMEOUT 0 does (its 0 would boot at once).
inline int TimeoutSeconds(long long ms) { return ms > 0 ? static_cast<int>((ms + 999) / 1000) : -1; }

class Planner {
public:
    Planner(const BootFiles& files, const ConfigSet& set, const GrubPlanOptions& options)
        : m_files(files)
        , m_options(options)
    {
        m_plan.member = &set.members.front();
        m_folder = m_plan.member->folder;
        m_pxe = LoaderPlaceOf(files.ConfigPath()).pxe;
        const MenuRun* run = FirstMenuRun(set);
        if (run && (run->by == "UI" || run->by == "DEFAULT"))
            m_plan.run = run;
    }

    GrubPlan Take()
    {
        Serial();
        if (m_plan.run)
            Menus(m_plan.run->menus);
        else
            Prompt(m_plan.member->config);
        return std::move(m_plan);
    }

private:
    void Serial();
    void Menus(const MenuConfig& config);
    int MenuOf(const MenuConfig& config, int menuIndex);
    std::optional<GrubPlanEntry> EntryOf(const MenuConfig& config, const Menu& menu, int index);
    void Prompt(const BootConfig& config);
    void Passwords(const MenuConfig& config);
    void FunctionKeys(const std::array<std::optional<FunctionKey>, 12>& keys, GrubPlanMenu& menu);
    bool Run(const QByteArray& line, quint32 ipAppend, const ConfigPlace& place, GrubPlanEntry& entry);
    int Screen(const QByteArray& displayFile, const QByteArray& background, const ConfigPlace& place);
    QByteArray Id(const QByteArray& label);
    QByteArray UserFor(const QByteArray& password, const QByteArray& label, const ConfigPlace& place);
    // The last line of a directive the loader reads, else the line that starts the menu.
    ConfigPlace DirectivePlace(const char* keyword) const
    {
        const BootConfig& config = m_plan.member->config;
        ConfigPlace place
            = config.uiPlace.value_or(config.defaultPlace.value_or(ConfigPlace { m_plan.member->path, 1 }));
        for (const ConfigDirective& directive : config.directives) {
            if (directive.keyword == keyword)
                place = directive.place;
        }
        return place;
    }
    void Find(const ConfigPlace& place, const char* code, const QString& message)
    {
        m_plan.findings.push_back({ place, code, message });
    }

    const BootFiles& m_files;
    const GrubPlanOptions& m_options;
    GrubPlan m_plan;
    QByteArray m_folder;
    bool m_pxe = false;
    QSet<QByteArray> m_ids;
    QHash<QByteArray, QByteArray> m_users; // password text -> user name
    QSet<QByteArray> m_userNames;
    QHash<QByteArray, int> m_screens; // display file and background -> index
    QSet<QByteArray> m_screenNames;
    QSet<int> m_visited;
};

}
