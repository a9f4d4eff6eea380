#include "Preview.h"

#include "PreviewConsole.h"
#include "Rendering.h"
#include "boot/BootRendering.h"
#include "common/ErrorBox.h"
#include "common/Settings.h"
#include "console/ConsoleSinks.h"
#include "console/qt/ConsoleWidget.h"
#include "format/Cp437.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSettings>

namespace {

const QString ModeKey = QStringLiteral("preview/bootMode");
const QString PromptKey = QStringLiteral("preview/prompt");
const QString BrightKey = QStringLiteral("preview/brightBackgrounds");
const QString GeometryKey = QStringLiteral("preview/geometry");

}

TPreviewFR::TPreviewFR(QWidget* parent)
    : QWidget(parent, Qt::Window)
    , m_console(m_measurer)
{
    setAttribute(Qt::WA_QuitOnClose, false);
    LoadPreviewConsole(m_console);
    m_console.SetOptions(m_console.Options() | coStdOutput);
    m_form.SetUp(*this, m_console);
    const QSettings settings;
    m_form.Mode->setCurrentIndex(settings.value(ModeKey).toBool() ? 1 : 0);
    m_form.Prompt->setChecked(settings.value(PromptKey).toBool());
    m_form.BrightBackgrounds->setChecked(settings.value(BrightKey).toBool());
    connect(m_form.Button1, &QPushButton::clicked, this, [this] { RunCommand(this, [this] { Button1Click(); }); });
    connect(m_form.Button2, &QPushButton::clicked, this, &QWidget::close);
    connect(m_form.Mode, &QComboBox::currentIndexChanged, this, &TPreviewFR::OptionsChanged);
    connect(m_form.Prompt, &QCheckBox::toggled, this, &TPreviewFR::OptionsChanged);
    connect(m_form.BrightBackgrounds, &QCheckBox::toggled, this, &TPreviewFR::OptionsChanged);
    // A VGA card blinks about twice a second.
    m_blinkTimer.setInterval(267);
    connect(&m_blinkTimer, &QTimer::timeout, this, &TPreviewFR::ToggleBlink);
    connect(m_form.Terminal1, &ConsoleWidget::CellClicked, this, &TPreviewFR::CellClicked);
    FormCreate();
    restoreGeometry(QSettings().value(GeometryKey).toByteArray());
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
    ShowBlinkPhase();
}

bool TPreviewFR::BootMode() const { return m_form.Mode->currentIndex() == 1; }

// Every choice is remembered, shown at once and rendered anew.
void TPreviewFR::OptionsChanged()
{
    StoreSetting(ModeKey, BootMode());
    StoreSetting(PromptKey, m_form.Prompt->isChecked());
    StoreSetting(BrightKey, m_form.BrightBackgrounds->isChecked());
    ShowBlinkPhase();
    emit RulesChanged();
    if (isVisible())
        Refresh();
}

bool TPreviewFR::BrightBackgrounds() const { return !BootMode() || m_form.BrightBackgrounds->isChecked(); }

// Following edits, the screen is shown once it is complete: the scrolls
// on the way are neither carried out on screen nor repainted.
void TPreviewFR::Refresh()
{
    ConsoleWidget& screen = *m_form.Terminal1;
    screen.setUpdatesEnabled(false);
    RunCommand(this, [this] { Button1Click(); });
    screen.setUpdatesEnabled(true);
    screen.InvalidateAll();
}

void TPreviewFR::MarkOffset(std::optional<qsizetype> offset)
{
    m_marked = offset;
    m_form.Terminal1->SetMarkedCell(offset ? m_map.CellOf(*offset) : std::nullopt);
}

void TPreviewFR::CellClicked(CellPair cell)
{
    if (const std::optional<qsizetype> offset = m_map.OffsetAt(cell))
        emit OffsetClicked(*offset);
}

// Only the boot loader's screen blinks; the preview shows digits 8-f bright.
void TPreviewFR::ShowBlinkPhase()
{
    const bool blinking = BootMode() && !m_form.BrightBackgrounds->isChecked();
    m_form.Prompt->setEnabled(BootMode());
    m_form.BrightBackgrounds->setEnabled(BootMode());
    m_form.SerialView->setVisible(BootMode());
    m_form.LayOut(*this);
    m_blinkShown = true;
    m_form.Terminal1->SetBlinkPhase(blinking ? BlinkPhase::Shown : BlinkPhase::Bright);
    if (blinking)
        m_blinkTimer.start();
    else
        m_blinkTimer.stop();
}

void TPreviewFR::ToggleBlink()
{
    m_blinkShown = !m_blinkShown;
    m_form.Terminal1->SetBlinkPhase(m_blinkShown ? BlinkPhase::Shown : BlinkPhase::Hidden);
}

void TPreviewFR::ShowAndRefresh()
{
    show();
    raise();
    activateWindow();
    m_console.Font().SetName(QStringLiteral("Terminal"));
    m_console.Font().SetCharset(TFontCharset::Oem);
    // The window fits the whole 80 x 25 screen in the font it has now.
    m_form.LayOut(*this);
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
    const QByteArray text = m_textSource ? m_textSource() : QByteArray();
    if (BootMode()) {
        const QByteArray serial = RenderBootScreen(m_console, text, { .prompt = m_form.Prompt->isChecked() }, &m_map);
        QStringList lines;
        for (const QByteArray& line : serial.split('\n'))
            lines << Cp437::DecodeCells(line);
        m_form.SerialView->setPlainText(lines.join(u'\n'));
    } else {
        StandardOutputSink sink;
        RenderDisplayFile(m_console, text, sink, &m_map);
    }
    MarkOffset(m_marked);
    emit Rendered();
}

void TPreviewFR::closeEvent(QCloseEvent* event)
{
    StoreSetting(GeometryKey, saveGeometry());
    emit FormClose();
    QWidget::closeEvent(event);
}
