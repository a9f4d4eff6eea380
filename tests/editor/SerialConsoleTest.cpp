// The serial console window: what it shows of a log as the log grows.
#include "editor/window/SerialConsole.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

TEST(SerialConsole, ShowsTheLogAsItGrows)
{
    QTemporaryDir folder;
    const QString path = folder.filePath("serial.log");
    SerialConsole console;
    console.Follow(path); // not written yet
    EXPECT_EQ(console.Text(), QString());
    const struct {
        QByteArray appended;
        QString shown;
    } rows[] = {
        { "\r\nISOLINUX 6.04\r", QString::fromUtf8("\nISOLINUX 6.04\u240D") },
        { "\nboot: ", "\nISOLINUX 6.04\nboot: " }, // a CR LF split between reads
        { "\033[2Jx\xb3", QString::fromUtf8("\nISOLINUX 6.04\nboot: \u241B[2Jx\u00B3") },
    };
    for (const auto& row : rows) {
        QFile log(path);
        ASSERT_TRUE(log.open(QIODevice::Append));
        log.write(row.appended);
        log.close();
        console.Refresh();
        EXPECT_EQ(console.Text(), row.shown) << row.appended.toStdString();
    }
    console.Follow(QString());
    EXPECT_EQ(console.Text(), QString());
}
