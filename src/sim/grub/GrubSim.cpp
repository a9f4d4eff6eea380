// The menu's loop (normal/menu.c's run_menu and show_menu): the countdown,
// keys, entries run, submenus entered and left.
#include "GrubSim.h"

#include "GrubKeys.h"

#include <algorithm>

namespace {

constexpr int PageSize = 10; // PgUp and PgDn's step

// A number as GRUB's strtoul reads it with base 0 (0x hex, a leading 0
// octal, the rest after the digits ignored); nothing without a digit.
std::optional<unsigned long long> GrubNumber(const QByteArray& text)
{
    QByteArray digits = text.trimmed();
    int base = 10;
    if (digits.startsWith("0x") || digits.startsWith("0X")) {
        base = 16;
        digits = digits.sliced(2);
    } else if (digits.startsWith('0')) {
        base = 8;
    }
    qsizetype length = 0;
    while (length < digits.size() && QByteArray("0123456789abcdef").left(base).contains(char(tolower(digits[length]))))
        ++length;
    bool read = false;
    const unsigned long long value = digits.first(length).toULongLong(&read, base);
    return length > 0 && read ? std::optional(value) : std::nullopt;
}

// Whether an entry's title or id is what a default names: the whole of it,
// or the part before a '>' that goes into a submenu ('>>' stands for '>').
bool NamedBy(const QByteArray& name, const QByteArray& wanted)
{
    qsizetype at = 0;
    qsizetype in = 0;
    while (true) {
        const bool step = in < wanted.size() && wanted[in] == '>' && !(in + 1 < wanted.size() && wanted[in + 1] == '>');
        if (step)
            return at == name.size();
        if (in < wanted.size() && wanted[in] == '>')
            ++in;
        if (in >= wanted.size() || at >= name.size())
            return in >= wanted.size() && at >= name.size();
        if (name[at] != wanted[in])
            return false;
        ++at;
        ++in;
    }
}

// What a default names inside the submenu it goes into, if anything.
std::optional<QByteArray> InnerDefault(const QByteArray& wanted)
{
    for (qsizetype at = 0; at < wanted.size(); ++at) {
        if (wanted[at] == '>' && at + 1 < wanted.size() && wanted[at + 1] == '>')
            ++at;
        else if (wanted[at] == '>')
            return at + 1 < wanted.size() ? std::optional(wanted.sliced(at + 1)) : std::nullopt;
    }
    return std::nullopt;
}

}

QByteArray GrubLoaded::InitrdLine() const
{
    QByteArray line = "initrd";
    for (const QByteArray& initrd : initrds)
        line += ' ' + initrd;
    return line;
}

GrubSim::GrubSim(GrubConfig config, GrubFileReader files, Options options)
    : m_config(std::move(config))
    , m_files(std::move(files))
    , m_options(std::move(options))
{
}

GrubSim::~GrubSim() = default;

void GrubSim::Start()
{
    auto top = std::make_unique<Frame>();
    top->env.values["prefix"] = m_options.prefix;
    top->env.exported.insert("prefix");
    for (const auto& [name, value] : m_options.values) {
        top->env.values[name] = value;
        top->env.exported.insert(name);
    }
    Loaded loaded;
    RunScript(m_config.commands, m_config.items, *top, loaded);
    if (m_config.error)
        m_note = QStringLiteral("grub.cfg line %1: %2; GRUB runs what comes before.")
                     .arg(m_config.error->line)
                     .arg(QString::fromUtf8(m_config.error->message));
    // gfxmode's first mode, WxH[xD]; the firmware's own for auto.
    const QList<QByteArray> mode = Get(top->env, "gfxmode").value_or("auto").split(',').front().split('x');
    if (mode.size() >= 2 && mode[0].toInt() > 0 && mode[1].toInt() > 0) {
        m_width = std::min(mode[0].toInt(), 4096);
        m_height = std::min(mode[1].toInt(), 4096);
    }
    top->nested = false;
    m_frames.push_back(std::move(top));
    m_window = FullScreenWindow(m_width, m_height);
    m_text = TerminalFor(m_window, m_font ? &*m_font : nullptr);
    if (Top().entries.empty()) {
        // No menu: normal mode's own command line, which Esc does not leave.
        m_before = Screen::Blank;
        m_screen = Screen::CommandLine;
        Refresh();
        return;
    }
    RunMenu();
}

