// The main window as the features' host: its menus' places, the status
// bar, the caret labels, the selectors, and the editor's place, which a
// feature's view may take.
#include "editor/document/DocumentEdit.h"
#include "editor/document/DocumentTabs.h"
#include "editor/widgets/ColourSelector.h"
#include "editor/widgets/FormStretch.h"
#include "editor/window/Glavna.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QStatusBar>

void TGlavna::AddAction(Place place, QAction* action)
{
    if (place == Place::Help)
        return qobject_cast<QMenu*>(m_form.FormatGuide1->parent())->addAction(action);
    if (place == Place::FileNew)
        return qobject_cast<QMenu*>(m_form.Open1->parent())->insertAction(m_form.Open1, action);
    QAction* before = place == Place::FileExchange ? m_form.FileExchangeEnd
        : place == Place::ViewScreens              ? m_form.ViewScreensEnd
                                                   : m_form.Problems1;
    qobject_cast<QMenu*>(before->parent())->insertAction(before, action);
}

void TGlavna::Say(const QString& message, int milliseconds)
{
    if (message.isEmpty())
        statusBar()->clearMessage();
    else
        statusBar()->showMessage(message, milliseconds);
}

void TGlavna::AddStatus(QWidget* widget) { statusBar()->addPermanentWidget(widget); }

void TGlavna::ShowCaret(const QString& column, const QString& line)
{
    m_form.kooX->setText(column);
    m_form.kooY->setText(line);
}

// The view takes the editor's place and keeps it when a tab bar moves the
// editor; whatever gives the document the focus (a dialog closing) gives
// it the view.
void TGlavna::ShowInstead(const View* view)
{
    DocumentEdit& editor = *m_form.Editor;
    if (m_view && (!view || view->widget != m_view->widget))
        m_view->widget->hide();
    if (!view) {
        m_view.reset();
        editor.setReadOnly(false);
        editor.setFocusProxy(nullptr);
        editor.show();
        editor.setFocus();
        UpdateCaretLabels();
        return;
    }
    m_view = *view;
    if (view->widget->parentWidget() != editor.parentWidget()) {
        view->widget->setParent(editor.parentWidget());
        m_form.Stretch->AddToArea(view->widget);
    }
    view->widget->setGeometry(editor.geometry());
    editor.setReadOnly(true);
    editor.setFocusProxy(view->widget);
    editor.hide();
    view->widget->show();
    view->widget->setFocus();
}

void TGlavna::FocusDocument() { m_form.Editor->setFocus(); }

int TGlavna::Colour(bool foreground) const { return (foreground ? m_form.GroupFG : m_form.groupBG)->ItemIndex(); }

void TGlavna::SetColour(bool foreground, int index)
{
    (foreground ? m_form.GroupFG : m_form.groupBG)->SetItemIndex(index);
}

bool TGlavna::FollowsEdits() const { return m_form.LivePreview1->isChecked(); }

void TGlavna::Edit(EditCommand command)
{
    if (m_view && m_view->edit) {
        m_view->edit(command);
        return;
    }
    DocumentEdit& editor = *m_form.Editor;
    switch (command) {
    case EditCommand::Undo: editor.undo(); break;
    case EditCommand::Redo: editor.redo(); break;
    case EditCommand::Cut: editor.Cut(); break;
    case EditCommand::Copy: editor.copy(); break;
    case EditCommand::Paste: editor.paste(); break;
    case EditCommand::SelectAll: editor.selectAll(); break;
    }
}

void TGlavna::ColourPicked(bool foreground)
{
    if (m_view && m_view->colour)
        m_view->colour(foreground, !foreground);
}
