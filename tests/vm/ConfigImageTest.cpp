// A configuration's boot image: which files go in, and each way a tree
// could reach outside itself or replace the loader's files, tried as an
// attacker would; the image is read back with xorriso. Then the machine's
// arguments, and glimra-render stopped by every signal.
#include "vm/ConfigImage.h"
#include "FileTree.h"
#include "VmProbes.h"
#include "lint/Linter.h"
#include "vm/BootImage.h"
#include "vm/HeadlessVm.h"

#include <QDirIterator>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <csignal>
#include <thread>

#include <fcntl.h>

class ConfigImageTest : public VmToolsTest { };

TEST_F(ConfigImageTest, HoldsTheSetAndTakesMissingModulesFromDebian)
{
    QTemporaryDir tree;
    const QString config = WriteInTree(tree, "isolinux/isolinux.cfg",
        "UI menu.c32\nINCLUDE more.cfg\nDISPLAY boot.msg\nF1 f1.txt\nF2 absent.txt\nMENU BACKGROUND splash.png\n"
        "LABEL linux\n KERNEL /boot/vmlinuz\n");
    WriteInTree(tree, "isolinux/more.cfg", "LABEL tools\n COM32 sub/tool.c32\n");
    WriteInTree(tree, "isolinux/boot.msg", "\x18logo.lss\nHello\n");
    WriteInTree(tree, "isolinux/logo.lss", "LSS16");
    WriteInTree(tree, "isolinux/f1.txt", "Help\n");
    WriteInTree(tree, "isolinux/splash.png", "PNG");
    WriteInTree(tree, "isolinux/sub/tool.c32", "tool");
    WriteInTree(tree, "isolinux/unnamed.txt", "not named by anything");
    QFile menu(QFileInfo(tools.ldlinux).dir().filePath("menu.c32"));
    ASSERT_TRUE(menu.open(QIODevice::ReadOnly));
    WriteInTree(tree, "isolinux/menu.c32", menu.readAll());
    BootFiles files = BootFiles::ForConfiguration(config);
    files.SetText(tree.filePath("isolinux/f1.txt"), "Unsaved help\n");

    const ConfigImagePlan plan = PlanConfigImage(files, tools);
    EXPECT_EQ(Listed(plan).join(u'|').toStdString(),
        "debian /isolinux/isolinux.bin|debian /isolinux/ldlinux.c32|tree /isolinux/isolinux.cfg|tree "
        "/isolinux/more.cfg|"
        "tree /isolinux/logo.lss|tree /isolinux/boot.msg|tree /isolinux/f1.txt|tree /isolinux/splash.png|"
        "tree /isolinux/menu.c32|debian /isolinux/libutil.c32|tree /isolinux/sub/tool.c32");
    EXPECT_EQ(
        plan.notes, QStringList { "/isolinux/libutil.c32 is not in the tree: Debian's syslinux-common gives it" });
    EXPECT_TRUE(plan.refused.empty());
    QTemporaryDir work;
    const QString iso = BuildConfigImage(tools, plan, work.path());
    EXPECT_EQ(IsoFiles(tools.xorriso, iso).size(), 11) << IsoFiles(tools.xorriso, iso).join(u' ').toStdString();
    QFile written(work.filePath("cd/isolinux/f1.txt"));
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_EQ(written.readAll(), "Unsaved help\n") << "an open tab goes in with its unsaved text";
}

