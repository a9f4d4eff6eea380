#include "GrubConfig.h"

#include "GrubWords.h"
#include "common/Limits.h"

#include <algorithm>
#include <cctype>
#include <initializer_list>

using GrubWords::Token;
using GrubWords::TokenKind;

namespace {

// The block a keyword belongs inside, for one met where a command starts.
const char* Opener(const QByteArray& word)
{
    if (word == "then" || word == "elif" || word == "else" || word == "fi")
        return "if";
    if (word == "do" || word == "done")
        return "for, while or until";
    return nullptr;
}

class Parser {
public:
    Parser(QByteArrayView text, const std::vector<Token>& tokens)
        : text_(text)
        , tokens_(tokens)
    {
    }

    std::vector<GrubCommand> Script()
    {
        std::vector<GrubCommand> commands = List();
        Stray();
        if (!error && At().kind == TokenKind::Close)
            Fail(At().line, "a } that closes nothing");
        return commands;
    }

    std::optional<GrubConfigError> error;
    bool errorAtEnd = false; // found where the words ran out

private:
    QByteArrayView text_;
    const std::vector<Token>& tokens_;
    std::size_t next_ = 0;
    int depth_ = 0;
    int commands_ = 0;
    Token end_ {};

    const Token& At() const
    {
        if (next_ < tokens_.size())
            return tokens_[next_];
        return end_;
    }
    bool AtEnd() const { return next_ >= tokens_.size(); }
    bool AtKeyword(QByteArrayView word) const
    {
        return !AtEnd() && At().kind == TokenKind::Word && At().plain && At().word.text == word;
    }
    int LastLine() const { return tokens_.empty() ? 1 : tokens_.back().line; }

    void Fail(int line, QByteArray message)
    {
        if (!error) {
            error = GrubConfigError { line, std::move(message) };
            errorAtEnd = AtEnd();
        }
    }
    void SkipSeparators()
    {
        while (!AtEnd() && At().kind == TokenKind::Separator)
            ++next_;
    }

    // Commands up to a keyword that ends a block (then, fi, done …), a '}'
    // or the end; that token is left for the caller.
    std::vector<GrubCommand> List()
    {
        std::vector<GrubCommand> commands;
        while (!error) {
            SkipSeparators();
            if (AtEnd() || At().kind == TokenKind::Close || (At().plain && Opener(At().word.text)))
                break;
            if (++commands_ > Limits::GrubCommands) {
                Fail(At().line, "more commands than Glimra reads in one grub.cfg");
                break;
            }
            GrubCommand command = Command();
            if (!error)
                commands.push_back(std::move(command));
        }
        return commands;
    }

    // A block's keyword where its opener does not stand.
    void Stray()
    {
        if (!AtEnd() && At().plain && Opener(At().word.text))
            Fail(At().line, "a " + At().word.text + " without its " + Opener(At().word.text));
    }

    // Expects the keyword at a command's start, after the list before it.
    bool Expect(QByteArrayView keyword, const char* opener, int openedOn)
    {
        if (AtKeyword(keyword)) {
            ++next_;
            return true;
        }
        Fail(AtEnd() ? LastLine() : At().line,
            QByteArray("the ") + opener + " on line " + QByteArray::number(openedOn) + " has no "
                + keyword.toByteArray());
        return false;
    }

    GrubCommand Command()
    {
        const Token& first = At();
        GrubCommand command;
        command.line = first.line;
        if (first.kind == TokenKind::Open) {
            Fail(first.line, "a { outside menuentry, submenu or function");
            return command;
        }
        const QByteArray name = first.plain ? first.word.text : QByteArray();
        const bool block = name == "if" || name == "for" || name == "while" || name == "until" || name == "function"
            || name == "menuentry" || name == "submenu";
        if (block && ++depth_ > Limits::GrubNesting) {
            Fail(first.line, "blocks nested deeper than Glimra reads");
            return command;
        }
        if (name == "if")
            If(command);
        else if (name == "for")
            For(command);
        else if (name == "while" || name == "until")
            Loop(command, name == "while" ? GrubBlock::While : GrubBlock::Until);
        else if (name == "function")
            Function(command);
        else if (name == "menuentry" || name == "submenu")
            Item(command, name == "submenu" ? GrubBlock::Submenu : GrubBlock::MenuEntry);
        else
            Simple(command);
        depth_ -= block ? 1 : 0;
        command.endLine = next_ > 0 ? tokens_[next_ - 1].endLine : command.line;
        return command;
    }