int GrubSim::DefaultEntry(const Frame& frame) const
{
    const std::optional<QByteArray> wanted = Get(frame.env, "default");
    const int count = static_cast<int>(frame.entries.size());
    int entry = -1;
    if (wanted) {
        if (const std::optional<unsigned long long> number = GrubNumber(*wanted)) {
            entry = static_cast<int>(*number);
        } else {
            for (int at = 0; at < count && entry < 0; ++at) {
                const GrubItem& item = *frame.entries[static_cast<std::size_t>(at)];
                if (NamedBy(item.title, *wanted) || NamedBy(item.id.isEmpty() ? item.title : item.id, *wanted))
                    entry = at;
            }
        }
    }
    return entry >= 0 && entry < count ? entry : 0;
}

// run_menu's start: the default, then the hidden wait, an immediate boot,
// or the menu with its countdown.
void GrubSim::RunMenu()
{
    Frame& frame = Top();
    Env& env = frame.env;
    m_default = DefaultEntry(frame);
    const std::optional<unsigned long long> read = GrubNumber(Get(env, "timeout").value_or(QByteArray()));
    if (!read)
        env.values.erase("timeout");
    int timeout = read ? static_cast<int>(*read) : -1;
    if (timeout < 0)
        env.values.erase("timeout_style"); // no countdown: the menu, whatever the style
    const QByteArray style = Get(env, "timeout_style").value_or("menu");
    if (style == "hidden" || style == "countdown") {
        m_countdown = style == "countdown";
        if (timeout != 0) {
            m_screen = Screen::Blank;
            Await(Wait::Hidden, timeout);
            return;
        }
        env.values.erase("timeout");
        env.values.erase("timeout_style");
    }
    if (timeout == 0) {
        Execute(m_default, true);
        return;
    }
    frame.selected = m_default;
    frame.first = 0;
    ShowMenu();
}

void GrubSim::Await(Wait wait, int seconds)
{
    m_wait = wait;
    m_waitLeft = seconds;
    m_tick = 0;
    Refresh();
}

void GrubSim::ShowMenu()
{
    m_screen = Screen::Menu;
    const int timeout = static_cast<int>(GrubNumber(Get(Top().env, "timeout").value_or("")).value_or(0));
    Await(timeout > 0 ? Wait::Menu : Wait::None, timeout);
}

void GrubSim::Tick()
{
    --m_waitLeft;
    Env& env = Top().env;
    if (m_wait == Wait::Delay) {
        if (m_waitLeft > 0)
            return;
        m_wait = Wait::None;
        Refused();
        std::vector<int> held = std::exchange(m_held, {});
        for (std::size_t at = 0; at < held.size(); ++at) {
            if (m_wait == Wait::Delay) {
                m_held.insert(m_held.end(), held.begin() + static_cast<std::ptrdiff_t>(at), held.end());
                break;
            }
            Key(held[at]);
        }
        return;
    }
    if (m_waitLeft > 0) {
        if (m_wait == Wait::Menu)
            env.values["timeout"] = QByteArray::number(m_waitLeft);
        Refresh();
        return;
    }
    env.values.erase("timeout");
    if (m_wait == Wait::Hidden)
        env.values.erase("timeout_style");
    m_wait = Wait::None;
    Execute(m_default, true);
}

long long GrubSim::Sleep(long long milliseconds)
{
    while (milliseconds > 0 && Counting()) {
        const long long step = std::min(milliseconds, 1000 - m_tick);
        m_tick += step;
        milliseconds -= step;
        if (m_tick >= 1000) {
            m_tick = 0;
            Tick();
        }
    }
    return m_outcome == Outcome::Running ? 0 : milliseconds;
}

