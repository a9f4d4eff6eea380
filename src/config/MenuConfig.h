#pragma once

#include "BootConfig.h"
#include "MenuColours.h"
#include "MenuLayout.h"

#include <QByteArray>
#include <QHash>

#include <array>
#include <optional>
#include <vector>

// A configuration read as menu.c32 and vesamenu.c32 6.04 read it: their own
// pass over the files, with MENU BEGIN/END submenus, MENU INCLUDE, TEXT HELP
// blocks, colours, messages and the layout numbers. Each menu starts as a
// copy of its parent's settings at MENU BEGIN.

enum class MenuAction { Command, Disabled, Submenu, Goto, Quit, Exit, Help };

enum class MenuMessage { AutoBoot, Tab, NoTab, PassPrompt, Count };

struct MenuEntry {
    QByteArray displayName; // with its ^ marks
    QByteArray label; // empty for separators and disabled entries
    QByteArray commandLine; // what Enter runs, for a command
    quint32 ipAppend = 0; // IPAPPEND/SYSAPPEND bits: their strings go after commandLine
    std::optional<QByteArray> password;
    QByteArray helpText; // the TEXT HELP lines as they stand in the file
    QByteArray helpBackground; // MENU HELP's background
    MenuAction action = MenuAction::Command;
    unsigned char hotkey = 0; // upper case; 0 for none
    int submenu = -1; // the menu a submenu, goto or exit entry leads to
    bool isDefault = false;
    ConfigPlace place;
};

struct Menu {
    QByteArray label; // ".top", ".hidden", or MENU BEGIN's tag
    QByteArray title;
    int parent = -1;
    int parentEntry = -1;
    std::vector<MenuEntry> entries;
    MenuParams params {};
    MenuColours colours;
    std::array<QByteArray, static_cast<std::size_t>(MenuMessage::Count)> messages;
    std::array<std::optional<FunctionKey>, 12> functionKeys;
    std::array<int, 256> hotkeys {}; // entry index + 1 by upper-cased key, 0 for none
    bool allowEdit = true;
    int timeoutMs = 0; // 0 for none; as the module works it out (ConfigSyntax::TimeoutMs)
    std::optional<QByteArray> onTimeout;
    std::optional<QByteArray> onError;
    std::optional<QByteArray> masterPassword;
    QByteArray background;
    ConfigPlace backgroundPlace; // the MENU BACKGROUND line, a parent's for an inherited one
    int defaultEntry = 0;
    ConfigPlace place;

    int Param(MenuParam param) const { return params[static_cast<std::size_t>(param)]; }
    // Where it draws on a screen of that size.
    MenuLayout Layout(int columns, int rows) const { return MenuLayout(params, columns, rows); }
    const QByteArray& Message(MenuMessage message) const { return messages[static_cast<std::size_t>(message)]; }
    bool Disabled(int entry) const { return entries[static_cast<std::size_t>(entry)].action == MenuAction::Disabled; }
};

struct MenuConfig {
    static constexpr int HiddenMenu = 0; // MENU HIDE entries: never shown, found by label
    static constexpr int RootMenu = 1;
    std::vector<Menu> menus;
    int start = RootMenu;
    bool shiftKey = false;
    bool hidden = false; // MENU HIDDEN
    bool clear = false; // MENU CLEAR
    long long totalTimeoutMs = 0;
    std::optional<QByteArray> resolution; // MENU RESOLUTION as written
    ConfigPlace resolutionPlace;
    std::vector<ConfigFile> files; // every file it opened, in order
    std::optional<ConfigStop> stop;
    // MENU lines with a word the module does not know (MENU FONT ...), which it ignores.
    std::vector<std::pair<ConfigPlace, QByteArray>> ignored;
    QHash<QByteArray, std::pair<int, int>> labelIndex; // the first entry made of each label

    const Menu& At(int menu) const { return menus[static_cast<std::size_t>(menu)]; }
    // The entry of a label, in any menu (the hidden one too): the first made
    // of that name, as menu.c32's find_label walks its entries.
    std::optional<std::pair<int, int>> FindLabel(const QByteArray& word) const;
};

// Reads the files a menu module is given (MenuFiles says which), from the
// loader's current folder; "~" in an INCLUDE is mainConfig, the loader's
// configuration. Layout numbers that count from the bottom are kept as
// written; MenuLayout turns them into rows. TIMEOUT is kept as the module
// computes it (an int of milliseconds, wrapped).
MenuConfig ReadMenuConfig(const BootFiles& files, const QByteArray& folder, const std::vector<QByteArray>& configPaths,
    const QByteArray& mainConfig = {});

inline std::pair<int, int> MenuResolution(const MenuConfig& config) { return MenuResolution(config.resolution); }
