// The Menu Designer in the window: every operation by the keyboard, each
// change one undo step of the document that holds its lines (an INCLUDEd
// file opening in its tab), a refusal that changes nothing, and the
// designer and Run Configuration following each other's choice.
#include "TreeFixture.h"
#include "config/MenuPasswords.h"
#include "editor/background/BackgroundPanel.h"
#include "editor/designer/DesignerDock.h"
#include "editor/designer/MenuDesigner.h"
#include "editor/widgets/PasswordDialog.h"
#include "editor/widgets/ScreenView.h"

#include <QBuffer>
#include <QComboBox>
#include <QMenu>
#include <QTest>
#include <QTextDocument>
#include <QTimer>

namespace {

const QByteArray Config = "UI menu.c32\nMENU TITLE Boot\nINCLUDE more.cfg\n";
const QByteArray More = "LABEL one\n  MENU LABEL ^One\n  KERNEL one\nLABEL two\n  MENU LABEL ^Two\n  KERNEL two\n";

class DesignerTest : public TreeFixture {
protected:
    void SetUp() override
    {
        Write("isolinux/menu.c32",
            "\x7f"
            "ELF");
        Write("isolinux/more.cfg", More);
        OpenAtStart("isolinux/isolinux.cfg", Config);
        Find<QAction>(glavna, "MenuDesigner1")->trigger();
        tree = Find<QTreeWidget>(glavna, "DesignerTree");
    }
    Document* Open(const char* name) const
    {
        for (Document* document : glavna.findChildren<Document*>()) {
            if (document->saveTarget.endsWith(QLatin1String(name)))
                return document;
        }
        return nullptr;
    }
    QByteArray Text(const char* name) const { return Open(name) ? Open(name)->Bytes() : QByteArray(); }
    QStringList Entries() const
    {
        QStringList names;
        for (int index = 0; index < tree->topLevelItem(0)->childCount(); ++index)
            names << tree->topLevelItem(0)->child(index)->text(0);
        return names;
    }
    void Key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::keyClick(QApplication::focusWidget(), static_cast<Qt::Key>(key), modifiers);
    }
    QTreeWidget* tree = nullptr;
};

}

TEST_F(DesignerTest, EveryOperationByTheKeyboardIsOneUndoStepOfItsFile)
{
    EXPECT_EQ(QApplication::focusWidget(), tree) << "F8 puts the keyboard in the tree";
    EXPECT_EQ(Entries(), QStringList({ "^One", "^Two" }));
    EXPECT_FALSE(Open("isolinux.cfg")->Text().isModified()) << "showing the menu writes nothing";
    tree->setCurrentItem(tree->topLevelItem(0)->child(0));
    Key(Qt::Key_Down, Qt::ControlModifier);
    ASSERT_NE(Open("more.cfg"), nullptr) << "the INCLUDEd file opens in its tab";
    EXPECT_EQ(Text("more.cfg"),
        QByteArray("LABEL two\r\n  MENU LABEL ^Two\r\n  KERNEL two\r\nLABEL one\r\n  MENU "
                   "LABEL ^One\r\n  KERNEL one\r\n"));
    EXPECT_EQ(Entries(), QStringList({ "^Two", "^One" }));
    EXPECT_EQ(tree->currentItem()->text(0), "^One") << "the moved entry stays chosen";
    Open("more.cfg")->Text().undo();
    EXPECT_EQ(Text("more.cfg"), QByteArray(More).replace("\n", "\r\n")) << "one undo step";
    QTest::qWait(200); // the undo is read again once typing would be over
    EXPECT_EQ(Entries(), QStringList({ "^One", "^Two" }));
    emit static_cast<DesignerTree*>(tree)->Dropped({ MenuConfig::RootMenu, 0 }, 1);
    EXPECT_EQ(Entries(), QStringList({ "^Two", "^One" })) << "a drop moves";
    Open("more.cfg")->Text().undo();
    QTest::qWait(200);

    // F2: the name's field, chosen whole; Enter writes it.
    tree->setFocus();
    tree->setCurrentItem(tree->topLevelItem(0)->child(1));
    Key(Qt::Key_F2);
    auto* name = Find<QLineEdit>(glavna, "DesignerMenuLabel");
    EXPECT_EQ(QApplication::focusWidget(), name);
    EXPECT_EQ(name->selectedText(), "^Two");
    QTest::keyClicks(name, "^Second");
    Key(Qt::Key_Return);
    EXPECT_TRUE(Text("more.cfg").contains("  MENU LABEL ^Second\r\n"));
    // Insert: the templates, chosen by their keys.
    tree->setFocus();
    Key(Qt::Key_Insert);
    QMenu* templates = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_NE(templates, nullptr);
    QTest::keyClick(templates, Qt::Key_P); // Se&parator
    EXPECT_TRUE(Text("more.cfg").contains("  MENU LABEL ^Second\r\n  KERNEL two\r\nMENU SEPARATOR\r\n"));
    Key(Qt::Key_Delete);
    EXPECT_FALSE(Text("more.cfg").contains("SEPARATOR"));
    tree->setCurrentItem(tree->topLevelItem(0)->child(0));
    Key(Qt::Key_D, Qt::ControlModifier);
    EXPECT_TRUE(Text("more.cfg").contains("LABEL one-copy\r\n"));
    // The other commands are buttons in the tab order after the tree, pressed by Space.
    tree->setCurrentItem(tree->topLevelItem(0)->child(0));
    tree->setFocus();
    const QStringList order = { "DesignerAdd", "DesignerRemove", "DesignerDuplicate", "DesignerUp", "DesignerDown",
        "DesignerDefault", "DesignerHide" };
    for (const QString& button : order) {
        Key(Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget()->objectName(), button);
    }
    Key(Qt::Key_Space);
    EXPECT_TRUE(Text("more.cfg").contains("  KERNEL one\r\n  MENU HIDE\r\n"));
}

