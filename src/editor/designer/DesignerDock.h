#pragma once

#include "design/MenuDesign.h"

#include <QDockWidget>
#include <QTreeWidget>

#include <optional>

class BackgroundPanel;
class DesignerLook;
class MenuDesigner;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;

// The menus' entries as a tree that takes a drop within one menu as a move.
class DesignerTree : public QTreeWidget {
    Q_OBJECT

public:
    explicit DesignerTree(QWidget* parent = nullptr);

signals:
    void Dropped(const Design::EntryRef& from, int to);

protected:
    void dropEvent(QDropEvent* event) override;
};

// The Menu Designer dock: Entries (the tree of menus and entries with
// their commands, and the chosen entry's properties) and Look (the menu's
// title, colours, layout numbers and messages) and Background (the picture
// as the loader will show it, fitted into the tree). Every control is reached
// by the keyboard; the tree's keys: Insert or Ctrl+N adds, Delete removes,
// F2 renames, Ctrl+Up and Ctrl+Down move.
class DesignerDock : public QDockWidget {
    Q_OBJECT

public:
    DesignerDock(MenuDesigner& designer, QWidget* parent);

    // The model read anew (or none): the tree and the form follow, the
    // chosen entry stays chosen.
    void Show(const Design::MenuDesign* model);
    QTreeWidget* Tree() const { return m_tree; }
    QTabWidget* Pages() const { return m_pages; }
    BackgroundPanel* Background() const { return m_background; }
    void Select(const Design::EntryRef& ref);
    std::optional<Design::EntryRef> Selected() const;
    // The name's field (the title's for entry -1) with its text chosen.
    void EditName(const Design::EntryRef& ref);
    // Why the last change was not made; empty clears it.
    void Say(const QString& message);

private:
    QWidget* CreateEntries();
    QWidget* CreateButtons();
    QWidget* CreateProperties();
    void CreateBackground();
    void ShowBackground();
    void AddCommand(QWidget* to, QPushButton* button, const QKeySequence& keys, const std::function<void()>& act);
    void Fill();
    QTreeWidgetItem* AddMenu(QTreeWidgetItem* parent, int menu, int depth);
    void ShowEntry();
    void Act(const std::function<Design::Change(const Design::MenuDesign&, const Design::EntryRef&)>& act,
        std::optional<Design::EntryRef> then = std::nullopt);
    void SetProperty(Design::Property property, const QByteArray& value);
    void AddFromTemplate(Design::Template kind);
    QTreeWidgetItem* ItemOf(const Design::EntryRef& ref) const;

    MenuDesigner& m_designer;
    const Design::MenuDesign* m_model = nullptr;
    QTabWidget* m_pages;
    DesignerTree* m_tree = nullptr;
    QLabel* m_message = nullptr;
    QMenu* m_templates = nullptr;
    QLineEdit* m_label = nullptr;
    QLineEdit* m_menuLabel = nullptr;
    QLabel* m_hotkeyNote = nullptr;
    QLineEdit* m_kernel = nullptr;
    QLineEdit* m_append = nullptr;
    QLineEdit* m_initrd = nullptr;
    QPlainTextEdit* m_help = nullptr;
    QLineEdit* m_password = nullptr;
    DesignerLook* m_look = nullptr;
    BackgroundPanel* m_background = nullptr;
    bool m_filling = false;
};
