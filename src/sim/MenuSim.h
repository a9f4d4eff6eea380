#pragma once

#include "LineEditor.h"
#include "LoaderKeys.h"
#include "MenuDrawing.h"
#include "config/MenuConfig.h"

#include <QString>

class TColorConsole;

// menu.c32 6.04 played on the text screen: its state machine (run_menu,
// the hidden menu, the password box, the command-line editor, F-key
// screens), key by key and on a simulated clock; MenuDrawing prints what
// it shows. It ends with a command line for the loader to run, or without
// one when the user leaves for the boot: prompt.
class MenuSim {
public:
    enum class Outcome { Running, Run, Exit };

    MenuSim(TColorConsole& console, const BootFiles& files, QByteArray folder, MenuConfig config,
        LoaderVersion version = LoaderVersion::Debian());

    // As vesamenu.c32 draws: each cell keeps its colour-table index.
    void KeepTableIndices() { m_draw.KeepTableIndices(); }
    bool CursorShown() const { return m_draw.CursorShown(); }
    const AnsiConsole& Console() const { return m_draw.Console(); }
    // What the module sends to the serial port (its console writes the
    // port as well as the screen), from TapSerial() on, until taken.
    void TapSerial() { m_draw.Console().TapSerial(); }
    QByteArray TakeSerial() { return m_draw.Console().TakeSerial(); }
    // The module starting: its first menu, or its message when it has no entries.
    void Start();
    // After the loader failed to run the command: the menu again.
    void Resume();
    void Give(const LoaderInput& input);
    // Time passing; what is left of it when the menu ends on the way.
    long long Sleep(long long milliseconds);
    // Runs the clock until a timeout fires; false when none waits.
    bool RunOutTimeout();

    Outcome State() const { return m_outcome; }
    // Whether time passing changes anything: a countdown or TOTALTIMEOUT runs.
    bool Counting() const
    {
        return m_outcome == Outcome::Running
            && (((m_wait == Wait::Menu || m_wait == Wait::Hidden) && m_waitMs > 0) || TotalLeft() > 0);
    }
    const QByteArray& Command() const { return m_command; }
    std::optional<QByteArray> OnError() const { return Current().onError; }
    // What the real module would do that this cannot show, if anything.
    const QString& Note() const { return m_note; }
    void SetNote(const QString& note) { m_note = note; }
    const MenuConfig& Config() const { return m_config; }
    // The menu shown and its selected entry, for a view of the model.
    int MenuIndex() const { return m_menu; }
    int Entry() const { return m_entry; }
    // The entry shown on the list's first row.
    int Top() const { return m_top; }
    // The picture vesamenu.c32 shows behind the text now (empty for its
    // gradient): the menu's, or an F-key screen's while it shows.
    QByteArray Background() const { return m_background.value_or(QByteArray()); }

private:
    enum class Wait { None, Hidden, Menu, Edit, Password, Message };
    enum class PasswordFor { Tab, Escape, Entry };
    enum class MessageFor { Menu, Edit };

    const Menu& Current() const { return m_config.At(m_menu); }
    // The current menu's entry; none outside its list, where the module
    // reads before an empty submenu's first: nothing to show, ask or run.
    const MenuEntry* EntryAt(int index) const
    {
        const std::vector<MenuEntry>& entries = Current().entries;
        return index >= 0 && index < static_cast<int>(entries.size()) ? &entries[static_cast<std::size_t>(index)]
                                                                      : nullptr;
    }
    static std::optional<QByteArray> CommandOf(const MenuEntry* entry)
    {
        return entry ? std::optional(entry->commandLine) : std::nullopt;
    }
    // The drawing, showing the current menu.
    MenuDrawing& Draw()
    {
        m_draw.Show(Current());
        return m_draw;
    }
    const MenuLayout& Layout() { return Draw().Layout(); }
    void Print(const QByteArray& bytes) { m_draw.Print(bytes); }
    void NoRoom();
    void UseColours();

    void RunMenu();
    void Settle();
    void KeepInView();
    void MenuKey(int key);
    bool MoveKey(int key);
    bool LeaveKey(int key);
    void EnterMenu(int menu);
    void HiddenWait();
    void HiddenKey(int key);
    void TimedOut();
    void Finish(std::optional<QByteArray> command);
    void AskPassword(PasswordFor purpose, std::optional<QByteArray> entryPassword);
    void PasswordKey(int key);
    void PasswordDone(bool accepted);
    void StartEdit(const QByteArray& command);
    void DrawEditLine();
    void EditKey(int key);
    bool ShowFunctionKey(int key, MessageFor purpose);
    bool ShowMessageFile(const QByteArray& name, const QByteArray& background);
    void RestoreBackground();
    void MessageKey(int key);
    void Key(int key);
    void NoKey();
    void Await(Wait wait, long long milliseconds);
    long long TotalLeft() const;
    long long SkipTicks(long long milliseconds);
    void TotalTimedOut();

    MenuDrawing m_draw;
    const BootFiles& m_files;
    QByteArray m_folder;
    MenuConfig m_config;
    std::vector<int> m_current; // by menu: the entry it shows selected
    std::vector<int> m_tops;
    int m_menu = MenuConfig::RootMenu;
    Outcome m_outcome = Outcome::Running;
    QByteArray m_command;
    QString m_note;

    Wait m_wait = Wait::None;
    long long m_waitMs = 0; // 0 waits for a key without end
    long long m_waited = 0;
    long long m_totalLeft = 0; // the module's totaltimeout: it runs down, and below zero never does
    long long m_totalAtWait = 0; // what it was when this wait began
    std::optional<QByteArray> m_background; // set_background's: none for the gradient
    std::optional<QByteArray> m_oldBackground; // to come back after a help screen's

    // run_menu's state
    int m_entry = 0;
    int m_top = 0;
    int m_prevEntry = -1;
    int m_prevTop = -1;
    int m_clear = 1;
    long long m_keyTimeout = 0; // clock_t, as run_menu keeps them
    long long m_timeoutLeft = 0;
    long long m_hiddenLeft = 0; // an int, as do_hidden_menu keeps it
    long long m_hiddenStep = 0;
    bool m_toClear = false;
    bool m_hidden = false;

    // the password box
    PasswordFor m_passwordFor = PasswordFor::Tab;
    std::optional<QByteArray> m_entryPassword;
    QByteArray m_typed;

    // the command-line editor
    LineEditor m_edit;
    int m_prevLength = 0;

    MessageFor m_messageFor = MessageFor::Menu;
};
