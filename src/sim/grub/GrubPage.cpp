#include "GrubPage.h"

#include <QObject>

namespace GrubPage {

namespace {

constexpr std::uint8_t NormalColour = 0x07;
constexpr std::uint8_t HighlightColour = 0x70;
constexpr int Margin = 6; // the help texts' left and right margins
constexpr char32_t UpArrow = 0x2191;
constexpr char32_t DownArrow = 0x2193;
constexpr char32_t RightArrow = 0x2192;

// The help beneath the list; the rows it takes.
int Message(GrubTerminal& text, bool nested, bool edit, bool dryRun)
{
    text.SetColour(NormalColour);
    if (edit)
        return text.PrintIndented(QStringLiteral("Minimum Emacs-like screen editing is supported. TAB lists "
                                                 "completions. Press Ctrl-x or F10 to boot, Ctrl-c or F2 for a "
                                                 "command-line or ESC to discard edits and return to the GRUB menu."),
            Margin, Margin, dryRun);
    int rows = text.PrintIndented(QStringLiteral("Use the %1 and %2 keys to select which entry is highlighted.")
                                      .arg(QString::fromUcs4(&UpArrow, 1), QString::fromUcs4(&DownArrow, 1)),
        Margin, Margin, dryRun);
    if (!dryRun)
        text.Put(U'\n');
    const QString keys = QStringLiteral("Press enter to boot the selected OS, `e' to edit the commands before booting "
                                        "or `c' for a command-line.");
    return rows
        + text.PrintIndented(
            nested ? keys + QStringLiteral(" ESC to return previous menu.") : keys, Margin, Margin, dryRun);
}

// The version line centred on row y, and the cursor two rows below.
void Header(GrubTerminal& text, int y)
{
    text.SetColour(NormalColour);
    text.Clear();
    const QString header = QStringLiteral("GNU GRUB  version %1").arg(QLatin1StringView(Version));
    text.GotoXY(std::max(0, (text.Columns() - static_cast<int>(header.size())) / 2), y);
    text.Print(header);
    text.Put(U'\n');
    text.Put(U'\n');
}

void Frame(GrubTerminal& text, const Geometry& page)
{
    const auto across = [&](int y, char32_t left, char32_t right) {
        text.GotoXY(page.firstX - 1, y);
        text.Put(left);
        for (int x = 0; x < page.width + 1; ++x)
            text.Put(0x2500);
        text.Put(right);
    };
    across(page.firstY - 1, 0x250C, 0x2510);
    for (int row = 0; row < page.rows; ++row) {
        text.GotoXY(page.firstX - 1, page.firstY + row);
        text.Put(0x2502);
        text.GotoXY(page.firstX + page.width + 1, page.firstY + row);
        text.Put(0x2502);
    }
    across(page.firstY + page.rows, 0x2514, 0x2518);
}

}

Geometry Init(GrubTerminal& text, bool nested, bool edit)
{
    Geometry page;
    page.firstX = 2;
    page.width = text.Columns() - 5;
    page.firstY = 4;
    int timeoutRows = 2;
    page.rows = text.Rows() - page.firstY - 1 - 1 - timeoutRows - 1;
    const int help = Message(text, nested, edit, true);
    int emptyRows = 1;
    bool version = true;
    // A small screen gives up the blank rows, then the frame, then the
    // countdown's second row and the version line, to keep three rows.
    if (page.rows - help < 3 || page.width < 10) {
        page.rows += 4;
        page.firstY -= 2;
        emptyRows = 0;
        page.firstX -= 1;
        page.width += 1;
    }
    if (page.rows - help < 3 || page.width < 10) {
        page.rows += 2;
        page.firstY -= 1;
        page.firstX -= 1;
        page.width += 2;
        page.border = false;
    }
    page.width = std::max(page.width, 1);
    if (page.rows - help < 3 && timeoutRows == 2) {
        timeoutRows = 1;
        ++page.rows;
    }
    if (page.rows - help < 3) {
        ++page.rows;
        --page.firstY;
        version = false;
    }
    const bool helpShown = page.rows - help >= 2;
    if (helpShown)
        page.rows -= help;
    if (version) {
        Header(text, emptyRows);
    } else {
        text.SetColour(NormalColour);
        text.Clear();
    }
    if (page.border)
        Frame(text, page);
    page.timeoutY = page.firstY + page.rows + (page.border ? 1 : 0) + emptyRows;
    if (helpShown) {
        text.GotoXY(1, page.timeoutY);
        Message(text, nested, edit, false);
        page.timeoutY += help;
    }
    return page;
}

void DrawMenu(GrubTerminal& text, const Geometry& page, const std::vector<QByteArray>& titles, int selected, int first,
    int secondsLeft)
{
    const int count = static_cast<int>(titles.size());
    const int arrowX = page.firstX + page.width + (page.border ? 1 : 0) + 1;
    text.SetColour(NormalColour);
    text.GotoXY(arrowX, page.firstY);
    text.Put(first > 0 ? UpArrow : U' ');
    for (int row = 0; row < page.rows; ++row) {
        const int entry = first + row;
        text.SetColour(entry == selected ? HighlightColour : NormalColour);
        text.GotoXY(page.firstX, page.firstY + row);
        QList<uint> shown = QString::fromUtf8(entry < count ? titles[static_cast<std::size_t>(entry)] : "").toUcs4();
        for (uint& code : shown) {
            if (code == U'\n' || code == U'\b' || code == U'\r' || code == 0x1b)
                code = U' ';
        }
        // The mark, the title cut with an arrow where it runs over, blanks to the frame.
        if (shown.size() > page.width - 1) {
            shown.resize(std::max(page.width - 2, 0));
            shown.push_back(RightArrow);
        }
        text.Put(entry == selected ? U'*' : U' ');
        for (int x = 0; x < page.width; ++x)
            text.Put(x < shown.size() ? char32_t(shown[x]) : U' ');
    }
    text.SetColour(NormalColour);
    text.GotoXY(arrowX, page.firstY + page.rows - 1);
    text.Put(first + page.rows < count ? DownArrow : U' ');
    if (secondsLeft >= 0) {
        text.GotoXY(0, page.timeoutY);
        text.PrintIndented(
            QStringLiteral("The highlighted entry will be executed automatically in %1s.").arg(secondsLeft), 3, 1);
    }
    text.GotoXY(page.firstX + page.width, page.firstY + selected - first);
}

void DrawCommandLine(GrubTerminal& text, bool nested, const QByteArray& typed)
{
    Header(text, 1);
    const QString help = QStringLiteral("Minimal BASH-like line editing is supported. For the first word, TAB lists "
                                        "possible command completions. Anywhere else TAB lists possible device or "
                                        "file completions. %1")
                             .arg(nested ? QStringLiteral("ESC at any time exits.") : QString());
    if (text.Columns() > 3 + Margin + 20)
        text.PrintIndented(help, 3, Margin);
    else
        text.PrintIndented(help, 0, 0);
    for (int blank = 0; blank < 3; ++blank)
        text.Put(U'\n');
    text.Print(QByteArray("grub> ") + typed);
}

}
