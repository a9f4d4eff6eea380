// What a terminal on the SERIAL port gets, against the real loader's logs
// and the rules of readconfig.c: nothing before SERIAL, the banner once
// when it is read, no SAY line of the reading, then all the loader prints.
#include "FileTree.h"
#include "RecordedSteps.h"
#include "SharedMaterial.h"
#include "console/ColorConsole.h"
#include "sim/AnsiConsole.h"
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

// The menu modules' consoles write the port too: every recorded menu
// case, its keys played, against the whole log.
TEST(SerialPort, WhatTheRealMenusSent)
{
    const QDir cases = SharedFolder("boottruth/project/vesa/cases");
    REQUIRE_SHARED(cases.exists(), cases.path().toStdString());
    int compared = 0;
    for (const QString& name : cases.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        const QDir folder(cases.filePath(name));
        const QByteArray log = ReadBytes(cases.filePath("../out/" + name + "/serial.log"));
        const QString config = folder.filePath("iso/isolinux/isolinux.cfg");
        if (log.isEmpty() || !QFile::exists(config))
            continue;
        FixedCellMeasurer measurer;
        TColorConsole console(measurer);
        LoaderSim loader(console, RecordedCaseFiles(folder, config));
        for (const RecordedStep& step : ReadRecordedSteps(ReadBytes(folder.filePath("steps")))) {
            QString error;
            for (const KeyPress& press : StepPresses(step, error).value_or(std::vector<KeyPress> {}))
                loader.Give(press.input);
            if (step.kind == RecordedStep::Kind::Sleep)
                loader.Sleep(step.milliseconds);
            else if (step.timeoutRuns)
                loader.RunOutTimeout();
        }
        EXPECT_EQ(loader.SerialPort(), log) << name.toStdString();
        ++compared;
    }
    EXPECT_GE(compared, 10);
}

// The port's copy of the colour-table codes, which no recording breaks.
TEST(SerialPort, MenuConsoleCopy)
{
    const struct {
        QByteArray written;
        QByteArray sent;
    } rows[] = {
        { "a\nb", "a\r\nb" }, { "\1#1x\2#00y", "\033[0;1;37mx\033[0;7my" }, { "\2#10z", "z" }, // past the table
        { "\1x!", "!" }, // no '#': the byte after the code goes too
        { "\2#0x!", "!" }, // a broken number drops its breaker
        { "\2#1/q", "\033[0;7mq" }, // '/' counts as digit -1: index 9
    };
    for (const auto& row : rows) {
        FixedCellMeasurer measurer;
        TColorConsole screen(measurer);
        AnsiConsole console(screen);
        std::vector<QByteArray> table { "7", "1;37" };
        table.resize(10, "7");
        console.SetColourTable(table);
        console.Write("before");
        console.TapSerial();
        console.Write(row.written);
        EXPECT_EQ(console.TakeSerial(), row.sent) << row.written.toStdString();
        EXPECT_TRUE(console.TakeSerial().isEmpty());
    }
}

// A menu's output reaches the port only with SERIAL, and what it draws
// again after a kernel that is not there follows the loader's failure.
TEST(SerialPort, MenuOutputInTurn)
{
    for (const bool serial : { false, true }) {
        QTemporaryDir tree;
        WriteInTree(tree, "isolinux/menu.c32",
            "\x7f"
            "ELF");
        const QString config = WriteInTree(tree, "isolinux/isolinux.cfg",
            QByteArray(serial ? "SERIAL 0\n" : "") + "UI menu.c32\nLABEL a\n KERNEL nothere\n");
        FixedCellMeasurer measurer;
        TColorConsole console(measurer);
        LoaderSim loader(console, BootFiles::ForConfiguration(config));
        const qsizetype drawn = loader.SerialPort().size();
        loader.Give(LoaderInput::Of(Keys::Key::Named(Keys::Name::Enter)));
        const QByteArray port = loader.SerialPort();
        if (!serial) {
            EXPECT_TRUE(port.isEmpty());
            continue;
        }
        const qsizetype failure = port.indexOf("nothere", drawn);
        EXPECT_GT(drawn, 100);
        EXPECT_GT(failure, drawn);
        EXPECT_GT(port.indexOf("\033[2J", failure), failure) << port.mid(drawn).toStdString();
    }
}
