#include "Preview.h"

#include "PreviewConsole.h"
#include "Rendering.h"
#include "console/ConsoleWidget.h"
#include "console/ErrorBox.h"
#include "console/QtFonts.h"

#include <QCloseEvent>
#include <QPushButton>

TPreviewFR::TPreviewFR(QWidget* parent)
    : QWidget(parent, Qt::Window)
    , m_console(QtFontMeasurer::Instance())
{
    setWindowTitle(tr("Preview"));
    setAttribute(Qt::WA_QuitOnClose, false);
    move(192, 107);
    setBackgroundRole(QPalette::Button);
    setAutoFillBackground(true);

    LoadPreviewConsole(m_console);
    Terminal1 = new ConsoleWidget(m_console, this);
    Button1 = new QPushButton(tr("Refresh"), this);
    Button2 = new QPushButton(tr("Close"), this);
    connect(Button1, &QPushButton::clicked, this, [this] { RunCommand(this, [this] { Button1Click(); }); });
    connect(Button2, &QPushButton::clicked, this, &TPreviewFR::Button2Click);
    setTabOrder(Button1, Button2);
    FormCreate();
}

TPreviewFR::~TPreviewFR()
{
    // The widget refers to the console, which goes first among the members.
    delete Terminal1;
}

void TPreviewFR::FormCreate()
{
    SetPreviewFont(m_console.Font());
    // At one size the cell only grows; measure afresh so the window fits
    // this font's cells, not the larger of it and the stored font.
    m_console.RemeasureFont();
    LayOut();
}

// The console shows the whole 80 × 25 screen; the buttons sit below it.
void TPreviewFR::LayOut()
{
    const QSize console = Terminal1->SizeForWholeGrid();
    Terminal1->setGeometry(0, 0, console.width(), console.height());
    const int buttonTop = console.height() + 7;
    Button1->setGeometry(0, buttonTop, 75, 25);
    Button2->setGeometry(console.width() - 75, buttonTop, 75, 25);
    setFixedSize(console.width(), buttonTop + 25 + 4);
}

void TPreviewFR::Button1Click()
{
    struct BusyPointer {
        QWidget& widget;
        explicit BusyPointer(QWidget& widget)
            : widget(widget)
        {
            widget.setCursor(Qt::WaitCursor);
        }
        ~BusyPointer() { widget.unsetCursor(); }
    } busy(*Terminal1);
    RenderDisplayFile(m_console, m_textSource ? m_textSource() : QByteArray());
}

void TPreviewFR::closeEvent(QCloseEvent* event)
{
    emit FormClose();
    QWidget::closeEvent(event);
}
