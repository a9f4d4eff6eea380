#include "KernelLine.h"

#include "ConfigSet.h"

namespace {

// How many strings the build's bits reach: ip= and BOOTIF= in 3.x,
// SYSUUID= from 4.02 (ccce101b), the DMI and CPU strings from 5.10.
std::size_t SysAppendCount(const LoaderVersion& version)
{
    if (version.AtLeast(5, 10))
        return SysAppendNames.size();
    return version.AtLeast(4, 2) ? 3 : 2;
}

// copy_sysappend_string: blanks inside become one '_', those at the ends go.
QByteArray Mangled(const QByteArray& text)
{
    QByteArray out;
    qsizetype end = 0;
    bool wasSpace = true;
    for (const char c : text) {
        if (static_cast<unsigned char>(c) <= ' ' || c == '\x7f') {
            if (!wasSpace)
                out += '_';
            wasSpace = true;
        } else {
            out += c;
            end = out.size();
            wasSpace = false;
        }
    }
    out.truncate(end);
    return out;
}

QByteArray Joined(QByteArray line, const QByteArrayList& options)
{
    for (const QByteArray& option : options) {
        if (!option.isEmpty())
            line += (line.isEmpty() ? "" : " ") + option;
    }
    return line;
}

}

quint32 SysAppendNumber(const QByteArray& argument)
{
    const QByteArray number = argument.trimmed();
    qsizetype end = 0;
    int base = 10;
    if (number.startsWith("0x") || number.startsWith("0X")) {
        base = 16;
        end = 2;
    } else if (number.startsWith('0')) {
        base = 8;
    }
    const qsizetype start = end;
    const auto digit = [base](char c) {
        const int value = c >= '0' && c <= '9' ? c - '0'
            : c >= 'a' && c <= 'f'             ? c - 'a' + 10
            : c >= 'A' && c <= 'F'             ? c - 'A' + 10
                                               : 99;
        return value < base ? value : -1;
    };
    quint64 value = 0;
    while (end < number.size() && digit(number[end]) >= 0 && value <= 0xffffffffu)
        value = value * static_cast<quint64>(base) + static_cast<quint64>(digit(number[end++]));
    if (end == start)
        return 0;
    return value > 0xffffffffu ? 0xffffffffu : static_cast<quint32>(value);
}

SysAppended SysAppendStrings(quint32 bits, const BootMachine& machine)
{
    SysAppended appended;
    const std::optional<PxeClient>& client = machine.client;
    for (std::size_t bit = 0; bit < SysAppendCount(machine.version); ++bit) {
        if (!(bits & (1u << bit)))
            continue;
        const QString name = QString::fromLatin1(SysAppendNames[bit]);
        if (bit == 0 || bit == 1) {
            // Only PXELINUX has a network address to give.
            if (machine.pxe && client)
                appended.options << (bit == 0 ? "ip=" + DottedQuad(client->ip) + ':' + DottedQuad(client->server) + ':'
                            + DottedQuad(client->gateway) + ':' + DottedQuad(client->netmask)
                                              : "BOOTIF=" + BootIfName(*client));
        } else if (bit == 2 && machine.pxe && client && UuidName(*client, machine.version)) {
            appended.options << "SYSUUID=" + *UuidName(*client, machine.version);
        } else if (bit == 2 && machine.version.AssemblyCore()) {
            // The 4.x core has the UUID from DHCP only.
        } else {
            appended.unknown << name
                    + QStringLiteral("= (from the machine's %1)")
                          .arg(bit == 3 ? QStringLiteral("CPU") : QStringLiteral("DMI tables"));
        }
    }
    for (QByteArray& option : appended.options)
        option = Mangled(option);
    return appended;
}

KernelCall KernelCallOfLine(const QByteArray& line, const LoaderVersion& version)
{
    KernelCall call;
    call.line = line;
    const CommandTarget target = TargetOfLine(line);
    call.kernel = target.name;
    const bool isLinux = target.kind == KernelKind::Kernel || target.kind == KernelKind::Linux;
    if (isLinux && !version.AssemblyCore())
        call.kernelLine = "BOOT_IMAGE=" + target.name + ' ' + target.arguments;
    else if (isLinux)
        call.kernelLine = "BOOT_IMAGE=" + target.name + (target.arguments.isEmpty() ? "" : " " + target.arguments);
    return call;
}

namespace {

// construct_cmdline: the label's APPEND as getline kept it (blanks as one,
// one after), "initrd=NAME ", "BOOT_IMAGE=kernel ", each IPAPPEND string
// and a blank, then the options typed.
KernelCall CoreKernelCall(const BootConfig& config, const ConfigLabel* label, const QByteArray& plain,
    const QByteArray& typed, const BootMachine& machine)
{
    const SysAppended appended = SysAppendStrings(label ? label->ipAppend : config.sysAppend, machine);
    QByteArray append = (label ? label->append.value_or(config.globalAppend) : config.globalAppend).simplified();
    if (append == "-")
        append.clear();
    if (!append.isEmpty())
        append += ' ';
    if (label && !label->initrd.isEmpty())
        append += "initrd=" + label->initrd + ' ';
    const QByteArray kernel = label ? label->kernel : CommandWord(plain);
    const QByteArray options = config.allowOptions ? typed : QByteArray();
    // What runs is the loader's line as it was; only what the kernel gets is built here.
    KernelCall call = KernelCallOfLine(plain, machine.version);
    if (call.kernelLine) {
        QByteArray line = append + "BOOT_IMAGE=" + kernel + ' ';
        for (const QByteArray& option : appended.options)
            line += option + ' ';
        call.kernelLine = line + options;
    }
    call.unknown = appended.unknown;
    return call;
}

}

std::optional<KernelCall> KernelCallOf(
    const BootConfig& config, const BootFiles& files, const QByteArray& command, const BootMachine& machine)
{
    const ConfigLabel* label = config.FindLabel(command);
    const QByteArray typed = CommandArguments(command);
    const std::optional<QByteArray> plain = LoadKernelLine(config, files, command);
    if (!plain)
        return std::nullopt;
    if (machine.version.AssemblyCore())
        return CoreKernelCall(config, label, *plain, typed, machine);
    if (label) {
        // The label's strings go in where it was read, before what is typed.
        const SysAppended appended = SysAppendStrings(label->ipAppend, machine);
        QByteArray line = Joined(label->CommandLine(config.globalAppend), appended.options);
        if (!typed.isEmpty())
            line += ' ' + typed;
        KernelCall call = KernelCallOfLine(line, machine.version);
        call.unknown = appended.unknown;
        return call;
    }
    const SysAppended appended = SysAppendStrings(config.sysAppend, machine);
    KernelCall call = KernelCallOfLine(Joined(*plain, appended.options), machine.version);
    call.unknown = appended.unknown;
    return call;
}
