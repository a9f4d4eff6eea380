// The image planner on names a hostile tree writes: each that leaves the
// image, or leads to what is no file of the tree, is refused unread and
// named; whatever the names, planning ends and the image stays bounded.
#include "FileTree.h"
#include "QtPrinters.h"
#include "VmProbes.h"
#include "common/Limits.h"
#include "vm/ConfigImage.h"

#include <QTemporaryDir>

#include <sys/stat.h>
#include <unistd.h>

#include <functional>

namespace {

// A 32-bit ELF file whose dynamic section needs the libraries named.
QByteArray ModuleNeeding(const QByteArrayList& libraries)
{
    const auto word = [](quint32 value) {
        QByteArray bytes;
        for (int i = 0; i < 4; ++i)
            bytes += static_cast<char>(value >> (8 * i) & 0xFF);
        return bytes;
    };
    QByteArray strings(1, '\0');
    QByteArray dynamic;
    for (const QByteArray& library : libraries) {
        dynamic += word(1) + word(static_cast<quint32>(strings.size()));
        strings += library + '\0';
    }
    const quint32 dynamicAt = 52 + 64, stringsAt = dynamicAt + static_cast<quint32>(dynamic.size()) + 16;
    dynamic += word(5) + word(stringsAt) + word(0) + word(0);
    const quint32 size = stringsAt + static_cast<quint32>(strings.size());
    QByteArray header = QByteArray("\x7f"
                                   "ELF\x01\x01\x01",
        7)
                            .leftJustified(28, '\0');
    header += word(52) + QByteArray(10, '\0') + QByteArray("\x20\x00\x02\x00", 4);
    header = header.leftJustified(52, '\0');
    const QByteArray load = word(1) + word(0) + word(0) + word(0) + word(size) + word(size) + word(0) + word(0);
    const QByteArray segment = word(2) + word(dynamicAt) + word(dynamicAt) + word(0)
        + word(static_cast<quint32>(dynamic.size())) + QByteArray(12, '\0');
    return header + load + segment + dynamic + strings;
}

QByteArray Link(const QTemporaryDir& tree, const char* name, const QByteArray& target)
{
    const QByteArray path = QFile::encodeName(tree.filePath(QString::fromLatin1(name)));
    EXPECT_EQ(::symlink(target.constData(), path.constData()), 0) << name;
    return path;
}

}

class ImagePlanTest : public VmToolsTest { };

namespace {

// Names a hostile tree writes, each with what it makes of the name.
struct RefusalRow {
    const char* config;
    std::function<void(const QTemporaryDir&)> make;
    const char* refused; // the names refused, in order
    const char* reason = nullptr; // the first one's, when it matters
};

std::vector<RefusalRow> RefusalRows()
{
    const auto nothing = [](const QTemporaryDir&) {};
    return {
        { "UI ../../menu.c32\n", nothing, "../../menu.c32" },
        { "UI /../menu.c32\n", nothing, "/../menu.c32" },
        { "LABEL a\n COM32 ../../../../x.c32\n", nothing, "../../../../x.c32" },
        { "LABEL a\n KERNEL .com32 ../../x\n", nothing, "../../x.c32" },
        { "UI menu.c32\n",
            [](const QTemporaryDir& tree) {
                WriteInTree(tree, "isolinux/menu.c32",
                    ModuleNeeding({ "../../evil.c32", "/../x.c32", "../../evil.c32", "good.c32" }));
                WriteInTree(tree, "isolinux/good.c32", ModuleNeeding({ "../../up.c32" }));
            },
            "" }, // the loader takes a library's last path part, so none leaves the folder
        { "UI menu.c32\n", [](const QTemporaryDir& tree) { Link(tree, "isolinux/menu.c32", "/etc/shadow"); },
            "menu.c32" },
        { "DISPLAY /etc/shadow\n",
            [](const QTemporaryDir& tree) {
                QDir(tree.path()).mkpath("etc");
                Link(tree, "etc/shadow", "/etc/shadow");
            },
            "/etc/shadow" },
        { "DISPLAY zero\n", [](const QTemporaryDir& tree) { Link(tree, "isolinux/zero", "/dev/zero"); }, "zero" },
        { "F1 fifo\n",
            [](const QTemporaryDir& tree) {
                ::mkfifo(QFile::encodeName(tree.filePath("isolinux/fifo")).constData(), 0600);
            },
            "fifo", "it is a FIFO, not a regular file" },
        { "DISPLAY big\n",
            [](const QTemporaryDir& tree) {
                QFile big(WriteInTree(tree, "isolinux/big", ""));
                big.resize(Limits::FileBytes + 1);
            },
            "big", "it is larger than 64 MiB, the most read of one file" },
        { "DISPLAY large\n",
            [](const QTemporaryDir& tree) { QFile(WriteInTree(tree, "isolinux/large", "")).resize(20 << 20); }, "" },
        { "LABEL c\n CONFIG ../../other.cfg\n", nothing, "../../other.cfg" },
        { "INCLUDE ../../other.cfg\n", nothing, "../../other.cfg" },
        { "DISPLAY ../../../etc/passwd\n", nothing, "../../../etc/passwd" },
    };
}

}

