#include "editor/drawing/DrawingMode.h"

#include "boot/BootRendering.h"
#include "editor/document/DocumentTabs.h"
#include "editor/drawing/ScreenCanvas.h"
#include "editor/widgets/FormStretch.h"
#include "format/ByteReader.h"
#include "lint/Linter.h"
#include "preview/ScreenImage.h"
#include "preview/ScreenSnapshot.h"
#include "screen/BootScreen.h"
#include "screen/ScreenEncoder.h"

#include <QActionGroup>
#include <QMainWindow>
#include <QMessageBox>
#include <QPushButton>

namespace {

// Line numbers as the editor counts them, for an offset.
int LineOf(QByteArrayView bytes, qsizetype offset) { return int(bytes.first(offset).count('\n')) + 1; }

// What rewriting a document in canonical form drops, a sentence each.
QStringList RewriteLosses(const QByteArray& bytes, const QString& folder, Spot cursor, Spot prompt)
{
    QStringList losses;
    for (const Problem& problem : LintDisplayFile(bytes, folder)) {
        if (problem.code == u"hidden-text")
            losses << QObject::tr("text hidden from the screen by 0x10-0x17 (from line %1)").arg(problem.line);
        else if (problem.code == u"after-end")
            losses << QObject::tr("what follows 0x1A or 0xFF (from line %1)").arg(problem.line);
        else if (problem.code == u"scrolls")
            losses << QObject::tr("the rows that scroll off the top of the screen (from line %1)").arg(problem.line);
        if (losses.size() > 8)
            break;
    }
    ByteReader reader(ScreenRules::Boot);
    for (qsizetype offset = 0; offset < bytes.size(); ++offset) {
        if (reader.Read(bytes[offset]) == ByteRole::ImageLine) {
            losses << QObject::tr("the image lines (0x18), whose pictures the loader never shows (from line %1)")
                          .arg(LineOf(bytes, offset));
            break;
        }
    }
    losses.removeDuplicates();
    if (cursor != prompt)
        losses << QObject::tr("the boot: prompt moves from row %1 column %2 to row %3 column %4")
                      .arg(cursor.row + 1)
                      .arg(cursor.column + 1)
                      .arg(prompt.row + 1)
                      .arg(prompt.column + 1);
    return losses;
}

QByteArray PromptGlyphs(const QByteArray& bytes)
{
    ByteReader reader(ScreenRules::Boot);
    for (const char byte : bytes)
        reader.Read(byte);
    QByteArray glyphs(TextScreen::Prompt.data(), qsizetype(TextScreen::Prompt.size()));
    if (reader.State().lineDrawing) {
        for (char& glyph : glyphs)
            glyph = static_cast<char>(LineDrawingGlyph(static_cast<unsigned char>(glyph)));
    }
    return glyphs;
}

}

DrawingMode::DrawingMode(EditorHost& host)
    : QObject(&host.Window())
    , m_host(host)
    , m_canvas(new ScreenCanvas(&host.Window()))
    , m_tools(new QActionGroup(this))
    , m_glyphs(VgaDots::Nine)
    , m_view(VgaDots::Nine)
{
    m_canvas->hide();
    CreateActions();
    host.Documents().FollowEdits(this, [this](const Document& document) {
        if (m_active && &document == &Shown())
            Refresh();
    });
    connect(&host.Documents(), &DocumentTabs::CurrentChanged, this, [this] {
        if (m_active && !MayRewrite())
            DrawOnScreen1->setChecked(false);
        else if (m_active)
            Refresh();
    });
    connect(m_canvas, &ScreenCanvas::Typed, this, &DrawingMode::Type);
    connect(m_canvas, &ScreenCanvas::Erase, this, &DrawingMode::Erase);
    connect(m_canvas, &ScreenCanvas::ColourStep, this, &DrawingMode::ColourStep);
    connect(m_canvas, &ScreenCanvas::Dragged, this, &DrawingMode::Drag);
    connect(m_canvas, &ScreenCanvas::LineStep, this, &DrawingMode::LineStep);
    connect(m_canvas, &ScreenCanvas::CursorMoved, this, &DrawingMode::ShowCursor);
}

DrawingMode::~DrawingMode() = default;

Document& DrawingMode::Shown() const { return m_host.Documents().Current(); }

// The tools act on the canvas only; in the text view their keys stay free.
void DrawingMode::EnableTools(bool enabled)
{
    for (QAction* tool :
        { SelectTool1, LineTool1, BoxTool1, DoubleLines1, BoxAroundSelection1, PaintSelection1, PromptHere1 })
        tool->setEnabled(enabled);
}

std::uint8_t DrawingMode::Pen() const
{
    return static_cast<std::uint8_t>(m_host.Colour(false) << 4 | m_host.Colour(true));
}

LineStyle DrawingMode::Style() const { return DoubleLines1->isChecked() ? LineStyle::Double : LineStyle::Single; }

void DrawingMode::Toggle(bool on)
{
    if (on == m_active)
        return;
    if (!on) {
        Leave();
        return;
    }
    if (!Enter())
        DrawOnScreen1->setChecked(false);
}

