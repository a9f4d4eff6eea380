#include "editor/drawing/DrawingMode.h"

#include "editor/widgets/ColourSelector.h"
#include "editor/document/DocumentEdit.h"
#include "editor/document/DocumentTabs.h"
#include "editor/widgets/FormStretch.h"
#include "editor/window/GlavnaForm.h"
#include "editor/drawing/ScreenCanvas.h"
#include "boot/BootRendering.h"
#include "common/FileAccess.h"
#include "console/qt/QtFonts.h"
#include "format/ByteReader.h"
#include "format/Cp437.h"
#include "lint/Linter.h"
#include "preview/PreviewConsole.h"
#include "preview/ScreenImage.h"
#include "preview/ScreenSnapshot.h"
#include "screen/AnsiArt.h"
#include "screen/BootScreen.h"
#include "screen/ScreenEncoder.h"

#include <QActionGroup>
#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QTextCursor>

namespace {

const QString CellsMime = QStringLiteral("application/x-glimra-cells");
// No ANSI art comes near this.
constexpr qint64 ArtLimit = qint64(16) << 20;

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

DrawingMode::DrawingMode(QMainWindow& window, GlavnaForm& form, DocumentTabs& tabs)
    : QObject(&window)
    , m_window(window)
    , m_form(form)
    , m_tabs(tabs)
    , m_canvas(new ScreenCanvas(form.Editor->parentWidget()))
    , m_tools(new QActionGroup(this))
    , m_glyphs(VgaDots::Nine)
    , m_view(VgaDots::Nine)
{
    m_canvas->hide();
    form.Stretch->AddToArea(m_canvas);
    CreateActions();
    connect(form.Editor, &QPlainTextEdit::textChanged, this, [this] {
        if (m_active)
            Refresh();
    });
    connect(&tabs, &DocumentTabs::CurrentChanged, this, [this] {
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
    // A colour picked while drawing paints the selection with it.
    for (int digit = 0; digit < 16; ++digit) {
        connect(form.GroupFG->Item(digit), &QRadioButton::clicked, this, [this] { Paint(true, false); });
        connect(form.groupBG->Item(digit), &QRadioButton::clicked, this, [this] { Paint(false, true); });
    }
    connect(form.Copy1, &QAction::triggered, this, [this] { Copy(); });
    connect(form.Cut1, &QAction::triggered, this, [this] { Cut(); });
    connect(form.Paste1, &QAction::triggered, this, [this] { Paste(); });
    connect(form.SelectAll1, &QAction::triggered, this, [this] {
        if (m_active)
            m_canvas->Select({ { 0, 0 }, { Screen::Columns - 1, Screen::Rows - 1 } });
    });
}

DrawingMode::~DrawingMode() = default;

void DrawingMode::CreateActions()
{
    const auto named = [this](const QString& text, const char* name, QKeySequence keys = {}) {
        auto* action = new QAction(text, &m_window);
        action->setObjectName(QString::fromLatin1(name));
        action->setShortcut(keys);
        return action;
    };
    DrawOnScreen1 = named(tr("&Draw on Screen"), "DrawOnScreen1", QKeySequence(Qt::Key_F7));
    DrawOnScreen1->setCheckable(true);
    connect(DrawOnScreen1, &QAction::toggled, this, &DrawingMode::Toggle);
    // After Run Configuration, among the other ways of seeing the screen; the
    // tools beside it, and on the canvas's own menu.
    QAction* following = m_form.View1->actions().value(m_form.View1->actions().indexOf(m_form.RunConfiguration1) + 1);
    m_form.View1->insertAction(following, DrawOnScreen1);
    auto* draw = new QMenu(tr("Drawing &Tools"), &m_window);
    draw->setObjectName(QStringLiteral("DrawMenu"));
    m_form.View1->insertMenu(following, draw);
    m_canvas->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_canvas, &QWidget::customContextMenuRequested, this,
        [this, draw](const QPoint& at) { draw->popup(m_canvas->mapToGlobal(at)); });
    SelectTool1 = named(tr("&Select"), "SelectTool1", QKeySequence(QStringLiteral("Ctrl+Shift+1")));
    LineTool1 = named(tr("&Line Tool"), "LineTool1", QKeySequence(QStringLiteral("Ctrl+Shift+2")));
    BoxTool1 = named(tr("&Box Tool"), "BoxTool1", QKeySequence(QStringLiteral("Ctrl+Shift+3")));
    for (QAction* tool : { SelectTool1, LineTool1, BoxTool1 }) {
        tool->setCheckable(true);
        m_tools->addAction(tool);
        draw->addAction(tool);
    }
    SelectTool1->setChecked(true);
    connect(m_tools, &QActionGroup::triggered, this, [this](QAction* tool) {
        m_canvas->SetTool(tool == LineTool1 ? ScreenCanvas::Tool::Line
                : tool == BoxTool1          ? ScreenCanvas::Tool::Box
                                            : ScreenCanvas::Tool::Select);
    });
    DoubleLines1 = named(tr("&Double Lines"), "DoubleLines1", QKeySequence(QStringLiteral("Ctrl+Shift+D")));
    DoubleLines1->setCheckable(true);
    BoxAroundSelection1
        = named(tr("Box &Around Selection"), "BoxAroundSelection1", QKeySequence(QStringLiteral("Ctrl+Shift+B")));
    PaintSelection1 = named(
        tr("&Paint Selection in Both Colours"), "PaintSelection1", QKeySequence(QStringLiteral("Ctrl+Shift+P")));
    PromptHere1 = named(tr("Boot Prompt on This &Row"), "PromptHere1", QKeySequence(QStringLiteral("Ctrl+Shift+R")));
    draw->addSeparator();
    draw->addActions({ DoubleLines1, BoxAroundSelection1, PaintSelection1, PromptHere1 });
    connect(PromptHere1, &QAction::triggered, this, [this] {
        const int row = m_canvas->Cursor().row;
        if (Step(m_screen, row) && PromptSpot(m_screen, row).row != row)
            Say(tr("The prompt follows the last row written: it cannot go higher than row %1.")
                    .arg(PromptSpot(m_screen).row + 1));
    });
    connect(BoxAroundSelection1, &QAction::triggered, this, [this] {
        Screen next = m_screen;
        DrawBox(next, m_canvas->Selection(), Style(), Pen());
        Step(next);
    });
    connect(PaintSelection1, &QAction::triggered, this, &DrawingMode::PaintSelection);
    EnableTools(false);

    // Undo and the clipboard keys reach the canvas as they reach the text.
    const auto canvasKeys = [this](QKeySequence::StandardKey keys, auto handler) {
        auto* action = new QAction(m_canvas);
        action->setShortcut(keys);
        action->setShortcutContext(Qt::WidgetShortcut);
        connect(action, &QAction::triggered, this, handler);
        m_canvas->addAction(action);
    };
    canvasKeys(QKeySequence::Undo, [this] { m_form.Editor->undo(); });
    canvasKeys(QKeySequence::Copy, [this] { Copy(); });
    canvasKeys(QKeySequence::Cut, [this] { Cut(); });
    canvasKeys(QKeySequence::Paste, [this] { Paste(); });

    auto* file = qobject_cast<QMenu*>(m_form.SaveAs1->parent());
    ImportAnsi1 = named(tr("&Import ANSI Art..."), "ImportAnsi1", QKeySequence(QStringLiteral("Ctrl+I")));
    ExportAnsi1 = named(tr("&Export ANSI Art..."), "ExportAnsi1", QKeySequence(QStringLiteral("Ctrl+E")));
    QAction* after = file->actions().value(file->actions().indexOf(m_form.SaveAs1) + 1);
    file->insertActions(after, { ImportAnsi1, ExportAnsi1 });
    connect(ImportAnsi1, &QAction::triggered, this, &DrawingMode::ImportClicked);
    connect(ExportAnsi1, &QAction::triggered, this, &DrawingMode::ExportClicked);
}

// The tools act on the canvas only; in the text view their keys stay free.
void DrawingMode::EnableTools(bool enabled)
{
    for (QAction* tool :
        { SelectTool1, LineTool1, BoxTool1, DoubleLines1, BoxAroundSelection1, PaintSelection1, PromptHere1 })
        tool->setEnabled(enabled);
}

std::uint8_t DrawingMode::Pen() const
{
    return static_cast<std::uint8_t>(m_form.groupBG->ItemIndex() << 4 | m_form.GroupFG->ItemIndex());
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
    m_form.Editor->setReadOnly(true);
    // Whatever gives the document the focus (a dialog closing) gives it the canvas.
    m_form.Editor->setFocusProxy(m_canvas);
    m_canvas->setGeometry(m_form.Editor->geometry());
    m_form.Editor->hide();
    m_canvas->show();
    m_canvas->setFocus();
    EnableTools(true);
    Refresh();
    GiveCanvasRoom();
    ShowCursor();
    Say(tr("Drawing on the loader's screen: type to write, drag or Shift+arrows to select, Ctrl+arrows to colour, "
           "Alt+arrows to draw lines. F7 goes back to the text."));
    return true;
}

void DrawingMode::Leave()
{
    m_active = false;
    m_penEnd.reset();
    m_form.Editor->setReadOnly(false);
    m_form.Editor->setFocusProxy(nullptr);
    m_canvas->hide();
    m_form.Editor->show();
    m_form.Editor->setFocus();
    EnableTools(false);
    m_window.statusBar()->clearMessage();
}

// The canvas shows every dot once when the screen has room for it.
void DrawingMode::GiveCanvasRoom()
{
    const QSize missing = (ScreenCanvas::NaturalSize() - m_canvas->size()).expandedTo({ 0, 0 });
    if ((missing.width() == 0 && missing.height() == 0) || m_window.isMaximized() || m_window.isFullScreen())
        return;
    m_window.resize(FittedWindowSize(m_window.size() + missing, m_window.screen()));
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
    // In the editor's place, which a tab bar may have moved.
    m_canvas->setGeometry(m_form.Editor->geometry());
    m_bytes = m_form.Editor->Bytes();
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
    const QByteArray bytes = m_form.Editor->Bytes();
    if (bytes.isEmpty())
        return true; // nothing to rewrite: the first step writes the screen
    const BootView view = BootScreenOf(bytes);
    const Encoding canonical = EncodeScreen(view.screen, view.cursor.column == 0 ? view.cursor.row : 0);
    if (canonical.bytes == bytes)
        return true;
    QStringList losses = RewriteLosses(bytes, m_tabs.Current().Folder(), view.cursor, canonical.prompt);
    if (!canonical.left.empty())
        losses << DescribeLeftCells(view.screen, canonical.left);
    QString text = tr("Rewrite this document to draw on it?\n\nDrawing writes the screen in its own way: a clear, "
                      "then each row with a colour command only where the colour changes. The screen stays the same.");
    text += losses.isEmpty() ? tr("\n\nOnly how the bytes are written changes.")
                             : tr("\n\nThe rewrite drops:\n• %1").arg(losses.join(QStringLiteral("\n• ")));
    QMessageBox box(QMessageBox::Question, tr("Draw on Screen"), text, QMessageBox::Yes | QMessageBox::No, &m_window);
    box.button(QMessageBox::Yes)->setText(tr("&Rewrite and Draw"));
    box.setDefaultButton(QMessageBox::No);
    if (box.exec() != QMessageBox::Yes)
        return false;
    ReplaceBytes(canonical.bytes);
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
        Say(tr("The loader cannot show that: %1.").arg(DescribeLeftCells(next, lost)));
        return false;
    }
    if (after.bytes == m_bytes)
        return true;
    if (!m_canonical && !MayRewrite())
        return false;
    ReplaceBytes(after.bytes);
    m_window.statusBar()->clearMessage(); // a refusal said before no longer holds
    return true;
}

// Only the bytes that differ are replaced, as one step of the document's
// undo, so the text view keeps its place.
void DrawingMode::ReplaceBytes(const QByteArray& bytes)
{
    DocumentEdit& editor = *m_form.Editor;
    const QByteArray old = m_active ? m_bytes : editor.Bytes();
    qsizetype prefix = 0;
    const qsizetype shorter = std::min(old.size(), bytes.size());
    while (prefix < shorter && old[prefix] == bytes[prefix])
        ++prefix;
    // A line break is one character: never split a CR LF pair.
    if (prefix > 0 && old[prefix - 1] == DisplayCode::CR)
        --prefix;
    qsizetype suffix = 0;
    while (suffix < shorter - prefix && old[old.size() - 1 - suffix] == bytes[bytes.size() - 1 - suffix])
        ++suffix;
    if (suffix > 0 && old[old.size() - suffix] == DisplayCode::LF)
        --suffix;
    QTextCursor cursor(editor.document());
    // Inside an edit block a cursor does not lay its line out to learn
    // its x, which would cost more than the rest of the step.
    cursor.beginEditBlock();
    cursor.setPosition(editor.PositionOfByte(prefix));
    cursor.setPosition(editor.PositionOfByte(old.size() - suffix), QTextCursor::KeepAnchor);
    editor.ReplaceSelection(cursor, Cp437::DecodeDocument(bytes.sliced(prefix, bytes.size() - prefix - suffix)));
    cursor.endEditBlock();
    if (editor.Bytes() != bytes) {
        // Lone CRs and LFs at the seams: the whole text instead.
        editor.undo();
        cursor.select(QTextCursor::Document);
        editor.ReplaceSelection(cursor, Cp437::DecodeDocument(bytes));
    }
}

void DrawingMode::Type(const QString& text)
{
    QByteArray typed;
    for (const char32_t character : text.toUcs4()) {
        const int byte = Cp437::FromUnicode(character);
        if (byte < 0) {
            Say(tr("\"%1\" has no code page 437 byte: the loader cannot show it.")
                    .arg(QString::fromUcs4(&character, 1)));
            return;
        }
        typed += static_cast<char>(byte);
    }
    if (typed.isEmpty())
        return;
    Screen next = m_screen;
    const CellRect selection = m_canvas->Selection();
    if (typed.size() == 1 && selection.from != selection.to) {
        for (int row = selection.from.row; row <= selection.to.row; ++row) {
            for (int column = selection.from.column; column <= selection.to.column; ++column)
                next.At(column, row) = { static_cast<std::uint8_t>(typed[0]), Pen() };
        }
        Step(next);
        return;
    }
    Spot at = selection.from;
    for (const char byte : std::as_const(typed)) {
        if (at.column >= Screen::Columns)
            break;
        next.At(at) = { static_cast<std::uint8_t>(byte), Pen() };
        ++at.column;
    }
    if (Step(next))
        m_canvas->SetCursor({ std::min(at.column, Screen::Columns - 1), at.row }, false, true);
}

void DrawingMode::Insert(const QString& text)
{
    Type(text);
    m_canvas->setFocus();
}

void DrawingMode::Erase(bool backspace)
{
    CellRect selection = m_canvas->Selection();
    if (backspace && selection.from == selection.to) {
        if (selection.from.column == 0)
            return;
        --selection.from.column;
        selection.to = selection.from;
    }
    Screen next = m_screen;
    for (int row = selection.from.row; row <= selection.to.row; ++row) {
        for (int column = selection.from.column; column <= selection.to.column; ++column)
            next.At(column, row).byte = ' ';
    }
    if (Step(next) && backspace && selection.from == selection.to)
        m_canvas->SetCursor(selection.from);
}

void DrawingMode::Paint(bool foreground, bool background)
{
    if (!m_active)
        return;
    const CellRect selection = m_canvas->Selection();
    // Without a selection a colour is the pen's, for what is typed and drawn next.
    if (selection.from == selection.to && !(foreground && background)) {
        Say(tr("Pen: foreground %1 on background %2.").arg(m_form.GroupFG->ItemText(), m_form.groupBG->ItemText()));
        m_canvas->setFocus();
        return;
    }
    Screen next = m_screen;
    const int pen = Pen();
    for (int row = selection.from.row; row <= selection.to.row; ++row) {
        for (int column = selection.from.column; column <= selection.to.column; ++column) {
            std::uint8_t& attribute = next.At(column, row).attribute;
            attribute = static_cast<std::uint8_t>(
                (background ? pen & 0xF0 : attribute & 0xF0) | (foreground ? pen & 0x0F : attribute & 0x0F));
        }
    }
    Step(next);
    m_canvas->setFocus();
}

void DrawingMode::PaintSelection() { Paint(true, true); }

void DrawingMode::ColourStep(int foreground, int background)
{
    ColourSelector* selector = foreground != 0 ? m_form.GroupFG : m_form.groupBG;
    selector->SetItemIndex((selector->ItemIndex() + foreground + background + 16) % 16);
    Paint(foreground != 0, background != 0);
}

void DrawingMode::Drag(Spot from, Spot to, bool finished)
{
    Screen next = m_screen;
    if (m_canvas->CurrentTool() == ScreenCanvas::Tool::Box)
        DrawBox(next, CellRect::Spanning(from, to), Style(), Pen());
    else
        DrawLine(next, from, to, Style(), Pen());
    if (!finished)
        m_canvas->ShowPicture(Picture(EncodeScreen(next).bytes));
    else if (!Step(next))
        m_canvas->ShowPicture(Picture(m_bytes));
}

// Each step of the pen joins the cell it leaves with the arm it had, so a
// turn makes a corner, not a tee.
void DrawingMode::LineStep(Spot from, Spot to)
{
    Screen next = m_screen;
    const LineStyle style = Style();
    Arms leaving;
    Arms entering;
    if (to.column > from.column)
        leaving.right = entering.left = style;
    else if (to.column < from.column)
        leaving.left = entering.right = style;
    else if (to.row > from.row)
        leaving.down = entering.up = style;
    else
        leaving.up = entering.down = style;
    if (m_penEnd && m_penEnd->cell == from) {
        next.At(from) = m_penEnd->before;
        const Arms& had = m_penEnd->arms;
        for (auto [arm, old] : { std::pair { &leaving.up, had.up }, { &leaving.right, had.right },
                 { &leaving.down, had.down }, { &leaving.left, had.left } }) {
            if (*arm == LineStyle::None)
                *arm = old;
        }
    }
    JoinCell(next.At(from), leaving, style, Pen());
    const Cell before = next.At(to);
    JoinCell(next.At(to), entering, style, Pen());
    if (Step(next))
        m_penEnd = PenEnd { to, before, entering };
}

void DrawingMode::Copy()
{
    if (!m_active)
        return;
    const CellRect selection = m_canvas->Selection();
    QByteArray cells;
    cells += static_cast<char>(selection.Width());
    cells += static_cast<char>(selection.Height());
    QStringList rows;
    for (int row = selection.from.row; row <= selection.to.row; ++row) {
        QByteArray text;
        for (int column = selection.from.column; column <= selection.to.column; ++column) {
            const Cell& cell = m_screen.At(column, row);
            cells += static_cast<char>(cell.byte);
            cells += static_cast<char>(cell.attribute);
            text += static_cast<char>(cell.byte);
        }
        rows << Cp437::DecodeCells(text);
    }
    auto* data = new QMimeData;
    data->setData(CellsMime, cells);
    data->setText(rows.join(u'\n'));
    QApplication::clipboard()->setMimeData(data);
}

void DrawingMode::Cut()
{
    if (!m_active)
        return;
    Copy();
    Erase(false);
}

void DrawingMode::Paste()
{
    if (!m_active)
        return;
    const QMimeData* data = QApplication::clipboard()->mimeData();
    if (!data)
        return;
    // Cells as copied here, or text in the pen's colours.
    std::vector<std::vector<Cell>> rows;
    const QByteArray cells = data->data(CellsMime);
    if (cells.size() >= 2 && cells.size() == 2 + 2 * std::uint8_t(cells[0]) * std::uint8_t(cells[1])) {
        const int width = std::uint8_t(cells[0]);
        for (int row = 0; row < std::uint8_t(cells[1]); ++row) {
            rows.emplace_back();
            for (int column = 0; column < width; ++column) {
                const qsizetype at = 2 + 2 * (qsizetype(row) * width + column);
                rows.back().push_back({ std::uint8_t(cells[at]), std::uint8_t(cells[at + 1]) });
            }
        }
    } else {
        const Cp437::InsertedText text = Cp437::Insertable(data->text());
        for (const QString& line : text.text.split(u'\n')) {
            rows.emplace_back();
            for (const char32_t character : line.toUcs4())
                rows.back().push_back({ static_cast<std::uint8_t>(Cp437::FromUnicode(character)), Pen() });
        }
        if (!text.unmappable.isEmpty())
            Say(tr("Pasted \"?\" for characters without a code page 437 byte: %1").arg(text.unmappable));
    }
    Screen next = m_screen;
    const Spot at = m_canvas->Selection().from;
    Spot end = at;
    for (size_t row = 0; row < rows.size() && at.row + int(row) < Screen::Rows; ++row) {
        for (size_t column = 0; column < rows[row].size() && at.column + int(column) < Screen::Columns; ++column) {
            const Spot spot { at.column + int(column), at.row + int(row) };
            next.At(spot) = rows[row][column];
            end = { std::max(end.column, spot.column), std::max(end.row, spot.row) };
        }
    }
    if (Step(next))
        m_canvas->Select({ at, end });
}

void DrawingMode::ShowCursor()
{
    if (!m_active)
        return;
    const CellRect selection = m_canvas->Selection();
    const Spot cursor = m_canvas->Cursor();
    m_form.kooX->setText(tr("X: %1").arg(cursor.column + 1));
    m_form.kooY->setText(selection.from == selection.to
            ? tr("Y: %1").arg(cursor.row + 1)
            : tr("Y: %1 (%2 x %3)").arg(cursor.row + 1).arg(selection.Width()).arg(selection.Height()));
}

void DrawingMode::Say(const QString& message) { m_window.statusBar()->showMessage(message, 8000); }

void DrawingMode::ImportClicked()
{
    const QString file = QFileDialog::getOpenFileName(
        &m_window, tr("Import ANSI Art"), QString(), tr("ANSI art (*.ans *.asc *.ANS *.ASC);;All files (*)"));
    if (!file.isEmpty())
        ImportFrom(file);
}

void DrawingMode::ImportFrom(const QString& file, std::optional<int> firstRow)
{
    const ReadOutcome read = ReadFile(file, ArtLimit, ReadableKinds::RegularFiles);
    if (read.failure) {
        QMessageBox::warning(&m_window, tr("Import ANSI Art"),
            tr("Cannot read %1: %2").arg(QFileInfo(file).fileName(), read.failure->reason));
        return;
    }
    const AnsiArt art = ReadAnsiArt(read.bytes);
    const int rows = static_cast<int>(art.rows.size());
    if (!firstRow && rows > Screen::Rows) {
        bool chosen = false;
        const int first = QInputDialog::getInt(&m_window, tr("Import ANSI Art"),
            tr("The art has %1 rows; the screen shows 25. The first row to take:").arg(rows), 1, 1,
            rows - Screen::Rows + 1, 1, &chosen);
        if (!chosen)
            return;
        firstRow = first - 1;
    }
    const ImportedArt imported = ImportAnsiArt(art, firstRow.value_or(0));
    const bool reuse = m_tabs.Current().saveTarget.isEmpty() && !m_tabs.Current().Text().isModified()
        && m_tabs.Current().Text().isEmpty();
    if (!reuse)
        m_tabs.Add();
    m_form.Editor->SetBytes(imported.bytes);
    m_tabs.Current().Text().setModified(true);
    m_tabs.Relabel();
    if (!imported.losses.isEmpty())
        QMessageBox::information(&m_window, tr("Import ANSI Art"),
            tr("%1 came in, except:\n• %2")
                .arg(QFileInfo(file).fileName(), imported.losses.join(QStringLiteral("\n• "))));
}

void DrawingMode::ExportClicked()
{
    const Document& document = m_tabs.Current();
    const QString suggested = document.saveTarget.isEmpty()
        ? QStringLiteral("screen.ans")
        : QFileInfo(document.saveTarget).dir().filePath(QFileInfo(document.saveTarget).completeBaseName() + ".ans");
    const QString file = QFileDialog::getSaveFileName(
        &m_window, tr("Export ANSI Art"), suggested, tr("ANSI art (*.ans);;All files (*)"));
    if (!file.isEmpty())
        ExportTo(file);
}

bool DrawingMode::ExportTo(const QString& file)
{
    const QByteArray art = WriteAnsiArt(BootScreenOf(m_form.Editor->Bytes()).screen);
    if (const std::optional<SaveFailure> failure = SaveBytes(file, art)) {
        QMessageBox::warning(&m_window, tr("Export ANSI Art"),
            tr("Cannot write %1: %2").arg(QFileInfo(file).fileName(), FailureDetail(*failure)));
        return false;
    }
    Say(tr("Exported the loader's screen to %1.").arg(QFileInfo(file).fileName()));
    return true;
}
