#include "editor/document/FindReplaceDialog.h"

#include "common/ErrorBox.h"
#include "common/Named.h"
#include "format/Cp437.h"

#include "editor/document/DocumentEdit.h"
#include <QApplication>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTextDocument>

FindReplaceDialog::FindReplaceDialog(DocumentEdit& editor, bool withReplace, QWidget* parent)
    : QDialog(parent)
    , m_editor(editor)
{
    setWindowTitle(withReplace ? tr("Replace") : tr("Find"));
    setModal(false);
    setAttribute(Qt::WA_QuitOnClose, false);
    m_form.SetUp(*this, withReplace);
    WireHandlers();
}

void FindReplaceDialog::Form::SetUp(QDialog& dialog, bool withReplace)
{
    auto* grid = new QGridLayout(&dialog);
    // Each label names its field, whose key (Alt and the underlined letter) it shows.
    const auto labelled = [&](const QString& caption, QLineEdit* field, int row) {
        auto* label = new QLabel(caption, &dialog);
        label->setBuddy(field);
        grid->addWidget(label, row, 0);
        grid->addWidget(field, row, 1);
    };
    FindWhat = Named(new QLineEdit(&dialog), "FindWhat");
    labelled(tr("Fi&nd what:"), FindWhat, 0);
    if (withReplace) {
        ReplaceWith = Named(new QLineEdit(&dialog), "ReplaceWith");
        labelled(tr("Re&place with:"), ReplaceWith, 1);
    }
    MatchCase = Named(new QCheckBox(tr("Match &case"), &dialog), "MatchCase");
    WholeWord = Named(new QCheckBox(tr("Match &whole word only"), &dialog), "WholeWord");
    grid->addWidget(WholeWord, 2, 0, 1, 2);
    grid->addWidget(MatchCase, 3, 0, 1, 2);
    auto* direction = new QGroupBox(tr("Direction"), &dialog);
    auto* directionLayout = new QHBoxLayout(direction);
    Up = Named(new QRadioButton(tr("&Up"), direction), "Up");
    Down = Named(new QRadioButton(tr("&Down"), direction), "Down");
    Down->setChecked(true);
    directionLayout->addWidget(Up);
    directionLayout->addWidget(Down);
    grid->addWidget(direction, 4, 0, 1, 2);

    auto* buttons = new QVBoxLayout;
    FindNext = Named(new QPushButton(tr("&Find Next"), &dialog), "FindNext");
    FindNext->setDefault(true);
    buttons->addWidget(FindNext);
    if (withReplace) {
        Replace = Named(new QPushButton(tr("&Replace"), &dialog), "Replace");
        ReplaceAll = Named(new QPushButton(tr("Replace &All"), &dialog), "ReplaceAll");
        buttons->addWidget(Replace);
        buttons->addWidget(ReplaceAll);
    }
    Cancel = Named(new QPushButton(tr("Cancel"), &dialog), "Cancel");
    buttons->addWidget(Cancel);
    buttons->addStretch();
    grid->addLayout(buttons, 0, 2, 5, 1);
}

void FindReplaceDialog::WireHandlers()
{
    connect(m_form.FindNext, &QPushButton::clicked, this, [this] { RunCommand(this, [this] { FindNext(); }); });
    if (m_form.Replace) {
        connect(m_form.Replace, &QPushButton::clicked, this, [this] { RunCommand(this, [this] { ReplaceOne(); }); });
        connect(m_form.ReplaceAll, &QPushButton::clicked, this, [this] { RunCommand(this, [this] { ReplaceAll(); }); });
    }
    connect(m_form.Cancel, &QPushButton::clicked, this, &QDialog::close);
}

static QTextDocument::FindFlags FlagsOf(const QCheckBox* matchCase, const QCheckBox* wholeWord, bool backward)
{
    QTextDocument::FindFlags flags;
    if (matchCase->isChecked())
        flags |= QTextDocument::FindCaseSensitively;
    if (wholeWord->isChecked())
        flags |= QTextDocument::FindWholeWords;
    if (backward)
        flags |= QTextDocument::FindBackward;
    return flags;
}

void FindReplaceDialog::NotFound()
{
    QMessageBox::information(
        this, QApplication::applicationDisplayName(), tr("Cannot find \"%1\"").arg(m_form.FindWhat->text()));
}

bool FindReplaceDialog::FindAgain()
{
    if (m_form.FindWhat->text().isEmpty())
        return false;
    FindNext();
    return true;
}

bool FindReplaceDialog::FindNext()
{
    if (m_form.FindWhat->text().isEmpty())
        return false;
    const bool up = m_form.Up->isChecked();
    const QTextDocument::FindFlags flags = FlagsOf(m_form.MatchCase, m_form.WholeWord, up);
    QTextCursor found = m_editor.document()->find(m_form.FindWhat->text(), m_editor.textCursor(), flags);
    if (found.isNull()) {
        // On from the other end of the document, as editors do.
        QTextCursor end(m_editor.document());
        if (up)
            end.movePosition(QTextCursor::End);
        found = m_editor.document()->find(m_form.FindWhat->text(), end, flags);
        if (found.isNull()) {
            NotFound();
            return false;
        }
        emit Wrapped(up ? tr("Search reached the start of the document and went on from the end.")
                        : tr("Search reached the end of the document and went on from the start."));
    }
    m_editor.setTextCursor(found);
    return true;
}

bool FindReplaceDialog::SelectionMatches() const
{
    const QTextCursor selection = m_editor.textCursor();
    if (!selection.hasSelection())
        return false;
    QTextCursor from = selection;
    from.setPosition(selection.selectionStart());
    const QTextCursor found
        = m_editor.document()->find(m_form.FindWhat->text(), from, FlagsOf(m_form.MatchCase, m_form.WholeWord, false));
    return !found.isNull() && found.selectionStart() == selection.selectionStart()
        && found.selectionEnd() == selection.selectionEnd();
}

bool FindReplaceDialog::ReplacementRepresentable()
{
    const QString unmappable = Cp437::EncodeDocument(m_form.ReplaceWith->text()).unmappable;
    if (unmappable.isEmpty())
        return true;
    QMessageBox::information(this, QApplication::applicationDisplayName(),
        tr("The replacement holds characters that have no code on the PC screen: %1").arg(unmappable));
    return false;
}

void FindReplaceDialog::ReplaceOne()
{
    if (!ReplacementRepresentable())
        return;
    if (SelectionMatches()) {
        QTextCursor selection = m_editor.textCursor();
        m_editor.ReplaceSelection(selection, m_form.ReplaceWith->text());
        m_editor.setTextCursor(selection);
    }
    FindNext();
}

int FindReplaceDialog::ReplaceAll()
{
    if (m_form.FindWhat->text().isEmpty() || !ReplacementRepresentable())
        return 0;
    const QTextDocument::FindFlags flags = FlagsOf(m_form.MatchCase, m_form.WholeWord, false);
    // One edit block: Undo takes the whole replacement back at once.
    QTextCursor edit(m_editor.document());
    edit.beginEditBlock();
    int replaced = 0;
    for (QTextCursor found = m_editor.document()->find(m_form.FindWhat->text(), 0, flags); !found.isNull();
         found = m_editor.document()->find(m_form.FindWhat->text(), found, flags)) {
        m_editor.ReplaceSelection(found, m_form.ReplaceWith->text());
        ++replaced;
    }
    edit.endEditBlock();
    if (replaced == 0)
        NotFound();
    return replaced;
}
