#include "MenuDesign.h"

#include "config/ConfigSyntax.h"
#include "design/MenuOutline.h"

#include <QObject>

#include <algorithm>

using namespace ConfigSyntax;

namespace Design {

QByteArray ApplyEdits(QByteArray bytes, const std::vector<FileEdit>& edits, const QByteArray& file)
{
    std::vector<const FileEdit*> mine;
    for (const FileEdit& edit : edits) {
        if (edit.file == file)
            mine.push_back(&edit);
    }
    // From the end, so each edit's offsets still hold.
    std::sort(mine.begin(), mine.end(), [](const FileEdit* a, const FileEdit* b) { return a->begin > b->begin; });
    for (const FileEdit* edit : mine)
        bytes.replace(edit->begin, edit->end - edit->begin, edit->text);
    return bytes;
}

QByteArray SettingWords(const Setting& setting)
{
    using Kind = Setting::Kind;
    static constexpr std::array<const char*, 4> messages = { "autoboot", "tabmsg", "notabmsg", "passprompt" };
    const auto index = static_cast<std::size_t>(setting.index);
    switch (setting.kind) {
    case Kind::Title: return "menu title";
    case Kind::Colour:
        return "menu color "
            + (index < MenuColourCount ? QByteArray(MenuColourNames[index])
                                       : "msg"
                        + QByteArray::number(setting.index - static_cast<int>(MenuColourCount), 16)
                              .rightJustified(2, '0'));
    case Kind::Param: return QByteArray("menu ") + MenuParamInfos[index].keyword;
    case Kind::Message: return QByteArray("menu ") + messages[index];
    case Kind::Timeout: return "timeout";
    case Kind::Resolution: return "menu resolution";
    case Kind::Background: return "menu background";
    }
    return {};
}

MenuDesign::MenuDesign(BootFiles files)
    : m_files(std::move(files))
{
    Read();
}

void MenuDesign::Read()
{
    m_lines.clear();
    m_set = ReadConfigSet(m_files);
    m_run = FirstMenuRun(m_set);
}

QByteArray MenuDesign::Bytes(const QByteArray& file) const { return m_files.Fetch(file).bytes; }

std::shared_ptr<const FileLines> MenuDesign::Lines(const QByteArray& file) const
{
    auto found = m_lines.constFind(file);
    if (found == m_lines.constEnd())
        found = m_lines.insert(file, std::make_shared<const FileLines>(Bytes(file)));
    return *found;
}

const MenuEntry* MenuDesign::EntryAt(const EntryRef& ref) const
{
    const MenuConfig& menus = Menus();
    if (ref.menu < 0 || ref.menu >= static_cast<int>(menus.menus.size()) || ref.entry < 0
        || ref.entry >= static_cast<int>(menus.At(ref.menu).entries.size()))
        return nullptr;
    return &menus.At(ref.menu).entries[static_cast<std::size_t>(ref.entry)];
}

std::optional<MenuDesign::Block> MenuDesign::BlockOf(const EntryRef& ref, QString& why) const
{
    const MenuEntry* entry = EntryAt(ref);
    if (!entry) {
        why = QObject::tr("Choose an entry first.");
        return std::nullopt;
    }
    const ConfigPlace& place = entry->place;
    std::shared_ptr<const FileLines> lines = Lines(place.file);
    if (place.line < 1 || place.line > lines->Count()) {
        why = QObject::tr("The entry's lines were not found in %1.").arg(QString::fromLatin1(place.file));
        return std::nullopt;
    }
    const LineKind kind = lines->Kind(place.line);
    const std::optional<int> last = lines->BlockEnd(place.line);
    if (!last || (kind == LineKind::MenuBegin) != (entry->action == MenuAction::Submenu)) {
        why = kind == LineKind::MenuBegin
            ? QObject::tr("The MENU BEGIN on line %1 of %2 has no MENU END in that file: edit it there.")
                  .arg(place.line)
                  .arg(QString::fromLatin1(place.file))
            : QObject::tr("This entry is made by a MENU INCLUDE line (%1 line %2): edit the included file.")
                  .arg(QString::fromLatin1(place.file))
                  .arg(place.line);
        return std::nullopt;
    }
    return Block { place.file, lines, place.line, *last };
}

Change MenuDesign::Checked(std::vector<FileEdit> edits, const Expect& expect) const
{
    if (edits.empty())
        return {};
    BootFiles changed = m_files;
    std::vector<QByteArray> touched;
    for (const FileEdit& edit : edits) {
        if (std::find(touched.begin(), touched.end(), edit.file) == touched.end())
            touched.push_back(edit.file);
    }
    for (const QByteArray& file : touched) {
        const std::optional<QString> host = m_files.HostPath(file);
        if (!host)
            return { {}, QObject::tr("%1 lies outside the tree.").arg(QString::fromLatin1(file)) };
        changed.SetText(*host, ApplyEdits(Bytes(file), edits, file));
    }
    const MenuConfig after = ReadMenuConfig(changed, Config().folder, m_run->files, changed.ConfigPath());
    if (QString differs = expect(after); !differs.isEmpty())
        return { {}, QObject::tr("This cannot be changed alone: %1.").arg(differs) };
    return { std::move(edits), {} };
}

Change MenuDesign::FirstThatHolds(const std::vector<std::vector<FileEdit>>& tries, const Expect& expect) const
{
    Change first;
    for (const std::vector<FileEdit>& edits : tries) {
        Change change = Checked(edits, expect);
        if (!change.Refused())
            return change;
        if (first.refusal.isEmpty())
            first = change;
    }
    if (first.refusal.isEmpty())
        first.refusal = QObject::tr("Nothing to change.");
    return first;
}

QByteArray MenuDesign::NewLabel(const QByteArray& base) const
{
    const QByteArray stem = base.isEmpty() ? QByteArray("entry") : base;
    for (int number = 1;; ++number) {
        const QByteArray name = number == 1 ? stem : stem + QByteArray::number(number);
        if (!Menus().FindLabel(name) && !Config().labelIndex.contains(name))
            return name;
    }
}

// New lines after a line (0: at the file's start), each with the break the
// file uses there; a last line without a break gets one first.
std::vector<FileEdit> MenuDesign::InsertAfter(
    const QByteArray& file, int line, const std::vector<QByteArray>& texts) const
{
    std::shared_ptr<const FileLines> lines = Lines(file);
    const QByteArray lineBreak = lines->BreakNear(line);
    QByteArray text;
    for (const QByteArray& each : texts)
        text += each + lineBreak;
    qsizetype at = line == 0 ? 0 : lines->At(line).next;
    if (line > 0 && lines->Break(line).isEmpty()) {
        text.prepend(lineBreak);
        text.chop(lineBreak.size());
        at = lines->At(line).end;
    }
    return { { file, at, at, text } };
}

}
