// The commands of a grub.cfg run as GRUB runs them: variables in the menu's
// context, users registered, files sourced and menus loaded, and what an
// entry's commands load.
#include "GrubSim.h"

#include "common/Limits.h"

#include <QRegularExpression>

#include <algorithm>

namespace {

// Commands the simulator has no need to play: what they do shows nowhere
// in the menu or in what boots.
bool Silent(const QByteArray& name)
{
    static const char* const silent[] = { "insmod", "terminal_output", "terminal_input", "echo", "setparams", "boot",
        "search", "sleep", "true", "false", "[", "test", "serial", "terminal" };
    return std::any_of(std::begin(silent), std::end(silent), [&](const char* word) { return name == word; });
}

// The items of an arm's body: the simulator makes no entries inside an if.
const std::vector<GrubItem>& NoItems()
{
    static const std::vector<GrubItem> none;
    return none;
}

// Whether name is one of the words of a list as GRUB's strword splits it.
bool WordIn(const QByteArray& list, const QByteArray& name)
{
    QByteArray word;
    for (const char byte : list + ' ') {
        if (byte == ' ' || byte == '\t' || byte == '\n' || byte == ',' || byte == ';' || byte == '|' || byte == '&') {
            if (!word.isEmpty() && word == name)
                return true;
            word.clear();
        } else {
            word += byte;
        }
    }
    return false;
}

}

std::optional<QByteArray> GrubSim::Get(const Env& env, const QByteArray& name) const
{
    const auto found = env.values.find(name);
    if (found == env.values.end())
        return std::nullopt;
    return found->second;
}

QByteArray GrubSim::Expand(const Env& env, const GrubWord& word) const
{
    return ExpandGrubWord(word, [&](const QByteArray& name) { return Get(env, name).value_or("${" + name + "}"); });
}

QByteArray GrubSim::Relative(const QByteArray& path) const
{
    const QByteArray prefix = m_options.prefix + '/';
    return path.startsWith(prefix) ? path.sliced(prefix.size()) : path;
}

std::unique_ptr<GrubSim::Frame> GrubSim::NewContext(const Env& from) const
{
    auto frame = std::make_unique<Frame>();
    for (const QByteArray& name : from.exported) {
        if (const auto value = Get(from, name)) {
            frame->env.values[name] = *value;
            frame->env.exported.insert(name);
        }
    }
    frame->nested = true;
    return frame;
}

bool GrubSim::Authenticated(const std::optional<QByteArray>& users, const Env& env) const
{
    const std::optional<QByteArray> superusers = Get(env, "superusers");
    if (!superusers)
        return true;
    return std::any_of(m_authenticated.begin(), m_authenticated.end(),
        [&](const QByteArray& user) { return (users && WordIn(*users, user)) || WordIn(*superusers, user); });
}

const GrubConfig* GrubSim::ReadFile(const QByteArray& path)
{
    const std::optional<QByteArray> bytes = m_files(Relative(path));
    if (!bytes) {
        m_note = QStringLiteral("GRUB finds no file %1.").arg(QString::fromUtf8(path));
        return nullptr;
    }
    m_read.push_back(ReadGrubConfig(*bytes));
    if (const std::optional<GrubConfigError>& error = m_read.back().error)
        m_note = QStringLiteral("%1 line %2: %3; GRUB runs what comes before.")
                     .arg(QString::fromUtf8(path))
                     .arg(error->line)
                     .arg(QString::fromUtf8(error->message));
    return &m_read.back();
}

void GrubSim::RunFile(const QByteArray& path, bool newMenu, Frame& frame, Loaded& loaded, int depth)
{
    if (depth >= Limits::GrubFilesNested) {
        m_note = QStringLiteral("Files source each other deeper than %1: the rest is not played.")
                     .arg(Limits::GrubFilesNested);
        return;
    }
    const GrubConfig* read = ReadFile(path);
    if (!read)
        return;
    if (!newMenu) {
        RunScript(read->commands, read->items, frame, loaded, depth + 1);
        return;
    }
    // configfile: a menu of its own in a new context, Esc back to this one.
    std::unique_ptr<Frame> menu = NewContext(frame.env);
    Loaded inner;
    RunScript(read->commands, read->items, *menu, inner, depth + 1);
    if (!menu->entries.empty())
        loaded.menu = std::move(menu);
}

