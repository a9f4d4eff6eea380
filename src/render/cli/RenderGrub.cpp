#include "RenderGrub.h"

#include "RenderOutput.h"
#include "common/Exceptions.h"
#include "common/FileAccess.h"
#include "grub/GrubMenu.h"
#include "keys/KeyWords.h"
#include "render/ScreenPng.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

QJsonObject Summary(const GrubSim& sim)
{
    static const char* const outcomes[] = { "running", "boot", "exit", "reboot", "halt" };
    static const char* const screens[] = { "blank", "menu", "editor", "command line", "username", "password", "read" };
    QJsonObject summary { { "firmware", "uefi" }, { "state", outcomes[static_cast<int>(sim.State())] },
        { "screen", screens[static_cast<int>(sim.Shown())] }, { "width", sim.Width() }, { "height", sim.Height() } };
    const GrubMenuView view = sim.MenuView();
    QJsonArray titles;
    for (const QByteArray& title : view.titles)
        titles.append(QString::fromUtf8(title));
    summary.insert(u"menu",
        QJsonObject { { "depth", sim.Depth() }, { "theme", QString::fromUtf8(sim.ThemePath()) }, { "titles", titles },
            { "selected", view.selected }, { "first", view.first }, { "secondsLeft", view.secondsLeft } });
    if (sim.State() == GrubSim::Outcome::Boot) {
        const GrubLoaded& boot = sim.Boot();
        summary.insert(u"boot",
            QJsonObject { { "title", QString::fromUtf8(boot.title) }, { "linux", QString::fromUtf8(boot.LinuxLine()) },
                { "initrd", boot.initrds.empty() ? QString() : QString::fromUtf8(boot.InitrdLine()) } });
    }
    if (sim.Shown() != GrubSim::Screen::Menu) {
        // The terminal's rows down to the last one written.
        int shown = sim.Text().Rows();
        while (shown > 0 && sim.Text().Row(shown - 1).isEmpty())
            --shown;
        QJsonArray rows;
        for (int row = 0; row < shown; ++row)
            rows.append(sim.Text().Row(row));
        summary.insert(u"text", rows);
    }
    if (!sim.Note().isEmpty())
        summary.insert(u"note", sim.Note());
    return summary;
}

}

int RenderGrub(const RenderArguments& arguments, const BootFiles& files, const GrubSide& side)
{
    if (!side)
        return Fail(QStringLiteral("this build of glimra-render makes no GRUB side of a tree"));
    QString problem;
    const std::unique_ptr<GrubSim> sim = PlayGrubSide(side(files), {}, &problem);
    if (!sim)
        return Fail(problem);
    QString error;
    for (const LoaderInput& key : ParseLoaderKeys(arguments.keys, error).value_or(std::vector<LoaderInput> {}))
        sim->Give(key);
    if (!sim->Note().isEmpty())
        Tell(sim->Note());
    if (arguments.format == RenderArguments::Format::Png)
        return Write(arguments.output, PicturePng(sim->Draw()));
    return Write(arguments.output, QJsonDocument(Summary(*sim)).toJson(QJsonDocument::Compact) + '\n');
}

int ExportGrubFolder(const RenderArguments& arguments, const GrubSide& side)
{
    const ReadOutcome top = ReadFileNative(arguments.config, Limits::ConfigBytes, ReadableKinds::RegularFiles);
    if (top.failure)
        return Fail(QStringLiteral("cannot open %1: %2").arg(ShownName(arguments.config), top.failure->reason));
    const BootFiles files = BootFiles::ForConfiguration(QFile::decodeName(arguments.config));
    try {
        const std::vector<GrubFile> made = side(files);
        WriteGrubFolder(made, QFile::decodeName(arguments.output));
        Tell(QStringLiteral("wrote %1: %2 files").arg(QFile::decodeName(arguments.output)).arg(made.size()));
        // What GRUB shows differently, as the folder's reader should know.
        const GrubSideFiles said = MakeGrubSide(files);
        for (const QString& note : said.notes)
            Tell(note);
        for (const GrubFinding& finding : said.findings)
            Tell(QStringLiteral("%1:%2: %3")
                     .arg(QString::fromUtf8(finding.place.file))
                     .arg(finding.place.line)
                     .arg(finding.message));
    } catch (const Exception& failure) {
        return Fail(QString::fromStdString(failure.what()));
    }
    return 0;
}
