// GRUB's menu played key by key: scripts of keys and what GRUB is doing
// after them (the menu shown, a prompt, or what it boots).
#include "sim/grub/GrubSim.h"
#include "config/GrubPasswords.h"
#include "render/ScreenPng.h"
#include "sim/grub/GrubKeys.h"

#include <gtest/gtest.h>

#include <map>

namespace {

const QByteArray Theme = "glimra/menu0/theme.txt";

// A grub.cfg as Glimra writes one: a theme, a countdown, a default by id.
QByteArray Menu(const QByteArray& settings, const QByteArray& entries = {})
{
    return "insmod all_video\nloadfont $prefix/glimra/vga16.pf2\nset gfxmode=640x480\nterminal_output gfxterm\n"
           "set theme=$prefix/"
        + Theme + "\n" + settings
        + (entries.isEmpty() ? "menuentry 'First' --id first --hotkey f {\n\tlinux /isolinux/vmlinuz quiet\n"
                               "\tinitrd /isolinux/initrd.gz\n}\n"
                               "menuentry 'Second' --id second { linux /casper/vmlinuz ip=${net_default_ip} }\n"
                               "submenu 'More' --id more {\n\tset theme=$prefix/glimra/menu1/theme.txt\n"
                               "\tmenuentry 'Inner' --id inner { linux /inner }\n"
                               "\tmenuentry 'Local' --id local { exit }\n}\n"
                             : entries);
}

struct Played {
    std::unique_ptr<GrubSim> sim;
    std::string state;
};

// What GRUB is doing, in a few words.
std::string StateOf(const GrubSim& sim)
{
    static const char* const ends[] = { "", "", "exit", "reboot", "halt" };
    if (sim.State() != GrubSim::Outcome::Running && sim.State() != GrubSim::Outcome::Boot)
        return ends[static_cast<int>(sim.State())];
    if (sim.State() == GrubSim::Outcome::Boot) {
        const GrubLoaded& boot = sim.Boot();
        return (boot.LinuxLine() + (boot.initrds.empty() ? "" : " | " + boot.InitrdLine())).toStdString();
    }
    static const char* const screens[] = { "blank", "menu", "editor", "command line", "username", "password", "read" };
    std::string state = screens[static_cast<int>(sim.Shown())];
    if (sim.Shown() == GrubSim::Screen::Menu) {
        const GrubMenuView view = sim.MenuView();
        state += " " + std::to_string(sim.Depth()) + ":" + std::to_string(view.selected);
        if (view.secondsLeft >= 0)
            state += " " + std::to_string(view.secondsLeft) + "s";
    }
    return state;
}

Played Play(const QByteArray& config, const QString& keys, GrubSim::Options options = {},
    std::map<QByteArray, QByteArray> files
    = { { Theme, "desktop-color: \"#000\"\n" }, { "glimra/menu1/theme.txt", "desktop-color: \"#000\"\n" } })
{
    Played played;
    played.sim = std::make_unique<GrubSim>(
        ReadGrubConfig(config),
        [files](const QByteArray& path) -> std::optional<QByteArray> {
            const auto found = files.find(path);
            return found == files.end() ? std::nullopt : std::optional(found->second);
        },
        std::move(options));
    played.sim->Start();
    QString error;
    const std::optional<std::vector<LoaderInput>> inputs = ParseLoaderKeys(keys, error);
    EXPECT_TRUE(inputs) << error.toStdString();
    for (const LoaderInput& input : inputs.value_or(std::vector<LoaderInput> {}))
        played.sim->Give(input);
    played.state = StateOf(*played.sim);
    return played;
}

struct Script {
    const char* what;
    QByteArray settings;
    const char* keys;
    std::string state;
};

const Script Scripts[] = {
    { "the countdown boots the default by id", "set timeout=5\nset default=second\n", "timeout",
        "linux /casper/vmlinuz ip=${net_default_ip}" },
    { "a second before the end", "set timeout=5\nset default=second\n", "sleep:4999", "menu 0:1 1s" },
    { "to the millisecond", "set timeout=5\nset default=second\n", "sleep:3000 sleep:2000",
        "linux /casper/vmlinuz ip=${net_default_ip}" },
    { "any key stops it", "set timeout=5\nset default=second\n", "down sleep:9000", "menu 0:2" },
    { "Enter runs the highlighted entry", "set timeout=5\nset default=second\n", "up ret",
        "linux /isolinux/vmlinuz quiet | initrd /isolinux/initrd.gz" },
    { "Ctrl+F and Right run it too", "set timeout=-1\n", "right",
        "linux /isolinux/vmlinuz quiet | initrd /isolinux/initrd.gz" },
    { "a hotkey runs its entry at once", "set timeout=5\nset default=second\n", "f",
        "linux /isolinux/vmlinuz quiet | initrd /isolinux/initrd.gz" },
    { "a hotkey is its own case", "set timeout=5\nset default=second\n", "shift-f", "menu 0:1" },
    { "Esc does nothing at the top", "set timeout=5\nset default=second\n", "esc", "menu 0:1" },
    { "no timeout: no countdown", "set timeout=-1\n", "sleep:60000", "menu 0:0" },
    { "timeout 0 boots at once", "set timeout=0\nset default=1\n", "", "linux /casper/vmlinuz ip=${net_default_ip}" },
    { "Enter opens a submenu", "set timeout=-1\n", "end ret", "menu 1:0" },
    { "Esc leaves it, the default highlighted again", "set timeout=-1\nset default=first\n", "end ret esc",
        "menu 0:0" },
    { "exit leaves GRUB", "set timeout=-1\n", "end ret down ret", "exit" },
    { "the countdown into a default in a submenu", "set timeout=1\nset default='more>local'\n", "sleep:1000", "exit" },
    { "the default by title", "set timeout=-1\nset default=Second\n", "", "menu 0:1" },
    { "by a number", "set timeout=-1\nset default=2\n", "", "menu 0:2" },
    { "past the end: the first", "set timeout=-1\nset default=7\n", "", "menu 0:0" },
    { "named by nothing: the first", "set timeout=-1\nset default=none\n", "", "menu 0:0" },
    { "moves stop at the ends", "set timeout=-1\n", "up up", "menu 0:0" },
    { "and at the last", "set timeout=-1\n", "down down down", "menu 0:2" },
    { "End, Home", "set timeout=-1\n", "end home", "menu 0:0" },
    { "PgDn to the last, PgUp to the first", "set timeout=-1\n", "pgdn", "menu 0:2" },
    { "v and ^ move too", "set timeout=-1\n", "v v ^", "menu 0:1" },
    { "hidden waits blank", "set timeout_style=hidden\nset timeout=3\n", "x sleep:2000", "blank" },
    { "hidden, then the default", "set timeout_style=hidden\nset timeout=3\nset default=1\n", "sleep:3000",
        "linux /casper/vmlinuz ip=${net_default_ip}" },
    { "hidden: Esc shows the menu without a countdown", "set timeout_style=hidden\nset timeout=3\n", "esc sleep:5000",
        "menu 0:0" },
    { "hidden: F4 as well", "set timeout_style=hidden\nset timeout=3\n", "f4", "menu 0:0" },
    { "hidden: a hotkey boots", "set timeout_style=hidden\nset timeout=3\nset default=1\n", "f",
        "linux /isolinux/vmlinuz quiet | initrd /isolinux/initrd.gz" },
    { "hidden without a timeout is the menu", "set timeout_style=hidden\nset timeout=-1\n", "", "menu 0:0" },
    { "countdown style waits blank as well", "set timeout_style=countdown\nset timeout=3\n", "", "blank" },
    { "e edits the highlighted entry", "set timeout=5\n", "e", "editor" },
    { "Esc leaves the editor, highlight kept", "set timeout=5\n", "down e esc", "menu 0:1" },
    { "Ctrl+X boots the lines", "set timeout=5\nset default=1\n", "e ctrl-x",
        "linux /casper/vmlinuz ip=${net_default_ip}" },
    { "edited lines boot as edited", "set timeout=5\nset default=1\n", "e down end \" x=1\" f10",
        "linux /casper/vmlinuz ip=${net_default_ip} x=1" },
    { "a line killed and yanked back", "set timeout=5\n", "e down down ctrl-k ctrl-y \" nomodeset\" ctrl-x",
        "linux /isolinux/vmlinuz quiet nomodeset | initrd /isolinux/initrd.gz" },
    { "a new line typed", "set timeout=5\n", "e down down down end ret \"linux /other\" ctrl-x", "linux /other" },
    { "the lines of an exit", "set timeout=5\n", "end ret down e ctrl-x", "exit" },
    { "c opens the command line", "set timeout=5\n", "c", "command line" },
    { "Esc leaves it", "set timeout=5\n", "c \"ls\" ret esc", "menu 0:0" },
    { "from the editor and back", "set timeout=5\n", "e ctrl-c esc", "editor" },
};

}

