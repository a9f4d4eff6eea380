// Boot media made of a tree, and what a bad request, a full disk, a cancel
// or a missing tool does: each is told, and nothing is left at the target
// or beside it; nothing outside the tree is ever copied.
#include "FileTree.h"
#include "RecordedSteps.h"
#include "SharedMaterial.h"
#include "vm/BootMedia.h"

#include <QDirIterator>
#include <QStandardPaths>

#include <sys/resource.h>
#include <unistd.h>

#include <csignal>

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
        { MediaKind::Usb, "mtools" }, { MediaKind::Usb, "SYSLINUX" }, { MediaKind::Pxe, "Copying" } };
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
    };
    const char* packages[] = { "xorriso", "syslinux", "mtools" };
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
