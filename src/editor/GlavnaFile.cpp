// The main window's File menu, edit popup menu, find and replace, and close.
#include "Glavna.h"

#include "DocumentEdit.h"
#include "DocumentFile.h"
#include "EditorErrors.h"
#include "FindReplaceDialog.h"
#include "format/DisplayFile.h"

#include <QCloseEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>
#include <QMessageBox>
#include <QRegularExpression>

namespace {

// Yes is the default; Escape answers No.
bool Confirm(QWidget* parent, const QString& question)
{
    QMessageBox box(
        QMessageBox::Question, TGlavna::tr("Confirm"), question, QMessageBox::Yes | QMessageBox::No, parent);
    box.setDefaultButton(QMessageBox::Yes);
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

// A name as typed when that file exists (boot help files are often called
// f1, f2 ...); a name without extension that is not there takes the chosen
// filter's extension.
QString ResolvedName(const QFileDialog& dialog, const QString& typed)
{
    const QFileInfo file(typed);
    if (file.exists() || !file.suffix().isEmpty())
        return typed;
    static const QRegularExpression extension(QStringLiteral("\\*\\.(\\w+)"));
    const QRegularExpressionMatch filter = extension.match(dialog.selectedNameFilter());
    return filter.hasMatch() ? typed + u'.' + filter.captured(1) : typed;
}

// The name the dialog accepted, or nothing when cancelled. It is offered
// again the next time.
std::optional<QString> AcceptedName(QFileDialog& dialog)
{
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    const QString name = ResolvedName(dialog, dialog.selectedFiles().front());
    dialog.setDirectory(QFileInfo(name).absolutePath());
    dialog.selectFile(QFileInfo(name).fileName());
    return name;
}

}

QFileDialog& TGlavna::OpenDialog1()
{
    if (!m_openDialog) {
        m_openDialog = FileDialog(this, QFileDialog::AcceptOpen,
            { tr("Text File (*.txt)"), tr("Message File (*.msg)"), tr("All Files (*)") });
        m_openDialog->setObjectName(QStringLiteral("OpenDialog1"));
        m_openDialog->setWindowTitle(tr("Open"));
    }
    return *m_openDialog;
}

QFileDialog& TGlavna::SaveDialog1()
{
    if (!m_saveDialog) {
        m_saveDialog
            = FileDialog(this, QFileDialog::AcceptSave, { tr("Text File (*.txt)"), tr("Message File (*.msg)") });
        m_saveDialog->setObjectName(QStringLiteral("SaveDialog1"));
        m_saveDialog->setWindowTitle(tr("Save As"));
    }
    return *m_saveDialog;
}

FindReplaceDialog& TGlavna::FindDialog(FindReplaceDialog*& dialog, bool withReplace)
{
    if (!dialog) {
        dialog = new FindReplaceDialog(*m_form.Editor, withReplace, this);
        dialog->setObjectName(withReplace ? QStringLiteral("ReplaceDialog1") : QStringLiteral("FindDialog1"));
    }
    return *dialog;
}

void TGlavna::PopupMenu1Popup(const QPoint& at)
{
    m_form.Undo1->setEnabled(m_form.Editor->document()->isUndoAvailable());
    m_form.Cut1->setEnabled(m_form.Editor->textCursor().hasSelection());
    m_form.Copy1->setEnabled(m_form.Editor->textCursor().hasSelection());
    m_form.PopupMenu1->popup(m_form.Editor->viewport()->mapToGlobal(at));
}

void TGlavna::New1Click()
{
    m_form.Editor->SetBytes({});
    m_form.Save1->setEnabled(false);
    setWindowTitle(tr("Untitled"));
}

void TGlavna::Open1Click()
{
    if (const std::optional<QString> name = AcceptedName(OpenDialog1()))
        OpenFile(*name);
}

void TGlavna::OpenFile(const QString& fileName)
{
    const QByteArray bytes = DocumentFile::Read(fileName);
    const QByteArray text = DisplayFile::NormaliseLineBreaks(bytes);
    if (text.size() > MemoCapacity)
        throw EFileError(tr("Text exceeds memo capacity"));
    m_form.Editor->SetBytes(text);
    m_saveTarget = fileName;
    setWindowTitle(fileName);
    m_form.Save1->setEnabled(true);
}

void TGlavna::Save1Click()
{
    if (Confirm(this, tr("Are you sure?")))
        SaveToFile(m_saveTarget);
}

void TGlavna::SaveAs1Click()
{
    if (const std::optional<QString> name = AcceptedName(SaveDialog1()))
        SaveToFile(*name);
}

void TGlavna::SaveToFile(const QString& fileName) { DocumentFile::Write(fileName, m_form.Editor->Bytes()); }

void TGlavna::Find1Click()
{
    FindReplaceDialog& dialog = FindDialog(m_findDialog, false);
    dialog.show();
    dialog.raise();
    dialog.activateWindow();
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
    if (Confirm(this, tr("Quit progam (lose unsaved work) ?")))
        event->accept();
    else
        event->ignore();
}
