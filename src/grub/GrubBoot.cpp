// What a SYSLINUX command line runs, said in GRUB's commands.
#include "GrubPlan.h"

#include "config/KernelLine.h"

#include <cctype>

namespace {

QByteArray BaseName(const QByteArray& name) { return name.mid(name.lastIndexOf('/') + 1).toLower(); }

QString Latin(const QByteArray& bytes) { return QString::fromLatin1(bytes); }

// The kernel's words: split at blanks as the kernel splits its line.
std::vector<QByteArray> Words(const QByteArray& line)
{
    std::vector<QByteArray> words;
    for (const QByteArray& word : line.simplified().split(' ')) {
        if (!word.isEmpty())
            words.push_back(word);
    }
    return words;
}

// new_linux_kernel's initrd list: after the first "initrd=" in the line,
// names up to a blank, one more after each ','. The word it stands in goes:
// GRUB's initrd command loads them, and the EFI stub would read initrd= as
// files of its own to load.
std::vector<QByteArray> TakeInitrds(std::vector<QByteArray>& words)
{
    std::vector<QByteArray> names;
    for (auto word = words.begin(); word != words.end(); ++word) {
        const qsizetype at = word->indexOf("initrd=");
        if (at < 0)
            continue;
        for (const QByteArray& name : word->mid(at + 7).split(',')) {
            if (!name.isEmpty())
                names.push_back(name);
        }
        if (at == 0)
            words.erase(word);
        break;
    }
    return names;
}

const char* KindWords(KernelKind kind)
{
    switch (kind) {
    case KernelKind::Boot: return "a boot sector";
    case KernelKind::Bss: return "a boot sector";
    case KernelKind::Pxe: return "a PXE boot program";
    case KernelKind::FdImage: return "a floppy disk image";
    case KernelKind::ComBoot: return "a DOS program";
    default: return "a program of the BIOS";
    }
}

// IPAPPEND 1 and 2 from what GRUB learnt over the network. GRUB keeps no
// gateway or netmask in a variable: those fields stay empty. BOOTIF wants
// the address with dashes; GRUB's is written with colons, so its bytes are
// cut out with regexp first.
void NetworkWords(quint32 bits, const ConfigPlace& place, GrubBoot& boot, std::vector<GrubFinding>& findings)
{
    if (bits & 1u) {
        boot.network.push_back("ip=${net_default_ip}:${net_default_server}::");
        findings.push_back({ place, "grub-ipappend-ip",
            QStringLiteral("GRUB knows no gateway or netmask to give the kernel's ip=: those fields stay empty") });
    }
    if (bits & 2u)
        boot.network.push_back("BOOTIF=01-${glimra_mac1}-${glimra_mac2}-${glimra_mac3}-${glimra_mac4}-${glimra_mac5}-"
                               "${glimra_mac6}");
    for (std::size_t bit = 2; bit < SysAppendNames.size(); ++bit) {
        if (bits & (1u << bit))
            findings.push_back({ place, "grub-sysappend",
                QStringLiteral("SYSAPPEND's %1= has no counterpart in GRUB: the kernel does not get it")
                    .arg(QString::fromLatin1(SysAppendNames[bit])) });
    }
}

std::optional<GrubBoot> LinuxBoot(const CommandTarget& target, quint32 ipAppend, const QByteArray& folder, bool pxe,
    const ConfigPlace& place, std::vector<GrubFinding>& findings)
{
    if (BaseName(target.name) == "memdisk") {
        findings.push_back({ place, "grub-memdisk",
            QStringLiteral("MEMDISK boots disk images on BIOS machines only; GRUB under UEFI has nothing like it, "
                           "so the entry is left out") });
        return std::nullopt;
    }
    GrubBoot boot;
    const std::optional<QByteArray> kernel = BootFiles::Resolve(folder, target.name);
    if (!kernel) {
        findings.push_back({ place, "grub-outside",
            QStringLiteral("%1 lies outside the boot media; the entry is left out").arg(Latin(target.name)) });
        return std::nullopt;
    }
    boot.kernel = *kernel;
    boot.arguments = Words(target.arguments);
    for (const QByteArray& name : TakeInitrds(boot.arguments)) {
        if (const std::optional<QByteArray> path = BootFiles::Resolve(folder, name))
            boot.initrds.push_back(*path);
        else
            findings.push_back({ place, "grub-outside",
                QStringLiteral("the initrd %1 lies outside the boot media and is left out").arg(Latin(name)) });
    }
    for (const QByteArray& word : boot.arguments) {
        if (word.contains('"') || word.contains('\'') || word.contains('\\')) {
            findings.push_back({ place, "grub-quotes",
                QStringLiteral("GRUB puts a backslash before each quote and backslash it gives the kernel, so %1 "
                               "does not reach it as written")
                    .arg(Latin(word)) });
            break;
        }
    }
    if (pxe)
        NetworkWords(ipAppend, place, boot, findings);
    return boot;
}

}

std::optional<GrubBoot> GrubBootOf(const QByteArray& commandLine, quint32 ipAppend, const QByteArray& folder, bool pxe,
    const ConfigPlace& place, std::vector<GrubFinding>& findings)
{
    const CommandTarget target = TargetOfLine(commandLine);
    GrubBoot boot;
    switch (target.kind) {
    case KernelKind::Kernel:
    case KernelKind::Linux: return LinuxBoot(target, ipAppend, folder, pxe, place, findings);
    case KernelKind::LocalBoot:
        // Under UEFI, exit hands the machine back to the firmware, which boots the next device.
        boot.kind = GrubBoot::Kind::Exit;
        return boot;
    case KernelKind::Config: {
        const std::optional<QByteArray> path = BootFiles::Resolve(folder, target.name);
        if (!path) {
            findings.push_back({ place, "grub-outside",
                QStringLiteral("%1 lies outside the boot media; the entry is left out").arg(Latin(target.name)) });
            return std::nullopt;
        }
        boot.kind = GrubBoot::Kind::ConfigFile;
        boot.kernel = *path;
        const QByteArray next = CommandWord(target.arguments);
        boot.arguments = { next.isEmpty() ? folder : BootFiles::Resolve(folder, next).value_or(folder) };
        return boot;
    }
    case KernelKind::Com32: {
        const QByteArray module = BaseName(target.name);
        if (module == "reboot.c32" || module == "poweroff.c32") {
            boot.kind = module == "reboot.c32" ? GrubBoot::Kind::Reboot : GrubBoot::Kind::Halt;
            return boot;
        }
        findings.push_back({ place, "grub-module",
            QStringLiteral("%1 is a SYSLINUX module, which GRUB cannot run; the entry is left out")
                .arg(Latin(target.name)) });
        return std::nullopt;
    }
    case KernelKind::None: return std::nullopt;
    default: break;
    }
    findings.push_back({ place, "grub-bios-only",
        QStringLiteral("%1 is %2, which GRUB under UEFI cannot start; the entry is left out")
            .arg(Latin(target.name), QString::fromLatin1(KindWords(target.kind))) });
    return std::nullopt;
}

QByteArray GrubName(const QByteArray& text)
{
    QByteArray name;
    for (const char c : text)
        name += std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '-' ? c : '_';
    if (name.isEmpty() || std::isdigit(static_cast<unsigned char>(name[0])))
        name.prepend('_');
    return name;
}
