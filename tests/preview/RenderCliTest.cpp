#include <QDir>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <chrono>
#include <fcntl.h>
#include <filesystem>
#include <set>
#include <span>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

struct CliRun {
    int exitCode;
    QByteArray out;
    QByteArray err;
};

CliRun RenderCli(const QStringList& arguments, const QByteArray& standardInput = {})
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

}

TEST_F(RenderCliTest, JsonDescribesCellsColoursAndCursor)
{
    const CliRun run = RenderCli({ File("\x0c\x0f"
                                        "1eHi\nthere") });
    ASSERT_EQ(run.exitCode, 0) << run.err.constData();
    const QJsonObject screen = QJsonDocument::fromJson(run.out).object();
    EXPECT_EQ(screen["cols"].toInt(), 80);
    EXPECT_EQ(screen["rows"].toInt(), 25);
    EXPECT_EQ(screen["cursor"].toArray(), (QJsonArray { 5, 1 }));
    ASSERT_EQ(screen["bytes"].toArray().size(), 25);
    EXPECT_TRUE(screen["bytes"].toArray()[0].toString().startsWith("48692020"));
    EXPECT_EQ(screen["bytes"].toArray()[0].toString().size(), 160);
    EXPECT_TRUE(screen["fg"].toArray()[1].toString().startsWith("eeeee"));
    EXPECT_TRUE(screen["bg"].toArray()[1].toString().startsWith("11111"));
    EXPECT_EQ(screen["bg"].toArray()[0].toString().size(), 80);
    // The lone LF of the file became a line break, as Open makes it.
    EXPECT_TRUE(screen["text"].toArray()[1].toString().startsWith("there "));
    // A command-line tool says only its own words: none of Qt's, even
    // without a runtime folder.
    QProcess bare;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove("XDG_RUNTIME_DIR");
    bare.setProcessEnvironment(environment);
    bare.start(
        QStringLiteral(GLIMRA_RENDER_PATH), { "--format", "png", "--output", directory.filePath("x.png"), File("Hi") });
    ASSERT_TRUE(bare.waitForFinished(30000));
    EXPECT_EQ(bare.exitCode(), 0);
    EXPECT_EQ(bare.readAllStandardError(), "");
}

TEST_F(RenderCliTest, AnsiHasAColouredLinePerRow)
{
    const CliRun run = RenderCli({ "--format", "ansi",
        File("\x0f"
             "4f\xc9\xcd\xbb") });
    ASSERT_EQ(run.exitCode, 0) << run.err.constData();
    EXPECT_TRUE(run.out.startsWith(QString::fromUtf8("\x1b[38;2;255;255;255;48;2;170;0;0m╔═╗").toUtf8()));
    EXPECT_EQ(run.out.count("\x1b[0m\n"), 25);
}

TEST_F(RenderCliTest, PngIsTheConsolesOwnPainting)
{
    const QString output = directory.filePath("screen.png");
    const CliRun run = RenderCli({ "--format", "png", "--output", output,
        File("\x0f"
             "1e\xdb") });
    ASSERT_EQ(run.exitCode, 0) << run.err.constData();
    EXPECT_TRUE(run.out.isEmpty());
    const QImage image(output);
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.width() % 80, 0);
    EXPECT_EQ(image.height() % 25, 0);
    const int cellWidth = image.width() / 80, cellHeight = image.height() / 25;
    EXPECT_EQ(image.pixelColor(cellWidth / 2, cellHeight / 2), QColor(0xFF, 0xFF, 0x55)); // full block in yellow
    EXPECT_EQ(image.pixelColor(cellWidth * 3, cellHeight / 2), QColor(0, 0, 0)); // cleared in black
    EXPECT_EQ(image.format(), QImage::Format_Indexed8) << "the VGA font's few colours, with a palette";
}

TEST_F(RenderCliTest, ReadsStandardInput)
{
    const CliRun run = RenderCli({ "-" }, "from stdin");
    ASSERT_EQ(run.exitCode, 0) << run.err.constData();
    EXPECT_TRUE(run.out.contains("\"text\":[\"from stdin "));
}

TEST_F(RenderCliTest, NulGoesToTheConsoleMissingFilesAndBadArgumentsAreRefused)
{
    const CliRun nul = RenderCli({ File(QByteArray("abc\0def", 7)) });
    EXPECT_EQ(nul.exitCode, 0) << nul.err.constData();
    EXPECT_TRUE(nul.out.contains("\"text\":[\"abcdef ")) << "the console shows no control byte";

    const CliRun endless = RenderCli({ "/dev/zero" });
    EXPECT_EQ(endless.exitCode, 1);
    EXPECT_TRUE(endless.err.contains("more than 64 MiB")) << endless.err.constData();

    const CliRun missing = RenderCli({ directory.filePath("absent.msg") });
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_TRUE(missing.err.contains("cannot open")) << missing.err.constData();

    EXPECT_EQ(RenderCli({}).exitCode, 2);
    EXPECT_EQ(RenderCli({ "--format", "bmp", File("x") }).exitCode, 2);
    EXPECT_EQ(RenderCli({ File("x"), File("y", "second.msg") }).exitCode, 2);
}

