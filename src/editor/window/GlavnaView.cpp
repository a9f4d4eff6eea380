// The main window's View and Help commands: colours in the editor, its font
// and wrapping, the live preview and its caret, the problems, the guide.
#include "common/ErrorBox.h"
#include "common/Settings.h"
#include "config/BootConfig.h"
#include "config/ConfigSet.h"
#include "editor/checks/DocumentProblems.h"
#include "editor/checks/FormatGuide.h"
#include "editor/checks/ProblemsPanel.h"
#include "editor/configuration/ConfigurationDock.h"
#include "editor/configuration/ConfigurationSession.h"
#include "editor/document/DocumentEdit.h"
#include "editor/document/DocumentTabs.h"
#include "editor/document/ScreenHighlighter.h"
#include "editor/widgets/DockEntry.h"
#include "editor/widgets/PcScreenFont.h"
#include "editor/window/Glavna.h"
#include "editor/window/IntegerText.h"
#include "format/Cp437.h"
#include "lint/ConfigLinter.h"
#include "preview/Preview.h"
#include "vm/VmTools.h"
#include "vm/WindowedVm.h"

#include <QAction>
#include <QApplication>
#include <QDockWidget>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QStatusBar>
#include <QTextBlock>
#include <QTreeWidget>

#include <utility>

namespace {

const QString ColouringKey = QStringLiteral("view/colouring");
const QString FontKey = QStringLiteral("view/editorFont");
const QString WrapKey = QStringLiteral("view/wrapLines");
const QString LiveKey = QStringLiteral("view/livePreview");

// A frame at 60 Hz.
constexpr int LiveDelay = 16;
constexpr int LintDelay = 150;

}

// Whether the shown document is a boot configuration: a file of the open
// configuration's set is one; otherwise its first lines decide, so a long
// document costs nothing more.
bool TGlavna::IsConfiguration() const
{
    if (m_configuration && m_configuration->HoldsConfiguration(m_tabs->Current().saveTarget))
        return true;
    const int end = std::min(m_form.Editor->document()->characterCount() - 1, 8192);
    return LooksLikeBootConfig(Cp437::EncodeDocument(m_form.Editor->TextBetween(0, end)).bytes);
}

void TGlavna::SetUpView()
{
    const GlavnaForm& f = m_form;
    const QSettings settings;
    f.Colouring1->setChecked(settings.value(ColouringKey, true).toBool());
    f.WrapLines1->setChecked(settings.value(WrapKey, true).toBool());
    f.LivePreview1->setChecked(settings.value(LiveKey, false).toBool());
    const QString font = settings.value(FontKey).toString();
    (font == u"vga" ? f.FontVga1 : font == u"desktop" ? f.FontDesktop1 : f.FontClassic1)->setChecked(true);
    m_liveTimer.setSingleShot(true);
    m_liveTimer.setInterval(LiveDelay);
    m_lintTimer.setSingleShot(true);
    m_lintTimer.setInterval(LintDelay);
    connect(&m_liveTimer, &QTimer::timeout, this, &TGlavna::RefreshLivePreview);
    connect(&m_lintTimer, &QTimer::timeout, this, &TGlavna::RefreshProblems);
    On(f.Colouring1, &QAction::triggered, &TGlavna::ColouringClick);
    for (QAction* choice : { f.FontClassic1, f.FontVga1, f.FontDesktop1 })
        On(choice, &QAction::triggered, &TGlavna::EditorFontClick);
    On(f.WrapLines1, &QAction::triggered, &TGlavna::WrapLinesClick);
    On(f.LivePreview1, &QAction::triggered, &TGlavna::LivePreviewClick);
    On(f.FormatGuide1, &QAction::triggered, &TGlavna::FormatGuide1Click);
    On(f.BootVm1, &QAction::triggered, &TGlavna::BootVm1Click);
    On(f.BootPxeClient1, &QAction::triggered, &TGlavna::BootPxeClientClick);
    On(f.BootVmUsb1, &QAction::triggered, &TGlavna::BootVmUsb1Click);
    On(f.BootUefiCd1, &QAction::triggered, &TGlavna::BootUefiCd1Click);
    On(f.BootUefiUsb1, &QAction::triggered, &TGlavna::BootUefiUsb1Click);
    On(f.BootUefiPxe1, &QAction::triggered, &TGlavna::BootUefiPxe1Click);
    On(f.SerialConsole1, &QAction::triggered, &TGlavna::SerialConsoleClick);
    On(f.ProblemCount, &QPushButton::clicked, &TGlavna::ToggleProblems);
    On(f.ImageNotes, &QPushButton::clicked, &TGlavna::ImageNotesClick);
    On(f.ASCIIcode, &QLineEdit::textChanged, &TGlavna::ShowAsciiByte);
    On(f.Editor, &QPlainTextEdit::textChanged, &TGlavna::DocumentChanged);
    On(f.Editor, &QPlainTextEdit::cursorPositionChanged, &TGlavna::CaretMoved);
    connect(f.Problems, &ProblemsPanel::ProblemChosen, this, &TGlavna::GoToByte);
    ReachDock(f.Problems1, f.Problems, f.Problems->List(), [this] { FocusDocument(); });
    ColouringClick();
    EditorFontClick();
    WrapLinesClick();
    ShowAsciiByte();
    RefreshProblems();
}

