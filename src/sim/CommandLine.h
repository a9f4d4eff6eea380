#pragma once

#include "LineEditor.h"
#include "config/LoaderVersion.h"

#include <QByteArray>

#include <functional>
#include <vector>

// ldlinux.c32's boot: line editor (cli.c's edit_cmdline): the keys it
// shares with the menu's editor (LineEditor), its history, and the bytes it
// prints. The line's buffer is static in the loader, so a new prompt starts
// with the last line still in it, unseen: Tab completes its first word, and
// Enter on an empty prompt runs it again (6.04; older builds start empty). The editor counts the columns it
// has printed from 0 after the prompt and starts a new row when the count
// reaches the width, on top of the console's own wrap; a redraw counts from
// the prompt's end.
class CommandLine {
public:
    using Output = std::function<void(const QByteArray&)>;
    // The build's rules: whether a new prompt keeps the last line in the
    // buffer, and the assembly core's editing (VersionRules.h).
    CommandLine(Output output, int width, const LoaderVersion& version = LoaderVersion::Debian());

    // A new loader: no history, an empty buffer.
    void Forget();
    // A new prompt where the cursor is; the buffer stays as it was.
    void Begin();
    // An editing key (get_key's code); false for a key the editor does not
    // take (Enter, Tab, F-keys and Ctrl-L are the loader's).
    bool Press(int key);
    // The line drawn again from column 0 of the cursor's row; by the
    // assembly core, the prompt and line written on where the cursor is.
    void Redraw();
    // The assembly core's Ctrl-U: a new, empty prompt on the next row.
    void Kill();
    // Ctrl-L: the screen cleared, the line drawn at its top.
    void ClearScreen();
    // Enter: the buffer's line, kept in the history unless empty.
    QByteArray Enter();
    // The buffer's first word, which Tab completes.
    QByteArray Word() const;

private:
    void Print(const QByteArray& bytes) { m_output(bytes); }
    void Echo(char byte, const char* wrap);
    void Recall(bool older);
    bool CorePress(int key);

    Output m_output;
    int m_width;
    bool m_keepsLine;
    bool m_core;
    LineEditor m_line;
    int m_shown = 0; // prev_len: how much the last drawing showed
    int m_x = 0; // the editor's own column count
    int m_y = 0;
    std::vector<QByteArray> m_history; // oldest first
    int m_recalled = -1; // steps back into the history; -1 or past the oldest: none
};
