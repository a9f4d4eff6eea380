// File > New Configuration in the window: the tree written where asked and
// opened as the configuration; a folder left out or holding a tree already
// keeps the dialog open with why.
#include "editor/templates/NewConfiguration.h"
#include "EditorFixture.h"

#include <QComboBox>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

namespace {

// Answers the dialog the action opens: fills it, presses Create, and
// returns what it said when it stayed open (it is then cancelled).
QString AnswerNewConfiguration(QAction* action, int kind, const QString& folder)
{
    QString said;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<NewConfigurationDialog*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        Find<QComboBox>(*dialog, "template")->setCurrentIndex(kind);
        Find<QLineEdit>(*dialog, "folder")->setText(folder);
        Find<QLineEdit>(*dialog, "title")->setText(QStringLiteral("Rescue"));
        dialog->accept();
        if (dialog->isVisible()) {
            said = Find<QLabel>(*dialog, "newConfigurationMessage")->text();
            dialog->reject();
        }
    });
    action->trigger();
    return said;
}

}

class NewConfigurationTest : public EditorFixture { };

TEST_F(NewConfigurationTest, WritesTheTreeAndOpensIt)
{
    if (!QFileInfo(VmSearch().ldlinuxFolders.first() + "/menu.c32").isFile())
        GTEST_SKIP() << "Debian's syslinux-common is missing";
    auto* action = Find<QAction>(glavna, "NewConfiguration1");
    QTemporaryDir folder;
    EXPECT_TRUE(AnswerNewConfiguration(action, 1, QString()).contains(u"folder"));
    EXPECT_TRUE(AnswerNewConfiguration(action, 1, QStringLiteral("tree")).contains(u"full path"));
    EXPECT_FALSE(QFileInfo::exists(QStringLiteral("tree"))); // nothing written beside the test
    EXPECT_EQ(AnswerNewConfiguration(action, 1, folder.path()), QString());
    const QString config = folder.filePath("isolinux/isolinux.cfg");
    QFile written(config);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_EQ(Bytes(), written.readAll().replace("\n", "\r\n")); // opened in the editor, breaks as it shows them
    EXPECT_TRUE(glavna.windowTitle().contains(u"isolinux.cfg")) << glavna.windowTitle().toStdString();
    EXPECT_TRUE(QFileInfo(folder.filePath("isolinux/menu.c32")).isFile());
    // The same folder again: nothing replaced, the dialog says so.
    EXPECT_TRUE(AnswerNewConfiguration(action, 1, folder.path()).contains(u"there already"));
}