TEST_F(RenderCliTest, BootModeDrawsAsTheLoaderWithAttributesSerialTextAndBlink)
{
    // CR ignored, a NUL drawing nothing, a blinking background, text for the serial port only.
    const QString file = File(QByteArray("a\r\0b\x0f"
                                         "9eX\x0f"
                                         "07\n\x14serial\r\n",
        21));
    const CliRun json = RenderCli({ "--mode", "boot", "--prompt", file });
    ASSERT_EQ(json.exitCode, 0) << json.err.constData();
    const QJsonObject screen = QJsonDocument::fromJson(json.out).object();
    EXPECT_TRUE(screen["text"].toArray()[0].toString().startsWith("abX "));
    EXPECT_TRUE(screen["attrs"].toArray()[0].toString().startsWith("07079e07"));
    EXPECT_TRUE(screen["text"].toArray()[1].toString().startsWith("boot: "));
    EXPECT_EQ(screen["cursor"].toArray(), (QJsonArray { 6, 1 }));
    EXPECT_FALSE(RenderCli({ file }).out.contains("attrs")) << "the preview's JSON is as it was";

    const CliRun serial = RenderCli({ "--mode", "boot", "--format", "serial", file });
    EXPECT_EQ(serial.out, "serial\n");
    const QByteArray blinking = "\x1b[5;38;2;255;255;85;48;2;0;0;170mX";
    EXPECT_TRUE(RenderCli({ "--mode", "boot", "--format", "ansi", file }).out.contains(blinking));
    EXPECT_TRUE(RenderCli({ "--mode", "boot", "--format", "ansi", "--blink", "bright", file })
                    .out.contains("\x1b[38;2;255;255;85;48;2;85;85;255mX"));

    const QString png = directory.filePath("boot.png");
    ASSERT_EQ(RenderCli({ "--mode", "boot", "--format", "png", "--output", png, file }).exitCode, 0);
    const QImage image(png);
    EXPECT_EQ(image.size(), QSize(720, 400));
    EXPECT_EQ(image.pixelColor(2 * 9 + 8, 15), QColor(0, 0, 0xAA)) << "the visible phase: the dark background";
    ASSERT_EQ(RenderCli({ "--mode", "boot", "--format", "png", "--font", "vga8", "--output", png, file }).exitCode, 0);
    EXPECT_EQ(QImage(png).size(), QSize(640, 400)) << "8-dot cells";

    EXPECT_EQ(RenderCli({ "--format", "serial", file }).exitCode, 2) << "serial text is the loader's";
    EXPECT_EQ(RenderCli({ "--mode", "bios", file }).exitCode, 2);
    EXPECT_EQ(RenderCli({ "--mode", "boot", "--blink", "off", file }).exitCode, 2);
}

TEST_F(RenderCliTest, ConventionalCommandLine)
{
    const CliRun help = RenderCli({ "-h" });
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.out.startsWith("Usage: glimra-render [options] FILE...")) << help.out.constData();
    EXPECT_TRUE(RenderCli({ "--version" }).out.startsWith("glimra-render 1.0.1\n"));
    const std::pair<QStringList, const char*> mistakes[] = {
        { { "--bogus", "x" }, "Unknown option 'bogus'" },
        { { "--format", "xml", "x" }, "unknown format 'xml'" },
        { { "--format" }, "Missing value after '--format'" },
        { { "--mode", "boot", "--blink", "off", "x" }, "unknown blink 'off'" },
    };
    for (const auto& [words, named] : mistakes) {
        const CliRun run = RenderCli(words);
        EXPECT_EQ(run.exitCode, 2) << named;
        EXPECT_TRUE(run.err.startsWith(QByteArray("glimra-render: ") + named)) << run.err.constData();
    }

    const QString dashed = File("A", "--prompt");
    const CliRun afterDashes = RenderCli({ "--format", "ansi", "--", dashed });
    EXPECT_EQ(afterDashes.exitCode, 0) << "-- ends the options: " << afterDashes.err.constData();

    const QString first = File("one", "f1"), second = File("two", "f2.msg");
    const QString out = directory.filePath("out");
    QDir().mkdir(out);
    ASSERT_EQ(RenderCli({ "--mode", "boot", "--format", "serial", "--output-dir", out, first, second }).exitCode, 0);
    EXPECT_TRUE(QFile::exists(out + "/f1.txt"));
    EXPECT_TRUE(QFile::exists(out + "/f2.msg.txt"));
    ASSERT_EQ(RenderCli({ "--output-dir", out, first, directory.filePath("absent") }).exitCode, 1);
    EXPECT_TRUE(QFile::exists(out + "/f1.json")) << "the other files are still rendered";
}

