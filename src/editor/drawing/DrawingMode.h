#pragma once

#include "console/qt/GlyphCache.h"
#include "console/qt/QtFonts.h"
#include "editor/document/EditorHost.h"
#include "preview/PreviewConsole.h"
#include "screen/BoxDrawing.h"
#include "screen/Screen.h"

#include <QObject>

#include <optional>
#include <vector>

class Document;
class QAction;
class QActionGroup;
class QMenu;
class ScreenCanvas;

// View > Draw on Screen: the shown document's boot-mode screen as a canvas
// in the editor's place. Every drawing step encodes the whole screen
// canonically and rewrites the document's bytes as one step of its own
// undo, so the text view, the previews, Save and Undo all see one document.
class DrawingMode : public QObject {
    Q_OBJECT

public:
    explicit DrawingMode(EditorHost& host);
    ~DrawingMode() override;

    bool Active() const { return m_active; }
    ScreenCanvas* Canvas() const { return m_canvas; }

    QAction* DrawOnScreen1 = nullptr;
    QAction* SelectTool1 = nullptr;
    QAction* LineTool1 = nullptr;
    QAction* BoxTool1 = nullptr;
    QAction* DoubleLines1 = nullptr;
    QAction* BoxAroundSelection1 = nullptr;
    QAction* PaintSelection1 = nullptr;
    QAction* PromptHere1 = nullptr;

private:
    // The entries: Draw on Screen and the tools' menu, the tools and the
    // commands on the selection, the keys the canvas takes itself.
    void CreateActions();
    QMenu* CreateTools();
    void CreateSelectionCommands(QMenu& tools);
    void CreateCanvasKeys();
    void EnableTools(bool enabled);
    void Toggle(bool on);
    bool Enter();
    void Leave();
    // The document's bytes drawn again onto the canvas.
    void Refresh();
    void GiveCanvasRoom();
    // Asks before a document that is not in canonical form is rewritten.
    bool MayRewrite();
    // A new screen for the document; false (and a word in the status bar)
    // when the loader could not show it.
    bool Step(const Screen& next, std::optional<int> promptRow = {});
    QImage Picture(const QByteArray& bytes, Screen* screen = nullptr, Spot* cursor = nullptr);
    Document& Shown() const;

    // The Edit menu's commands and the selectors, on the canvas.
    void Edit(EditorHost::EditCommand command);
    void Type(const QString& text);
    void Insert(const QString& text);
    void Erase(bool backspace);
    void Paint(bool foreground, bool background);
    void ColourStep(int foreground, int background);
    void Drag(Spot from, Spot to, bool finished);
    void LineStep(Spot from, Spot to);
    void PromptHere();
    void BoxAroundSelection();
    void Copy();
    void Cut();
    void Paste();
    void ShowCursor();

    std::uint8_t Pen() const;
    LineStyle Style() const;

    EditorHost& m_host;
    ScreenCanvas* m_canvas;
    QActionGroup* m_tools;
    GlyphCache m_glyphs;
    PreviewScreen<QtFontMeasurer> m_view; // kept: its fonts and colours are measured once
    Screen m_screen;
    QByteArray m_bytes; // the document's, as last drawn
    std::vector<Spot> m_left; // what the canonical bytes of m_screen cannot hold
    bool m_canonical = false; // m_bytes are the canonical bytes of m_screen
    int m_promptRow = 0; // the row the document leaves its prompt on, kept by each step
    bool m_active = false;
    // The open end of a line drawn with Alt and the arrows: the cell as it
    // was before the last step, and the arms that step gave it.
    struct PenEnd {
        Spot cell;
        Cell before;
        Arms arms;
    };
    std::optional<PenEnd> m_penEnd;
};
