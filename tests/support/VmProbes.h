#pragma once

#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QStringList>

// The files of an ISO image as xorriso lists them, sorted, names as bytes.
inline QStringList IsoFiles(const QString& xorrisoProgram, const QString& iso)
{
    QProcess xorriso;
    xorriso.start(xorrisoProgram, { "-indev", iso, "-find", "/", "-type", "f" });
    xorriso.waitForFinished();
    QStringList files;
    for (const QByteArray& line : xorriso.readAllStandardOutput().split('\n')) {
        if (!line.isEmpty())
            files << QString::fromLatin1(line).remove(u'\'');
    }
    files.sort();
    return files;
}

// Every process whose command line names the folder.
inline int ProcessesNaming(const QString& folder)
{
    int count = 0;
    for (QDirIterator processes(QStringLiteral("/proc"), QDir::Dirs); processes.hasNext();) {
        QFile commandLine(processes.next() + QStringLiteral("/cmdline"));
        if (commandLine.open(QIODevice::ReadOnly) && commandLine.readAll().contains(folder.toUtf8()))
            ++count;
    }
    return count;
}
