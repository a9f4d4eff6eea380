// What the simulated GRUB shows: the gfxmenu screen of the menu's theme, or
// without one GRUB's text menu, and the terminal's text in its window, over
// the menu's picture once a theme has shown.
#include "GrubSim.h"

#include <climits>

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

bool GrubSim::ThemeLoads() const
{
    const QByteArray path = ThemePath();
    return !path.isEmpty() && m_files(path).has_value();
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

GrubThemeLayout GrubSim::Layout() const
{
    return m_options.themeLayout ? m_options.themeLayout(ThemePath(), m_width, m_height) : GrubThemeLayout();
}

int GrubSim::MenuRows() const
{
    if (ThemeLoads())
        return Layout().rows.value_or(INT_MAX / 2);
    GrubTerminal scratch = TerminalFor(FullScreenWindow(m_width, m_height), Font());
    return GrubPage::Init(scratch, Top().nested, false).rows;
}

void GrubSim::ClearText()
{
    m_window = m_themeShown ? Layout().terminal.value_or(ThemeWindow(m_width, m_height, Font()))
                            : FullScreenWindow(m_width, m_height);
    m_text = TerminalFor(m_window, Font());
    m_text.Clear();
    m_text.ShowCursor(true);
}

// The terminal brought up to date with the menu's state.
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
    m_themeShown = ThemeLoads();
    if (m_themeShown)
        return;
    // No theme: the text menu on the whole screen.
    ClearText();
    m_text.ShowCursor(false);
    const GrubPage::Geometry page = GrubPage::Init(m_text, Top().nested, false);
    const GrubMenuView view = MenuView();
    GrubPage::DrawMenu(m_text, page, view.titles, view.selected, view.first, view.secondsLeft);
}

Vesa::Picture GrubSim::Draw() const
{
    if (m_themeShown) {
        GrubMenuView view = MenuView();
        if (m_screen != Screen::Menu)
            view.secondsLeft = -1;
        Vesa::Picture screen = DrawGrubMenu(m_files, ThemePath(), view, m_width, m_height);
        if (m_screen != Screen::Menu)
            DrawTerminal(screen, m_window, m_text, Font(), m_background ? &*m_background : nullptr);
        return screen;
    }
    Vesa::Picture screen(m_width, m_height);
    DrawTerminal(screen, m_window, m_text, Font(), m_background ? &*m_background : nullptr);
    return screen;
}
