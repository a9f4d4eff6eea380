#include "ConfigTemplates.h"

#include "common/FileAccess.h"
#include "common/Limits.h"
#include "config/Modules.h"
#include "render/PngFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace ConfigTemplates {

namespace {

// The picture's size: vesamenu.c32's screen unless MENU RESOLUTION says otherwise.
constexpr int PictureWidth = 640;
constexpr int PictureHeight = 480;
// Help screens the prompt template writes: F1-F10.
constexpr int HelpScreens = 10;

QString FileIn(const QStringList& folders, const QString& name)
{
    for (const QString& folder : folders) {
        if (QFileInfo(folder + u'/' + name).isFile())
            return folder + u'/' + name;
    }
    return {};
}

// A title as one line of printable bytes: the loader shows them as they are.
QByteArray OneLine(const QString& title)
{
    QByteArray line;
    for (const QChar character : title.simplified()) {
        if (character.unicode() >= ' ' && character.unicode() < 0x7F)
            line += static_cast<char>(character.unicode());
    }
    line = line.simplified();
    return line.isEmpty() ? QByteArray("Boot menu") : line;
}

struct Entry {
    const char* label;
    const char* menuLabel;
    const char* lines; // the entry's own directives
    const char* module; // the module it runs, or nullptr
};
constexpr Entry DiskEntry { "harddisk", "Boot from the first ^hard disk", "  COM32 chain.c32\n  APPEND hd0\n",
    "chain.c32" };
constexpr Entry LocalEntry { "local", "Boot from the ^local disk", "  LOCALBOOT 0\n", nullptr };
constexpr Entry RebootEntry { "reboot", "^Reboot", "  COM32 reboot.c32\n", "reboot.c32" };
constexpr Entry PowerOffEntry { "poweroff", "^Power off", "  COM32 poweroff.c32\n", "poweroff.c32" };

const char* Example = "# Add your own system as an entry, for example:\n"
                      "#   LABEL linux\n"
                      "#     MENU LABEL ^Linux\n"
                      "#     KERNEL /boot/vmlinuz\n"
                      "#     INITRD /boot/initrd.img\n"
                      "#     APPEND root=/dev/sda1\n";

QByteArray Entries(const std::vector<Entry>& entries, bool menu)
{
    QByteArray text;
    for (const Entry& entry : entries) {
        text += "\nLABEL " + QByteArray(entry.label) + '\n';
        if (menu)
            text += "  MENU LABEL " + QByteArray(entry.menuLabel) + '\n';
        text += entry.lines;
    }
    return text;
}

// A help screen: its title on a blue bar, then its lines.
QByteArray Screen(const QByteArray& heading, const QByteArray& body)
{
    return "\x0c\x0f"
           "1f "
        + heading.leftJustified(78, ' ')
        + " \x0f"
          "07\r\n\r\n"
        + body;
}

void AddPromptFiles(Tree& tree, const QString& folder, const QByteArray& title)
{
    tree.files.push_back({ folder + "boot.msg",
        Screen(title,
            "Press Enter to boot from the hard disk, or type one of these names and Enter:\r\n\r\n"
            "  harddisk   the first hard disk\r\n"
            "  reboot     restart the computer\r\n"
            "  poweroff   switch it off\r\n\r\n"
            "F1-F10 show the help screens.\r\n"),
        {} });
    tree.files.push_back({ folder + "f1.txt",
        Screen("F1: Help",
            "Type a name at the boot: prompt and press Enter to start it:\r\n\r\n"
            "  harddisk   boots from the first hard disk\r\n"
            "  reboot     restarts the computer\r\n"
            "  poweroff   switches it off\r\n\r\n"
            "Each F key shows its screen: f1.txt to f10.txt beside the configuration.\r\n"),
        {} });
    for (int key = 2; key <= HelpScreens; ++key) {
        const QByteArray name = "f" + QByteArray::number(key) + ".txt";
        tree.files.push_back({ folder + QString::fromLatin1(name),
            Screen("F" + QByteArray::number(key), "Write the help of this key in " + name + ".\r\n"), {} });
    }
}

QByteArray Configuration(Template kind, const QByteArray& title)
{
    const std::vector<Entry> entries = kind == Template::Pxe
        ? std::vector<Entry> { LocalEntry, RebootEntry, PowerOffEntry }
        : std::vector<Entry> { DiskEntry, RebootEntry, PowerOffEntry };
    const QByteArray first = entries.front().label;
    if (kind == Template::Prompt) {
        QByteArray text = "# " + title + ": the boot: prompt, a greeting and help screens on F1-F10.\n" + Example
            + "DISPLAY boot.msg\nPROMPT 1\nTIMEOUT 300\nDEFAULT " + first + '\n';
        for (int key = 1; key <= HelpScreens; ++key)
            text += "F" + QByteArray::number(key) + " f" + QByteArray::number(key) + ".txt\n";
        return text + Entries(entries, false);
    }
    const QByteArray module = kind == Template::GraphicalMenu ? "vesamenu.c32" : "menu.c32";
    QByteArray text = "# " + title + ": a menu shown by " + module + ".\n" + Example + "UI " + module
        + "\nTIMEOUT 100\nDEFAULT " + first + "\nMENU TITLE " + title + '\n';
    if (kind == Template::GraphicalMenu)
        text += "MENU BACKGROUND splash.png\n";
    return text + Entries(entries, true);
}

QStringList ModulesOf(Template kind)
{
    QStringList modules;
    if (kind == Template::Menu || kind == Template::Pxe)
        modules << QStringLiteral("menu.c32");
    if (kind == Template::GraphicalMenu)
        modules << QStringLiteral("vesamenu.c32");
    if (kind != Template::Pxe)
        modules << QStringLiteral("chain.c32");
    modules << QStringLiteral("reboot.c32") << QStringLiteral("poweroff.c32");
    return modules;
}

// The loader's own files: its boot file, ldlinux.c32 and the modules with
// their libraries, or the problem naming the package that lacks one.
void AddLoaderFiles(Tree& tree, Template kind, const QString& folder, const VmSearch& search)
{
    const QString ldlinux = FileIn(search.ldlinuxFolders, QStringLiteral("ldlinux.c32"));
    if (ldlinux.isEmpty()) {
        tree.problem = QStringLiteral("ldlinux.c32 and the modules are missing: install Debian's syslinux-common.");
        return;
    }
    const QString boot = kind == Template::Pxe ? QStringLiteral("pxelinux.0") : QStringLiteral("isolinux.bin");
    const QString bootFile = FileIn(kind == Template::Pxe ? search.pxelinuxFolders : search.isolinuxFolders, boot);
    if (bootFile.isEmpty() && kind == Template::Pxe) {
        tree.problem = QStringLiteral("pxelinux.0 is missing: install Debian's pxelinux.");
        return;
    }
    if (!bootFile.isEmpty() && (kind == Template::Pxe || folder == u"isolinux/"))
        tree.files.push_back({ folder + boot, {}, bootFile });
    else if (folder == u"isolinux/") {
        tree.problem = QStringLiteral("isolinux.bin is missing: install Debian's isolinux.");
        return;
    }
    tree.files.push_back({ folder + QStringLiteral("ldlinux.c32"), {}, ldlinux });
    const QString modules = QFileInfo(ldlinux).path();
    for (const QString& module : ModulesOf(kind)) {
        if (!QFileInfo(modules + u'/' + module).isFile()) {
            tree.problem
                = QStringLiteral("%1 is missing from %2: install Debian's syslinux-common.").arg(module, modules);
            return;
        }
    }
    for (const QString& name : ModuleClosure(modules, ModulesOf(kind)))
        tree.files.push_back({ folder + name, {}, modules + u'/' + name });
}

}

