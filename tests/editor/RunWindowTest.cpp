// Run Configuration as the loader's screen: the BIOS cursor, the keyboard
// that stays with the screen, and a window that fits its screen and scales
// the picture by whole numbers.
#include "RecordedSteps.h"
#include "SharedMaterial.h"
#include "TreeFixture.h"
#include "editor/widgets/ScreenView.h"

#include <QCheckBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QScreen>
#include <QTest>
#include <QTreeWidget>

namespace {

class RunWindowTest : public TreeFixture {
protected:
    RunConfigurationWindow& Play(const QByteArray& config)
    {
        Write("isolinux/menu.c32",
            "\x7f"
            "ELF");
        OpenAtStart("isolinux/isolinux.cfg", config);
        window = &Run();
        screen = Find<ScreenView>(*window, "Screen");
        return *window;
    }
    // The cursor's cell, while its underline shows.
    std::optional<QPoint> CursorCell() const
    {
        const std::optional<QRect> underline = screen->Cursor();
        if (!underline)
            return std::nullopt;
        const CellPair cell = window->Console().CellSize();
        return QPoint(underline->x() / cell.x, underline->y() / cell.y);
    }
    // The cells the cursor stood on over both blink phases.
    QList<std::optional<QPoint>> OverABlink() const
    {
        QList<std::optional<QPoint>> seen { CursorCell() };
        QTest::qWait(300);
        seen << CursorCell();
        return seen;
    }
    RunConfigurationWindow* window = nullptr;
    ScreenView* screen = nullptr;
};

}

// The BIOS's underline where the loader's cursor is, in the cell's colour,
// blinking with QEMU's phase; a menu hides it.
TEST_F(RunWindowTest, TheCursorIsTheLoadersAndBlinks)
{
    Play("SAY hello\nPROMPT 1\n");
    QTest::keyClicks(screen, "li");
    const int row = window->Console().Cursor().y;
    EXPECT_TRUE(window->Console().ScreenRow(row).startsWith("boot: li"));
    EXPECT_SOON(screen->Cursor());
    EXPECT_EQ(CursorCell(), QPoint(8, row));
    const CellPair cell = window->Console().CellSize();
    EXPECT_EQ(screen->Cursor()->height(), cell.y / 8) << "the last two of 16 lines";
    EXPECT_EQ(screen->Cursor()->bottom(), (row + 1) * cell.y - 1);
    // Painted: the underline's last line in the text's grey, black above it.
    const QImage shown = screen->grab().toImage();
    const QRectF at = screen->PictureRect();
    const double ratio = screen->devicePixelRatioF();
    const double perPixel = at.width() * ratio / screen->Shown().width(); // display pixels
    const auto device = [&](double x, double y) {
        return QPoint(int(at.left() * ratio + x * perPixel), int(at.top() * ratio + y * perPixel));
    };
    EXPECT_EQ(shown.pixelColor(device(8.5 * cell.x, (row + 1) * cell.y - 0.5)), QColor(0xAA, 0xAA, 0xAA));
    EXPECT_EQ(shown.pixelColor(device(8.5 * cell.x, (row + 1) * cell.y - 3.5)), QColor(Qt::black));
    EXPECT_SOON(!screen->Cursor());
    EXPECT_SOON(screen->Cursor());

    Play("UI menu.c32\nLABEL a\nLABEL b\n");
    EXPECT_EQ(OverABlink(), (QList<std::optional<QPoint>> { std::nullopt, std::nullopt })) << "the menu hides it";
    QTest::keyClick(screen, Qt::Key_Escape);
    EXPECT_TRUE(window->Console().ScreenRow(window->Console().Cursor().y).startsWith("boot:"));
    EXPECT_SOON(screen->Cursor());
}

// A click on a button leaves the keyboard with the screen.
TEST_F(RunWindowTest, KeysGoToTheScreenAfterAClickOnAButton)
{
    Play("PROMPT 1\nF1 help.txt\n");
    ShowAndWait(*window);
    for (const char* button : { "Restart", "F1", "RunOutTimeout", "BlankStart" }) {
        QTest::mouseClick(Find<QWidget>(*window, button), Qt::LeftButton);
        EXPECT_EQ(QApplication::focusWidget(), screen) << button;
    }
    Find<QAbstractButton>(*window, "BlankStart")->setChecked(false);
    QTest::keyClicks(QApplication::focusWidget(), "typed");
    EXPECT_TRUE(window->Console().ScreenRow(window->Console().Cursor().y).startsWith("boot: typed"));
}

