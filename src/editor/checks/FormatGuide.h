#pragma once

#include <QDialog>
#include <QList>
#include <QStringList>

#include <vector>

class QAction;

// Help > Display File Format: a guide to the codes of a display file, the
// screen, how the boot loader differs from the preview, the problems the
// editor reports and the keyboard shortcuts, listed from the actions
// themselves so that the list cannot go stale. Not modal.
class FormatGuide : public QDialog {
    Q_OBJECT

public:
    FormatGuide(const QList<QAction*>& actions, QWidget* parent = nullptr);

    struct Shortcut {
        QStringList keys; // as the desktop writes them
        QString name; // the action's, without its accelerator
    };
    // The window's actions: its menus' in menu order, then the others.
    static QList<QAction*> ActionsOf(const QWidget& window);
    // Each action with a shortcut, in the order given.
    static std::vector<Shortcut> Shortcuts(const QList<QAction*>& actions);
};
