#include "FindReplaceDialog.h"

#include "format/Cp437.h"

#include <QApplication>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTextDocument>

namespace {

template <typename Widget> Widget* Named(Widget* widget, const char* name)
{
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

}

FindReplaceDialog::FindReplaceDialog(QPlainTextEdit& editor, bool withReplace, QWidget* parent)
    : QDialog(parent)
    , m_editor(editor)
{
    setWindowTitle(withReplace ? tr("Replace") : tr("Find"));
    setModal(false);
    setAttribute(Qt::WA_QuitOnClose, false);
    auto* grid = new QGridLayout(this);
    FindWhat = Named(new QLineEdit(this), "FindWhat");
    grid->addWidget(new QLabel(tr("Fi&nd what:"), this), 0, 0);
    grid->addWidget(FindWhat, 0, 1);
    if (withReplace) {
        ReplaceWith = Named(new QLineEdit(this), "ReplaceWith");
        grid->addWidget(new QLabel(tr("Re&place with:"), this), 1, 0);
        grid->addWidget(ReplaceWith, 1, 1);
    }
    MatchCase = Named(new QCheckBox(tr("Match &case"), this), "MatchCase");
    WholeWord = Named(new QCheckBox(tr("Match &whole word only"), this), "WholeWord");
    grid->addWidget(WholeWord, 2, 0, 1, 2);
    grid->addWidget(MatchCase, 3, 0, 1, 2);
    auto* direction = new QGroupBox(tr("Direction"), this);
    auto* directionLayout = new QHBoxLayout(direction);
    Up = Named(new QRadioButton(tr("&Up"), direction), "Up");
    Down = Named(new QRadioButton(tr("&Down"), direction), "Down");
    Down->setChecked(true);
    directionLayout->addWidget(Up);
    directionLayout->addWidget(Down);
    grid->addWidget(direction, 4, 0, 1, 2);

    auto* buttons = new QVBoxLayout;
    auto* findNext = Named(new QPushButton(tr("&Find Next"), this), "FindNext");
    findNext->setDefault(true);
    connect(findNext, &QPushButton::clicked, this, [this] { FindNext(); });
    buttons->addWidget(findNext);
    if (withReplace) {
        auto* replace = Named(new QPushButton(tr("&Replace"), this), "Replace");
        connect(replace, &QPushButton::clicked, this, &FindReplaceDialog::ReplaceOne);
        auto* replaceAll = Named(new QPushButton(tr("Replace &All"), this), "ReplaceAll");
        connect(replaceAll, &QPushButton::clicked, this, [this] { ReplaceAll(); });
        buttons->addWidget(replace);
        buttons->addWidget(replaceAll);
    }
    auto* cancel = Named(new QPushButton(tr("Cancel"), this), "Cancel");
    connect(cancel, &QPushButton::clicked, this, &QDialog::close);
    buttons->addWidget(cancel);
    buttons->addStretch();
    grid->addLayout(buttons, 0, 2, 5, 1);
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
        this, QApplication::applicationDisplayName(), tr("Cannot find \"%1\"").arg(FindWhat->text()));
}

bool FindReplaceDialog::FindNext()
{
    if (FindWhat->text().isEmpty())
        return false;
    const QTextCursor found = m_editor.document()->find(
        FindWhat->text(), m_editor.textCursor(), FlagsOf(MatchCase, WholeWord, Up->isChecked()));
    if (found.isNull()) {
        NotFound();
        return false;
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
    const QTextCursor found = m_editor.document()->find(FindWhat->text(), from, FlagsOf(MatchCase, WholeWord, false));
    return !found.isNull() && found.selectionStart() == selection.selectionStart()
        && found.selectionEnd() == selection.selectionEnd();
}

bool FindReplaceDialog::ReplacementRepresentable()
{
    const QString unmappable = Cp437::EncodeDocument(ReplaceWith->text()).unmappable;
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
    if (SelectionMatches())
        m_editor.textCursor().insertText(ReplaceWith->text());
    FindNext();
}

int FindReplaceDialog::ReplaceAll()
{
    if (FindWhat->text().isEmpty() || !ReplacementRepresentable())
        return 0;
    const QTextDocument::FindFlags flags = FlagsOf(MatchCase, WholeWord, false);
    // One edit block: Undo takes the whole replacement back at once.
    QTextCursor edit(m_editor.document());
    edit.beginEditBlock();
    int replaced = 0;
    for (QTextCursor found = m_editor.document()->find(FindWhat->text(), 0, flags); !found.isNull();
         found = m_editor.document()->find(FindWhat->text(), found, flags)) {
        found.insertText(ReplaceWith->text());
        ++replaced;
    }
    edit.endEditBlock();
    if (replaced == 0)
        NotFound();
    return replaced;
}
