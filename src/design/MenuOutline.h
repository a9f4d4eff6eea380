#pragma once

#include "config/MenuConfig.h"

#include <QMap>
#include <QString>

#include <optional>
#include <vector>

// A menu reading as a tree that two readings can be compared by: each
// menu's settings and its entries in order, a submenu's entry holding its
// menu; places, hotkeys and menu numbers left out, since an edit moves
// them without changing what the menu does.
namespace Design {

using MenuSettings = QMap<QByteArray, QByteArray>; // by the directive's words: "menu color sel", "timeout"

struct OutlineNode {
    MenuEntry entry;
    MenuSettings settings; // the submenu's, or the menu's for a root
    std::vector<OutlineNode> children;
};

struct Outline {
    std::vector<OutlineNode> roots; // the top menu, then the hidden entries
    QByteArray global; // MENU RESOLUTION, HIDDEN, CLEAR, SHIFTKEY, TOTALTIMEOUT, the start menu
};

Outline OutlineOf(const MenuConfig& config);
MenuSettings SettingsOf(const Menu& menu);

// The way to a menu's node (a root's index, then entries), and to an entry's.
std::optional<std::vector<int>> PathOfMenu(const MenuConfig& config, int menu);
std::optional<std::vector<int>> PathOfEntry(const MenuConfig& config, int menu, int entry);
OutlineNode& NodeAt(Outline& outline, const std::vector<int>& path);
// The list a node stands in (its menu's entries).
std::vector<OutlineNode>& SiblingsOf(Outline& outline, const std::vector<int>& path);

// A removed, hidden or moved entry may hand the default on by the menu's
// own rule (the first entry without MENU DEFAULT): the found flags taken.
void TakeDefaults(std::vector<OutlineNode>& expected, const std::vector<OutlineNode>& found);

// What differs, in words, or nothing.
QString Difference(const Outline& expected, const Outline& found);

}