TEST_F(RenderCliTest, NoColorAndTerminals)
{
    const QString file = File("\x0f"
                              "1eHi");
    QProcess plain;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("NO_COLOR"), QStringLiteral("1"));
    plain.setProcessEnvironment(environment);
    plain.start(QStringLiteral(GLIMRA_RENDER_PATH), { "--format", "ansi", file });
    plain.waitForFinished(30000);
    const QByteArray text = plain.readAllStandardOutput();
    EXPECT_TRUE(text.startsWith("Hi   ")) << text.left(20).constData();
    EXPECT_FALSE(text.contains('\x1b'));

    if (QStandardPaths::findExecutable(QStringLiteral("script")).isEmpty())
        GTEST_SKIP() << "no script(1) here to give glimra-render a terminal";
    QProcess terminal;
    terminal.start(QStringLiteral("script"),
        { "-qec", QStringLiteral("%1 --format png %2").arg(QStringLiteral(GLIMRA_RENDER_PATH), file), "/dev/null" });
    terminal.waitForFinished(30000);
    EXPECT_EQ(terminal.exitCode(), 2);
    EXPECT_TRUE(terminal.readAllStandardOutput().contains("a PNG is not for a terminal"));
}

TEST_F(RenderCliTest, FileNamesAreTheBytesTheSystemGave)
{
    // A name that is not UTF-8 (ISO 8859-1 "café"), passed through a shell
    // because QProcess can only pass text.
    const QByteArray folder = QFile::encodeName(directory.path());
    const QString script
        = QStringLiteral("cd \"$1\" && printf 'caf\\351 screen' > \"$(printf 'caf\\351.msg')\" && "
                         "\"$2\" --format ansi --output \"$(printf 'out\\351.ans')\" \"$(printf 'caf\\351.msg')\" && "
                         "\"$2\" \"$(printf 'gone\\351.msg')\"");
    QProcess shell;
    shell.start(QStringLiteral("sh"), { "-c", script, "sh", directory.path(), QStringLiteral(GLIMRA_RENDER_PATH) });
    shell.waitForFinished(30000);
    EXPECT_EQ(shell.exitCode(), 1) << "the missing one";
    EXPECT_TRUE(shell.readAllStandardError().contains("cannot open gone\\xe9.msg")) << "shown escaped";
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder.toStdString()))
        names.insert(entry.path().filename().string());
    EXPECT_EQ(names, (std::set<std::string> { "caf\xe9.msg", "out\xe9.ans" })) << "under their own names";
}

TEST_F(RenderCliTest, CheckReportsProblemsAndEndsWithTheirWorstKind)
{
    const QString notes = File("\x0f"
                               "1Eok\r\n",
        QStringLiteral("notes.msg"));
    const QString bad = File("hi\r\n\x0f"
                             "1",
        QStringLiteral("bad.msg"));
    CliRun run = RenderCli({ QStringLiteral("--check"), notes });
    EXPECT_EQ(run.exitCode, 0) << run.err.constData();
    EXPECT_EQ(run.out,
        notes.toUtf8()
            + ":1:3: note: upper-case digit: the loader takes it, the preview shows no colour "
              "[upper-case-digit]\n");

    run = RenderCli({ QStringLiteral("--check"), QStringLiteral("--format"), QStringLiteral("json"), notes, bad });
    EXPECT_EQ(run.exitCode, 1);
    const QJsonArray problems = QJsonDocument::fromJson(run.out).array();
    ASSERT_EQ(problems.size(), 3);
    EXPECT_EQ(problems[2].toObject()["code"].toString(), "no-final-break") << "a file alone: the prompt follows it";
    const QJsonObject error = problems[1].toObject();
    EXPECT_EQ(error["file"].toString(), bad);
    EXPECT_EQ(error["line"].toInt(), 2);
    EXPECT_EQ(error["column"].toInt(), 1);
    EXPECT_EQ(error["offset"].toInt(), 4);
    EXPECT_EQ(error["severity"].toString(), "error");
    EXPECT_EQ(error["code"].toString(), "colour-digit");

    run = RenderCli({ QStringLiteral("--check"), QStringLiteral("--output-dir"), directory.path(), bad });
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(QFile::exists(directory.filePath(QStringLiteral("bad.msg.check"))));
    EXPECT_EQ(RenderCli({ QStringLiteral("--check"), directory.filePath(QStringLiteral("gone.msg")) }).exitCode, 2);
    EXPECT_EQ(
        RenderCli({ QStringLiteral("--check"), QStringLiteral("--format"), QStringLiteral("png"), bad }).exitCode, 2);
}

