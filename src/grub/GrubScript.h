#pragma once

#include "GrubPlan.h"

#include <functional>
#include <vector>

// grub.cfg for the UEFI side of a tree, written from GrubPlan in the shape
// the GRUB simulator plays: the modules and font, gfxmode, the serial
// terminal, the theme, timeout_style, timeout, default, superusers with
// their password_pbkdf2 lines, then one menuentry per entry (linux and
// initrd, exit, reboot, halt or configfile) and one submenu per MENU BEGIN
// (its theme and default set again inside, as GRUB forgets both there). A
// screen entry shows its picture through gfxterm's background and waits
// for Enter:
//     background_image $prefix/glimra/screens/<name>.png ; clear ; read ; background_image
// While superusers is set, an entry with a password names its user with
// --users and every other entry is --unrestricted. With a master password
// superusers is exported, or GRUB would forget it inside submenus and run
// their entries freely. Without one it is not (GRUB lets only a superuser
// leave a submenu while it is set), and a locked entry inside a submenu
// asks for its user itself:
//     set superusers="" ; if authenticate <user>; then linux ... ; fi ; unset superusers
struct GrubScriptOptions {
    GrubPlanOptions plan;
    // The theme a shown menu sets, by its index in MenuConfig::menus (-1
    // for a prompt's labels); empty sets none. By default
    // $prefix/glimra/menu<N>/theme.txt, and none for a prompt.
    std::function<QByteArray(int menu)> themePath;
    QByteArray fontPath = "$prefix/glimra/vga16.pf2";
};

struct GrubScriptResult {
    QByteArray grubCfg;
    std::vector<GrubScreenFile> screens; // the pictures it names, for the look to render
    std::vector<GrubConfigFile> configurations; // CONFIG's configurations it names
    std::vector<int> menus; // the MenuConfig menus it shows, each with its theme
    std::vector<GrubFinding> findings; // what it carried differently or left out
};

GrubScriptResult MakeGrubScript(const BootFiles& files, const GrubScriptOptions& options = {});
// For a set already read (the glue reads it once for the script and the themes).
GrubScriptResult MakeGrubScript(const BootFiles& files, const ConfigSet& set, const GrubScriptOptions& options);
QByteArray WriteGrubScript(const GrubPlan& plan, const GrubScriptOptions& options = {});