TEST(GrubSimTest, KeyScripts)
{
    for (const Script& script : Scripts)
        EXPECT_EQ(Play(Menu(script.settings), QString::fromLatin1(script.keys)).state, script.state) << script.what;
}

// Passwords: superusers for every entry without options, --users adds
// users, --unrestricted opens one; a wrong password waits a second, then
// two, and the menu comes again from its default.
TEST(GrubSimTest, LockedEntries)
{
    const QByteArray root = GrubPasswords::MakePbkdf2("secret", 100);
    const QByteArray bob = GrubPasswords::MakePbkdf2("builder", 100);
    const QByteArray users = "set timeout=5\nset superusers=\"root\"\npassword_pbkdf2 root " + root
        + "\npassword_pbkdf2 bob " + bob + "\n";
    const QByteArray entries = "menuentry 'Open' --unrestricted { linux /open }\n"
                               "menuentry 'Locked' { linux /locked }\n"
                               "menuentry 'Bob' --users bob { linux /bob }\n"
                               "submenu 'Tools' --unrestricted { menuentry 'Inner' { linux /inner } }\n";
    const struct {
        const char* what;
        QByteArray more;
        const char* keys;
        std::string state;
    } cases[] = {
        { "an open entry boots", "", "ret", "linux /open" },
        { "a locked one asks", "", "down ret", "username" },
        { "then the password", "", "down ret \"root\" ret", "password" },
        { "the superuser's boots it", "", "down ret \"root\" ret \"secret\" ret", "linux /locked" },
        { "a typo taken back", "", "down ret \"rooz\" backspace \"t\" ret \"secrex\" backspace \"t\" ret",
            "linux /locked" },
        { "a wrong one waits a second", "", "down ret \"root\" ret \"wrong\" ret sleep:999", "password" },
        { "then the menu from its default", "", "down ret \"root\" ret \"wrong\" ret sleep:1000", "menu 0:0" },
        { "keys typed meanwhile are read after", "", "down ret \"root\" ret \"wrong\" ret down down sleep:1000",
            "menu 0:2" },
        { "the second refusal waits two", "",
            "down ret \"root\" ret \"wrong\" ret sleep:1000 down ret \"root\" ret \"wrong\" ret sleep:1000",
            "password" },
        { "Esc refuses", "", "down ret esc sleep:1000", "menu 0:0" },
        { "a user not a superuser", "", "down ret \"bob\" ret \"builder\" ret sleep:1000", "menu 0:0" },
        { "an unknown user", "", "down ret \"eve\" ret \"secret\" ret sleep:1000", "menu 0:0" },
        { "bob's own entry", "", "down down ret \"bob\" ret \"builder\" ret", "linux /bob" },
        { "the superuser boots it too", "", "down down ret \"root\" ret \"secret\" ret", "linux /bob" },
        { "e needs a superuser", "", "e", "username" },
        { "once known, never asked again", "", "e \"root\" ret \"secret\" ret esc down ret", "linux /locked" },
        { "c needs one too", "", "c \"root\" ret \"secret\" ret", "command line" },
        // superusers is not exported: a submenu's entries are open to all.
        { "inside a submenu nothing is locked", "", "end ret ret", "linux /inner" },
        { "unless it is exported", "export superusers\n", "end ret ret", "username" },
        { "and then Esc asks as well", "export superusers\n", "end ret esc", "username" },
    };
    for (const auto& each : cases)
        EXPECT_EQ(Play(Menu(users + each.more, entries), QString::fromLatin1(each.keys)).state, each.state)
            << each.what;
}

