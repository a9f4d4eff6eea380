// glimra-render's words: each check of the table, in the order it is told,
// and where each input's rendering goes.
#include "render/cli/RenderArguments.h"
#include "render/cli/RenderOutput.h"

#include <gtest/gtest.h>

namespace {

ReadLine Read(std::vector<const char*> words)
{
    words.insert(words.begin(), "glimra-render");
    std::vector<char*> argv;
    for (const char* word : words)
        argv.push_back(const_cast<char*>(word));
    return ReadRenderLine(static_cast<int>(argv.size()), argv.data());
}

}

TEST(RenderArguments, EachCheckIsTold)
{
    struct Row {
        std::vector<const char*> words;
        const char* mistake; // none when the words are right
    };
    const Row rows[] = {
        { { "--mode", "x", "--format", "y", "f" }, "unknown mode 'x' (preview|boot|vm)" },
        { { "--timeout", "0", "f" }, "--timeout takes a number of seconds above 0" },
        { { "--timeout", "ten", "f" }, "--timeout takes a number of seconds above 0" },
        { { "--mode", "vm", "--blink", "on", "f" },
            "--blink has no meaning in vm mode: QEMU's picture shows backgrounds 8-f bright" },
        { { "--format", "xml", "f" }, "unknown format 'xml' (json|ansi|png|serial|ans|msg)" },
        { { "--format", "text", "f" }, "unknown format 'text' (json|ansi|png|serial|ans|msg)" },
        { { "--input", "gif", "f" }, "unknown input 'gif' (display|ans)" },
        { { "--mode", "preview", "--format", "msg", "f" },
            "--format msg writes the boot loader's screen: only --mode boot goes with it" },
        { { "--input", "ans", "--check", "f" }, "--input ans renders art: no --config or --check with it" },
        { { "--blink", "off", "f" }, "unknown blink 'off' (on|bright)" },
        { { "--font", "vga7", "f" }, "unknown font 'vga7' (vga9|vga8)" },
        { { "--check", "--format", "png", "f" }, "--check writes text or --format json" },
        { { "--format", "serial", "f" }, "--format serial needs --mode boot or vm" },
        { { "--keys", "f1", "f" }, "--keys and --start play a configuration: give --config FILE" },
        { { "--start", "blank", "f" }, "--keys and --start play a configuration: give --config FILE" },
        { { "--config", "c", "--mode", "vm", "--start", "blank" },
            "--start has no meaning in vm mode: the real firmware and loader draw the start" },
        { { "--config", "c", "--mode", "preview" }, "--config plays the loader: --mode preview has no meaning" },
        { { "--config", "c", "f" }, "--config renders one screen: no FILE, --check or --output-dir with it" },
        { { "--config", "c", "--output-dir", "d" },
            "--config renders one screen: no FILE, --check or --output-dir with it" },
        { { "--config", "c", "--start", "x" }, "unknown start 'x' (banner|blank)" },
        { { "--config", "c", "--keys", "f1 f99" }, "no such key: f99" },
        { {}, "no file to render" },
        { { "--output", "o", "--output-dir", "d", "f" }, "--output and --output-dir exclude each other" },
        { { "f", "g" }, "several files need --output-dir" },
        { { "--check", "f", "g" }, nullptr },
        { { "--mode", "boot", "--format", "ans", "f" }, nullptr },
        { { "--format", "msg", "f" }, nullptr },
        { { "--mode", "vm", "--format", "serial", "f" }, nullptr },
        { { "--config", "c", "--keys", "f1 \"a\" sleep:5 timeout", "--format", "serial" }, nullptr },
        { { "--export", "dvd", "--config", "c", "--output", "o" }, "unknown export 'dvd' (iso|usb|pxe|grub)" },
        { { "--export", "iso", "--config", "c" },
            "--export makes boot media of a configuration's tree: give --config FILE and --output PATH" },
        { { "--export", "usb", "--output", "o" },
            "--export makes boot media of a configuration's tree: give --config FILE and --output PATH" },
        { { "--export", "iso", "--config", "c", "--output", "o", "--keys", "f1" },
            "--export takes only --config, --output, --label, --no-hybrid and --bios-only" },
        { { "--export", "iso", "--config", "c", "--output", "o", "--mode", "vm" },
            "--export takes only --config, --output, --label, --no-hybrid and --bios-only" },
        { { "--export", "iso", "--config", "c", "--output", "o", "f" },
            "--export takes only --config, --output, --label, --no-hybrid and --bios-only" },
        { { "--config", "c", "--label", "X" }, "--label, --no-hybrid and --bios-only go with --export" },
        { { "--config", "c", "--no-hybrid" }, "--label, --no-hybrid and --bios-only go with --export" },
        { { "--export", "pxe", "--config", "c", "--output", "o", "--label", "X" }, "a PXE folder has no volume label" },
        { { "--export", "usb", "--config", "c", "--output", "o", "--no-hybrid" },
            "--no-hybrid goes with --export iso" },
        { { "--export", "iso", "--config", "c", "--output", "o", "--label", "DISC", "--no-hybrid" }, nullptr },
        { { "--export", "pxe", "--config", "c", "--output", "o" }, nullptr },
        { { "--export", "grub", "--config", "c", "--output", "o" }, nullptr },
        { { "--export", "grub", "--config", "c", "--output", "o", "--bios-only" },
            "--export grub writes GRUB's folder alone: no --label, --no-hybrid or --bios-only" },
        { { "--config", "c", "--bios-only" }, "--label, --no-hybrid and --bios-only go with --export" },
        { { "--export", "usb", "--config", "c", "--output", "o", "--firmware", "uefi" },
            "--export takes only --config, --output, --label, --no-hybrid and --bios-only" },
        { { "--export", "pxe", "--config", "c", "--output", "o", "--bios-only" }, nullptr },
        { { "--config", "c", "--mode", "vm", "--firmware", "efi" }, "unknown firmware 'efi' (bios|uefi)" },
        { { "--mode", "vm", "--firmware", "uefi", "--format", "png", "f" },
            "--firmware picks the side of a configuration played: give --config FILE" },
        { { "--config", "c", "--mode", "vm", "--firmware", "uefi" },
            "--firmware uefi shows GRUB's picture: --format png or serial" },
        { { "--config", "c", "--mode", "vm", "--firmware", "uefi", "--format", "ansi" },
            "--firmware uefi shows GRUB's picture: --format png or serial" },
        { { "--config", "c", "--mode", "vm", "--firmware", "uefi", "--format", "serial" }, nullptr },
        { { "--config", "c", "--mode", "vm", "--firmware", "bios", "--format", "ansi" }, nullptr },
        { { "--firmware", "uefi", "f" }, "--firmware picks the side of a configuration played: give --config FILE" },
        { { "--config", "c", "--firmware", "uefi", "--format", "ansi" },
            "--firmware uefi draws GRUB's screen: --format png or json" },
        { { "--config", "c", "--firmware", "uefi", "--start", "blank" },
            "--start has no meaning with --firmware uefi: GRUB starts on its own screen" },
        { { "--config", "c", "--firmware", "uefi", "--keys", "down e ctrl-x", "--format", "png", "--output", "o" },
            nullptr },
    };
    for (const Row& row : rows) {
        const ReadLine line = Read(row.words);
        const std::string words = row.words.empty() ? "" : row.words.front();
        if (row.mistake)
            EXPECT_EQ(line.mistake.value_or("none").toStdString(), row.mistake) << words;
        else
            EXPECT_FALSE(line.mistake) << words << ": " << line.mistake->toStdString();
    }
}

