// glimra-render's drawing formats: ANSI art in, canonical display files and
// classic ANSI art out, and what does not come across named with status 1.
#include "screen/AnsiArt.h"
#include "screen/BootScreen.h"
#include "screen/ScreenEncoder.h"

#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

struct Outcome {
    int status;
    QByteArray out;
    QByteArray err;
};

class DrawingCli : public ::testing::Test {
protected:
    QString File(const QByteArray& bytes, const char* name)
    {
        QFile file(folder.filePath(QString::fromLatin1(name)));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return file.fileName();
    }
    static Outcome Render(const QStringList& arguments)
    {
        QProcess process;
        process.start(QStringLiteral(GLIMRA_RENDER_PATH), arguments);
        process.waitForFinished(30000);
        return { process.exitCode(), process.readAllStandardOutput(), process.readAllStandardError() };
    }
    QTemporaryDir folder;
};

TEST_F(DrawingCli, ConvertsArtAndScreensBothWays)
{
    const QByteArray art = "\x1b[1;44;33m Rescue \x1b[0m\r\n\x1b[31mred \x1b[5;42mblink\r\n";
    const Outcome converted = Render({ "--input", "ans", "--format", "msg", File(art, "art.ans") });
    EXPECT_EQ(converted.status, 0) << converted.err.constData();
    EXPECT_EQ(converted.out, ImportAnsiArt(ReadAnsiArt(art)).bytes);
    EXPECT_EQ(BootScreenOf(converted.out).screen, ReadAnsiArt(art).RowsFrom(0));

    const QByteArray display = "\x0c\x0f"
                               "1eTitle\r\n\x14"
                               "serial only\x11\r\n\x0f"
                               "c0\xc9\xcd\xbb";
    const QString displayFile = File(display, "boot.msg");
    const Outcome canonical = Render({ "--format", "msg", displayFile });
    EXPECT_EQ(canonical.status, 0) << canonical.err.constData();
    EXPECT_EQ(canonical.out, EncodeScreen(BootScreenOf(display).screen).bytes);
    const Outcome exported = Render({ "--format", "ans", displayFile });
    EXPECT_EQ(exported.status, 0);
    EXPECT_EQ(ReadAnsiArt(exported.out).RowsFrom(0), BootScreenOf(display).screen);
    EXPECT_TRUE(ReadAnsiArt(exported.out).iceColours);
}

TEST_F(DrawingCli, NamesWhatDoesNotComeAcross)
{
    struct Row {
        QStringList arguments;
        QByteArray input;
        int status;
        const char* said;
    };
    QByteArray wide = QByteArray(100, 'w') + '\x1a' + "SAUCE00" + QByteArray(75, ' ') + "20261208" + QByteArray(4, '\0')
        + "\x01\x01" + QByteArray("\x64\x00\x19\x00", 4) + QByteArray(28, '\0');
    QByteArray tall;
    for (int row = 0; row < 30; ++row)
        tall += "line\r\n";
    const Row rows[] = {
        { { "--input", "ans", "--format", "msg" }, wide, 1, "100 columns wide" },
        { { "--input", "ans", "--format", "msg" }, tall, 1, "only rows 1-25" },
        { { "--input", "ans", "--format", "msg" }, "\x01smile", 1, "byte 01" },
        { { "--input", "ans", "--format", "msg" }, QByteArray(80 * 25, 'x'), 1, "last cell of row 25" },
        { { "--format", "msg", "--mode", "preview" }, "x", 2, "only --mode boot" },
        { { "--input", "ans", "--check" }, "x", 2, "no --config or --check" },
        { { "--input", "art" }, "x", 2, "unknown input 'art'" },
    };
    for (const Row& row : rows) {
        const Outcome run = Render(row.arguments + QStringList { File(row.input, "input") });
        EXPECT_EQ(run.status, row.status) << row.said;
        EXPECT_TRUE(run.err.contains(row.said)) << run.err.constData();
        EXPECT_EQ(run.out.isEmpty(), row.status != 1) << "what comes across is written: " << row.said;
    }
}

}
