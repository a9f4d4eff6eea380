#include "BootImage.h"

#include "ConfigImage.h"
#include "config/BootFiles.h"
#include "format/DisplayFile.h"

#include <QFile>

BootImage BuildBootImage(
    const VmTools& tools, QByteArrayView document, const QString& documentFolder, const QString& workFolder)
{
    using File = ConfigImagePlan::File;
    ConfigImagePlan plan;
    plan.loaderFolder = "/";
    QFile isolinux(tools.isolinuxBin);
    QFile ldlinux(tools.ldlinux);
    if (!isolinux.open(QIODevice::ReadOnly) || !ldlinux.open(QIODevice::ReadOnly))
        throw EVmError(
            "Cannot read the loader's files.", (isolinux.fileName() + u' ' + ldlinux.fileName()).toStdString());
    plan.files = { { File::From::Debian, "/isolinux.bin", isolinux.readAll() },
        { File::From::Debian, "/ldlinux.c32", ldlinux.readAll() },
        { File::From::Runner, "/isolinux.cfg", LoaderConfiguration },
        { File::From::Runner, "/boot.msg", document.toByteArray() } };

    BootImage image;
    // The document's folder stands for the CD's root, where boot.msg goes.
    const BootFiles beside(documentFolder.isEmpty() ? QStringLiteral("/nonexistent") : documentFolder, "/");
    for (const QByteArray& name : DisplayFile::ImageNames(document)) {
        const QString shown = QFile::decodeName(name);
        const std::optional<QByteArray> path = BootFiles::Resolve("/", name);
        bool own = false;
        for (const File& file : plan.files)
            own = own || (path && file.imagePath == *path);
        const BootFiles::Fetched fetched = path && !own && !documentFolder.isEmpty()
            ? beside.Fetch(*path)
            : BootFiles::Fetched { BootFiles::Fetched::Failure::Missing, {}, {} };
        if (own)
            image.refused << QStringLiteral("%1 (it names the loader's own file)").arg(shown);
        else if (!path || fetched.failure == BootFiles::Fetched::Failure::Outside)
            image.refused << QStringLiteral("%1 (it leads out of the document's folder)").arg(shown);
        else if (fetched.failure == BootFiles::Fetched::Failure::NotAFile)
            image.refused << QStringLiteral("%1 (%2)").arg(
                shown, fetched.reason.left(1).toLower() + fetched.reason.mid(1));
        else if (fetched.failure != BootFiles::Fetched::Failure::None)
            image.missingImages << shown;
        else
            plan.files.push_back({ File::From::Tree, *path, fetched.bytes });
    }
    image.iso = BuildConfigImage(tools, plan, workFolder);
    return image;
}
