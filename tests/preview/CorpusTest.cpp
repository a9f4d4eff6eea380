// Renders the real display files of the shared corpus, when it is present.
#include "ConsoleInvariants.h"
#include "SharedMaterial.h"
#include "console/ConsoleSinks.h"
#include "console/qt/QtFonts.h"
#include "format/DisplayFile.h"
#include "preview/PreviewConsole.h"
#include "preview/Rendering.h"
#include "preview/ScreenSnapshot.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

namespace {

QDir Corpus() { return SharedFolder("corpus"); }

QByteArray Read(const QString& name)
{
    QFile file(Corpus().filePath(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}

TEST(Corpus, EveryFileRendersWithConsistentAttributes)
{
    const QStringList files = Corpus().entryList(QDir::Files);
    REQUIRE_SHARED(!files.isEmpty(), Corpus().path().toStdString());
    PreviewScreen<QtFontMeasurer> preview;
    TColorConsole& console = preview.console;
    int rendered = 0;
    for (const QString& name : files) {
        const QByteArray bytes = Read(name);
        if (name.endsWith(".tsv"))
            continue;
        ConsoleSink sink(console);
        RenderDisplayFile(console, DisplayFile::NormaliseLineBreaks(bytes), sink);
        EXPECT_EQ(AttributeInvariantViolation(console), "") << name.toStdString();
        ++rendered;
    }
    EXPECT_GE(rendered, 15);
}

TEST(Corpus, KnoppixHelpScreenShowsItsTitleBar)
{
    const QByteArray bytes = Read(QStringLiteral("knoppix761__f2"));
    REQUIRE_SHARED(!bytes.isEmpty(), Corpus().filePath("knoppix761__f2").toStdString());
    PreviewScreen<QtFontMeasurer> preview;
    TColorConsole& console = preview.console;
    ConsoleSink sink(console);
    RenderDisplayFile(console, DisplayFile::NormaliseLineBreaks(bytes), sink);
    const ScreenSnapshot screen = ScreenSnapshot::Of(console);
    int row = 0;
    while (row < 25 && !screen.bytes[row].contains("KNOPPIX V7.6.1 BOOT OPTIONS"))
        ++row;
    ASSERT_LT(row, 25);
    const int title = screen.bytes[row].indexOf("KNOPPIX");
    EXPECT_EQ(screen.background[row][title], '1');
    EXPECT_EQ(screen.foreground[row][title], 'e');
    EXPECT_EQ(static_cast<unsigned char>(screen.bytes[row - 1][1]), 0xDA); // the box's corner above
}
