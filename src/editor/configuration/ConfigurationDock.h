#pragma once

#include "config/BootConfig.h"
#include "config/ConfigSet.h"
#include "config/LoaderVersion.h"
#include "config/MenuConfig.h"
#include "config/PxeClient.h"
#include "lint/ConfigLinter.h"
#include "sim/BootOutcome.h"

#include <QDockWidget>

class QTreeWidget;
class QTreeWidgetItem;

// The Configuration dock: the files of the open boot configuration (it and
// its INCLUDEs, the DISPLAY files, each F-key's file, each menu module that
// UI, DEFAULT or a label runs with the files it reads, the configurations
// CONFIG leads to), what it SAYs, its PROMPT, TIMEOUT and DEFAULT, its
// labels, and for each menu module its menus as a tree with their hidden,
// disabled and default entries. A missing file is marked. Activating an entry asks for its file
// at its line.
class ConfigurationDock : public QDockWidget {
    Q_OBJECT

public:
    explicit ConfigurationDock(QWidget* parent = nullptr);

    // The loader played is a row of the settings.
    void Show(const BootFiles& files, const BootConfig& config, const LoaderVersion& loader);
    // After Show, for a pxelinux.cfg/ configuration: the client and each
    // name PXELINUX asks for in its order, whether it is there, which loads.
    // What the UEFI side (the GRUB menu every export carries) does not do
    // as this side does, and where the tree's own grub.cfg differs.
    void ShowUefiSide(const std::vector<FileProblem>& findings);
    void ShowPxeClient(const PxeClient& client, const std::vector<PxeCandidate>& candidates);
    // After Show: what the loader boots left to itself, and the exact
    // command line its kernel gets.
    void ShowBoot(const BootOutcome& outcome);
    QTreeWidget* Tree() const { return m_tree; }
    // The entry column as wide as its texts, leaving the values room.
    void FitColumns();

    // Wide enough for an entry and its value side by side.
    static constexpr int PreferredWidth = 420;

signals:
    void FileChosen(const QString& file, int line);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    QTreeWidgetItem* Group(const QString& title);
    void AddFiles(const BootConfig& config, const std::vector<MenuRun>& runs, const QByteArray& path);
    void AddSettings(const BootConfig& config, const LoaderVersion& loader);
    void AddFile(QTreeWidgetItem* group, const QString& role, const QByteArray& imagePath, const ConfigPlace& place);
    void AddMenu(QTreeWidgetItem* parent, const MenuConfig& menus, int menu, int depth);
    void AddPlace(QTreeWidgetItem* item, const ConfigPlace& place);

    QTreeWidget* m_tree;
    const BootFiles* m_files = nullptr;
};