// The window opens to fit the screen it is on; made larger, it shows the
// screen at the largest whole multiple that fits.
TEST_F(RunWindowTest, TheWindowFitsItsScreenAndScalesByWholeNumbers)
{
    Play("PROMPT 1\n");
    ShowAndWait(*window);
    const QRect room = window->screen()->availableGeometry();
    EXPECT_LE(window->frameGeometry().width(), room.width());
    EXPECT_LE(window->frameGeometry().height(), room.height());
    const QSize natural = screen->Shown().size();
    EXPECT_EQ(natural, QSize(720, 400));
    const double ratio = screen->devicePixelRatioF();
    const double opened = screen->Scale();
    EXPECT_EQ(opened, std::floor(opened));
    EXPECT_GE(opened, 1);
    EXPECT_LE(opened, std::max(1.0, std::round(ratio)));
    const QSize base = window->size();
    for (const double wanted : { 2.5, 3.2, 1.5 }) {
        window->resize(base + (QSizeF(natural) * (wanted - opened / ratio)).toSize());
        EXPECT_SOON(screen->Scale() == std::floor(wanted * ratio)) << wanted;
        EXPECT_EQ(screen->PictureRect().size(), QSizeF(natural) * std::floor(wanted * ratio) / ratio) << wanted;
    }
}

// A 3.x/4.x tree whose DISPLAY file shows an LSS16 image: the window shows
// the core's graphics screen, prompt and cursor drawn into it, as QEMU
// showed it.
TEST_F(RunWindowTest, TheOlderCoresGraphicsScreenIsThePicture)
{
    const QDir probes = SharedFolder("boottruth/probes");
    const QString recorded = SharedFolder("boottruth/versions").filePath("out/4.05/probes/image_clear.msg.png");
    REQUIRE_SHARED(QFile::exists(recorded), "the 4.05 probe recordings");
    Write("isolinux/isolinux.bin", ReadBytes(SharedFolder("boottruth/versions").filePath("bin/4.05/isolinux.bin")));
    Write("isolinux/probe.lss", ReadBytes(probes.filePath("probe.lss")));
    Write("isolinux/boot.msg", ReadBytes(probes.filePath("image_clear.msg")));
    Play("DISPLAY boot.msg\nPROMPT 1\n");
    ASSERT_NE(window->Picture(), nullptr);
    EXPECT_EQ(*window->Picture(), QImage(recorded).convertToFormat(QImage::Format_RGB32));
    EXPECT_FALSE(screen->isVisibleTo(window));
}

// The serial port's view: what a terminal there got, no SAY of the reading.
TEST_F(RunWindowTest, TheSerialPortsView)
{
    Play("SERIAL 0\nSAY screen only\nPROMPT 1\n");
    auto* shown = Find<QCheckBox>(*window, "SerialShown");
    auto* port = Find<QPlainTextEdit>(*window, "SerialPort");
    EXPECT_FALSE(port->isVisible());
    shown->setChecked(true);
    EXPECT_TRUE(port->isVisible());
    QTest::keyClicks(screen, "x");
    EXPECT_EQ(port->toPlainText(),
        QStringLiteral("\nISOLINUX 6.04 20200816  Copyright (C) 1994-2015 H. Peter Anvin et al\nboot: x"));
}

