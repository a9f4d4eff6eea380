// What a PXELINUX tree holds that the loader never reaches: per-client
// files named otherwise than it asks for, and URLs a TFTP-only build
// cannot fetch.
#include "ConfigFindings.h"
#include "config/ConfigSet.h"
#include "config/LoaderDetection.h"
#include "config/PxeClient.h"

#include <QSet>

namespace {

// A name the line gives the loader to fetch: the words of its argument,
// and what follows "initrd=" and the commas of an initrd list.
bool NamesUrl(const QByteArray& argument)
{
    for (QByteArray word : argument.simplified().split(' ')) {
        if (word.startsWith("initrd="))
            word = word.mid(7);
        for (const QByteArray& part : word.split(',')) {
            if (part.startsWith("http://") || part.startsWith("ftp://"))
                return true;
        }
    }
    return false;
}

// Lines whose argument is text for the screen, not a file.
bool TextOnly(const QByteArray& keyword)
{
    return keyword == "say"
        || (keyword.startsWith("menu ") && keyword != "menu background" && keyword != "menu include");
}

}

void LintPxeTree(const BootFiles& files, const ConfigSet& set, const LoaderVersion& loader, ConfigFindings& findings)
{
    const LoaderPlace place = LoaderPlaceOf(files.ConfigPath());
    if (!place.pxe)
        return;
    QSet<QByteArray> read;
    for (const QByteArray& path : set.ConfigurationFiles())
        read.insert(path);
    const QByteArray folder = BootFiles::Resolve(place.folder, "pxelinux.cfg").value_or("/pxelinux.cfg");
    for (const QByteArray& name : FolderNames(files, folder)) {
        const QByteArray path = folder + '/' + name;
        if (read.contains(path))
            continue;
        if (const std::optional<QString> problem = PxeNameProblem(name, loader))
            findings.Report({ path, 1 }, Severity::Warning, "pxe-misnamed",
                QStringLiteral("PXELINUX never asks for %1: %2").arg(Latin(name), *problem));
    }
    // lpxelinux.0 (5.10 and later) fetches over HTTP and FTP itself; the
    // others only through an iPXE or gPXE ROM that does.
    const QByteArray own = place.folder == "/" ? QByteArray() : place.folder;
    if (loader.AtLeast(5, 10) && files.Exists(own + "/lpxelinux.0"))
        return;
    for (const ConfigSetMember& member : set.members) {
        for (const ConfigDirective& directive : member.config.directives) {
            if (!TextOnly(directive.keyword) && NamesUrl(directive.argument))
                findings.Report(directive.place, Severity::Warning, "pxe-url-needs-lpxelinux",
                    QStringLiteral("%1 names a URL, and %2 fetches by TFTP: HTTP and FTP need lpxelinux.0 (SYSLINUX "
                                   "5.10 or later) or a PXE ROM that fetches them itself (iPXE)")
                        .arg(Latin(directive.keyword.toUpper()), DescribeLoader(loader)));
        }
    }
}
