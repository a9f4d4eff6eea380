#include "ConfigFindings.h"
#include "config/ConfigReading.h"
#include "config/ConfigSet.h"
#include "config/MenuConfig.h"
#include "format/Palette.h"
#include "sim/AnsiConsole.h"
#include "vesa/VesaPixels.h"
#include "vesa/VideoModes.h"

namespace {

// The text screen's colour nearest to an RGB value.
int NearestPaletteDigit(quint32 argb)
{
    int best = 0;
    long long bestDistance = -1;
    for (int digit = 0; digit < 16; ++digit) {
        const TColor colour = Palette[static_cast<std::size_t>(digit)];
        const long long dr = static_cast<long long>(argb >> 16 & 0xFF) - (colour & 0xFF);
        const long long dg = static_cast<long long>(argb >> 8 & 0xFF) - (colour >> 8 & 0xFF);
        const long long db = static_cast<long long>(argb & 0xFF) - (colour >> 16 & 0xFF);
        const long long distance = dr * dr + dg * dg + db * db;
        if (bestDistance < 0 || distance < bestDistance) {
            best = digit;
            bestDistance = distance;
        }
    }
    return best;
}

// One menu module run, on the screen of the module that runs: menu.c32's
// 80 x 25, or vesamenu.c32's grid of its resolution in rows of FONT's height.
class MenuLint {
public:
    MenuLint(const MenuRun& run, const BootConfig& config, const BootFiles& files, ConfigFindings& findings)
        : m_run(run)
        , m_menus(run.menus)
        , m_config(config)
        , m_files(files)
        , m_findings(findings)
        , m_text(run.kind == MenuKind::Text)
    {
    }
    void Run();

private:
    void Report(const ConfigPlace& place, Severity severity, const char* code, const QString& message)
    {
        m_findings.Report(place, severity, code, message);
    }
    void Fits(const Menu& menu, const ConfigPlace& place);
    void Colours(const Menu& menu);
    void Entries(const Menu& menu);
    void Backgrounds();
    void Screen();
    int FontHeight();