TEST_F(ConfigImageTest, RefusesWhatLeadsOutOrReplacesTheLoader)
{
    QTemporaryDir outside;
    const QString secret = WriteInTree(outside, "secret", "SECRET BYTES");
    struct Case {
        const char* name;
        std::function<void(const QTemporaryDir&)> make;
        const char* lint; // what the linter, looking names up the same way, says
    };
    const Case cases[] = {
        { "link.lss", [&](const QTemporaryDir& tree) { QFile::link(secret, tree.filePath("isolinux/link.lss")); },
            "image-outside" },
        { "../../secret", [](const QTemporaryDir&) {}, "image-outside" },
        { "fifo.lss",
            [](const QTemporaryDir& tree) { ::mkfifo(QFile::encodeName(tree.filePath("isolinux/fifo.lss")), 0600); },
            "not-lss16" },
        { "dir.lss", [](const QTemporaryDir& tree) { QDir(tree.path()).mkpath("isolinux/dir.lss"); }, "not-lss16" },
        { "null.lss", [](const QTemporaryDir& tree) { QFile::link("/dev/null", tree.filePath("isolinux/null.lss")); },
            "image-outside" },
        { "boot.cat", [](const QTemporaryDir& tree) { WriteInTree(tree, "isolinux/boot.cat", "FAKE"); }, "not-lss16" },
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        QTemporaryDir tree, work;
        const QString config = WriteInTree(tree, "isolinux/isolinux.cfg", "DISPLAY boot.msg\nPROMPT 1\n");
        WriteInTree(tree, "isolinux/boot.msg", QByteArray("\x18") + test.name + "\nHi\n");
        test.make(tree);
        const ConfigImagePlan plan = PlanConfigImage(BootFiles::ForConfiguration(config), tools);
        ASSERT_EQ(plan.refused.size(), 1u);
        EXPECT_EQ(plan.refused.front().name, test.name);
        const QString iso = BuildConfigImage(tools, plan, work.path());
        EXPECT_EQ(IsoFiles(tools.xorriso, iso).join(u' ').toStdString(),
            "/isolinux/boot.msg /isolinux/isolinux.bin /isolinux/isolinux.cfg /isolinux/ldlinux.c32");
        QFile ldlinux(work.filePath("cd/isolinux/ldlinux.c32"));
        ASSERT_TRUE(ldlinux.open(QIODevice::ReadOnly));
        EXPECT_NE(ldlinux.readAll(), "FAKE") << "the loader's own file stays the loader's";
        QFile catalogue(work.filePath("cd/isolinux/boot.cat"));
        EXPECT_FALSE(catalogue.exists()) << "xorriso's catalogue is not the tree's";
        const std::vector<Problem> problems
            = LintDisplayFile("\x18" + QByteArray(test.name) + "\n", BootFiles::ForConfiguration(config), "/isolinux");
        ASSERT_EQ(problems.size(), 1u);
        EXPECT_EQ(problems.front().code, test.lint);
    }
}

// Refused unopened: a writer waiting on a FIFO would be let go by any open.
TEST(BootFilesFetch, AFifoIsRefusedUnopened)
{
    QTemporaryDir folder;
    const QByteArray pipe = QFile::encodeName(folder.filePath("pipe.lss"));
    ASSERT_EQ(::mkfifo(pipe.constData(), 0600), 0);
    std::atomic<bool> opened = false;
    std::thread writer([&] {
        const int descriptor = ::open(pipe.constData(), O_WRONLY);
        opened = true;
        ::close(descriptor);
    });
    QThread::msleep(100); // the writer waits in open(2)
    EXPECT_EQ(BootFiles(folder.path(), "/").Fetch("/pipe.lss").failure, BootFiles::Fetched::Failure::NotAFile);
    QThread::msleep(200);
    EXPECT_FALSE(opened) << "the FIFO was opened";
    const int reader = ::open(pipe.constData(), O_RDONLY | O_NONBLOCK);
    writer.join();
    ::close(reader);
}

// Names are bytes: one that is not valid UTF-8 is found by the planner and the linter alike.
TEST_F(ConfigImageTest, NamesAreBytes)
{
    QTemporaryDir tree;
    const QString config = WriteInTree(tree, "isolinux/isolinux.cfg", "DISPLAY boot.msg\n");
    WriteInTree(tree, "isolinux/boot.msg",
        "\x18"
        "caf\xe9.lss\n");
    const QByteArray native = QFile::encodeName(tree.path()) + "/isolinux/caf\xe9.lss";
    QFile image;
    ASSERT_TRUE(image.open(::fopen(native.constData(), "w"), QIODevice::WriteOnly, QFile::AutoCloseHandle));
    image.write("LSS16");
    image.close();
    const ConfigImagePlan plan = PlanConfigImage(BootFiles::ForConfiguration(config), tools);
    EXPECT_TRUE(Listed(plan).contains(QStringLiteral("tree /isolinux/caf\xe9.lss")))
        << Listed(plan).join(u' ').toStdString();
    const std::vector<Problem> problems = LintDisplayFile("\x18"
                                                          "caf\xe9.lss\n",
        BootFiles::ForConfiguration(config), "/isolinux");
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_EQ(problems.front().code, "not-lss16") << "found, and read: five bytes are no LSS16 image";
    ::unlink(native.constData()); // QTemporaryDir removes only names it can spell
}

