// A PXELINUX tree's per-client files and URLs, as the loader reaches them.
#include "FileTree.h"
#include "lint/ConfigLinter.h"

#include <QFileInfo>

namespace {

using Problems = std::vector<std::string>;

// "file code" of each finding for a pxelinux.cfg/default and the other files given.
Problems Found(const QByteArray& config, const std::vector<const char*>& others, const char* bootFile = "pxelinux.0",
    std::optional<LoaderVersion> loader = {})
{
    QTemporaryDir tree;
    WriteInTree(tree, "pxelinux.cfg/default", config);
    WriteInTree(tree, bootFile, "not read");
    for (const char* other : others)
        WriteInTree(tree, QString::fromLatin1("pxelinux.cfg/") + other, "PROMPT 1\n");
    Problems found;
    for (const FileProblem& problem :
        LintBootConfig(BootFiles::ForConfiguration(tree.filePath("pxelinux.cfg/default")), loader))
        found.push_back((QFileInfo(problem.file).fileName() + ' ' + problem.problem.code).toStdString());
    return found;
}

}

TEST(PxeLint, PerClientFilesTheLoaderNeverAsksFor)
{
    const QByteArray config = "PROMPT 1\nLABEL x\n KERNEL k\n";
    EXPECT_EQ(Found(config, { "01-52-54-00-12-34-56", "0A00020F", "0A", "b8945908-d6a6-41a9-611d-74a6ab80b83d" }),
        Problems {});
    EXPECT_EQ(Found(config, { "01-52-54-00-AB-CD-EF", "01:52:54:00:ab:cd:ef", "0a00020f", "0A00020F00", "10.0.2.15" }),
        (Problems { "01-52-54-00-AB-CD-EF pxe-misnamed", "01:52:54:00:ab:cd:ef pxe-misnamed", "0A00020F00 pxe-misnamed",
            "0a00020f pxe-misnamed", "10.0.2.15 pxe-misnamed" }));
    // An included file is read whatever its name.
    EXPECT_EQ(Found("PROMPT 1\nINCLUDE pxelinux.cfg/default.cfg\n", { "default.cfg", "Default" }),
        Problems { "Default pxe-misnamed" });
}

TEST(PxeLint, UrlsNeedLpxelinux)
{
    const QByteArray config = "PROMPT 1\nLABEL x\n KERNEL http://server/vmlinuz\n APPEND initrd=a.img,ftp://s/b.img\n"
                              "LABEL y\n KERNEL k\n MENU LABEL see http://example.org\n";
    const Problems both = { "default pxe-url-needs-lpxelinux", "default pxe-url-needs-lpxelinux" };
    EXPECT_EQ(Found(config, {}), both);
    EXPECT_EQ(Found(config, {}, "lpxelinux.0"), Problems {});
    EXPECT_EQ(Found(config, {}, "lpxelinux.0", LoaderVersion::Known().front()), both);
}
