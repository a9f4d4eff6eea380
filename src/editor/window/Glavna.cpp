#include "editor/window/Glavna.h"

#include "common/ErrorBox.h"
#include "editor/configuration/ConfigurationDock.h"
#include "editor/directives/ConfigurationReference.h"
#include "editor/directives/DirectiveCompletion.h"
#include "editor/document/CaretCoordinates.h"
#include "editor/document/DocumentEdit.h"
#include "editor/document/DocumentTabs.h"
#include "editor/document/ScreenHighlighter.h"
#include "editor/drawing/AnsiArtCommands.h"
#include "editor/drawing/DrawingMode.h"
#include "editor/export/ExportMediaCommands.h"
#include "editor/templates/NewConfiguration.h"
#include "editor/widgets/CharacterTable.h"
#include "editor/widgets/ColourSelector.h"
#include "editor/widgets/FocusRing.h"
#include "editor/widgets/FormStretch.h"
#include "editor/window/About.h"
#include "editor/window/IntegerText.h"
#include "editor/window/NARH.h"
#include "editor/window/ProgramIcon.h"
#include "format/Cp437.h"
#include "format/DisplayCodes.h"
#include "grub/GrubPlay.h"
#include "preview/Preview.h"

#include <QApplication>

#include <QCheckBox>
#include <QClipboard>
#include <QDropEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QStatusBar>
#include <QTabBar>
#include <QTextBlock>

#include <utility>

namespace {

// More lines of the document than the classic design shows.
constexpr int FirstExtraHeight = 200;
// The dock's separator and frame beside the form.
constexpr int DockSeparator = 16;

}

TGlavna::TGlavna(QWidget* parent)
    : QMainWindow(parent)
{
    setAcceptDrops(true);
    setWindowIcon(ProgramIcon());
    m_form.SetUp(*this);
    m_tabs = new DocumentTabs(*m_form.Editor);
    m_form.Stretch->AddToArea(m_tabs->Bar());
    SetTitle(tr("Untitled")); // the program's name is Qt's to add, once
    m_form.KeepLF1->setChecked(QSettings().value(KeepLfKey).toBool());
    WireHandlers();
    SetUpView();
    SetUpConfiguration();
    SetUpDesigner();
    m_drawing = new DrawingMode(*this);
    m_art = new AnsiArtCommands(*this);
    new DirectiveCompletion(*this);
    ConfigurationReference::AddTo(*this);
    NewConfigurationDialog::AddTo(*this);
    m_export = new ExportMediaCommands(*this, [this] { return BootSet(); });
    SetGrubMenuMaker(GrubMaker(MadeGrubSide)); // the UEFI side of every export and UEFI boot
    FormCreate();
    // At first the form with the Configuration dock beside it and room for
    // more lines; later the size the user left it at.
    if (!restoreGeometry(QSettings().value(GeometryKey).toByteArray()))
        resize(FittedWindowSize(
            sizeHint() + QSize(ConfigurationDock::PreferredWidth + DockSeparator, FirstExtraHeight), screen()));
    new FocusRing(this);
    // The window's first focus: typing at start goes into the document, not
    // to the first button Qt would find.
    m_form.Editor->setFocus();
}

// The highlighter goes while its document is there; the edit its going
// makes no longer reaches the window, whose members are going too.
TGlavna::~TGlavna()
{
    m_form.Editor->disconnect(this);
    delete std::exchange(m_highlighter, nullptr);
}

void TGlavna::ConnectWindows(TNARHForm& help, TAboutBox& about, TPreviewFR& preview)
{
    m_help = &help;
    m_about = &about;
    m_preview = &preview;
    preview.SetTextSource([this] { return m_form.Editor->Bytes(); });
    connect(&preview, &TPreviewFR::RulesChanged, this, &TGlavna::FollowPreviewRules);
    connect(&preview, &TPreviewFR::OffsetClicked, this, &TGlavna::GoToByte);
    connect(&preview, &TPreviewFR::Rendered, this, &TGlavna::MarkCaretInPreview);
    FollowPreviewRules();
    connect(&preview, &TPreviewFR::FormClose, this, [this] {
        activateWindow();
        m_form.Editor->setFocus();
    });
}