TEST_F(ImagePlanTest, RefusesNamesThatLeaveTheImageAndWhatIsNoFileOfTheTree)
{
    for (const RefusalRow& row : RefusalRows()) {
        SCOPED_TRACE(row.config);
        QTemporaryDir tree;
        const QString config = WriteInTree(tree, "isolinux/isolinux.cfg", row.config);
        row.make(tree);
        const ConfigImagePlan plan = PlanConfigImage(BootFiles::ForConfiguration(config), tools);
        QByteArrayList refused;
        for (const ConfigImagePlan::Refusal& refusal : plan.refused)
            refused << refusal.name;
        EXPECT_EQ(refused.join(' '), row.refused);
        if (row.reason && !plan.refused.empty()) {
            EXPECT_EQ(plan.refused.front().reason, row.reason);
        }
        for (const ConfigImagePlan::File& file : plan.files) {
            EXPECT_FALSE(file.imagePath.contains("..")) << file.imagePath.constData();
            EXPECT_FALSE(file.bytes.contains("root:")) << file.imagePath.constData();
        }
    }
}

// Past the bounds a name is refused with the bound in its reason, never
// half taken; a chain of modules, each needing the next, is followed to
// its end.
TEST_F(ImagePlanTest, StaysInsideItsBoundsOfPathsAndFollowsLongChains)
{
    QTemporaryDir tree;
    QByteArray deep;
    while (deep.size() <= Limits::ImagePathBytes)
        deep += "d/";
    // F1's file is /isolinux/...y.txt, of the bound's length exactly.
    const QByteArray atBound = deep.left(Limits::ImagePathBytes - 15) + "y.txt";
    QByteArray lines = "UI m0.c32\nDISPLAY " + deep + "x.txt\nF1 " + atBound + "\n";
    const int chain = 300;
    for (int index = 0; index < chain; ++index)
        WriteInTree(tree, QStringLiteral("isolinux/m%1.c32").arg(index),
            ModuleNeeding({ "m" + QByteArray::number(index + 1) + ".c32" }));
    WriteInTree(tree, "isolinux/" + QString::fromLatin1(atBound), "F1\n");
    const QString config = WriteInTree(tree, "isolinux/isolinux.cfg", lines);
    const ConfigImagePlan plan = PlanConfigImage(BootFiles::ForConfiguration(config), tools);
    ASSERT_EQ(plan.refused.size(), 1u);
    EXPECT_EQ(plan.refused.front().name, deep + "x.txt");
    EXPECT_TRUE(plan.refused.front().reason.contains(QString::number(Limits::ImagePathBytes)))
        << plan.refused.front().reason.toStdString();
    EXPECT_EQ(plan.files.size(), 4u + chain) << "the loader's two, the configuration, F1's file and the chain";
}

// Names refused: each once, and past the bound only counted.
TEST_F(ImagePlanTest, ListsEachRefusedNameOnceAndCountsThosePastTheBound)
{
    QTemporaryDir named;
    QByteArray images;
    for (std::size_t index = 0; index <= Limits::ImageRefusals; ++index)
        images += "\x18../../x" + QByteArray::number(static_cast<qulonglong>(index)) + ".lss\n";
    WriteInTree(named, "isolinux/boot.msg", images + images);
    const ConfigImagePlan many = PlanConfigImage(
        BootFiles::ForConfiguration(WriteInTree(named, "isolinux/isolinux.cfg", "DISPLAY boot.msg\n")), tools);
    EXPECT_EQ(many.refused.size(), Limits::ImageRefusals);
    EXPECT_EQ(many.notes, QStringList { "names left out of the image and not listed: 1" });
}

