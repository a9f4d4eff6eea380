#include "Preview.h"

#include "PreviewConsole.h"
#include "Rendering.h"
#include "common/ErrorBox.h"
#include "console/ConsoleSinks.h"
#include "console/qt/ConsoleWidget.h"

#include <QCloseEvent>
#include <QPushButton>

TPreviewFR::TPreviewFR(QWidget* parent)
    : QWidget(parent, Qt::Window)
    , m_console(m_measurer)
{
    setAttribute(Qt::WA_QuitOnClose, false);
    LoadPreviewConsole(m_console);
    m_console.SetOptions(m_console.Options() | coStdOutput);
    m_form.SetUp(*this, m_console);
    connect(m_form.Button1, &QPushButton::clicked, this, [this] { RunCommand(this, [this] { Button1Click(); }); });
    connect(m_form.Button2, &QPushButton::clicked, this, &QWidget::close);
    FormCreate();
}

TPreviewFR::~TPreviewFR()
{
    // The widget refers to the console, which goes first among the members.
    delete m_form.Terminal1;
}

void TPreviewFR::FormCreate()
{
    SetPreviewFont(m_console.Font());
    // At one size the cell only grows; measure afresh so the window fits
    // this font's cells, not the larger of it and the stored font.
    m_console.RemeasureFont();
    m_form.LayOut(*this);
}

void TPreviewFR::ShowAndRefresh()
{
    show();
    raise();
    activateWindow();
    m_console.Font().SetName(QStringLiteral("Terminal"));
    m_console.Font().SetCharset(OEM_CHARSET);
    m_form.Button1->click();
}

void TPreviewFR::Button1Click()
{
    struct BusyPointer {
        QWidget& widget;
        explicit BusyPointer(QWidget& busy)
            : widget(busy)
        {
            widget.setCursor(Qt::WaitCursor);
        }
        ~BusyPointer() { widget.unsetCursor(); }
    } busy(*m_form.Terminal1);
    StandardOutputSink sink;
    RenderDisplayFile(m_console, m_textSource ? m_textSource() : QByteArray(), sink);
}

void TPreviewFR::closeEvent(QCloseEvent* event)
{
    emit FormClose();
    QWidget::closeEvent(event);
}
