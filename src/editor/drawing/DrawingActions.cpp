// The drawing mode's menu entries and the keys its canvas takes itself.
#include "editor/drawing/DrawingMode.h"
#include "editor/drawing/ScreenCanvas.h"
#include "screen/BootScreen.h"
#include "screen/ScreenEncoder.h"

#include <QAction>
#include <QActionGroup>
#include <QMainWindow>
#include <QMenu>

namespace {

QAction* Named(const QString& text, const char* name, QObject* parent, QKeySequence keys = {})
{
    auto* action = new QAction(text, parent);
    action->setObjectName(QString::fromLatin1(name));
    action->setShortcut(keys);
    return action;
}

}

void DrawingMode::CreateActions()
{
    DrawOnScreen1 = Named(tr("&Draw on Screen"), "DrawOnScreen1", &m_host.Window(), QKeySequence(Qt::Key_F7));
    DrawOnScreen1->setCheckable(true);
    connect(DrawOnScreen1, &QAction::toggled, this, &DrawingMode::Toggle);
    // Among the other ways of seeing the screen; the tools beside it, and
    // on the canvas's own menu.
    m_host.AddAction(EditorHost::Place::ViewScreens, DrawOnScreen1);
    QMenu* tools = CreateTools();
    m_host.AddAction(EditorHost::Place::ViewScreens, tools->menuAction());
    m_canvas->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_canvas, &QWidget::customContextMenuRequested, this,
        [this, tools](const QPoint& at) { tools->popup(m_canvas->mapToGlobal(at)); });
    CreateSelectionCommands(*tools);
    EnableTools(false);
    CreateCanvasKeys();
}

QMenu* DrawingMode::CreateTools()
{
    auto* tools = new QMenu(tr("Drawing &Tools"), &m_host.Window());
    tools->setObjectName(QStringLiteral("DrawMenu"));
    SelectTool1 = Named(tr("&Select"), "SelectTool1", &m_host.Window(), QKeySequence(QStringLiteral("Ctrl+Shift+1")));
    LineTool1 = Named(tr("&Line Tool"), "LineTool1", &m_host.Window(), QKeySequence(QStringLiteral("Ctrl+Shift+2")));
    BoxTool1 = Named(tr("&Box Tool"), "BoxTool1", &m_host.Window(), QKeySequence(QStringLiteral("Ctrl+Shift+3")));
    for (QAction* tool : { SelectTool1, LineTool1, BoxTool1 }) {
        tool->setCheckable(true);
        m_tools->addAction(tool);
        tools->addAction(tool);
    }
    SelectTool1->setChecked(true);
    connect(m_tools, &QActionGroup::triggered, this, [this](QAction* tool) {
        m_canvas->SetTool(tool == LineTool1 ? ScreenCanvas::Tool::Line
                : tool == BoxTool1          ? ScreenCanvas::Tool::Box
                                            : ScreenCanvas::Tool::Select);
    });
    return tools;
}

void DrawingMode::CreateSelectionCommands(QMenu& tools)
{
    QMainWindow* window = &m_host.Window();
    DoubleLines1 = Named(tr("&Double Lines"), "DoubleLines1", window, QKeySequence(QStringLiteral("Ctrl+Shift+D")));
    DoubleLines1->setCheckable(true);
    BoxAroundSelection1 = Named(
        tr("Box &Around Selection"), "BoxAroundSelection1", window, QKeySequence(QStringLiteral("Ctrl+Shift+B")));
    PaintSelection1 = Named(tr("&Paint Selection in Both Colours"), "PaintSelection1", window,
        QKeySequence(QStringLiteral("Ctrl+Shift+P")));
    PromptHere1
        = Named(tr("Boot Prompt on This &Row"), "PromptHere1", window, QKeySequence(QStringLiteral("Ctrl+Shift+R")));
    tools.addSeparator();
    tools.addActions({ DoubleLines1, BoxAroundSelection1, PaintSelection1, PromptHere1 });
    connect(PromptHere1, &QAction::triggered, this, &DrawingMode::PromptHere);
    connect(BoxAroundSelection1, &QAction::triggered, this, &DrawingMode::BoxAroundSelection);
    connect(PaintSelection1, &QAction::triggered, this, [this] { Paint(true, true); });
}

// Undo and the clipboard keys reach the canvas as they reach the text.
void DrawingMode::CreateCanvasKeys()
{
    using Command = EditorHost::EditCommand;
    for (const auto& [keys, command] :
        { std::pair { QKeySequence::Undo, Command::Undo }, { QKeySequence::Copy, Command::Copy },
            { QKeySequence::Cut, Command::Cut }, { QKeySequence::Paste, Command::Paste } }) {
        auto* action = new QAction(m_canvas);
        action->setShortcut(keys);
        action->setShortcutContext(Qt::WidgetShortcut);
        connect(action, &QAction::triggered, this, [this, command] { Edit(command); });
        m_canvas->addAction(action);
    }
}

void DrawingMode::PromptHere()
{
    const int row = m_canvas->Cursor().row;
    if (Step(m_screen, row) && PromptSpot(m_screen, row).row != row)
        m_host.Say(tr("The prompt follows the last row written: it cannot go higher than row %1.")
                       .arg(PromptSpot(m_screen).row + 1));
}

void DrawingMode::BoxAroundSelection()
{
    Screen next = m_screen;
    DrawBox(next, m_canvas->Selection(), Style(), Pen());
    Step(next);
}
