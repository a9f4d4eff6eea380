// What the menu hands the terminal: the username and password prompts of
// normal/auth.c, the entry editor and the command line.
#include "GrubSim.h"

#include "GrubKeys.h"
#include "config/GrubPasswords.h"

#include <algorithm>

namespace {

// auth.c's buffers: 1024 bytes of login less its end, GRUB_AUTH_MAX_PASSLEN for the password.
constexpr qsizetype LoginBytes = 1023;
constexpr qsizetype PasswordBytes = 1024;
// The delay after a refusal doubles from a second; past this it stops growing.
constexpr int LongestPunishment = 1 << 20;

// setparams's line, as GRUB puts it before an entry's body: each word in
// '…' with a ' written '\''.
QByteArray SetParams(const GrubItem& item)
{
    QByteArray line = "setparams";
    std::vector<QByteArray> words { item.title };
    words.insert(words.end(), item.arguments.begin(), item.arguments.end());
    for (const QByteArray& word : words)
        line += " '" + QByteArray(word).replace("'", "'\\''") + '\'';
    return line + '\n';
}

}

void GrubSim::AskUser(Ask purpose, std::optional<QByteArray> users)
{
    m_ask = purpose;
    m_askUsers = std::move(users);
    if (m_screen == Screen::Menu || m_screen == Screen::Editor)
        m_before = m_screen;
    if (Authenticated(m_askUsers, Top().env)) {
        m_punishment = 1;
        Accepted();
        return;
    }
    ClearText();
    m_text.Print(QByteArray("Enter username: \n"));
    m_typed.clear();
    m_screen = Screen::Username;
    Refresh();
}

void GrubSim::Erase()
{
    if (m_text.X() == 0)
        return;
    m_text.GotoXY(m_text.X() - 1, m_text.Y());
    m_text.Put(U' ');
    m_text.GotoXY(m_text.X() - 1, m_text.Y());
}

void GrubSim::PromptKey(int key)
{
    const bool login = m_screen == Screen::Username;
    if (key == GrubKey::Enter || key == '\n' || key == GrubKey::Escape) {
        m_text.Put(U'\n');
        if (key == GrubKey::Escape) {
            Deny();
        } else if (login) {
            m_login = std::exchange(m_typed, {});
            m_text.Print(QByteArray("Enter password: \n"));
            m_screen = Screen::Password;
        } else {
            const auto user = m_passwords.find(m_login);
            if (user != m_passwords.end() && GrubPasswords::MatchesPbkdf2(user->second, m_typed))
                m_authenticated.insert(m_login);
            m_typed.clear();
            if (Authenticated(m_askUsers, Top().env)) {
                m_punishment = 1;
                Accepted();
                return;
            }
            Deny();
        }
    } else if (key == GrubKey::Backspace) {
        if (!m_typed.isEmpty()) {
            m_typed.chop(1);
            if (login)
                Erase();
        }
    } else if (GrubKey::Printable(key) && m_typed.size() + 2 < (login ? LoginBytes : PasswordBytes)) {
        m_typed += char(key);
        if (login)
            m_text.Put(char32_t(key)); // the password is not echoed
    }
    Refresh();
}

// A refusal: GRUB sleeps, longer each time, before it says so.
void GrubSim::Deny()
{
    const int seconds = m_punishment;
    m_punishment = std::min(m_punishment * 2, LongestPunishment);
    m_screen = Screen::Password;
    Await(Wait::Delay, seconds);
}

void GrubSim::Refused()
{
    m_note = QStringLiteral("GRUB refused the user: \"error: access denied.\"");
    if (m_ask == Ask::Script)
        AuthenticateAnswered(false);
    else if (m_ask == Ask::Entry || m_ask == Ask::Leave)
        RunMenu(); // the menu again from its default (a submenu stays open)
    else if (m_before == Screen::Editor)
        OpenEditor();
    else
        ShowMenu();
}

void GrubSim::Accepted()
{
    switch (m_ask) {
    case Ask::Entry: Proceed(m_askEntry, m_askAutoBoot); break;
    case Ask::Leave: Left(); break;
    case Ask::Script: AuthenticateAnswered(true); return;
    case Ask::CommandLine: OpenCommandLine(); break;
    case Ask::Edit: {
        const GrubItem& item = *Top().entries[static_cast<std::size_t>(Top().selected)];
        m_editor = std::make_unique<GrubEditor>(SetParams(item) + item.source);
        m_editorDepth = Depth();
        m_editorSubmenu = item.submenu;
        m_editorTitle = item.title;
        OpenEditor();
        break;
    }
    }
}

void GrubSim::OpenEditor()
{
    m_screen = Screen::Editor;
    m_wait = Wait::None;
    ClearText();
    m_editor->Draw(m_text);
    Refresh();
}

void GrubSim::EditKey(int key)
{
    switch (m_editor->Key(key)) {
    case GrubEditor::Result::Editing: OpenEditor(); break;
    case GrubEditor::Result::Discard:
        m_editor.reset();
        m_editorDepth = -1;
        ShowMenu();
        break;
    case GrubEditor::Result::CommandLine: AskUser(Ask::CommandLine, std::nullopt); break;
    case GrubEditor::Result::Boot: RunEdited(); break;
    }
}

// Ctrl+X: the lines run as a script of their own ("Booting a command
// list"); a submenu's open as its menu. GRUB comes back to the editor.
void GrubSim::RunEdited()
{
    m_read.push_back(ReadGrubConfig(m_editor->Script()));
    const GrubConfig& script = m_read.back();
    auto loaded = std::make_unique<Loaded>();
    loaded->title = m_editorTitle;
    m_note.clear();
    if (m_editorSubmenu) {
        std::unique_ptr<Frame> menu = NewContext(Top().env);
        RunScript(script.commands, script.items, *menu, *loaded);
        loaded->menu = std::move(menu);
    } else {
        RunScript(script.commands, script.items, Top(), *loaded);
    }
    Finish(std::move(loaded));
}

void GrubSim::OpenCommandLine()
{
    m_screen = Screen::CommandLine;
    m_wait = Wait::None;
    m_typed.clear();
    ClearText();
    GrubPage::DrawCommandLine(m_text, m_before != Screen::Blank, m_typed);
    Refresh();
}

// The prompt takes a line and leaves with Esc; what is typed is not run.
void GrubSim::CommandLineKey(int key)
{
    if (key == GrubKey::Escape) {
        if (m_before == Screen::Editor)
            OpenEditor();
        else if (m_before == Screen::Menu)
            ShowMenu();
        return;
    }
    if (key == GrubKey::Enter || key == '\n') {
        if (!m_typed.isEmpty())
            m_note = QStringLiteral("GRUB would run \"%1\"; the simulator does not run typed commands.")
                         .arg(QString::fromUtf8(m_typed));
        m_typed.clear();
        m_text.Print(QByteArray("\ngrub> "));
    } else if (key == GrubKey::Backspace) {
        if (!m_typed.isEmpty()) {
            m_typed.chop(1);
            Erase();
        }
    } else if (GrubKey::Printable(key)) {
        m_typed += char(key);
        m_text.Put(char32_t(key));
    }
    Refresh();
}
