#include "GrubCompare.h"

#include "common/Limits.h"
#include "config/GrubConfig.h"

#include <QSet>

#include <deque>

namespace {

QString Utf8(const QByteArray& bytes) { return QString::fromUtf8(bytes); }

// Titles matched as a reader would: case and runs of blanks aside.
QString Normal(const QByteArray& title) { return Utf8(title).simplified().toCaseFolded(); }

struct OwnItem {
    GrubItem item;
    QByteArray file;
    std::vector<OwnItem> children; // a submenu's
    std::optional<QByteArray> defaultEntry; // a submenu's own set default
};

struct OwnSide {
    std::vector<OwnItem> items;
    std::optional<QByteArray> defaultEntry;
    std::optional<QByteArray> timeout;
    ConfigPlace timeoutPlace;
};

// The tree's grub.cfg walked as GRUB runs it, source lines read in place.
class Reader {
public:
    Reader(const BootFiles& files, const QByteArray& path)
        : m_files(files)
        , m_folder(path.left(path.lastIndexOf('/')))
    {
    }

    // The first file's reading error, if any, and its items.
    std::optional<GrubConfigError> Read(const QByteArray& path, OwnSide& side)
    {
        const std::optional<QByteArray> bytes = m_files.Read(path, Limits::GrubConfigBytes);
        if (!bytes)
            return GrubConfigError { 0, "it cannot be read" };
        m_configs.push_back(ReadGrubConfig(*bytes));
        if (m_configs.back().error)
            return m_configs.back().error;
        Walk(m_configs.back().commands, path, 0, side.items, &side, side.defaultEntry);
        return std::nullopt;
    }

private:
    void Walk(const std::vector<GrubCommand>& commands, const QByteArray& file, int depth, std::vector<OwnItem>& items,
        OwnSide* top, std::optional<QByteArray>& defaultEntry);
    void Setting(
        const GrubCommand& command, const QByteArray& file, OwnSide* top, std::optional<QByteArray>& defaultEntry);
    void Source(const GrubCommand& command, int depth, std::vector<OwnItem>& items, OwnSide* top,
        std::optional<QByteArray>& defaultEntry);