// With no master, Glimra's submenus hold no superusers and a locked entry
// asks for its user itself: authenticate in an if, superusers set only
// while it asks, so Esc leaves the submenu even after a refusal.
TEST(GrubSimTest, EntriesThatAskThemselves)
{
    const QByteArray config
        = Menu("set timeout=-1\nset superusers=\"\"\npassword_pbkdf2 t " + GrubPasswords::MakePbkdf2("pw", 100) + "\n",
            "submenu 'S' --id s --unrestricted {\n"
            "\tmenuentry 'T' --id t {\n\t\tset superusers=\"\"\n\t\tif authenticate t; then\n\t\t\tlinux /t\n"
            "\t\telse\n\t\t\tset refused=yes\n\t\tfi\n\t\tunset superusers\n\t\tlinux /after-$refused\n\t}\n"
            "\tmenuentry 'U' --id u { linux /u }\n}\n");
    const struct {
        const char* keys;
        std::string state;
    } cases[] = {
        { "ret ret", "username" },
        { "ret ret \"t\" ret \"pw\" ret", "linux /after-${refused}" },
        { "ret ret \"t\" ret \"no\" ret sleep:1000", "linux /after-yes" },
        { "ret esc", "menu 0:0" },
        { "ret down ret", "linux /u" },
    };
    for (const auto& each : cases)
        EXPECT_EQ(Play(config, QString::fromLatin1(each.keys)).state, each.state) << each.keys;
    // Refused, nothing loads: the submenu comes back and Esc leaves it.
    const QByteArray plain = QByteArray(config).replace("\t\tlinux /after-$refused\n", "");
    EXPECT_EQ(Play(plain, "ret ret esc sleep:1000").state, "menu 1:0");
    EXPECT_EQ(Play(plain, "ret ret esc sleep:1000 esc").state, "menu 0:0");
    EXPECT_EQ(Play(plain, "ret ret \"t\" ret \"pw\" ret").state, "linux /t");
}