// A chain of CONFIG: the files of the configurations past the bound stay out, and a note says so.
TEST_F(ImagePlanTest, FollowsCONFIGUpToItsBound)
{
    QTemporaryDir chained;
    for (int index = 0; index < Limits::ImageConfigurations + 8; ++index) {
        WriteInTree(chained, QStringLiteral("isolinux/c%1.cfg").arg(index),
            QStringLiteral("DISPLAY d%1.txt\nLABEL a\n CONFIG c%2.cfg\n").arg(index).arg(index + 1).toLatin1());
        WriteInTree(chained, QStringLiteral("isolinux/d%1.txt").arg(index), "shown\n");
    }
    const ConfigImagePlan configs = PlanConfigImage(
        BootFiles::ForConfiguration(WriteInTree(chained, "isolinux/isolinux.cfg", "INCLUDE c0.cfg\n")), tools);
    QStringList shown;
    for (const ConfigImagePlan::File& file : configs.files) {
        if (file.imagePath.startsWith("/isolinux/d"))
            shown << QString::fromLatin1(file.imagePath);
    }
    EXPECT_EQ(shown.size(), Limits::ImageConfigurations);
    EXPECT_EQ(shown.back(), QStringLiteral("/isolinux/d%1.txt").arg(Limits::ImageConfigurations - 1));
    ASSERT_EQ(configs.notes.size(), 1);
    EXPECT_TRUE(
        configs.notes.front().startsWith(QStringLiteral("/isolinux/c%1.cfg goes in").arg(Limits::ImageConfigurations)))
        << configs.notes.front().toStdString();
}

// The whole image's bytes: the file that would pass them is left out.
TEST_F(ImagePlanTest, LeavesOutTheFileThatWouldPassTheImagesBytes)
{
    QTemporaryDir big;
    WriteInTree(big, "isolinux/a.txt", QByteArray(600, 'a'));
    WriteInTree(big, "isolinux/b.txt", QByteArray(600, 'b'));
    WriteInTree(big, "isolinux/c.txt", QByteArray(400, 'c'));
    const QString three = WriteInTree(big, "isolinux/isolinux.cfg", "DISPLAY a.txt\nF1 b.txt\nF2 c.txt\n");
    const ConfigImagePlan bounded = PlanConfigImage(BootFiles::ForConfiguration(three), tools, 1000);
    ASSERT_EQ(bounded.refused.size(), 1u);
    EXPECT_EQ(bounded.refused.front().name, "b.txt");
    EXPECT_TRUE(bounded.refused.front().reason.contains("1000 bytes")) << bounded.refused.front().reason.toStdString();
    EXPECT_EQ(bounded.files.back().imagePath, "/isolinux/c.txt") << "what still fits, to the byte, goes in";
}

// The files the loader reads go in as it names them (KBDMAP's whole
// argument), and a module it would refuse is said in a note.
TEST_F(ImagePlanTest, NamesTheLoaderReadsAndModulesItRefuses)
{
    QTemporaryDir tree;
    WriteInTree(tree, "isolinux/de.ktl", "keys");
    WriteInTree(tree, "isolinux/f.psf", "font");
    QByteArray many;
    for (int library = 0; library <= Limits::ModuleLibraries; ++library)
        many += "l.c32 ";
    WriteInTree(tree, "isolinux/menu.c32", ModuleNeeding(many.trimmed().split(' ')));
    const QString config = WriteInTree(tree, "isolinux/isolinux.cfg", "KBDMAP de.ktl\nFONT f.psf x\nUI menu.c32\n");
    const ConfigImagePlan plan = PlanConfigImage(BootFiles::ForConfiguration(config), tools);
    QByteArrayList paths;
    for (const ConfigImagePlan::File& file : plan.files)
        paths << file.imagePath;
    EXPECT_TRUE(paths.contains("/isolinux/de.ktl")) << paths.join(' ').constData();
    EXPECT_TRUE(paths.contains("/isolinux/f.psf")) << paths.join(' ').constData();
    EXPECT_FALSE(paths.contains("/isolinux/l.c32")) << "no library of a module the loader refuses";
    ASSERT_EQ(plan.notes.size(), 1) << plan.notes.join(u'\n').toStdString();
    EXPECT_TRUE(plan.notes.front().startsWith(u"the loader cannot load /isolinux/menu.c32: it needs more than 64"))
        << plan.notes.front().toStdString();
}