    const MenuRun& m_run;
    const MenuConfig& m_menus;
    const BootConfig& m_config;
    const BootFiles& m_files;
    ConfigFindings& m_findings;
    bool m_text; // on the text screen: menu.c32, or vesamenu.c32 without its video mode
    Vesa::MenuMode m_mode;
    QString m_screen;
};

void MenuLint::Run()
{
    if (m_menus.stop)
        Report(m_menus.stop->place, Severity::Error,
            m_menus.stop->kind == ConfigStop::Kind::LoaderHangs ? "loader-hangs" : "read-limit", m_menus.stop->message);
    for (const ConfigFile& file : m_menus.files) {
        if (!file.found && file.includedFrom.line == 0)
            Report(m_run.place, Severity::Error, "missing-menu-file",
                QStringLiteral("%1 gives %2 the file %3, which is not read: %4")
                    .arg(Latin(m_run.by), Latin(m_run.module.mid(m_run.module.lastIndexOf('/') + 1)),
                        Latin(file.imagePath), FailureText(file.failure, file.reason)));
        ReportUnread(file, m_findings);
    }
    Screen();
    for (std::size_t index = MenuConfig::RootMenu; index < m_menus.menus.size(); ++index) {
        const Menu& menu = m_menus.menus[index];
        Fits(menu, menu.place.line > 0 ? menu.place : m_run.place);
        // vesamenu.c32 draws the #argb colours.
        if (m_text)
            Colours(menu);
        Entries(menu);
    }
    if (!m_text)
        Backgrounds();
}

// The screen the module runs on: menu.c32's 80 x 25, vesamenu.c32's grid
// of its resolution in rows of FONT's height, or the text screen when
// QEMU's VGA BIOS has no video mode of that size.
void MenuLint::Screen()
{
    if (m_text) {
        m_screen = QStringLiteral("menu.c32's 80 x 25 screen");
        return;
    }
    m_mode = Vesa::ModeFor(MenuResolution(m_menus), FontHeight());
    if (!m_mode.graphical) {
        m_text = true;
        m_screen = QStringLiteral("vesamenu.c32's text screen of 80 x 25");
        Report(m_menus.resolutionPlace.line > 0 ? m_menus.resolutionPlace : m_run.place, Severity::Warning,
            "no-video-mode",
            QStringLiteral("QEMU's VGA BIOS has no %1 x %2 video mode: vesamenu.c32 runs on the text screen, as "
                           "menu.c32 does, without its pictures and #argb colours")
                .arg(m_mode.width)
                .arg(m_mode.height));
    } else {
        m_screen = QStringLiteral("vesamenu.c32's %1 x %2 grid").arg(m_mode.cols).arg(m_mode.rows);
    }
}

// The FONT file's row height (the VGA BIOS's without one); a FONT line the
// loader cannot load is reported.
int MenuLint::FontHeight()
{
    for (const FontLine& line : FontLines(m_config, m_files)) {
        if (!line.read)
            Report(line.place, Severity::Error, "missing-font",
                QStringLiteral("FONT %1 is not beside the configuration: the menu keeps the VGA BIOS's font")
                    .arg(Latin(line.name)));
        else if (!line.font)
            Report(line.place, Severity::Error, "not-psf",
                QStringLiteral("FONT %1 is not a PSF1 font (magic 36 04, 256 glyphs 2-32 rows high; the loader reads "
                               "no gzip'd font): the loader ignores it")
                    .arg(Latin(line.name)));
    }
    const std::optional<AppliedFont> applied = FontThatApplies(m_config, m_files);
    return applied ? applied->font.height : Vesa::BiosFontHeight;
}

// The box, the tab message, the countdown and the help area on the screen:
// rows past the last are drawn over it, and later parts overwrite earlier.
void MenuLint::Fits(const Menu& menu, const ConfigPlace& place)
{
    const MenuLayout layout = menu.Layout(m_mode.cols, m_mode.rows);
    const int boxTop = layout.BoxTop();
    const int boxBottom = layout.BoxBottom();
    const int inner = layout.Inner();
    QStringList clashes;
    if (inner < 0)
        clashes << QStringLiteral("MENU WIDTH %1 leaves no room inside MENU MARGIN %2 (the module overruns or hangs)")
                       .arg(layout.Width())
                       .arg(layout.Param(MenuParam::Margin));
    if (boxBottom > m_mode.rows)
        clashes << QStringLiteral("the box ends on row %1, and rows past %2 are drawn over row %2")
                       .arg(boxBottom)
                       .arg(m_mode.rows);
    const int right = layout.RightEdge();
    if (right > m_mode.cols)
        clashes << QStringLiteral("the box's right edge falls in column %1 and wraps to the next row").arg(right);
    const auto clash = [&](const QString& what, int first, int last) {
        const int top = std::max(first, boxTop);
        const int bottom = std::min(last, boxBottom);
        if (top <= bottom)
            clashes << QStringLiteral("%1 on row%2 %3 overwrites the box")
                           .arg(what, top == bottom ? QString() : QStringLiteral("s"),
                               top == bottom ? QString::number(top) : QStringLiteral("%1-%2").arg(top).arg(bottom));
        else if (first > m_mode.rows)
            clashes << QStringLiteral("%1 on row %2 is past row %3").arg(what).arg(first).arg(m_mode.rows);
    };
    if (!menu.Message(MenuMessage::Tab).isEmpty() && menu.allowEdit && !menu.masterPassword)
        clash(QStringLiteral("the tab message"), layout.TabMsgRow(), layout.TabMsgRow());
    if (menu.timeoutMs > 0)
        clash(QStringLiteral("the countdown"), layout.TimeoutRow(), layout.TimeoutRow());
    // The help area runs from HELPMSGROW (shifted) to HELPMSGENDROW (not);
    // its first row is erased for every entry even when it starts past its
    // end, and then no TEXT HELP is shown (menumain.c, display_help).
    const int helpStart = layout.HelpFirstRow();
    const int helpEnd = layout.HelpLastRow();
    clash(QStringLiteral("the help area, erased for every entry,"), helpStart, std::max(helpStart, helpEnd));
    const bool helped = std::any_of(
        menu.entries.begin(), menu.entries.end(), [](const MenuEntry& entry) { return !entry.helpText.isEmpty(); });
    if (helpStart > helpEnd && helped)
        clashes << QStringLiteral("the help area starts on row %1, past its end on row %2: no TEXT HELP is shown")
                       .arg(helpStart)
                       .arg(helpEnd);
    if (!clashes.isEmpty())
        Report(place, Severity::Warning, "menu-overflow",
            QStringLiteral("the menu \"%1\" does not fit %2: %3")
                .arg(Latin(menu.title), m_screen, clashes.join(QStringLiteral("; "))));
}

// menu.c32 shows only the ANSI part; opaque #argb colours of the same
// colour (bright or not) say nothing else, and translucent ones take their
// colour from the picture behind them.
void MenuLint::Colours(const Menu& menu)
{
    for (std::size_t index = 0; index < MenuColourCount; ++index) {
        const MenuColour& colour = menu.colours[index];
        if (colour.place.line == 0)
            continue; // as the module starts, or inherited from a parent menu's line
        const std::optional<int> attribute = SgrAttribute(colour.ansi);
        if (!attribute) {
            Report(colour.place, Severity::Error, "menu-colour-ansi",
                QStringLiteral("MENU COLOR %1: \"%2\" is not an SGR string such as 1;37;44: menu.c32 prints part "
                               "of it on the screen")
                    .arg(QString::fromLatin1(MenuColourNames[index]), Latin(colour.ansi)));
            continue;
        }
        // A colour seen through (alpha below ff) is what lies behind it.
        const auto differs = [](bool written, Argb argb, int digit) {
            return written && (argb >> 24) == 0xFF && (NearestPaletteDigit(argb) & 7) != (digit & 7);
        };
        if (differs(colour.foregroundWritten, colour.foreground, *attribute & 0x0F)
            || differs(colour.backgroundWritten, colour.background, *attribute >> 4 & 0x0F))
            Report(colour.place, Severity::Warning, "menu-colour-argb-ignored",
                QStringLiteral("MENU COLOR %1: menu.c32 shows only the ANSI part %2 (%3 on %4); the #argb "
                               "colours are vesamenu.c32's")
                    .arg(QString::fromLatin1(MenuColourNames[index]), Latin(colour.ansi),
                        QString::fromLatin1(ColourNames[*attribute & 0x0F]),
                        QString::fromLatin1(ColourNames[*attribute >> 4 & 0x0F])));
    }
    const MenuColour& sel = menu.colours[MenuColourName::Sel];
    const MenuColour& unsel = menu.colours[MenuColourName::Unsel];
    const std::optional<int> selected = SgrAttribute(sel.ansi);
    if (selected && selected == SgrAttribute(unsel.ansi)) {
        const MenuColour& set = sel.place.line > 0 ? sel : unsel;
        Report(set.place.line > 0 ? set.place : menu.place, Severity::Warning, "menu-invisible-selection",
            QStringLiteral("the selection bar (sel %1) has the colours of the other entries (unsel %2): it cannot "
                           "be seen")
                .arg(Latin(sel.ansi), Latin(unsel.ansi)));
    }
}

void MenuLint::Entries(const Menu& menu)
{
    const int inner = menu.Layout(m_mode.cols, m_mode.rows).Inner();
    bool locked = false;
    for (const MenuEntry& entry : menu.entries) {
        locked = locked || entry.password.has_value();
        const qsizetype caret = entry.displayName.indexOf('^');
        if (entry.action != MenuAction::Disabled && entry.hotkey == 0 && caret >= 0
            && caret + 1 < entry.displayName.size())
            Report(entry.place, Severity::Warning, "menu-duplicate-hotkey",
                QStringLiteral("the hotkey %1 of \"%2\" is taken by an earlier entry of this menu")
                    .arg(QChar::fromLatin1(entry.displayName[caret + 1]).toUpper(), Latin(entry.displayName)));
        // What the row shows: the name without the carets that mark hotkeys.
        const qsizetype shown = entry.displayName.size() - (entry.hotkey ? 1 : 0);
        const int room = inner - (entry.action == MenuAction::Submenu || entry.action == MenuAction::Exit ? 2 : 0);
        if (m_text && inner >= 0 && shown > room)
            Report(entry.place, Severity::Warning, "menu-label-cut",
                QStringLiteral("\"%1\" is %2 characters wide and the menu shows %3 of them")
                    .arg(Latin(entry.displayName))
                    .arg(shown)
                    .arg(room));
    }
    if (locked && !menu.masterPassword && menu.allowEdit) {
        for (const MenuEntry& entry : menu.entries) {
            if (entry.password)
                Report(entry.place, Severity::Warning, "menu-passwd-without-master",
                    QStringLiteral("MENU PASSWD without MENU MASTER PASSWD: Tab edits and boots \"%1\"'s command "
                                   "line without asking, and Esc leaves for the boot: prompt")
                        .arg(Latin(entry.label)));
        }
    }
}

// MENU BACKGROUND files as the loader takes them (never scaled), MENU FONT
// (no keyword: the font is FONT's).
void MenuLint::Backgrounds()
{
    const int width = m_mode.width;
    const int height = m_mode.height;
    for (std::size_t index = MenuConfig::RootMenu; index < m_menus.menus.size(); ++index) {
        const Menu& menu = m_menus.menus[index];
        const QByteArray& name = menu.background;
        if (name.isEmpty() || name.startsWith('#'))
            continue;
        const std::optional<QByteArray> bytes = m_files.ReadNamed(m_config.folder, name);
        const ConfigPlace& place = menu.backgroundPlace;
        if (!bytes) {
            Report(place, Severity::Error, "missing-background",
                QStringLiteral("MENU BACKGROUND %1 is not beside the configuration: the screen stays black behind "
                               "the menu")
                    .arg(Latin(name)));
            continue;
        }
        if (bytes->startsWith("\xff\xd8"))
            Report(place, Severity::Note, "background-jpeg",
                QStringLiteral("MENU BACKGROUND %1 is a JPEG: vesamenu.c32 decodes it with its own decoder, "
                               "baseline JPEGs only, and Glimra shows it as that decoder computes it")
                    .arg(Latin(name)));
        // As the module reads it: a reader's bounds are the screen's.
        const Vesa::Background read = Vesa::ReadBackground(*bytes, width, height);
        if (read.width > width || read.height > height)
            Report(place, Severity::Warning, "background-too-large",
                QStringLiteral("MENU BACKGROUND %1: %2, and shows black").arg(Latin(name), read.problem));
        else if (!read.problem.isEmpty())
            Report(place, Severity::Warning, "background-unreadable",
                QStringLiteral("MENU BACKGROUND %1: %2").arg(Latin(name), read.problem));
        else if (read.width != width || read.height != height)
            Report(place, Severity::Note, "background-size",
                QStringLiteral("MENU BACKGROUND %1 is %2 x %3: the loader %4, never scaled")
                    .arg(Latin(name))
                    .arg(read.width)
                    .arg(read.height)
                    .arg(read.tiled ? QStringLiteral("tiles it from the top left")
                                    : QStringLiteral("puts it at the top left on black")));
    }
    for (const auto& [place, word] : m_menus.ignored) {
        if (word.toLower() == "font")
            Report(place, Severity::Warning, "menu-font",
                QStringLiteral("MENU FONT is no keyword: vesamenu.c32 ignores the line; the font is set with FONT"));
    }
}

}

void LintMenuRun(const MenuRun& run, const BootConfig& config, const BootFiles& files, ConfigFindings& findings)
{
    MenuLint(run, config, files, findings).Run();
}