QStringList ModuleClosure(const QString& folder, const QStringList& modules)
{
    QStringList closure;
    QStringList waiting = modules;
    while (!waiting.isEmpty()) {
        const QString name = waiting.takeFirst();
        if (closure.contains(name))
            continue;
        const ReadOutcome read = ReadFile(folder + u'/' + name, Limits::FileBytes, ReadableKinds::RegularFiles);
        if (read.failure)
            continue;
        closure << name;
        for (const QByteArray& library : NeededLibraries(read.bytes))
            waiting << QString::fromLatin1(library);
    }
    return closure;
}

Tree Plan(Template kind, Layout layout, const QString& title, const VmSearch& search)
{
    Tree tree;
    const QByteArray line = OneLine(title);
    const QString folder = kind == Template::Pxe ? QString()
        : layout == Layout::Isolinux             ? QStringLiteral("isolinux/")
                                                 : QStringLiteral("syslinux/");
    tree.configFile = kind == Template::Pxe ? QStringLiteral("pxelinux.cfg/default")
        : layout == Layout::Isolinux        ? QStringLiteral("isolinux/isolinux.cfg")
                                            : QStringLiteral("syslinux/syslinux.cfg");
    AddLoaderFiles(tree, kind, folder, search);
    if (!tree.problem.isEmpty())
        return tree;
    tree.files.insert(tree.files.begin(), { tree.configFile, Configuration(kind, line), {} });
    if (kind == Template::Prompt)
        AddPromptFiles(tree, folder, line);
    if (kind == Template::GraphicalMenu)
        tree.files.push_back({ folder + QStringLiteral("splash.png"), BackgroundPicture(), {} });
    if (kind == Template::Pxe)
        tree.notes << QStringLiteral("Serve the folder over TFTP and give pxelinux.0 as the DHCP boot file.");
    else if (layout == Layout::Isolinux)
        tree.notes << QStringLiteral("Make a CD image of the folder with: xorriso -as mkisofs -o boot.iso -b "
                                     "isolinux/isolinux.bin -c isolinux/boot.cat -no-emul-boot -boot-load-size 4 "
                                     "-boot-info-table FOLDER");
    else
        tree.notes << QStringLiteral("Copy the folder to a FAT partition and install the loader on it with: "
                                     "syslinux --directory syslinux --install PARTITION (Debian's syslinux).");
    return tree;
}