// What the image holds beyond the loader's own two files, for each kind of
// line that names a file; kernels and initrds stay out.
TEST_F(ImagePlanTest, HoldsWhatEachLineNames)
{
    struct Row {
        const char* config; // isolinux/isolinux.cfg unless it names its own path first ("isolinux/x.cfg:")
        QStringList files; // made in the tree: "path", or "path=text" for more than a line of x
        const char* held; // the plan past the loader's two files, as "origin path" joined by |
    };
    const Row rows[] = {
        { "FONT my.psf\n", { "isolinux/my.psf" }, "tree /isolinux/isolinux.cfg|tree /isolinux/my.psf" },
        { "LABEL l\n KERNEL vmlinuz\n APPEND initrd=initrd.gz\n", { "isolinux/vmlinuz", "isolinux/initrd.gz" },
            "tree /isolinux/isolinux.cfg" },
        { "F1 f1.msg\n", { "isolinux/f1.msg=\x18pic.lss\nHello\n", "isolinux/pic.lss" },
            "tree /isolinux/isolinux.cfg|tree /isolinux/pic.lss|tree /isolinux/f1.msg" },
        { "LABEL t\n KERNEL .com32 tool arg\n", { "isolinux/tool.c32" },
            "tree /isolinux/isolinux.cfg|tree /isolinux/tool.c32" },
        { "LABEL n\n CONFIG /sub/next.cfg /sub/\n",
            { "sub/next.cfg=DISPLAY shown.txt\n", "sub/shown.txt", "isolinux/shown.txt" },
            "tree /isolinux/isolinux.cfg|tree /sub/next.cfg|tree /sub/shown.txt" },
        { "isolinux/other.cfg:PROMPT 1\n", {}, "runner /isolinux/isolinux.cfg|tree /isolinux/other.cfg" },
        { "UI menu.c32\nF1 f1.txt back.png\nLABEL h\n MENU HELP help.txt\nMENU BACKGROUND splash.png\n",
            { "isolinux/menu.c32", "isolinux/f1.txt", "isolinux/back.png", "isolinux/help.txt", "isolinux/splash.png" },
            "tree /isolinux/isolinux.cfg|tree /isolinux/f1.txt|tree /isolinux/back.png|tree /isolinux/splash.png|"
            "tree /isolinux/help.txt|tree /isolinux/menu.c32" },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.config);
        QTemporaryDir tree;
        for (const QString& file : row.files)
            WriteInTree(tree, file.section(u'=', 0, 0), file.contains(u'=') ? file.section(u'=', 1).toLatin1() : "x\n");
        const QByteArray text = row.config;
        const qsizetype colon = text.indexOf(".cfg:");
        const QString path
            = colon < 0 ? QStringLiteral("isolinux/isolinux.cfg") : QString::fromLatin1(text.left(colon + 4));
        const QString config = WriteInTree(tree, path, colon < 0 ? text : text.mid(colon + 5));
        const ConfigImagePlan plan = PlanConfigImage(BootFiles::ForConfiguration(config), tools);
        EXPECT_EQ(Listed(plan).mid(2).join(u'|').toStdString(), row.held);
        EXPECT_TRUE(plan.refused.empty());
    }
    // Libraries depth first, each module's in the order it names them.
    QTemporaryDir tree;
    WriteInTree(tree, "isolinux/m.c32", ModuleNeeding({ "a.c32", "b.c32" }));
    WriteInTree(tree, "isolinux/a.c32", ModuleNeeding({ "c.c32" }));
    for (const char* name : { "isolinux/b.c32", "isolinux/c.c32" })
        WriteInTree(tree, name, "x\n");
    const ConfigImagePlan plan
        = PlanConfigImage(BootFiles::ForConfiguration(WriteInTree(tree, "isolinux/isolinux.cfg", "UI m.c32\n")), tools);
    EXPECT_EQ(Listed(plan).mid(2).join(u'|').toStdString(),
        "tree /isolinux/isolinux.cfg|tree /isolinux/m.c32|tree /isolinux/a.c32|tree /isolinux/c.c32|tree "
        "/isolinux/b.c32");
}

