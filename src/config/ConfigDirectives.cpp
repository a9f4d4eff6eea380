#include "ConfigDirectives.h"

#include <QList>

#include <cctype>

namespace ConfigDirectives {

// The loader's lines, in Keywords' order.
const std::array<Description, ConfigSyntax::Keywords.size()> LoaderDescriptions = { {
    { "MENU word ...", "A menu directive: one of the words listed under MENU follows.", Both },
    { "TEXT HELP",
        "Starts the current entry's help text, shown under the menu while the entry is selected; "
        "it runs to ENDTEXT.",
        Both },
    { "INCLUDE file", "Reads the named configuration file here, as if its lines stood in place of this one.", Both },
    { "APPEND options",
        "The kernel command line of the current LABEL; before any LABEL, the default for every "
        "entry. APPEND - clears an inherited one.",
        Both },
    { "INITRD file[,file...]", "Initial RAM disks of the current LABEL, passed to the kernel as initrd=.", Both },
    { "LABEL name",
        "Starts an entry: the name typed at boot: or picked in the menu. The lines after it, up to the "
        "next LABEL, belong to it.",
        Both },
    { "NONE file", "The entry's image, its kind guessed from the file name's extension.", Both },
    { "LOCALBOOT type",
        "Boots from the local disk instead of a kernel (with PXELINUX and ISOLINUX; 0 the first "
        "hard disk, -1 the next device in the BIOS's order).",
        Both },
    { "KERNEL file",
        "The entry's image; its kind comes from the file name (.c32, .bss, .bin, .0, .img), a Linux "
        "kernel otherwise.",
        Both },
    { "LINUX file", "The entry's image, a Linux kernel whatever its name.", Both },
    { "BOOT file", "The entry's image, a boot sector (.bs, .bin).", Both },
    { "BSS file", "The entry's image, a boot sector whose DOS superblock the loader patches.", Both },
    { "PXE file", "The entry's image, a PXE network boot program (.0).", Both },
    { "FDIMAGE file", "The entry's image, a floppy disk image (.img).", Both },
    { "COMBOOT file", "The entry's image, a COMBOOT program (.com, .cbt).", Both },
    { "COM32 file", "The entry's image, a COM32 module (.c32).", Both },
    { "CONFIG file [directory]",
        "The entry reads another configuration file, the loader starting again from it "
        "(in the given directory).",
        Both },
    { "TIMEOUT tenths",
        "Boots the default after this many tenths of a second without a key; 0 waits for ever. A "
        "key stops the count.",
        Both },
    { "TOTALTIMEOUT tenths", "Boots the default after this many tenths of a second, keys or not.", Both },
    { "ONTIMEOUT command", "The command run when the timeout ends, instead of DEFAULT.", Both },
    { "ALLOWOPTIONS flag",
        "0 keeps the user from adding options to a command line (and the menu from editing "
        "it with Tab); 1, the default, allows it.",
        Both },
    { "IPAPPEND bitmask", "PXELINUX: adds ip= (1) and BOOTIF= (2) to the current entry's command line.", Both },
    { "SYSAPPEND bitmask",
        "Adds the machine's strings (network address, BOOTIF, system UUID, DMI fields) to the "
        "command line, each a bit of the mask.",
        Both },
    { "DEFAULT command",
        "The command booted when the user just presses Enter or the timeout ends; with UI, the "
        "menu's default entry.",
        Both },
    { "UI module [options]",
        "The module that shows the menu (menu.c32, vesamenu.c32) in place of the boot: "
        "prompt.",
        Both },
    { "DISPLAY file",
        "Shows a display file (text with control codes for colour and pictures) before the boot: "
        "prompt.",
        Loader },
    { "FONT file", "Loads a PSF font into the video card before the loader writes anything else.", Loader },
    { "KBDMAP file", "Loads a keyboard map that remaps the keys the BIOS reports.", Loader },
    { "IMPLICIT flag", "0 boots only images named by a LABEL; 1, the default, any file typed.", Loader },
    { "PROMPT flag",
        "1 always shows the boot: prompt; 0, the default, only when Shift or Alt is held or Caps "
        "Lock or Scroll Lock is on.",
        Loader },
    { "CONSOLE flag",
        "0 stops output to the video screen (the serial port still gets it); 1, the default, "
        "writes to it.",
        Loader },
    { "NOESCAPE flag",
        "1 ignores Shift, Alt, Caps Lock and Scroll Lock at start, so the prompt stays hidden "
        "with PROMPT 0.",
        Loader },
    { "NOCOMPLETE flag", "1 makes Tab at the boot: prompt list no labels.", Loader },
    { "NOHALT flag", "1 keeps the processor busy while waiting for a key instead of halting it.", Loader },
    { "ONERROR command",
        "The command run when an image is missing (or refused by IMPLICIT 0); the failed "
        "command line is added after it.",
        Loader },
    { "PXERETRY count", "PXELINUX: how many times a failed network open is tried again.", Loader },
    { "SERIAL port [baud [flow]]",
        "Also talks over the serial port (0-3 or an I/O address) at the given speed, "
        "9600 by default.",
        Loader },
    { "SAY message", "Writes the message on the screen when the line is read.", Loader },
    { "PATH directories", "Directories (separated by ':') searched for modules and their libraries, in order.",
        Loader },
    { "SENDCOOKIES bitmask", "PXELINUX over HTTP: sends SYSAPPEND's strings to the server as cookies.", Loader },
} };

// MENU's words, in MenuKeywords' order.
const std::array<Description, ConfigSyntax::MenuKeywords.size()> MenuDescriptions = { {
    { "MENU LABEL label",
        "The text of the current entry in the menu (its LABEL otherwise); ^ before a letter "
        "makes it the entry's hotkey. Before any LABEL, the text of the submenu's entry.",
        Menu },
    { "MENU TITLE title", "The title at the top of the menu.", Menu },
    { "MENU DEFAULT", "Makes the current entry the selected one when the menu opens.", Menu },
    { "MENU HIDE", "Leaves the current entry out of the menu; it can still be typed.", Menu },
    { "MENU PASSWD password",
        "The password the current entry (or submenu) asks for: plain text or a crypt hash "
        "($1$, $4$, $5$, $6$).",
        Menu },
    { "MENU SHIFTKEY", "Leaves the menu at once unless Shift or Alt is held or Caps Lock or Scroll Lock is on.", Menu },
    { "MENU SAVE",
        "Remembers the entry chosen and makes it the default at the next boot (the entry's or the "
        "menu's).",
        Menu },
    { "MENU NOSAVE", "Does not remember the entry chosen (the entry's or the menu's).", Menu },
    { "MENU IMMEDIATE", "A hotkey runs its entry at once, without Enter (the entry's or the menu's).", Menu },
    { "MENU NOIMMEDIATE", "A hotkey only selects its entry (the entry's or the menu's).", Menu },
    { "MENU ONERROR command", "The command run when the chosen entry's command fails.", Menu },
    { "MENU MASTER PASSWD password",
        "The password asked before editing a command line with Tab or leaving the "
        "menu with Esc; it opens every protected entry too.",
        Menu },
    { "MENU INCLUDE file [tag]",
        "Reads the named file's lines here; with a tag, they make a submenu of their "
        "own.",
        Menu },
    { "MENU BACKGROUND file", "vesamenu.c32: the picture (PNG, JPEG or LSS16) behind the menu.", Menu },
    { "MENU HIDDEN", "Shows only the timeout message until a key is pressed.", Menu },
    { "MENU HIDDENKEY key[,key...] command",
        "With MENU HIDDEN: the command a key runs when pressed during the "
        "hidden wait.",
        Menu },
    { "MENU CLEAR", "Clears the screen when the menu ends.", Menu },
    { "MENU AUTOBOOT message",
        "The timeout message; # stands for the seconds left, {a,b} for singular and "
        "plural.",
        Menu },
    { "MENU TABMSG message", "The message under the menu about Tab editing.", Menu },
    { "MENU NOTABMSG message", "The message under the menu when the command line cannot be edited.", Menu },
    { "MENU PASSPROMPT message", "The title of the password box.", Menu },
    { "MENU COLOR element ansi foreground background shadow",
        "The colours of one part of the menu: ANSI codes "
        "for text mode, #aarrggbb values and a shadow mode "
        "(none, std, all, rev) for vesamenu.c32.",
        Menu },
    { "MENU COLOUR element ansi foreground background shadow", "The same as MENU COLOR.", Menu },
    { "MENU MSGCOLOR foreground background shadow",
        "The colours of the display files' 16 colours in "
        "vesamenu.c32 (msg00-msgff).",
        Menu },
    { "MENU MSGCOLOUR foreground background shadow", "The same as MENU MSGCOLOR.", Menu },
    { "MENU SEPARATOR", "An empty, unselectable row in the menu.", Menu },
    { "MENU DISABLE", "Shows the current entry but does not let it be selected.", Menu },
    { "MENU DISABLED", "The same as MENU DISABLE.", Menu },
    { "MENU INDENT count", "Indents the current entry's text by this many spaces.", Menu },
    { "MENU BEGIN [tag]", "Starts a submenu, an entry of the menu around it, up to MENU END.", Menu },
    { "MENU END", "Ends the submenu MENU BEGIN started.", Menu },
    { "MENU QUIT", "The current entry leaves the menu for the boot: prompt.", Menu },
    { "MENU GOTO tag", "The current entry opens the submenu with this tag.", Menu },
    { "MENU EXIT [tag]", "The current entry goes back to the menu above (or the one with this tag).", Menu },
    { "MENU START", "The menu being read (a submenu) is the one shown first.", Menu },
    { "MENU HELP file [background]", "The current entry shows a text file as help.", Menu },
    { "MENU RESOLUTION width height", "vesamenu.c32: the screen's size in pixels, 640 x 480 by default.", Menu },
    { "MENU WIDTH columns", "The screen width the layout assumes, the screen's own (80) by default.", Menu },
    { "MENU MARGIN columns", "Columns left free each side of the menu's box, 10 by default.", Menu },
    { "MENU PASSWORDMARGIN columns", "Columns left free each side of the password box, 3 by default.", Menu },
    { "MENU ROWS count", "Entries shown at once, 12 by default; more scroll.", Menu },
    { "MENU TABMSGROW row", "The row of the Tab message, 18 by default; negative rows count from the bottom.", Menu },
    { "MENU CMDLINEROW row", "The row of the command line being edited, 18 by default.", Menu },
    { "MENU ENDROW row", "The last row the menu may use, -1 (the last of the screen) by default.", Menu },
    { "MENU PASSWORDROW row", "The row of the password box, 11 by default.", Menu },
    { "MENU TIMEOUTROW row", "The row of the timeout message, 20 by default.", Menu },
    { "MENU HELPMSGROW row", "The first row of an entry's help text, 22 by default.", Menu },
    { "MENU HELPMSGENDROW row", "The last row of an entry's help text, -1 by default.", Menu },
    { "MENU HSHIFT columns", "Moves the whole menu this many columns right.", Menu },
    { "MENU VSHIFT rows", "Moves the whole menu this many rows down.", Menu },
    { "MENU HIDDENROW row", "The row of the timeout message under MENU HIDDEN, -2 by default.", Menu },
} };

const std::array<Description, 2> OtherDescriptions = { {
    { "ENDTEXT", "Ends the help text TEXT HELP started.", Both },
    { "F1 file",
        "The display file shown when F1 is pressed at the prompt or in the menu; F2-F12 likewise "
        "(F0 is F11).",
        Loader },
} };

QByteArray KeywordsOf(const char* syntax)
{
    QByteArray words;
    for (const QByteArray& word : QByteArray(syntax).split(' ')) {
        if (word.isEmpty() || word.toUpper() != word || !std::isalnum(static_cast<unsigned char>(word[0])))
            break;
        words += (words.isEmpty() ? "" : " ") + word;
    }
    return words;
}

const std::vector<Directive>& All()
{
    static const std::vector<Directive> all = [] {
        std::vector<Directive> directives;
        for (const Description& description : LoaderDescriptions)
            directives.push_back({ KeywordsOf(description.syntax), &description, false });
        directives.push_back({ "ENDTEXT", &OtherDescriptions[0], false });
        for (int key = 1; key <= 12; ++key)
            directives.push_back({ "F" + QByteArray::number(key), &OtherDescriptions[1], false });
        for (const Description& description : MenuDescriptions)
            directives.push_back({ KeywordsOf(description.syntax), &description, true });
        return directives;
    }();
    return all;
}

}
