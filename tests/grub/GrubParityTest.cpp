// What cannot carry over to GRUB: one row for each rule, with the line it
// must name; a menu that carries over whole names nothing but its keys.
#include "grub/GrubParity.h"
#include "FileTree.h"

namespace {

std::vector<GrubFinding> Parity(const QByteArray& config, const QString& name = "isolinux/isolinux.cfg")
{
    QTemporaryDir tree;
    WriteInTree(tree, name, config);
    return GrubParity(BootFiles::ForConfiguration(tree.filePath(name)));
}

QByteArray Codes(const std::vector<GrubFinding>& findings)
{
    QByteArray codes;
    for (const GrubFinding& finding : findings)
        codes += (codes.isEmpty() ? "" : " ") + QByteArray(finding.code) + ':' + QByteArray::number(finding.place.line);
    return codes;
}

}

TEST(GrubParityTest, EachRuleAtItsLine)
{
    const QByteArray entry = "LABEL a\n KERNEL k\n";
    const struct {
        QByteArray config;
        const char* code;
        int line;
    } rows[] = {
        { "UI menu.c32\nTOTALTIMEOUT 600\n" + entry, "grub-totaltimeout", 2 },
        { "DEFAULT a\nTOTALTIMEOUT 600\n" + entry, "grub-totaltimeout", 2 },
        { "UI menu.c32\nTIMEOUT 50\nONTIMEOUT b\n" + entry + "LABEL b\n KERNEL k2\n", "grub-ontimeout", 3 },
        { "PROMPT 1\nDEFAULT a\nONTIMEOUT b\n" + entry + "LABEL b\n KERNEL k\n", "grub-ontimeout", 3 },
        { "UI menu.c32\n" + entry + " MENU DISABLE\nLABEL b\n KERNEL k\n", "grub-disabled", 2 },
        { "UI menu.c32\n" + entry + "MENU SEPARATOR\nLABEL b\n KERNEL k\n", "grub-separator", 4 },
        { "UI menu.c32\n" + entry + " TEXT HELP\n  Boots it.\n ENDTEXT\n", "grub-text-help", 2 },
        { "DISPLAY boot.msg\nUI menu.c32\n" + entry, "grub-display", 1 },
        { "SAY hello\nUI menu.c32\n" + entry, "grub-say", 1 },
        { "UI menu.c32\n" + entry + "MENU BEGIN s\n LABEL g\n  MENU GOTO .top\nMENU END\n", "grub-goto", 5 },
        { "UI menu.c32\n" + entry + "LABEL q\n MENU QUIT\n", "grub-quit", 4 },
        { "UI menu.c32\n" + entry, "grub-prompt", 1 },
        { "UI menu.c32\n" + entry, "grub-tab", 1 },
        { "UI menu.c32\nNOESCAPE 1\n" + entry, "grub-noescape", 2 },
        { "UI menu.c32\nALLOWOPTIONS 0\n" + entry, "grub-allowoptions", 2 },
        { "PROMPT 1\nDEFAULT a\n" + entry, "grub-prompt", 1 },
        { "DEFAULT a\n" + entry, "grub-prompt-zero", 1 },
        { "UI menu.c32\nMENU COLOR hotkey 1;37 #ffffffff #00000000\n" + entry, "grub-colour", 2 },
        { "UI menu.c32\nMENU COLOR hotsel 1;37 #ffffffff #00000000\n" + entry, "grub-colour", 2 },
        { "UI menu.c32\nMENU COLOR disabled 1;37 #ffffffff #00000000\n" + entry, "grub-colour", 2 },
        { "UI menu.c32\nMENU COLOR help 37 #ffffffff #00000000\n" + entry, "grub-colour", 2 },
        { "UI menu.c32\nMENU COLOR cmdmark 37 #ffffffff #00000000\n" + entry, "grub-colour", 2 },
        { "UI menu.c32\nMENU COLOR cmdline 37 #ffffffff #00000000\n" + entry, "grub-colour", 2 },
        { "UI menu.c32\nMENU COLOR pwdborder 37 #ffffffff #00000000\n" + entry, "grub-colour", 2 },
        { "UI menu.c32\nMENU COLOR pwdheader 37 #ffffffff #00000000\n" + entry, "grub-colour", 2 },
        { "UI menu.c32\nMENU COLOR pwdentry 37 #ffffffff #00000000\n" + entry, "grub-colour", 2 },
        { "UI menu.c32\nMENU COLOR msg07 37 #ffffffff #00000000\n" + entry, "grub-colour", 2 },
        { "UI menu.c32\nMENU MSGCOLOR #ffffffff #00000000\n" + entry, "grub-colour", 2 },
        { "UI vesamenu.c32\nMENU COLOR unsel 37 #ffffffff #00000000 std\n" + entry, "grub-shadow", 2 },
        { "UI menu.c32\nLABEL a\n MENU LABEL ^Alpha\n KERNEL k\n", "grub-hotkey", 2 },
        { "UI menu.c32\nTIMEOUT 50\n" + entry + " MENU PASSWD pw\n", "grub-timeout-password", 3 },
        { "UI menu.c32\nMENU MASTER PASSWD $1$salt$hash\n" + entry, "grub-hashed-password", 2 },
        { "UI menu.c32\n" + entry + " MENU PASSWD $5$salt$hash\n", "grub-hashed-password", 2 },
    };
    for (const auto& row : rows) {
        const QByteArray codes = Codes(Parity(row.config));
        EXPECT_TRUE(codes.split(' ').contains(QByteArray(row.code) + ':' + QByteArray::number(row.line)))
            << row.config.constData() << "\n  gives " << codes.constData();
    }
}

TEST(GrubParityTest, WhatCarriesOverSaysNothing)
{
    const struct {
        QByteArray config;
        const char* codes;
    } rows[] = {
        // Only the menu's keys differ; a hotkey with MENU IMMEDIATE boots at once in both.
        { "UI menu.c32\nMENU COLOR sel 7 #ffffffff #ff000000\nTIMEOUT 50\nONTIMEOUT a\nLABEL a\n KERNEL k\n",
            "grub-tab:1 grub-prompt:1" },
        { "UI menu.c32\nMENU IMMEDIATE\nLABEL a\n MENU LABEL ^Alpha\n KERNEL k\n", "grub-tab:1 grub-prompt:1" },
        { "UI vesamenu.c32\nMENU COLOR unsel 37 #ffffffff #00000000 none\nMENU COLOR sel 37 #ffffffff #00000000 "
          "none\nLABEL a\n KERNEL k\n",
            "grub-tab:1 grub-prompt:1" },
        { "UI menu.c32\nALLOWOPTIONS 0\nLABEL a\n KERNEL k\n", "grub-allowoptions:2" },
        { "PROMPT 1\nDEFAULT a\nTIMEOUT 10\nONTIMEOUT a\nLABEL a\n KERNEL k\n", "grub-prompt:1" },
    };
    for (const auto& row : rows)
        EXPECT_EQ(Codes(Parity(row.config)).toStdString(), row.codes) << row.config.constData();
}
