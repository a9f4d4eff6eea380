// glimra-render: renders display files as the preview shows them, or as
// the boot loader does, without a display, as JSON, ANSI colour text, PNG
// images or the loader's serial text; or checks them for problems.
#include "RenderArguments.h"
#include "RenderCheck.h"
#include "RenderConfig.h"
#include "RenderExport.h"
#include "RenderFiles.h"
#include "RenderGrub.h"
#include "RenderInput.h"
#include "RenderOutput.h"
#include "vm/VmTools.h"

#include <QCoreApplication>
#ifdef GLIMRA_PAINTS_PNG
#include <QGuiApplication>
#endif

#include <algorithm>
#include <cstdio>
#include <memory>

int main(int argc, char* argv[])
{
    // Qt's own warnings (a missing runtime folder ...) are not this tool's to say.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    StandardInputClosed();
    const ParsedLine line = ParseRenderLine(argc, argv);
    if (line.exitStatus >= 0)
        return line.exitStatus;
    if (const std::optional<QString> clash = OutputClash(line.arguments)) {
        std::fprintf(stderr, "glimra-render: %s; nothing was written\n", qPrintable(*clash));
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (line.arguments.check) {
        QCoreApplication application(argc, argv);
        return CheckAll(line.arguments);
    }
#ifdef GLIMRA_PAINTS_PNG
    // Painting needs the GUI library's fonts; nothing else here does.
    std::unique_ptr<QCoreApplication> application = line.arguments.format == RenderArguments::Format::Png
        ? std::make_unique<QGuiApplication>(argc, argv)
        : std::make_unique<QCoreApplication>(argc, argv);
#else
    QCoreApplication application(argc, argv);
#endif
    if (line.arguments.Vm() || line.arguments.Exporting())
        StopMachinesOnSignals();
    if (line.arguments.exportKind == RenderArguments::Export::Grub)
        return ExportGrubFolder(line.arguments, MadeGrubSide);
    if (line.arguments.Exporting())
        return ExportMedia(line.arguments, GrubMaker(MadeGrubSide));
    if (line.arguments.Playing())
        return RenderConfiguration(line.arguments, MadeGrubSide);
    int status = 0;
    for (const QByteArray& input : line.arguments.inputs)
        status = std::max(status, RenderOne(line.arguments, input));
    return status;
}
