// The main window's View and Help commands: colours in the editor, its font
// and wrapping, the live preview and its caret, the problems, the guide.
#include "editor/configuration/ConfigurationDock.h"
#include "editor/configuration/ConfigurationSession.h"
#include "editor/document/DocumentEdit.h"
#include "editor/document/DocumentTabs.h"
#include "editor/checks/FormatGuide.h"
#include "editor/window/Glavna.h"
#include "editor/window/IntegerText.h"
#include "editor/checks/ProblemsPanel.h"
#include "editor/document/ScreenHighlighter.h"
#include "common/ErrorBox.h"
#include "common/Settings.h"
#include "config/BootConfig.h"
#include "config/ConfigSet.h"
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

// Whether the document is a boot configuration: a file of the open
// configuration's set is one; otherwise its first lines decide, so a long
// document costs nothing more.
bool IsConfiguration(
    const DocumentEdit& editor, const ConfigurationSession* session = nullptr, const QString& file = {})
{
    if (session && session->HoldsConfiguration(file))
        return true;
    const int end = std::min(editor.document()->characterCount() - 1, 8192);
    return LooksLikeBootConfig(Cp437::EncodeDocument(editor.TextBetween(0, end)).bytes);
}

// A dock's View entry, ticked while the dock shows. It shows the dock and
// puts the keyboard in it; chosen again from inside, it hides the dock and
// gives the keyboard back to the document.
void ReachDock(QAction* entry, QDockWidget* dock, QWidget* inside, QWidget* document)
{
    entry->setCheckable(true);
    QObject::connect(
        dock, &QDockWidget::visibilityChanged, entry, [entry, dock] { entry->setChecked(!dock->isHidden()); });
    QObject::connect(entry, &QAction::triggered, dock, [entry, dock, inside, document] {
        if (!dock->isHidden() && dock->isAncestorOf(QApplication::focusWidget())) {
            dock->hide();
            document->setFocus();
        } else {
            dock->show();
            dock->raise();
            inside->setFocus(Qt::ShortcutFocusReason);
        }
        entry->setChecked(!dock->isHidden());
    });
}

// A frame at 60 Hz.
constexpr int LiveDelay = 16;
constexpr int LintDelay = 150;

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
    On(f.ProblemCount, &QPushButton::clicked, &TGlavna::ToggleProblems);
    On(f.ImageNotes, &QPushButton::clicked, &TGlavna::ImageNotesClick);
    On(f.ASCIIcode, &QLineEdit::textChanged, &TGlavna::ShowAsciiByte);
    On(f.Editor, &QPlainTextEdit::textChanged, &TGlavna::DocumentChanged);
    On(f.Editor, &QPlainTextEdit::cursorPositionChanged, &TGlavna::CaretMoved);
    connect(f.Problems, &ProblemsPanel::ProblemChosen, this, &TGlavna::GoToByte);
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
        m_highlighter->SetConfiguration(IsConfiguration(*m_form.Editor, m_configuration, m_tabs->Current().saveTarget));
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
bool TGlavna::ShowsConfiguration() const
{
    return m_tabs->Current().breaksFrom
        || IsConfiguration(*m_form.Editor, m_configuration, m_tabs->Current().saveTarget);
}

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

