// The main window's File menu, edit popup menu, find and replace, and close.
#include "editor/window/Glavna.h"

#include "common/ErrorBox.h"
#include "common/Settings.h"
#include "config/BootConfig.h"
#include "editor/configuration/ConfigurationSession.h"
#include "editor/document/DocumentEdit.h"
#include "editor/document/DocumentFile.h"
#include "editor/document/DocumentTabs.h"
#include "editor/document/EditorErrors.h"
#include "editor/document/FindReplaceDialog.h"
#include "editor/document/LineBreaks.h"
#include "editor/window/RecentFiles.h"
#include "format/DisplayFile.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QSettings>
#include <QStatusBar>
#include <QTextDocument>

namespace {

// Yes is the default unless the answer loses work; Escape answers No.
bool Confirm(QWidget* parent, const QString& question, QMessageBox::StandardButton defaultButton = QMessageBox::Yes,
    const QString& detail = {})
{
    QMessageBox box(
        QMessageBox::Question, TGlavna::tr("Confirm"), question, QMessageBox::Yes | QMessageBox::No, parent);
    box.setDefaultButton(defaultButton);
    box.setInformativeText(detail);
    box.setEscapeButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

QFileDialog* FileDialog(QWidget* parent, QFileDialog::AcceptMode mode, const QStringList& filters)
{
    auto* dialog = new QFileDialog(parent);
    dialog->setAcceptMode(mode);
    dialog->setNameFilters(filters);
    dialog->setFileMode(QFileDialog::AnyFile);
    dialog->setOption(QFileDialog::DontConfirmOverwrite);
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    return dialog;
}

// Each dialog starts in the folder and with the filter it was last used
// with, also in a later run.
QString FolderKey(const QFileDialog& dialog) { return dialog.objectName() + QStringLiteral("/folder"); }

void StartInLastFolder(QFileDialog& dialog)
{
    if (const QString folder = QSettings().value(FolderKey(dialog)).toString(); !folder.isEmpty())
        dialog.setDirectory(folder);
    if (const QString filter = QSettings().value(dialog.objectName() + QStringLiteral("/filter")).toString();
        !filter.isEmpty())
        dialog.selectNameFilter(filter);
}

// The name the dialog accepted, or nothing when cancelled. It is offered
// again the next time.
std::optional<QString> AcceptedName(QFileDialog& dialog)
{
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    // A typed name is used as typed: boot configurations name their screens
    // f1, f2 ... without an extension.
    const QString name = dialog.selectedFiles().front();
    dialog.setDirectory(QFileInfo(name).absolutePath());
    StoreSetting(FolderKey(dialog), QFileInfo(name).absolutePath());
    StoreSetting(dialog.objectName() + QStringLiteral("/filter"), dialog.selectedNameFilter());
    dialog.selectFile(QFileInfo(name).fileName());
    return name;
}

}

bool MayDiscardChanges(QWidget* parent, const QTextDocument& document)
{
    return !document.isModified() || Confirm(parent, TGlavna::tr("Discard unsaved changes?"), QMessageBox::No);
}

QFileDialog& TGlavna::OpenDialog1()
{
    if (!m_openDialog) {
        m_openDialog = FileDialog(this, QFileDialog::AcceptOpen,
            { tr("Text File (*.txt)"), tr("Message File (*.msg)"), tr("All Files (*)") });
        m_openDialog->setObjectName(QStringLiteral("OpenDialog1"));
        m_openDialog->setWindowTitle(tr("Open"));
        StartInLastFolder(*m_openDialog);
    }
    return *m_openDialog;
}

QFileDialog& TGlavna::SaveDialog1()
{
    if (!m_saveDialog) {
        m_saveDialog = FileDialog(this, QFileDialog::AcceptSave,
            { tr("Text File (*.txt)"), tr("Message File (*.msg)"), tr("All Files (*)") });
        // Another file is replaced only when the user says so.
        m_saveDialog->setOption(QFileDialog::DontConfirmOverwrite, false);
        m_saveDialog->setObjectName(QStringLiteral("SaveDialog1"));
        m_saveDialog->setWindowTitle(tr("Save As"));
        StartInLastFolder(*m_saveDialog);
    }
    return *m_saveDialog;
}

FindReplaceDialog& TGlavna::FindDialog(FindReplaceDialog*& dialog, bool withReplace)
{
    if (!dialog) {
        dialog = new FindReplaceDialog(*m_form.Editor, withReplace, this);
        dialog->setObjectName(withReplace ? QStringLiteral("ReplaceDialog1") : QStringLiteral("FindDialog1"));
        connect(dialog, &FindReplaceDialog::Wrapped, this,
            [this](const QString& note) { statusBar()->showMessage(note, 5000); });
    }
    return *dialog;
}

void TGlavna::PopupMenu1Popup(const QPoint& at)
{
    m_form.Undo1->setEnabled(m_form.Editor->document()->isUndoAvailable());
    m_form.Redo1->setEnabled(m_form.Editor->document()->isRedoAvailable());
    m_form.Cut1->setEnabled(m_form.Editor->textCursor().hasSelection());
    m_form.Copy1->setEnabled(m_form.Editor->textCursor().hasSelection());
    m_form.PopupMenu1->popup(m_form.Editor->viewport()->mapToGlobal(at));
}

void TGlavna::New1Click()
{
    if (!MayDiscardChanges(this, *m_form.Editor->document()))
        return;
    m_form.Editor->SetBytes({});
    Document& current = m_tabs->Current();
    current.lfFile = false;
    current.breaksFrom.reset();
    // A new document: no file of the tree reads as this empty text.
    m_tabs->MakeUntitled(current);
    current.savedStamp = {};
    m_tabs->Relabel();
    ShowLineBreaks();
    m_form.Save1->setEnabled(false);
    SetTitle(m_tabs->Title(current));
    if (m_form.LivePreview1->isChecked())
        RefreshLivePreview(); // at once: a new document is no edit to wait out
}

void TGlavna::Open1Click()
{
    if (!MayDiscardChanges(this, *m_form.Editor->document()))
        return;
    if (const std::optional<QString> name = AcceptedName(OpenDialog1()))
        OpenFile(*name);
}

void TGlavna::OpenAtStart(const QString& fileName, const QByteArray& rawName)
{
    RunCommand(this, [&] {
        if (QFile::encodeName(fileName) != rawName)
            throw EFileError(tr("Cannot open file \"%1\". Its name is not valid in the system's encoding")
                                 .arg(QString::fromLocal8Bit(rawName)));
        OpenFile(fileName);
        if (m_tabs->Current().breaksFrom)
            m_configuration->Open(fileName);
    });
}

// A boot configuration by its name, its first directive, or as a file the
// open configuration reads as one.
bool TGlavna::IsConfigurationFile(const QString& fileName, QByteArrayView bytes) const
{
    const QString suffix = QFileInfo(fileName).suffix().toLower();
    return suffix == u"cfg" || suffix == u"conf"
        || LooksLikeBootConfig(bytes.first(std::min<qsizetype>(bytes.size(), 64 * 1024)))
        || m_configuration->HoldsConfiguration(fileName);
}

void TGlavna::OpenFile(const QString& fileName)
{
    // A file open in another tab is shown there: two tabs of one file would
    // each save over the other's work.
    if (Document* open = m_tabs->Find(fileName); open && open != &m_tabs->Current()) {
        m_tabs->Activate(*open);
        return;
    }
    const QByteArray bytes = DocumentFile::Read(fileName, MemoCapacity);
    const QByteArray text = DisplayFile::NormaliseLineBreaks(bytes);
    if (text.size() > MemoCapacity)
        throw EFileError(tr("Text exceeds memo capacity"));
    m_form.Editor->SetBytes(text);
    m_tabs->Current().lfFile = DisplayFile::OnlyLfBreaks(bytes);
    m_tabs->Current().breaksFrom
        = IsConfigurationFile(fileName, bytes) ? std::optional<QByteArray>(bytes) : std::nullopt;
    ShowLineBreaks();
    m_tabs->Current().savedStamp = FileStamp::Of(fileName);
    m_tabs->Current().saveTarget = fileName;
    m_tabs->Relabel();
    SetTitle(fileName);
    m_form.Save1->setEnabled(true);
    RecentFiles::Add(fileName);
    if (m_form.LivePreview1->isChecked())
        RefreshLivePreview();
}

// "Are you sure?" until the user ticks "Do not ask again".
void TGlavna::Save1Click()
{
    if (QSettings().value(AskBeforeSaveKey, true).toBool()) {
        QMessageBox box(
            QMessageBox::Question, tr("Confirm"), tr("Are you sure?"), QMessageBox::Yes | QMessageBox::No, this);
        box.setDefaultButton(QMessageBox::Yes);
        box.setEscapeButton(QMessageBox::No);
        box.setCheckBox(new QCheckBox(tr("Do not ask again"), &box));
        if (box.exec() != QMessageBox::Yes)
            return;
        if (box.checkBox()->isChecked())
            StoreSetting(AskBeforeSaveKey, false);
    }
    if (MayReplace(m_tabs->Current().saveTarget))
        SaveToFile(m_tabs->Current().saveTarget);
}

// The file saved to becomes the document's: its title, and what Save
// writes next. (The dialog has asked before replacing another file.) A
// file open in another tab is that tab's: replacing it closes the tab, so
// that no two tabs save over each other's work.
void TGlavna::SaveAs1Click()
{
    const std::optional<QString> name = AcceptedName(SaveDialog1());
    if (!name || !MayReplace(*name))
        return;
    Document* other = m_tabs->Find(*name);
    if (other == &m_tabs->Current())
        other = nullptr;
    if (other
        && !Confirm(this,
            tr("\"%1\" is open in another tab. Replace it, and close that tab?").arg(m_tabs->Title(*other)),
            QMessageBox::No, other->Text().isModified() ? tr("Its unsaved changes are lost.") : QString()))
        return;
    SaveToFile(*name);
    if (other)
        m_tabs->Remove(*other);
    Document& current = m_tabs->Current();
    current.saveTarget = *name;
    current.savedStamp = FileStamp::Of(*name);
    m_form.Editor->document()->setModified(false);
    SetTitle(*name);
    m_form.Save1->setEnabled(true);
    m_tabs->Relabel();
}

bool TGlavna::IsSaveTarget(const QString& fileName) const
{
    return !m_tabs->Current().saveTarget.isEmpty() && QFileInfo(fileName) == QFileInfo(m_tabs->Current().saveTarget);
}

// Another program's change to the file the title names is not overwritten
// without a word.
bool TGlavna::MayReplace(const QString& fileName)
{
    if (!IsSaveTarget(fileName) || FileStamp::Of(fileName) == m_tabs->Current().savedStamp)
        return true;
    return Confirm(this, tr("The file was changed by another program since it was opened. Replace it?"));
}

void TGlavna::SaveToFile(const QString& fileName)
{
    Document& current = m_tabs->Current();
    QByteArray bytes = m_form.Editor->Bytes();
    if (current.breaksFrom)
        bytes = LineBreaks::Restore(*current.breaksFrom, bytes);
    else if (m_form.KeepLF1->isChecked() && current.lfFile)
        bytes = DisplayFile::WithLfBreaks(bytes);
    DocumentFile::Write(fileName, bytes);
    if (current.breaksFrom) {
        current.breaksFrom = bytes;
        ShowLineBreaks();
    }
    RecentFiles::Add(fileName);
    if (!IsSaveTarget(fileName))
        return; // Save As elsewhere: the file the title names still differs
    m_tabs->Current().savedStamp = FileStamp::Of(fileName);
    m_form.Editor->document()->setModified(false);
}

void TGlavna::Find1Click()
{
    FindReplaceDialog& dialog = FindDialog(m_findDialog, false);
    dialog.show();
    dialog.raise();
    dialog.activateWindow();
}

// The last search again, or the Find dialog when there was none.
void TGlavna::FindNext1Click()
{
    if (!m_findDialog || !m_findDialog->FindAgain())
        Find1Click();
}

void TGlavna::Replace1Click()
{
    FindReplaceDialog& dialog = FindDialog(m_replaceDialog, true);
    dialog.show();
    dialog.raise();
    dialog.activateWindow();
}

void TGlavna::closeEvent(QCloseEvent* event)
{
    // One question, naming every open document with unsaved changes.
    QStringList unsaved;
    for (const Document* document : m_tabs->Unsaved())
        unsaved << m_tabs->Title(*document);
    const QString detail = unsaved.isEmpty() ? QString() : tr("Unsaved: %1").arg(unsaved.join(QStringLiteral(", ")));
    // Nothing to lose, nothing to ask.
    if (!unsaved.isEmpty() && !Confirm(this, tr("Quit progam (lose unsaved work) ?"), QMessageBox::Yes, detail)) {
        event->ignore();
        return;
    }
    StoreSetting(GeometryKey, saveGeometry());
    event->accept();
}

void TGlavna::FillOpenRecent()
{
    m_form.OpenRecent1->clear();
    for (const QString& file : RecentFiles::List())
        m_form.OpenRecent1->addAction(QDir::toNativeSeparators(file), this, [this, file] { OpenRecent(file); });
    m_form.OpenRecent1->setEnabled(!m_form.OpenRecent1->isEmpty());
}

void TGlavna::OpenRecent(const QString& fileName)
{
    if (!QFileInfo::exists(fileName)) {
        RecentFiles::Remove(fileName);
        QMessageBox::information(this, tr("Information"),
            tr("\"%1\" is no longer there; it is taken off the list.").arg(QDir::toNativeSeparators(fileName)));
        return;
    }
    if (MayDiscardChanges(this, *m_form.Editor->document()))
        RunCommand(this, [&] { OpenFile(fileName); });
}

void TGlavna::OpenDropped(const QString& fileName)
{
    if (MayDiscardChanges(this, *m_form.Editor->document()))
        RunCommand(this, [&] { OpenFile(fileName); });
}

// A configuration's own breaks, which Save keeps; a display file's as Open found them.
void TGlavna::ShowLineBreaks()
{
    const Document& current = m_tabs->Current();
    using Kind = LineBreaks::Kind;
    const Kind kind = current.breaksFrom ? LineBreaks::KindOf(*current.breaksFrom)
        : current.lfFile                 ? Kind::Lf
                                         : Kind::CrLf;
    m_form.LineBreaks->setText(kind == Kind::Lf ? tr("LF")
            : kind == Kind::Cr                  ? tr("CR")
            : kind == Kind::Mixed               ? tr("Mixed line breaks")
                                                : tr("CR LF"));
    m_form.LineBreaks->setToolTip(current.breaksFrom
            ? tr("A configuration is saved with the line breaks its file has, each line its own.")
            : tr("Open makes every line break CR LF; File > Keep LF Line Breaks saves an LF file with LF."));
}

void TGlavna::KeepLF1Click() { StoreSetting(KeepLfKey, m_form.KeepLF1->isChecked()); }
