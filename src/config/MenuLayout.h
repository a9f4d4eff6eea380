#pragma once

#include <QByteArray>

#include <array>
#include <optional>
#include <utility>

// A menu's layout numbers, as menu.c32 6.04 keeps them, and where they put
// what it draws (menumain.c's macros): one answer for the simulator's
// drawing and the linter's checks. Rows and columns count from 1.

// The settings menu.c32 lays its screen out by, in its own order.
enum class MenuParam {
    Width,
    Margin,
    PasswordMargin,
    Rows,
    TabMsgRow,
    CmdLineRow,
    EndRow,
    PasswordRow,
    TimeoutRow,
    HelpMsgRow,
    HelpMsgEndRow,
    HShift,
    VShift,
    HiddenRow,
    Count
};
constexpr std::size_t MenuParamCount = static_cast<std::size_t>(MenuParam::Count);
using MenuParams = std::array<int, MenuParamCount>;
// The keyword after MENU and the value the menu starts with.
struct MenuParamInfo {
    const char* keyword;
    int value;
};
extern const std::array<MenuParamInfo, MenuParamCount> MenuParamInfos;

// A menu's layout on a screen of this size, as the module sets its numbers
// before it draws: width 0 is the screen's, negative numbers count from the
// bottom; none is past Limits::MenuLayout, so no sum of them overflows.
class MenuLayout {
public:
    MenuLayout(const MenuParams& written, int columns, int rows);

    int Param(MenuParam param) const { return m_params[static_cast<std::size_t>(param)]; }
    int Width() const { return Param(MenuParam::Width); }
    int Rows() const { return Param(MenuParam::Rows); }
    int HShift() const { return Param(MenuParam::HShift); }
    int VShift() const { return Param(MenuParam::VShift); }

    // The box: its left column, its top and bottom border rows, the row of
    // its first entry, the width of a title or an entry inside it (below
    // zero when the margins leave no room), the length of its borders'
    // runs, and the column of its right edge.
    int BoxLeft() const { return Param(MenuParam::Margin) + 1 + HShift(); }
    int BoxTop() const { return VShift() + 1; }
    int FirstRow() const { return VShift() + 4; }
    int BoxBottom() const { return FirstRow() + Rows(); }
    int Inner() const { return Width() - 2 * Param(MenuParam::Margin) - 4; }
    int BorderLength() const { return std::max(0, Inner() + 2); }
    int RightEdge() const { return HShift() + Width() - Param(MenuParam::Margin); }
    // The row an entry is drawn on when the list shows from entry top, and
    // the entry a row shows.
    int RowOf(int entry, int top) const { return entry - top + FirstRow(); }
    int EntryOf(int row, int top) const { return row - FirstRow() + top; }
    // The scroll bar's first and last rows for count entries, or nothing
    // when they all fit.
    std::optional<std::pair<int, int>> ScrollBar(int count, int top) const;

    // The rows of the other parts: VSHIFT moves all but the help area's
    // end, the hidden menu's countdown and the cursor's end.
    int TabMsgRow() const { return Param(MenuParam::TabMsgRow) + VShift(); }
    int CmdLineRow() const { return Param(MenuParam::CmdLineRow) + VShift(); }
    int TimeoutRow() const { return Param(MenuParam::TimeoutRow) + VShift(); }
    int PasswordRow() const { return Param(MenuParam::PasswordRow) + VShift(); }
    int HelpFirstRow() const { return Param(MenuParam::HelpMsgRow) + VShift(); }
    int HelpLastRow() const { return Param(MenuParam::HelpMsgEndRow); }
    int HiddenRow() const { return Param(MenuParam::HiddenRow); }
    int EndRow() const { return Param(MenuParam::EndRow); }
    // Where a line of that length starts, centred over the menu's width.
    int Centred(int length) const { return 1 + HShift() + ((Width() - length) >> 1); }

    // The password box: its left column, the length of its runs, how many
    // characters it takes, and its header's column (in the module's
    // unsigned arithmetic).
    int PasswordLeft() const { return Param(MenuParam::PasswordMargin) + 1; }
    int PasswordFill() const { return std::max(0, Width() - 2 * Param(MenuParam::PasswordMargin) - 2); }
    int PasswordRoom() const { return Width() - 2 * Param(MenuParam::PasswordMargin) - 5; }
    int PasswordHeader(qsizetype promptLength) const;

private:
    MenuParams m_params;
};

// The screen vesamenu.c32 asks for: MENU RESOLUTION's two numbers as the
// module reads them (C's strtoul: 0x for hex, a missing one 0), 640 x 480
// without the line.
std::pair<int, int> MenuResolution(const std::optional<QByteArray>& resolution);