// Images are looked for beside the file the document was opened from or
// saved to. A saved configuration is checked with its whole set, unsaved
// text included; problems in its other files name them.
void TGlavna::RefreshProblems()
{
    const QString folder = m_tabs->Current().Folder();
    const QByteArray bytes = m_form.Editor->Bytes();
    std::vector<Problem> problems;
    if (!m_tabs->Current().saveTarget.isEmpty()
        && IsConfiguration(*m_form.Editor, m_configuration, m_tabs->Current().saveTarget)) {
        // A file of a set is checked with the tree it belongs to.
        BootFiles files = BootFiles::ForConfiguration(m_configuration->IsOpen()
                ? m_configuration->ConfigFile()
                : OwningConfiguration(m_tabs->Current().saveTarget));
        files.SetText(m_tabs->Current().saveTarget, bytes);
        const QString self = QFileInfo(m_tabs->Current().saveTarget).absoluteFilePath();
        for (const FileProblem& found : LintBootConfig(files)) {
            Problem problem = found.problem;
            if (QFileInfo(found.file).absoluteFilePath() == self) {
                // Lines as the document has them, each from its first byte.
                qsizetype offset = 0;
                for (int line = 1; line < problem.line && offset >= 0; ++line)
                    offset = bytes.indexOf('\n', offset) + 1;
                problem.offset = std::max<qsizetype>(offset, 0);
            } else {
                problem.message = QFileInfo(found.file).fileName() + QStringLiteral(": ") + problem.message;
                problem.offset = 0;
            }
            problems.push_back(problem);
        }
    } else {
        problems = LintLoneDisplayFile(bytes, folder);
    }
    m_form.Problems->Show(problems);
    int count = 0;
    for (const Problem& problem : problems)
        count += problem.count;
    m_form.ProblemCount->setText(ProblemCountCaption(count));
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

// The document as it stands, unsaved edits included, in the real loader;
// F9 again boots it anew.
void TGlavna::SetUpConfiguration()
{
    const auto isConfiguration
        = [this] { return IsConfiguration(*m_form.Editor, m_configuration, m_tabs->Current().saveTarget); };
    m_configuration = new ConfigurationSession(*this,
        { [this] { return m_tabs->Current().saveTarget; }, [this] { return m_form.Editor->Bytes(); },
            [this] { return m_tabs->Texts(); },
            [this](const QString& file, int line) {
                // A file of the set opens in a tab of its own, or in an empty untitled one.
                if (Document* open = m_tabs->Find(file)) {
                    m_tabs->Activate(*open);
                } else {
                    const Document& current = m_tabs->Current();
                    const bool empty = current.saveTarget.isEmpty() && current.Text().isEmpty();
                    Document& target = empty ? m_tabs->Current() : m_tabs->Add();
                    RunCommand(this, [&] { OpenFile(file); });
                    if (!IsSaveTarget(file) && !empty)
                        m_tabs->Remove(target);
                }
                if (!IsSaveTarget(file))
                    return;
                QTextCursor caret(m_form.Editor->document()->findBlockByNumber(std::max(0, line - 1)));
                m_form.Editor->setTextCursor(caret);
                m_form.Editor->setFocus();
            } });
    QAction* dock = new QAction(tr("Con&figuration"), this);
    dock->setObjectName(QStringLiteral("Configuration1"));
    dock->setShortcut(QKeySequence(QStringLiteral("Ctrl+Shift+C")));
    ReachDock(dock, m_configuration->Dock(), m_configuration->Dock()->Tree(), m_form.Editor);
    ReachDock(m_form.Problems1, m_form.Problems, m_form.Problems->List(), m_form.Editor);
    m_form.View1->insertAction(m_form.Problems1, dock);
    connect(m_form.OpenConfiguration1, &QAction::triggered, this, [this] {
        RunCommand(this, [this] {
            if (const QString name = QFileDialog::getOpenFileName(this, tr("Open Configuration"), {},
                    tr("Boot Configurations (*.cfg *.conf default);;All Files (*)"), nullptr,
                    QFileDialog::DontUseNativeDialog);
                !name.isEmpty()) {
                m_configuration->Open(name);
                if (!IsSaveTarget(name))
                    emit m_configuration->Dock()->FileChosen(name, 1);
            }
        });
    });
    connect(m_form.RunConfiguration1, &QAction::triggered, this, [this, isConfiguration] {
        if (!m_configuration->IsOpen() && !(isConfiguration() && !m_tabs->Current().saveTarget.isEmpty())) {
            QMessageBox::information(this, tr("Information"),
                tr("Open a boot configuration first (File > Open Configuration), or save this one."));
            return;
        }
        m_configuration->Run();
    });
    connect(m_form.Editor, &QPlainTextEdit::textChanged, this,
        [this] { m_configuration->DocumentChanged(m_form.LivePreview1->isChecked()); });
    connect(m_form.Editor, &QPlainTextEdit::textChanged, this, [this, isConfiguration] {
        if (m_highlighter)
            m_highlighter->SetConfiguration(isConfiguration());
    });
    connect(m_form.Editor, &QPlainTextEdit::modificationChanged, m_tabs, &DocumentTabs::Relabel);
    connect(m_tabs, &DocumentTabs::CurrentChanged, this, &TGlavna::CurrentDocumentChanged);
    connect(m_tabs, &DocumentTabs::CloseRequested, this, [this](Document* document) {
        m_tabs->Activate(*document);
        if (MayDiscardChanges(this, document->Text()))
            m_tabs->Remove(*document);
    });
    connect(m_form.CloseConfiguration1, &QAction::triggered, this, [this] {
        // One question for every unsaved document but the one shown.
        QStringList unsaved;
        for (const Document* document : m_tabs->Unsaved()) {
            if (document != &m_tabs->Current())
                unsaved << m_tabs->Title(*document);
        }
        if (!unsaved.isEmpty()
            && QMessageBox::question(this, tr("Confirm"),
                   tr("Discard unsaved changes in %1?").arg(unsaved.join(QStringLiteral(", "))),
                   QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
                != QMessageBox::Yes)
            return;
        const std::vector<Document*> documents = m_tabs->Documents();
        for (Document* document : documents) {
            if (document != &m_tabs->Current())
                m_tabs->Remove(*document);
        }
        m_configuration->Close();
    });
}

void TGlavna::CurrentDocumentChanged()
{
    const Document& current = m_tabs->Current();
    SetTitle(current.saveTarget.isEmpty() ? m_tabs->Title(current) : current.saveTarget);
    m_form.Save1->setEnabled(!current.saveTarget.isEmpty());
    ShowLineBreaks();
    if (m_highlighter) {
        m_highlighter->setDocument(&m_tabs->Current().Text());
        m_highlighter->SetConfiguration(IsConfiguration(*m_form.Editor, m_configuration, m_tabs->Current().saveTarget));
    }
    UpdateCaretLabels();
    DocumentChanged();
}

void TGlavna::BootVm1Click()
{
    if (!m_vm) {
        m_vm = new WindowedVm(this);
        connect(m_vm, &WindowedVm::Started, this, [this](const QStringList& notes) {
            statusBar()->showMessage(tr("The virtual machine runs."), 15000);
            ShowImageNotes(notes);
        });
        connect(m_vm, &WindowedVm::Failed, this, [this](const QString& message, const QString& detail) {
            RunCommand(this, [&] { throw EVmError(message.toStdString(), detail.toStdString()); });
        });
    }
    // The open configuration (or the document, when it is one) boots as a
    // whole set, every tab's unsaved text with it; a display file boots alone.
    const QString target = m_tabs->Current().saveTarget;
    const QString config = m_configuration->IsOpen() ? m_configuration->ConfigFile()
        : !target.isEmpty() && IsConfiguration(*m_form.Editor, m_configuration, m_tabs->Current().saveTarget)
        ? target
        : QString();
    if (!config.isEmpty()) {
        BootFiles files = BootFiles::ForConfiguration(config);
        const QHash<QString, QByteArray> texts = m_tabs->Texts();
        for (auto text = texts.begin(); text != texts.end(); ++text)
            files.SetText(text.key(), text.value());
        m_vm->BootConfiguration(files, tr("Glimra: %1").arg(QFileInfo(config).fileName()));
    } else {
        m_vm->BootDocument(
            m_form.Editor->Bytes(), m_tabs->Current().Folder(), tr("Glimra: %1").arg(m_tabs->Title(m_tabs->Current())));
    }
    ShowImageNotes({});
    statusBar()->showMessage(tr("Building the boot image..."), 5000);
}

// What the image left out or took from Debian: a count in the status bar,
// the list one to a line when it is clicked.
void TGlavna::ShowImageNotes(const QStringList& notes)
{
    m_imageNotes = notes;
    m_imageNotes.removeDuplicates(); // a file named twice is left out once
    m_form.ImageNotes->setText(m_imageNotes.size() == 1 ? tr("1 note on the boot image")
                                                        : tr("%1 notes on the boot image").arg(m_imageNotes.size()));
    m_form.ImageNotes->setVisible(!m_imageNotes.isEmpty());
}

void TGlavna::ImageNotesClick()
{
    QMessageBox box(QMessageBox::Information, tr("Information"), tr("The boot image in the virtual machine:"),
        QMessageBox::Ok, this);
    box.setInformativeText(QStringLiteral("\u2022 ") + m_imageNotes.join(QStringLiteral("\n\u2022 ")));
    box.setTextInteractionFlags(Qt::TextSelectableByMouse);
    box.exec();
}
