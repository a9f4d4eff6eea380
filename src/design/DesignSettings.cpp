// A menu's settings: the line that gives the menu its value rewritten, or a
// new one where the menu reads it.
#include "config/ConfigSyntax.h"
#include "design/DesignStyle.h"
#include "design/MenuDesign.h"
#include "design/MenuOutline.h"

#include <QObject>

using namespace ConfigSyntax;

namespace Design {

namespace {

// Where the argument of a line that says words starts, or -1: keywords in
// any case, COLOUR for COLOR.
qsizetype SaysWords(const QByteArray& text, const QByteArray& words)
{
    const char* p = SkipBlanks(text.constData());
    for (const QByteArray& word : words.split(' ')) {
        const char* ep = LookingAt(p, word.constData());
        if (!ep && word == "color")
            ep = LookingAt(p, "colour");
        if (!ep)
            return -1;
        p = SkipBlanks(ep);
    }
    return p - text.constData();
}

bool Boundary(LineKind kind)
{
    return kind == LineKind::Label || kind == LineKind::MenuBegin || kind == LineKind::MenuEnd
        || kind == LineKind::Separator || kind == LineKind::Include;
}

// What a menu's setting reads as after value, in SettingsOf's words.
QByteArray ReadsAs(const Menu& menu, const Setting& setting, const QByteArray& value)
{
    Menu changed = menu;
    const QByteArray text = value + '\0';
    switch (setting.kind) {
    case Setting::Kind::Title: changed.title = value; break;
    case Setting::Kind::Colour: {
        const QByteArray words = SettingWords(setting).mid(11) + ' ' + value;
        changed.colours.ReadColour(words.constData(), {});
        break;
    }
    case Setting::Kind::Param:
        changed.params[static_cast<std::size_t>(setting.index)] = Number(text.constData());
        break;
    case Setting::Kind::Message: changed.messages[static_cast<std::size_t>(setting.index)] = value; break;
    case Setting::Kind::Timeout: changed.timeoutMs = TimeoutMs(text.constData()); break;
    case Setting::Kind::Background: changed.background = Word(text.constData()); break;
    case Setting::Kind::Resolution: break;
    }
    return SettingsOf(changed).value(SettingWords(setting));
}

// Every node under one, its own included.
void Descendants(const OutlineNode& node, const std::vector<int>& path, std::vector<std::vector<int>>& out)
{
    out.push_back(path);
    for (std::size_t index = 0; index < node.children.size(); ++index) {
        std::vector<int> deeper = path;
        deeper.push_back(static_cast<int>(index));
        Descendants(node.children[index], deeper, out);
    }
}

}

// Where a new setting of a menu goes: after the last line before the
// menu's first entry (a submenu's MENU BEGIN at least).
std::optional<std::pair<QByteArray, int>> MenuDesign::SettingHome(int menu) const
{
    const Menu& at = Menus().At(menu);
    const QByteArray file = menu == MenuConfig::RootMenu ? m_run->files.front() : at.place.file;
    std::shared_ptr<const FileLines> lines = Lines(file);
    int line = 0;
    if (menu != MenuConfig::RootMenu) {
        line = at.place.line;
        if (line < 1 || line > lines->Count() || lines->Kind(line) != LineKind::MenuBegin)
            return std::nullopt;
    }
    int after = line;
    for (int next = line + 1; next <= lines->Count() && !Boundary(lines->Kind(next)); ++next) {
        if (lines->Kind(next) != LineKind::Quiet)
            after = next;
    }
    return std::pair(file, after);
}

// The edits that could set it: each line that says it rewritten (the
// last read first: the one that wins), then a new line in the menu's home.
std::vector<std::vector<FileEdit>> MenuDesign::SettingTries(
    int menu, const Setting& setting, const QByteArray& value) const
{
    const QByteArray words = SettingWords(setting);
    std::vector<std::vector<FileEdit>> tries;
    // The lines that say it, the last read first: the one that wins.
    for (auto file = Menus().files.rbegin(); file != Menus().files.rend(); ++file) {
        if (!file->found)
            continue;
        std::shared_ptr<const FileLines> lines = Lines(file->imagePath);
        for (int line = lines->Count(); line >= 1; --line) {
            const QByteArray text = lines->Text(line);
            const qsizetype start = lines->Kind(line) == LineKind::Other ? SaysWords(text, words) : -1;
            if (start < 0)
                continue;
            const FileLine& at = lines->At(line);
            QByteArray kept = text.left(start);
            if (!kept.isEmpty() && !IsBlank(kept.back()))
                kept += ' ';
            if (value.isEmpty()) {
                tries.push_back({ { file->imagePath, at.begin, at.next, {} } });
            } else {
                tries.push_back({ { file->imagePath, at.begin, at.end, kept + value } });
            }
        }
    }
    if (const std::optional<std::pair<QByteArray, int>> home = SettingHome(menu); home && !value.isEmpty()) {
        std::shared_ptr<const FileLines> lines = Lines(home->first);
        Style style = StyleOf(*lines, std::max(1, home->second));
        if (home->second == 0 && lines->Count() > 0)
            style.upper = UpperCaseKeyword(lines->Text(1));
        // An element's name stays as the module spells it.
        const bool colour = setting.kind == Setting::Kind::Colour;
        const QByteArray keyword = colour ? words.left(10) : words;
        const QByteArray argument = colour ? words.mid(11) + ' ' + value : value;
        tries.push_back(InsertAfter(home->first, home->second, { style.Line(keyword, argument, false) }));
    }
    return tries;
}

// Why a picture's name cannot go into MENU BACKGROUND, or nothing.
QString MenuDesign::BackgroundRefusal(const QByteArray& value) const
{
    const QByteArray name = value.trimmed();
    if (name.contains(' ') || name.contains('\t'))
        return QObject::tr("The menu reads a picture's name up to its first blank: “%1” names “%2”. Rename the file "
                           "without blanks.")
            .arg(QString::fromLatin1(name), QString::fromLatin1(Word(name.constData())));
    const std::optional<QByteArray> path = value.isEmpty() ? std::nullopt : BootFiles::Resolve(Config().folder, value);
    if (!value.isEmpty() && !path)
        return QObject::tr(
            "“%1” leads out of the boot tree; the loader cannot read it. Copy the picture into the tree.")
            .arg(QString::fromLatin1(value));
    if (path && !m_files.Exists(*path))
        return QObject::tr("There is no file %1 in the boot tree.").arg(QString::fromLatin1(*path));
    return {};
}

Change MenuDesign::SetSetting(int menu, const Setting& setting, const QByteArray& value) const
{
    if (!m_run)
        return { {}, QObject::tr("The configuration runs no menu module (UI menu.c32 or vesamenu.c32).") };
    if (value.contains('\n') || value.contains('\r'))
        return { {}, QObject::tr("A directive takes one line.") };
    if (setting.kind == Setting::Kind::Background) {
        if (QString refused = BackgroundRefusal(value); !refused.isEmpty())
            return { {}, refused };
    }
    const QByteArray words = SettingWords(setting);
    const std::vector<std::vector<FileEdit>> tries = SettingTries(menu, setting, value);
    const std::optional<std::vector<int>> path = PathOfMenu(Menus(), menu);
    if (!path)
        return { {}, QObject::tr("This menu is not reached from the top menu.") };
    const QByteArray key = words;
    const QByteArray wanted = ReadsAs(Menus().At(menu), setting, value);
    return FirstThatHolds(tries, [&](const MenuConfig& read) {
        Outline expected = OutlineOf(Menus());
        Outline found = OutlineOf(read);
        if (setting.kind == Setting::Kind::Resolution) {
            if (read.resolution.value_or(QByteArray()) != value)
                return QObject::tr("the menu would not read the resolution");
            expected.global = found.global;
            return Difference(expected, found);
        }
        if (NodeAt(found, *path).settings.value(key) != wanted)
            return QObject::tr("a later line would still decide it");
        std::vector<std::vector<int>> under;
        Descendants(NodeAt(expected, *path), *path, under);
        for (const std::vector<int>& each : under) {
            NodeAt(expected, each).settings[key] = NodeAt(found, each).settings.value(key);
            // A submenu's entry shows its title while nothing else names it.
            if (setting.kind == Setting::Kind::Title && each.size() > 1)
                NodeAt(expected, each).entry.displayName = NodeAt(found, each).entry.displayName;
        }
        return Difference(expected, found);
    });
}
}
