// The background panel as a user drives it: the verdict on the menu's
// picture, a picture from outside fitted into the tree, the bad names and
// pictures it refuses without writing, the faint entries, the keyboard.
#include "editor/background/BackgroundPanel.h"
#include "FileTree.h"
#include "ModalAnswers.h"
#include "WidgetHelpers.h"
#include "vesa/VesaDecoders.h"

#include <QBuffer>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>

namespace {

QByteArray Encoded(int width, int height, const char* format)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgb(x * 255 / width, y * 255 / height, 90));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

QByteArray ReadFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

struct Panel {
    QTemporaryDir tree, elsewhere;
    BackgroundPanel panel;
    QSignalSpy chosen { &panel, &BackgroundPanel::Chosen };
    explicit Panel(const QByteArray& background = "small.png", const LoaderVersion& version = LoaderVersion::Debian())
    {
        const QString config = WriteInTree(tree, "isolinux/isolinux.cfg", "UI vesamenu.c32\n");
        WriteInTree(tree, "isolinux/small.png", Encoded(320, 240, "PNG"));
        WriteInTree(tree, "isolinux/pictures/inside.png", Encoded(640, 480, "PNG"));
        WriteInTree(elsewhere, "photo.jpg", Encoded(1920, 1080, "JPEG"));
        WriteInTree(elsewhere, "notapicture.png", "\x89PNG but not really one at all");
        const BootFiles files = BootFiles::ForConfiguration(config);
        panel.SetMenu(files, files.StartFolder(), QSize(640, 480), version, background);
    }
    QString Outside(const char* name) const { return elsewhere.filePath(QLatin1String(name)); }
    bool InTree(const char* name) const { return QFileInfo::exists(tree.filePath(QLatin1String(name))); }
    void Target(const QString& name) { Find<QLineEdit>(panel, "backgroundTarget")->setText(name); }
};

}

TEST(BackgroundPanel, SaysWhatTheLoaderDoesWithTheMenusPicture)
{
    const std::pair<QByteArray, const char*> rows[] = {
        { "small.png", "repeated across it" },
        { "pictures/inside.png", "shown as it is" },
        { "missing.png", "not in the tree" },
        { "#ff336699", "flat colour" },
        { "", "grey gradient" },
    };
    for (const auto& [background, says] : rows) {
        Panel p(background);
        EXPECT_TRUE(p.panel.VerdictText().contains(QLatin1String(says))) << p.panel.VerdictText().toStdString();
    }
    const Panel old("small.png", LoaderVersion::Known().front()); // 3.84 repeats no picture
    EXPECT_TRUE(old.panel.VerdictText().contains(u"at the top left")) << old.panel.VerdictText().toStdString();
}

TEST(BackgroundPanel, FitsAPictureFromOutsideIntoTheTree)
{
    for (const bool lss16 : { false, true }) {
        Panel p;
        p.panel.ChooseFile(p.Outside("photo.jpg"));
        EXPECT_TRUE(p.panel.Status().contains(u"outside the boot tree"));
        EXPECT_FALSE(Find<QPushButton>(p.panel, "backgroundUse")->isEnabled());
        Find<QComboBox>(p.panel, "backgroundKind")->setCurrentIndex(lss16 ? 1 : 0);
        const QString target = lss16 ? QStringLiteral("photo.lss") : QStringLiteral("photo.png");
        EXPECT_EQ(Find<QLineEdit>(p.panel, "backgroundTarget")->text(), target);
        Find<QPushButton>(p.panel, "backgroundFit")->click();
        ASSERT_EQ(p.chosen.count(), 1) << p.panel.Status().toStdString();
        EXPECT_EQ(p.chosen.at(0).at(0).toByteArray(), target.toLatin1());
        const QByteArray written = ReadFile(p.tree.filePath(QStringLiteral("isolinux/") + target));
        const std::optional<Vesa::Picture> read = lss16 ? Vesa::DecodeLss16(written) : Vesa::DecodePng(written);
        ASSERT_TRUE(read);
        EXPECT_EQ(QSize(read->width, read->height), QSize(640, 480));
        EXPECT_TRUE(p.panel.VerdictText().contains(u"shown as it is")) << p.panel.VerdictText().toStdString();
        EXPECT_EQ(QDir(p.tree.filePath("isolinux")).entryList(QDir::Files).size(), 3); // nothing left beside it
    }
}

