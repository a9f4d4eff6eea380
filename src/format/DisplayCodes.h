#pragma once

#include <string_view>

// The control bytes of a display file that this program writes or recognises.
// Every other byte is text.
namespace DisplayCode {

// 0x0F, background digit, foreground digit: the text after it takes these colours.
constexpr char ColourCommand = 0x0F;
// Clears the screen on the boot loader; the preview starts every rendering cleared.
constexpr char ClearScreen = 0x0C;
// 0x18, an LSS16 image file name, then everything up to and including the next LF.
constexpr char ImageReference = 0x18;
// Returns from graphics to text mode.
constexpr char GraphicsOff = 0x19;
// Turns bytes 0x5F-0x7E into line drawing for the rest of the file (boot loader).
constexpr char LineDrawing = 0x0E;

constexpr char BS = 0x08;
constexpr char CR = 0x0D;
constexpr char LF = 0x0A;

}

// The loader's text screen, which a display file is drawn on.
namespace TextScreen {

constexpr int Columns = 80;
constexpr int Rows = 25;
// What the loader prints when it waits for a command line.
constexpr std::string_view Prompt = "boot: ";

}