void GrubSim::RunScript(const std::vector<GrubCommand>& commands, const std::vector<GrubItem>& items, Frame& frame,
    Loaded& loaded, int depth, std::size_t from)
{
    for (std::size_t at = from; at < commands.size(); ++at) {
        const GrubCommand& command = commands[at];
        if (command.block == GrubBlock::MenuEntry || command.block == GrubBlock::Submenu) {
            const auto item = std::find_if(items.begin(), items.end(),
                [&](const GrubItem& each) { return each.line == command.line && !each.conditional; });
            if (item != items.end())
                frame.entries.push_back(&*item);
            continue;
        }
        if (command.block == GrubBlock::If && !command.branches.empty()
            && command.branches.front().condition.size() == 1
            && command.branches.front().condition.front().Name() == "authenticate") {
            Authenticate(command, frame, loaded, depth);
            if (loaded.resume && loaded.resume->authenticate == &command) {
                loaded.resume->commands = &commands;
                loaded.resume->items = &items;
                loaded.resume->next = at + 1;
            }
            if (loaded.resume || loaded.end)
                return;
            continue;
        }
        if (command.block != GrubBlock::None) {
            m_note = QStringLiteral("Line %1 holds a block GRUB would run; the simulator leaves it out.")
                         .arg(command.line);
            continue;
        }
        const Next next = RunCommand(command, frame, loaded, depth);
        if (next == Next::Read)
            loaded.resume = Resume { &commands, &items, at + 1, depth, nullptr, {} };
        if (next != Next::Go)
            return;
    }
}

// authenticate passes at once for a user known (or with no superusers);
// otherwise the script waits for the prompt's answer. A refusal runs the
// else arm: the condition's error is dropped, as an if drops it.
void GrubSim::Authenticate(const GrubCommand& command, Frame& frame, Loaded& loaded, int depth)
{
    const GrubCommand& condition = command.branches.front().condition.front();
    const QByteArray users = condition.words.size() > 1 ? Expand(frame.env, condition.words[1]) : QByteArray();
    if (!Authenticated(users, frame.env)) {
        loaded.resume = Resume { nullptr, nullptr, 0, depth, &command, users };
        return;
    }
    RunScript(command.branches.front().body, NoItems(), frame, loaded, depth);
}

void GrubSim::AuthenticateAnswered(bool accepted)
{
    std::unique_ptr<Loaded> loaded = std::move(m_reading);
    const Resume resume = *loaded->resume;
    loaded->resume.reset();
    const std::vector<GrubBranch>& arms = resume.authenticate->branches;
    if (accepted)
        RunScript(arms.front().body, NoItems(), Top(), *loaded, resume.depth);
    else if (arms.size() > 1 && arms.back().condition.empty())
        RunScript(arms.back().body, NoItems(), Top(), *loaded, resume.depth);
    if (!loaded->resume && !loaded->end)
        RunScript(*resume.commands, *resume.items, Top(), *loaded, resume.depth, resume.next);
    Finish(std::move(loaded));
}

// regexp [--set=[N:]VAR]... REGEXP STRING: the groups of the match into
// the variables (the whole match without N); nothing set when it fails.
void GrubSim::Regexp(const std::vector<QByteArray>& args, Env& env)
{
    std::vector<std::pair<int, QByteArray>> sets;
    std::vector<QByteArray> words;
    for (const QByteArray& arg : args) {
        if (arg.startsWith("--set=")) {
            const QByteArray set = arg.sliced(6);
            const qsizetype colon = set.indexOf(':');
            sets.emplace_back(colon < 0 ? 1 : set.first(colon).toInt(), colon < 0 ? set : set.sliced(colon + 1));
        } else {
            words.push_back(arg);
        }
    }
    if (words.size() < 2)
        return;
    const QRegularExpressionMatch match
        = QRegularExpression(QString::fromUtf8(words[0])).match(QString::fromUtf8(words[1]));
    for (const auto& [group, name] : sets) {
        if (match.hasMatch() && group <= match.lastCapturedIndex())
            env.values[name] = match.captured(group).toUtf8();
    }
}

