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

namespace {

// Yes is the default; Escape answers No.
bool Confirm(QWidget* parent, const QString& question)
{
    QMessageBox box(QMessageBox::Question, QStringLiteral("Confirm"), question, QMessageBox::Yes | QMessageBox::No, parent);
    box.setDefaultButton(QMessageBox::Yes);
    box.setEscapeButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

QFileDialog* FileDialog(QWidget* parent, QFileDialog::AcceptMode mode, const QStringList& filters)
{
    auto* dialog = new QFileDialog(parent);
    dialog->setAcceptMode(mode);
    dialog->setNameFilters(filters);
    dialog->setDefaultSuffix(QStringLiteral("txt"));
    dialog->setFileMode(QFileDialog::AnyFile);
    dialog->setOption(QFileDialog::DontConfirmOverwrite);
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    return dialog;
}

// The name the dialog accepted, or nothing when cancelled. It is offered
// again the next time.
std::optional<QString> AcceptedName(QFileDialog& dialog)
{
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    const QString name = dialog.selectedFiles().front();
    dialog.setDirectory(QFileInfo(name).absolutePath());
    dialog.selectFile(QFileInfo(name).fileName());
    return name;
}

}

void TGlavna::CreateDialogs()
{
    OpenDialog1 = FileDialog(this, QFileDialog::AcceptOpen,
        { QStringLiteral("Text File (*.txt)"), QStringLiteral("Message File (*.msg)"), QStringLiteral("All Files (*)") });
    OpenDialog1->setWindowTitle(QStringLiteral("Open"));
    SaveDialog1 = FileDialog(this, QFileDialog::AcceptSave,
        { QStringLiteral("Text File (*.txt)"), QStringLiteral("Message File (*.msg)") });
    SaveDialog1->setWindowTitle(QStringLiteral("Save As"));
    FindDialog1 = new FindReplaceDialog(*Editor, false, this);
    ReplaceDialog1 = new FindReplaceDialog(*Editor, true, this);
}

void TGlavna::CreateEditMenu()
{
    PopupMenu1 = new QMenu(Editor);
    // The editor handles these keys itself; the menu shows them.
    auto add = [this](const QString& caption, QKeySequence keys, auto handler) {
        QAction* action = PopupMenu1->addAction(caption, Editor, handler);
        action->setShortcut(keys);
        action->setShortcutVisibleInContextMenu(true);
        action->setShortcutContext(Qt::WidgetShortcut);
        return action;
    };
    QAction* undo = add(QStringLiteral("&Undo"), QKeySequence::Undo, [this] { Editor->undo(); });
    QAction* cut = add(QStringLiteral("Cu&t"), QKeySequence::Cut, [this] { Editor->cut(); });
    QAction* copy = add(QStringLiteral("&Copy"), QKeySequence::Copy, [this] { Editor->copy(); });
    add(QStringLiteral("&Paste"), QKeySequence::Paste, [this] { Editor->paste(); });
    PopupMenu1->addAction(QStringLiteral("&Find..."), this, &TGlavna::Find1Click);
    PopupMenu1->addAction(QStringLiteral("R&eplace..."), this, &TGlavna::Replace1Click);
    Editor->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(Editor, &QWidget::customContextMenuRequested, this, [=, this](const QPoint& at) {
        undo->setEnabled(Editor->document()->isUndoAvailable());
        cut->setEnabled(Editor->textCursor().hasSelection());
        copy->setEnabled(Editor->textCursor().hasSelection());
        PopupMenu1->popup(Editor->viewport()->mapToGlobal(at));
    });
}

void TGlavna::New1Click()
{
    Editor->SetBytes({});
    Save1->setEnabled(false);
    setWindowTitle(QStringLiteral("Untitled"));
}

void TGlavna::Open1Click()
{
    if (const std::optional<QString> name = AcceptedName(*OpenDialog1))
        OpenFile(*name);
}

void TGlavna::OpenFile(const QString& fileName)
{
    const QByteArray bytes = DocumentFile::Read(fileName);
    // The editor cannot keep NUL: refuse the file rather than cut it short,
    // so no later Save writes back less than was there.
    if (const qsizetype nul = DisplayFile::FirstNul(bytes); nul >= 0)
        throw EFileError(QStringLiteral("Cannot open file \"%1\". It holds a NUL byte at offset %2, which the "
                                        "editor cannot keep; nothing was loaded")
                             .arg(fileName)
                             .arg(nul));
    const QByteArray text = DisplayFile::NormaliseLineBreaks(bytes);
    if (text.size() > MemoCapacity)
        throw EFileError(QStringLiteral("Text exceeds memo capacity"));
    Editor->SetBytes(text);
    m_saveTarget = fileName;
    setWindowTitle(fileName);
    Save1->setEnabled(true);
}

void TGlavna::Save1Click()
{
    if (Confirm(this, QStringLiteral("Are you sure?")))
        SaveToFile(m_saveTarget);
}

void TGlavna::SaveAs1Click()
{
    if (const std::optional<QString> name = AcceptedName(*SaveDialog1))
        SaveToFile(*name);
}

void TGlavna::SaveToFile(const QString& fileName) { DocumentFile::Write(fileName, Editor->Bytes()); }

void TGlavna::Find1Click()
{
    FindDialog1->show();
    FindDialog1->raise();
    FindDialog1->activateWindow();
}

void TGlavna::Replace1Click()
{
    ReplaceDialog1->show();
    ReplaceDialog1->raise();
    ReplaceDialog1->activateWindow();
}

void TGlavna::closeEvent(QCloseEvent* event)
{
    if (Confirm(this, QStringLiteral("Quit progam (lose unsaved work) ?")))
        event->accept();
    else
        event->ignore();
}
