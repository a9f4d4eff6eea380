// An entry's own lines: its properties and its flags (default, hidden,
// disabled).
#include "config/ConfigSyntax.h"
#include "design/DesignStyle.h"
#include "design/MenuDesign.h"
#include "design/MenuOutline.h"

#include <QObject>

using namespace ConfigSyntax;

namespace Design {

namespace {

using Matcher = std::function<bool(const QByteArray&)>;

Matcher MenuWordIs(std::initializer_list<const char*> words)
{
    std::vector<QByteArray> list(words.begin(), words.end());
    return [list](const QByteArray& text) { return std::find(list.begin(), list.end(), MenuWord(text)) != list.end(); };
}

Matcher FirstWordIs(std::initializer_list<const char*> words)
{
    std::vector<QByteArray> list(words.begin(), words.end());
    return [list](const QByteArray& text) {
        return MenuWord(text).isEmpty() && std::find(list.begin(), list.end(), FirstWord(text)) != list.end();
    };
}

Matcher KernelLine()
{
    return [](const QByteArray& text) { return KernelKindNamed(FirstWord(text)).has_value(); };
}

// The bytes a line takes out of its file: its break too, or for a last
// line without one the break before it.
std::pair<qsizetype, qsizetype> LineSpan(const FileLines& lines, int line)
{
    if (lines.Break(line).isEmpty() && line > 1)
        return { lines.At(line - 1).end, lines.At(line).end };
    return { lines.At(line).begin, lines.At(line).next };
}

// The first node of that label, taken out; false when there is none.
bool TakeLabelled(std::vector<OutlineNode>& nodes, const QByteArray& label)
{
    for (auto node = nodes.begin(); node != nodes.end(); ++node) {
        if (node->entry.label == label) {
            nodes.erase(node);
            return true;
        }
        if (TakeLabelled(node->children, label))
            return true;
    }
    return false;
}

QString NoMenu() { return QObject::tr("The configuration runs no menu module (UI menu.c32 or vesamenu.c32)."); }

}

// The edits that make a block's own line say value: the last such line
// rewritten (or, empty, every one taken out), else a new line at the
// block's end; a flag's line is kept as it is when it is there.
std::vector<FileEdit> MenuDesign::OwnLineEdits(
    const Block& block, const Matcher& matches, const QByteArray& words, const QByteArray& value, bool flag) const
{
    const FileLines& lines = *block.lines;
    std::vector<int> found;
    for (const int line : lines.OwnLines(block.first)) {
        if (matches(lines.Text(line)))
            found.push_back(line);
    }
    std::vector<FileEdit> edits;
    if (value.isEmpty()) {
        for (const int line : found) {
            const auto [begin, end] = LineSpan(lines, line);
            edits.push_back({ block.file, begin, end, {} });
        }
        return edits;
    }
    if (!found.empty()) {
        if (flag)
            return {};
        const QByteArray text = lines.Text(found.back());
        const qsizetype start = ArgumentStart(text, static_cast<int>(words.count(' ')) + 1);
        QByteArray kept = text.left(start);
        if (kept.isEmpty() || !IsBlank(kept.back()))
            kept += ' ';
        const FileLine& at = lines.At(found.back());
        return { { block.file, at.begin, at.end, kept + value } };
    }
    const Style style = StyleOf(lines, block.first);
    const int after = lines.Kind(block.first) == LineKind::MenuBegin ? block.first : block.last;
    return InsertAfter(block.file, after, { style.Line(words, flag ? QByteArray() : value) });
}

Matcher MatcherOf(Property property)
{
    switch (property) {
    case Property::MenuLabel: return MenuWordIs({ "label" });
    case Property::Kernel: return KernelLine();
    case Property::Append: return FirstWordIs({ "append" });
    case Property::Initrd: return FirstWordIs({ "initrd" });
    case Property::Password: return MenuWordIs({ "passwd" });
    default: return [](const QByteArray&) { return false; };
    }
}

QByteArray MenuDesign::Written(const EntryRef& ref, Property property) const
{
    QString why;
    const std::optional<Block> block = m_run ? BlockOf(ref, why) : std::nullopt;
    if (!block)
        return {};
    const FileLines& lines = *block->lines;
    if (property == Property::Label)
        return lines.Kind(block->first) == LineKind::Label
            ? lines.Text(block->first).mid(ArgumentStart(lines.Text(block->first), 1))
            : QByteArray();
    QByteArray found;
    for (const int line : lines.OwnLines(block->first)) {
        const QByteArray text = lines.Text(line);
        if (property == Property::HelpText && lines.Kind(line) == LineKind::TextStart) {
            QByteArrayList help;
            for (int inside = line + 1; inside <= lines.Count() && lines.Kind(inside) == LineKind::Quiet
                 && !LookingAt(SkipBlanks(lines.Text(inside).constData()), "endtext");
                 ++inside)
                help << lines.Text(inside);
            found = help.join('\n');
        } else if (property != Property::HelpText && MatcherOf(property)(text)) {
            found = text.mid(
                ArgumentStart(text, property == Property::MenuLabel || property == Property::Password ? 2 : 1));
        }
    }
    return found;
}

// The edits that make a property of the block say value.
std::vector<FileEdit> MenuDesign::PropertyEdits(const Block& block, Property property, const QByteArray& value) const
{
    const FileLines& lines = *block.lines;
    switch (property) {
    case Property::Label: {
        if (value.trimmed().isEmpty())
            return {};
        const QByteArray text = lines.Text(block.first);
        const FileLine& at = lines.At(block.first);
        return { { block.file, at.begin + ArgumentStart(text, 1), at.end, value } };
    }
    case Property::MenuLabel: return OwnLineEdits(block, MenuWordIs({ "label" }), "menu label", value, false);
    case Property::Kernel: return OwnLineEdits(block, KernelLine(), "kernel", value, false);
    case Property::Append: return OwnLineEdits(block, FirstWordIs({ "append" }), "append", value, false);
    case Property::Initrd: return OwnLineEdits(block, FirstWordIs({ "initrd" }), "initrd", value, false);
    case Property::Password: return OwnLineEdits(block, MenuWordIs({ "passwd" }), "menu passwd", value, false);
    case Property::HelpText: return HelpEdits(block, value);
    }
    return {};
}

Change MenuDesign::Set(const EntryRef& ref, Property property, const QByteArray& value) const
{
    if (!m_run)
        return { {}, NoMenu() };
    QString why;
    const std::optional<Block> block = BlockOf(ref, why);
    if (!block)
        return { {}, why };
    const FileLines& lines = *block->lines;
    const bool label = lines.Kind(block->first) == LineKind::Label;
    const bool submenu = lines.Kind(block->first) == LineKind::MenuBegin;
    if (property != Property::MenuLabel && property != Property::Password && !label)
        return { {}, QObject::tr("Only a LABEL entry has that.") };
    if (value.contains('\n') && property != Property::HelpText)
        return { {}, QObject::tr("A directive takes one line.") };
    const std::vector<FileEdit> edits = PropertyEdits(*block, property, value);
    if (property == Property::Label && edits.empty())
        return { {}, QObject::tr("A label needs a name.") };
    const MenuEntry before = *EntryAt(ref);
    const std::vector<int> path = *PathOfEntry(Menus(), ref.menu, ref.entry);
    const QByteArray lineBreak = lines.BreakNear(block->first);
    return Checked(edits, [&](const MenuConfig& read) {
        Outline expected = OutlineOf(Menus());
        Outline found = OutlineOf(read);
        OutlineNode& node = NodeAt(expected, path);
        const OutlineNode& now = NodeAt(found, path);
        MenuEntry& entry = node.entry;
        switch (property) {
        case Property::Label:
            entry.label = value;
            entry.commandLine = now.entry.commandLine;
            if (before.displayName == before.label)
                entry.displayName = now.entry.displayName;
            break;
        case Property::MenuLabel:
            entry.displayName = value.isEmpty() ? now.entry.displayName : value;
            if (submenu)
                node.settings["menu title"] = now.settings.value("menu title");
            break;
        case Property::Password: entry.password = value.isEmpty() ? std::nullopt : std::optional(value); break;
        case Property::HelpText: {
            entry.helpText.clear();
            for (const QByteArray& line : value.split('\n'))
                entry.helpText += value.isEmpty() ? QByteArray() : line + lineBreak;
            break;
        }
        default:
            if (!value.isEmpty() && !now.entry.commandLine.contains(value))
                return QObject::tr("the entry would not run %1").arg(QString::fromLatin1(value));
            entry.commandLine = now.entry.commandLine;
            break;
        }
        return Difference(expected, found);
    });
}

std::vector<FileEdit> MenuDesign::HelpEdits(const Block& block, const QByteArray& value) const
{
    const FileLines& lines = *block.lines;
    const Style style = StyleOf(lines, block.first);
    const QByteArray lineBreak = lines.BreakNear(block.first);
    std::vector<QByteArray> text;
    for (const QByteArray& line : value.split('\n'))
        text.push_back(line);
    for (const int line : lines.OwnLines(block.first)) {
        if (lines.Kind(line) != LineKind::TextStart
            || !LookingAt(SkipBlanks(lines.Text(line).constData() + ArgumentStart(lines.Text(line), 1)), "help"))
            continue;
        int end = line;
        while (end < lines.Count() && lines.Kind(end + 1) == LineKind::Quiet
            && !LookingAt(SkipBlanks(lines.Text(end + 1).constData()), "endtext"))
            ++end;
        if (value.isEmpty()) {
            const int last = std::min(end + 1, lines.Count());
            return { { block.file, LineSpan(lines, line).first, LineSpan(lines, last).second, {} } };
        }
        QByteArray body;
        for (const QByteArray& each : text)
            body += each + lineBreak;
        const qsizetype begin = lines.At(line).next;
        return { { block.file, begin, end > line ? lines.At(end).next : begin, body } };
    }
    if (value.isEmpty())
        return {};
    text.insert(text.begin(), style.Line("text help", {}));
    text.push_back(style.Line("endtext", {}));
    return InsertAfter(block.file, block.last, text);
}

Change MenuDesign::MakeDefault(const EntryRef& ref) const
{
    if (!m_run)
        return { {}, NoMenu() };
    const MenuEntry* entry = EntryAt(ref);
    if (entry && entry->action != MenuAction::Command && entry->action != MenuAction::Goto
        && entry->action != MenuAction::Submenu)
        return { {}, QObject::tr("Only an entry that runs or opens something can be the default.") };
    QString why;
    const std::optional<Block> block = BlockOf(ref, why);
    if (!block)
        return { {}, why };
    std::vector<std::vector<FileEdit>> tries;
    // DEFAULT beside UI outranks MENU DEFAULT: change its word when it names this menu's entry.
    const BootConfig& config = Config();
    if (config.defaultPlace && !entry->label.isEmpty()) {
        std::shared_ptr<const FileLines> lines = Lines(config.defaultPlace->file);
        const int line = config.defaultPlace->line;
        if (line >= 1 && line <= lines->Count()) {
            const QByteArray text = lines->Text(line);
            const qsizetype start = ArgumentStart(text, 1);
            const qsizetype end = start + Word(text.constData() + start).size();
            const qsizetype base = lines->At(line).begin;
            tries.push_back({ { config.defaultPlace->file, base + start, base + end, entry->label } });
        }
    }
    std::vector<FileEdit> marks = OwnLineEdits(*block, MenuWordIs({ "default" }), "menu default", "1", true);
    const Menu& menu = Menus().At(ref.menu);
    for (int other = 0; other < static_cast<int>(menu.entries.size()); ++other) {
        QString ignored;
        if (other == ref.entry)
            continue;
        if (const std::optional<Block> its = BlockOf({ ref.menu, other }, ignored)) {
            for (FileEdit& edit : OwnLineEdits(*its, MenuWordIs({ "default" }), "menu default", {}, true))
                marks.push_back(std::move(edit));
        }
    }
    tries.push_back(marks);
    const std::vector<int> path = *PathOfEntry(Menus(), ref.menu, ref.entry);
    Outline expected = OutlineOf(Menus());
    std::vector<OutlineNode>& siblings = SiblingsOf(expected, path);
    for (std::size_t index = 0; index < siblings.size(); ++index)
        siblings[index].entry.isDefault = static_cast<int>(index) == ref.entry;
    if (siblings[static_cast<std::size_t>(ref.entry)].entry.isDefault == entry->isDefault && entry->isDefault)
        return { {}, QObject::tr("It is the default already.") };
    return FirstThatHolds(tries, [&](const MenuConfig& read) { return Difference(expected, OutlineOf(read)); });
}

Change MenuDesign::SetHidden(const EntryRef& ref, bool hidden) const
{
    if (!m_run)
        return { {}, NoMenu() };
    QString why;
    const std::optional<Block> block = BlockOf(ref, why);
    if (!block)
        return { {}, why };
    if (block->lines->Kind(block->first) != LineKind::Label)
        return { {}, QObject::tr("Only a LABEL entry can be hidden.") };
    const QByteArray label = EntryAt(ref)->label;
    std::vector<FileEdit> edits = OwnLineEdits(*block, MenuWordIs({ "hide" }), "menu hide", hidden ? "1" : "", true);
    const std::vector<int> path = *PathOfEntry(Menus(), ref.menu, ref.entry);
    return Checked(edits, [&](const MenuConfig& read) {
        Outline expected = OutlineOf(Menus());
        Outline found = OutlineOf(read);
        SiblingsOf(expected, path).erase(SiblingsOf(expected, path).begin() + path.back());
        const bool taken = hidden ? TakeLabelled(found.roots.back().children, label)
                                  : TakeLabelled(found.roots.front().children, label);
        if (!taken)
            return hidden ? QObject::tr("the entry would still show") : QObject::tr("the entry would not show");
        if (hidden)
            TakeDefaults(SiblingsOf(expected, path), SiblingsOf(found, path));
        return Difference(expected, found);
    });
}

Change MenuDesign::SetDisabled(const EntryRef& ref, bool disabled) const
{
    if (!m_run)
        return { {}, NoMenu() };
    QString why;
    const std::optional<Block> block = BlockOf(ref, why);
    if (!block)
        return { {}, why };
    if (block->lines->Kind(block->first) != LineKind::Label)
        return { {}, QObject::tr("Only a LABEL entry can be disabled.") };
    std::vector<FileEdit> edits
        = OwnLineEdits(*block, MenuWordIs({ "disable", "disabled" }), "menu disable", disabled ? "1" : "", true);
    const std::vector<int> path = *PathOfEntry(Menus(), ref.menu, ref.entry);
    return Checked(edits, [&](const MenuConfig& read) {
        Outline expected = OutlineOf(Menus());
        Outline found = OutlineOf(read);
        OutlineNode& node = NodeAt(expected, path);
        const OutlineNode& now = NodeAt(found, path);
        if ((now.entry.action == MenuAction::Disabled) != disabled)
            return QObject::tr("the entry would not change");
        node.entry = now.entry;
        for (std::size_t index = 0; index < SiblingsOf(expected, path).size(); ++index)
            SiblingsOf(expected, path)[index].entry.isDefault = SiblingsOf(found, path)[index].entry.isDefault;
        return Difference(expected, found);
    });
}

}
