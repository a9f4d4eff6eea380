// View > Loader Version: the build a configuration is played as, read from
// the tree's loader or chosen, said in the dock, the status bar and Run
// Configuration's title, and remembered per tree.
#include "EditorFixture.h"
#include "FileTree.h"
#include "editor/configuration/RunConfiguration.h"

#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

namespace {

class LoaderChoiceTest : public EditorFixture {
protected:
    QString DockLoader() const
    {
        const QTreeWidget* list = Find<QTreeWidget>(glavna, "ConfigurationTree");
        for (const QTreeWidgetItem* item : list->findItems(QStringLiteral("Loader"), Qt::MatchRecursive))
            return item->text(1);
        return {};
    }
    QString Status() const
    {
        const auto* label = Find<QLabel>(glavna, "LoaderStatus");
        return label->isVisible() ? label->text() : QString();
    }
    QStringList Checked() const
    {
        QStringList checked;
        for (const QAction* action : Find<QMenu>(glavna, "LoaderVersion1")->actions()) {
            if (action->isChecked())
                checked << action->objectName();
        }
        return checked;
    }
};

}

TEST_F(LoaderChoiceTest, TheTreesLoaderOrTheChosenOneIsPlayedAndRemembered)
{
    EXPECT_FALSE(Find<QMenu>(glavna, "LoaderVersion1")->isEnabled()) << "no configuration, no loader";
    QTemporaryDir shipping, bare;
    const QString config = WriteInTree(shipping, "isolinux/isolinux.cfg", "PROMPT 1\r\n");
    WriteInTree(shipping, "isolinux/isolinux.bin",
        QByteArray("\r\nISOLINUX 4.05 20140113 \0 Copyright (C) 1994-2011 H. Peter Anvin et al\r\n", 73));
    const QString other = WriteInTree(bare, "isolinux/isolinux.cfg", "PROMPT 1\r\n");

    glavna.OpenAtStart(config, QFile::encodeName(config));
    const QString shipped = "ISOLINUX 4.05 (the tree's /isolinux/isolinux.bin)";
    EXPECT_EQ(DockLoader(), shipped);
    EXPECT_EQ(Status(), shipped);
    EXPECT_EQ(Checked(), QStringList { "LoaderFromTree" });
    Find<QAction>(glavna, "RunConfiguration1")->trigger();
    auto* window = glavna.findChild<RunConfigurationWindow*>();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->windowTitle().endsWith("isolinux.cfg — ISOLINUX 4.05")) << window->windowTitle().toStdString();
    EXPECT_TRUE(window->Console().ScreenRow(3).startsWith("ISOLINUX 4.05 20140113 ETCD"));

    // PATH, which 4.05 does not read, is no problem for 6.03.
    const auto problems = [&] { return Find<QPushButton>(glavna, "ProblemCount")->text(); };
    Editor->SetBytes("PROMPT 1\r\nPATH /lib\r\n");
    QTRY_COMPARE(problems(), "1 problem");
    Find<QAction>(glavna, "Loader603")->trigger();
    EXPECT_EQ(problems(), "No problems");
    EXPECT_EQ(DockLoader(), "ISOLINUX 6.03 (chosen for this tree)");
    EXPECT_EQ(Status(), DockLoader());
    EXPECT_EQ(Checked(), QStringList { "Loader603" });
    EXPECT_TRUE(window->windowTitle().endsWith("ISOLINUX 6.03"));
    EXPECT_TRUE(window->Console().ScreenRow(3).startsWith("ISOLINUX 6.03 2014-10-06 ETCD")) << "played anew";

    // Another tree has its own choice; the first one's comes back with it.
    glavna.OpenAtStart(other, QFile::encodeName(other));
    EXPECT_EQ(DockLoader(), "ISOLINUX 6.04 (Debian's: the tree ships no loader)");
    EXPECT_EQ(Checked(), QStringList { "LoaderFromTree" });
    glavna.OpenAtStart(config, QFile::encodeName(config));
    EXPECT_EQ(Checked(), QStringList { "Loader603" });
    EXPECT_EQ(window->Loader()->Version().Name(), "6.03");
    Find<QAction>(glavna, "LoaderFromTree")->trigger();
    EXPECT_EQ(DockLoader(), shipped);
    EXPECT_EQ(window->Loader()->Version().Name(), "4.05");
}
