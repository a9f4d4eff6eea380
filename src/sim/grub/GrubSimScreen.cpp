// What the simulated GRUB shows: the gfxmenu screen of the menu's theme, or
// without one (or one GRUB refuses) GRUB's text menu, and the terminal's
// text in its window, over the menu's picture once a theme has shown.
#include "GrubSim.h"

#include "GrubThemeFile.h"

QByteArray GrubSim::ThemePath() const
{
    if (m_frames.empty())
        return {};
    const std::optional<QByteArray> theme = Get(Top().env, "theme");
    if (!theme || theme->isEmpty())
        return {};
    // A bare name is one of $prefix/themes/.
    if (!theme->startsWith('/') && !theme->startsWith('('))
        return Relative(m_options.prefix + "/themes/" + *theme);
    return Relative(*theme);
}

GrubMenuView GrubSim::MenuView() const
{
    GrubMenuView view;
    if (m_frames.empty())
        return view;
    for (const GrubItem* item : Top().entries)
        view.titles.push_back(item->title);
    view.selected = Top().selected;
    view.first = Top().first;
    view.secondsLeft = m_wait == Wait::Menu ? m_waitLeft : -1;
    return view;
}

const Pf2Font* GrubSim::Font() const { return m_font ? &*m_font : nullptr; }

// The window the theme asks for with its terminal-* properties.
GrubWindow GrubSim::ThemeTerminal() const
{
    GrubWindow asked { (m_width - m_width * 7 / 10) / 2, (m_height - m_height * 7 / 10) / 2, m_width * 7 / 10,
        m_height * 7 / 10, 3 };
    const std::optional<QByteArray> text = m_files(ThemePath());
    const GrubThemeReading reading = text ? ReadGrubTheme(*text) : GrubThemeReading();
    if (!reading.theme)
        return ThemeWindow(m_width, m_height, Font(), asked);
    const auto value = [&](const char* name, int size, int& field) {
        if (const std::optional<QByteArray> given = reading.theme->Value(name))
            field = std::max(0, size < 0 ? given->trimmed().toInt() : GrubProportional(*given, size));
    };
    value("terminal-left", m_width, asked.x);
    value("terminal-top", m_height, asked.y);
    value("terminal-width", m_width, asked.width);
    value("terminal-height", m_height, asked.height);
    value("terminal-border", -1, asked.border);
    return ThemeWindow(m_width, m_height, Font(), asked);
}

void GrubSim::ClearText()
{
    m_window = m_themeShown ? ThemeTerminal() : FullScreenWindow(m_width, m_height);
    m_text = TerminalFor(m_window, Font());
    m_text.Clear();
    m_text.ShowCursor(true);
}

// The screen brought up to date with the menu's state: the theme's picture
// (its list scrolled as GRUB's scrolls), or the terminal's text.
void GrubSim::Refresh()
{
    if (m_screen == Screen::Blank && m_wait == Wait::Hidden) {
        // Nothing shows while GRUB waits hidden; with the countdown style, its seconds.
        ClearText();
        m_text.ShowCursor(false);
        if (m_countdown)
            m_text.Print(QStringLiteral("%1    ").arg(m_waitLeft));
        return;
    }
    if (m_screen != Screen::Menu)
        return;
    Frame& frame = Top();
    const QByteArray theme = ThemePath();
    if (!theme.isEmpty()) {
        GrubMenuDrawing drawn = DrawGrubMenuScreen(m_files, theme, MenuView(), m_width, m_height, m_fontPaths);
        m_themeShown = drawn.problem.isEmpty();
        if (m_themeShown) {
            frame.first = drawn.first;
            m_menuPicture = std::move(drawn.picture);
            return;
        }
        if (m_note.isEmpty()) // what an entry said comes first
            m_note = QStringLiteral("GRUB refuses the theme (%1) and shows its text menu.").arg(drawn.problem);
    }
    // The text menu on the whole screen.
    m_themeShown = false;
    ClearText();
    m_text.ShowCursor(false);
    const GrubPage::Geometry page = GrubPage::Init(m_text, frame.nested, false);
    frame.first = std::clamp(frame.first, frame.selected - std::max(page.rows, 1) + 1, std::max(frame.selected, 0));
    const GrubMenuView view = MenuView();
    GrubPage::DrawMenu(m_text, page, view.titles, view.selected, view.first, view.secondsLeft);
}

Vesa::Picture GrubSim::Draw() const
{
    const Vesa::Picture* background = m_background ? &*m_background : nullptr;
    if (m_themeShown) {
        Vesa::Picture screen = m_menuPicture;
        if (m_screen != Screen::Menu)
            DrawTerminal(screen, m_window, m_text, Font(), background);
        return screen;
    }
    Vesa::Picture screen(m_width, m_height);
    DrawTerminal(screen, m_window, m_text, Font(), background);
    return screen;
}