    void Simple(GrubCommand& command)
    {
        while (!AtEnd() && At().kind == TokenKind::Word) {
            command.words.push_back(At().word);
            ++next_;
        }
        if (!AtEnd() && At().kind == TokenKind::Open)
            Fail(At().line, "a { after " + command.Name() + ": only menuentry, submenu and function take a block");
    }

    void If(GrubCommand& command)
    {
        command.block = GrubBlock::If;
        ++next_;
        for (bool arm = true; arm && !error;) {
            GrubBranch branch;
            branch.condition = List();
            if (!Expect("then", "if", command.line))
                return;
            branch.body = List();
            command.branches.push_back(std::move(branch));
            arm = AtKeyword("elif");
            if (arm)
                ++next_;
        }
        if (!error && AtKeyword("else")) {
            ++next_;
            command.branches.push_back(GrubBranch { {}, List() });
        }
        if (!error)
            Expect("fi", "if", command.line);
    }

    // The words up to the line's end or ;, then "do", the body and "done".
    void DoDone(GrubCommand& command, const char* opener)
    {
        GrubBranch branch;
        branch.body = List();
        command.branches.push_back(std::move(branch));
        if (!error)
            Expect("done", opener, command.line);
    }

    void For(GrubCommand& command)
    {
        command.block = GrubBlock::For;
        ++next_;
        if (AtEnd() || At().kind != TokenKind::Word) {
            Fail(command.line, "a for without a variable's name");
            return;
        }
        command.words.push_back(At().word);
        ++next_;
        if (!AtKeyword("in")) {
            Fail(command.line, "a for without in");
            return;
        }
        ++next_;
        while (!AtEnd() && At().kind == TokenKind::Word) {
            command.words.push_back(At().word);
            ++next_;
        }
        SkipSeparators();
        if (Expect("do", "for", command.line))
            DoDone(command, "for");
    }

    void Loop(GrubCommand& command, GrubBlock block)
    {
        command.block = block;
        const char* opener = block == GrubBlock::While ? "while" : "until";
        ++next_;
        std::vector<GrubCommand> condition = List();
        if (!Expect("do", opener, command.line))
            return;
        DoDone(command, opener);
        command.branches.front().condition = std::move(condition);
    }

    // Newlines may stand before the block's {; its text is kept as written.
    bool Block(GrubCommand& command, const char* opener)
    {
        SkipSeparators();
        if (AtEnd() || At().kind != TokenKind::Open) {
            Fail(command.line, QByteArray("the ") + opener + " has no { … } block");
            return false;
        }
        const Token& open = At();
        ++next_;
        GrubBranch branch;
        branch.body = List();
        Stray();
        if (error)
            return false;
        if (AtEnd()) {
            Fail(open.line, QByteArray("the { of this ") + opener + " is never closed");
            return false;
        }
        command.source = text_.sliced(open.end, At().begin - open.end).toByteArray();
        command.branches.push_back(std::move(branch));
        ++next_;
        return true;
    }

    void Function(GrubCommand& command)
    {
        command.block = GrubBlock::Function;
        ++next_;
        if (AtEnd() || At().kind != TokenKind::Word) {
            Fail(command.line, "a function without a name");
            return;
        }
        command.words.push_back(At().word);
        ++next_;
        Block(command, "function");
    }

