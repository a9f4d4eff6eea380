#include "editor/widgets/DockEntry.h"

#include <QAction>
#include <QApplication>
#include <QDockWidget>

void ReachDock(QAction* entry, QDockWidget* dock, QWidget* inside, std::function<void()> back)
{
    entry->setCheckable(true);
    QObject::connect(
        dock, &QDockWidget::visibilityChanged, entry, [entry, dock] { entry->setChecked(!dock->isHidden()); });
    QObject::connect(entry, &QAction::triggered, dock, [entry, dock, inside, back = std::move(back)] {
        if (!dock->isHidden() && dock->isAncestorOf(QApplication::focusWidget())) {
            dock->hide();
            back();
        } else {
            dock->show();
            dock->raise();
            inside->setFocus(Qt::ShortcutFocusReason);
        }
        entry->setChecked(!dock->isHidden());
    });
}