TEST(RenderArguments, ValuesAndWhatFollowsFromThem)
{
    ReadLine line = Read({ "--check", "a", "b" });
    EXPECT_EQ(line.arguments.format, RenderArguments::Format::Text) << "--check writes text unless told json";
    line = Read({ "--mode", "boot", "--blink", "bright", "--font", "vga8", "--timeout", "7", "f" });
    EXPECT_FALSE(line.arguments.Blinks());
    EXPECT_EQ(line.arguments.dots, VgaDots::Eight);
    EXPECT_EQ(line.arguments.timeoutSeconds, 7);
    line = Read({ "--format", "ans", "f" });
    EXPECT_TRUE(line.arguments.Boot()) << "a drawing is the loader's screen";
    EXPECT_TRUE(line.arguments.Blinks());
    line = Read({ "f" });
    EXPECT_FALSE(line.arguments.Boot());
    EXPECT_FALSE(line.arguments.Blinks()) << "the preview shows digits 8-f bright";
    line = Read({ "--output=o", "--", "-x", "-" });
    EXPECT_EQ(line.arguments.output, "o");
    EXPECT_EQ(line.arguments.inputs, (QByteArrayList { "-x", "-" }));
    line = Read({ "--export", "usb", "--config", "c", "--output", "o", "--label", "STICK" });
    EXPECT_EQ(line.arguments.exportKind, RenderArguments::Export::Usb);
    EXPECT_EQ(line.arguments.label, "STICK");
    EXPECT_TRUE(line.arguments.hybrid);
    EXPECT_FALSE(Read({ "--export", "iso", "--config", "c", "--output", "o", "--no-hybrid" }).arguments.hybrid);
    EXPECT_FALSE(line.arguments.biosOnly) << "both sides unless told";
    EXPECT_TRUE(Read({ "--export", "iso", "--config", "c", "--output", "o", "--bios-only" }).arguments.biosOnly);
    EXPECT_EQ(line.arguments.firmware, RenderArguments::Firmware::Bios);
    EXPECT_EQ(Read({ "--config", "c", "--mode", "vm", "--firmware", "uefi", "--format", "png", "--output", "o" })
                  .arguments.firmware,
        RenderArguments::Firmware::Uefi);
    EXPECT_TRUE(Read({ "--config", "c", "--firmware", "uefi" }).arguments.Uefi());
    EXPECT_TRUE(Read({ "-h" }).help);
    EXPECT_TRUE(Read({ "--version", "--bogus" }).mistake) << "an unknown option before all else";
}

