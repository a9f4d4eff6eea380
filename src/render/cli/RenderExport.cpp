#include "RenderExport.h"

#include "RenderOutput.h"
#include "RenderVm.h"
#include "common/FileAccess.h"
#include "vm/BootMedia.h"

#include <QFile>

int ExportMedia(const RenderArguments& arguments, const GrubMenuMaker& grub)
{
    using Export = RenderArguments::Export;
    const ReadOutcome top = ReadFileNative(arguments.config, Limits::ConfigBytes, ReadableKinds::RegularFiles);
    if (top.failure)
        return Fail(QStringLiteral("cannot open %1: %2").arg(ShownName(arguments.config), top.failure->reason));
    const MediaKind kind = arguments.exportKind == Export::Iso ? MediaKind::Iso
        : arguments.exportKind == Export::Usb                  ? MediaKind::Usb
                                                               : MediaKind::Pxe;
    MediaRequest request;
    request.kind = kind;
    request.output = QFile::decodeName(arguments.output);
    if (!arguments.label.isEmpty())
        request.label = arguments.label;
    request.hybrid = arguments.hybrid;
    request.biosOnly = arguments.biosOnly;
    return InVm([&] {
        const BootFiles files = BootFiles::ForConfiguration(QFile::decodeName(arguments.config));
        if (!request.biosOnly)
            request.grub = MakeGrubMenu(grub, files);
        const MediaResult result = ExportBootMedia(files, request, FindMediaTools(kind));
        for (const QString& note : result.notes)
            Tell(note);
        for (const ConfigImagePlan::Refusal& refused : result.refused)
            Tell(QStringLiteral("%1 is left out: %2").arg(ShownName(refused.name), refused.reason));
        Tell(QStringLiteral("wrote %1: %2 files%3")
                 .arg(result.output)
                 .arg(result.files)
                 .arg(result.uefi ? QStringLiteral(", for BIOS and UEFI machines") : QString()));
        return 0;
    });
}