// The prompts as GRUB prints them: the login echoed, the password not.
TEST(GrubSimTest, PromptTexts)
{
    const QByteArray config = Menu(
        "set superusers=root\npassword_pbkdf2 root " + GrubPasswords::MakePbkdf2("secret", 100) + "\nset timeout=-1\n");
    const Played played = Play(config, "ret \"root\" ret \"sec\"");
    const GrubTerminal& text = played.sim->Text();
    EXPECT_EQ(text.Row(0), "Enter username:");
    EXPECT_EQ(text.Row(1), "root");
    EXPECT_EQ(text.Row(2), "Enter password:");
    EXPECT_EQ(text.Row(3), "");
    EXPECT_EQ(std::pair(text.X(), text.Y()), std::pair(0, 3));
}

// The editor's page: the version line, the entry's setparams line and its
// body in the frame, the cursor where the keys left it; the command line's
// prompt.
TEST(GrubSimTest, EditorAndCommandLineTexts)
{
    const Played edited = Play(Menu("set timeout=-1\n"), "e down right right");
    const GrubTerminal& text = edited.sim->Text();
    EXPECT_EQ(text.Row(1).trimmed(), "GNU GRUB  version 2.06-13+deb12u2");
    EXPECT_EQ(text.Row(4).mid(1, 20), QString::fromUtf8("│setparams 'First'  "));
    EXPECT_EQ(text.Row(5).mid(2).trimmed(), QString::fromUtf8("│")) << "the body's first line is empty";
    EXPECT_EQ(text.Row(6).mid(2, 32), "        linux /isolinux/vmlinuz ");
    EXPECT_EQ(std::pair(text.X(), text.Y()), std::pair(10, 6)) << "from the empty line to the next, then past its tab";
    const Played typed = Play(Menu("set timeout=-1\n"), "c \"ls\"");
    bool prompt = false;
    for (int row = 0; row < typed.sim->Text().Rows(); ++row)
        prompt = prompt || typed.sim->Text().Row(row) == "grub> ls";
    EXPECT_TRUE(prompt);
}