// Outputs that would overwrite each other or an input are refused before
// anything is read or written, naming the files.
TEST_F(RenderCliTest, OutputsNeverOverwriteEachOtherOrAnInput)
{
    QDir(directory.path()).mkpath("a");
    QDir(directory.path()).mkpath("b");
    QDir(directory.path()).mkpath("o");
    const QString a = File("one", "a/x.msg"), b = File("two", "b/x.msg");
    const QString input = File("{\"kept\":1}", "o/f.json"), bare = File("three", "o/f");
    struct Case {
        QStringList arguments;
        const char* message;
    };
    const Case cases[] = {
        { { "--output-dir", directory.filePath("o"), a, b }, "two inputs would be written to" },
        { { "--output-dir", directory.filePath("o"), "-", "-" }, "standard input (-) is named more than once" },
        { { "--output-dir", directory.filePath("o"), input, bare }, "would replace the input" },
        { { "--output", a, a }, "would replace the input" },
        { { "--check", "--output-dir", directory.filePath("o"), a, b }, "two inputs would be written to" },
    };
    for (const Case& test : cases) {
        const CliRun run = RenderCli(test.arguments);
        EXPECT_EQ(run.exitCode, 2) << test.message;
        EXPECT_TRUE(run.err.contains(test.message)) << run.err.constData();
    }
    EXPECT_EQ(QDir(directory.filePath("o")).entryList(QDir::Files), (QStringList { "f", "f.json" }));
    QFile kept(input);
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), "{\"kept\":1}");
}

// Standard input left non-blocking by the caller is waited for; a closed
// one is named as such.
TEST_F(RenderCliTest, StandardInputIsWaitedForAndAClosedOneIsNamed)
{
    const auto run = [](bool closed) {
        int input[2], errors[2];
        EXPECT_EQ(::pipe(input), 0);
        EXPECT_EQ(::pipe(errors), 0);
        const pid_t child = ::fork();
        if (child == 0) {
            ::close(input[1]);
            ::close(errors[0]);
            ::dup2(errors[1], STDERR_FILENO);
            ::dup2(::open("/dev/null", O_WRONLY), STDOUT_FILENO);
            if (closed) {
                ::close(STDIN_FILENO);
            } else {
                ::dup2(input[0], STDIN_FILENO);
                ::fcntl(STDIN_FILENO, F_SETFL, O_NONBLOCK);
            }
            ::execl(GLIMRA_RENDER_PATH, GLIMRA_RENDER_PATH, "-", static_cast<char*>(nullptr));
            ::_exit(127);
        }
        ::close(input[0]);
        ::close(errors[1]);
        std::this_thread::sleep_for(std::chrono::milliseconds(300)); // the reader finds no input yet
        if (!closed) {
            EXPECT_EQ(::write(input[1], "late", 4), 4);
        }
        ::close(input[1]);
        int status = 0;
        ::waitpid(child, &status, 0);
        char message[512] = {};
        const ssize_t got = ::read(errors[0], message, sizeof message - 1);
        ::close(errors[0]);
        return std::pair { WEXITSTATUS(status),
            std::string(message, static_cast<std::size_t>(std::max<ssize_t>(got, 0))) };
    };
    const auto [waited, waitedMessage] = run(false);
    EXPECT_EQ(waited, 0) << waitedMessage;
    const auto [closed, closedMessage] = run(true);
    EXPECT_EQ(closed, 1);
    EXPECT_NE(closedMessage.find("standard input is closed"), std::string::npos) << closedMessage;
}

// A configuration played by the loader's simulator, and the ways it is refused.
TEST_F(RenderCliTest, ConfigPlaysTheLoaderAndRefusesWhatItCannotPlay)
{
    QDir(directory.path()).mkpath("iso/isolinux/sub.cfg"); // a folder where an INCLUDE names a file
    QFile huge(File({}, "iso/huge.cfg")); // past what Glimra reads of a file, without taking the disc
    ASSERT_TRUE(huge.resize((qint64(64) << 20) + 1));
    for (int level = 1; level <= 30; ++level) // each file names the next twice: 2^30 readings
        File(QStringLiteral("INCLUDE f%1.cfg\r\nINCLUDE f%1.cfg\r\n").arg(level + 1).toLatin1(),
            QStringLiteral("iso/isolinux/f%1.cfg").arg(level));

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

    QFile::remove(output);
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
        run = RenderCli(test.arguments);
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