TEST_F(DesignerTest, ARefusedChangeSaysWhyAndWritesNothing)
{
    Find<QTabWidget>(glavna, "DesignerPages")->setCurrentIndex(1);
    auto* background = Find<QLineEdit>(glavna, "DesignerBackground");
    background->setFocus();
    QTest::keyClicks(background, "my splash.png");
    Key(Qt::Key_Return);
    EXPECT_TRUE(Find<QLabel>(glavna, "DesignerMessage")->text().contains("first blank"));
    EXPECT_EQ(Text("isolinux.cfg"), QByteArray(Config).replace("\n", "\r\n"));
    EXPECT_FALSE(Open("isolinux.cfg")->Text().isModified());
    EXPECT_EQ(Open("more.cfg"), nullptr);
    EXPECT_EQ(background->text(), "") << "the field shows what the file says again";
}

TEST_F(DesignerTest, RunConfigurationAndTheDesignerFollowEachOther)
{
    RunConfigurationWindow& window = Run();
    auto* screen = Find<ScreenView>(window, "Screen");
    ASSERT_NE(window.Loader()->RunningMenu(), nullptr);
    // The second entry's row, from the menu's layout: clicked, it is the designer's.
    const Menu& menu = window.Loader()->RunningMenu()->Config().At(MenuConfig::RootMenu);
    const int row = menu.Layout(80, 25).FirstRow() + 1;
    const int boxTop = menu.Layout(80, 25).BoxTop(); // the menu is read again by the change below
    const QRectF picture = screen->PictureRect();
    const QPoint point(int(picture.center().x()), int(picture.top() + (row - 0.5) * picture.height() / 25));
    QTest::mouseClick(screen, Qt::LeftButton, {}, point);
    ASSERT_NE(tree->currentItem(), nullptr);
    EXPECT_EQ(tree->currentItem()->text(0), "^Two");
    // The designer's choice moves the played highlight.
    tree->setCurrentItem(tree->topLevelItem(0)->child(0));
    EXPECT_EQ(window.Loader()->RunningMenu()->Entry(), 0);
    tree->setCurrentItem(tree->topLevelItem(0)->child(1));
    EXPECT_EQ(window.Loader()->RunningMenu()->Entry(), 1);
    // A change shows at once, the highlight kept.
    Find<QPushButton>(glavna, "DesignerUp")->click();
    EXPECT_TRUE(window.Console().ScreenRow(row - 2).contains("Two"));
    // A double click on the title edits it.
    const QPoint title(point.x(), int(picture.top() + (boxTop + 0.5) * picture.height() / 25));
    QTest::mouseDClick(screen, Qt::LeftButton, {}, title);
    EXPECT_EQ(QApplication::focusWidget(), Find<QLineEdit>(glavna, "DesignerTitle"));
}

