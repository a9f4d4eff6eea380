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
// How the background file's bytes are read for a screen: ReadBackground,
// or a cache of its answers in front of it.
using BackgroundReader = std::function<Background(QByteArrayView bytes, int width, int height)>;
MenuScreen DrawLoaderMenu(const MenuFrame& frame, const Font& font, const BackgroundReader& reader = ReadBackground);

}
