#include "ConfigLinter.h"

#include "config/BootConfig.h"
#include "config/MenuConfig.h"
#include "config/Modules.h"
#include "console/ColorConsole.h"
#include "format/Palette.h"
#include "sim/AnsiConsole.h"
#include "sim/LoaderSim.h"
#include "vesa/VesaPixels.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>

#include <cctype>

namespace {

class ConfigLint {
public:
    explicit ConfigLint(const BootFiles& files)
        : m_files(files)
        , m_config(ReadBootConfig(files, files.ConfigPath(), files.StartFolder()))
    {
    }
    std::vector<FileProblem> Run();

private:
    void Report(const ConfigPlace& place, Severity severity, const char* code, const QString& message)
    {
        m_problems.push_back({ HostPath(place.file),
            Problem { std::max(place.line, 1), 1, 0, severity, QString::fromLatin1(code), message } });
    }
    QString HostPath(const QByteArray& imagePath) const
    {
        return m_files.HostPath(imagePath).value_or(QString::fromLatin1(imagePath));
    }
    void DisplayFiles();
    void FunctionKeys();
    void Labels();
    void Modules();
    void ModuleVersions(const QByteArray& module, const QByteArray& bytes);
    void Menus();
    void MenuFits(const Menu& menu, const ConfigPlace& place, int columns, int rows, const QString& screen);
    void GraphicalMenu(const MenuConfig& menus);
    std::optional<QByteArray> ReadNamed(
        const ConfigDirective& directive, const QByteArray& name, const char* code, const QString& missing);
    int GraphicalFontHeight();
    void MenuColours(const Menu& menu);
    void MenuEntries(const Menu& menu, bool text);
    bool Names(const QByteArray& command) const;