TEST(MachineTest, NamesReachQemuOnlyInsideOptionValues)
{
    const QStringList arguments = QemuArguments(
        { "/tmp/a,b/boot.iso", false, true, "f1,process=x.msg", "/t,s/serial.log", "/t,q/qmp.sock", {} });
    EXPECT_TRUE(arguments.contains("file=/tmp/a,,b/boot.iso,media=cdrom,readonly=on,format=raw"));
    EXPECT_TRUE(arguments.contains("guest=f1,,process=x.msg"));
    EXPECT_TRUE(arguments.contains("file,id=serial0,path=/t,,s/serial.log"));
    EXPECT_TRUE(arguments.contains("socket,id=qmp,path=/t,,q/qmp.sock,server=on,wait=off"));
    for (const QString& argument : arguments)
        EXPECT_FALSE(argument.startsWith(u'/')) << "a path as an argument of its own: " << argument.toStdString();
}

// Each machine starts bare, stays on TCG (ISOLINUX hangs under KVM) and
// never reboots; headless it shows nothing, a CD boots from the drive, PXE
// from QEMU's TFTP folder.
TEST(MachineTest, ArgumentsOfEachKindOfBoot)
{
    const QString bare = "-nodefaults -vga std -m 64 -no-reboot";
    const std::pair<MachineOptions, QString> rows[] = {
        { { "cd.iso", false, false, "t", "", "", {} },
            bare + " -display none -drive file=cd.iso,media=cdrom,readonly=on,format=raw -boot d" },
        { { "tftp", true, true, "", "", "", {} },
            bare + " -netdev user,id=net0,tftp=tftp,bootfile=pxelinux.0 -device e1000,netdev=net0 -boot n" },
        // A PXE client's MAC and UUID, and its address as the first the user network's DHCP hands out.
        { { "tftp", true, false, "", "", "",
              PxeClient::Parse("52:54:00:12:34:99", "192.168.7.77", "b8945908-d6a6-41a9-611d-74a6ab80b83d") },
            bare
                + " -display none -netdev user,id=net0,net=192.168.7.0/24,dhcpstart=192.168.7.77,tftp=tftp,"
                  "bootfile=pxelinux.0 -device e1000,netdev=net0,mac=52:54:00:12:34:99 -boot n -uuid "
                  "b8945908-d6a6-41a9-611d-74a6ab80b83d" },
        { { "cd.iso", false, true, "x.msg", "s.log", "q.sock", {} },
            bare
                + " -name guest=x.msg -drive file=cd.iso,media=cdrom,readonly=on,format=raw -boot d -chardev "
                  "file,id=serial0,path=s.log -serial chardev:serial0 -chardev "
                  "socket,id=qmp,path=q.sock,server=on,wait=off -mon chardev=qmp,mode=control" },
    };
    for (const auto& [options, arguments] : rows)
        EXPECT_EQ(QemuArguments(options).join(u' '), arguments);
}

