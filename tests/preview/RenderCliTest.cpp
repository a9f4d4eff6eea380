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

#include "RenderCliFixture.h"

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
    const QString grey = File("\x0f"
                              "8eY\r\n",
        "grey.msg");
    ASSERT_EQ(RenderCli({ "--mode", "boot", "--format", "png", "--output", png, grey }).exitCode, 0);
    EXPECT_EQ(QImage(png).pixelColor(8, 15), QColor(0, 0, 0)) << "background 8 blinks too: black in this phase";

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
