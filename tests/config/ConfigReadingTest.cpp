// The readers' own rules and bounds: where ldlinux.c32 and menu.c32 stop
// (measured in QEMU), what a reading may take, the loader's arithmetic, why
// a file is not read, and which bytes are a configuration.
#include "config/ConfigReading.h"
#include "FileTree.h"
#include "SharedMaterial.h"
#include "config/BootConfig.h"
#include "config/MenuConfig.h"

#include <QDirIterator>

#include <sys/stat.h>

#include <functional>

namespace {

class ConfigReadingTest : public ::testing::Test {
protected:
    QString Write(const QString& name, const QByteArray& bytes) { return WriteInTree(tree, "isolinux/" + name, bytes); }
    BootFiles Files() const { return BootFiles::ForConfiguration(tree.filePath("isolinux/isolinux.cfg")); }
    BootConfig Read(const BootFiles& files) const { return ReadBootConfig(files, files.ConfigPath(), "/isolinux"); }
    BootConfig Read() const { return Read(Files()); }
    MenuConfig ReadMenus(const BootFiles& files) const
    {
        return ReadMenuConfig(files, "/isolinux", { files.ConfigPath() }, files.ConfigPath());
    }
    // n1.cfg .. nN.cfg, each naming the next with directive after a SAY.
    void Chain(int length, const QByteArray& directive)
    {
        Write("isolinux.cfg", directive + " n1.cfg\n");
        for (int n = 1; n <= length; ++n)
            Write(QStringLiteral("n%1.cfg").arg(n),
                "SAY at " + QByteArray::number(n) + '\n' + directive + " n" + QByteArray::number(n + 1)
                    + ".cfg\nLABEL d" + QByteArray::number(n) + '\n');
        QFile::remove(tree.filePath(QStringLiteral("isolinux/n%1.cfg").arg(length + 1))); // the last names none
    }
    QTemporaryDir tree;
};

int Read(const std::vector<ConfigFile>& files)
{
    return static_cast<int>(
        std::count_if(files.begin(), files.end(), [](const ConfigFile& file) { return file.found; }));
}

}

// ldlinux.c32 6.04 has no INCLUDE depth: with 103 files open the next open
// hangs it (its stack runs out); menu.c32 and vesamenu.c32 hang with 102.
// Measured in QEMU with chains of SAY and LABEL lines.
TEST_F(ConfigReadingTest, NestingStopsWhereTheLoadersHang)
{
    struct Case {
        int length;
        const char* directive;
        bool menu;
        int read; // files read, the top one counted
        int stopFile; // the file whose line 2 hangs the module, 0 for none
    };
    const Case cases[] = {
        { 17, "INCLUDE", false, 18, 0 },
        { 101, "INCLUDE", false, 102, 0 },
        { 102, "INCLUDE", false, 103, 102 },
        { 102, "MENU INCLUDE", false, 103, 102 },
        { 100, "INCLUDE", true, 101, 0 },
        { 101, "INCLUDE", true, 102, 101 },
        { 101, "MENU INCLUDE", true, 102, 101 },
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(testing::Message() << test.directive << " x " << test.length << (test.menu ? " (menu)" : ""));
        Chain(test.length, test.directive);
        const BootFiles files = Files();
        const BootConfig config = Read(files);
        const MenuConfig menus = ReadMenus(files);
        const std::vector<ConfigFile>& read = test.menu ? menus.files : config.files;
        const std::optional<ConfigStop>& stop = test.menu ? menus.stop : config.stop;
        EXPECT_EQ(::Read(read), test.read);
        ASSERT_EQ(stop.has_value(), test.stopFile > 0);
        if (!stop)
            continue;
        EXPECT_EQ(stop->kind, ConfigStop::Kind::LoaderHangs);
        EXPECT_TRUE(StopText(*stop).startsWith(QStringLiteral("/isolinux/n%1.cfg line 2: ").arg(test.stopFile)))
            << StopText(*stop).toStdString();
        EXPECT_TRUE(stop->message.contains(test.menu ? "102 are open" : "103 are open")) << stop->message.toStdString();
        if (!test.menu)
            EXPECT_EQ(config.output.size(), static_cast<std::size_t>(test.stopFile)) << "the SAY lines before it";
        else
            EXPECT_EQ(menus.At(MenuConfig::RootMenu).entries.size(), 0u) << "nothing after the hang";
    }
}

