#pragma once

#include "config/ConfigSet.h"
#include "config/SerialSetting.h"

#include <QString>

#include <functional>
#include <optional>
#include <vector>

// The GRUB menu a tree's SYSLINUX side maps to, before it is written: the
// menus shown, their entries with what each runs, the locks, the screens
// named and what did not carry. GrubScript writes it, GrubCompare holds a
// tree's own grub.cfg against it, GrubParity lists its findings.

// Something of the SYSLINUX side that GRUB cannot do the same way.
struct GrubFinding {
    ConfigPlace place;
    const char* code; // a short stable name of the rule ("grub-timeout-total" …)
    QString message; // one plain sentence
};

// A display file GRUB shows as a pre-rendered picture.
struct GrubScreenFile {
    QByteArray name; // the picture is $prefix/glimra/screens/<name>.png
    QByteArray displayFile; // its image path
    QByteArray background; // vesamenu's picture behind an F-key's file, as written; empty for none
    ConfigPlace place;
};

// A CONFIG entry's configuration, carried as a grub.cfg of its own.
struct GrubConfigFile {
    QByteArray path; // the configuration's image path
    QByteArray folder; // the folder it starts in
    QByteArray grubPath; // as grub.cfg names it
};

// What an entry runs.
struct GrubBoot {
    enum class Kind { Linux, Exit, ConfigFile, Reboot, Halt, Screen } kind = Kind::Linux;
    QByteArray kernel; // Linux: the image path
    std::vector<QByteArray> arguments; // the kernel's words, SYSLINUX's initrd= taken out
    std::vector<QByteArray> network; // ip= and BOOTIF= words in GRUB's variables, written unquoted
    std::vector<QByteArray> initrds; // image paths
    QByteArray configFile; // ConfigFile: the grub.cfg, as GRUB names it
    int screen = -1; // Screen: index into GrubPlan::screens
};

struct GrubPlanEntry {
    QByteArray title; // UTF-8, without ^ marks
    QByteArray id;
    QByteArray hotkey; // as --hotkey takes it ("a", "f1"); empty for none
    int submenu = -1; // a submenu: index into GrubPlan::menus
    GrubBoot boot;
    std::optional<QByteArray> user; // locked: the user (besides the master) who may run it
    ConfigPlace place;
    int sourceMenu = -1; // MenuConfig's menu and entry; -1 for a prompt's label or a screen
    int sourceEntry = -1;
};

struct GrubPlanMenu {
    int sourceMenu = -1; // its index in MenuConfig::menus; -1 for a prompt's labels
    std::vector<GrubPlanEntry> entries;
    int defaultEntry = -1; // index into entries; -1 leaves GRUB's own (the first)
};

// A GRUB user: the master (superuser) first, then one for each password.
struct GrubUser {
    QByteArray name;
    std::optional<QByteArray> pbkdf2; // nothing: a hash that could not be carried, nobody logs in
};

struct GrubPlan {
    const MenuRun* run = nullptr; // the menu module's run it comes from; none for a prompt
    const ConfigSetMember* member = nullptr;
    std::vector<GrubPlanMenu> menus; // the first is the one GRUB shows first
    int timeoutSeconds = -1;
    bool hidden = false;
    std::optional<std::pair<int, int>> mode; // gfxmode; nothing for GRUB's own choice
    std::optional<SerialSetting> serial;
    ConfigPlace serialPlace;
    bool locked = false; // superusers is set: GRUB asks who may run, edit, or get the command line
    std::vector<GrubUser> users;
    std::vector<GrubScreenFile> screens;
    std::vector<GrubConfigFile> configurations;
    std::vector<GrubFinding> findings;
};

struct GrubPlanOptions {
    // The grub.cfg a CONFIG entry's configuration is carried as, as grub.cfg
    // names it; nothing leaves such entries out.
    std::function<std::optional<QByteArray>(const QByteArray& path, const QByteArray& folder)> configFile;
    // A password text for password_pbkdf2 (GrubPasswords::MakePbkdf2 when not given).
    std::function<QByteArray(const QByteArray& plain)> hashPassword;
};

// The plan for the configuration set's first member: the menu it starts in
// when that is a menu module's (FirstMenuRun, run by UI or DEFAULT), else a
// menu of its labels. The set must outlive the plan.
GrubPlan PlanGrubMenu(const BootFiles& files, const ConfigSet& set, const GrubPlanOptions& options = {});

// What a SYSLINUX command line runs, as GRUB runs it from folder: nothing,
// with a finding, for what GRUB cannot run. pxe: the tree boots over the
// network (IPAPPEND's strings exist there only).
std::optional<GrubBoot> GrubBootOf(const QByteArray& commandLine, quint32 ipAppend, const QByteArray& folder, bool pxe,
    const ConfigPlace& place, std::vector<GrubFinding>& findings);

// A name GRUB takes as --id or a user name: letters, digits, '_' and '-',
// never a digit first (GRUB would take it for an entry's number).
QByteArray GrubName(const QByteArray& text);