// Every control and menu entry and the handler it calls.
void TGlavna::WireHandlers()
{
    const GlavnaForm& f = m_form;
    On(f.Editor, &DocumentEdit::KeyDown, &TGlavna::EditorKeyDown);
    On(f.Editor, &DocumentEdit::KeyUp, &TGlavna::EditorKeyUp);
    On(f.Button1, &QPushButton::clicked, &TGlavna::Button1Click);
    On(f.tastatura, &CharacterTable::Clicked, &TGlavna::tastaturaClick);
    On(f.tastatura, &CharacterTable::DoubleClicked, &TGlavna::tastaturaDblClick);
    On(f.InsertC, &QPushButton::clicked, &TGlavna::InsertCClick);
    On(f.ClrScreen, &QPushButton::clicked, &TGlavna::ClrScreenClick);
    On(f.Preview, &QPushButton::clicked, &TGlavna::PreviewClick);
    On(f.New1, &QAction::triggered, &TGlavna::New1Click);
    On(f.Open1, &QAction::triggered, &TGlavna::Open1Click);
    On(f.Save1, &QAction::triggered, &TGlavna::Save1Click);
    On(f.SaveAs1, &QAction::triggered, &TGlavna::SaveAs1Click);
    On(f.KeepLF1, &QAction::triggered, &TGlavna::KeepLF1Click);
    On(f.Exit1, &QAction::triggered, &TGlavna::Exit1Click);
    On(f.NotARealHelp1, &QAction::triggered, &TGlavna::NotARealHelp1Click);
    On(f.About1, &QAction::triggered, &TGlavna::About1Click);
    On(f.Find1, &QAction::triggered, &TGlavna::Find1Click);
    On(f.Replace1, &QAction::triggered, &TGlavna::Replace1Click);
    On(f.FindNext1, &QAction::triggered, &TGlavna::FindNext1Click);
    On(f.Preview1, &QAction::triggered, &TGlavna::PreviewClick);
    for (const auto& [entry, command] : { std::pair { f.Undo1, EditCommand::Undo }, { f.Redo1, EditCommand::Redo },
             { f.Cut1, EditCommand::Cut }, { f.Copy1, EditCommand::Copy }, { f.Paste1, EditCommand::Paste },
             { f.SelectAll1, EditCommand::SelectAll } })
        connect(entry, &QAction::triggered, this, [this, command] { Edit(command); });
    connect(f.Editor, &QPlainTextEdit::redoAvailable, f.Redo1, &QAction::setEnabled);
    for (int index = 0; index < 16; ++index) {
        connect(f.GroupFG->Item(index), &QRadioButton::clicked, this, [this] { ColourPicked(true); });
        connect(f.groupBG->Item(index), &QRadioButton::clicked, this, [this] { ColourPicked(false); });
    }
    connect(f.Editor, &QWidget::customContextMenuRequested, this, &TGlavna::PopupMenu1Popup);
    connect(f.Editor, &DocumentEdit::Replaced, this, &TGlavna::ShowReplaced);
    connect(f.Editor, &DocumentEdit::FileDropped, this, &TGlavna::OpenDropped);
    connect(f.OpenRecent1, &QMenu::aboutToShow, this, &TGlavna::FillOpenRecent);
    connect(f.Editor, &QPlainTextEdit::modificationChanged, this, &QWidget::setWindowModified);
    f.ASCIIcode->installEventFilter(this);
}

// The title with Qt's marker for unsaved changes. Replacing the whole text
// clears the document's modified state without a signal.
void TGlavna::SetTitle(const QString& title)
{
    setWindowTitle(title + QStringLiteral("[*]"));
    setWindowModified(m_form.Editor->document()->isModified());
}