// The list scrolls to keep the highlight in view: a theme's rows as GRUB's
// list draws them, the text menu's (no theme) as its page leaves.
TEST(GrubSimTest, Scrolling)
{
    QByteArray entries;
    for (int entry = 0; entry < 20; ++entry)
        entries += "menuentry 'Entry " + QByteArray::number(entry) + "' { linux /k }\n";
    const GrubSim::Options options;
    // Three rows of 20 pixels.
    const QByteArray theme = "+ boot_menu { left = 0 top = 0 width = 640 height = 60 item_height = 20 item_padding = 0 "
                             "item_spacing = 0 }\n";
    const auto firstAfter = [&](const char* keys, bool themed) {
        return Play(Menu("set timeout=-1\n", entries), keys, options,
            themed ? std::map<QByteArray, QByteArray> { { Theme, theme } } : std::map<QByteArray, QByteArray> {})
            .sim->MenuView()
            .first;
    };
    EXPECT_EQ(firstAfter("down down", true), 0);
    EXPECT_EQ(firstAfter("down down down", true), 1);
    EXPECT_EQ(firstAfter("end", true), 17);
    EXPECT_EQ(firstAfter("end up up up", true), 16);
    EXPECT_EQ(firstAfter("end home", true), 0);
    const auto selectedAfter = [&](const char* keys) {
        return Play(Menu("set timeout=-1\n", entries), keys, options).sim->MenuView().selected;
    };
    EXPECT_EQ(selectedAfter("end pgup"), 9) << "ten up";
    EXPECT_EQ(selectedAfter("down pgup"), 0);
    EXPECT_EQ(selectedAfter("pgdn"), 10);
    EXPECT_EQ(selectedAfter("pgdn pgdn"), 19);
    EXPECT_EQ(firstAfter("end", false), 4) << "16 rows at 640 x 480 in 8 x 16 cells";
    const Played text = Play(Menu("set timeout=3\n", entries), "", options, {});
    EXPECT_EQ(text.sim->Text().Row(4).mid(2, 9), "*Entry 0 ");
    EXPECT_EQ(text.sim->Text().Row(20).mid(1, 3), QString::fromUtf8("└──"));
    EXPECT_TRUE(text.sim->Text().Row(21).isEmpty());
    EXPECT_TRUE(text.sim->Text().Row(22).contains("keys to select which entry is highlighted."));
    EXPECT_EQ(text.sim->Text().Row(25).trimmed(), "The highlighted entry will be executed automatically in 3s.");
}

