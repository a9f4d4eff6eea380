// What a terminal on the SERIAL port gets, against the real loader's logs
// and the rules of readconfig.c: nothing before SERIAL, the banner once
// when it is read, no SAY line of the reading, then all the loader prints.
#include "FileTree.h"
#include "SharedMaterial.h"
#include "console/ColorConsole.h"
#include "sim/LoaderSim.h"

#include <QDirIterator>

namespace {

QByteArray PortOf(const QString& config, LoaderVersion version = LoaderVersion::Debian())
{
    FixedCellMeasurer measurer;
    TColorConsole console(measurer);
    const LoaderSim loader(console, BootFiles::ForConfiguration(config), LoaderSim::Start::Banner, std::move(version));
    return loader.SerialPort();
}

}

// Every recorded case that only waits for the prompt: its whole serial log.
TEST(SerialPort, WhatTheRealLoaderSentBeforeItsPrompt)
{
    const QDir cases = SharedFolder("boottruth/project/cases");
    REQUIRE_SHARED(cases.exists(), cases.path().toStdString());
    int compared = 0;
    for (const QString& name : cases.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile steps(cases.filePath(name + "/steps"));
        QFile log(cases.filePath("../out/" + name + "/serial.log"));
        const QString config = cases.filePath(name + "/iso/isolinux/isolinux.cfg");
        if (!steps.open(QIODevice::ReadOnly) || !log.open(QIODevice::ReadOnly) || !QFile::exists(config))
            continue;
        bool waitsOnly = true;
        for (const QByteArray& step : steps.readAll().split('\n'))
            waitsOnly &= step.isEmpty() || step.startsWith("wait") || step.startsWith("shot");
        if (!waitsOnly)
            continue;
        EXPECT_EQ(PortOf(config), log.readAll()) << name.toStdString();
        ++compared;
    }
    EXPECT_GE(compared, 3);
}

TEST(SerialPort, OpensWhereSerialIsRead)
{
    const QByteArray banner = "\r\nISOLINUX 6.04 20200816  Copyright (C) 1994-2015 H. Peter Anvin et al\r\n";
    const struct {
        const char* config;
        QByteArray port;
        LoaderVersion version = LoaderVersion::Debian();
    } rows[] = {
        { "SAY no port\nPROMPT 1\n", "" },
        { "SAY before\nSERIAL 0\nSAY after\nPROMPT 1\n", banner + "boot: " },
        { "SAY before\nSERIAL 0\nSAY after\nPROMPT 1\n", "after \r\nboot: ", LoaderVersion::Known().front() },
    };
    for (const auto& row : rows) {
        QTemporaryDir tree;
        EXPECT_EQ(PortOf(WriteInTree(tree, "isolinux/isolinux.cfg", row.config), row.version), row.port) << row.config;
    }
    QTemporaryDir pxe;
    EXPECT_TRUE(PortOf(WriteInTree(pxe, "pxelinux.cfg/default", "SERIAL 0\nPROMPT 1\n"))
                    .startsWith("\r\nPXELINUX 6.04 PXE 20200816 Copyright"));
}
