#pragma once

#include "GrubEditor.h"
#include "GrubScreen.h"
#include "GrubTerminal.h"
#include "config/GrubConfig.h"
#include "sim/LoaderKeys.h"

#include <QString>

#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <vector>

// What an entry run would boot: its linux and initrd lines with the
// variables GRUB knows put in (the others left as ${name}).
struct GrubLoaded {
    QByteArray title;
    QByteArray kernel;
    QByteArray arguments; // the kernel's command line
    std::vector<QByteArray> initrds;
    QByteArray LinuxLine() const { return "linux " + kernel + (arguments.isEmpty() ? "" : " " + arguments); }
    QByteArray InitrdLine() const;
};

// GRUB 2.06's normal mode played on a grub.cfg of the commands Glimra
// writes (set, export, password_pbkdf2, source, configfile, regexp,
// menuentry and submenu with their options, and in an entry linux, initrd,
// exit, reboot, halt, background_image, clear, read and an if on
// authenticate), key by
// key on a simulated clock, as normal/menu.c, menu_entry.c and auth.c run
// it: the countdown and its hidden and countdown styles, the default by
// number, title or id, hotkeys, submenus with their own variables (only
// exported ones carry into them), the entry editor, the command line's
// prompt and the superusers' username and password. It ends booting a
// kernel, leaving GRUB (exit), restarting or switching off the machine.
class GrubSim {
public:
    enum class Outcome { Running, Boot, Exit, Reboot, Halt };
    // Read: an entry's read waits for Enter (over a picture it shows).
    enum class Screen { Blank, Menu, Editor, CommandLine, Username, Password, Read };

    struct Options {
        // What $prefix reads as; the files are read by their names after it.
        QByteArray prefix = "(cd0)/boot/grub";
        // Variables GRUB sets itself (net_default_ip ...), when they are known.
        std::map<QByteArray, QByteArray> values;
    };

    GrubSim(GrubConfig config, GrubFileReader files, Options options);
    GrubSim(GrubConfig config, GrubFileReader files)
        : GrubSim(std::move(config), std::move(files), Options())
    {
    }
    ~GrubSim();

    // Runs grub.cfg and shows its menu (or waits hidden, or boots at once);
    // nothing of the menu is there before.
    void Start();
    void Give(const LoaderInput& input);
    // Time passing; what is left of it when the menu ends on the way.
    long long Sleep(long long milliseconds);
    // Runs the clock until the countdown ends; false when none runs.
    bool RunOutTimeout();
    // Whether time passing changes anything: a countdown or a delay runs.
    bool Counting() const;

    Outcome State() const { return m_outcome; }
    Screen Shown() const { return m_screen; }
    const GrubLoaded& Boot() const { return m_boot; }
    const QString& Note() const { return m_note; }
    // The menu shown: its depth (0 at the top), titles, highlight and countdown.
    int Depth() const { return static_cast<int>(m_frames.size()) - 1; }
    GrubMenuView MenuView() const;
    // The theme the menu shows in, as named after $prefix/; empty for none.
    QByteArray ThemePath() const;
    // The text on the terminal (the editor, the command line, the prompts).
    const GrubTerminal& Text() const { return m_text; }
    int Width() const { return m_width; }
    int Height() const { return m_height; }
    // The screen as it is now.
    Vesa::Picture Draw() const;

private:
    struct Env {
        std::map<QByteArray, QByteArray> values;
        std::set<QByteArray> exported;
    };
    struct Frame {
        Env env;
        std::vector<const GrubItem*> entries;
        bool nested = false;
        bool autoBoot = false; // shown because a countdown ran out above
        int selected = 0;
        int first = 0;
        int timeout = -1;
    };
    // Where a script stopped to read a line, to go on from.
    struct Resume {
        const std::vector<GrubCommand>* commands = nullptr;
        const std::vector<GrubItem>* items = nullptr;
        std::size_t next = 0;
        int depth = 0;
        // An if whose condition is authenticate: its users, asked for before it goes on.
        const GrubCommand* authenticate = nullptr;
        QByteArray users;
    };
    // What a run of commands did: loaded a kernel, left GRUB, opened a menu,
    // or waits at a read.
    struct Loaded {
        std::optional<GrubLoaded> boot;
        std::optional<Outcome> end; // Exit, Reboot or Halt
        std::unique_ptr<Frame> menu;
        std::optional<Resume> resume;
        QByteArray title;
    };
    enum class Wait { None, Hidden, Menu, Delay };
    enum class Ask { Entry, Edit, CommandLine, Leave, Script };

