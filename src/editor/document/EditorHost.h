#pragma once

#include <QString>

#include <functional>

class DocumentTabs;
class QAction;
class QMainWindow;
class QWidget;

// All that a feature (the configuration, the drawing mode, the checks) may
// ask of the main window: the open documents, a place in its menus, a word
// in its status bar, the caret labels, and the editor's place for a view of
// its own. A feature never reaches the window's controls, and follows a
// Document, not the editor that shows it.
class EditorHost {
public:
    // Where a feature's entries go in the menus, each after those added to
    // that place before it.
    enum class Place {
        FileExchange, // after Save As: the document to or from another kind of file
        ViewScreens, // after Run Configuration: other ways of seeing the screen
        ViewDocks, // before Problems: the docks
        FileNew, // after New: other ways of starting a document
        Help, // the Help menu, after the guide
    };
    // The Edit menu's commands, which go to a view shown in the editor's place.
    enum class EditCommand { Undo, Redo, Cut, Copy, Paste, SelectAll };
    // A feature's view of the shown document in the editor's place; the
    // editor holds still behind it.
    struct View {
        QWidget* widget = nullptr;
        std::function<void(EditCommand)> edit;
        // Text from the character table or Insert ASCII.
        std::function<void(const QString&)> insert;
        // A colour picked in a selector, or both by Insert Color Command.
        std::function<void(bool foreground, bool background)> colour;
    };

    // The window, as the parent of a feature's dialogs and docks.
    virtual QMainWindow& Window() = 0;
    virtual DocumentTabs& Documents() = 0;
    // A menu entry (a submenu by its menuAction) in its place.
    virtual void AddAction(Place place, QAction* action) = 0;
    // A message in the status bar for a while; an empty one clears it.
    virtual void Say(const QString& message, int milliseconds = 8000) = 0;
    // A lasting part of the status bar, at its right.
    virtual void AddStatus(QWidget* widget) = 0;
    // The caret labels' texts: "X: ..." and "Y: ...".
    virtual void ShowCaret(const QString& column, const QString& line) = 0;
    // A view in the editor's place until ShowInstead(nullptr) brings the
    // editor back; the view is copied.
    virtual void ShowInstead(const View* view) = 0;
    // Gives the keyboard to the document (to the view in its place).
    virtual void FocusDocument() = 0;
    // The selectors' colours as palette indices 0-15.
    virtual int Colour(bool foreground) const = 0;
    virtual void SetColour(bool foreground, int index) = 0;
    // Whether the views follow every edit (View > Live Preview).
    virtual bool FollowsEdits() const = 0;
    // Shows a file at a line: its tab, or a new one (the blank one shown).
    virtual void OpenAt(const QString& file, int line) = 0;
    // Opens a boot configuration as File > Open Configuration does, its file shown.
    virtual void OpenConfiguration(const QString& configFile) = 0;
    // Whether the shown document is a boot configuration (read as one, or
    // looking like one).
    virtual bool ShowsConfiguration() const = 0;

protected:
    ~EditorHost() = default;
};