    const BootFiles& m_files;
    QByteArray m_folder;
    std::deque<GrubConfig> m_configs; // sourced files, kept while their items are
    int m_sourced = 0;
};

void Reader::Walk(const std::vector<GrubCommand>& commands, const QByteArray& file, int depth,
    std::vector<OwnItem>& items, OwnSide* top, std::optional<QByteArray>& defaultEntry)
{
    for (const GrubCommand& command : commands) {
        switch (command.block) {
        case GrubBlock::MenuEntry:
        case GrubBlock::Submenu: {
            OwnItem item { GrubItemOf(command), file, {}, std::nullopt };
            if (item.item.submenu)
                Walk(item.item.body, file, depth, item.children, nullptr, item.defaultEntry);
            items.push_back(std::move(item));
            break;
        }
        case GrubBlock::If:
        case GrubBlock::For:
        case GrubBlock::While:
        case GrubBlock::Until:
            for (const GrubBranch& branch : command.branches)
                Walk(branch.body, file, depth, items, top, defaultEntry);
            break;
        case GrubBlock::Function: break;
        case GrubBlock::None:
            if (command.Name() == "source")
                Source(command, depth, items, top, defaultEntry);
            else
                Setting(command, file, top, defaultEntry);
            break;
        }
    }
}

// set timeout=N, set default=X and their bare assignments.
void Reader::Setting(
    const GrubCommand& command, const QByteArray& file, OwnSide* top, std::optional<QByteArray>& defaultEntry)
{
    QByteArray assignment = command.Name();
    if (assignment == "set")
        assignment = command.Arg(1);
    if (assignment.startsWith("default="))
        defaultEntry = assignment.mid(8);
    else if (assignment.startsWith("timeout=") && top) {
        top->timeout = assignment.mid(8);
        top->timeoutPlace = { file, command.line };
    }
}

// A file named from the tree's root or $prefix; one named through any
// other variable is GRUB's to find, and not read.
void Reader::Source(const GrubCommand& command, int depth, std::vector<OwnItem>& items, OwnSide* top,
    std::optional<QByteArray>& defaultEntry)
{
    if (command.words.size() < 2 || depth >= Limits::GrubNesting || m_sourced >= Limits::GrubSourcedFiles)
        return;
    bool unknown = false;
    const QByteArray name = ExpandGrubWord(command.words[1], [&](const QByteArray& variable) {
        unknown = unknown || (variable != "prefix" && variable != "config_directory");
        return m_folder;
    });
    if (unknown || !name.startsWith('/'))
        return;
    const std::optional<QByteArray> path = BootFiles::Resolve("/", name);
    const std::optional<QByteArray> bytes = path ? m_files.Read(*path, Limits::GrubConfigBytes) : std::nullopt;
    if (!bytes)
        return;
    ++m_sourced;
    m_configs.push_back(ReadGrubConfig(*bytes));
    Walk(m_configs.back().commands, *path, depth + 1, items, top, defaultEntry);
}

class Comparer {
public:
    explicit Comparer(std::vector<GrubFinding>& findings)
        : m_findings(findings)
    {
    }
    void Menu(
        const GrubPlan& plan, int menu, const std::vector<OwnItem>& own, const std::optional<QByteArray>& ownDefault);

private:
    void Entry(const GrubPlan& plan, const GrubPlanEntry& entry, const OwnItem& own);
    void Boot(const GrubPlanEntry& entry, const OwnItem& own);
    void Add(const ConfigPlace& place, const char* code, const QString& message)
    {
        m_findings.push_back({ place, code, message });
    }
    std::vector<GrubFinding>& m_findings;
};

const OwnItem* DefaultOf(const std::vector<OwnItem>& items, const std::optional<QByteArray>& value)
{
    const QByteArray chosen = value.value_or("0");
    bool number = false;
    const int index = chosen.toInt(&number);
    if (number)
        return index >= 0 && static_cast<std::size_t>(index) < items.size() ? &items[static_cast<std::size_t>(index)]
                                                                            : nullptr;
    for (const OwnItem& item : items) {
        if (item.item.id == chosen || item.item.title == chosen)
            return &item;
    }
    return nullptr;
}

void Comparer::Menu(
    const GrubPlan& plan, int menu, const std::vector<OwnItem>& own, const std::optional<QByteArray>& ownDefault)
{
    const GrubPlanMenu& planMenu = plan.menus[static_cast<std::size_t>(menu)];
    QSet<const OwnItem*> matched;
    bool defaultFound = false;
    for (const GrubPlanEntry& entry : planMenu.entries) {
        if (entry.boot.kind == GrubBoot::Kind::Screen && entry.submenu < 0)
            continue;
        const OwnItem* found = nullptr;
        for (const OwnItem& item : own) {
            if (!found && !matched.contains(&item) && Normal(item.item.title) == Normal(entry.title))
                found = &item;
        }
        if (!found) {
            Add(entry.place, "grub-own-missing",
                QStringLiteral("%1 is not in the tree's grub.cfg").arg(Utf8(entry.title)));
            continue;
        }
        matched.insert(found);
        defaultFound
            = defaultFound || &entry == &planMenu.entries[static_cast<std::size_t>(std::max(planMenu.defaultEntry, 0))];
        Entry(plan, entry, *found);
    }
    for (const OwnItem& item : own) {
        if (!matched.contains(&item))
            Add({ item.file, item.item.line }, "grub-own-extra",
                QStringLiteral("the tree's grub.cfg has %1, which the ISOLINUX menu has not")
                    .arg(Utf8(item.item.title)));
    }
    // The default, when grub.cfg names it plainly and has it.
    if (planMenu.defaultEntry < 0 || !defaultFound || (ownDefault && ownDefault->contains('$')))
        return;
    const GrubPlanEntry& chosen = planMenu.entries[static_cast<std::size_t>(planMenu.defaultEntry)];
    const OwnItem* ownChosen = DefaultOf(own, ownDefault);
    if (ownChosen && Normal(ownChosen->item.title) != Normal(chosen.title))
        Add(chosen.place, "grub-own-default",
            QStringLiteral("the default is %1 here but %2 in the tree's grub.cfg")
                .arg(Utf8(chosen.title), Utf8(ownChosen->item.title)));
}

void Comparer::Entry(const GrubPlan& plan, const GrubPlanEntry& entry, const OwnItem& own)
{
    if ((entry.submenu >= 0) != own.item.submenu) {
        Add(entry.place, "grub-own-submenu",
            QStringLiteral("%1 is a submenu in one menu and an entry in the other").arg(Utf8(entry.title)));
        return;
    }
    if (entry.submenu >= 0)
        Menu(plan, entry.submenu, own.children, own.defaultEntry);
    else if (entry.boot.kind == GrubBoot::Kind::Linux)
        Boot(entry, own);
}

QStringList OnlyIn(const std::vector<QByteArray>& words, std::vector<QByteArray> others)
{
    QStringList only;
    for (const QByteArray& word : words) {
        const auto found = std::find(others.begin(), others.end(), word);
        if (found == others.end())
            only << Utf8(word);
        else
            others.erase(found);
    }
    return only;
}

void Comparer::Boot(const GrubPlanEntry& entry, const OwnItem& own)
{
    const GrubCommand* kernelLine = nullptr;
    std::vector<QByteArray> initrds;
    for (const GrubCommand& command : own.item.body) {
        const QByteArray name = command.Name();
        if (!kernelLine && (name == "linux" || name == "linuxefi" || name == "linux16"))
            kernelLine = &command;
        if (name == "initrd" || name == "initrdefi" || name == "initrd16")
            for (std::size_t word = 1; word < command.words.size(); ++word)
                initrds.push_back(command.words[word].raw.contains('$') ? command.words[word].raw : command.Arg(word));
    }
    const QString title = Utf8(entry.title);
    if (!kernelLine || kernelLine->words.size() < 2) {
        Add(entry.place, "grub-own-kernel", QStringLiteral("the tree's grub.cfg boots no kernel for %1").arg(title));
        return;
    }
    const auto written = [](const GrubWord& word) { return word.raw.contains('$') ? word.raw : word.text; };
    if (written(kernelLine->words[1]) != entry.boot.kernel)
        Add(entry.place, "grub-own-kernel",
            QStringLiteral("%1 boots %2 here and %3 in the tree's grub.cfg")
                .arg(title, Utf8(entry.boot.kernel), Utf8(written(kernelLine->words[1]))));
    std::vector<QByteArray> arguments;
    for (std::size_t word = 2; word < kernelLine->words.size(); ++word)
        arguments.push_back(written(kernelLine->words[word]));
    const QStringList here = OnlyIn(entry.boot.arguments, arguments);
    const QStringList there = OnlyIn(arguments, entry.boot.arguments);
    if (!here.isEmpty() || !there.isEmpty())
        Add(entry.place, "grub-own-arguments",
            QStringLiteral("%1's kernel gets %2 only here and %3 only from the tree's grub.cfg")
                .arg(title, here.isEmpty() ? QStringLiteral("nothing") : here.join(' '),
                    there.isEmpty() ? QStringLiteral("nothing") : there.join(' ')));
    if (initrds != entry.boot.initrds) {
        QStringList ours, theirs;
        for (const QByteArray& name : entry.boot.initrds)
            ours << Utf8(name);
        for (const QByteArray& name : initrds)
            theirs << Utf8(name);
        Add(entry.place, "grub-own-initrd",
            QStringLiteral("%1 loads the initrd %2 here and %3 in the tree's grub.cfg")
                .arg(title, ours.isEmpty() ? QStringLiteral("none") : ours.join(' '),
                    theirs.isEmpty() ? QStringLiteral("none") : theirs.join(' ')));
    }
}

}