    Frame& Top() { return *m_frames.back(); }
    const Frame& Top() const { return *m_frames.back(); }
    std::optional<QByteArray> Get(const Env& env, const QByteArray& name) const;
    QByteArray Expand(const Env& env, const GrubWord& word) const;
    // A file's name as the reader takes it: after $prefix/.
    QByteArray Relative(const QByteArray& path) const;

    // Running scripts (GrubSimRun.cpp).
    void RunScript(const std::vector<GrubCommand>& commands, const std::vector<GrubItem>& items, Frame& frame,
        Loaded& loaded, int depth = 0, std::size_t from = 0);
    enum class Next { Go, Stop, Read };
    // if authenticate USERS; then ...; [else ...;] fi, once answered.
    void Authenticate(const GrubCommand& command, Frame& frame, Loaded& loaded, int depth);
    void AuthenticateAnswered(bool accepted);
    Next RunCommand(const GrubCommand& command, Frame& frame, Loaded& loaded, int depth);
    void Regexp(const std::vector<QByteArray>& args, Env& env);
    void BackgroundImage(const std::vector<QByteArray>& args);
    void RunFile(const QByteArray& path, bool newMenu, Frame& frame, Loaded& loaded, int depth);
    const GrubConfig* ReadFile(const QByteArray& path);
    std::unique_ptr<Frame> NewContext(const Env& from) const;
    bool Authenticated(const std::optional<QByteArray>& users, const Env& env) const;

    // The menu (GrubSim.cpp).
    void RunMenu();
    void Await(Wait wait, int seconds);
    void ShowMenu();
    int DefaultEntry(const Frame& frame) const;
    int HotkeyEntry(int key) const;
    void Key(int key);
    void Tick();
    void HiddenKey(int key);
    void MenuKey(int key);
    void Execute(int entry, bool autoBoot);
    void Proceed(int entry, bool autoBoot);
    void Finish(std::unique_ptr<Loaded> loaded);
    void ReadKey(int key);
    void Leave();
    void Left();

    // The terminal's screens (GrubSimAsk.cpp).
    void AskUser(Ask purpose, std::optional<QByteArray> users);
    void PromptKey(int key);
    void Erase();
    void Deny();
    void Refused();
    void Accepted();
    void OpenEditor();
    void EditKey(int key);
    void RunEdited();
    void OpenCommandLine();
    void CommandLineKey(int key);

    // The drawing (GrubSimScreen.cpp).
    const Pf2Font* Font() const;
    GrubWindow ThemeTerminal() const;
    void ClearText();
    void Refresh();

    GrubConfig m_config;
    GrubFileReader m_files;
    Options m_options;
    std::deque<GrubConfig> m_read; // files sourced or loaded, kept for their items
    std::vector<std::unique_ptr<Frame>> m_frames;
    std::map<QByteArray, QByteArray> m_passwords; // password_pbkdf2's users
    std::set<QByteArray> m_authenticated;
    std::optional<Pf2Font> m_font;
    std::vector<QByteArray> m_fontPaths; // loadfont's, in their order
    int m_width = 640;
    int m_height = 480;

    Outcome m_outcome = Outcome::Running;
    Screen m_screen = Screen::Blank;
    GrubLoaded m_boot;
    QString m_note;
    GrubTerminal m_text { 80, 30 };
    GrubWindow m_window;
    bool m_themeShown = false; // the theme's picture shows, the text window over it
    Vesa::Picture m_menuPicture; // the theme's, as last drawn
    std::optional<Vesa::Picture> m_background; // background_image's, at the window's size
    std::unique_ptr<Loaded> m_reading; // an entry waiting at read

    Wait m_wait = Wait::None;
    long long m_tick = 0; // milliseconds into the running second
    int m_waitLeft = 0; // seconds: the countdown's, or the delay's
    int m_default = 0; // what the countdown boots, as run_menu found it
    bool m_countdown = false; // the hidden wait shows its seconds
    std::vector<int> m_held; // keys typed during a delay, read after it
    int m_punishment = 1; // auth.c's delay after a refusal, doubling

    std::unique_ptr<GrubEditor> m_editor;
    int m_editorDepth = -1; // the menu it edits an entry of; -1 when closed
    bool m_editorSubmenu = false;
    QByteArray m_editorTitle;
    QByteArray m_typed; // the command line's or the prompt's
    QByteArray m_login;
    Ask m_ask = Ask::Entry;
    std::optional<QByteArray> m_askUsers;
    int m_askEntry = -1;
    bool m_askAutoBoot = false;
    Screen m_before = Screen::Menu; // what a command line returns to
};