// A file dropped anywhere on the window opens; the editor passes on its own.
void TGlavna::dragEnterEvent(QDragEnterEvent* event)
{
    if (!DocumentEdit::DroppedFile(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void TGlavna::dropEvent(QDropEvent* event)
{
    const QString file = DocumentEdit::DroppedFile(event->mimeData());
    if (file.isEmpty())
        return;
    event->acceptProposedAction();
    OpenDropped(file);
}

void TGlavna::Run(Handler handler)
{
    RunCommand(this, [this, handler] { (this->*handler)(); });
}

void TGlavna::ShowReplaced(const QString& characters)
{
    statusBar()->showMessage(tr("Replaced by ?, as they have no code on the PC screen: %1").arg(characters), 15000);
}

// ---- Command insertion -----------------------------------------------------

// Through the clipboard, over the editor's selection; the text stays on
// the clipboard.
void TGlavna::InsertText(const QString& text)
{
    if (text.isEmpty())
        return;
    QApplication::clipboard()->setText(text);
    if (m_view && m_view->insert)
        m_view->insert(text);
    else
        m_form.Editor->paste();
}

void TGlavna::InsertCClick()
{
    if (m_view && m_view->colour) {
        m_view->colour(true, true); // a view has no commands: the colours go on its cells
        return;
    }
    const QByteArray command = QByteArray(1, DisplayCode::ColourCommand) + m_form.groupBG->ItemText().toLatin1()
        + m_form.GroupFG->ItemText().toLatin1();
    InsertText(Cp437::DecodeDocument(command));
    m_form.Editor->setFocus();
}

void TGlavna::ClrScreenClick()
{
    if (m_form.Editor->Bytes().contains(DisplayCode::ClearScreen)) {
        QMessageBox::information(this, tr("Information"), tr("Clear Screen command exist"));
    } else {
        // An ordinary edit at the very start, so Undo takes it back.
        QTextCursor start(m_form.Editor->document());
        start.insertText(QString(QChar(Cp437::ToUnicode(DisplayCode::ClearScreen))));
    }
    QTextCursor caret = m_form.Editor->textCursor();
    caret.setPosition(std::min(1, m_form.Editor->document()->characterCount() - 1));
    m_form.Editor->setTextCursor(caret);
    m_form.Editor->setFocus();
}

void TGlavna::Button1Click()
{
    const std::int32_t code = StrToInt(m_form.ASCIIcode->text());
    // Negative codes would wrap to their low byte; they are refused instead.
    if (code > 255 || code < 0) {
        QMessageBox::information(this, tr("Information"), tr("Not valid ASCII code"));
        return;
    }
    if (code == 0)
        return; // code 0 inserts nothing, though the document can hold NUL
    InsertText(Cp437::DecodeDocument(QByteArray(1, static_cast<char>(code))));
}

bool TGlavna::eventFilter(QObject* watched, QEvent* event)
{
    // ASCIIcodeKeyDown: Enter inserts, and the key goes on to the field.
    if (watched == m_form.ASCIIcode && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter)
            Run(&TGlavna::Button1Click);
    }
    return QMainWindow::eventFilter(watched, event);
}

// ---- Caret coordinates -------------------------------------------------------

void TGlavna::EditorKeyDown()
{
    m_keyHeld = true;
    UpdateCaretLabels();
}

void TGlavna::EditorKeyUp()
{
    m_keyHeld = false;
    UpdateCaretLabels();
}

// A view in the editor's place shows its own place.
void TGlavna::UpdateCaretLabels()
{
    if (m_view)
        return;
    const int start = m_form.Editor->textCursor().selectionStart();
    const DocumentEdit::VisualLine line = m_form.Editor->LineAt(start);
    const CaretColumns columns = ColumnsOf(line.bytes, start - line.start,
        [this](const QByteArray& window) { m_form.debugy->setText(Cp437::DecodeCells(window)); });
    ShowCaret(ColumnCaption(columns), LineCaption(line.index));
}

// ---- On-screen keyboard --------------------------------------------------------

void TGlavna::FormCreate()
{
    m_form.tastatura->clear();
    m_form.tastatura->setPlainText(CharacterTable::TableText());
}

// Selects the one table character at the start of the table's selection
// and copies it; false when the selection starts past the last character.
bool TGlavna::CopyPickedCharacter()
{
    QTextCursor pick = m_form.tastatura->textCursor();
    const int position = pick.selectionStart();
    if (position >= CharacterTable::TableLength)
        return false;
    pick.setPosition(position);
    pick.setPosition(position + 1, QTextCursor::KeepAnchor);
    m_form.tastatura->setTextCursor(pick);
    m_form.tastatura->copy();
    return true;
}

void TGlavna::tastaturaClick()
{
    if (!m_form.SingleON->isChecked() || !CopyPickedCharacter())
        return;
    const QString picked = QApplication::clipboard()->text();
    if (picked == u" ")
        return;
    InsertText(picked);
    m_form.Editor->setFocus();
}

// A double-click selected the character and its spaces as one word.
void TGlavna::tastaturaDblClick()
{
    if (m_form.SingleON->isChecked() || !CopyPickedCharacter())
        return;
    InsertText(QApplication::clipboard()->text());
    m_form.Editor->setFocus();
}

// ---- Help, about, preview ----------------------------------------------------------

void TGlavna::NotARealHelp1Click()
{
    if (m_help)
        m_help->exec();
}

void TGlavna::About1Click()
{
    if (m_about)
        m_about->exec();
}

void TGlavna::PreviewClick()
{
    if (m_preview)
        m_preview->ShowAndRefresh();
}