// An INCLUDE loop hangs the loader too; a fan-out (each file naming the next
// twice, 30 levels) would take it for ever: Glimra stops at its bound on
// file openings, each file read from the disc once.
TEST_F(ConfigReadingTest, LoopsAndFanOutsStop)
{
    Write("isolinux.cfg", "SAY top\nINCLUDE isolinux.cfg\n");
    BootConfig config = Read();
    ASSERT_TRUE(config.stop);
    EXPECT_EQ(config.stop->kind, ConfigStop::Kind::LoaderHangs);
    EXPECT_EQ(config.output.size(), 103u);
    EXPECT_TRUE(StopText(*config.stop).startsWith("/isolinux/isolinux.cfg line 2: "));

    Write("isolinux.cfg", "INCLUDE f1.cfg\n");
    for (int level = 1; level <= 30; ++level)
        Write(QStringLiteral("f%1.cfg").arg(level),
            QStringLiteral("INCLUDE f%1.cfg\nINCLUDE f%1.cfg\n").arg(level + 1).toLatin1());
    for (const bool menu : { false, true }) {
        const BootFiles files = Files();
        const std::optional<ConfigStop> stop = menu ? ReadMenus(files).stop : Read(files).stop;
        ASSERT_TRUE(stop);
        EXPECT_EQ(stop->kind, ConfigStop::Kind::Limit);
        EXPECT_TRUE(stop->message.contains(QStringLiteral("more than %1 files opened").arg(Limits::ConfigFileReads)))
            << stop->message.toStdString();
        EXPECT_TRUE(stop->place.file.startsWith("/isolinux/f")) << stop->place.file.toStdString();
        EXPECT_GT(stop->place.line, 0);
    }
}

// What one reading may read and keep; past each bound the stop names it.
TEST_F(ConfigReadingTest, BoundsOnWhatAReadingTakes)
{
    struct Case {
        QByteArray top;
        QByteArray included; // "inc.cfg", given as unsaved text
        bool menu;
        const char* names;
        int line;
    };
    const Case cases[] = {
        { QByteArray(Limits::ConfigLines + 1, '\n'), {}, false, "lines read",
            static_cast<int>(Limits::ConfigLines) + 1 },
        { "INCLUDE inc.cfg\nINCLUDE inc.cfg\n", QByteArray(33 << 20, '#'), false, "64 MiB read", 2 },
        { QByteArray("PROMPT 1\n").repeated(Limits::ConfigItems + 1), {}, false, "250000 directives",
            Limits::ConfigItems + 1 },
        { QByteArray("MENU BEGIN\n").repeated(Limits::Menus), {}, true, "4096 menus", Limits::Menus - 1 },
        { QByteArray("LABEL x\n").repeated(Limits::ConfigItems + 1), {}, true, "250000 menu entries",
            Limits::ConfigItems + 1 },
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.names);
        BootFiles files = BootFiles::ForConfiguration(Write("isolinux.cfg", {}));
        files.SetText(tree.filePath("isolinux/isolinux.cfg"), test.top);
        files.SetText(tree.filePath("isolinux/inc.cfg"), test.included);
        const std::optional<ConfigStop> stop = test.menu ? ReadMenus(files).stop : Read(files).stop;
        ASSERT_TRUE(stop);
        EXPECT_EQ(stop->kind, ConfigStop::Kind::Limit);
        EXPECT_TRUE(stop->message.contains(test.names)) << stop->message.toStdString();
        EXPECT_TRUE(stop->message.endsWith("Glimra reads no further"));
        EXPECT_EQ(stop->place.line, test.line);
    }
}

