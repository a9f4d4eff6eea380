#pragma once

#include "GrubPage.h"

#include <QByteArray>

#include <string>
#include <vector>

// GRUB's menu entry editor (menu_entry.c): the entry's script as lines in the
// text page's frame, edited with its Emacs-like keys, long lines folded with
// a backslash and the frame scrolled to keep the cursor in it. Tab's
// completions are not listed.
class GrubEditor {
public:
    enum class Result { Editing, Boot, Discard, CommandLine };

    // The script as GRUB keeps an entry's: its setparams line, then the
    // body between the braces as written.
    explicit GrubEditor(const QByteArray& script);

    Result Key(int key);
    // The lines as GRUB runs them: each ended by a line feed.
    QByteArray Script() const;
    int Line() const { return m_line; }
    int Column() const { return m_column; }
    // The page with the lines, the cursor on its cell.
    void Draw(GrubTerminal& text);

private:
    using Text = std::u32string;
    Text& Current() { return m_lines[static_cast<std::size_t>(m_line)]; }
    int Length(int line) const { return static_cast<int>(m_lines[static_cast<std::size_t>(line)].size()); }
    void Insert(const Text& text);
    void Forward();
    void Backward();
    void Previous();
    void Next();
    void DeleteChar();
    void Kill(bool continuous);
    // Rows a line takes in a frame this wide.
    int RowsOf(int line, int width) const;

    std::vector<Text> m_lines { Text() };
    int m_line = 0;
    int m_column = 0;
    int m_realColumn = 0; // where Up and Down aim
    Text m_killed;
    int m_previousKey = 0;
    int m_top = 0; // the frame's row of the first line; negative once scrolled
};
