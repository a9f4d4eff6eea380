// The UEFI side's findings as Problems and --check list them: what cannot
// carry over as notes, the tree's own grub.cfg as warnings.
#include "lint/UefiLint.h"
#include "FileTree.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

TEST(UefiLint, SaysWhatCannotCarryAndWhereTheTreesOwnGrubDiffers)
{
    struct Row {
        const char* config;
        const char* grubCfg; // the tree's own, or none
        const char* code; // the finding expected, or none beyond notes
        Severity severity;
    };
    const Row rows[] = {
        { "UI menu.c32\nLABEL a\n  KERNEL /k\n", nullptr, nullptr, Severity::Note },
        { "UI menu.c32\nTOTALTIMEOUT 50\nLABEL a\n  KERNEL /k\n", nullptr, "uefi-cannot-carry", Severity::Note },
        { "UI menu.c32\nLABEL a\n  KERNEL /k\n", "menuentry 'a' {\n", "uefi-own-grub-unreadable", Severity::Warning },
        { "UI menu.c32\nLABEL a\n  KERNEL /k\n", "menuentry 'b' { linux /k }\n", "uefi-own-grub-differs",
            Severity::Warning },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.config);
        QTemporaryDir tree;
        const QString config = WriteInTree(tree, "isolinux/isolinux.cfg", row.config);
        WriteInTree(tree, "isolinux/menu.c32", "");
        if (row.grubCfg)
            WriteInTree(tree, "boot/grub/grub.cfg", row.grubCfg);
        const std::vector<FileProblem> found = LintUefiSide(BootFiles::ForConfiguration(config));
        if (!row.code) {
            // Without a grub.cfg of its own only notes: nothing is wrong on either side.
            for (const FileProblem& one : found)
                EXPECT_EQ(one.problem.severity, Severity::Note) << one.problem.message.toStdString();
            continue;
        }
        const auto hit = std::find_if(
            found.begin(), found.end(), [&](const FileProblem& one) { return one.problem.code == row.code; });
        ASSERT_NE(hit, found.end());
        EXPECT_EQ(hit->problem.severity, row.severity);
    }
}