void TGlavna::ColouringClick()
{
    const bool on = m_form.Colouring1->isChecked();
    StoreSetting(ColouringKey, on);
    // The screen's black around the text, as the boot loader shows it.
    QPalette palette;
    if (on) {
        palette.setColor(QPalette::Base, Qt::black);
        palette.setColor(QPalette::Text, QColor(0xAA, 0xAA, 0xAA));
    }
    m_form.Editor->setPalette(palette);
    if (on && !m_highlighter) {
        // The window's, not the shown document's child: that document may be
        // closed while the highlighter moves on to the next one shown.
        m_highlighter = new ScreenHighlighter(nullptr);
        m_highlighter->setParent(this);
        m_highlighter->setDocument(m_form.Editor->document());
        m_highlighter->SetConfiguration(IsConfiguration());
        FollowPreviewRules();
    } else if (!on && m_highlighter) {
        // Taken away first: its removal changes the document, whose listeners look at it.
        delete std::exchange(m_highlighter, nullptr);
    }
}

void TGlavna::EditorFontClick()
{
    const GlavnaForm& f = m_form;
    QString choice = QStringLiteral("classic");
    QFont font = PcScreenFont(QStringLiteral("Fixedsys"), 11);
    if (f.FontVga1->isChecked()) {
        choice = QStringLiteral("vga");
        font = PcScreenFont(QStringLiteral("Terminal"), 16);
    } else if (f.FontDesktop1->isChecked()) {
        choice = QStringLiteral("desktop");
        font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    }
    StoreSetting(FontKey, choice);
    f.Editor->setFont(font);
}

void TGlavna::WrapLinesClick()
{
    StoreSetting(WrapKey, m_form.WrapLines1->isChecked());
    m_form.Editor->SetWrapLines(m_form.WrapLines1->isChecked());
}

// A configuration is no screen: its live view is Run Configuration, which
// replays its keys after every edit while Live Preview is on.
bool TGlavna::ShowsConfiguration() const { return m_tabs->Current().breaksFrom || IsConfiguration(); }

void TGlavna::LivePreviewClick()
{
    StoreSetting(LiveKey, m_form.LivePreview1->isChecked());
    if (m_form.LivePreview1->isChecked() && !ShowsConfiguration())
        PreviewClick();
}

void TGlavna::DocumentChanged()
{
    if (!m_lintTimer.isActive())
        m_lintTimer.start();
    if (m_form.LivePreview1->isChecked() && m_preview && m_preview->isVisible() && !m_liveTimer.isActive())
        m_liveTimer.start();
}

void TGlavna::RefreshLivePreview()
{
    if (m_preview && m_preview->isVisible() && !ShowsConfiguration())
        m_preview->Refresh();
}

void TGlavna::RefreshProblems()
{
    const bool open = m_configuration && m_configuration->IsOpen();
    const std::vector<Problem> problems
        = DocumentProblems(m_tabs->Current(), IsConfiguration(), open ? m_configuration->ConfigFile() : QString(),
            open ? std::optional(m_configuration->Loader()) : std::nullopt);
    m_form.Problems->Show(problems);
    m_form.ProblemCount->setText(ProblemCountCaption(ProblemCount(problems)));
}

void TGlavna::ToggleProblems() { m_form.Problems->setVisible(!m_form.Problems->isVisible()); }

void TGlavna::FollowPreviewRules()
{
    if (m_highlighter && m_preview)
        m_highlighter->SetRules(m_preview->Rules(), m_preview->BrightBackgrounds());
}

// A key shows the place before it takes effect and after its release;
// every other move (a click, an insert, undo, find) shows the new place.
void TGlavna::CaretMoved()
{
    if (!m_keyHeld)
        UpdateCaretLabels();
    MarkCaretInPreview();
}

void TGlavna::MarkCaretInPreview()
{
    if (m_preview && m_preview->isVisible())
        m_preview->MarkOffset(m_form.Editor->ByteOffsetOf(m_form.Editor->textCursor().position()));
}

void TGlavna::GoToByte(qsizetype offset)
{
    QTextCursor caret = m_form.Editor->textCursor();
    caret.setPosition(m_form.Editor->PositionOfByte(offset));
    m_form.Editor->setTextCursor(caret);
    activateWindow();
    m_form.Editor->setFocus();
}

// What Insert ASCII will insert: "65 = 0x41 A".
void TGlavna::ShowAsciiByte()
{
    const std::optional<std::int32_t> code = ParseInteger(m_form.ASCIIcode->text());
    QString caption;
    if (!code || *code < 0 || *code > 255)
        caption = m_form.ASCIIcode->text().isEmpty() ? tr("type a code: 65 or $41") : tr("not a byte");
    else if (*code == 0)
        caption = tr("0 inserts nothing");
    else
        caption = QStringLiteral("%1 = 0x%2 %3")
                      .arg(*code)
                      .arg(*code, 2, 16, QLatin1Char('0'))
                      .arg(QChar(Cp437::ToUnicode(static_cast<std::uint8_t>(*code))));
    m_form.ASCIIbyte->setText(caption);
}

void TGlavna::FormatGuide1Click()
{
    if (!m_guide)
        m_guide = new FormatGuide(FormatGuide::ActionsOf(*this), this);
    m_guide->show();
    m_guide->raise();
    m_guide->activateWindow();
}
