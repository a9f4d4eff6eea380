// A tree's own grub.cfg against its ISOLINUX menu: one row for each kind
// of difference, with where it is said; then a tree in the shape of
// Ubuntu's hybrid disc, its grub.cfg from tests/config/grub.
#include "grub/GrubCompare.h"
#include "FileTree.h"

#include <QFile>

namespace {

using Files = std::vector<std::pair<QString, QByteArray>>;

std::vector<GrubFinding> Compare(const Files& files)
{
    QTemporaryDir tree;
    for (const auto& [name, bytes] : files)
        WriteInTree(tree, name, bytes);
    return CompareGrubMenus(BootFiles::ForConfiguration(tree.filePath("isolinux/isolinux.cfg")));
}

QByteArray Said(const std::vector<GrubFinding>& findings)
{
    QByteArray said;
    for (const GrubFinding& finding : findings)
        said += QByteArray(finding.code) + ' ' + finding.place.file + ':' + QByteArray::number(finding.place.line) + ' '
            + finding.message.toUtf8() + '\n';
    return said;
}

const QByteArray Isolinux = "UI menu.c32\nTIMEOUT 50\n"
                            "LABEL live\n MENU LABEL Try Ubuntu\n KERNEL /casper/vmlinuz\n APPEND quiet splash ---\n"
                            " INITRD /casper/initrd\n"
                            "LABEL safe\n MENU LABEL Safe graphics\n KERNEL /casper/vmlinuz\n APPEND nomodeset ---\n";
const QByteArray Same
    = "set timeout=5\n"
      "menuentry \"Try  ubuntu\" {\n linux /casper/vmlinuz quiet splash ---\n initrd /casper/initrd\n}\n"
      "menuentry 'Safe graphics' {\n linux /casper/vmlinuz nomodeset ---\n}\n";

}

TEST(GrubCompareTest, EachDifference)
{
    const auto swap = [](QByteArray text, const char* from, const char* to) { return text.replace(from, to); };
    const struct {
        const char* name;
        Files files;
        const char* said; // the findings, one a line, message cut to what the row needs
    } rows[] = {
        { "the same menu", { { "isolinux/isolinux.cfg", Isolinux }, { "boot/grub/grub.cfg", Same } }, "" },
        { "no grub.cfg", { { "isolinux/isolinux.cfg", Isolinux } }, "" },
        { "EFI/BOOT's", { { "isolinux/isolinux.cfg", Isolinux }, { "EFI/BOOT/grub.cfg", swap(Same, "=5", "=9") } },
            "grub-own-timeout /EFI/BOOT/grub.cfg:1 the menu waits 5 s here and 9 s" },
        { "grub/'s", { { "isolinux/isolinux.cfg", Isolinux }, { "grub/grub.cfg", swap(Same, "set timeout=5\n", "") } },
            "grub-own-timeout /grub/grub.cfg:0 the menu waits 5 s here and for ever" },
        { "an entry missing",
            { { "isolinux/isolinux.cfg", Isolinux },
                { "boot/grub/grub.cfg", swap(Same, "'Safe graphics'", "'Other'") } },
            "grub-own-missing /isolinux/isolinux.cfg:8 Safe graphics is not in the tree's grub.cfg\n"
            "grub-own-extra /boot/grub/grub.cfg:6 the tree's grub.cfg has Other" },
        { "the default", { { "isolinux/isolinux.cfg", Isolinux }, { "boot/grub/grub.cfg", "set default=1\n" + Same } },
            "grub-own-default /isolinux/isolinux.cfg:3 the default is Try Ubuntu here but Safe graphics" },
        { "the default by title",
            { { "isolinux/isolinux.cfg", Isolinux }, { "boot/grub/grub.cfg", "set default='Try  ubuntu'\n" + Same } },
            "" },
        { "the default by variable",
            { { "isolinux/isolinux.cfg", Isolinux }, { "boot/grub/grub.cfg", "set default=\"${saved}\"\n" + Same } },
            "" },
        { "the kernel",
            { { "isolinux/isolinux.cfg", Isolinux },
                { "boot/grub/grub.cfg", swap(Same, "/casper/vmlinuz nomodeset", "/casper/vmlinuz.efi nomodeset") } },
            "grub-own-kernel /isolinux/isolinux.cfg:8 Safe graphics boots /casper/vmlinuz here and "
            "/casper/vmlinuz.efi" },
        { "no kernel",
            { { "isolinux/isolinux.cfg", Isolinux },
                { "boot/grub/grub.cfg", swap(Same, " linux /casper/vmlinuz nomodeset ---\n", " fwsetup\n") } },
            "grub-own-kernel /isolinux/isolinux.cfg:8 the tree's grub.cfg boots no kernel for Safe graphics" },
        { "arguments as words",
            { { "isolinux/isolinux.cfg", Isolinux },
                { "boot/grub/grub.cfg", swap(Same, "quiet splash ---", "splash   quiet --- nosplash") } },
            "grub-own-arguments /isolinux/isolinux.cfg:3 Try Ubuntu's kernel gets nothing only here and nosplash "
            "only" },
        { "GRUB's variables as written",
            { { "isolinux/isolinux.cfg", swap(Isolinux, "nomodeset", "iso=${iso_path}") },
                { "boot/grub/grub.cfg", swap(Same, "nomodeset", "iso=${iso_path}") } },
            "" },
        { "the initrds",
            { { "isolinux/isolinux.cfg", Isolinux },
                { "boot/grub/grub.cfg", swap(Same, "initrd /casper/initrd", "initrd /casper/initrd /casper/extra") } },
            "grub-own-initrd /isolinux/isolinux.cfg:3 Try Ubuntu loads the initrd /casper/initrd here and "
            "/casper/initrd /casper/extra" },
        { "a submenu",
            { { "isolinux/isolinux.cfg", Isolinux },
                { "boot/grub/grub.cfg", swap(Same, "menuentry 'Safe", "submenu 'Safe") } },
            "grub-own-submenu /isolinux/isolinux.cfg:8 Safe graphics is a submenu in one menu and an entry in the "
            "other" },
        { "inside submenus",
            { { "isolinux/isolinux.cfg",
                  Isolinux + "MENU BEGIN more\n MENU TITLE More\n LABEL x\n  KERNEL /x\nMENU END\n" },
                { "boot/grub/grub.cfg", Same + "submenu More {\n menuentry y { linux /x; }\n}\n" } },
            "grub-own-missing /isolinux/isolinux.cfg:14 x is not in the tree's grub.cfg\n"
            "grub-own-extra /boot/grub/grub.cfg:10 the tree's grub.cfg has y" },
        { "source read in place",
            { { "isolinux/isolinux.cfg", Isolinux },
                { "boot/grub/grub.cfg",
                    "set timeout=5\nsource /boot/grub/a.cfg\nsource $prefix/b.cfg\nsource ${x}/c.cfg\n" },
                { "boot/grub/a.cfg",
                    "menuentry 'Try Ubuntu' {\n linux /casper/vmlinuz quiet splash ---\n initrd /casper/initrd\n}\n" },
                { "boot/grub/b.cfg", "menuentry 'Safe graphics' {\n linux /casper/vmlinuz nomodeset ---\n}\n" },
                { "boot/grub/c.cfg", "menuentry never {\n}\n" } },
            "" },
        { "a grub.cfg that does not read",
            { { "isolinux/isolinux.cfg", Isolinux }, { "boot/grub/grub.cfg", Same + "menuentry 'broken {\n" } },
            "grub-own-unreadable /boot/grub/grub.cfg:9 the tree's /boot/grub/grub.cfg does not read as GRUB reads it "
            "(the ' opened here is never closed" },
    };
    for (const auto& row : rows) {
        const QList<QByteArray> got = Said(Compare(row.files)).split('\n');
        const QList<QByteArray> want = QByteArray(row.said).split('\n');
        EXPECT_EQ(got.size(), want.size() + (want.back().isEmpty() ? 0 : 1)) << row.name << ":\n"
                                                                             << Said(Compare(row.files)).constData();
        for (qsizetype line = 0; line < want.size() && line < got.size(); ++line)
            EXPECT_TRUE(got[line].startsWith(want[line])) << row.name << ":\n" << got[line].constData();
    }
}

