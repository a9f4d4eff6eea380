#pragma once

#include <QByteArray>

#include <string_view>

class ScreenMap;
struct BootGraphics;
class TColorConsole;

// The screen as the boot loader draws a display file, rule for rule as the
// real loader was seen to draw it: the bytes as they are (no line-break
// normalisation), 0x0C clearing in the current colour, colour digits in
// either case, 0x1A and 0xFF ending the file, the output selection
// 0x10-0x17, CR ignored, LF and 0x0B as line breaks, TAB to the next
// multiple of 8, 0x08 one column back, "[0m" for 0x01-0x05 and 0x1B, 0x0E's
// line-drawing table, image lines consumed and the other control bytes
// drawing nothing. A colour's digit 8-f of the background is kept as such
// (attribute bit 7); how it shows is the painter's choice.
struct BootOptions {
    // Draw the loader's "boot: " prompt after the file, where it left the
    // cursor, in colour 07.
    bool prompt = false;
    // The assembly core of 3.x/4.x reads the file (core/conio.inc
    // msg_putchar): only 0x0F, CR, LF, 0x0C, BEL and 0x10-0x1A are codes,
    // every other byte (NUL, TAB, BS, 0x0B, 0x0E, ESC, 0xFF ...) is its
    // glyph in one cell, and a scroll fills the new row in colour 07.
    bool core = false;
    // For the core: how 0x18 NAME opens its image and draws it in graphics
    // mode (BootGraphics.h); without it the image line is only consumed.
    BootGraphics* graphics = nullptr;
};

// Renders into console, whose screen starts blank in colour 07 with the
// cursor at the top left. Returns what the serial port receives of the file:
// its display text under 0x14 and 0x16, CR dropped. With a map, each byte is
// placed in it.
QByteArray RenderBootScreen(
    TColorConsole& console, QByteArrayView file, const BootOptions& options, ScreenMap* map = nullptr);

// The same reading drawn over whatever the console shows, from its cursor:
// the loader shows a help file where its prompt left off. Returns the
// serial text.
QByteArray DrawBootFile(
    TColorConsole& console, QByteArrayView file, bool core = false, BootGraphics* graphics = nullptr);

// Text the loader prints itself (its prompt, its messages), in colour 07
// as its console writes it: LF ends the line, CR returns to column 0.
void DrawLoaderText(TColorConsole& console, std::string_view text);
// Text the assembly core of 3.x/4.x prints (its prompt, its messages), in
// colour 07 with nothing erased: LF ends the line, CR returns to column 0,
// BS steps back.
void DrawTeletypeText(TColorConsole& console, std::string_view text);
// The whole screen blank in colour 07, the cursor at the top left.
void ClearLoaderScreen(TColorConsole& console);
// The loader's erase to the end of the cursor's row, in colour 07.
void EraseLoaderLine(TColorConsole& console);

// The glyph a byte 0x5F-0x7E shows in the loader's line-drawing mode (the
// DEC special graphics set mapped onto code page 437); other bytes as they are.
unsigned char LineDrawingGlyph(unsigned char byte);

// The attribute byte of a palette pair, background digit in the high nibble.
inline int BootAttribute(int background, int foreground) { return background << 4 | foreground; }