std::optional<QByteArray> OwnGrubConfig(const BootFiles& files)
{
    for (const char* path : { "/boot/grub/grub.cfg", "/EFI/BOOT/grub.cfg", "/EFI/boot/grub.cfg", "/grub/grub.cfg" }) {
        if (files.Exists(path))
            return QByteArray(path);
    }
    return std::nullopt;
}

std::vector<GrubFinding> CompareGrubMenus(const BootFiles& files, const GrubPlan& plan)
{
    std::vector<GrubFinding> findings;
    const std::optional<QByteArray> path = OwnGrubConfig(files);
    if (!path || plan.menus.empty())
        return findings;
    OwnSide own;
    Reader reader(files, *path);
    if (const std::optional<GrubConfigError> error = reader.Read(*path, own)) {
        findings.push_back({ { *path, error->line }, "grub-own-unreadable",
            QStringLiteral("the tree's %1 does not read as GRUB reads it (%2), so its menu is not compared")
                .arg(QString::fromUtf8(*path), QString::fromUtf8(error->message)) });
        return findings;
    }
    Comparer(findings).Menu(plan, 0, own.items, own.defaultEntry);
    const int ownTimeout = own.timeout ? own.timeout->toInt() : -1;
    if (!own.timeout || !own.timeout->contains('$')) {
        if (ownTimeout != plan.timeoutSeconds)
            findings.push_back({ own.timeout ? own.timeoutPlace : ConfigPlace { *path, 0 }, "grub-own-timeout",
                QStringLiteral("the menu waits %1 here and %2 in the tree's grub.cfg")
                    .arg(plan.timeoutSeconds < 0 ? QStringLiteral("for ever")
                                                 : QStringLiteral("%1 s").arg(plan.timeoutSeconds),
                        ownTimeout < 0 ? QStringLiteral("for ever") : QStringLiteral("%1 s").arg(ownTimeout)) });
    }
    return findings;
}

std::vector<GrubFinding> CompareGrubMenus(const BootFiles& files)
{
    if (!OwnGrubConfig(files))
        return {};
    const ConfigSet set = ReadConfigSet(files);
    GrubPlanOptions options;
    options.hashPassword = [](const QByteArray&) { return QByteArray(); };
    return CompareGrubMenus(files, PlanGrubMenu(files, set, options));
}