TEST(GrubCompareTest, UbuntuShapedHybridDisc)
{
    QFile sample(GLIMRA_SOURCE_DIR "/tests/config/grub/ubuntu.cfg");
    ASSERT_TRUE(sample.open(QIODevice::ReadOnly));
    const QByteArray isolinux = "DEFAULT vesamenu.c32\nTIMEOUT 50\nMENU TITLE Ubuntu\n"
                                "LABEL live\n  MENU LABEL ^Try or Install Ubuntu\n  KERNEL /casper/vmlinuz\n"
                                "  APPEND file=/cdrom/preseed/ubuntu.seed maybe-ubiquity initrd=/casper/initrd quiet "
                                "splash ---\n"
                                "LABEL safe\n  MENU LABEL Ubuntu (^safe graphics)\n  KERNEL /casper/vmlinuz\n"
                                "  APPEND file=/cdrom/preseed/ubuntu.seed maybe-ubiquity initrd=/casper/initrd quiet "
                                "splash ---\n"
                                "LABEL hd\n  MENU LABEL ^Boot from first hard disk\n  LOCALBOOT 0x80\n";
    const QByteArray said
        = Said(Compare({ { "isolinux/isolinux.cfg", isolinux }, { "boot/grub/grub.cfg", sample.readAll() } }));
    // The timeouts agree; the live entries differ in one word, the disc ends its menus differently.
    EXPECT_EQ(said.toStdString(),
        std::string(
            "grub-own-arguments /isolinux/isolinux.cfg:8 Ubuntu (safe graphics)'s kernel gets nothing only here "
            "and nomodeset only from the tree's grub.cfg\n"
            "grub-own-missing /isolinux/isolinux.cfg:12 Boot from first hard disk is not in the tree's grub.cfg\n"
            "grub-own-extra /boot/grub/grub.cfg:26 the tree's grub.cfg has Boot from next volume, which the "
            "ISOLINUX menu has not\n"
            "grub-own-extra /boot/grub/grub.cfg:29 the tree's grub.cfg has UEFI Firmware Settings, which the "
            "ISOLINUX menu has not\n"
            "grub-own-extra /boot/grub/grub.cfg:33 the tree's grub.cfg has Test memory, which the ISOLINUX "
            "menu has not\n"));
}