    const BootFiles& m_files;
    BootConfig m_config;
    std::vector<FileProblem> m_problems;
};

std::vector<FileProblem> ConfigLint::Run()
{
    for (const ConfigFile& file : m_config.files) {
        if (!file.found && file.includedFrom.line > 0)
            Report(file.includedFrom, Severity::Error, "missing-include",
                QStringLiteral("INCLUDE names %1, which is not there").arg(QString::fromLatin1(file.imagePath)));
    }
    DisplayFiles();
    FunctionKeys();
    Labels();
    Modules();
    Menus();
    return std::move(m_problems);
}

// DISPLAY files as the loader shows them while it reads the configuration,
// each from the row its output starts on.
void ConfigLint::DisplayFiles()
{
    FixedCellMeasurer measurer;
    TColorConsole console(measurer);
    const LoaderSim loader(console, m_files);
    for (const ConfigOutput& output : m_config.output) {
        if (output.kind != ConfigOutput::Kind::DisplayFile)
            continue;
        const std::optional<QByteArray> bytes = m_files.Read(output.text);
        if (!bytes) {
            Report(output.place, Severity::Error, "missing-display",
                QStringLiteral("DISPLAY names %1, which is not there").arg(QString::fromLatin1(output.text)));
            continue;
        }
        int row = 0;
        for (const LoaderSim::ShownFile& shown : loader.ShownFiles()) {
            if (shown.imagePath == output.text)
                row = shown.row;
        }
        for (const Problem& problem : LintDisplayFile(*bytes, m_files, m_config.folder, row))
            m_problems.push_back({ HostPath(output.text), problem });
    }
}

void ConfigLint::FunctionKeys()
{
    for (std::size_t index = 0; index < m_config.functionKeys.size(); ++index) {
        const std::optional<FunctionKey>& key = m_config.functionKeys[index];
        if (!key)
            continue;
        const QString name = QStringLiteral("F%1").arg(index + 1);
        if (index == 10
            && m_config.directives.end()
                != std::find_if(
                    m_config.directives.begin(), m_config.directives.end(), [&](const ConfigDirective& directive) {
                        return directive.keyword == "f0" && directive.place.line == key->place.line
                            && directive.place.file == key->place.file;
                    })) {
            Report(key->place, Severity::Warning, "f0-is-f11",
                m_config.functionKeys[9] ? QStringLiteral("F0 binds F11, not F10")
                                         : QStringLiteral("F0 binds F11, not F10: F10 shows no screen"));
        }
        const std::optional<QByteArray> bytes = m_files.Read(key->imagePath);
        if (!bytes) {
            Report(key->place, Severity::Error, "missing-fkey-file",
                QStringLiteral("%1 names %2, which is not there: the key shows only a new prompt")
                    .arg(name, QString::fromLatin1(key->imagePath)));
            continue;
        }
        if (!bytes->isEmpty() && !bytes->endsWith('\n')) {
            int line = 1 + static_cast<int>(bytes->count('\n'));
            m_problems.push_back({ HostPath(key->imagePath),
                Problem { line, 1, bytes->lastIndexOf('\n') + 1, Severity::Warning,
                    QStringLiteral("fkey-no-final-break"),
                    QStringLiteral("the last line has no line break: after %1 the loader's prompt overwrites it")
                        .arg(name) } });
        }
        for (const Problem& problem : LintDisplayFile(*bytes, m_files, m_config.folder))
            m_problems.push_back({ HostPath(key->imagePath), problem });
    }
}

// Whether a command runs something: a label, or a file the loader finds.
bool ConfigLint::Names(const QByteArray& command) const
{
    if (m_config.FindLabel(command))
        return true;
    const std::optional<QByteArray> path = BootFiles::Resolve(m_config.folder, CommandWord(command));
    return path && m_files.Exists(*path);
}

void ConfigLint::Labels()
{
    QSet<QByteArray> seen;
    for (const ConfigLabel& label : m_config.labels) {
        if (seen.contains(label.name))
            Report(label.place, Severity::Warning, "duplicate-label",
                QStringLiteral("a second label %1: the loader runs the first").arg(QString::fromLatin1(label.name)));
        seen.insert(label.name);
    }
    if (m_config.defaultPlace && !m_config.ui && !Names(m_config.defaultWord))
        Report(*m_config.defaultPlace, Severity::Warning, "default-no-label",
            QStringLiteral("DEFAULT %1 names no label and no file").arg(QString::fromLatin1(m_config.defaultWord)));
    if (m_config.onTimeout && !Names(*m_config.onTimeout)) {
        for (const ConfigDirective& directive : m_config.directives) {
            if (directive.keyword == "ontimeout")
                Report(directive.place, Severity::Warning, "ontimeout-no-label",
                    QStringLiteral("ONTIMEOUT %1 names no label and no file")
                        .arg(QString::fromLatin1(*m_config.onTimeout)));
        }
    }
    if (m_config.prompt == 0 && !m_config.defaultCommand) {
        const auto prompt = std::find_if(m_config.directives.begin(), m_config.directives.end(),
            [](const ConfigDirective& directive) { return directive.keyword == "prompt"; });
        Report(prompt != m_config.directives.end() ? prompt->place : ConfigPlace { m_files.ConfigPath(), 1 },
            Severity::Warning, "prompt0-no-default",
            QStringLiteral("no prompt and no DEFAULT or UI: the loader says \"No DEFAULT or UI configuration "
                           "directive found!\" and prompts anyway"));
    }
}

// The UI module and the libraries its ELF file says it loads, beside the
// configuration as the loader looks for them.
void ConfigLint::Modules()
{
    if (!m_config.ui || !m_config.uiPlace)
        return;
    const QByteArray module = CommandWord(*m_config.ui);
    const std::optional<QByteArray> path = BootFiles::Resolve(m_config.folder, module);
    const std::optional<QByteArray> bytes = path ? m_files.Read(*path) : std::nullopt;
    if (!bytes) {
        Report(*m_config.uiPlace, Severity::Error, "missing-module",
            QStringLiteral("UI %1 is not beside the configuration: the loader says \"Failed to load COM32 file %1\"")
                .arg(QString::fromLatin1(module)));
        return;
    }
    ModuleVersions(module, *bytes);
    for (const QByteArray& library : NeededLibraries(*bytes)) {
        const std::optional<QByteArray> libraryPath = BootFiles::Resolve(m_config.folder, library);
        if (!libraryPath || !m_files.Exists(*libraryPath))
            Report(*m_config.uiPlace, Severity::Error, "missing-library",
                QStringLiteral("%1 needs %2, which is not beside it")
                    .arg(QString::fromLatin1(module), QString::fromLatin1(library)));
    }
}

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

QString Latin(const QByteArray& bytes) { return QString::fromLatin1(bytes); }

// Modules of SYSLINUX 5 and later are ELF files, those of 4 and before flat
// COM32 ones; a loader says its version in its own file ("ISOLINUX 6.04").
void ConfigLint::ModuleVersions(const QByteArray& module, const QByteArray& bytes)
{
    for (const char* loader : { "isolinux.bin", "pxelinux.0", "ldlinux.sys", "ldlinux.bin" }) {
        const std::optional<QByteArray> path = BootFiles::Resolve(m_config.folder, loader);
        const std::optional<QByteArray> binary = path ? m_files.Read(*path) : std::nullopt;
        if (!binary)
            continue;
        const QRegularExpressionMatch version
            = QRegularExpression(QStringLiteral("(?:ISO|PXE|SYS|EXT)LINUX (\\d+)\\.(\\d+)"))
                  .match(QString::fromLatin1(*binary));
        if (!version.hasMatch())
            continue;
        const bool elfLoader = version.captured(1).toInt() >= 5;
        const bool elfModule = bytes.startsWith("\x7f"
                                                "ELF");
        if (elfLoader != elfModule)
            Report(*m_config.uiPlace, Severity::Error, "module-version-mix",
                QStringLiteral("%1 is a module of SYSLINUX %2, and %3 is version %4.%5: the loader cannot run it")
                    .arg(Latin(module), elfModule ? QStringLiteral("5 or later") : QStringLiteral("4 or earlier"),
                        QString::fromLatin1(loader), version.captured(1), version.captured(2)));
        return;
    }
}

void ConfigLint::Menus()
{
    const QByteArray module = m_config.ui ? CommandWord(*m_config.ui) : QByteArray();
    const QByteArray name = module.mid(module.lastIndexOf('/') + 1);
    if (name != "menu.c32" && name != "vesamenu.c32")
        return;
    const bool text = name == "menu.c32";
    const MenuConfig menus = ReadMenuConfig(m_files, m_config.folder, { m_files.ConfigPath() });
    const auto [width, height] = MenuResolution(menus);
    const int columns = text ? 80 : GridColumns(width);
    const int rows = text ? 25 : GridRows(height, GraphicalFontHeight());
    const QString screen = text ? QStringLiteral("menu.c32's 80 x 25 screen")
                                : QStringLiteral("vesamenu.c32's %1 x %2 grid").arg(columns).arg(rows);
    for (std::size_t index = MenuConfig::RootMenu; index < menus.menus.size(); ++index) {
        const Menu& menu = menus.menus[index];
        const ConfigPlace place = menu.place.line > 0 ? menu.place : *m_config.uiPlace;
        MenuFits(menu, place, columns, rows, screen);
        // vesamenu.c32 draws the #argb colours.
        if (text)
            MenuColours(menu);
        MenuEntries(menu, text);
    }
    if (!text)
        GraphicalMenu(menus);
}

// The file a directive names, read as the loader finds it; an error
// (missing, with its name in the message's %1) when it cannot be.
std::optional<QByteArray> ConfigLint::ReadNamed(
    const ConfigDirective& directive, const QByteArray& name, const char* code, const QString& missing)
{
    const std::optional<QByteArray> path = BootFiles::Resolve(m_config.folder, name);
    std::optional<QByteArray> bytes = path ? m_files.Read(*path) : std::nullopt;
    if (!bytes)
        Report(directive.place, Severity::Error, code, missing.arg(Latin(name)));
    return bytes;
}

// The FONT file's row height (16 for the VGA BIOS's font); a missing or
// unreadable one is reported.
int ConfigLint::GraphicalFontHeight()
{
    int height = 16;
    for (const ConfigDirective& directive : m_config.directives) {
        if (directive.keyword != "font")
            continue;
        const QByteArray name = CommandWord(directive.argument);
        const std::optional<QByteArray> bytes = ReadNamed(directive, name, "missing-font",
            QStringLiteral("FONT %1 is not beside the configuration: the menu keeps the VGA BIOS's font"));
        if (!bytes)
            continue;
        if (const std::optional<PcFont> font = Psf1Font(*bytes)) {
            height = font->height;
        } else {
            Report(directive.place, Severity::Error, "not-psf",
                QStringLiteral(
                    "FONT %1 is not a PSF1 font (magic 36 04, 256 glyphs 2-32 rows high, gzip'd or not): the "
                    "loader ignores it")
                    .arg(Latin(name)));
        }
    }
    return height;
}

namespace {

// A JPEG's size from its first frame header.
std::optional<std::pair<int, int>> JpegSize(const QByteArray& bytes)
{
    for (qsizetype at = 2; at + 9 < bytes.size();) {
        if (static_cast<std::uint8_t>(bytes[at]) != 0xFF)
            return std::nullopt;
        const auto marker = static_cast<std::uint8_t>(bytes[at + 1]);
        const int length = static_cast<std::uint8_t>(bytes[at + 2]) << 8 | static_cast<std::uint8_t>(bytes[at + 3]);
        if (marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC)
            return std::pair(static_cast<std::uint8_t>(bytes[at + 7]) << 8 | static_cast<std::uint8_t>(bytes[at + 8]),
                static_cast<std::uint8_t>(bytes[at + 5]) << 8 | static_cast<std::uint8_t>(bytes[at + 6]));
        at += 2 + length;
    }
    return std::nullopt;
}

}

// MENU BACKGROUND files as the loader takes them (never scaled), MENU FONT
// (not a keyword: the font is FONT's).
void ConfigLint::GraphicalMenu(const MenuConfig& menus)
{
    const auto [width, height] = MenuResolution(menus);
    for (const ConfigDirective& directive : m_config.directives) {
        if (directive.keyword == "menu" && directive.argument.trimmed().toLower().startsWith("font"))
            Report(directive.place, Severity::Warning, "menu-font",
                QStringLiteral("MENU FONT is no keyword: vesamenu.c32 ignores the line; the font is set with FONT"));
        if (directive.keyword != "menu background" || directive.argument.startsWith('#'))
            continue;
        const QByteArray name = CommandWord(directive.argument);
        const std::optional<QByteArray> bytes = ReadNamed(directive, name, "missing-background",
            QStringLiteral("MENU BACKGROUND %1 is not beside the configuration: the screen stays black behind the "
                           "menu"));
        if (!bytes)
            continue;
        const std::optional<Vesa::Picture> lss16 = Vesa::DecodeLss16(*bytes);
        const std::optional<Vesa::Picture> png = lss16 ? std::nullopt : Vesa::DecodePng(*bytes);
        const bool jpeg = bytes->startsWith("\xff\xd8");
        const std::optional<std::pair<int, int>> size = lss16 ? std::pair(lss16->width, lss16->height)
            : png                                             ? std::pair(png->width, png->height)
            : jpeg                                            ? JpegSize(*bytes)
                                                              : std::nullopt;
        if (jpeg)
            Report(directive.place, Severity::Note, "background-jpeg",
                QStringLiteral("MENU BACKGROUND %1 is a JPEG: SYSLINUX decodes it with its own decoder, so its "
                               "colours may differ slightly from what Glimra shows")
                    .arg(Latin(name)));
        if (!size)
            continue;
        const QString shown
            = QStringLiteral("MENU BACKGROUND %1 is %2 x %3").arg(Latin(name)).arg(size->first).arg(size->second);
        if (size->first > width || size->second > height)
            Report(directive.place, Severity::Warning, "background-too-large",
                QStringLiteral("%1, larger than the %2 x %3 screen: the loader rejects it and shows black")
                    .arg(shown)
                    .arg(width)
                    .arg(height));
        else if (size->first != width || size->second != height)
            Report(directive.place, Severity::Note, "background-size",
                lss16 ? QStringLiteral("%1: the loader puts it at the top left on black, never scaled").arg(shown)
                      : QStringLiteral("%1: the loader tiles it from the top left, never scaled").arg(shown));
    }
}

// The box, the tab message, the countdown and the help area on 80 x 25:
// rows past the last are drawn over it, and later parts overwrite earlier.
void ConfigLint::MenuFits(const Menu& menu, const ConfigPlace& place, int columns, int rows, const QString& screen)
{
    const std::array<int, MenuParamCount> p = ScreenParams(menu, columns, rows);
    const auto at = [&](MenuParam param) { return p[static_cast<std::size_t>(param)]; };
    const int v = at(MenuParam::VShift);
    const int boxTop = v + 1;
    const int boxBottom = v + 4 + at(MenuParam::Rows);
    const int inner = at(MenuParam::Width) - 2 * at(MenuParam::Margin) - 4;
    QStringList clashes;
    if (inner < 0)
        clashes << QStringLiteral("MENU WIDTH %1 leaves no room inside MENU MARGIN %2 (the module overruns or hangs)")
                       .arg(at(MenuParam::Width))
                       .arg(at(MenuParam::Margin));
    if (boxBottom > rows)
        clashes << QStringLiteral("the box ends on row %1, and rows past %2 are drawn over row %2")
                       .arg(boxBottom)
                       .arg(rows);
    const int right = at(MenuParam::HShift) + at(MenuParam::Width) - at(MenuParam::Margin);
    if (right > columns)
        clashes << QStringLiteral("the box's right edge falls in column %1 and wraps to the next row").arg(right);
    const auto clash = [&](const QString& what, int first, int last) {
        const int top = std::max(first, boxTop);
        const int bottom = std::min(last, boxBottom);
        if (top <= bottom)
            clashes << QStringLiteral("%1 on row%2 %3 overwrites the box")
                           .arg(what, top == bottom ? QString() : QStringLiteral("s"),
                               top == bottom ? QString::number(top) : QStringLiteral("%1-%2").arg(top).arg(bottom));
        else if (first > rows)
            clashes << QStringLiteral("%1 on row %2 is past row %3").arg(what).arg(first).arg(rows);
    };
    if (!menu.Message(MenuMessage::Tab).isEmpty() && menu.allowEdit && !menu.masterPassword)
        clash(QStringLiteral("the tab message"), at(MenuParam::TabMsgRow) + v, at(MenuParam::TabMsgRow) + v);
    if (menu.timeoutMs > 0)
        clash(QStringLiteral("the countdown"), at(MenuParam::TimeoutRow) + v, at(MenuParam::TimeoutRow) + v);
    clash(QStringLiteral("the help area, erased for every entry,"), at(MenuParam::HelpMsgRow) + v,
        std::max(at(MenuParam::HelpMsgRow) + v, at(MenuParam::HelpMsgEndRow)));
    if (!clashes.isEmpty())
        Report(place, Severity::Warning, "menu-overflow",
            QStringLiteral("the menu \"%1\" does not fit %2: %3")
                .arg(Latin(menu.title), screen, clashes.join(QStringLiteral("; "))));
}

void ConfigLint::MenuColours(const Menu& menu)
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
        if (colour.argb) {
            const QList<QByteArray> words = colour.argb->simplified().split(' ');
            const auto differs = [&](int word, int digit) {
                if (word >= words.size() || words[word] == "*")
                    return false;
                const quint32 argb = MenuArgb(words[word]);
                return (argb >> 24) != 0 && NearestPaletteDigit(argb) != digit;
            };
            if (differs(0, *attribute & 0x0F) || differs(1, *attribute >> 4 & 0x0F))
                Report(colour.place, Severity::Warning, "menu-colour-argb-ignored",
                    QStringLiteral("MENU COLOR %1: menu.c32 shows only the ANSI part %2 (%3 on %4); the #argb "
                                   "colours are vesamenu.c32's")
                        .arg(QString::fromLatin1(MenuColourNames[index]), Latin(colour.ansi),
                            QString::fromLatin1(ColourNames[*attribute & 0x0F]),
                            QString::fromLatin1(ColourNames[*attribute >> 4 & 0x0F])));
        }
    }
    const std::optional<int> selected = SgrAttribute(menu.colours[5].ansi);
    if (selected && selected == SgrAttribute(menu.colours[3].ansi)) {
        const MenuColour& sel = menu.colours[5].place.line > 0 ? menu.colours[5] : menu.colours[3];
        Report(sel.place.line > 0 ? sel.place : menu.place, Severity::Warning, "menu-invisible-selection",
            QStringLiteral("the selection bar (sel %1) has the colours of the other entries (unsel %2): it cannot "
                           "be seen")
                .arg(Latin(menu.colours[5].ansi), Latin(menu.colours[3].ansi)));
    }
}

void ConfigLint::MenuEntries(const Menu& menu, bool text)
{
    const std::array<int, MenuParamCount> p = ScreenParams(menu, 80, 25);
    const int inner
        = p[static_cast<std::size_t>(MenuParam::Width)] - 2 * p[static_cast<std::size_t>(MenuParam::Margin)] - 4;
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
        if (text && inner >= 0 && shown > room)
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

}

std::vector<FileProblem> LintBootConfig(const BootFiles& files) { return ConfigLint(files).Run(); }
