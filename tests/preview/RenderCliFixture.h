#pragma once

// glimra-render run as a process on files of a folder of its own.
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>
struct CliRun {
    int exitCode;
    QByteArray out;
    QByteArray err;
};

inline CliRun RenderCli(const QStringList& arguments, const QByteArray& standardInput = {})
{
    QProcess process;
    process.start(QStringLiteral(GLIMRA_RENDER_PATH), arguments);
    process.write(standardInput);
    process.closeWriteChannel();
    process.waitForFinished(30000);
    return { process.exitCode(), process.readAllStandardOutput(), process.readAllStandardError() };
}

class RenderCliTest : public ::testing::Test {
protected:
    QString File(const QByteArray& bytes, const QString& name = QStringLiteral("screen.msg"))
    {
        QFile file(directory.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return file.fileName();
    }
    QTemporaryDir directory;
};