bool GrubSim::RunOutTimeout()
{
    if (!Counting())
        return false;
    // Straight to the last second, however long the wait.
    m_waitLeft = 1;
    Sleep(1000 - m_tick);
    return true;
}

bool GrubSim::Counting() const { return m_outcome == Outcome::Running && m_wait != Wait::None && m_waitLeft > 0; }

void GrubSim::Give(const LoaderInput& input)
{
    if (m_outcome != Outcome::Running)
        return;
    if (GiveTime(*this, input))
        return;
    const int key = GrubKey::Of(input);
    if (key == GrubKey::None)
        return;
    if (m_wait == Wait::Delay)
        m_held.push_back(key); // the firmware keeps them while GRUB sleeps
    else
        Key(key);
}

void GrubSim::Key(int key)
{
    switch (m_screen) {
    case Screen::Blank:
        if (m_wait == Wait::Hidden)
            HiddenKey(key);
        break;
    case Screen::Menu: MenuKey(key); break;
    case Screen::Editor: EditKey(key); break;
    case Screen::CommandLine: CommandLineKey(key); break;
    case Screen::Username:
    case Screen::Password: PromptKey(key); break;
    case Screen::Read: ReadKey(key); break;
    }
}

// The hidden or countdown wait: a hotkey runs its entry, Esc or F4 shows
// the menu without a countdown, any other key is read and dropped.
void GrubSim::HiddenKey(int key)
{
    Env& env = Top().env;
    const int entry = HotkeyEntry(key);
    const bool interrupt = key == GrubKey::Escape || key == GrubKey::F4;
    if (entry < 0 && !interrupt)
        return;
    env.values.erase("timeout");
    env.values.erase("timeout_style");
    m_wait = Wait::None;
    if (entry >= 0) {
        Execute(entry, false);
        return;
    }
    Top().selected = m_default;
    Top().first = 0;
    ShowMenu();
}

int GrubSim::HotkeyEntry(int key) const
{
    const std::vector<const GrubItem*>& entries = Top().entries;
    for (std::size_t at = 0; at < entries.size(); ++at) {
        if (!entries[at]->hotkey.isEmpty() && GrubKey::HotkeyOf(entries[at]->hotkey) == key)
            return static_cast<int>(at);
    }
    return -1;
}

void GrubSim::MenuKey(int key)
{
    using namespace GrubKey;
    Frame& frame = Top();
    const int last = static_cast<int>(frame.entries.size()) - 1;
    if (m_wait == Wait::Menu || frame.env.values.count("timeout")) {
        frame.env.values.erase("timeout");
        frame.env.values.erase("fallback");
        m_wait = Wait::None;
        Refresh(); // the countdown goes from the screen at once
    }
    int& selected = frame.selected;
    switch (key) {
    case Home:
    case CtrlKey('a'): selected = 0; break;
    case End:
    case CtrlKey('e'): selected = last; break;
    case Up:
    case CtrlKey('p'):
    case '^': selected = std::max(selected - 1, 0); break;
    case Down:
    case CtrlKey('n'):
    case 'v': selected = std::min(selected + 1, last); break;
    case PageUp:
    case CtrlKey('g'): selected = selected < PageSize ? 0 : selected - PageSize; break;
    case PageDown:
    case CtrlKey('c'): selected = selected + PageSize < last + 1 ? selected + PageSize : last; break;
    case Enter:
    case '\n':
    case Right:
    case CtrlKey('f'): Execute(selected, false); return;
    case Escape:
        if (frame.nested)
            Leave();
        return;
    case 'c': AskUser(Ask::CommandLine, std::nullopt); return;
    case 'e': AskUser(Ask::Edit, std::nullopt); return;
    default:
        if (const int entry = HotkeyEntry(key); entry >= 0) {
            Execute(entry, false);
            return;
        }
        break;
    }
    Refresh();
}

