// The first window on today's screens: large enough for the document and
// the Configuration dock side by side, remembered, its docks reached from
// the keyboard, and the focus in sight; at scale 1 and 2.
#include "TreeFixture.h"
#include "editor/configuration/ConfigurationDock.h"
#include "editor/widgets/FocusRing.h"
#include "editor/widgets/FormStretch.h"

#include <QDockWidget>
#include <QHeaderView>
#include <QProcess>
#include <QScreen>
#include <QScrollBar>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

namespace {

class FirstWindowTest : public TreeFixture {
protected:
    void OpenConfiguration()
    {
        OpenAtStart("isolinux/isolinux.cfg",
            "DEFAULT linux\nLABEL "
            "a-label-name-much-longer-than-the-dock-is-wide-that-would-push-its-value-out-of-sight\n"
            " KERNEL /boot/vmlinuz-6.1.0-amd64 quiet splash\n");
    }
    QRect InWindow(const QWidget* widget) const { return QRect(widget->mapTo(&glavna, QPoint()), widget->size()); }
    // What shows of a control (a scrolled form hides part of it), in the window.
    QRect ShownInWindow(const QWidget* widget) const
    {
        const QRect shown = widget->visibleRegion().boundingRect();
        return QRect(widget->mapTo(&glavna, shown.topLeft()), shown.size());
    }
    // The ring is just around what shows of the control.
    void ExpectRingAround(const QWidget* widget, const FocusRing& ring) const
    {
        const QRect shown = ShownInWindow(widget);
        EXPECT_FALSE(shown.isEmpty());
        EXPECT_TRUE(ring.geometry().contains(shown)) << widget->objectName().toStdString();
        EXPECT_TRUE(shown.adjusted(-4, -4, 4, 4).contains(ring.geometry())) << widget->objectName().toStdString();
    }
};

}

TEST_F(FirstWindowTest, TheDocumentAndTheDockSideBySideWhereTheScreenHasRoom)
{
    const QRect room = glavna.screen()->availableGeometry();
    EXPECT_TRUE(room.contains(glavna.frameGeometry())) << "the window fits its screen";
    OpenConfiguration();
    QApplication::processEvents();
    auto* dock = Find<ConfigurationDock>(glavna, "ConfigurationDock");
    auto* form = Find<FormStretch>(glavna, "FormStretch");
    ASSERT_TRUE(dock->isVisible());
    const QSize wanted = glavna.sizeHint() - dock->sizeHint() + QSize(ConfigurationDock::PreferredWidth, 0);
    const bool roomy = room.width() >= wanted.width() + 40;
    if (qEnvironmentVariable("GLIMRA_TEST_SCREEN") == u"1600x1000") {
        EXPECT_EQ(roomy, glavna.devicePixelRatio() < 2) << "1600 x 1000 has room at scale 1, not at 2";
    }
    if (roomy) {
        EXPECT_FALSE(InWindow(dock).intersects(InWindow(form)));
        EXPECT_FALSE(form->horizontalScrollBar()->isVisible()) << "the whole form beside the dock";
        EXPECT_GE(dock->width(), ConfigurationDock::PreferredWidth - 20);
    } else {
        EXPECT_LE(glavna.width(), room.width()) << "a smaller screen: the form scrolls instead";
    }
    // The values show beside the entries, however long an entry is.
    const QTreeWidget* entries = dock->Tree();
    EXPECT_GT(entries->columnWidth(0), 0);
    EXPECT_LT(entries->header()->sectionViewportPosition(1), entries->viewport()->width() * 2 / 3);

    // The size the user leaves the window at is the next start's.
    glavna.resize(glavna.size() - QSize(30, 20));
    QApplication::processEvents();
    const QSize chosen = glavna.size();
    glavna.close();
    TGlavna next;
    EXPECT_EQ(next.size(), chosen);
    QSettings().remove(GeometryKey);
}

TEST_F(FirstWindowTest, ShortcutsReachTheDocksAndTheFocusShows)
{
    OpenConfiguration();
    glavna.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&glavna));
    auto* ring = glavna.findChild<FocusRing*>();
    ASSERT_NE(ring, nullptr);
    Editor->setFocus();
    EXPECT_SOON(ring->Around() == Editor);
    ExpectRingAround(Editor, *ring);
    const std::pair<const char*, QKeySequence> docks[]
        = { { "ConfigurationTree", QKeySequence("Ctrl+Shift+C") }, { "ProblemList", QKeySequence("Ctrl+Shift+M") } };
    for (const auto& [list, keys] : docks) {
        auto* inside = Find<QWidget>(glavna, list);
        QTest::keySequence(&glavna, keys);
        EXPECT_EQ(QApplication::focusWidget(), inside) << list;
        EXPECT_SOON(ring->Around() == inside);
        ExpectRingAround(inside, *ring);
        QTest::keySequence(QApplication::focusWidget(), keys);
        EXPECT_FALSE(inside->isVisible()) << list << ": again from inside, the dock goes";
        EXPECT_EQ(QApplication::focusWidget(), Editor);
        QTest::keySequence(&glavna, keys);
        EXPECT_TRUE(inside->isVisible()) << list;
    }
}

// The first windows on a 1600 x 1000 screen at scale 1 and 2, each in a
// process of its own: the scale is read when the application starts.
TEST(FirstWindowAtScale, OneAndTwoOnA1600By1000Screen)
{
    if (qEnvironmentVariableIsSet("GLIMRA_TEST_SCREEN"))
        GTEST_SKIP() << "inside a run of its own";
    QTemporaryDir folder;
    QFile screens(folder.filePath("screens.json"));
    ASSERT_TRUE(screens.open(QIODevice::WriteOnly));
    screens.write(R"({"screens":[{"name":"wide","x":0,"y":0,"width":1600,"height":1000,"logicalDpi":96,"dpr":1}]})");
    screens.close();
    for (const char* scale : { "1", "2" }) {
        QProcess run;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("QT_QPA_PLATFORM", "offscreen:configfile=" + screens.fileName());
        environment.insert("QT_SCALE_FACTOR", scale);
        environment.insert("GLIMRA_TEST_SCREEN", "1600x1000");
        run.setProcessEnvironment(environment);
        run.start(QCoreApplication::applicationFilePath(),
            { "--gtest_filter=FirstWindowTest.*:RunWindowTest.TheWindowFits*:RunWindowTest.TheCursor*" });
        ASSERT_TRUE(run.waitForFinished(120000));
        const QByteArray said = run.readAllStandardOutput();
        EXPECT_EQ(run.exitCode(), 0) << "scale " << scale << "\n" << said.constData();
        EXPECT_TRUE(said.contains("[  PASSED  ] 4 tests.")) << said.constData();
    }
}
