// The real loader in QEMU: the image builder, the runner's limit and clean-up,
// the message for missing packages, and every shared display file booted and
// compared with boot mode.
#include "SharedMaterial.h"
#include "VmProbes.h"
#include "vm/BootImage.h"
#include "vm/HeadlessVm.h"

#include <QDirIterator>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <sys/stat.h>

namespace {

// Skips with a visible message without the packages, fails under CI=true.
#define REQUIRE_VM_TOOLS(tools)                                                                                        \
    VmTools tools;                                                                                                     \
    try {                                                                                                              \
        tools = FindVmTools();                                                                                         \
    } catch (const EVmError& missing) {                                                                                \
        if (qgetenv("CI") == "true")                                                                                   \
            FAIL() << missing.what();                                                                                  \
        GTEST_SKIP() << missing.what();                                                                                \
    }

struct RenderRun {
    int exitCode;
    QByteArray out, err;
};

RenderRun Render(const QStringList& arguments, const QString& temporaryFolder = {})
{
    QProcess process;
    if (!temporaryFolder.isEmpty()) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("TMPDIR"), temporaryFolder);
        // Qt's own runtime folder is not the program's temporary file.
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), temporaryFolder + QStringLiteral("/../run"));
        process.setProcessEnvironment(environment);
    }
    process.start(QStringLiteral(GLIMRA_RENDER_PATH), arguments);
    process.waitForFinished(120000);
    return { process.exitCode(), process.readAllStandardOutput(), process.readAllStandardError() };
}

TEST(VmToolsTest, NamesTheDebianPackagesThatAreMissing)
{
    try {
        FindVmTools(
            { .programFolders = { QStringLiteral("/nonexistent") }, .isolinuxFolders = {}, .ldlinuxFolders = {} });
        FAIL() << "no tools, no error";
    } catch (const EVmError& missing) {
        EXPECT_STREQ(missing.what(),
            "Booting in a virtual machine needs the Debian packages qemu-system-x86, isolinux, syslinux-common, "
            "xorriso.");
        EXPECT_EQ(missing.Detail(),
            "Install them with: sudo apt-get install qemu-system-x86 isolinux syslinux-common xorriso");
    }
}

TEST(BootImageTest, HoldsTheLoaderTheDocumentAndTheImagesBesideIt)
{
    REQUIRE_VM_TOOLS(tools);
    QTemporaryDir outer, work;
    // Names may reach into subfolders, never out of the document's folder
    // nor onto the loader's own files.
    const QString documentFolder = outer.filePath(QStringLiteral("cd"));
    for (const char* name : { "cd/logo.lss", "cd/sub/in.lss", "up.lss" }) {
        QDir().mkpath(QFileInfo(outer.filePath(name)).path());
        QFile logo(outer.filePath(name));
        ASSERT_TRUE(logo.open(QIODevice::WriteOnly));
        logo.write("LSS16 bytes");
    }
    ASSERT_EQ(::mkfifo(QFile::encodeName(outer.filePath("cd/pipe.lss")).constData(), 0600), 0);
    const QByteArray document
        = "\x18logo.lss\r\nHello\r\n\x18gone.lss\n\x18../up.lss\n\x18sub/in.lss\n\x18isolinux.cfg\n"
          "\x18pipe.lss\n";
    const BootImage image = BuildBootImage(tools, document, documentFolder, work.path());
    EXPECT_EQ(image.missingImages, QStringList { "gone.lss" });
    EXPECT_EQ(image.refused,
        (QStringList { "../up.lss (it leads out of the document's folder)",
            "isolinux.cfg (it names the loader's own file)", "pipe.lss (it is a FIFO, not a regular file)" }));
    EXPECT_EQ(IsoFiles(tools.xorriso, image.iso),
        (QStringList { "/boot.msg", "/isolinux.bin", "/isolinux.cfg", "/ldlinux.c32", "/logo.lss", "/sub/in.lss" }));

    const BootImage unsaved = BuildBootImage(tools, "\x18logo.lss\r\n\x18gone.lss\n", QString(), work.path());
    EXPECT_EQ(unsaved.missingImages, (QStringList { "logo.lss", "gone.lss" }));
}

TEST(HeadlessVmTest, EndsQemuAndLeavesNoFolderAfterSuccessFailureOrTimeOut)
{
    REQUIRE_VM_TOOLS(tools);
    QTemporaryDir work;
    const BootImage image = BuildBootImage(tools, "\x0cHi", QString(), work.path());
    EXPECT_THROW(BootHeadless(tools, image.iso, work.path(), std::chrono::milliseconds(1), false), EVmError);
    EXPECT_EQ(ProcessesNaming(work.path()), 0);
    const VmScreen screen = BootHeadless(tools, image.iso, work.path(), std::chrono::seconds(60), false);
    EXPECT_TRUE(screen.serial.endsWith("boot: ")) << screen.serial.toStdString();
    EXPECT_EQ(screen.text.left(4), QByteArray("H\x07i\x07"));
    EXPECT_EQ(ProcessesNaming(work.path()), 0);

    QTemporaryDir temporary;
    QFile file(temporary.filePath(QStringLiteral("f1")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("\x0f"
               "1eHi");
    file.close();
    const QString tmp = temporary.filePath(QStringLiteral("tmp"));
    QDir().mkpath(tmp);
    QDir().mkpath(temporary.filePath(QStringLiteral("run")));
    QFile(temporary.filePath(QStringLiteral("run")))
        .setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    RenderRun run = Render({ "--mode", "vm", "--clear", "--format", "ansi", file.fileName() }, tmp);
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    run = Render({ "--mode", "vm", "--timeout", "1", "--format", "serial", "/nonexistent/f1" }, tmp);
    EXPECT_EQ(run.exitCode, 1);
    run = Render({ "--mode", "vm", "--blink", "on", file.fileName() }, tmp);
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(QDir(tmp).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList {});
    EXPECT_EQ(QDir(temporary.filePath("run/glimra")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList {})
        << "the run folders' parent is left empty";
}

class RealLoader : public ::testing::TestWithParam<QString> { };

// The real loader's screen and boot mode's, key by key.
TEST_P(RealLoader, DrawsWhatBootModeDraws)
{
    REQUIRE_VM_TOOLS(tools);
    const RenderRun vm = Render({ "--mode", "vm", "--clear", "--timeout", "60", GetParam() });
    ASSERT_EQ(vm.exitCode, 0) << vm.err.toStdString();
    const RenderRun boot = Render({ "--mode", "boot", "--prompt", "--clear", GetParam() });
    ASSERT_EQ(boot.exitCode, 0) << boot.err.toStdString();
    const QJsonObject real = QJsonDocument::fromJson(vm.out).object();
    const QJsonObject drawn = QJsonDocument::fromJson(boot.out).object();
    for (const char* key : { "cols", "rows", "cursor", "bytes", "fg", "bg", "attrs" })
        EXPECT_EQ(real[key], drawn[key]) << key;
}

INSTANTIATE_TEST_SUITE_P(
    Shared, RealLoader, ::testing::ValuesIn(SharedDisplayFiles()), [](const ::testing::TestParamInfo<QString>& file) {
        QString name = QFileInfo(file.param).fileName();
        return name.replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9]")), QStringLiteral("_")).toStdString();
    });
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(RealLoader);

TEST(RealLoaderFiles, AreThere) { REQUIRE_SHARED(!SharedDisplayFiles().empty(), "shared display files"); }

}
