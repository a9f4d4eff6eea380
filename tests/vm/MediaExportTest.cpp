// Boot media made of a tree, and what a bad request, a full disk, a cancel
// or a missing tool does: each is told, and nothing is left at the target
// or beside it; nothing outside the tree is ever copied.
#include "FileTree.h"
#include "RecordedSteps.h"
#include "SharedMaterial.h"
#include "VmProbes.h"
#include "vm/BootMedia.h"

#include <QDirIterator>
#include <QProcess>
#include <QStandardPaths>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <variant>

namespace {

std::optional<MediaTools> ToolsFor(MediaKind kind, const VmSearch& search = {})
{
    try {
        return FindMediaTools(kind, search);
    } catch (const EVmError& missing) {
        if (qgetenv("CI") == "true")
            ADD_FAILURE() << missing.what();
        return std::nullopt;
    }
}

// Every name in the folder, hidden ones too.
QStringList NamesIn(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

class MediaExport : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!iso || !usb || !pxe)
            GTEST_SKIP() << "xorriso, isolinux, syslinux, mtools or pxelinux are missing";
        config = WriteInTree(tree, "isolinux/isolinux.cfg",
            "UI menu.c32\nMENU TITLE T\nLABEL a\n  KERNEL /boot/vmlinuz\nLABEL b\n  KERNEL /shadow\n");
        WriteInTree(tree, "boot/vmlinuz", "KERNEL-OF-THE-TREE" + QByteArray(2 << 20, 'k'));
        WriteInTree(outside, "secret", "NEVER-ON-THE-MEDIA");
        ::symlink("/etc/shadow", QFile::encodeName(tree.filePath("shadow")).constData());
        ::symlink(QFile::encodeName(outside.filePath("secret")).constData(),
            QFile::encodeName(tree.filePath("isolinux/secret.txt")).constData());
    }
    // The request's outcome: its error, or nothing when it was made.
    std::optional<std::string> Export(MediaRequest request, const JobProgress& progress = {})
    {
        try {
            made = ExportBootMedia(BootFiles::ForConfiguration(config), request, Tools(request.kind), progress);
            return std::nullopt;
        } catch (const EVmError& failure) {
            return std::string(failure.what()) + " " + failure.Detail();
        }
    }
    const MediaTools& Tools(MediaKind kind) const
    {
        return kind == MediaKind::Iso ? *iso : kind == MediaKind::Usb ? *usb : *pxe;
    }

    const std::optional<MediaTools> iso = ToolsFor(MediaKind::Iso), usb = ToolsFor(MediaKind::Usb),
                                    pxe = ToolsFor(MediaKind::Pxe);
    QTemporaryDir tree, outside, out;
    QString config;
    MediaResult made;
};

MediaRequest Request(MediaKind kind, const QString& output, QByteArray label = "GLIMRA")
{
    MediaRequest request;
    request.kind = kind;
    request.output = output;
    request.label = label;
    return request;
}

}