TEST(BackgroundPanel, RefusesBadInputAndWritesNothing)
{
    const struct Row {
        const char* picture; // in elsewhere/, or "" for none chosen
        QString target;
        const char* says;
    } rows[] = {
        { "photo.jpg", QStringLiteral("my splash.png"), "one word" },
        { "photo.jpg", QStringLiteral("../../../x.png"), "outside the boot tree" },
        { "photo.jpg", QStringLiteral("#fff.png"), "as a colour" },
        { "photo.jpg", QString(), "needs a name" },
        { "photo.jpg", QStringLiteral("link/x.png"), "through a link" },
        { "notapicture.png", QStringLiteral("x.png"), "cannot read notapicture.png" },
        { "missing.jpg", QStringLiteral("x.png"), "cannot read missing.jpg" },
        { "", QStringLiteral("x.png"), "Choose a picture" },
    };
    for (const Row& row : rows) {
        Panel p;
        ASSERT_TRUE(QFile::link(p.elsewhere.path(), p.tree.filePath("isolinux/link")));
        if (*row.picture)
            p.panel.ChooseFile(p.Outside(row.picture));
        p.Target(row.target);
        EXPECT_FALSE(p.panel.Fit()) << row.says;
        EXPECT_TRUE(p.panel.Status().contains(QLatin1String(row.says))) << p.panel.Status().toStdString();
        EXPECT_EQ(p.chosen.count(), 0) << row.says;
        EXPECT_FALSE(p.InTree("isolinux/x.png") || QFileInfo::exists(p.Outside("x.png"))) << row.says;
    }
    Panel p;
    p.panel.ChooseFile(p.Outside("missing.jpg"));
    EXPECT_TRUE(p.panel.VerdictText().contains(u"cannot be read")) << p.panel.VerdictText().toStdString();
    EXPECT_FALSE(p.panel.Use());
}

TEST(BackgroundPanel, ChoosesAPictureInTheTreeByItsName)
{
    Panel p;
    const QString inside = p.tree.filePath("isolinux/pictures/inside.png");
    AnswerFileDialog([&] { Find<QPushButton>(p.panel, "backgroundChoose")->click(); }, inside);
    ASSERT_TRUE(Find<QPushButton>(p.panel, "backgroundUse")->isEnabled()) << p.panel.VerdictText().toStdString();
    Find<QPushButton>(p.panel, "backgroundUse")->click();
    ASSERT_EQ(p.chosen.count(), 1);
    EXPECT_EQ(p.chosen.at(0).at(0).toByteArray(), "pictures/inside.png");
}

TEST(BackgroundPanel, ListsFaintEntriesAndIsReachedByKeyboard)
{
    Panel p;
    Vesa::MenuFrame frame;
    frame.width = 640, frame.height = 480, frame.cols = 78, frame.rows = 29;
    frame.cells.resize(78 * 29);
    for (int i = 0; i < 4; ++i)
        frame.cells[std::size_t(2 * 78 + 10 + i)] = { std::uint8_t("Boot"[i]), std::uint16_t(MenuColourName::Unsel) };
    Vesa::Font font { 16, std::vector<std::uint8_t>(256 * 16, 0x3C) };
    const Vesa::Picture white(640, 480, 0xFFFFFF);
    p.panel.SetScreen(frame, Vesa::Compose(white, Vesa::MenuText(frame), font), font);
    ASSERT_EQ(p.panel.ContrastLines().size(), 1);
    EXPECT_TRUE(p.panel.ContrastLines()[0].startsWith(u"\u201cBoot\u201d (row 3)"))
        << p.panel.ContrastLines()[0].toStdString();
    p.panel.SetScreen(frame, Vesa::Compose(Vesa::Picture(640, 480), Vesa::MenuText(frame), font), font);
    EXPECT_TRUE(p.panel.ContrastLines().value(0).startsWith(u"Every entry"));
    p.panel.ChooseFile(p.tree.filePath("isolinux/small.png"));
    ASSERT_TRUE(p.panel.Use());
    EXPECT_TRUE(p.panel.ContrastLines().value(0).startsWith(u"The picture changed"));

    p.panel.ChooseFile(p.Outside("photo.jpg"));
    ShowAndWait(p.panel);
    Find<QWidget>(p.panel, "backgroundChoose")->setFocus();
    QStringList reached;
    for (int i = 0; i < 8; ++i) {
        reached << QApplication::focusWidget()->objectName();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    for (const char* name : { "backgroundChoose", "backgroundMode", "backgroundKind", "backgroundTarget",
             "backgroundFit", "backgroundContrast" })
        EXPECT_TRUE(reached.contains(QLatin1String(name)))
            << name << " not reached: " << reached.join(u' ').toStdString();
}
