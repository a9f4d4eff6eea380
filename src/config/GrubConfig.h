#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <functional>
#include <optional>
#include <vector>

// A grub.cfg read as GRUB's script reader cuts it: words split at blanks,
// '…' taken as it stands, "…" with \ escaping only $ " \ and a newline,
// \ escaping one byte outside quotes, # starting a comment at a word's
// start, commands ending at a newline or ;, and the blocks of the script
// (if/elif/else/fi, for/while/until … do … done, function name { }). A
// { } block on a command's line is one of its arguments, as GRUB's grammar
// has it; menuentry's and submenu's is their body. What GRUB's grammar
// refuses is an error here too: an empty block, condition or command, ;;,
// a $ that names no variable. Variables are never expanded: a word keeps
// $name as written, for the reader of the model to decide. Nothing is run:
// source and configfile are commands like any other.

struct GrubWord {
    QByteArray raw; // as written, quotes and escapes included
    QByteArray text; // quotes removed, escapes resolved, $variables left as written

    bool operator==(const GrubWord&) const = default;
};

enum class GrubBlock { None, If, For, While, Until, Function, MenuEntry, Submenu };

struct GrubCommand;

// One arm of an if (its condition's commands, then its body; the else arm
// has no condition), or the body of any other block.
struct GrubBranch {
    std::vector<GrubCommand> condition;
    std::vector<GrubCommand> body;
};

struct GrubCommand {
    GrubBlock block = GrubBlock::None;
    // A simple command's words, name first (a { } block argument is one
    // word: raw with its braces, text what is inside). For: the variable,
    // then the words after "in". Function: its name. Menuentry and
    // submenu: every word before the body's brace, the name first.
    std::vector<GrubWord> words;
    std::vector<GrubBranch> branches; // if: one per arm; the other blocks: one
    QByteArray source; // menuentry/submenu: the text between the braces, as GRUB keeps it for editing
    int line = 0; // from 1: where the command's first word stands
    int endLine = 0; // the line of its last word (a block's closing word)

    QByteArray Name() const { return words.empty() ? QByteArray() : words.front().text; }
    // The text of word i, or nothing past the end.
    QByteArray Arg(std::size_t i) const { return i < words.size() ? words[i].text : QByteArray(); }
};

// A menuentry or submenu, its options read as GRUB's menuentry command
// reads them: --class (any number), --users, --unrestricted, --hotkey,
// --id, each as --opt=value or --opt value; the first other word is the
// title, the rest its arguments.
struct GrubItem {
    bool submenu = false;
    QByteArray title;
    QByteArray id;
    QByteArray hotkey; // a letter, or backspace/tab/delete, or f1..f12, as written
    std::vector<QByteArray> classes;
    std::optional<QByteArray> users; // --users' value; nothing when not given
    bool unrestricted = false;
    std::vector<QByteArray> arguments; // words after the title
    std::vector<GrubCommand> body;
    QByteArray source; // the body's text, as GRUB's editor shows it
    std::vector<GrubItem> items; // a submenu's own entries and submenus, in order
    bool conditional = false; // inside an if, for or while: made only when that runs
    int line = 0;
};

struct GrubConfigError {
    int line = 0;
    QByteArray message;
};

struct GrubConfig {
    std::vector<GrubCommand> commands; // the top level in order, blocks included
    std::vector<GrubItem> items; // the menu's entries and submenus, nested, in order (functions' bodies left out)
    std::optional<GrubConfigError>
        error; // the first thing that does not read; commands and items hold what came before
};

// Reads grub.cfg text. Past the bounds of Limits.h it stops with an error.
GrubConfig ReadGrubConfig(QByteArrayView text);

// A menuentry or submenu command read as an item (its own items too).
GrubItem GrubItemOf(const GrubCommand& command, bool conditional = false);

// The item an item path leads to (indexes into items, then into a
// submenu's items), or nothing when it leads nowhere.
const GrubItem* GrubItemAt(const GrubConfig& config, const std::vector<int>& path);

// Quotes a word so GRUB reads it back as text: bare when it needs nothing,
// else in '…' with each ' written as '\''.
QByteArray GrubQuote(QByteArrayView text);

// A word's text with each $name, ${name}, $1 … replaced by what value says
// (GRUB's own expansion, without its splitting of unquoted values into
// several words); the word as the reader above would read it otherwise.
QByteArray ExpandGrubWord(const GrubWord& word, const std::function<QByteArray(const QByteArray& name)>& value);
