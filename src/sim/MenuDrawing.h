#pragma once

#include "AnsiConsole.h"
#include "LineEditor.h"
#include "config/LoaderVersion.h"
#include "config/MenuConfig.h"

#include <functional>

class TColorConsole;

// What menu.c32 6.04 prints for a menu (menumain.c): the box with its
// rows and scroll bar, the help text, the countdown, the password box and
// the command line, through the modules' console, each where the menu's
// layout puts it on this screen.
class MenuDrawing {
public:
    // noRoom is told when a width below zero leaves the box no room: the
    // real module overruns its buffers or never finishes drawing.
    MenuDrawing(TColorConsole& console, std::function<void()> noRoom, LoaderVersion version = LoaderVersion::Debian());

    // As vesamenu.c32 draws: each cell keeps its colour-table index.
    void KeepTableIndices() { m_console.KeepTableIndices(); }
    bool CursorShown() const { return m_console.CursorShown(); }
    const AnsiConsole& Console() const { return m_console; }
    AnsiConsole& Console() { return m_console; }
    void Print(const QByteArray& bytes) { m_console.Write(bytes); }

    // The menu drawn from now on.
    void Show(const Menu& menu);
    const MenuLayout& Layout() const { return m_layout; }

    // prepare_screen_for_menu's colour table, and clear_screen.
    void UseColours();
    void ClearScreen();
    // draw_menu: the box, its rows, the tab message (or none for the
    // editor's line) and the cursor parked on END_ROW.
    void Box(int selected, int top, bool editLine);
    // draw_row: one row of the box; without a scroll bar the bar's column
    // is left as it is when the entries do not all fit.
    void Row(int row, int selected, int top, std::optional<std::pair<int, int>> bar = std::nullopt);
    void Entry(int entry, int selected, int top) { Row(m_layout.RowOf(entry, top), selected, top); }
    // display_help: the entry's TEXT HELP, or the area erased.
    void Help(const QByteArray* text);
    // print_timeout_message: "#" the seconds, {one,two,many} by them,
    // centred and padded over what the last message left.
    void Timeout(int seconds, int row, const QByteArray& message);
    void EraseRow(int row);
    // ask_passwd's box, the cursor left where the typing goes.
    void PasswordBox();
    // The command line at CMDLINE_ROW with its marker, padded over the
    // last one's shown length, which it updates.
    void EditLine(const LineEditor& line, int& shown);

private:
    std::optional<QByteArray> Pad(const QByteArray& text, bool centre, int width);
    void EntryText(const MenuEntry& entry, const QByteArray& colour, const QByteArray& hotColour, int width);

    AnsiConsole m_console;
    std::function<void()> m_noRoom;
    LoaderVersion m_version;
    const Menu* m_menu = nullptr;
    MenuLayout m_layout;
    int m_lastTimeoutLength = 0; // static in the module: across menus
};
