// The loader's clock: TIMEOUT waits for the first key only, TOTALTIMEOUT
// goes on through keys, ONTIMEOUT runs instead of DEFAULT; a CONFIG that
// leads back to itself ends; whichsys.c32 chooses its -iso- command.
#include "sim/LoaderSim.h"
#include "FakeMeasurer.h"
#include "FileTree.h"
#include "console/ColorConsole.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QString Row(const TColorConsole& console, int row) { return QString::fromLatin1(console.ScreenRow(row)).trimmed(); }

}

TEST(LoaderSimTest, TimeoutsOnTheSimulatedClock)
{
    struct Case {
        const char* config;
        std::vector<LoaderInput> inputs;
        QString lastRow; // what the loader wrote last; empty: it ends with a note
    };
    const LoaderInput key { LoaderInput::Kind::Character, {}, 'x', 0 };
    const auto sleep = [](int milliseconds) { return LoaderInput { LoaderInput::Kind::Sleep, {}, 0, milliseconds }; };
    const Case cases[] = {
        { "PROMPT 1\nTIMEOUT 10\nDEFAULT linux\n", { sleep(999) }, "boot:" },
        { "PROMPT 1\nTIMEOUT 10\nDEFAULT linux\n", { sleep(1000) },
            "Loading linux... failed: No such file or directory" },
        { "PROMPT 1\nTIMEOUT 10\nDEFAULT linux\n", { key, sleep(5000) }, "boot: x" },
        { "PROMPT 1\nTOTALTIMEOUT 10\nDEFAULT linux\n", { key, sleep(600), key, sleep(400) },
            "Loading linux... failed: No such file or directory" },
        { "PROMPT 1\nTIMEOUT 10\nDEFAULT linux\nONTIMEOUT other\n", { sleep(1000) },
            "Loading other... failed: No such file or directory" },
        { "PROMPT 0\nDEFAULT loop\nLABEL loop\n CONFIG isolinux.cfg\n", {}, "" },
        // whichsys.c32 (any file of that name) on a CD runs what follows -iso-.
        { "PROMPT 0\nDEFAULT pick\nLABEL pick\n COM32 whichsys.c32\n APPEND -pxe- pxe.cfg -iso- config other.cfg -sys- "
          "s\n",
            {}, "from other.cfg" },
    };
    for (const Case& test : cases) {
        QTemporaryDir tree;
        const QString config = WriteInTree(tree, "isolinux/isolinux.cfg", test.config);
        WriteInTree(tree, "isolinux/other.cfg", "SAY from other.cfg\nPROMPT 1\n");
        WriteInTree(tree, "isolinux/whichsys.c32", {});
        FakeMeasurer measurer;
        TColorConsole console(measurer);
        LoaderSim loader(console, BootFiles::ForConfiguration(config), LoaderSim::Start::Blank);
        for (const LoaderInput& input : test.inputs)
            loader.Give(input);
        // The row the loader wrote last, above a fresh prompt if there is one.
        int row = console.Cursor().y;
        if (row > 0 && Row(console, row) == "boot:")
            --row;
        if (test.lastRow.isEmpty()) {
            EXPECT_FALSE(loader.Note().isEmpty()) << test.config << ": a CONFIG loop ends with a note";
            continue;
        }
        EXPECT_EQ(Row(console, row), test.lastRow) << test.config;
    }
}