// Why a file of the set is not read, said in words; a name the reader
// refuses is also one the simulator cannot load (a KERNEL that is a link
// to /etc/shadow does not "load").
TEST_F(ConfigReadingTest, FilesThatAreNotReadSayWhy)
{
    using Failure = BootFiles::Fetched::Failure;
    Write("isolinux.cfg", "INCLUDE pipe.cfg\nINCLUDE out.cfg\nINCLUDE huge.cfg\nINCLUDE gone.cfg\nINCLUDE ../../x\n");
    ASSERT_EQ(::mkfifo(QFile::encodeName(tree.filePath("isolinux/pipe.cfg")).constData(), 0600), 0);
    ASSERT_TRUE(QFile::link("/etc/hostname", tree.filePath("isolinux/out.cfg")));
    QFile huge(Write("huge.cfg", {}));
    ASSERT_TRUE(huge.resize(Limits::FileBytes + 1));
    const BootConfig config = Read();
    const std::pair<Failure, const char*> expected[] = { { Failure::NotAFile, "FIFO" },
        { Failure::Outside, "leads out of the image" }, { Failure::TooLarge, "larger than 64 MiB" },
        { Failure::Missing, "not there" }, { Failure::Outside, "leads out of the image" } };
    ASSERT_EQ(config.files.size(), 6u);
    for (std::size_t at = 0; at < 5; ++at) {
        const ConfigFile& file = config.files[at + 1];
        EXPECT_EQ(file.failure, expected[at].first) << at;
        EXPECT_TRUE(FailureText(file.failure, file.reason).contains(expected[at].second))
            << FailureText(file.failure, file.reason).toStdString();
        EXPECT_EQ(file.includedFrom.line, static_cast<int>(at) + 1);
    }

    ASSERT_TRUE(QFile::link("/etc/shadow", tree.filePath("isolinux/shadow")));
    ASSERT_TRUE(QFile::link("/dev/zero", tree.filePath("isolinux/zero")));
    ASSERT_TRUE(QFile::link("isolinux.cfg", tree.filePath("isolinux/inside")));
    BootFiles files = Files();
    files.SetText(tree.filePath("isolinux/unsaved"), "x");
    const std::pair<const char*, bool> exists[]
        = { { "isolinux.cfg", true }, { "inside", true }, { "unsaved", true }, { "shadow", false }, { "zero", false },
              { "pipe.cfg", false }, { "out.cfg", false }, { "gone.cfg", false }, { "", false } };
    for (const auto& [name, there] : exists)
        EXPECT_EQ(files.Exists("/isolinux/" + QByteArray(name)), there) << name;
}

namespace {

struct ReadingCase {
    const char* what;
    QByteArray config;
    std::function<void(const BootConfig&, const MenuConfig&)> holds;
};

const QByteArray LongLine = "SAY " + QByteArray(Limits::ConfigLineBytes - 4, 'x') + "LABEL cut\n";

// Rules of the loader's reading that no recording shows: each from
// com32/elflink/ldlinux/readconfig.c and com32/menu/readconfig.c.
const ReadingCase ReadingCases[] = {
    { "a TEXT block ends with its file (fgets on the file's own FILE)", "INCLUDE text.cfg\nLABEL after\n",
        [](const BootConfig& config, const MenuConfig& menus) {
            ASSERT_EQ(config.labels.size(), 1u);
            EXPECT_EQ(config.labels[0].name, "after");
            EXPECT_EQ(menus.FindLabel("after"), std::pair(MenuConfig::RootMenu, 0));
        } },
    { "the lines of a TEXT block are no directives", "TEXT HELP\nLABEL inside\n ENDTEXT\nLABEL after\n",
        [](const BootConfig& config, const MenuConfig& menus) {
            ASSERT_EQ(config.labels.size(), 1u);
            EXPECT_EQ(config.labels[0].name, "after");
            EXPECT_FALSE(menus.FindLabel("inside"));
        } },
    { "a line over 4095 bytes goes on as a line of its own", LongLine,
        [](const BootConfig& config, const MenuConfig&) {
            ASSERT_EQ(config.labels.size(), 1u);
            EXPECT_EQ(config.labels[0].name, "cut");
            ASSERT_EQ(config.cutLines.size(), 1u);
            EXPECT_EQ(config.cutLines[0].line, 1);
        } },
    { "MENU INCLUDE with a title records the label before it (do_include_menu)", "LABEL a\nMENU INCLUDE sub.cfg Sub\n",
        [](const BootConfig& config, const MenuConfig&) {
            ASSERT_EQ(config.labels.size(), 1u);
            EXPECT_EQ(config.labels[0].kernel, "a");
        } },
    { "TIMEOUT wraps in 32-bit int, TOTALTIMEOUT in 64 bits", "TIMEOUT 30000000\nTOTALTIMEOUT 30000000\n",
        [](const BootConfig& config, const MenuConfig& menus) {
            EXPECT_EQ(config.timeoutMs, 4288490190u);
            EXPECT_EQ(config.totalTimeoutMs, 3000000000LL);
            EXPECT_EQ(menus.At(MenuConfig::RootMenu).timeoutMs, -6477106) << "menu.c32 keeps an int";
            EXPECT_EQ(menus.totalTimeoutMs, 3000000000LL);
        } },
    { "a negative TIMEOUT truncates towards zero, digits past 64 bits wrap",
        "TIMEOUT -1\nTOTALTIMEOUT 99999999999999999999\n",
        [](const BootConfig& config, const MenuConfig& menus) {
            EXPECT_EQ(config.timeoutMs, 4294967197u);
            EXPECT_EQ(config.totalTimeoutMs, 20037642052068867LL);
            EXPECT_EQ(menus.At(MenuConfig::RootMenu).timeoutMs, -99);
        } },
    { "numbers as atoi takes them: a sign, digits, nothing after", "PROMPT +1x\nTIMEOUT 2147483648\n",
        [](const BootConfig& config, const MenuConfig&) {
            EXPECT_EQ(config.prompt, 1);
            EXPECT_EQ(config.timeoutMs, 0u);
        } },
    { "menu.c32 finds the first entry made of a label, in any menu",
        "MENU BEGIN sub\nLABEL twice\nMENU END\nLABEL twice\n",
        [](const BootConfig&, const MenuConfig& menus) { EXPECT_EQ(menus.FindLabel("twice"), std::pair(2, 0)); } },
    { "MENU GOTO finds any menu by its name, .hidden too (find_menu)", "LABEL g\n MENU GOTO .hidden\n",
        [](const BootConfig&, const MenuConfig& menus) {
            EXPECT_EQ(menus.At(MenuConfig::RootMenu).entries.at(0).submenu, MenuConfig::HiddenMenu);
        } },
};

}