TEST_F(MediaExport, EachKindHoldsTheWholeTreeAndNothingFromOutside)
{
    for (const MediaKind kind : { MediaKind::Iso, MediaKind::Usb, MediaKind::Pxe }) {
        const QString target = out.filePath(QStringLiteral("media%1").arg(static_cast<int>(kind)));
        ASSERT_EQ(Export(Request(kind, target, "SHIP_1")), std::nullopt);
        EXPECT_EQ(made.output, target);
        QStringList refused;
        for (const ConfigImagePlan::Refusal& refusal : made.refused)
            refused << QString::fromLatin1(refusal.name) + QStringLiteral(": ") + refusal.reason;
        EXPECT_TRUE(refused.contains(u"/shadow: it is a symbolic link that leads out of the tree")
            || refused.contains(u"/shadow: it, or a link on its way, leads out of the image"))
            << refused.join(u'\n').toStdString();
        EXPECT_TRUE(refused.contains(u"/isolinux/secret.txt: it is a symbolic link that leads out of the tree"))
            << refused.join(u'\n').toStdString();
        QByteArray all; // every byte made
        for (QDirIterator files(target, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories); files.hasNext();)
            all += ReadBytes(files.next());
        if (kind != MediaKind::Pxe)
            all = ReadBytes(target);
        EXPECT_FALSE(all.contains("NEVER-ON-THE-MEDIA"));
        EXPECT_TRUE(all.contains("KERNEL-OF-THE-TREE")) << "the kernel, which the configuration only names";
        EXPECT_TRUE(kind == MediaKind::Pxe || all.mid(510, 2) == "\x55\xaa") << "an MBR";
        if (kind == MediaKind::Iso) {
            EXPECT_EQ(all.mid(0x8028, 6), "SHIP_1") << "the volume's name";
            EXPECT_EQ(all.left(400), ReadBytes(iso->isohdpfx).left(400)) << "Debian's isohybrid MBR";
        } else if (kind == MediaKind::Usb) {
            EXPECT_EQ(all.mid(446, 1), "\x80") << "the partition is active";
            EXPECT_EQ(all.mid(446 + 4, 1), "\x0c") << "FAT32 with LBA";
            EXPECT_EQ(all.left(400), ReadBytes(usb->mbr).left(400)) << "SYSLINUX's MBR";
            EXPECT_TRUE(all.contains("SHIP_1     ")) << "the FAT volume's label";
        } else {
            EXPECT_EQ(made.bootFile, "isolinux/pxelinux.0");
            EXPECT_EQ(ReadBytes(target + "/isolinux/pxelinux.cfg/default"), ReadBytes(config));
            EXPECT_EQ(QFileInfo(target + "/boot/vmlinuz").permissions() & QFile::ReadOther, QFile::ReadOther)
                << "a TFTP server reads it";
        }
        EXPECT_EQ(NamesIn(out.path()).filter(u".glimra-"), QStringList()) << "the staging folder went";
    }
}

TEST_F(MediaExport, BadRequestsAreToldAndLeaveNothing)
{
    WriteInTree(out, "full/one", "x");
    QDir(out.path()).mkpath("folder");
    ::symlink("/tmp", QFile::encodeName(out.filePath("link")).constData());
    struct Row {
        MediaKind kind;
        QString output;
        QByteArray label;
        const char* told;
    };
    const Row rows[] = {
        { MediaKind::Iso, out.filePath("folder"), "L", "is a folder: name the image file to make" },
        { MediaKind::Usb, "/dev/null", "L", "/dev/null is a device" },
        { MediaKind::Iso, out.filePath("link"), "L", "is a symbolic link" },
        { MediaKind::Pxe, out.filePath("full"), "", "already holds files" },
        { MediaKind::Pxe, out.filePath("full/one"), "", "is a file: name the folder to make" },
        { MediaKind::Iso, out.filePath("none/x.iso"), "L", "its folder does not exist" },
        { MediaKind::Usb, out.filePath("x.img"), "TWELVE_CHARS", "the volume label must be 1 to 11" },
        { MediaKind::Iso, out.filePath("x.iso"), "A/B", "the volume label must be 1 to 32" },
        { MediaKind::Iso, out.filePath("x.iso"), "", "the volume label must be 1 to 32" },
        { MediaKind::Iso, tree.filePath("x.iso"), "L", "lies inside the tree being exported" },
        { MediaKind::Usb, tree.filePath("isolinux/x.img"), "L", "lies inside the tree being exported" },
        { MediaKind::Iso, "", "L", "no target given" },
    };
    const QStringList before = NamesIn(out.path());
    for (const Row& row : rows) {
        const std::optional<std::string> told = Export(Request(row.kind, row.output, row.label));
        ASSERT_TRUE(told) << row.told;
        EXPECT_NE(told->find(row.told), std::string::npos) << *told;
        EXPECT_EQ(NamesIn(out.path()), before) << row.told;
        EXPECT_EQ(NamesIn(out.filePath("full")), QStringList { "one" });
    }
    EXPECT_EQ(NamesIn(tree.path()).filter(u"x.iso"), QStringList());
}