// A pxelinux.cfg/ configuration plays the file PXELINUX loads for the PXE
// client (QEMU's first unless View > PXE Client set another); the dock says which.
TEST_F(RunWindowTest, ThePxeClientsOwnFileIsPlayed)
{
    Write("k", "a kernel");
    Write("pxelinux.cfg/01-52-54-00-12-34-56", "SAY the client's own\nPROMPT 1\nLABEL l\n KERNEL k\n IPAPPEND 2\n");
    OpenAtStart("pxelinux.cfg/default", "SAY the default\nPROMPT 1\n");
    RunConfigurationWindow& run = Run();
    EXPECT_TRUE(Shows(run, "the client's own"));
    EXPECT_FALSE(Shows(run, "the default"));
    QTest::keyClicks(Find<ScreenView>(run, "Screen"), "l");
    QTest::keyClick(Find<ScreenView>(run, "Screen"), Qt::Key_Return);
    EXPECT_TRUE(Find<QLabel>(run, "Note")->text().contains("BOOT_IMAGE=k BOOTIF=01-52-54-00-12-34-56"))
        << Find<QLabel>(run, "Note")->text().toStdString();
    const auto loaded
        = Find<QTreeWidget>(glavna, "ConfigurationTree")
              ->findItems(QStringLiteral("01-52-54-00-12-34-56 (loaded)"), Qt::MatchContains | Qt::MatchRecursive, 1);
    EXPECT_EQ(loaded.size(), 1);
}

// UEFI shows GRUB's menu of the same tree beside ISOLINUX's: keys go to the
// screen that has the keyboard, the buttons' too; edits reach both; BIOS
// hides GRUB's again.
TEST_F(RunWindowTest, TheUefiSideBesideTheBiosSide)
{
    Write("isolinux/vmlinuz", "a kernel");
    Play("UI menu.c32\nTIMEOUT 50\nLABEL a\n MENU LABEL First\n KERNEL vmlinuz\nLABEL b\n MENU LABEL Second\n"
         " KERNEL vmlinuz\n APPEND two\n");
    ShowAndWait(*window);
    auto* grub = Find<ScreenView>(*window, "GrubScreen");
    auto* uefi = Find<QAbstractButton>(*window, "FirmwareUefi");
    EXPECT_FALSE(grub->isVisible());
    ASSERT_TRUE(uefi->isEnabled());
    QTest::mouseClick(uefi, Qt::LeftButton);
    ASSERT_TRUE(grub->isVisible());
    EXPECT_EQ(QApplication::focusWidget(), grub) << "the side asked for has the keyboard";
    EXPECT_TRUE(screen->isVisible()) << "side by side";
    EXPECT_EQ(grub->Shown().size(), QSize(640, 480));
    EXPECT_EQ(window->Grub().Sim()->MenuView().titles, (std::vector<QByteArray> { "First", "Second" }));
    EXPECT_EQ(window->Grub().Sim()->MenuView().secondsLeft, 5);

    QTest::mouseClick(grub, Qt::LeftButton);
    QTest::keyClick(grub, Qt::Key_Down);
    EXPECT_EQ(window->Grub().Sim()->MenuView().selected, 1);
    EXPECT_EQ(window->Loader()->RunningMenu()->Entry(), 0) << "the BIOS side had no key";
    QTest::mouseClick(Find<QWidget>(*window, "RunOutTimeout"), Qt::LeftButton);
    EXPECT_EQ(QApplication::focusWidget(), grub);
    QTest::keyClick(grub, Qt::Key_Return);
    EXPECT_EQ(window->Grub().Sim()->State(), GrubSim::Outcome::Boot);
    EXPECT_TRUE(Find<QLabel>(*window, "Note")->text().contains("GRUB boots linux /isolinux/vmlinuz two"))
        << Find<QLabel>(*window, "Note")->text().toStdString();

    QTest::mouseClick(screen, Qt::LeftButton);
    QTest::keyClick(screen, Qt::Key_Down);
    EXPECT_EQ(window->Loader()->RunningMenu()->Entry(), 1);
    QTest::mouseClick(Find<QWidget>(*window, "Restart"), Qt::LeftButton);
    EXPECT_EQ(window->Grub().Sim()->State(), GrubSim::Outcome::Running) << "both start anew";

    Play("UI menu.c32\nLABEL c\n MENU LABEL Third\n KERNEL vmlinuz\n");
    EXPECT_EQ(window->Grub().Sim()->MenuView().titles, (std::vector<QByteArray> { "Third" })) << "edits reach it";
    QTest::mouseClick(Find<QAbstractButton>(*window, "FirmwareBios"), Qt::LeftButton);
    EXPECT_FALSE(grub->isVisible());
}
