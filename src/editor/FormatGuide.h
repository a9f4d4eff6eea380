#pragma once

#include <QDialog>
#include <QList>

class QAction;

// Help > Display File Format: a guide to the codes of a display file, the
// screen, how the boot loader differs from the preview, the problems the
// editor reports and the keyboard shortcuts, listed from the actions
// themselves so that the list cannot go stale. Not modal.
class FormatGuide : public QDialog {
    Q_OBJECT

public:
    FormatGuide(const QList<QAction*>& actions, QWidget* parent = nullptr);

    // One table row for each action with a shortcut: its keys, its name.
    static QString ShortcutRows(const QList<QAction*>& actions);
};