TEST(RenderArguments, EachInputsDestination)
{
    struct Row {
        std::vector<const char*> words;
        const char* input;
        const char* destination;
    };
    const Row rows[] = {
        { { "f" }, "f", "" },
        { { "--output", "o", "f" }, "f", "o" },
        { { "--output-dir", "d", "a", "b" }, "x/a.msg", "d/a.msg.json" },
        { { "--output-dir", "d/", "--format", "ansi", "a", "b" }, "a", "d/a.ans" },
        { { "--output-dir", "d", "--format", "png", "a" }, "-", "d/stdin.png" },
        { { "--output-dir", "d", "--mode", "boot", "--format", "serial", "a" }, "a", "d/a.txt" },
        { { "--output-dir", "d", "--format", "msg", "a" }, "a", "d/a.msg" },
        { { "--output-dir", "d", "--check", "a" }, "a", "d/a.check" },
        { { "--output-dir", "d", "--check", "--format", "json", "a" }, "a", "d/a.check.json" },
    };
    for (const Row& row : rows) {
        const ReadLine line = Read(row.words);
        ASSERT_FALSE(line.mistake) << line.mistake->toStdString();
        EXPECT_EQ(Destination(line.arguments, row.input), row.destination) << row.input;
    }
    EXPECT_EQ(OutputClash(Read({ "--output-dir", "d", "x/a", "y/a" }).arguments),
        QStringLiteral("two inputs would be written to d/a.json"));
    EXPECT_EQ(OutputClash(Read({ "--output-dir", "d", "-", "-" }).arguments),
        QStringLiteral("standard input (-) is named more than once"));
    EXPECT_EQ(OutputClash(Read({ "--output", "a", "a" }).arguments),
        QStringLiteral("the output a would replace the input a"));
    EXPECT_FALSE(OutputClash(Read({ "--output-dir", "d", "a", "b" }).arguments));
}