// A disk that fills up is a file size limit: xorriso's image, the disk
// image's room and a copy each fail on it.
TEST_F(MediaExport, AFullDiskIsToldAndLeavesNothing)
{
    const auto ignored = std::signal(SIGXFSZ, SIG_IGN);
    rlimit before {};
    ::getrlimit(RLIMIT_FSIZE, &before);
    for (const MediaKind kind : { MediaKind::Iso, MediaKind::Usb, MediaKind::Pxe }) {
        rlimit small = before;
        small.rlim_cur = 1 << 20; // the kernel is twice that
        ::setrlimit(RLIMIT_FSIZE, &small);
        const std::optional<std::string> told = Export(Request(kind, out.filePath("full.media")));
        ::setrlimit(RLIMIT_FSIZE, &before);
        ASSERT_TRUE(told) << static_cast<int>(kind);
        EXPECT_EQ(told->rfind("Cannot ", 0), 0u) << *told;
        EXPECT_EQ(NamesIn(out.path()), QStringList()) << *told;
    }
    std::signal(SIGXFSZ, ignored);
}

TEST_F(MediaExport, ACancelStopsAtEachStepAndLeavesNothing)
{
    // The step whose report cancels: the copies, and the tools while they run.
    const std::pair<MediaKind, const char*> rows[] = { { MediaKind::Iso, "Copying" }, { MediaKind::Iso, "xorriso" },
        { MediaKind::Usb, "mtools" }, { MediaKind::Usb, "SYSLINUX" }, { MediaKind::Pxe, "Copying" },
        { MediaKind::Pxe, "Putting it in place" } };
    for (const auto& [kind, step] : rows) {
        bool cancel = false;
        JobProgress progress;
        progress.report = [&cancel, step = step](
                              int, const QString& now) { cancel = cancel || now.contains(QLatin1StringView(step)); };
        progress.cancelled = [&cancel] { return cancel; };
        const std::optional<std::string> told = Export(Request(kind, out.filePath("cancelled")), progress);
        EXPECT_EQ(told.value_or("made"), "Cancelled. ") << step;
        EXPECT_EQ(NamesIn(out.path()), QStringList()) << step;
    }
}

TEST_F(MediaExport, AMissingToolNamesItsPackage)
{
    QTemporaryDir programs;
    const std::pair<MediaKind, QStringList> rows[] = {
        { MediaKind::Iso, {} }, // xorriso
        { MediaKind::Usb, { "mformat", "mcopy" } }, // syslinux
        { MediaKind::Usb, { "syslinux", "mcopy" } }, // mtools
        { MediaKind::Usb, { "syslinux", "mformat" } },
    };
    const char* packages[] = { "xorriso", "syslinux", "mtools", "mtools" };
    for (std::size_t row = 0; row < std::size(rows); ++row) {
        for (const QString& name : NamesIn(programs.path()))
            QFile::remove(programs.filePath(name));
        for (const QString& program : rows[row].second)
            QFile::link(QStandardPaths::findExecutable(program), programs.filePath(program));
        VmSearch search;
        search.programFolders = { programs.path() };
        try {
            FindMediaTools(rows[row].first, search);
            ADD_FAILURE() << packages[row] << " was not missed";
        } catch (const EVmError& missing) {
            EXPECT_EQ(std::string(missing.what()),
                "Exporting boot media needs the Debian packages " + std::string(packages[row]) + ".");
            EXPECT_EQ(missing.Detail(), "Install them with: sudo apt-get install " + std::string(packages[row]));
        }
    }
    VmSearch noLoader;
    noLoader.isolinuxFolders = { programs.path() };
    EXPECT_THROW(FindMediaTools(MediaKind::Iso, noLoader), EVmError) << "isolinux.bin and isohdpfx.bin";
    noLoader = {};
    noLoader.mbrFolders = { programs.path() };
    EXPECT_THROW(FindMediaTools(MediaKind::Usb, noLoader), EVmError) << "mbr.bin";
    EXPECT_NO_THROW(FindMediaTools(MediaKind::Pxe, noLoader)) << "a PXE folder needs no MBR";
}

