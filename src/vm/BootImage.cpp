#include "BootImage.h"

#include "format/DisplayFile.h"

#include <QDir>
#include <QFile>
#include <QProcess>

namespace {

void WriteFile(const QString& path, QByteArrayView bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes.data(), bytes.size()) != bytes.size())
        throw EVmError(
            "Cannot write the boot image's files.", (path + QStringLiteral(": ") + file.errorString()).toStdString());
}

void CopyFile(const QString& from, const QString& to)
{
    QFile::remove(to);
    if (!QFile::copy(from, to))
        throw EVmError("Cannot write the boot image's files.", (from + QStringLiteral(" -> ") + to).toStdString());
}

}

BootImage BuildBootImage(
    const VmTools& tools, QByteArrayView document, const QString& documentFolder, const QString& workFolder)
{
    const QDir work(workFolder);
    const QString tree = work.filePath(QStringLiteral("cd"));
    if (!QDir().mkpath(tree))
        throw EVmError("Cannot write the boot image's files.", tree.toStdString());
    CopyFile(tools.isolinuxBin, tree + QStringLiteral("/isolinux.bin"));
    CopyFile(tools.ldlinux, tree + QStringLiteral("/ldlinux.c32"));
    WriteFile(tree + QStringLiteral("/isolinux.cfg"), LoaderConfiguration);
    WriteFile(tree + QStringLiteral("/boot.msg"), document);

    BootImage image { work.filePath(QStringLiteral("boot.iso")), {} };
    for (const QByteArray& name : DisplayFile::ImageNames(document)) {
        const QString shown = QString::fromLocal8Bit(name);
        const QString beside = documentFolder.isEmpty() ? QString() : QDir(documentFolder).filePath(shown);
        // Only plain names: the image lies in the CD's root, beside boot.msg.
        if (beside.isEmpty() || shown.contains(u'/') || !QFileInfo(beside).isFile())
            image.missingImages << shown;
        else
            CopyFile(beside, tree + u'/' + shown);
    }

    QProcess xorriso;
    xorriso.setProcessChannelMode(QProcess::MergedChannels);
    xorriso.start(tools.xorriso,
        { QStringLiteral("-as"), QStringLiteral("mkisofs"), QStringLiteral("-quiet"), QStringLiteral("-o"), image.iso,
            QStringLiteral("-b"), QStringLiteral("isolinux.bin"), QStringLiteral("-c"), QStringLiteral("boot.cat"),
            QStringLiteral("-no-emul-boot"), QStringLiteral("-boot-load-size"), QStringLiteral("4"),
            QStringLiteral("-boot-info-table"), tree });
    if (!xorriso.waitForFinished(60000) || xorriso.exitStatus() != QProcess::NormalExit || xorriso.exitCode() != 0) {
        xorriso.kill();
        xorriso.waitForFinished();
        throw EVmError("Cannot build the boot image.", xorriso.readAll().trimmed().toStdString());
    }
    return image;
}
