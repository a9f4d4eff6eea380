#include "PreviewForm.h"

#include "common/Named.h"
#include "console/qt/ConsoleWidget.h"
#include "console/qt/QtFonts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

void PreviewForm::SetUp(QWidget& window, TConsole& console)
{
    window.setWindowTitle(QWidget::tr("Preview"));
    window.move(192, 107);
    window.setBackgroundRole(QPalette::Button);
    window.setAutoFillBackground(true);
    Terminal1 = Named(new ConsoleWidget(console, &window), "Terminal1");
    Button1 = Named(new QPushButton(QWidget::tr("Refresh"), &window), "Button1");
    Mode = Named(new QComboBox(&window), "Mode");
    Mode->addItems({ QWidget::tr("Preview"), QWidget::tr("As the boot loader shows it") });
    Prompt = Named(new QCheckBox(QWidget::tr("boot: prompt"), &window), "Prompt");
    BrightBackgrounds
        = Named(new QCheckBox(QWidget::tr("Bright backgrounds, no blinking"), &window), "BrightBackgrounds");
    Button2 = Named(new QPushButton(QWidget::tr("Close"), &window), "Button2");
    SerialView = Named(new QPlainTextEdit(&window), "SerialView");
    SerialView->setReadOnly(true);
    SerialView->setPlaceholderText(QWidget::tr("Nothing for the serial port: the loader sends a display file's text "
                                               "there only while 0x14 or 0x16 has chosen it."));
    FontNote = Named(new QLabel(QWidget::tr("The VGA font (Debian package fonts-pc) is not installed: the screen is "
                                            "drawn in DejaVu Sans Mono."),
                         &window),
        "FontNote");
    FontNote->setWordWrap(true);
    FontNote->setVisible(!HasVgaFace());
    QWidget::setTabOrder(Button1, Mode);
    QWidget::setTabOrder(Mode, Prompt);
    QWidget::setTabOrder(Prompt, BrightBackgrounds);
    QWidget::setTabOrder(BrightBackgrounds, Button2);
}

void PreviewForm::LayOut(QWidget& window) const
{
    const QSize console = Terminal1->SizeForWholeGrid();
    Terminal1->setGeometry(0, 0, console.width(), console.height());
    int top = console.height() + 7;
    Button1->setGeometry(0, top, 75, 25);
    Mode->setGeometry(85, top, 190, 25);
    Prompt->setGeometry(285, top, 110, 25);
    BrightBackgrounds->setGeometry(400, top, 220, 25);
    Button2->setGeometry(console.width() - 75, top, 75, 25);
    top += 25 + 4;
    if (!SerialView->isHidden()) {
        SerialView->setGeometry(0, top, console.width(), 60);
        top += 60 + 4;
    }
    if (!FontNote->isHidden()) {
        FontNote->setGeometry(4, top, console.width() - 8, 30);
        top += 30 + 4;
    }
    window.setFixedSize(console.width(), top);
}
