// What the build a tree boots with lacks: directives that came later, and
// modules of another build.
#include "ConfigFindings.h"
#include "config/LoaderDetection.h"

namespace {

// A directive and the first release that reads it, with where that
// release reads it. Directives every known build reads are not listed.
struct Introduced {
    const char* keyword; // as the reader names it: "path", "menu hiddenkey"
    int major, minor;
    const char* source;
};
constexpr Introduced Directives[] = {
    { "path", 5, 0, "com32/elflink/ldlinux/readconfig.c (ef3cb76b, 5.00's ldlinux.c32)" },
    { "sysappend", 5, 10, "com32/elflink/ldlinux/readconfig.c (5.10: IPAPPEND renamed SYSAPPEND)" },
    { "sendcookies", 5, 10, "com32/elflink/ldlinux/readconfig.c (5.10, PXELINUX's HTTP cookies)" },
    { "pxeretry", 4, 3, "core/keywords.inc (4f989f24; not in 3.84's)" },
    { "menu clear", 3, 85, "com32/menu/readconfig.c (cf31931a; not in 3.84's)" },
    { "menu help", 4, 0, "com32/menu/readconfig.c (4.00; 3.84 has TEXT HELP only)" },
    { "menu immediate", 4, 0, "com32/menu/readconfig.c (4d66117c, 4.00)" },
    { "menu noimmediate", 4, 0, "com32/menu/readconfig.c (4d66117c, 4.00)" },
    { "menu hiddenkey", 4, 4, "com32/menu/readconfig.c (4.04)" },
};

QString Release(int major, int minor) { return QStringLiteral("%1.%2").arg(major).arg(minor, 2, 10, QLatin1Char('0')); }

// What the target does with a line it cannot read: the assembly core of
// 3.x/4.x says so (core/parsecmd.inc), ldlinux.c32 and menu.c32 skip it.
QString WhatItDoes(const QByteArray& keyword, const LoaderVersion& target)
{
    if (keyword.startsWith("menu "))
        return QStringLiteral("its menu.c32 skips the line");
    if (target.AssemblyCore())
        return QStringLiteral("it says \"Unknown keyword in configuration file: %1\"")
            .arg(QString::fromLatin1(keyword.toUpper()));
    return QStringLiteral("ldlinux.c32 skips the line");
}

}

void LintDirectiveVersions(const BootConfig& config, const LoaderVersion& target, bool pxe, ConfigFindings& findings)
{
    const QString loader = DescribeLoader(target);
    for (const ConfigDirective& directive : config.directives) {
        for (const Introduced& introduced : Directives) {
            if (directive.keyword != introduced.keyword || target.AtLeast(introduced.major, introduced.minor))
                continue;
            findings.Report(directive.place, Severity::Warning, "directive-not-in-version",
                QStringLiteral("%1 came in SYSLINUX %2; the loader is %3: %4")
                    .arg(QString::fromLatin1(directive.keyword.toUpper()), Release(introduced.major, introduced.minor),
                        loader, WhatItDoes(directive.keyword, target)));
        }
        // The 3.x/4.x core reads IPAPPEND only when built as PXELINUX
        // (core/keywords.inc, "%if IS_PXELINUX").
        if (directive.keyword == "ipappend" && target.AssemblyCore() && !pxe)
            findings.Report(directive.place, Severity::Warning, "directive-not-in-version",
                QStringLiteral("IPAPPEND is PXELINUX's before SYSLINUX 5.00; the loader is %1: %2")
                    .arg(loader, WhatItDoes(directive.keyword, target)));
    }
}

void LintModuleBuild(const QByteArray& module, const QByteArray& bytes, const LoaderVersion& target,
    const ConfigPlace& place, ConfigFindings& findings)
{
    // Modules of 5.00 and later are ELF files, those before flat COM32 ones.
    const bool elfLoader = !target.AssemblyCore();
    const bool elfModule = bytes.startsWith("\x7f"
                                            "ELF");
    if (elfLoader != elfModule)
        findings.Report(place, Severity::Error, "module-version-mix",
            QStringLiteral("%1 is a module of SYSLINUX %2, and the loader is %3: it cannot run it")
                .arg(QString::fromLatin1(module),
                    elfModule ? QStringLiteral("5 or later") : QStringLiteral("4 or earlier"), DescribeLoader(target)));
}
