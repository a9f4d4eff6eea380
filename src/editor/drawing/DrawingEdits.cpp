// What the drawing mode does to the cells: typing, erasing, colours, lines
// and boxes, and the cells on the clipboard.
#include "editor/document/Document.h"
#include "editor/drawing/DrawingMode.h"
#include "editor/drawing/ScreenCanvas.h"
#include "format/Cp437.h"
#include "screen/ScreenEncoder.h"

#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <QTextDocument>

namespace {

const QString CellsMime = QStringLiteral("application/x-glimra-cells");

// The cells of a copy made here, or the clipboard's text in the pen's colours.
std::vector<std::vector<Cell>> ClipboardCells(const QMimeData& data, std::uint8_t pen, QString& unmappable)
{
    std::vector<std::vector<Cell>> rows;
    const QByteArray cells = data.data(CellsMime);
    if (cells.size() >= 2 && cells.size() == 2 + 2 * std::uint8_t(cells[0]) * std::uint8_t(cells[1])) {
        const int width = std::uint8_t(cells[0]);
        for (int row = 0; row < std::uint8_t(cells[1]); ++row) {
            rows.emplace_back();
            for (int column = 0; column < width; ++column) {
                const qsizetype at = 2 + 2 * (qsizetype(row) * width + column);
                rows.back().push_back({ std::uint8_t(cells[at]), std::uint8_t(cells[at + 1]) });
            }
        }
        return rows;
    }
    const Cp437::InsertedText text = Cp437::Insertable(data.text());
    for (const QString& line : text.text.split(u'\n')) {
        rows.emplace_back();
        for (const char32_t character : line.toUcs4())
            rows.back().push_back({ static_cast<std::uint8_t>(Cp437::FromUnicode(character)), pen });
    }
    unmappable = text.unmappable;
    return rows;
}

}

void DrawingMode::Edit(EditorHost::EditCommand command)
{
    using Command = EditorHost::EditCommand;
    switch (command) {
    case Command::Undo: Shown().Text().undo(); break;
    case Command::Redo: Shown().Text().redo(); break;
    case Command::Cut: Cut(); break;
    case Command::Copy: Copy(); break;
    case Command::Paste: Paste(); break;
    case Command::SelectAll: m_canvas->Select({ { 0, 0 }, { Screen::Columns - 1, Screen::Rows - 1 } }); break;
    }
}

void DrawingMode::Type(const QString& text)
{
    QByteArray typed;
    for (const char32_t character : text.toUcs4()) {
        const int byte = Cp437::FromUnicode(character);
        if (byte < 0) {
            m_host.Say(tr("\"%1\" has no code page 437 byte: the loader cannot show it.")
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
        m_host.Say(tr("Pen: foreground %1 on background %2.")
                       .arg(QString::number(m_host.Colour(true), 16), QString::number(m_host.Colour(false), 16)));
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

void DrawingMode::ColourStep(int foreground, int background)
{
    const bool onForeground = foreground != 0;
    m_host.SetColour(onForeground, (m_host.Colour(onForeground) + foreground + background + 16) % 16);
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
    Copy();
    Erase(false);
}

void DrawingMode::Paste()
{
    const QMimeData* data = QApplication::clipboard()->mimeData();
    if (!data)
        return;
    QString unmappable;
    const std::vector<std::vector<Cell>> rows = ClipboardCells(*data, Pen(), unmappable);
    if (!unmappable.isEmpty())
        m_host.Say(tr("Pasted \"?\" for characters without a code page 437 byte: %1").arg(unmappable));
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
