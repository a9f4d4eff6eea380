// The entry operations: add, remove, duplicate, move, and the flags.
#include "config/ConfigSyntax.h"
#include "design/DesignStyle.h"
#include "design/MenuDesign.h"
#include "design/MenuOutline.h"

#include <QObject>

using namespace ConfigSyntax;

namespace Design {

namespace {

// The lines of a template in a block's style.
std::vector<QByteArray> TemplateLines(Template kind, const Style& style, const QByteArray& label)
{
    const auto line = [&](const char* words, const QByteArray& argument) { return style.Line(words, argument); };
    const auto top = [&](const char* words, const QByteArray& argument) { return style.Line(words, argument, false); };
    switch (kind) {
    case Template::Linux:
        return { top("label", label), line("menu label", "^Linux"), line("linux", "/vmlinuz"),
            line("initrd", "/initrd.img") };
    case Template::LocalBoot:
        return { top("label", label), line("menu label", "Boot from ^local disk"), line("localboot", "0") };
    case Template::Chain:
        return { top("label", label), line("menu label", "Boot from first hard ^disk"), line("com32", "chain.c32"),
            line("append", "hd0") };
    case Template::Submenu:
        return { top("menu begin", label), line("menu title", "Submenu"), line("label", label + "-back"),
            line("menu label", "^Back"), line("menu exit", {}), top("menu end", {}) };
    case Template::Separator: return { top("menu separator", {}) };
    case Template::MenuExit: return { top("label", label), line("menu label", "^Back"), line("menu exit", {}) };
    }
    return {};
}

const char* TemplateLabel(Template kind)
{
    constexpr std::array<const char*, 6> names = { "linux", "local", "chain", "submenu", "", "back" };
    return names[static_cast<std::size_t>(kind)];
}

MenuAction TemplateAction(Template kind)
{
    constexpr std::array<MenuAction, 6> actions = { MenuAction::Command, MenuAction::Command, MenuAction::Command,
        MenuAction::Submenu, MenuAction::Disabled, MenuAction::Exit };
    return actions[static_cast<std::size_t>(kind)];
}

QString NoMenu() { return QObject::tr("The configuration runs no menu module (UI menu.c32 or vesamenu.c32)."); }

}

Change MenuDesign::Add(const EntryRef& after, Template kind) const
{
    if (!m_run)
        return { {}, NoMenu() };
    const Menu& menu = Menus().At(after.menu);
    const int count = static_cast<int>(menu.entries.size());
    const int anchor = after.entry < 0 || after.entry >= count ? count - 1 : after.entry;
    QByteArray file;
    int line = 0;
    std::shared_ptr<const FileLines> lines;
    Style style;
    QString why;
    if (anchor >= 0) {
        const std::optional<Block> block = BlockOf({ after.menu, anchor }, why);
        if (!block)
            return { {}, why };
        file = block->file;
        line = block->last;
        lines = block->lines;
        style = StyleOf(*lines, block->first);
    } else if (after.menu != MenuConfig::RootMenu) {
        // An empty submenu: before its MENU END.
        lines = Lines(menu.place.file);
        const std::optional<int> end = menu.place.line >= 1 && menu.place.line <= lines->Count()
            ? lines->BlockEnd(menu.place.line)
            : std::nullopt;
        if (!end || lines->Kind(menu.place.line) != LineKind::MenuBegin)
            return { {}, QObject::tr("This menu's MENU BEGIN and MENU END are not in one file.") };
        file = menu.place.file;
        line = *end - 1;
        style = StyleOf(*lines, menu.place.line);
        style.indent = style.inner;
    } else {
        file = m_run->files.front();
        lines = Lines(file);
        line = lines->Count();
        style = StyleOf(*lines, 1);
        style.indent.clear();
    }
    const QByteArray label = NewLabel(TemplateLabel(kind));
    const std::optional<std::vector<int>> path = PathOfMenu(Menus(), after.menu);
    if (!path)
        return { {}, QObject::tr("This menu is not reached from the top menu.") };
    const Outline before = OutlineOf(Menus());
    const int index = anchor + 1;
    return Checked(InsertAfter(file, line, TemplateLines(kind, style, label)), [&](const MenuConfig& read) {
        Outline found = OutlineOf(read);
        std::vector<OutlineNode>& siblings = NodeAt(found, *path).children;
        if (static_cast<int>(siblings.size()) <= index
            || siblings[static_cast<std::size_t>(index)].entry.action != TemplateAction(kind))
            return kind == Template::MenuExit && after.menu == MenuConfig::RootMenu
                ? QObject::tr("MENU EXIT leaves a submenu; the top menu has none to leave")
                : QObject::tr("the new entry would not be read as one here");
        siblings.erase(siblings.begin() + index);
        return Difference(before, found);
    });
}

Change MenuDesign::Remove(const EntryRef& ref) const
{
    if (!m_run)
        return { {}, NoMenu() };
    QString why;
    const std::optional<Block> block = BlockOf(ref, why);
    if (!block)
        return { {}, why };
    if (const std::optional<int> foreign = block->lines->ForeignLine(block->first, block->last))
        return { {},
            QObject::tr("Line %1 of %2 sits among the entry's lines but sets the menu; move it out first.")
                .arg(*foreign)
                .arg(QString::fromLatin1(block->file)) };
    const FileLines& lines = *block->lines;
    qsizetype begin = lines.At(block->first).begin;
    const qsizetype end = lines.At(block->last).next;
    if (lines.Break(block->last).isEmpty() && block->first > 1)
        begin = lines.At(block->first - 1).end; // the last line: the break before it goes instead
    const std::vector<int> path = *PathOfEntry(Menus(), ref.menu, ref.entry);
    Outline expected = OutlineOf(Menus());
    std::vector<OutlineNode>& siblings = SiblingsOf(expected, path);
    siblings.erase(siblings.begin() + path.back());
    return Checked({ { block->file, begin, end, {} } }, [&](const MenuConfig& read) {
        Outline found = OutlineOf(read);
        TakeDefaults(SiblingsOf(expected, path), SiblingsOf(found, path));
        return Difference(expected, found);
    });
}

Change MenuDesign::Duplicate(const EntryRef& ref) const
{
    if (!m_run)
        return { {}, NoMenu() };
    QString why;
    const std::optional<Block> block = BlockOf(ref, why);
    if (!block)
        return { {}, why };
    const FileLines& lines = *block->lines;
    const MenuEntry& entry = *EntryAt(ref);
    const QByteArray label = NewLabel(entry.label.isEmpty() ? QByteArray("entry") : entry.label + "-copy");
    std::vector<QByteArray> copy;
    for (int line = block->first; line <= block->last; ++line) {
        QByteArray text = lines.Text(line);
        // The copy is not the default: one entry is.
        if (lines.Kind(line) == LineKind::LabelPart && MenuWord(text) == "default")
            continue;
        if (line == block->first && lines.Kind(line) == LineKind::Label)
            text = text.left(ArgumentStart(text, 1)) + label;
        copy.push_back(text);
    }
    const std::vector<int> path = *PathOfEntry(Menus(), ref.menu, ref.entry);
    Outline expected = OutlineOf(Menus());
    return Checked(InsertAfter(block->file, block->last, copy), [&](const MenuConfig& read) {
        Outline found = OutlineOf(read);
        std::vector<OutlineNode>& siblings = SiblingsOf(expected, path);
        const std::vector<OutlineNode>& foundSiblings = SiblingsOf(found, path);
        if (foundSiblings.size() != siblings.size() + 1)
            return QObject::tr("the copy would not be read beside the entry");
        OutlineNode twin = foundSiblings[static_cast<std::size_t>(path.back() + 1)];
        if (twin.entry.displayName != entry.displayName && entry.label != entry.displayName)
            return QObject::tr("the copy would not show as the entry does");
        siblings.insert(siblings.begin() + path.back() + 1, twin);
        return Difference(expected, found);
    });
}

Change MenuDesign::Move(const EntryRef& ref, int by) const
{
    if (!m_run)
        return { {}, NoMenu() };
    const EntryRef other { ref.menu, ref.entry + by };
    if (!EntryAt(ref) || !EntryAt(other) || (by != 1 && by != -1))
        return { {}, QObject::tr("The entry is already at that end of its menu.") };
    if (ref.menu == MenuConfig::HiddenMenu)
        return { {}, QObject::tr("Hidden entries have no order on the menu.") };
    QString why;
    const std::optional<Block> a = BlockOf(by > 0 ? ref : other, why);
    const std::optional<Block> b = a ? BlockOf(by > 0 ? other : ref, why) : std::nullopt;
    if (!a || !b)
        return { {}, why };
    if (a->file != b->file || a->last >= b->first)
        return { {},
            QObject::tr("The two entries are in different files (%1, %2): move them there.")
                .arg(QString::fromLatin1(a->file), QString::fromLatin1(b->file)) };
    const FileLines& lines = *a->lines;
    const QByteArray& bytes = lines.Bytes();
    const auto text = [&](const Block& block) {
        QByteArray part
            = bytes.mid(lines.At(block.first).begin, lines.At(block.last).next - lines.At(block.first).begin);
        return lines.Break(block.last).isEmpty() ? part + lines.BreakNear(block.first) : part;
    };
    const qsizetype begin = lines.At(a->first).begin;
    const qsizetype end = lines.At(b->last).next;
    const QByteArray gap = bytes.mid(lines.At(a->last).next, lines.At(b->first).begin - lines.At(a->last).next);
    QByteArray swapped = text(*b) + gap + text(*a);
    if (lines.Break(b->last).isEmpty())
        swapped.chop(lines.BreakNear(a->first).size());
    const std::vector<int> path = *PathOfEntry(Menus(), ref.menu, ref.entry);
    Outline expected = OutlineOf(Menus());
    std::vector<OutlineNode>& siblings = SiblingsOf(expected, path);
    std::swap(siblings[static_cast<std::size_t>(ref.entry)], siblings[static_cast<std::size_t>(other.entry)]);
    return Checked({ { a->file, begin, end, swapped } }, [&](const MenuConfig& read) {
        Outline found = OutlineOf(read);
        // Without MENU DEFAULT the first entry is the default, wherever it came from.
        TakeDefaults(SiblingsOf(expected, path), SiblingsOf(found, path));
        return Difference(expected, found);
    });
}

}