// The other commands the generator writes: a screen shown until Enter,
// reboot and halt, CONFIG's configfile, IPAPPEND's network variables split
// with regexp, a sourced file's entries.
TEST(GrubSimTest, GeneratedCommands)
{
    const QByteArray entries
        = "menuentry 'Help' { background_image $prefix/glimra/screens/f1.png ; clear ; read ; background_image }\n"
          "menuentry 'Reboot' { reboot }\nmenuentry 'Halt' { halt }\n"
          "menuentry 'Other' { configfile $prefix/other.cfg }\n"
          "menuentry 'Net' { regexp --set=1:m1 --set=2:m2 '^([^:]*):([^:]*)$' \"$net_default_mac\" ; "
          "linux /k BOOTIF=01-${m1}-${m2} ip=${net_default_ip} }\n"
          "source $prefix/more.cfg\n";
    const std::map<QByteArray, QByteArray> files { { "glimra/screens/f1.png",
                                                       PicturePng(Vesa::Picture(2, 2, 0xFF0000)) },
        { "other.cfg", "set timeout=-1\nmenuentry 'In other' { linux /o }\n" },
        { "more.cfg", "menuentry 'More' { linux /more }\n" } };
    GrubSim::Options options;
    options.values = { { "net_default_mac", "52:54" }, { "net_default_ip", "10.0.2.15" } };
    const struct {
        const char* keys;
        std::string state;
    } cases[] = {
        { "ret", "read" },
        { "ret \"any\" sleep:60000", "read" },
        { "ret \"any\" ret", "menu 0:0" },
        { "down ret", "reboot" },
        { "down down ret", "halt" },
        { "down down down ret", "menu 1:0" },
        { "down down down ret ret", "linux /o" },
        { "down down down ret esc", "menu 0:0" },
        { "down down down down ret", "linux /k BOOTIF=01-52-54 ip=10.0.2.15" },
        { "end ret", "linux /more" },
    };
    for (const auto& each : cases)
        EXPECT_EQ(Play(Menu("set timeout=-1\n", entries), each.keys, options, files).state, each.state) << each.keys;
    // The picture fills gfxterm's window while read waits, and goes after.
    const Played shown = Play(Menu("set timeout=-1\n", entries), "ret", options, files);
    EXPECT_EQ(shown.sim->Draw().At(320, 240), 0xFF0000u);
    EXPECT_EQ(shown.sim->Draw().At(0, 0), 0xFF0000u) << "the window's border too";
    shown.sim->Give(LoaderInput::Of(Keys::Key::Named(Keys::Name::Enter)));
    EXPECT_EQ(StateOf(*shown.sim), "menu 0:0");
    EXPECT_EQ(shown.sim->Draw().At(0, 0), 0u) << "background_image without a file took it away";
    shown.sim->Give(LoaderInput::Of(Keys::Key::Named(Keys::Name::Enter)));
    EXPECT_EQ(StateOf(*shown.sim), "read") << "the entry again";
    const Played unknown = Play(Menu("set timeout=-1\n", entries), "end up ret", {}, files);
    EXPECT_EQ(unknown.state, "linux /k BOOTIF=01-${m1}-${m2} ip=${net_default_ip}") << "variables no one set stay";
}

// How GRUB reads what grub.cfg sets: numbers as strtoul does, defaults
// naming titles with '>' in them, lists of users, bare theme names, and
// entries that load nothing.
TEST(GrubSimTest, ReadingTheSettings)
{
    const QByteArray entries = "menuentry 'a>b' { linux /ab }\nmenuentry 'Two' { linux /two }\n"
                               "menuentry 'Three' --users 'amy,bob' { linux /three }\n"
                               "menuentry 'Initrd first' { initrd /i ; linux /k }\n"
                               "menuentry 'Nothing' { echo hello }\n"
                               "menuentry 'Loop' { source $prefix/loop.cfg }\n"
                               "menuentry 'Sixsix' { linux /66 }\nmenuentry 'Six' { linux /6 }\n";
    const QByteArray bob = GrubPasswords::MakePbkdf2("b", 100);
    const std::map<QByteArray, QByteArray> files { { "loop.cfg", "source $prefix/loop.cfg\n" } };
    const struct {
        QByteArray settings;
        const char* keys;
        std::string state;
        const char* note; // part of what the simulator says, if anything
    } cases[] = {
        { "set default=0x1\n", "", "menu 0:1", "" },
        { "set default=02\n", "", "menu 0:2", "" },
        { "set default=1st\n", "", "menu 0:1", "" },
        { "set default='a>>b'\n", "", "menu 0:0", "" },
        { "set default=Three\n", "", "menu 0:2", "" },
        { "set default='Six>x'\n", "", "menu 0:7", "" }, // the submenu's title whole, not a longer one
        { "set default=1\nset timeout=five\n", "sleep:10000", "menu 0:1", "" },
        { "set superusers=root\npassword_pbkdf2 bob " + bob + "\n", "down down ret \"bob\" ret \"b\" ret",
            "linux /three", "" },
        { "", "down down down ret", "linux /k", "load the kernel first" },
        { "", "down down down down ret", "menu 0:0", "loads no kernel" },
        { "", "down down down down down ret", "menu 0:0", "deeper than 32" },
        { "set theme=starfield/theme.txt\n", "", "menu 0:0", "" },
    };
    for (const auto& each : cases) {
        const Played played = Play(Menu(each.settings, entries), each.keys, {}, files);
        EXPECT_EQ(played.state, each.state) << each.settings.toStdString() << each.keys;
        EXPECT_TRUE(played.sim->Note().contains(QLatin1StringView(each.note))) << played.sim->Note().toStdString();
    }
    EXPECT_EQ(Play(Menu("set theme=starfield/theme.txt\n", entries), "").sim->ThemePath(), "themes/starfield/theme.txt")
        << "a bare name is one of $prefix/themes";
}

