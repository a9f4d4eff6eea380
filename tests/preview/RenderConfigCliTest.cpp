// glimra-render --config: the loader played on a configuration, and what it refuses.
#include "RenderCliFixture.h"

#include <QDir>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <span>

// A configuration played by the loader's simulator.
TEST_F(RenderCliTest, ConfigPlaysTheLoader)
{
    QDir(directory.path()).mkpath("iso/isolinux");
    // A file named on --config is a configuration, whatever its first line;
    // where the loader hangs, the screen is its screen up to there.
    const CliRun odd
        = RenderCli({ "--config", File("frobnicate\r\nINCLUDE gone.cfg\r\nPROMPT 1\r\n", "iso/isolinux/odd.cfg"),
            "--start", "blank", "--format", "serial" });
    EXPECT_EQ(odd.exitCode, 0) << odd.err.constData();
    EXPECT_TRUE(odd.out.endsWith("boot: ")) << odd.out.constData();
    const CliRun loop = RenderCli({ "--config", File("SAY loop\r\nINCLUDE loop.cfg\r\n", "iso/isolinux/loop.cfg") });
    EXPECT_EQ(loop.exitCode, 0) << loop.err.constData();
    EXPECT_TRUE(loop.err.contains("loop.cfg line 2: this opens a file while 103 are open, and ldlinux.c32 6.04 hangs"))
        << loop.err.constData();
    const QString config = File("DISPLAY boot.msg\r\nF1 help.txt\r\nPROMPT 1\r\nLABEL linux\r\n  KERNEL vmlinuz\r\n",
        "iso/isolinux/isolinux.cfg");
    File("\x0c\x0f"
         "1eWelcome\r\n",
        "iso/isolinux/boot.msg");
    File("Help text\r\n", "iso/isolinux/help.txt");
    const QString output = directory.filePath("screen.json");
    CliRun run = RenderCli({ "--config", config, "--keys", "\"li\" tab f1 sleep:100", "--output", output });
    ASSERT_EQ(run.exitCode, 0) << run.err.constData();
    QFile written(output);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    const QJsonObject screen = QJsonDocument::fromJson(written.readAll()).object();
    const QJsonArray text = screen["text"].toArray();
    EXPECT_TRUE(text[0].toString().startsWith("Welcome"));
    EXPECT_TRUE(text[1].toString().startsWith("boot: li  ")) << text[1].toString().toStdString();
    EXPECT_TRUE(text[2].toString().startsWith(" linux  "));
    EXPECT_TRUE(text[4].toString().startsWith("Help text"));
    EXPECT_EQ(screen["cursor"].toArray(), (QJsonArray { 8, 5 }));
    EXPECT_EQ(screen["attrs"].toArray()[0].toString().left(4), "1e1e");

    run = RenderCli({ "--config", config, "--start", "blank", "--keys", "\"linux\" ret", "--format", "serial" });
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_TRUE(
        run.out.endsWith("boot: linux\x1b[?7h\r\nLoading vmlinuz... failed: No such file or directory\r\nboot: "))
        << run.out.constData();
}

// The ways a configuration is refused, and nothing written then.
TEST_F(RenderCliTest, ConfigRefusesWhatItCannotPlay)
{
    QDir(directory.path()).mkpath("iso/isolinux/sub.cfg"); // a folder where an INCLUDE names a file
    QFile huge(File({}, "iso/huge.cfg")); // past what Glimra reads of a file, without taking the disc
    ASSERT_TRUE(huge.resize((qint64(64) << 20) + 1));
    for (int level = 1; level <= 30; ++level) // each file names the next twice: 2^30 readings
        File(QStringLiteral("INCLUDE f%1.cfg\r\nINCLUDE f%1.cfg\r\n").arg(level + 1).toLatin1(),
            QStringLiteral("iso/isolinux/f%1.cfg").arg(level));
    const QString config = File("DISPLAY boot.msg\r\nF1 help.txt\r\nPROMPT 1\r\nLABEL linux\r\n  KERNEL vmlinuz\r\n",
        "iso/isolinux/isolinux.cfg");
    const QString output = directory.filePath("screen.json");
    struct Case {
        QStringList arguments;
        int status;
        const char* message;
    };
    const Case cases[] = {
        { { "--config", config, "--keys", "f1 f99" }, 2, "no such key: f99" },
        { { "--config", config, "--keys", "\"open" }, 2, "without its closing quote" },
        { { "--config", config, "--mode", "preview" }, 2, "--mode preview has no meaning" },
        { { "--keys", "f1", config }, 2, "give --config FILE" },
        { { "--config", File("INCLUDE /huge.cfg\r\n", "iso/isolinux/huge.cfg"), "--output", output }, 1,
            "larger than 64 MiB" },
        { { "--config", File("INCLUDE f1.cfg\r\n", "iso/isolinux/fan.cfg"), "--output", output }, 1,
            "more than 10000 files opened" },
        { { "--config", File("INCLUDE sub.cfg\r\n", "iso/isolinux/bad.cfg"), "--output", output }, 1, "cannot read" },
    };
    for (const Case& test : cases) {
        const CliRun run = RenderCli(test.arguments);
        EXPECT_EQ(run.exitCode, test.status) << test.message;
        EXPECT_TRUE(run.err.contains(test.message)) << run.err.constData();
    }
    EXPECT_FALSE(QFile::exists(output)) << "nothing written when refused";
}

