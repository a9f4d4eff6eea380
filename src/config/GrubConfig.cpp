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

    const Token& At() const { return next_ < tokens_.size() ? tokens_[next_] : end_; }
    bool AtEnd() const { return next_ >= tokens_.size(); }
    bool AtWord() const { return !AtEnd() && At().kind == TokenKind::Word; }
    bool AtKeyword(QByteArrayView word) const { return AtWord() && At().plain && At().word.text == word; }
    int LastLine() const { return tokens_.empty() ? 1 : tokens_.back().line; }

    void Fail(int line, QByteArray message)
    {
        if (!error) {
            error = GrubConfigError { line, std::move(message) };
            errorAtEnd = AtEnd();
        }
    }

    // Commands up to a keyword that ends a block (then, fi, done …), a '}'
    // or the end; that token is left for the caller. A ; ends a command:
    // one with none before it is an empty command, which GRUB refuses.
    std::vector<GrubCommand> List()
    {
        std::vector<GrubCommand> commands;
        bool afterCommand = false;
        while (!error) {
            for (; !AtEnd() && At().kind == TokenKind::Separator; ++next_) {
                if (At().word.raw == ";" && !afterCommand)
                    Fail(At().line, "a ; with no command before it");
                afterCommand = false;
            }
            if (error || AtEnd() || At().kind == TokenKind::Close || (At().plain && Opener(At().word.text)))
                break;
            if (++commands_ > Limits::GrubCommands) {
                Fail(At().line, "more commands than Glimra reads in one grub.cfg");
                break;
            }
            GrubCommand command = Command();
            if (!error)
                commands.push_back(std::move(command));
            afterCommand = true;
        }
        return commands;
    }

    // What GRUB's grammar wants at least one command in.
    bool Filled(const std::vector<GrubCommand>& commands, const char* part, const char* opener, int openedOn)
    {
        if (error || !commands.empty())
            return !error;
        Fail(At().line,
            QByteArray("GRUB refuses the empty ") + part + " of the " + opener + " on line "
                + QByteArray::number(openedOn));
        return false;
    }

    // A block's keyword where its opener does not stand.
    void Stray()
    {
        if (!error && !AtEnd() && At().plain && Opener(At().word.text))
            Fail(At().line, "a " + At().word.text + " without its " + Opener(At().word.text));
    }

    // Expects the keyword at a command's start, after the list before it.
    bool Expect(QByteArrayView keyword, const char* opener, int openedOn)
    {
        if (error)
            return false;
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
            Fail(first.line, "a { where a command's name should stand");
            return command;
        }
        // menuentry and submenu are commands taking a block, not keywords.
        const QByteArray name = first.plain ? first.word.text : QByteArray();
        const bool item = first.word.text == "menuentry" || first.word.text == "submenu";
        const bool block
            = item || name == "if" || name == "for" || name == "while" || name == "until" || name == "function";
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
        else
            Simple(command,
                item ? (first.word.text == "submenu" ? GrubBlock::Submenu : GrubBlock::MenuEntry) : GrubBlock::None);
        depth_ -= block ? 1 : 0;
        command.endLine = next_ > 0 ? tokens_[next_ - 1].endLine : command.line;
        return command;
    }

    // Words, and { … } blocks, which GRUB's grammar lets any command take as
    // an argument; a menuentry's or submenu's is its body.
    void Simple(GrubCommand& command, GrubBlock item)
    {
        while (!error && !AtEnd() && (At().kind == TokenKind::Word || At().kind == TokenKind::Open)) {
            if (At().kind == TokenKind::Word) {
                command.words.push_back(At().word);
                ++next_;
                continue;
            }
            const qsizetype begin = At().begin;
            GrubBranch branch;
            QByteArray source;
            if (!Block(branch.body, source, command.Name().constData()))
                return;
            if (item != GrubBlock::None && command.branches.empty()) {
                command.block = item;
                command.source = source;
                command.branches.push_back(std::move(branch));
            } else {
                command.words.push_back({ text_.sliced(begin, tokens_[next_ - 1].end - begin).toByteArray(), source });
            }
        }
    }

    void If(GrubCommand& command)
    {
        command.block = GrubBlock::If;
        ++next_;
        for (bool arm = true; arm && !error;) {
            GrubBranch branch;
            branch.condition = List();
            if (!Filled(branch.condition, "condition", "if", command.line) || !Expect("then", "if", command.line))
                return;
            branch.body = List();
            if (!Filled(branch.body, "then part", "if", command.line))
                return;
            command.branches.push_back(std::move(branch));
            arm = AtKeyword("elif");
            if (arm)
                ++next_;
        }
        if (!error && AtKeyword("else")) {
            ++next_;
            command.branches.push_back(GrubBranch { {}, List() });
            if (!Filled(command.branches.back().body, "else part", "if", command.line))
                return;
        }
        Expect("fi", "if", command.line);
    }

    // After "do": the body and "done".
    void DoDone(GrubCommand& command, const char* opener)
    {
        GrubBranch branch;
        branch.body = List();
        if (!Filled(branch.body, "body", opener, command.line))
            return;
        command.branches.push_back(std::move(branch));
        Expect("done", opener, command.line);
    }

    void For(GrubCommand& command)
    {
        command.block = GrubBlock::For;
        ++next_;
        if (!AtWord()) {
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
        while (AtWord()) {
            command.words.push_back(At().word);
            ++next_;
        }
        while (!AtEnd() && At().kind == TokenKind::Separator)
            ++next_;
        if (Expect("do", "for", command.line))
            DoDone(command, "for");
    }

    void Loop(GrubCommand& command, GrubBlock block)
    {
        command.block = block;
        const char* opener = block == GrubBlock::While ? "while" : "until";
        ++next_;
        std::vector<GrubCommand> condition = List();
        if (!Filled(condition, "condition", opener, command.line) || !Expect("do", opener, command.line))
            return;
        DoDone(command, opener);
        if (!error)
            command.branches.front().condition = std::move(condition);
    }

    // { commands } at the next token, on the same line; its text is kept as written.
    bool Block(std::vector<GrubCommand>& body, QByteArray& source, const char* opener)
    {
        const Token& open = At();
        ++next_;
        body = List();
        Stray();
        if (error)
            return false;
        if (AtEnd()) {
            Fail(open.line, QByteArray("the { of this ") + opener + " is never closed");
            return false;
        }
        if (!Filled(body, "{ } block", opener, open.line))
            return false;
        source = text_.sliced(open.end, At().begin - open.end).toByteArray();
        ++next_;
        return true;
    }

    void Function(GrubCommand& command)
    {
        command.block = GrubBlock::Function;
        ++next_;
        if (!AtWord()) {
            Fail(command.line, "a function without a name");
            return;
        }
        command.words.push_back(At().word);
        ++next_;
        if (AtEnd() || At().kind != TokenKind::Open) {
            Fail(command.line, "the function has no { … } block on its line");
            return;
        }
        GrubBranch branch;
        if (Block(branch.body, command.source, "function"))
            command.branches.push_back(std::move(branch));
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
            items.push_back(GrubItemOf(command, conditional));
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

GrubItem GrubItemOf(const GrubCommand& command, bool conditional)
{
    GrubItem item = ItemOf(command, conditional);
    if (item.submenu)
        CollectItems(item.body, false, item.items);
    return item;
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
