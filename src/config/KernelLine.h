#pragma once

#include "BootConfig.h"
#include "PxeClient.h"

#include <QStringList>

#include <array>
#include <optional>

// What a kernel is given: the loader's command line with the IPAPPEND and
// SYSAPPEND strings, and the line the Linux kernel receives.

// The machine the loader runs on, as far as its appended strings go.
struct BootMachine {
    LoaderVersion version;
    bool pxe = false;
    std::optional<PxeClient> client; // for PXE: the one that boots
};

// Each SYSAPPEND bit's string, bit 0 first (com32/include/syslinux/sysappend.h).
inline constexpr std::array<const char*, 17> SysAppendNames
    = { "ip", "BOOTIF", "SYSUUID", "CPU", "SYSVENDOR", "SYSPRODUCT", "SYSVERSION", "SYSSERIAL", "SYSSKU", "SYSFAMILY",
          "MBVENDOR", "MBPRODUCT", "MBVERSION", "MBSERIAL", "MBASSET", "BIOSVENDOR", "BIOSVERSION" };

// The strings the bits stand for on this machine, in bit order; the bits
// whose strings come from the machine's DMI tables or CPU, which no tree
// tells, are named in unknown (the real loader adds them, Glimra cannot).
// 3.x has ip= and BOOTIF= only, 4.02 added SYSUUID=, 5.10 the rest.
struct SysAppended {
    QByteArrayList options;
    QStringList unknown;
};
SysAppended SysAppendStrings(quint32 bits, const BootMachine& machine);

// IPAPPEND/SYSAPPEND's number as the loader reads it: strtoul base 0.
quint32 SysAppendNumber(const QByteArray& argument);

// What a command (typed, DEFAULT, ONTIMEOUT) makes the loader run, and for
// a kernel what it is given.
struct KernelCall {
    QByteArray line; // what the loader executes, its appended strings in
    QByteArray kernel; // the file, as named
    std::optional<QByteArray> kernelLine; // a Linux kernel's own command line, BOOT_IMAGE= first
    QStringList unknown;
};
// 6.x: a label's line with " initrd=", its IPAPPEND strings and then what
// was typed (readconfig.c record, ldlinux.c load_kernel); any other
// command with the global SYSAPPEND strings after it (execute.c).
// 3.x/4.x: APPEND, initrd=, BOOT_IMAGE=, the IPAPPEND strings, then the
// options typed (core/runkernel.inc construct_cmdline).
std::optional<KernelCall> KernelCallOf(
    const BootConfig& config, const BootFiles& files, const QByteArray& command, const BootMachine& machine);
// A menu's entry runs its line as it is; the kernel of a line is given
// "BOOT_IMAGE=<kernel> <options>" (kernel.c new_linux_kernel).
KernelCall KernelCallOfLine(const QByteArray& line, const LoaderVersion& version);