// Under a theme the editor and the pictures take the theme's terminal
// window: GRUB's default (all of 640 x 480 but a 9-pixel frame), or what
// the theme's terminal-* properties ask for.
TEST(GrubSimTest, TheThemesTerminal)
{
    const QByteArray entries
        = "menuentry 'Help' { background_image $prefix/f1.png ; clear ; read ; background_image }\n";
    const QByteArray whole = "desktop-color: \"#00f\"\nterminal-left: \"0\"\nterminal-top: \"0\"\n"
                             "terminal-width: \"100%\"\nterminal-height: \"100%\"\nterminal-border: \"0\"\n";
    const auto played = [&](const QByteArray& theme, const char* keys) {
        return Play(Menu("set timeout=-1\n", entries), keys, {},
            { { Theme, theme }, { "f1.png", PicturePng(Vesa::Picture(640, 480, 0xFF0000)) } });
    };
    const Played framed = played("desktop-color: \"#00f\"\n", "e");
    EXPECT_EQ(std::pair(framed.sim->Text().Columns(), framed.sim->Text().Rows()), std::pair(77, 28));
    const Played full = played(whole, "e");
    EXPECT_EQ(std::pair(full.sim->Text().Columns(), full.sim->Text().Rows()), std::pair(80, 30));
    const Vesa::Picture small = played("desktop-color: \"#00f\"\n", "ret").sim->Draw();
    EXPECT_EQ(small.At(4, 4), 0x0000FFu) << "the menu's picture around the window";
    EXPECT_EQ(small.At(9, 9), 0xFF0000u);
    const Vesa::Picture screen = played(whole, "ret").sim->Draw();
    EXPECT_EQ(screen.At(0, 0), 0xFF0000u) << "the whole screen";
    const Played large = Play(Menu("set timeout=-1\nset gfxmode=1024x768\n", entries), "e", {},
        { { Theme,
            "terminal-left: \"1%\"\nterminal-top: \"20\"\nterminal-width: \"700\"\nterminal-height: \"50%+116\"\n"
            "terminal-border: \"2\"\n" } });
    EXPECT_EQ(std::pair(large.sim->Text().Columns(), large.sim->Text().Rows()), std::pair(87, 31))
        << "696 x 496 pixels inside the border";
}

// GRUB's key codes from the keys given and a --hotkey's words.
TEST(GrubSimTest, Keys)
{
    const auto typed = [](char byte) { return GrubKey::Of(LoaderInput::Of(Keys::Key::Typed(byte))); };
    EXPECT_EQ(typed(0x18), GrubKey::CtrlKey('x'));
    EXPECT_EQ(typed('\b'), GrubKey::Backspace);
    EXPECT_EQ(typed(0x1b), GrubKey::Escape);
    EXPECT_EQ(typed('a'), 'a');
    EXPECT_EQ(GrubKey::Of(LoaderInput::Of(Keys::Key::Named(Keys::Name::F10))), GrubKey::F10);
    EXPECT_EQ(GrubKey::Of(LoaderInput::Of(Keys::Key::Named(Keys::Name::F4))), GrubKey::F4);
    EXPECT_EQ(GrubKey::HotkeyOf("f4"), GrubKey::F4);
    EXPECT_EQ(GrubKey::HotkeyOf("F4"), 'F') << "the names are lower case";
    EXPECT_EQ(GrubKey::HotkeyOf("tab"), GrubKey::Tab);
}
