// The designer's operations, each as the bytes it writes: a row gives the
// files before, the operation, and every file after (or the refusal's
// words, and then no byte may change).
#include "design/MenuDesign.h"
#include "FileTree.h"

#include <functional>

using namespace Design;

namespace {

using Files = std::vector<std::pair<QString, QByteArray>>;
using Operation = std::function<Change(const MenuDesign&)>;

struct Row {
    const char* name;
    Files before;
    Operation operation;
    Files after; // the files that change, as they end up
    const char* refusal = nullptr;
};

constexpr EntryRef First { MenuConfig::RootMenu, 0 };
constexpr EntryRef Second { MenuConfig::RootMenu, 1 };

const QByteArray Menu = "UI menu.c32\n"
                        "MENU TITLE Boot\n"
                        "TIMEOUT 50\n"
                        "LABEL linux\n"
                        "  MENU LABEL ^Linux\n"
                        "  KERNEL vmlinuz\n"
                        "  APPEND quiet\n"
                        "# the rescue entry\n"
                        "LABEL rescue\n"
                        "  MENU LABEL ^Rescue\n"
                        "  KERNEL vmlinuz\n"
                        "  APPEND single\n";

QByteArray Crlf(QByteArray lf) { return lf.replace("\n", "\r\n"); }
QByteArray Swap(QByteArray bytes, const QByteArray& from, const QByteArray& to) { return bytes.replace(from, to); }

Operation Rename(EntryRef ref, Property property, const char* value)
{
    return [=](const MenuDesign& design) { return design.Set(ref, property, value); };
}
Operation Look(int menu, Setting::Kind kind, int index, const char* value)
{
    return [=](const MenuDesign& design) { return design.SetSetting(menu, { kind, index }, value); };
}

const QByteArray Sub = "UI menu.c32\n"
                       "LABEL a\n"
                       "  KERNEL a\n"
                       "MENU BEGIN tools\n"
                       "  MENU TITLE Tools\n"
                       "  LABEL t\n"
                       "    KERNEL t\n"
                       "MENU END\n";

const std::vector<Row>& Rows()
{
    static const std::vector<Row> rows = {
        { "rename a label", { { "isolinux.cfg", Menu } }, Rename(Second, Property::Label, "safe"),
            { { "isolinux.cfg", Swap(Menu, "LABEL rescue", "LABEL safe") } } },
        { "menu label in a CR LF file", { { "isolinux.cfg", Crlf(Menu) } },
            Rename(First, Property::MenuLabel, "^Debian"),
            { { "isolinux.cfg", Crlf(Swap(Menu, "^Linux", "^Debian")) } } },
        { "new APPEND with tabs and mixed case",
            { { "isolinux.cfg", "Ui menu.c32\r\nLabel one\r\n\tMenu Label One\r\n\tKernel vmlinuz\r\n" } },
            Rename(First, Property::Append, "quiet"),
            { { "isolinux.cfg",
                "Ui menu.c32\r\nLabel one\r\n\tMenu Label One\r\n\tKernel vmlinuz\r\n\tappend quiet\r\n" } } },
        { "kernel and initrd", { { "isolinux.cfg", Menu } },
            [](const MenuDesign& d) { return d.Set(First, Property::Kernel, "/linux"); },
            { { "isolinux.cfg", Swap(Menu, "KERNEL vmlinuz\n  APPEND quiet", "KERNEL /linux\n  APPEND quiet") } } },
        { "an empty APPEND takes the line out", { { "isolinux.cfg", Menu } }, Rename(Second, Property::Append, ""),
            { { "isolinux.cfg", Swap(Menu, "  APPEND single\n", "") } } },
        { "move down keeps the comment between", { { "isolinux.cfg", Menu } },
            [](const MenuDesign& d) { return d.Move(First, 1); },
            { { "isolinux.cfg",
                "UI menu.c32\nMENU TITLE Boot\nTIMEOUT 50\nLABEL rescue\n  MENU LABEL ^Rescue\n  KERNEL vmlinuz\n"
                "  APPEND single\n# the rescue entry\nLABEL linux\n  MENU LABEL ^Linux\n  KERNEL vmlinuz\n"
                "  APPEND quiet\n" } } },
        { "move up over a last line without a break",
            { { "isolinux.cfg", "UI menu.c32\nLABEL a\nLABEL b\n  KERNEL b" } },
            [](const MenuDesign& d) { return d.Move(Second, -1); },
            { { "isolinux.cfg", "UI menu.c32\nLABEL b\n  KERNEL b\nLABEL a" } } },
        { "remove", { { "isolinux.cfg", Menu } }, [](const MenuDesign& d) { return d.Remove(First); },
            { { "isolinux.cfg",
                Swap(Menu, "LABEL linux\n  MENU LABEL ^Linux\n  KERNEL vmlinuz\n  APPEND quiet\n", "") } } },
        { "remove refuses a setting among the lines",
            { { "isolinux.cfg", "UI menu.c32\nLABEL a\nMENU WIDTH 40\n  KERNEL a\n" } },
            [](const MenuDesign& d) { return d.Remove(First); }, {}, "sets the menu" },
        { "duplicate drops MENU DEFAULT",
            { { "isolinux.cfg", "UI menu.c32\nLABEL a\n  MENU DEFAULT\n  KERNEL a\nLABEL b\n" } },
            [](const MenuDesign& d) { return d.Duplicate(First); },
            { { "isolinux.cfg",
                "UI menu.c32\nLABEL a\n  MENU DEFAULT\n  KERNEL a\nLABEL a-copy\n  KERNEL a\nLABEL b\n" } } },
        { "add a Linux entry", { { "isolinux.cfg", Menu } },
            [](const MenuDesign& d) { return d.Add(First, Template::Linux); },
            { { "isolinux.cfg",
                Swap(Menu, "APPEND quiet\n",
                    "APPEND quiet\nLABEL linux2\n  MENU LABEL ^Linux\n  LINUX /vmlinuz\n  INITRD /initrd.img\n") } } },
        { "add a separator, a local boot, a chain", { { "isolinux.cfg", "UI menu.c32\nlabel a\n" } },
            [](const MenuDesign& d) { return d.Add(First, Template::Separator); },
            { { "isolinux.cfg", "UI menu.c32\nlabel a\nmenu separator\n" } } },
        { "local boot", { { "isolinux.cfg", "UI menu.c32\nlabel a" } },
            [](const MenuDesign& d) { return d.Add(First, Template::LocalBoot); },
            { { "isolinux.cfg",
                "UI menu.c32\nlabel a\nlabel local\nmenu label Boot from ^local disk\nlocalboot 0" } } },
        { "chain.c32", { { "isolinux.cfg", "UI menu.c32\nLABEL a\n" } },
            [](const MenuDesign& d) { return d.Add(First, Template::Chain); },
            { { "isolinux.cfg",
                "UI menu.c32\nLABEL a\nLABEL chain\nMENU LABEL Boot from first hard ^disk\nCOM32 chain.c32\nAPPEND "
                "hd0\n" } } },
        { "a submenu", { { "isolinux.cfg", "UI menu.c32\nLABEL a\n" } },
            [](const MenuDesign& d) { return d.Add(First, Template::Submenu); },
            { { "isolinux.cfg",
                "UI menu.c32\nLABEL a\nMENU BEGIN submenu\nMENU TITLE Submenu\nLABEL submenu-back\nMENU LABEL "
                "^Back\nMENU EXIT\nMENU END\n" } } },
        { "MENU EXIT last in a submenu", { { "isolinux.cfg", Sub } },
            [](const MenuDesign& d) {
                return d.Add({ 2, -1 }, Template::MenuExit);
            },
            { { "isolinux.cfg",
                Swap(Sub, "KERNEL t\n", "KERNEL t\n  LABEL back\n    MENU LABEL ^Back\n    MENU EXIT\n") } } },
        { "MENU EXIT refused in the top menu", { { "isolinux.cfg", Sub } },
            [](const MenuDesign& d) { return d.Add(First, Template::MenuExit); }, {}, "top menu" },
        { "make default moves MENU DEFAULT",
            { { "isolinux.cfg", "UI menu.c32\nLABEL a\n  MENU DEFAULT\n  KERNEL a\nLABEL b\n  KERNEL b\n" } },
            [](const MenuDesign& d) { return d.MakeDefault(Second); },
            { { "isolinux.cfg", "UI menu.c32\nLABEL a\n  KERNEL a\nLABEL b\n  KERNEL b\n  MENU DEFAULT\n" } } },
        { "make default rewrites DEFAULT beside UI",
            { { "isolinux.cfg", "DEFAULT a quiet\nUI menu.c32\nLABEL a\nLABEL b\n" } },
            [](const MenuDesign& d) { return d.MakeDefault(Second); },
            { { "isolinux.cfg", "DEFAULT b quiet\nUI menu.c32\nLABEL a\nLABEL b\n" } } },
        { "hide", { { "isolinux.cfg", Menu } }, [](const MenuDesign& d) { return d.SetHidden(Second, true); },
            { { "isolinux.cfg", Menu + "  MENU HIDE\n" } } },
        { "show a hidden entry", { { "isolinux.cfg", "UI menu.c32\nLABEL a\nLABEL h\n  menu hide\n  KERNEL h\n" } },
            [](const MenuDesign& d) {
                return d.SetHidden({ MenuConfig::HiddenMenu, 0 }, false);
            },
            { { "isolinux.cfg", "UI menu.c32\nLABEL a\nLABEL h\n  KERNEL h\n" } } },
        { "disable", { { "isolinux.cfg", Menu } }, [](const MenuDesign& d) { return d.SetDisabled(Second, true); },
            { { "isolinux.cfg", Menu + "  MENU DISABLE\n" } } },
        { "enable a disabled entry", { { "isolinux.cfg", "UI menu.c32\nLABEL a\n  MENU DISABLE\n  KERNEL a\n" } },
            [](const MenuDesign& d) { return d.SetDisabled(First, false); },
            { { "isolinux.cfg", "UI menu.c32\nLABEL a\n  KERNEL a\n" } } },
        { "removing the entry DEFAULT starts in is refused",
            { { "isolinux.cfg", "UI menu.c32\nDEFAULT s\nLABEL a\nMENU BEGIN sub\nLABEL s\nLABEL t\nMENU END\n" } },
            [](const MenuDesign& d) {
                return d.Remove({ 2, 0 });
            },
            {}, "its start" },
        { "help text replaced, CR LF kept",
            { { "isolinux.cfg", Crlf("UI menu.c32\nLABEL a\n  TEXT HELP\n  old\n  ENDTEXT\n  KERNEL a\n") } },
            Rename(First, Property::HelpText, "new one\nsecond"),
            { { "isolinux.cfg",
                Crlf("UI menu.c32\nLABEL a\n  TEXT HELP\nnew one\nsecond\n  ENDTEXT\n  KERNEL a\n") } } },
        { "help text added", { { "isolinux.cfg", "UI menu.c32\nLABEL a\n  KERNEL a\n" } },
            Rename(First, Property::HelpText, "Boots a"),
            { { "isolinux.cfg", "UI menu.c32\nLABEL a\n  KERNEL a\n  TEXT HELP\nBoots a\n  ENDTEXT\n" } } },
        { "password", { { "isolinux.cfg", Menu } }, Rename(First, Property::Password, "$4$salt$hash$"),
            { { "isolinux.cfg", Swap(Menu, "quiet\n", "quiet\n  MENU PASSWD $4$salt$hash$\n") } } },
        { "submenu's label", { { "isolinux.cfg", Sub } }, Rename(Second, Property::MenuLabel, "^Tools"),
            { { "isolinux.cfg", Swap(Sub, "MENU BEGIN tools\n", "MENU BEGIN tools\n  MENU LABEL ^Tools\n") } } },
        { "title rewritten in place", { { "isolinux.cfg", Menu } },
            Look(MenuConfig::RootMenu, Setting::Kind::Title, 0, "Pick one"),
            { { "isolinux.cfg", Swap(Menu, "TITLE Boot", "TITLE Pick one") } } },
        { "a new colour goes before the first entry", { { "isolinux.cfg", Menu } },
            Look(MenuConfig::RootMenu, Setting::Kind::Colour, 5, "37;41 #ffffffff #ff800000 none"),
            { { "isolinux.cfg",
                Swap(Menu, "TIMEOUT 50\n", "TIMEOUT 50\nMENU COLOR sel 37;41 #ffffffff #ff800000 none\n") } } },
        { "a submenu's own colour", { { "isolinux.cfg", Sub } }, Look(2, Setting::Kind::Colour, 3, "31;40"),
            { { "isolinux.cfg", Swap(Sub, "MENU TITLE Tools\n", "MENU TITLE Tools\n  MENU COLOR unsel 31;40\n") } } },
        { "a colour in the INCLUDEd file",
            { { "isolinux.cfg", "UI menu.c32\nINCLUDE look.cfg\nLABEL a\n" },
                { "look.cfg", "menu colour  title 1;36;44\n" } },
            Look(MenuConfig::RootMenu, Setting::Kind::Colour, 2, "1;33;44"),
            { { "look.cfg", "menu colour  title 1;33;44\n" } } },
        { "a file two submenus read is refused",
            { { "isolinux.cfg",
                  "UI menu.c32\nMENU BEGIN a\nINCLUDE c.cfg\nMENU END\nMENU BEGIN b\nINCLUDE c.cfg\nMENU END\n" },
                { "c.cfg", "MENU COLOR sel 7;37;40\nLABEL x\n" } },
            Look(2, Setting::Kind::Colour, 5, "7;31;40"), {}, "in the menu “b” too" },
        { "layout number and TIMEOUT", { { "isolinux.cfg", Menu } },
            Look(MenuConfig::RootMenu, Setting::Kind::Timeout, 0, "100"),
            { { "isolinux.cfg", Swap(Menu, "TIMEOUT 50", "TIMEOUT 100") } } },
        { "a submenu's own TIMEOUT, not the top menu's", { { "isolinux.cfg", "TIMEOUT 50\n" + Sub } },
            Look(2, Setting::Kind::Timeout, 0, "100"),
            { { "isolinux.cfg",
                "TIMEOUT 50\n" + Swap(Sub, "MENU TITLE Tools\n", "MENU TITLE Tools\n  TIMEOUT 100\n") } } },
        { "a title line with nothing after it", { { "isolinux.cfg", "UI menu.c32\nMENU TITLE\nLABEL a\n" } },
            Look(MenuConfig::RootMenu, Setting::Kind::Title, 0, "Boot"),
            { { "isolinux.cfg", "UI menu.c32\nMENU TITLE Boot\nLABEL a\n" } } },
        { "MENU WIDTH", { { "isolinux.cfg", "UI menu.c32\nmenu width 60\nlabel a\n" } },
            Look(MenuConfig::RootMenu, Setting::Kind::Param, 0, "50"),
            { { "isolinux.cfg", "UI menu.c32\nmenu width 50\nlabel a\n" } } },
        { "MENU RESOLUTION", { { "isolinux.cfg", "UI vesamenu.c32\nLABEL a\n" } },
            Look(MenuConfig::RootMenu, Setting::Kind::Resolution, 0, "800 600"),
            { { "isolinux.cfg", "UI vesamenu.c32\nMENU RESOLUTION 800 600\nLABEL a\n" } } },
        { "MENU TABMSG", { { "isolinux.cfg", "UI menu.c32\nLABEL a\n" } },
            Look(MenuConfig::RootMenu, Setting::Kind::Message, 1, "Tab edits"),
            { { "isolinux.cfg", "UI menu.c32\nMENU TABMSG Tab edits\nLABEL a\n" } } },
        { "a background name with a blank",
            { { "isolinux.cfg", "UI vesamenu.c32\nLABEL a\n" }, { "my splash.png", "x" } },
            Look(MenuConfig::RootMenu, Setting::Kind::Background, 0, "my splash.png"), {}, "first blank" },
        { "a background outside the tree", { { "isolinux.cfg", "UI vesamenu.c32\nLABEL a\n" } },
            Look(MenuConfig::RootMenu, Setting::Kind::Background, 0, "../../../etc/splash.png"), {},
            "out of the boot tree" },
        { "a background", { { "isolinux.cfg", "UI vesamenu.c32\nLABEL a\n" }, { "splash.png", "x" } },
            Look(MenuConfig::RootMenu, Setting::Kind::Background, 0, "splash.png"),
            { { "isolinux.cfg", "UI vesamenu.c32\nMENU BACKGROUND splash.png\nLABEL a\n" } } },
        { "moving across files is refused",
            { { "isolinux.cfg", "UI menu.c32\nLABEL a\nINCLUDE more.cfg\n" }, { "more.cfg", "LABEL b\n" } },
            [](const MenuDesign& d) { return d.Move(First, 1); }, {}, "different files" },
        { "renaming the DEFAULT label is refused", { { "isolinux.cfg", "UI menu.c32\nDEFAULT b\nLABEL a\nLABEL b\n" } },
            Rename(Second, Property::Label, "c"), {}, "default" },
    };
    return rows;
}

}