TEST_F(MediaExport, TheHybridMbrIsOfTheLoadersBuild)
{
    const QByteArray debianLoader = ReadBytes(iso->loader.isolinuxBin);
    QByteArray otherBuild = debianLoader;
    otherBuild[200] = static_cast<char>(otherBuild[200] ^ 1);
    QByteArray noEntry = debianLoader;
    noEntry[64] = '\0';
    QByteArray treeMbr = ReadBytes(iso->isohdpfx);
    treeMbr[300] = static_cast<char>(treeMbr[300] ^ 1); // another build's code
    struct Row {
        const char* what;
        QByteArray loader;
        QByteArray mbr; // shipped in isolinux/, or none
        std::variant<QByteArray, const char*> gives; // the MBR, or what is told
    };
    const Row rows[] = {
        { "Debian's loader", debianLoader, {}, ReadBytes(iso->isohdpfx) },
        { "another build with its MBR", otherBuild, treeMbr, treeMbr },
        { "another build alone", otherBuild, {}, "the tree holds no isohdpfx.bin of its build" },
        { "another build, no MBR by that name", otherBuild, QByteArray(432, 'x'),
            "the tree holds no isohdpfx.bin of its build" },
        { "a loader without the hybrid entry", noEntry, treeMbr, "has no entry for an isohybrid MBR" },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        QTemporaryDir staged;
        const QString cfg = WriteInTree(staged, "isolinux/isolinux.cfg", "PROMPT 1\n");
        WriteInTree(staged, "isolinux/isolinux.bin", row.loader);
        if (!row.mbr.isEmpty())
            WriteInTree(staged, "isolinux/isohdpfx.bin", row.mbr);
        const BootFiles files = BootFiles::ForConfiguration(cfg);
        ImageOptions options;
        options.boot = ImageOptions::Boot::Cd;
        options.wholeTree = true;
        const ConfigImagePlan plan = PlanConfigImage(files, iso->loader, options);
        try {
            const QByteArray mbr = HybridMbr(files, plan, *iso);
            ASSERT_TRUE(std::holds_alternative<QByteArray>(row.gives)) << "no refusal";
            EXPECT_EQ(mbr, std::get<QByteArray>(row.gives));
        } catch (const EVmError& refused) {
            ASSERT_TRUE(std::holds_alternative<const char*>(row.gives)) << refused.what();
            EXPECT_NE(std::string(refused.what()).find(std::get<const char*>(row.gives)), std::string::npos)
                << refused.what();
            EXPECT_NE(refused.Detail().find("--no-hybrid"), std::string::npos) << "a CD-only disc is offered";
            MediaRequest cdOnly = Request(MediaKind::Iso, out.filePath("cd-only.iso"));
            cdOnly.hybrid = false;
            EXPECT_NO_THROW(ExportBootMedia(files, cdOnly, *iso));
            EXPECT_NE(ReadBytes(out.filePath("cd-only.iso")).mid(510, 2), "\x55\xaa") << "no MBR";
        }
    }
}

// A disk boots Debian's SYSLINUX whatever the tree's loader: its
// configuration is syslinux.cfg in the configuration's folder, and FAT's
// names are what FAT can hold.
TEST_F(MediaExport, ADiskIsSyslinuxsAndFatsNames)
{
    WriteInTree(tree, "isolinux/extlinux.conf", "DEFAULT other\n");
    WriteInTree(tree, "isolinux/syslinux.cfg", "DEFAULT stale\n");
    WriteInTree(tree, "docs/Read.TXT", "1");
    WriteInTree(tree, "docs/read.txt", "2");
    WriteInTree(tree, "docs/what?.txt", "3");
    WriteInTree(tree, "docs/dot.", "4");
    ASSERT_EQ(Export(Request(MediaKind::Usb, out.filePath("disk.img"))), std::nullopt);
    QStringList refused;
    for (const ConfigImagePlan::Refusal& refusal : made.refused)
        refused << QString::fromLatin1(refusal.name) + QStringLiteral(": ") + refusal.reason;
    for (const char* expected : { "/isolinux/extlinux.conf: it names the loader's own /isolinux/extlinux.conf, which "
                                  "stays the loader's",
             "/docs/read.txt: on FAT it is the same name as /docs/Read.TXT",
             "/docs/what?.txt: FAT cannot hold the character 0x3f in a name",
             "/docs/dot.: FAT cannot hold a name that ends in a dot or a blank" })
        EXPECT_TRUE(refused.contains(QString::fromLatin1(expected))) << expected << "\n"
                                                                     << refused.join(u'\n').toStdString();
    EXPECT_TRUE(made.notes.contains(u"the tree's /isolinux/syslinux.cfg is replaced by the image's own"))
        << made.notes.join(u'\n').toStdString();
    const auto typed = [&](const char* name) {
        QProcess mtype;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("MTOOLS_SKIP_CHECK", "1");
        mtype.setProcessEnvironment(environment);
        mtype.start(QStandardPaths::findExecutable("mtype"), { "-i", out.filePath("disk.img") + "@@1048576", name });
        EXPECT_TRUE(mtype.waitForFinished(10000));
        return mtype.readAllStandardOutput();
    };
    EXPECT_EQ(typed("::/isolinux/syslinux.cfg"), ReadBytes(config));
    EXPECT_TRUE(typed("::/isolinux/ldlinux.sys").contains("SYSLINUX 6.04")) << "ldlinux.sys beside it";
}

