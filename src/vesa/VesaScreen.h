#pragma once

#include "VesaMenu.h"

#include <QString>

namespace Vesa {

// The running graphical menu's screen as Run Configuration and glimra-render
// show it: MENU BACKGROUND read as the module reads it (ReadBackground), and
// why that picture is black, or partly so, when it is.
struct MenuScreen {
    Picture picture;
    QString problem; // names the file; empty when the picture was read whole
};
MenuScreen DrawLoaderMenu(const MenuFrame& frame, const Font& font);

}