    void Item(GrubCommand& command, GrubBlock block)
    {
        command.block = block;
        while (!AtEnd() && At().kind == TokenKind::Word) {
            command.words.push_back(At().word);
            ++next_;
        }
        Block(command, block == GrubBlock::Submenu ? "submenu" : "menuentry");
    }
};

// GRUB's extcmd reading of menuentry's options: --opt=value or --opt value,
// -- ending them, anywhere among the other words.
GrubItem ItemOf(const GrubCommand& command, bool conditional)
{
    GrubItem item;
    item.submenu = command.block == GrubBlock::Submenu;
    item.line = command.line;
    item.conditional = conditional;
    item.source = command.source;
    item.body = command.branches.empty() ? std::vector<GrubCommand>() : command.branches.front().body;
    std::vector<QByteArray> words;
    bool options = true;
    std::optional<QByteArray> id;
    for (std::size_t i = 1; i < command.words.size(); ++i) {
        const QByteArray& word = command.words[i].text;
        if (options && word == "--") {
            options = false;
            continue;
        }
        if (!options || !word.startsWith("--")) {
            words.push_back(word);
            continue;
        }
        const qsizetype equals = word.indexOf('=');
        const QByteArray name = word.mid(2, equals < 0 ? -1 : equals - 2);
        const auto value = [&]() -> QByteArray {
            if (equals >= 0)
                return word.mid(equals + 1);
            return i + 1 < command.words.size() ? command.words[++i].text : QByteArray();
        };
        if (name == "class")
            item.classes.push_back(value());
        else if (name == "users")
            item.users = value();
        else if (name == "hotkey")
            item.hotkey = value();
        else if (name == "id")
            id = value();
        else if (name == "source")
            item.source = value();
        else if (name == "unrestricted")
            item.unrestricted = true;
        else
            words.push_back(word);
    }
    if (!words.empty()) {
        item.title = words.front();
        item.arguments.assign(words.begin() + 1, words.end());
    }
    // GRUB names an entry by its title when it has no id.
    item.id = id.value_or(item.title);
    return item;
}

void CollectItems(const std::vector<GrubCommand>& commands, bool conditional, std::vector<GrubItem>& items)
{
    for (const GrubCommand& command : commands) {
        switch (command.block) {
        case GrubBlock::MenuEntry:
        case GrubBlock::Submenu: {
            GrubItem item = ItemOf(command, conditional);
            if (item.submenu)
                CollectItems(item.body, false, item.items);
            items.push_back(std::move(item));
            break;
        }
        case GrubBlock::If:
        case GrubBlock::For:
        case GrubBlock::While:
        case GrubBlock::Until:
            for (const GrubBranch& branch : command.branches)
                CollectItems(branch.body, true, items);
            break;
        case GrubBlock::None:
        case GrubBlock::Function: break;
        }
    }
}

bool Bare(char c) { return std::isalnum(static_cast<unsigned char>(c)) || QByteArrayView("-_./,:=+@%").contains(c); }

}

GrubConfig ReadGrubConfig(QByteArrayView text)
{
    GrubConfig config;
    if (text.size() > Limits::GrubConfigBytes) {
        config.error = GrubConfigError { 1, "larger than Glimra reads as a grub.cfg" };
        return config;
    }
    std::vector<Token> tokens;
    const auto cutError = GrubWords::Cut(text, tokens, qsizetype(Limits::GrubCommands) * 64);
    Parser parser(text, tokens);
    config.commands = parser.Script();
    // Where the words ran out early, the reason is the cutting's.
    config.error = parser.error && !(parser.errorAtEnd && cutError) ? parser.error : cutError;
    CollectItems(config.commands, false, config.items);
    return config;
}

const GrubItem* GrubItemAt(const GrubConfig& config, const std::vector<int>& path)
{
    const std::vector<GrubItem>* items = &config.items;
    const GrubItem* item = nullptr;
    for (const int index : path) {
        if (index < 0 || static_cast<std::size_t>(index) >= items->size())
            return nullptr;
        item = &(*items)[static_cast<std::size_t>(index)];
        items = &item->items;
    }
    return item;
}

QByteArray GrubQuote(QByteArrayView text)
{
    if (!text.isEmpty() && std::all_of(text.begin(), text.end(), Bare))
        return text.toByteArray();
    QByteArray quoted = "'";
    for (const char c : text)
        quoted += c == '\'' ? QByteArray("'\\''") : QByteArray(1, c);
    return quoted + "'";
}

QByteArray ExpandGrubWord(const GrubWord& word, const std::function<QByteArray(const QByteArray& name)>& value)
{
    return GrubWords::Expand(word.raw, value);
}