TEST(MediaPlan, ADiskReplacesModulesOfTheTreesOtherBuild)
{
    const std::optional<MediaTools> usb = ToolsFor(MediaKind::Usb);
    const QDir bin = SharedFolder("boottruth/versions/bin/4.05");
    if (!usb)
        GTEST_SKIP() << "syslinux or mtools are missing";
    REQUIRE_SHARED(bin.exists("isolinux.bin"), bin.path().toStdString());
    QTemporaryDir tree;
    const QString cfg = WriteInTree(tree, "isolinux/isolinux.cfg", "UI menu.c32\n");
    for (const char* name : { "isolinux.bin", "menu.c32" })
        ASSERT_TRUE(QFile::copy(bin.filePath(name), tree.filePath(QStringLiteral("isolinux/") + name)));
    for (const auto boot : { ImageOptions::Boot::Cd, ImageOptions::Boot::Disk }) {
        ImageOptions options;
        options.boot = boot;
        const ConfigImagePlan plan = PlanConfigImage(BootFiles::ForConfiguration(cfg), usb->loader, options);
        const bool disk = boot == ImageOptions::Boot::Disk;
        EXPECT_EQ(plan.loader.Name(), disk ? "6.04" : "4.05");
        EXPECT_EQ(plan.treeLoader.Name(), "4.05");
        EXPECT_EQ(Listed(plan).contains(u"debian /isolinux/menu.c32"), disk) << Listed(plan).join(u' ').toStdString();
        EXPECT_EQ(Listed(plan).contains(u"runner /isolinux/syslinux.cfg"), disk);
        EXPECT_EQ(plan.notes.contains(
                      u"the tree's /isolinux/menu.c32 is of 4.05: Debian's 6.04 replaces it, of ldlinux.sys's build"),
            disk)
            << plan.notes.join(u'\n').toStdString();
    }
}

// A file the configuration names and the walk finds again is listed once.
TEST(MediaPlan, EachLeftOutFileIsListedOnce)
{
    const std::optional<MediaTools> tools = ToolsFor(MediaKind::Pxe);
    if (!tools)
        GTEST_SKIP() << "syslinux-common is missing";
    QTemporaryDir tree;
    const QString cfg = WriteInTree(tree, "isolinux/isolinux.cfg", "DISPLAY pipe.msg\nPROMPT 1\n");
    ASSERT_EQ(::mkfifo(QFile::encodeName(tree.filePath("isolinux/pipe.msg")).constData(), 0600), 0);
    ImageOptions options;
    options.wholeTree = true;
    const ConfigImagePlan plan = PlanConfigImage(BootFiles::ForConfiguration(cfg), tools->loader, options);
    int listed = 0;
    for (const ConfigImagePlan::Refusal& refusal : plan.refused)
        listed += refusal.name.endsWith("pipe.msg") ? 1 : 0;
    EXPECT_EQ(listed, 1);
}
