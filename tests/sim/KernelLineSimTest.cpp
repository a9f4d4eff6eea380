// What the kernel that boots is given, as the simulator says it, from the
// prompt and from a menu (whose own reading puts the entry's IPAPPEND
// strings after its line, com32/menu/readconfig.c record).
#include "FileTree.h"
#include "console/ColorConsole.h"
#include "sim/LoaderSim.h"

TEST(KernelLineSim, FromThePromptAndFromAMenu)
{
    const std::optional<PxeClient> client = PxeClient::Parse("52:54:00:12:34:56", "10.0.2.15", "");
    const struct {
        const char* config;
        const char* typed;
        QByteArray kernelLine;
    } rows[] = {
        { "PROMPT 1\nLABEL l\n KERNEL k\n APPEND a=1\n IPAPPEND 2\n", "l b=2\r",
            "BOOT_IMAGE=k a=1 BOOTIF=01-52-54-00-12-34-56 b=2" },
        { "UI menu.c32\nLABEL l\n KERNEL k\n APPEND a=1\n IPAPPEND 3\n", "\r",
            "BOOT_IMAGE=k a=1 ip=10.0.2.15:10.0.2.2:10.0.2.2:255.255.255.0 BOOTIF=01-52-54-00-12-34-56" },
    };
    for (const auto& row : rows) {
        QTemporaryDir tree;
        WriteInTree(tree, "pxelinux.cfg/default", row.config);
        WriteInTree(tree, "menu.c32",
            "\x7f"
            "ELF");
        WriteInTree(tree, "k", "a kernel");
        FixedCellMeasurer measurer;
        TColorConsole console(measurer);
        LoaderSim loader(console, BootFiles::ForConfiguration(tree.filePath("pxelinux.cfg/default")),
            LoaderSim::Start::Blank, LoaderVersion::Debian(), client);
        for (const char* c = row.typed; *c; ++c)
            loader.Give(*c == '\r' ? LoaderInput::Of(Keys::Key::Named(Keys::Name::Enter))
                                   : LoaderInput::Of(Keys::Key::Typed(*c)));
        EXPECT_EQ(loader.KernelLine().value_or(""), row.kernelLine) << row.config;
        EXPECT_TRUE(loader.Note().contains(QString::fromLatin1(row.kernelLine))) << loader.Note().toStdString();
    }
}
