// grub.cfg made from a tree's SYSLINUX side: one row for each rule of the
// mapping, with the lines the file must hold and must not, and the
// findings it must make. Every file made must read back as GRUB reads it.
#include "grub/GrubScript.h"
#include "FileTree.h"
#include "config/GrubConfig.h"
#include "config/GrubPasswords.h"

#include <QProcess>
#include <QSet>
#include <QStandardPaths>

namespace {

using Files = std::vector<std::pair<QString, QByteArray>>;

struct Made {
    GrubScriptResult result;
    QSet<QByteArray> lines; // trimmed
};

// A fake hash keeps the rows readable; one test below checks the real one.
Made Make(const Files& files, bool carryConfig = false, const QString& config = "isolinux/isolinux.cfg")
{
    QTemporaryDir tree;
    for (const auto& [name, bytes] : files)
        WriteInTree(tree, name, bytes);
    GrubScriptOptions options;
    options.plan.hashPassword = [](const QByteArray& plain) { return "HASH(" + plain + ")"; };
    if (carryConfig)
        options.plan.configFile = [](const QByteArray& path, const QByteArray&) {
            return std::optional<QByteArray>("$prefix/glimra/config" + path);
        };
    Made made;
    made.result = MakeGrubScript(BootFiles::ForConfiguration(tree.filePath(config)), options);
    for (const QByteArray& line : made.result.grubCfg.split('\n'))
        made.lines.insert(line.trimmed());
    return made;
}

// Whether GRUB's grub-script-check takes the file (true without it).
bool GrubReads(const QByteArray& cfg)
{
    const QString check = QStandardPaths::findExecutable("grub-script-check");
    QTemporaryDir folder;
    const QString name = WriteInTree(folder, "grub.cfg", cfg);
    if (check.isEmpty())
        return true;
    QProcess process;
    process.start(check, { name });
    return process.waitForFinished(10000) && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

QByteArray UiMenu(const QByteArray& body) { return "UI menu.c32\n" + body; }

}

TEST(GrubScriptTest, MappingTable)
{
    const QByteArray two = "LABEL one\n KERNEL vmlinuz\nLABEL two\n KERNEL vmlinuz\n";
    const struct {
        const char* name;
        Files files;
        std::vector<QByteArray> present;
        std::vector<QByteArray> absent = {};
        std::vector<const char*> codes = {};
        bool carryConfig = false;
    } rows[] = {
        { "TIMEOUT tenths rounded up", { { "isolinux/isolinux.cfg", UiMenu("TIMEOUT 51\n" + two) } },
            { "set timeout=6" } },
        { "TIMEOUT 50", { { "isolinux/isolinux.cfg", UiMenu("TIMEOUT 50\n" + two) } }, { "set timeout=5" } },
        { "TIMEOUT 1", { { "isolinux/isolinux.cfg", UiMenu("TIMEOUT 1\n" + two) } }, { "set timeout=1" } },
        { "TIMEOUT 0 waits", { { "isolinux/isolinux.cfg", UiMenu("TIMEOUT 0\n" + two) } }, { "set timeout=-1" } },
        { "no TIMEOUT waits", { { "isolinux/isolinux.cfg", UiMenu(two) } },
            { "set timeout=-1", "set timeout_style=menu" } },
        { "MENU DEFAULT", { { "isolinux/isolinux.cfg", UiMenu(two + " MENU DEFAULT\n") } }, { "set default=two" } },
        { "DEFAULT names a label", { { "isolinux/isolinux.cfg", "DEFAULT menu.c32\nONTIMEOUT two\n" + two } }, {},
            { "set default=two" } },
        { "the first by default", { { "isolinux/isolinux.cfg", UiMenu(two) } }, { "set default=one" } },
        { "DEFAULT beside UI", { { "isolinux/isolinux.cfg", "UI menu.c32\nDEFAULT two\n" + two } },
            { "set default=two" } },
        { "hotkey", { { "isolinux/isolinux.cfg", UiMenu("LABEL r\n MENU LABEL ^Rescue me\n KERNEL vmlinuz\n") } },
            { "menuentry 'Rescue me' --id r --hotkey r {" } },
        { "a repeated hotkey is the first's",
            { { "isolinux/isolinux.cfg",
                UiMenu("LABEL a\n MENU LABEL ^Xa\n KERNEL k\nLABEL b\n MENU LABEL ^xb\n KERNEL k\n") } },
            { "menuentry 'Xa' --id a --hotkey x {", "menuentry 'xb' --id b {" } },
        { "MENU HIDE", { { "isolinux/isolinux.cfg", UiMenu(two + " MENU HIDE\n") } }, { "menuentry 'one' --id one {" },
            { "menuentry 'two' --id two {" } },
        { "MENU HIDDEN", { { "isolinux/isolinux.cfg", UiMenu("MENU HIDDEN\n" + two) } },
            { "set timeout_style=hidden" } },
        { "MENU BEGIN",
            { { "isolinux/isolinux.cfg",
                UiMenu("LABEL a\n KERNEL a\nMENU BEGIN tools\n MENU TITLE Tools\n LABEL t\n  KERNEL t\n  MENU "
                       "DEFAULT\nMENU END\n") } },
            { "set theme=$prefix/glimra/menu1/theme.txt", "submenu 'Tools' --id tools {",
                "set theme=$prefix/glimra/menu2/theme.txt", "set default=t", "linux /isolinux/t" } },
        { "MENU EXIT",
            { { "isolinux/isolinux.cfg",
                UiMenu("MENU BEGIN tools\n LABEL t\n  KERNEL t\n LABEL back\n  MENU LABEL Back\n  MENU EXIT\nMENU "
                       "END\n") } },
            { "menuentry 't' --id t {" }, { "menuentry 'Back' --id back {" }, { "grub-menu-exit" } },
        { "MENU PASSWD", { { "isolinux/isolinux.cfg", UiMenu(two + " MENU PASSWD s3cret\n") } },
            { "set superusers=\"\"", "password_pbkdf2 two HASH(s3cret)", "menuentry 'one' --id one --unrestricted {",
                "menuentry 'two' --id two --users two {" },
            { "export superusers" }, { "grub-no-master" } },
        { "MENU MASTER PASSWD", { { "isolinux/isolinux.cfg", UiMenu("MENU MASTER PASSWD boss\n" + two) } },
            { "set superusers=\"master\"", "password_pbkdf2 master HASH(boss)",
                "menuentry 'two' --id two --unrestricted {" } },
        { "a hash stays locked",
            { { "isolinux/isolinux.cfg", UiMenu("MENU MASTER PASSWD boss\n" + two + " MENU PASSWD $6$salt$abc\n") } },
            { "menuentry 'two' --id two --users two {", "password_pbkdf2 master HASH(boss)" },
            { "password_pbkdf2 two HASH($6$salt$abc)" }, { "grub-hashed-password" } },
        { "an empty password", { { "isolinux/isolinux.cfg", UiMenu(two + " MENU PASSWD\n") } },
            { "password_pbkdf2 two HASH()" }, {}, { "grub-empty-password" } },
        { "a locked submenu",
            { { "isolinux/isolinux.cfg", UiMenu("MENU BEGIN s\n MENU PASSWD pw\n LABEL t\n  KERNEL t\nMENU END\n") } },
            { "submenu 's' --id s --users s {", "menuentry 't' --id t {" }, { "export superusers" },
            { "grub-no-master", "grub-submenu-open" } },
        // With no master a superuser alone could leave a submenu: inside one,
        // a locked entry (or one of a locked submenu there) asks itself.
        { "a locked entry in a submenu",
            { { "isolinux/isolinux.cfg",
                UiMenu("MENU BEGIN s\n LABEL t\n  KERNEL t\n  MENU PASSWD pw\n MENU BEGIN d\n  MENU PASSWD dp\n  "
                       "LABEL u\n   KERNEL u\n MENU END\nMENU END\n") } },
            { "menuentry 't' --id t {", "set superusers=\"\"", "if authenticate t; then", "linux /isolinux/t", "fi",
                "unset superusers", "submenu 'd' --id d {", "if authenticate d; then" },
            { "export superusers", "menuentry 't' --id t --users t {" }, { "grub-no-master", "grub-submenu-open" } },
        { "a master's submenus keep superusers",
            { { "isolinux/isolinux.cfg",
                UiMenu("MENU MASTER PASSWD boss\nMENU BEGIN s\n LABEL t\n  KERNEL t\n  MENU PASSWD pw\nMENU END\n") } },
            { "export superusers", "menuentry 't' --id t --users t {" }, { "if authenticate t; then" },
            { "grub-submenu-leave" } },
        { "ALLOWOPTIONS 0 locks editing", { { "isolinux/isolinux.cfg", UiMenu("ALLOWOPTIONS 0\n" + two) } },
            { "set superusers=\"\"", "menuentry 'one' --id one --unrestricted {" }, {}, {} },
        { "LOCALBOOT", { { "isolinux/isolinux.cfg", UiMenu("LABEL hd\n LOCALBOOT 0\n") } }, { "exit" } },
        { "SERIAL", { { "isolinux/isolinux.cfg", "SERIAL 0 115200\n" + UiMenu(two) } },
            { "serial --unit=0 --speed=115200", "terminal_input console serial", "terminal_output gfxterm serial" } },
        { "SERIAL at an address", { { "isolinux/isolinux.cfg", "SERIAL 0x2f8\n" + UiMenu(two) } },
            { "serial --port=0x2f8 --speed=9600" } },
        { "SERIAL at a rate GRUB refuses", { { "isolinux/isolinux.cfg", "SERIAL 1 300\n" + UiMenu(two) } },
            { "terminal_output gfxterm" }, { "terminal_input console serial" }, { "grub-serial-speed" } },
        { "F-keys", { { "isolinux/isolinux.cfg", UiMenu("F1 help.txt\nF10 more.txt\n" + two) } },
            { "menuentry 'F1 help.txt' --id f1 --hotkey f1 {", "background_image $prefix/glimra/screens/help_txt.png",
                "menuentry 'F10 more.txt' --id f10 --hotkey f10 {", "read" } },
        { "DISPLAY of a prompt", { { "isolinux/isolinux.cfg", "DISPLAY boot.msg\nPROMPT 1\n" + two } },
            { "menuentry 'boot.msg' --id boot_msg {", "background_image $prefix/glimra/screens/boot_msg.png" } },
        { "INCLUDE flattened",
            { { "isolinux/isolinux.cfg", UiMenu("INCLUDE more.cfg\n") },
                { "isolinux/more.cfg", "LABEL inc\n KERNEL vmlinuz\n" } },
            { "menuentry 'inc' --id inc {" }, { "source more.cfg" } },
        { "CONFIG carried", { { "isolinux/isolinux.cfg", UiMenu("LABEL o\n CONFIG other.cfg\n") } },
            { "configfile $prefix/glimra/config/isolinux/other.cfg" }, {}, {}, true },
        { "CONFIG not carried", { { "isolinux/isolinux.cfg", UiMenu("LABEL o\n CONFIG other.cfg\n" + two) } }, {},
            { "menuentry 'o' --id o {" }, { "grub-config" } },
        { "IPAPPEND over the network",
            { { "pxelinux.cfg/default", UiMenu("LABEL n\n KERNEL vmlinuz\n IPAPPEND 3\n") } },
            { "linux /vmlinuz ip=${net_default_ip}:${net_default_server}:: "
              "BOOTIF=01-${glimra_mac1}-${glimra_mac2}-${glimra_mac3}-${glimra_mac4}-${glimra_mac5}-${glimra_mac6}",
                "insmod regexp" },
            {}, { "grub-ipappend-ip" }, false },
        { "IPAPPEND off the network",
            { { "isolinux/isolinux.cfg", UiMenu("LABEL n\n KERNEL vmlinuz\n IPAPPEND 3\n") } },
            { "linux /isolinux/vmlinuz" }, { "insmod regexp" } },
        { "SYSAPPEND's machine strings",
            { { "pxelinux.cfg/default", UiMenu("LABEL n\n KERNEL vmlinuz\n SYSAPPEND 4\n") } }, { "linux /vmlinuz" },
            {}, { "grub-sysappend" } },
        { "FONT", { { "isolinux/isolinux.cfg", "FONT my.psf\n" + UiMenu(two) } },
            { "loadfont $prefix/glimra/vga16.pf2" } },
        { "KERNEL, APPEND and INITRD",
            { { "isolinux/isolinux.cfg",
                UiMenu("LABEL l\n KERNEL /casper/vmlinuz\n APPEND boot=casper  quiet ---\n INITRD ../casper/a,b\n") } },
            { "linux /casper/vmlinuz boot=casper quiet ---", "initrd /casper/a /isolinux/b" } },
        { "initrd= in APPEND",
            { { "isolinux/isolinux.cfg", UiMenu("LABEL l\n LINUX vmlinuz\n APPEND initrd=x.gz,/y.gz quiet $HOME\n") } },
            { "linux /isolinux/vmlinuz quiet '$HOME'", "initrd /isolinux/x.gz /y.gz" } },
        { "a global APPEND", { { "isolinux/isolinux.cfg", UiMenu("APPEND ro\nLABEL l\n KERNEL k\n") } },
            { "linux /isolinux/k ro" } },
        { "quotes for the kernel", { { "isolinux/isolinux.cfg", UiMenu("LABEL l\n KERNEL k\n APPEND a=\"b c\"\n") } },
            {}, {}, { "grub-quotes" } },
        { "code page 437 titles",
            { { "isolinux/isolinux.cfg", UiMenu("LABEL c\n MENU LABEL Caf\x82 \xdb it's\n KERNEL k\n") } },
            { "menuentry 'Caf\xc3\xa9 \xe2\x96\x88 it'\\''s' --id c {" } },
        { "a prompt's labels", { { "isolinux/isolinux.cfg", "DEFAULT two\nTIMEOUT 30\n" + two } },
            { "set timeout=3", "set default=two", "menuentry 'one' --id one {", "set gfxmode=640x480" },
            { "set theme=$prefix/glimra/menu1/theme.txt" } },
        { "a prompt's command as DEFAULT", { { "isolinux/isolinux.cfg", "DEFAULT vmlinuz quiet\n" } },
            { "set default=default", "linux /isolinux/vmlinuz quiet" } },
        { "vesamenu's resolution", { { "isolinux/isolinux.cfg", "UI vesamenu.c32\nMENU RESOLUTION 800 600\n" + two } },
            { "set gfxmode=800x600" } },
        { "modules",
            { { "isolinux/isolinux.cfg",
                UiMenu("LABEL r\n COM32 reboot.c32\nLABEL p\n KERNEL poweroff.c32\nLABEL c\n COM32 chain.c32\n APPEND "
                       "hd0\n") } },
            { "reboot", "halt" }, { "menuentry 'c' --id c {" }, { "grub-module" } },
        { "an empty submenu",
            { { "isolinux/isolinux.cfg", UiMenu(two + "MENU BEGIN e\n LABEL m\n  KERNEL memdisk\nMENU END\n") } }, {},
            { "submenu 'e' --id e {" }, { "grub-memdisk", "grub-empty-submenu" } },
        { "MEMDISK", { { "isolinux/isolinux.cfg", UiMenu("LABEL m\n KERNEL memdisk\n INITRD fd.img\n" + two) } }, {},
            { "menuentry 'm' --id m {" }, { "grub-memdisk" } },
        { "a boot sector", { { "isolinux/isolinux.cfg", UiMenu("LABEL b\n BOOT bs.bin\n" + two) } }, {}, {},
            { "grub-bios-only" } },
        { "ids GRUB takes", { { "isolinux/isolinux.cfg", UiMenu("LABEL 1.x\n KERNEL k\nLABEL 1_x\n KERNEL k\n") } },
            { "menuentry '1.x' --id _1_x {", "menuentry '1_x' --id _1_x-2 {" } },
    };
    for (const auto& row : rows) {
        const Made made = Make(row.files, row.carryConfig,
            row.files.front().first.startsWith("pxelinux") ? "pxelinux.cfg/default" : "isolinux/isolinux.cfg");
        const QByteArray& cfg = made.result.grubCfg;
        for (const QByteArray& line : row.present)
            EXPECT_TRUE(made.lines.contains(line)) << row.name << ": no line " << line.constData() << "\n"
                                                   << cfg.constData();
        for (const QByteArray& line : row.absent)
            EXPECT_FALSE(made.lines.contains(line)) << row.name << ": " << line.constData();
        QSet<QByteArray> codes;
        for (const GrubFinding& finding : made.result.findings)
            codes.insert(finding.code);
        for (const char* code : row.codes)
            EXPECT_TRUE(codes.contains(code)) << row.name << ": no finding " << code;
        if (row.codes.empty()) {
            EXPECT_TRUE(codes.isEmpty()) << row.name << ": " << made.result.findings.front().message.toStdString();
        }
        EXPECT_TRUE(GrubReads(cfg)) << row.name << "\n" << cfg.constData();
        const GrubConfig read = ReadGrubConfig(cfg);
        EXPECT_FALSE(read.error) << row.name << ": " << (read.error ? read.error->message.constData() : "");
        EXPECT_FALSE(read.items.empty()) << row.name;
    }
}

TEST(GrubScriptTest, WhatTheGlueIsGiven)
{
    QTemporaryDir tree;
    WriteInTree(tree, "isolinux/isolinux.cfg",
        "UI vesamenu.c32\nMENU MASTER PASSWD boss\nF2 help.txt pic.png\nLABEL a\n KERNEL k\n"
        "MENU BEGIN sub\n LABEL h\n  MENU HELP info.txt\nMENU END\n");
    const GrubScriptResult result = MakeGrubScript(BootFiles::ForConfiguration(tree.filePath("isolinux/isolinux.cfg")));
    // The shown menus by MenuConfig's index, the screens with their sources.
    EXPECT_EQ(result.menus, (std::vector<int> { 1, 2 }));
    ASSERT_EQ(result.screens.size(), 2u);
    EXPECT_EQ(result.screens[0].name, "info_txt");
    EXPECT_EQ(result.screens[0].displayFile, "/isolinux/info.txt");
    EXPECT_EQ(result.screens[1].name, "help_txt");
    EXPECT_EQ(result.screens[1].displayFile, "/isolinux/help.txt");
    EXPECT_EQ(result.screens[1].background, "pic.png");
    // The master's real PBKDF2 text, as GRUB's password_pbkdf2 checks it.
    QByteArray text;
    for (const QByteArray& line : result.grubCfg.split('\n')) {
        if (line.startsWith("password_pbkdf2 master "))
            text = line.mid(23);
    }
    EXPECT_TRUE(GrubPasswords::MatchesPbkdf2(text, "boss")) << text.constData();
    EXPECT_FALSE(GrubPasswords::MatchesPbkdf2(text, "Boss"));
}
