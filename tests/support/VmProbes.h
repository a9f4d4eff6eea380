#pragma once

#include "vm/ConfigImage.h"
#include "vm/VmTools.h"

#include <gtest/gtest.h>

#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QStringList>

#include <optional>

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

// The programs and loader files the machine needs; none where they are not
// installed, which fails the test under CI=true.
inline std::optional<VmTools> VmToolsHere()
{
    try {
        return FindVmTools();
    } catch (const EVmError& missing) {
        if (qgetenv("CI") == "true")
            ADD_FAILURE() << missing.what();
        return std::nullopt;
    }
}

// A test that needs the machine's programs and loader files; skipped
// without them.
class VmToolsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (tools.qemu.isEmpty())
            GTEST_SKIP() << "no QEMU, isolinux or syslinux-common here";
    }
    const VmTools tools = VmToolsHere().value_or(VmTools {});
};

// Each file of the plan as "origin path".
inline QStringList Listed(const ConfigImagePlan& plan)
{
    QStringList listed;
    for (const ConfigImagePlan::File& file : plan.files)
        listed << QStringLiteral("%1 %2").arg(file.from == ConfigImagePlan::File::From::Tree ? "tree"
                : file.from == ConfigImagePlan::File::From::Debian                           ? "debian"
                                                                                             : "runner",
            QString::fromLatin1(file.imagePath));
    return listed;
}