TEST_F(ConfigReadingTest, ReadsAsTheLoaderReads)
{
    Write("text.cfg", "TEXT HELP\nno ENDTEXT in this file\n");
    Write("sub.cfg", "KERNEL other\n");
    for (const ReadingCase& test : ReadingCases) {
        SCOPED_TRACE(test.what);
        Write("isolinux.cfg", test.config);
        const BootFiles files = Files();
        test.holds(Read(files), ReadMenus(files));
    }
}

TEST(LooksLikeBootConfigTest, KnowsEveryKeywordAndNoProse)
{
    const std::pair<QByteArray, bool> cases[] = {
        { "path\ninclude menu.cfg\ndefault vesamenu.c32\n", true },
        { "PATH /arch/boot/syslinux/\nDEFAULT select\n", true },
        { "# comment\n\n  DEFAULT vesamenu.c32\n", true },
        { "SERIAL 0 115200\nCONSOLE 0\nNOHALT 1\n", true },
        { "\tMENU TITLE x\nLABEL a\n TEXT HELP\n  prose, prose\n  more prose\n ENDTEXT\n", true },
        { "F1 help.txt\nkbdmap de.ktl\nsysappend 3\n", true },
        { "PROMPT 1\nSAY " + QByteArray(64 * 1024, 'x') + '\n', true },
        { "\x0c\x0f"
          "1fWelcome\r\n",
            false },
        { "Boot options:\r\n  linux  - the default\r\n  rescue - a shell\r\n  memtest\r\n", false },
        { "Welcome to the installer\r\n", false },
        { "", false },
    };
    for (const auto& [bytes, configuration] : cases)
        EXPECT_EQ(LooksLikeBootConfig(bytes), configuration) << bytes.constData();
}

// Every shared configuration sniffs as one, and no shared display file.
TEST(LooksLikeBootConfigTest, SharedTreesAndScreens)
{
    const QDir cases = SharedFolder("boottruth/project");
    REQUIRE_SHARED(cases.exists(), "the recorded trees");
    int configurations = 0;
    for (QDirIterator found(cases.path(), { "*.cfg" }, QDir::Files, QDirIterator::Subdirectories); found.hasNext();) {
        QFile file(found.next());
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_TRUE(LooksLikeBootConfig(file.readAll())) << found.filePath().toStdString();
        ++configurations;
    }
    EXPECT_GT(configurations, 30);
    for (const QString& screen : SharedDisplayFiles()) {
        QFile file(screen);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_FALSE(LooksLikeBootConfig(file.readAll())) << screen.toStdString();
    }
}
