#include "RenderArguments.h"

namespace {

#ifdef GLIMRA_PAINTS_PNG
constexpr const char* VersionText = "glimra-render " GLIMRA_VERSION "\n"
                                    "PNG pictures are painted with the system's fonts: this build had no VGA glyph "
                                    "table (Debian's fonts-pc was missing).\n";
#else
constexpr const char* VersionText = "glimra-render " GLIMRA_VERSION "\n";
#endif

}

const char* RenderVersionText() { return VersionText; }

RenderOptions::RenderOptions()
    : help({ "h", "help" }, QStringLiteral("Shows this help."))
    , version(QStringLiteral("version"), QStringLiteral("Shows the version."))
    , mode(QStringLiteral("mode"),
          QStringLiteral("preview: as the editor's preview draws it; boot: as the boot loader does; vm: the real "
                         "loader, booted in QEMU (the whole screen, firmware lines included, unless --clear)."),
          QStringLiteral("preview|boot|vm"), QStringLiteral("preview"))
    , format(QStringLiteral("format"),
          QStringLiteral("json, ansi (24-bit colour text for terminals), png (720 x 400; never to a terminal), serial "
                         "(boot and vm modes: the text the loader sends to its serial port), ans (the loader's screen "
                         "as classic ANSI art with a SAUCE record) or msg (the loader's screen as a canonical display "
                         "file; cells it cannot hold are named, exit status 1)."),
          QStringLiteral("json|ansi|png|serial|ans|msg"), QStringLiteral("json"))
    , prompt(QStringLiteral("prompt"), QStringLiteral("Draws the loader's boot: prompt after the file."))
    , blink(QStringLiteral("blink"),
          QStringLiteral("Backgrounds 8-f: blinking text on the dark background (on) or bright (bright)."),
          QStringLiteral("on|bright"), QStringLiteral("on"))
    , font(QStringLiteral("font"), QStringLiteral("The VGA font's 9-dot or 8-dot cells."), QStringLiteral("vga9|vga8"),
          QStringLiteral("vga9"))
    , output(QStringLiteral("output"), QStringLiteral("Writes to FILE."), QStringLiteral("FILE"))
    , outputDir(QStringLiteral("output-dir"),
          QStringLiteral("Writes DIR/NAME.EXT for each file (EXT json, ans, png, msg or txt)."), QStringLiteral("DIR"))
    , check(QStringLiteral("check"),
          QStringLiteral("Reports the files' problems, one per line (or with --format json, a JSON array); a boot "
                         "configuration is checked with every file it names. Exit status 1 when there is an error "
                         "or a warning."))
    , clear(QStringLiteral("clear"), QStringLiteral("Puts one 0x0C in front of each file."))
    , timeout(QStringLiteral("timeout"), QStringLiteral("vm mode: gives up after this many seconds."),
          QStringLiteral("SECONDS"), QStringLiteral("30"))
    , config(QStringLiteral("config"),
          QStringLiteral("Plays the boot configuration FILE (isolinux.cfg ...) as the loader does, in boot mode."),
          QStringLiteral("FILE"))
    , keys(QStringLiteral("keys"),
          QStringLiteral("With --config: keys pressed at the loader, space-separated: QEMU key names (f1, ret, tab, "
                         "ctrl-u ...), \"typed text\", sleep:MS, timeout."),
          QStringLiteral("KEYS"))
    , input(QStringLiteral("input"),
          QStringLiteral("What the files are: display files (display) or ANSI art (ans: .ans or .asc, SAUCE read), "
                         "drawn as its canonical display file; what does not come across is named, exit status 1."),
          QStringLiteral("display|ans"), QStringLiteral("display"))
    , start(QStringLiteral("start"),
          QStringLiteral("With --config: the screen the loader starts on, the firmware's and banner's (banner) or "
                         "an empty one (blank)."),
          QStringLiteral("banner|blank"), QStringLiteral("banner"))
    , exportMedia(QStringLiteral("export"),
          QStringLiteral(
              "Makes boot media of the --config configuration's whole tree at --output: iso (a disc "
              "image that boots as a CD and from a USB stick), usb (a disk image with SYSLINUX on a FAT "
              "partition) or pxe (a folder to serve over TFTP), each for BIOS and UEFI machines; or grub (GRUB's "
              "folder alone: grub.cfg and its theme). What is left out is named."),
          QStringLiteral("iso|usb|pxe|grub"))
    , label(QStringLiteral("label"),
          QStringLiteral("With --export iso or usb: the volume label (up to 32 or 11 letters, digits, blanks or "
                         "_-.; GLIMRA when not given)."),
          QStringLiteral("NAME"))
    , noHybrid(QStringLiteral("no-hybrid"),
          QStringLiteral("With --export iso: a disc that boots as a CD only, for a loader that ships no isohybrid "
                         "MBR of its build."))
    , biosOnly(QStringLiteral("bios-only"),
          QStringLiteral("With --export: media for BIOS machines only, without the UEFI side (GRUB's copy of the "
                         "menu, its EFI boot image and partition)."))
    , firmware(QStringLiteral("firmware"),
          QStringLiteral("With --config: the machine's firmware. bios plays ISOLINUX's side; uefi the GRUB menu "
                         "Glimra makes of the same tree (--format png or json), or with --mode vm boots it on OVMF "
                         "(--format png or serial)."),
          QStringLiteral("bios|uefi"), QStringLiteral("bios"))
{
}

QList<QCommandLineOption> RenderOptions::All() const
{
    return { help, version, mode, format, input, prompt, blink, font, output, outputDir, check, clear, timeout, config,
        keys, start, firmware, exportMedia, label, noHybrid, biosOnly };
}