bool DrawingMode::Enter()
{
    if (!MayRewrite())
        return false;
    m_active = true;
    const EditorHost::View view { m_canvas, [this](EditorHost::EditCommand command) { Edit(command); },
        [this](const QString& text) { Insert(text); },
        [this](bool foreground, bool background) { Paint(foreground, background); } };
    m_host.ShowInstead(&view);
    EnableTools(true);
    Refresh();
    GiveCanvasRoom();
    ShowCursor();
    m_host.Say(tr("Drawing on the loader's screen: type to write, drag or Shift+arrows to select, Ctrl+arrows to "
                  "colour, Alt+arrows to draw lines. F7 goes back to the text."));
    return true;
}

void DrawingMode::Leave()
{
    m_active = false;
    m_penEnd.reset();
    m_host.ShowInstead(nullptr);
    EnableTools(false);
    m_host.Say({});
}

// The canvas shows every dot once when the screen has room for it.
void DrawingMode::GiveCanvasRoom()
{
    QMainWindow& window = m_host.Window();
    const QSize missing = (ScreenCanvas::NaturalSize() - m_canvas->size()).expandedTo({ 0, 0 });
    if ((missing.width() == 0 && missing.height() == 0) || window.isMaximized() || window.isFullScreen())
        return;
    window.resize(FittedWindowSize(window.size() + missing, window.screen()));
}

QImage DrawingMode::Picture(const QByteArray& bytes, Screen* screen, Spot* cursor)
{
    ClearLoaderScreen(m_view.console);
    RenderBootScreen(m_view.console, bytes, {});
    if (screen || cursor) {
        const ScreenSnapshot snapshot = ScreenSnapshot::Of(m_view.console);
        if (screen)
            *screen = ScreenOf(snapshot);
        if (cursor)
            *cursor = { snapshot.cursorColumn, snapshot.cursorRow };
    }
    return PaintScreen(m_view.console, m_glyphs, BlinkPhase::Shown);
}

void DrawingMode::Refresh()
{
    m_bytes = Shown().Bytes();
    Spot cursor;
    const QImage picture = Picture(m_bytes, &m_screen, &cursor);
    m_promptRow = cursor.column == 0 ? cursor.row : 0;
    Encoding canonical = EncodeScreen(m_screen, m_promptRow);
    m_canonical = canonical.bytes == m_bytes;
    m_left = std::move(canonical.left);
    m_canvas->Show(m_screen, picture, cursor, PromptGlyphs(m_bytes));
}

bool DrawingMode::MayRewrite()
{
    const QByteArray bytes = Shown().Bytes();
    if (bytes.isEmpty())
        return true; // nothing to rewrite: the first step writes the screen
    const BootView view = BootScreenOf(bytes);
    const Encoding canonical = EncodeScreen(view.screen, view.cursor.column == 0 ? view.cursor.row : 0);
    if (canonical.bytes == bytes)
        return true;
    QStringList losses = RewriteLosses(bytes, Shown().Folder(), view.cursor, canonical.prompt);
    if (!canonical.left.empty())
        losses << DescribeLeftCells(view.screen, canonical.left);
    QString text = tr("Rewrite this document to draw on it?\n\nDrawing writes the screen in its own way: a clear, "
                      "then each row with a colour command only where the colour changes. The screen stays the same.");
    text += losses.isEmpty() ? tr("\n\nOnly how the bytes are written changes.")
                             : tr("\n\nThe rewrite drops:\n• %1").arg(losses.join(QStringLiteral("\n• ")));
    QMessageBox box(
        QMessageBox::Question, tr("Draw on Screen"), text, QMessageBox::Yes | QMessageBox::No, &m_host.Window());
    box.button(QMessageBox::Yes)->setText(tr("&Rewrite and Draw"));
    box.setDefaultButton(QMessageBox::No);
    if (box.exec() != QMessageBox::Yes)
        return false;
    Shown().Rewrite(canonical.bytes);
    return true;
}

bool DrawingMode::Step(const Screen& next, std::optional<int> promptRow)
{
    if (!m_active)
        return false;
    const Encoding after = EncodeScreen(next, promptRow.value_or(m_promptRow));
    std::vector<Spot> lost;
    for (const Spot& spot : after.left) {
        if (std::find(m_left.begin(), m_left.end(), spot) == m_left.end())
            lost.push_back(spot);
    }
    if (!lost.empty()) {
        m_host.Say(tr("The loader cannot show that: %1.").arg(DescribeLeftCells(next, lost)));
        return false;
    }
    if (after.bytes == m_bytes)
        return true;
    if (!m_canonical && !MayRewrite())
        return false;
    Shown().Rewrite(after.bytes);
    m_host.Say({}); // a refusal said before no longer holds
    return true;
}

void DrawingMode::ShowCursor()
{
    if (!m_active)
        return;
    const CellRect selection = m_canvas->Selection();
    const Spot cursor = m_canvas->Cursor();
    m_host.ShowCaret(tr("X: %1").arg(cursor.column + 1),
        selection.from == selection.to
            ? tr("Y: %1").arg(cursor.row + 1)
            : tr("Y: %1 (%2 x %3)").arg(cursor.row + 1).arg(selection.Width()).arg(selection.Height()));
}
