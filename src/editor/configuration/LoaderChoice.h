#pragma once

#include "config/LoaderDetection.h"
#include "editor/document/EditorHost.h"

#include <QObject>

class QActionGroup;
class QLabel;
class QMenu;

// Which build the open configuration is played as: the tree's own loader
// (View > Loader Version > From the Tree) or a build the user chose for a
// tree that gets its loader later, remembered per tree by its root folder.
// Said in the status bar.
class LoaderChoice : public QObject {
    Q_OBJECT

public:
    explicit LoaderChoice(EditorHost& host);

    // The tree read (again): its root folder on disk and what its files say.
    void SetTree(const QString& root, const LoaderDetection& detection);
    // No configuration open: the status bar says nothing of a loader.
    void Clear();
    // The build played: the chosen one, else the tree's (Debian's when it ships none).
    LoaderVersion Loader() const;

    // The settings key that holds a tree's choice.
    static QString SettingsKey(const QString& root);

signals:
    void Changed();

private:
    void Choose(int known); // -1: from the tree
    void ShowChoice();

    QMenu* m_menu;
    QActionGroup* m_group;
    QLabel* m_status;
    QString m_root;
    LoaderVersion m_detected;
    int m_chosen = -1; // an index of LoaderVersion::Known(), or -1
};