TEST(MenuDesignTest, EachOperationWritesOnlyItsLines)
{
    for (const Row& row : Rows()) {
        SCOPED_TRACE(row.name);
        QTemporaryDir tree;
        for (const auto& [name, bytes] : row.before)
            WriteInTree(tree, "isolinux/" + name, bytes);
        const MenuDesign design(BootFiles::ForConfiguration(tree.filePath(QStringLiteral("isolinux/isolinux.cfg"))));
        ASSERT_TRUE(design.HasMenu());
        const Change change = row.operation(design);
        if (row.refusal) {
            EXPECT_TRUE(change.edits.empty());
            EXPECT_TRUE(change.refusal.contains(QString::fromUtf8(row.refusal), Qt::CaseInsensitive))
                << change.refusal.toStdString();
            continue;
        }
        EXPECT_FALSE(change.Refused()) << change.refusal.toStdString();
        for (const auto& [name, bytes] : row.before) {
            const QByteArray path = "/isolinux/" + name.toLatin1();
            QByteArray expected = bytes;
            for (const auto& [changed, after] : row.after) {
                if (changed == name)
                    expected = after;
            }
            EXPECT_EQ(ApplyEdits(bytes, change.edits, path).toStdString(), expected.toStdString())
                << name.toStdString();
        }
    }
}