// glimra-render --mode vm ends its QEMU and leaves no folder when it is
// stopped by SIGINT, SIGTERM or SIGHUP; after SIGKILL its QEMU dies with
// it and the next run sweeps the folder. Its run folders' parent holds a
// comma, which QEMU's options must survive; the shared TMPDIR stays empty.
TEST(MachineTest, TheMachineGoesWithItsOwner)
{
    const VmTools tools = VmToolsHere().value_or(VmTools {});
    if (tools.qemu.isEmpty())
        GTEST_SKIP() << "no QEMU, isolinux or syslinux-common here";
    QTemporaryDir tree, temporary;
    const QString config = WriteInTree(tree, "isolinux/isolinux.cfg", "PROMPT 1\nLABEL a\n");
    const QString tmp = temporary.filePath("tmp"), runtime = temporary.filePath("run,comma");
    QDir().mkpath(tmp);
    QDir().mkpath(runtime);
    QFile(runtime).setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    const QString runs = runtime + "/glimra";
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("TMPDIR", tmp);
    environment.insert("XDG_RUNTIME_DIR", runtime);
    const auto start = [&](const QString& keys, QProcess& render) {
        render.setProcessEnvironment(environment);
        render.start(QStringLiteral(GLIMRA_RENDER_PATH),
            { "--mode", "vm", "--config", config, "--keys", keys, "--format", "ansi", "--timeout", "60" });
        EXPECT_TRUE(render.waitForStarted());
    };
    {
        QProcess render;
        start("\"li\"", render);
        ASSERT_TRUE(render.waitForFinished(60000));
        EXPECT_EQ(render.exitCode(), 0) << render.readAllStandardError().toStdString();
        EXPECT_TRUE(render.readAllStandardOutput().contains("boot: li")) << "typed over QEMU's machine protocol";
    }
    for (int signal : { SIGINT, SIGTERM, SIGHUP, SIGKILL }) {
        SCOPED_TRACE(signal);
        QProcess render;
        start("sleep:60000", render);
        const auto running = [&] {
            for (const QString& work : QDir(runs).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
                if (QFile::exists(runs + u'/' + work + "/qmp.sock"))
                    return true;
            }
            return false;
        };
        for (int tries = 0; tries < 400 && !running(); ++tries)
            QThread::msleep(50);
        QThread::msleep(500);
        ASSERT_EQ(ProcessesNaming(temporary.path()), 1) << "glimra-render's QEMU runs";
        ::kill(static_cast<pid_t>(render.processId()), signal);
        ASSERT_TRUE(render.waitForFinished(20000));
        for (int tries = 0; tries < 100 && ProcessesNaming(temporary.path()) > 0; ++tries)
            QThread::msleep(50);
        EXPECT_EQ(ProcessesNaming(temporary.path()), 0) << "no QEMU left";
        if (signal != SIGKILL) {
            EXPECT_EQ(render.exitCode(), 128 + signal);
            EXPECT_EQ(QDir(runs).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).join(u' ').toStdString(), "");
        }
    }
    QProcess next;
    start("", next);
    ASSERT_TRUE(next.waitForFinished(60000));
    EXPECT_EQ(QDir(runs).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).join(u' ').toStdString(), "")
        << "the next run sweeps what a killed one left";
    EXPECT_EQ(QDir(tmp).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).join(u' ').toStdString(), "");
}

// A pxelinux.cfg/ configuration boots over QEMU's own TFTP server.
TEST(MachineTest, BootsPxelinuxOverTftp)
{
    const VmTools tools = VmToolsHere().value_or(VmTools {});
    if (tools.qemu.isEmpty() || tools.pxelinux.isEmpty()) {
        if (qgetenv("CI") == "true")
            FAIL() << "Debian's pxelinux is needed here";
        GTEST_SKIP() << "no pxelinux here";
    }
    QTemporaryDir tree;
    const QString config = WriteInTree(tree, "pxelinux.cfg/default", "SAY hello over TFTP\nPROMPT 1\n");
    QProcess render;
    render.start(QStringLiteral(GLIMRA_RENDER_PATH),
        { "--mode", "vm", "--config", config, "--keys", "sleep:3000", "--format", "json", "--timeout", "60" });
    ASSERT_TRUE(render.waitForFinished(70000));
    EXPECT_EQ(render.exitCode(), 0) << render.readAllStandardError().toStdString();
    const QJsonObject screen = QJsonDocument::fromJson(render.readAllStandardOutput()).object();
    const QString text = screen["text"].toVariant().toStringList().join(u'\n');
    EXPECT_TRUE(text.contains("PXELINUX 6.04")) << text.toStdString();
    EXPECT_TRUE(text.contains("hello over TFTP")) << text.toStdString();
}
