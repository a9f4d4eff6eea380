#pragma once

// menu.c32's reader, shared by the files it is written in: MenuConfig.cpp
// reads the lines, MenuEntries.cpp makes the entries and menus and links
// them when all is read.

#include "ConfigReading.h"
#include "MenuConfig.h"
#include "common/Limits.h"

namespace MenuReading {

inline constexpr std::array<std::pair<const char*, const char*>, 4> DefaultMessages = { {
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
    quint32 m_globalIpAppend = 0;
    bool m_hasUi = false;
    std::optional<QByteArray> m_globalDefault;
    std::vector<std::pair<int, int>> m_created; // every entry in the order it was made
    std::vector<bool> m_titleFollowsTag; // by menu: its entry still shows the MENU BEGIN tag
};

}