// show_menu with a chosen entry: the screen cleared, its users asked for
// when it is locked, then its commands run.
void GrubSim::Execute(int entry, bool autoBoot)
{
    if (entry < 0 || entry >= static_cast<int>(Top().entries.size())) {
        RunMenu();
        return;
    }
    const GrubItem& item = *Top().entries[static_cast<std::size_t>(entry)];
    // Without --users or --unrestricted an entry is for superusers alone.
    const std::optional<QByteArray> users = item.users ? item.users : std::optional<QByteArray>(QByteArray());
    if (!item.unrestricted || item.users) {
        m_askEntry = entry;
        m_askAutoBoot = autoBoot;
        AskUser(Ask::Entry, users);
        return;
    }
    Proceed(entry, autoBoot);
}

void GrubSim::Proceed(int entry, bool autoBoot)
{
    const GrubItem& item = *Top().entries[static_cast<std::size_t>(entry)];
    auto loaded = std::make_unique<Loaded>();
    loaded->title = item.title;
    m_note.clear(); // what this entry does is said from here
    if (!item.submenu) {
        RunScript(item.body, item.items, Top(), *loaded);
        Finish(std::move(loaded));
        return;
    }
    // A submenu's own context: exported variables only, the default's part
    // after its '>', and when the countdown chose it, no countdown again.
    std::unique_ptr<Frame> menu = NewContext(Top().env);
    if (const std::optional<QByteArray> inner = InnerDefault(Get(Top().env, "default").value_or("")))
        menu->env.values["default"] = *inner;
    if (autoBoot)
        menu->env.values["timeout"] = "0";
    menu->autoBoot = autoBoot;
    RunScript(item.body, item.items, *menu, *loaded);
    loaded->menu = std::move(menu);
    Finish(std::move(loaded));
}

void GrubSim::Finish(std::unique_ptr<Loaded> loaded)
{
    static const char* const ends[] = { "", "", "GRUB exits: the firmware boots its next boot option.",
        "GRUB restarts the machine.", "GRUB switches the machine off." };
    m_wait = Wait::None;
    if (loaded->resume && loaded->resume->authenticate) {
        // Waiting for authenticate's user: the prompt's answer goes on.
        const QByteArray users = loaded->resume->users;
        m_reading = std::move(loaded);
        AskUser(Ask::Script, users);
        return;
    }
    if (loaded->resume) {
        // Waiting at read: Enter goes on with the rest.
        m_reading = std::move(loaded);
        m_screen = Screen::Read;
        Refresh();
        return;
    }
    if (loaded->end) {
        m_outcome = *loaded->end;
        m_note = QString::fromLatin1(ends[static_cast<int>(*loaded->end)]);
    } else if (loaded->boot) {
        m_outcome = Outcome::Boot;
        m_boot = *loaded->boot;
        m_boot.title = loaded->title;
    } else if (loaded->menu && !loaded->menu->entries.empty()) {
        m_frames.push_back(std::move(loaded->menu));
        RunMenu();
        return;
    } else {
        if (m_note.isEmpty())
            m_note = QStringLiteral("The entry loads no kernel: GRUB shows its menu again.");
        if (m_editorDepth == Depth()) {
            OpenEditor();
            return;
        }
        Top().env.values.erase("timeout");
        RunMenu();
        return;
    }
    m_screen = Screen::Blank;
    ClearText();
    Refresh();
}

// read's line: Enter ends it, what is typed echoes.
void GrubSim::ReadKey(int key)
{
    if (key != GrubKey::Enter && key != '\n') {
        if (GrubKey::Printable(key)) {
            m_text.Put(char32_t(key));
            m_text.ShowCursor(true);
            Refresh();
        }
        return;
    }
    std::unique_ptr<Loaded> loaded = std::move(m_reading);
    const Resume resume = *loaded->resume;
    loaded->resume.reset();
    RunScript(*resume.commands, *resume.items, Top(), *loaded, resume.depth, resume.next);
    Finish(std::move(loaded));
}

// Esc in a submenu, once a superuser is known if there are superusers.
void GrubSim::Leave() { AskUser(Ask::Leave, std::nullopt); }

void GrubSim::Left()
{
    m_frames.pop_back();
    Top().env.values.erase("timeout");
    if (m_editorDepth == Depth()) {
        OpenEditor();
        return;
    }
    RunMenu();
}