// background_image FILE: gfxterm's picture behind its text, stretched to
// the window; without a file, none.
void GrubSim::BackgroundImage(const std::vector<QByteArray>& args)
{
    m_background.reset();
    const std::vector<QByteArray> files(
        std::find_if(args.begin(), args.end(), [](const QByteArray& arg) { return !arg.startsWith('-'); }), args.end());
    if (files.empty())
        return;
    const std::optional<QByteArray> bytes = m_files(Relative(files.front()));
    const std::optional<Vesa::Picture> picture = bytes ? Vesa::DecodePng(*bytes) : std::nullopt;
    if (!picture) {
        m_note = QStringLiteral("GRUB cannot show %1.").arg(QString::fromUtf8(files.front()));
        return;
    }
    m_background = *picture;
}

// One simple command; whether what follows it runs.
GrubSim::Next GrubSim::RunCommand(const GrubCommand& command, Frame& frame, Loaded& loaded, int depth)
{
    Env& env = frame.env;
    const QByteArray name = command.Name();
    std::vector<QByteArray> args;
    for (std::size_t at = 1; at < command.words.size(); ++at)
        args.push_back(Expand(env, command.words[at]));
    const QByteArray first = args.empty() ? QByteArray() : args.front();
    static const std::pair<const char*, Outcome> ends[]
        = { { "exit", Outcome::Exit }, { "reboot", Outcome::Reboot }, { "halt", Outcome::Halt } };
    for (const auto& [word, outcome] : ends) {
        if (name == word) {
            loaded.end = outcome;
            return Next::Stop;
        }
    }
    if (name == "set" && !args.empty()) {
        const qsizetype equals = first.indexOf('=');
        env.values[equals < 0 ? first : first.first(equals)] = equals < 0 ? QByteArray() : first.sliced(equals + 1);
    } else if (name == "unset") {
        for (const QByteArray& each : args)
            env.values.erase(each);
    } else if (name == "export") {
        env.exported.insert(args.begin(), args.end());
    } else if (name == "password_pbkdf2" && args.size() >= 2) {
        m_passwords[args[0]] = args[1];
    } else if (name == "loadfont" && !args.empty()) {
        // gfxterm draws in the first font loaded; the theme names any.
        m_fontPaths.push_back(Relative(first));
        if (const std::optional<QByteArray> bytes = m_font ? std::nullopt : m_files(Relative(first)))
            m_font = ReadPf2(*bytes);
    } else if (name == "regexp") {
        Regexp(args, env);
    } else if (name == "background_image") {
        BackgroundImage(args);
    } else if (name == "clear") {
        // gfxterm draws its cursor with the next character, not at a clear.
        ClearText();
        m_text.ShowCursor(false);
    } else if (name == "read") {
        return Next::Read;
    } else if ((name == "source" || name == "configfile") && !args.empty()) {
        // A read inside a sourced file goes on to that file's end only.
        RunFile(first, name == "configfile", frame, loaded, depth);
        return loaded.menu || loaded.resume || loaded.end ? Next::Stop : Next::Go;
    } else if ((name == "linux" || name == "linuxefi") && !args.empty()) {
        loaded.boot = GrubLoaded { {}, first, {}, {} };
        for (std::size_t at = 1; at < args.size(); ++at)
            loaded.boot->arguments += (at > 1 ? " " : "") + args[at];
    } else if ((name == "initrd" || name == "initrdefi") && !args.empty()) {
        if (!loaded.boot)
            m_note = QStringLiteral("GRUB says \"you need to load the kernel first\" at initrd.");
        else
            loaded.boot->initrds = args;
    } else if (!Silent(name)) {
        m_note = QStringLiteral("GRUB would run %1 here; the simulator does not play it.").arg(QString::fromUtf8(name));
    }
    return Next::Go;
}