// --start: the firmware's lines and the loader's banner above the prompt,
// or the prompt alone on an empty screen.
TEST_F(RenderCliTest, ConfigStartsOnTheBannerOrOnABlankScreen)
{
    QDir(directory.path()).mkpath("iso/isolinux");
    const QString config = File("PROMPT 1\r\n", "iso/isolinux/isolinux.cfg");
    for (const char* start : { "banner", "blank" }) {
        const CliRun run = RenderCli({ "--config", config, "--start", start });
        ASSERT_EQ(run.exitCode, 0) << run.err.constData();
        const QJsonArray text = QJsonDocument::fromJson(run.out).object()["text"].toArray();
        const bool blank = QByteArrayView(start) == "blank";
        EXPECT_EQ(text[0].toString().startsWith("boot:"), blank) << start;
        EXPECT_EQ(text[3].toString().startsWith("ISOLINUX 6.04"), !blank) << start;
    }
}

// Cells and checks need no GUI library; with the VGA glyph table PNGs do not
// either. The dynamic loader's trace names every library a run loads.
TEST_F(RenderCliTest, LoadsNoGuiLibraryPlatformPluginOrFontconfig)
{
    const bool table = RenderCli({ "--version" }).out.count('\n') == 1;
    if (!table && qgetenv("CI") == "true")
        FAIL() << "built without the VGA glyph table under CI";
    const QString file = File("\x0f"
                              "1eHi");
    QStringList runs[]
        = { { "--format", "json", file }, { "--check", file }, { "--mode", "boot", "--format", "ansi", file },
              { "--mode", "boot", "--format", "png", "--output", directory.filePath("x.png"), file } };
    for (const QStringList& words : table ? runs : std::span(runs).first(3)) {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("LD_DEBUG", "libs");
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral(GLIMRA_RENDER_PATH), words);
        ASSERT_TRUE(process.waitForFinished(30000));
        EXPECT_EQ(process.exitCode(), 0) << words.join(' ').toStdString();
        const QByteArray trace = process.readAllStandardError();
        EXPECT_TRUE(trace.contains("libQt6Core")) << "the trace is read";
        for (const char* library : { "libQt6Gui", "libfontconfig", "platforms/", "libQt6Widgets" })
            EXPECT_FALSE(trace.contains(library)) << library << " loaded for " << words.join(' ').toStdString();
    }
}

// A configuration whose UI is vesamenu.c32 plays its graphical menu: the
// PNG after the keys is QEMU's picture, pixel for pixel; other formats are
// refused, for the menu is a picture.
TEST_F(RenderCliTest, GraphicalMenuIsItsPicture)
{
    const QString recorded = QStringLiteral(GLIMRA_SHARED_DIR "/boottruth/project/vesa");
    if (!QFile::exists(recorded + "/out") || !QFile::exists("/usr/share/seabios/vgabios-stdvga.bin")
        || !QFile::exists("/usr/lib/syslinux/modules/bios/vesamenu.c32")) {
        if (qgetenv("CI") == "true")
            FAIL() << "missing under CI: the vesamenu recordings, seabios or syslinux-common";
        GTEST_SKIP() << "needs the vesamenu recordings, seabios and syslinux-common";
    }
    const QString folder = directory.filePath("isolinux");
    QDir().mkpath(folder);
    const QString source = recorded + "/cases/v11_alpha_noshadow/iso/isolinux/";
    for (const QString& name : QDir(source).entryList(QDir::Files))
        QFile::copy(source + name, folder + "/" + name);
    QFile::copy("/usr/lib/syslinux/modules/bios/vesamenu.c32", folder + "/vesamenu.c32");
    const QString png = directory.filePath("menu.png");
    const CliRun run
        = RenderCli({ "--config", folder + "/isolinux.cfg", "--keys", "down tab", "--format", "png", "--output", png });
    ASSERT_EQ(run.exitCode, 0) << run.err.constData();
    EXPECT_EQ(QImage(png).convertToFormat(QImage::Format_RGB32),
        QImage(recorded + "/out/v11_alpha_noshadow/02_tab.png").convertToFormat(QImage::Format_RGB32));
    const CliRun json = RenderCli({ "--config", folder + "/isolinux.cfg" });
    EXPECT_EQ(json.exitCode, 1);
    EXPECT_TRUE(json.err.contains("give --format png")) << json.err.constData();
}

