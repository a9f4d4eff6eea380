#include "editor/window/NARH.h"

#include "common/Named.h"

#include <QPlainTextEdit>
#include <QResizeEvent>

TNARHForm::TNARHForm(QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(tr("Not A Real Help"));
    setAttribute(Qt::WA_QuitOnClose, false);
    move(192, 107);
    m_form.SetUp(*this);
    resize(665, 441);
}

void TNARHForm::Form::SetUp(QDialog& window)
{
    Help_file = Named(new QPlainTextEdit(&window), "Help_file");
    Help_file->setReadOnly(true);
    Help_file->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    Help_file->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Help_file->setPlainText(HelpText());
    Help_file->setGeometry(0, 0, 665, 441);
}

void TNARHForm::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    m_form.Help_file->resize(size());
}

QString TNARHForm::HelpText()
{
    return QStringLiteral(
        "Not A Real Help\n"
        "\n"
        "Using \"not a real on-screen keyboard\"\n"
        "\n"
        "NAROSK works in two modes: single-click and doble-click (default is double-click)\n"
        "In single-click mode just click on character to insert it to the message\n"
        "In double-click mode double-click in space  AFTER character to insert it\n"
        "\n"
        "TIPS:\n"
        "\n"
        "- first enter your text ( or use NAROSK to enter graphics)\n"
        "- after that enter color commands ( use selector at right side to select BackGround and ForeGround colors )\n"
        "- \"Blink\" in Background colors means that if you select this colors for Background, Foreground will blink "
        "(not supported in preview)\n"
        "- enter ClearScreen command\n"
        "- now use Preview\n"
        "- X coordinate in right corner of edit window shows two values: real coordinates (as in Preview) and "
        "coordinates in Editor window\n"
        "- for other IsoLinux commands (graphic mode on/off etc...) read SysLinux/IsoLinux Documentation and use "
        "InsertASCII \n"
        "\n"
        "CHANGELOG:\n"
        "\n"
        "version 1.0.1\n"
        "- preview component rewrited, again...   bug in removing references for LSS files from preview\n"
        "\n"
        "version 1.0\n"
        "- preview component updated, I hope that none of IsoLinux/SysLinux commands will apear in preview now\n"
        "- fixed some bugs in preview if splash file didn't contained clear screen command\n"
        "\n"
        "version 0.9\n"
        "- changed preview component (not modal now), now preview can be closed normal way (not just with ENTER key)\n"
        "- added single-click option for NROSK\n"
        "\n"
        "to do:\n"
        "- find a way to remove scroll-bars in preview window\n"
        "\n"
        "version 0.1.1\n"
        "- added separate color selectors for background and foreground colors\n"
        "\n"
        "Credits (tnx):\n"
        "\n"
        "- the SYSLINUX authors, for the boot loader and its display file format\n"
        "- the authors of the PC's text-mode character set and palette\n"
        "- the Qt Project, for the toolkit this editor is built with\n"
        "- the DejaVu fonts project, for a monospaced font with every PC glyph\n"
        "- everyone who sent boot screens to try the preview on\n"
        "- you, for building boot disks that greet people kindly");
}