QString Write(const Tree& tree, const QString& folder)
{
    if (!tree.problem.isEmpty())
        return tree.problem;
    const QDir root(folder);
    for (const TreeFile& file : tree.files) {
        if (QFileInfo::exists(root.filePath(file.path)))
            return QStringLiteral("%1 is there already: choose a folder without a boot tree.")
                .arg(root.filePath(file.path));
    }
    for (const TreeFile& file : tree.files) {
        const QString path = root.filePath(file.path);
        if (!QDir().mkpath(QFileInfo(path).path()))
            return QStringLiteral("The folder %1 cannot be made.").arg(QFileInfo(path).path());
        if (!file.copiedFrom.isEmpty()) {
            if (!QFile::copy(file.copiedFrom, path))
                return QStringLiteral("%1 cannot be copied to %2.").arg(file.copiedFrom, path);
        } else if (const std::optional<SaveFailure> failure = SaveBytes(path, file.bytes)) {
            return QStringLiteral("%1 cannot be written: %2").arg(path, FailureDetail(*failure));
        }
    }
    return {};
}

QByteArray BackgroundPicture()
{
    // A dark blue that fades to black, under the menu's own colours.
    QByteArray rows;
    rows.reserve(PictureHeight * (PictureWidth * 3 + 1));
    for (int y = 0; y < PictureHeight; ++y) {
        rows += '\0';
        const int fade = PictureHeight - 1 - y;
        const char red = static_cast<char>(0x08 * fade / (PictureHeight - 1));
        const char green = static_cast<char>(0x28 * fade / (PictureHeight - 1));
        const char blue = static_cast<char>(0x18 + 0x50 * fade / (PictureHeight - 1));
        const char pixel[] = { red, green, blue };
        for (int x = 0; x < PictureWidth; ++x)
            rows.append(pixel, 3);
    }
    return PngFile({ PictureWidth, PictureHeight, 8, 2, {} }, rows);
}

}
