#pragma once

#include "BootConfig.h"

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

// The settings menu.c32 lays its screen out by, in its own order.
enum class MenuParam {
    Width,
    Margin,
    PasswordMargin,
    Rows,
    TabMsgRow,
    CmdLineRow,
    EndRow,
    PasswordRow,
    TimeoutRow,
    HelpMsgRow,
    HelpMsgEndRow,
    HShift,
    VShift,
    HiddenRow,
    Count
};
constexpr std::size_t MenuParamCount = static_cast<std::size_t>(MenuParam::Count);
// The keyword after MENU and the value the menu starts with.
struct MenuParamInfo {
    const char* keyword;
    int value;
};
extern const std::array<MenuParamInfo, MenuParamCount> MenuParams;

// The colour names of MENU COLOR, by the index the drawing uses.
constexpr std::size_t MenuColourCount = 18;
extern const std::array<const char*, MenuColourCount> MenuColourNames;
// The ANSI part each colour starts with.
extern const std::array<const char*, MenuColourCount> MenuDefaultColours;

enum class MenuMessage { AutoBoot, Tab, NoTab, PassPrompt, Count };

struct MenuColour {
    QByteArray ansi; // "37;40"; the only part the text menu uses
    std::optional<QByteArray> argb; // the foreground and background words as written, when given
    ConfigPlace place;
};

struct MenuEntry {
    QByteArray displayName; // with its ^ marks
    QByteArray label; // empty for separators and disabled entries
    QByteArray commandLine; // what Enter runs, for a command
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
    std::array<int, MenuParamCount> params {};
    std::array<MenuColour, MenuColourCount> colours;
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
// written; ScreenParams turns them into rows. TIMEOUT is kept as the module
// computes it (an int of milliseconds, wrapped).
MenuConfig ReadMenuConfig(const BootFiles& files, const QByteArray& folder, const std::vector<QByteArray>& configPaths,
    const QByteArray& mainConfig = {});

// A menu's layout numbers on a screen of this size, as the module sets them
// before it draws: width 0 is the screen's, negative numbers count from the
// bottom; none is past Limits::MenuLayout.
std::array<int, MenuParamCount> ScreenParams(const Menu& menu, int columns, int rows);

// The colour a MENU COLOR #argb word means, as the menu module reads it
// (#rgb, #argb, #rrggbb, #aarrggbb ...; anything else is its bright red).
quint32 MenuArgb(const QByteArray& word);

// The screen vesamenu.c32 asks for: MENU RESOLUTION's two numbers as the
// module reads them (C's strtoul: 0x for hex, a missing one 0), 640 x 480
// without the line; and its text grid, 8-dot cells inside an 8-pixel border.
std::pair<int, int> MenuResolution(const MenuConfig& config);
constexpr int GraphicalBorder = 8;
constexpr int GridColumns(int width) { return (width - 2 * GraphicalBorder) / 8; }
constexpr int GridRows(int height, int fontHeight) { return (height - 2 * GraphicalBorder) / fontHeight; }