// The Look page marks a colour that cannot be read while it is chosen, and
// writes it as one line; "Set password…" writes what its hook gives.
TEST_F(DesignerTest, TheLookPageMarksUnreadableColoursAndThePasswordHookWrites)
{
    Find<QTabWidget>(glavna, "DesignerPages")->setCurrentIndex(1);
    Find<QComboBox>(glavna, "DesignerElement")->setCurrentIndex(5); // sel
    auto* contrast = Find<QLabel>(glavna, "DesignerContrast");
    EXPECT_TRUE(contrast->text().isEmpty());
    Find<QComboBox>(glavna, "DesignerAnsiBackground")->setCurrentIndex(7); // grey, reversed under grey text
    EXPECT_TRUE(contrast->text().contains("text screen"));
    Find<QComboBox>(glavna, "DesignerAnsiForeground")->setCurrentIndex(1);
    EXPECT_TRUE(contrast->text().isEmpty());
    Find<QPushButton>(glavna, "DesignerSetColour")->click();
    EXPECT_EQ(Text("isolinux.cfg"),
        "UI menu.c32\r\nMENU TITLE Boot\r\nMENU COLOR sel 7;31;47 #e0000000 #20ff8000 all\r\nINCLUDE more.cfg\r\n");
    Open("isolinux.cfg")->Text().undo();
    EXPECT_EQ(Text("isolinux.cfg"), QByteArray(Config).replace("\n", "\r\n"));

    glavna.findChild<MenuDesigner*>()->SetPasswordSource([] { return std::optional<QByteArray>("$6$salt$hash"); });
    Find<QTabWidget>(glavna, "DesignerPages")->setCurrentIndex(0);
    tree->setCurrentItem(tree->topLevelItem(0)->child(0));
    Find<QPushButton>(glavna, "DesignerSetPassword")->click();
    EXPECT_TRUE(Text("more.cfg").contains("  KERNEL one\r\n  MENU PASSWD $6$salt$hash\r\n"));
    EXPECT_EQ(Find<QLineEdit>(glavna, "DesignerPassword")->text(), "$6$salt$hash");
}

// The window's own sources: Set Password asks the dialog, and a picture the
// Background page takes becomes the menu's MENU BACKGROUND, one undo step.
TEST_F(DesignerTest, SetPasswordAsksTheDialogAndTheBackgroundPageWritesMenuBackground)
{
    tree->setCurrentItem(tree->topLevelItem(0)->child(1));
    QTimer::singleShot(0, [] {
        auto* dialog = qobject_cast<PasswordDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        Find<QLineEdit>(*dialog, "password")->setText("secret");
        Find<QLineEdit>(*dialog, "passwordAgain")->setText("secret");
        dialog->accept();
    });
    Find<QPushButton>(glavna, "DesignerSetPassword")->click();
    const QByteArray text = Text("more.cfg");
    const qsizetype at = text.indexOf("  MENU PASSWD $6$");
    ASSERT_GT(at, text.indexOf("LABEL two")) << text.constData();
    EXPECT_TRUE(MenuPasswords::Matches(text.mid(at + 14, text.indexOf('\r', at) - at - 14), "secret"));

    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    QImage(640, 480, QImage::Format_RGB32).save(&buffer, "PNG");
    const QString picture = Write("isolinux/splash.png", png);
    Find<QTabWidget>(glavna, "DesignerPages")->setCurrentIndex(2);
    auto* panel = Find<BackgroundPanel>(glavna, "DesignerBackgroundPanel");
    panel->ChooseFile(picture);
    ASSERT_TRUE(panel->Use()) << panel->Status().toStdString();
    EXPECT_EQ(
        Text("isolinux.cfg"), "UI menu.c32\r\nMENU TITLE Boot\r\nMENU BACKGROUND splash.png\r\nINCLUDE more.cfg\r\n");
    Open("isolinux.cfg")->Text().undo();
    EXPECT_EQ(Text("isolinux.cfg"), QByteArray(Config).replace("\n", "\r\n"));
}
