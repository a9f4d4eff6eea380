#pragma once

#include "design/MenuDesign.h"
#include "editor/document/EditorHost.h"

#include <QObject>
#include <QTimer>

#include <functional>
#include <memory>
#include <optional>

class DesignerDock;

// View > Menu Designer: the menu the open configuration runs first, shown
// as the module reads it and changed through its lines. Each change goes
// into the document of the file that holds the lines (opened in its tab
// when it is not), as one step of its undo; a change the designer cannot
// make alone is said and nothing is written. The model follows every edit
// of the open documents.
class MenuDesigner : public QObject {
    Q_OBJECT

public:
    using Operation = std::function<Design::Change(const Design::MenuDesign&)>;

    explicit MenuDesigner(EditorHost& host);
    ~MenuDesigner() override;

    // The configuration to design, or none.
    void SetConfiguration(const QString& configFile);
    const QString& ConfigFile() const { return m_configFile; }
    // The menu as last read (read first when the dock is hidden and edits came since).
    const Design::MenuDesign* Model();
    DesignerDock* Dock() const { return m_dock; }

    // Makes the change, or says why not; true when it was made.
    bool Perform(const Operation& operation);
    // The entry chosen in the designer (from Run Configuration too).
    void Select(const Design::EntryRef& ref);
    std::optional<Design::EntryRef> Selected() const;
    // A double click on the played menu: the entry's name (or with entry
    // -1 the menu's title) ready to be typed over.
    void EditName(const Design::EntryRef& ref);

    // What "Set password…" asks for the text MENU PASSWD is to hold;
    // without it the field's text is written as it stands.
    void SetPasswordSource(std::function<std::optional<QByteArray>()> source) { m_password = std::move(source); }
    const std::function<std::optional<QByteArray>()>& PasswordSource() const { return m_password; }

signals:
    // The designer's choice of entry moved.
    void SelectionMoved(int menu, int entry);
    // A change was written into the documents.
    void Changed();

private:
    void Reload();
    bool Write(const Design::Change& change);

    EditorHost& m_host;
    DesignerDock* m_dock;
    QString m_configFile;
    std::unique_ptr<Design::MenuDesign> m_model;
    std::function<std::optional<QByteArray>()> m_password;
    QTimer m_reload;
    bool m_writing = false;
    bool m_stale = false;
};
