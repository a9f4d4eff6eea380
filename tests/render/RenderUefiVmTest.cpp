// glimra-render --mode vm --firmware uefi: the configuration's disc with
// the menu maker's GRUB folder booted on OVMF, the keys pressed once GRUB
// has started; what the serial port received after the last key.
#include "FileTree.h"
#include "UefiMenu.h"
#include "render/cli/RenderVm.h"
#include "vm/HeadlessVm.h"

TEST(RenderUefi, TheMenuMakersGrubIsBootedAndTheKeysReachIt)
{
    try {
        FindVmTools({}, false, Firmware::Uefi);
        RequireUefiMediaTools(FindMediaTools(MediaKind::Iso), MediaKind::Iso);
    } catch (const EVmError& missing) {
        if (qgetenv("CI") == "true")
            ADD_FAILURE() << missing.what();
        GTEST_SKIP() << missing.what();
    }
    QTemporaryDir tree;
    const QString config = WriteInTree(tree, "isolinux/isolinux.cfg", "PROMPT 1\n");
    WriteInTree(tree, "boot/root.cfg", RootCheck);
    RenderArguments arguments;
    arguments.mode = RenderArguments::Mode::Vm;
    arguments.firmware = RenderArguments::Firmware::Uefi;
    arguments.format = RenderArguments::Format::Serial;
    arguments.keys = "down";
    arguments.timeoutSeconds = 120;
    const BootFiles files = BootFiles::ForConfiguration(config);
    EXPECT_THROW(RenderConfigurationInVm(arguments, files), EVmError) << "no maker, no UEFI side";
    int made = 0;
    const QByteArray serial = RenderConfigurationInVm(arguments, files, [&made](const BootFiles&) {
        ++made;
        return HandWrittenGrubMenu();
    });
    EXPECT_EQ(made, 1);
    const qsizetype menu = serial.indexOf("UEFI side second entry");
    ASSERT_GE(menu, 0) << serial.toStdString();
    EXPECT_GT(serial.indexOf("*UEFI side second entry", menu), menu) << "the highlight moved down";
    EXPECT_TRUE(serial.contains("the tree's root is GRUB's root"));
}