// A 4.05 tree whose DISPLAY file leaves the core in graphics mode: --format
// png is QEMU's 640 x 480 picture, prompt and cursor in it; a text format
// says so.
TEST_F(RenderCliTest, TheOlderCoresGraphicsScreenIsItsPicture)
{
    const QString shared = QStringLiteral(GLIMRA_SHARED_DIR "/boottruth");
    const QString recorded = shared + "/versions/out/4.05/probes/image_colours.msg.png";
    if (!QFile::exists(recorded)) {
        if (qgetenv("CI") == "true")
            FAIL() << "missing under CI: the 4.05 probe recordings";
        GTEST_SKIP() << "needs the 4.05 probe recordings";
    }
    const QString folder = directory.filePath("isolinux");
    QDir().mkpath(folder);
    QFile::copy(shared + "/versions/bin/4.05/isolinux.bin", folder + "/isolinux.bin");
    QFile::copy(shared + "/probes/probe.lss", folder + "/probe.lss");
    QFile::copy(shared + "/probes/image_colours.msg", folder + "/boot.msg");
    const QString config = File("DISPLAY boot.msg\nPROMPT 1\n", "isolinux/isolinux.cfg");
    const QString png = directory.filePath("screen.png");
    const CliRun run = RenderCli({ "--config", config, "--format", "png", "--output", png });
    ASSERT_EQ(run.exitCode, 0) << run.err.constData();
    EXPECT_EQ(
        QImage(png).convertToFormat(QImage::Format_RGB32), QImage(recorded).convertToFormat(QImage::Format_RGB32));
    const CliRun text = RenderCli({ "--config", config, "--format", "ansi" });
    EXPECT_TRUE(text.err.contains("graphics mode: --format png draws it")) << text.err.constData();
}

// Files of one set given together list each finding once, and a file of a
// set alone is checked with the tree that reads it.
TEST_F(RenderCliTest, ChecksASetsFilesWithTheirTree)
{
    QDir(directory.path()).mkpath("iso/isolinux");
    const QString top = File("INCLUDE sub.cfg\r\nPROMPT 1\r\n", "iso/isolinux/isolinux.cfg");
    const QString sub = File("DISPLAY gone.msg\r\n", "iso/isolinux/sub.cfg");
    const CliRun both = RenderCli({ "--check", top, sub });
    EXPECT_EQ(both.exitCode, 1);
    EXPECT_EQ(both.out.count("[missing-display]"), 1) << both.out.constData();
    const CliRun alone = RenderCli({ "--check", sub });
    EXPECT_FALSE(alone.out.contains("prompt0-no-default")) << alone.out.constData();
    EXPECT_TRUE(alone.out.contains("[missing-display]")) << alone.out.constData();
}

// --config says on standard error which loader it plays, plays that build
// (its banner on the screen) and names it in the JSON.
TEST_F(RenderCliTest, ConfigSaysWhichLoaderItPlays)
{
    QDir(directory.path()).mkpath("iso/isolinux");
    const QString config = File("PROMPT 1\r\n", "iso/isolinux/isolinux.cfg");
    struct Row {
        QByteArray loader; // the tree's isolinux.bin, if any
        const char* said;
        const char* banner;
        const char* origin;
    };
    const Row rows[] = {
        { {}, "glimra-render: playing ISOLINUX 6.04 (Debian's: the tree ships no loader)\n",
            "ISOLINUX 6.04 20200816 ETCD", "default" },
        { QByteArray("\r\nISOLINUX 4.05 20140113 \0 Copyright (C) 1994-2011 H. Peter Anvin et al\r\n", 73),
            "glimra-render: playing ISOLINUX 4.05 (the tree's /isolinux/isolinux.bin)\n",
            "ISOLINUX 4.05 20140113 ETCD Copyright (C) 1994-2011", "tree" },
        { "no loader's bytes", "glimra-render: /isolinux/isolinux.bin says no SYSLINUX version\n",
            "ISOLINUX 6.04 20200816 ETCD", "default" },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.said);
        if (!row.loader.isEmpty())
            File(row.loader, "iso/isolinux/isolinux.bin");
        const CliRun run = RenderCli({ "--config", config });
        ASSERT_EQ(run.exitCode, 0) << run.err.constData();
        EXPECT_TRUE(run.err.contains(row.said)) << run.err.constData();
        const QJsonObject screen = QJsonDocument::fromJson(run.out).object();
        EXPECT_TRUE(screen["text"].toArray()[3].toString().startsWith(row.banner));
        EXPECT_EQ(screen["loader"].toObject()["origin"].toString(), row.origin);
        EXPECT_EQ(screen["loader"].toObject()["version"].toString(), QString::fromLatin1(row.banner).mid(9, 4));
    }
}