// The tree's own loader boots: its boot file, ldlinux.c32 and modules as
// they are; Debian's fill in only what it lacks, and only for 6.04.
TEST_F(ImagePlanTest, BootsTheTreesOwnLoaderAndFillsInOnlyItsBuild)
{
    const auto banner = [](const char* release) {
        return QByteArray("\r\nISOLINUX ") + release + " 2014-10-06 " + '\0'
            + " Copyright (C) 1994-2014 H. Peter Anvin";
    };
    const QByteArray elf = QByteArray("\x7f"
                                      "ELF",
        4)
                               .leftJustified(122308, '\0'); // 6.03's ldlinux.c32 size
    struct Row {
        const char* config;
        std::vector<std::pair<const char*, QByteArray>> files;
        const char* loader; // the build booted
        const char* held; // the plan's files, "origin path" joined by |
        const char* notes; // joined by |
    };
    const std::vector<Row> rows = {
        { "isolinux/isolinux.cfg:UI menu.c32\n", {}, "6.04",
            "debian /isolinux/isolinux.bin|debian /isolinux/ldlinux.c32|tree /isolinux/isolinux.cfg|"
            "debian /isolinux/menu.c32|debian /isolinux/libutil.c32",
            "/isolinux/menu.c32 is not in the tree: Debian's syslinux-common gives it|"
            "/isolinux/libutil.c32 is not in the tree: Debian's syslinux-common gives it" },
        { "isolinux/isolinux.cfg:UI menu.c32\nF1 boot.cat\n",
            { { "isolinux/isolinux.bin", banner("4.05") }, { "isolinux/boot.cat", "x" } }, "4.05",
            "tree /isolinux/isolinux.bin|tree /isolinux/isolinux.cfg",
            "/isolinux/menu.c32 is not in the tree, and Debian's is of 6.04, not of the tree's 4.05" },
        { "isolinux/isolinux.cfg:PROMPT 1\n", { { "isolinux/isolinux.bin", banner("6.03") } }, "6.03",
            "tree /isolinux/isolinux.bin|tree /isolinux/isolinux.cfg",
            "/isolinux/ldlinux.c32 is not in the tree, and Debian's is of 6.04, not of the tree's 6.03" },
        { "isolinux/isolinux.cfg:UI menu.c32\n",
            { { "isolinux/isolinux.bin", banner("6.03") }, { "isolinux/ldlinux.c32", elf },
                { "isolinux/menu.c32", ModuleNeeding({}) } },
            "6.03",
            "tree /isolinux/isolinux.bin|tree /isolinux/ldlinux.c32|tree /isolinux/isolinux.cfg|tree "
            "/isolinux/menu.c32",
            "" },
        { "isolinux/isolinux.cfg:PROMPT 1\n", { { "isolinux/isolinux.bin", banner("6.04") } }, "6.04",
            "tree /isolinux/isolinux.bin|debian /isolinux/ldlinux.c32|tree /isolinux/isolinux.cfg",
            "/isolinux/ldlinux.c32 is not in the tree: Debian's syslinux-common gives it" },
        { "isolinux/isolinux.cfg:PROMPT 1\n", { { "isolinux/isolinux.bin", "junk" } }, "6.04",
            "tree /isolinux/isolinux.bin|tree /isolinux/isolinux.cfg",
            "/isolinux/isolinux.bin says no SYSLINUX version|/isolinux/ldlinux.c32 is not in the tree, and Debian's is "
            "of 6.04, not of the tree's loader of an unknown build" },
        { "isolinux/isolinux.cfg:PROMPT 1\n", { { "isolinux/ldlinux.c32", elf } }, "6.04",
            "debian /isolinux/isolinux.bin|tree /isolinux/ldlinux.c32|tree /isolinux/isolinux.cfg",
            "the tree's /isolinux/ldlinux.c32 is of 6.03 and it ships no isolinux.bin: Debian's 6.04 refuses it" },
        { "pxelinux.cfg/default:PROMPT 1\n", { { "pxelinux.0", QByteArray("PXELINUX 3.84 2009-12-18 \0", 26) } },
            "3.84", "tree /pxelinux.0|tree /pxelinux.cfg/default", "" },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.config);
        QTemporaryDir tree;
        for (const auto& [name, bytes] : row.files)
            WriteInTree(tree, QString::fromLatin1(name), bytes);
        const QByteArray text = row.config;
        const qsizetype colon = text.indexOf(':');
        const QString config = WriteInTree(tree, QString::fromLatin1(text.left(colon)), text.mid(colon + 1));
        const ConfigImagePlan plan = PlanConfigImage(BootFiles::ForConfiguration(config), tools);
        EXPECT_EQ(plan.loader.Name(), QString::fromLatin1(row.loader));
        EXPECT_EQ(Listed(plan).join(u'|').toStdString(), row.held);
        EXPECT_EQ(plan.notes.join(u'|').toStdString(), row.notes);
        ASSERT_EQ(plan.refused.size(), text.contains("F1 boot.cat") ? 1u : 0u) << "nothing replaces the loader's";
        if (!plan.refused.empty()) {
            EXPECT_EQ(plan.refused.front().name, "boot.cat");
        }
    }
}
