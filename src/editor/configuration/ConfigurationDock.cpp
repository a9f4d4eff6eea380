#include "editor/configuration/ConfigurationDock.h"

#include "config/ConfigSet.h"
#include "config/LoaderDetection.h"

#include <QFileInfo>
#include <QHeaderView>
#include <QTreeWidget>

namespace {

enum Role { FileRole = Qt::UserRole, LineRole };

QString Latin(const QByteArray& bytes) { return QString::fromLatin1(bytes); }

}

ConfigurationDock::ConfigurationDock(QWidget* parent)
    : QDockWidget(tr("Configuration"), parent)
    , m_tree(new QTreeWidget(this))
{
    setObjectName(QStringLiteral("ConfigurationDock"));
    m_tree->setObjectName(QStringLiteral("ConfigurationTree"));
    m_tree->setHeaderLabels({ tr("Entry"), tr("Value") });
    m_tree->header()->setSectionResizeMode(0, QHeaderView::Interactive);
    m_tree->setMinimumWidth(280);
    setWidget(m_tree);
    connect(m_tree, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem* item) {
        const QString file = item->data(0, FileRole).toString();
        if (!file.isEmpty() && QFileInfo(file).isFile())
            emit FileChosen(file, item->data(0, LineRole).toInt());
    });
}

void ConfigurationDock::FitColumns()
{
    m_tree->resizeColumnToContents(0);
    m_tree->setColumnWidth(0, std::min(m_tree->columnWidth(0), m_tree->viewport()->width() * 3 / 5));
}

void ConfigurationDock::resizeEvent(QResizeEvent* event)
{
    QDockWidget::resizeEvent(event);
    FitColumns();
}

QTreeWidgetItem* ConfigurationDock::Group(const QString& title)
{
    auto* group = new QTreeWidgetItem(m_tree, { title });
    group->setExpanded(true);
    group->setFirstColumnSpanned(true);
    return group;
}

// An entry for a file the set names; activating it opens the file, or the
// line that names it when it is missing.
void ConfigurationDock::AddFile(
    QTreeWidgetItem* group, const QString& role, const QByteArray& imagePath, const ConfigPlace& place)
{
    const bool present = m_files->Exists(imagePath);
    auto* item
        = new QTreeWidgetItem(group, { role, present ? Latin(imagePath) : tr("%1 (missing)").arg(Latin(imagePath)) });
    if (!present)
        item->setForeground(1, QBrush(Qt::red));
    const QString file = present ? m_files->HostPath(imagePath).value_or(QString())
                                 : m_files->HostPath(place.file).value_or(QString());
    item->setData(0, FileRole, file);
    item->setData(0, LineRole, present ? 1 : place.line);
    item->setToolTip(1, file);
}

void ConfigurationDock::Show(const BootFiles& files, const BootConfig& config, const LoaderVersion& loader)
{
    m_files = &files;
    m_tree->clear();
    const QByteArray path = config.files.empty() ? files.ConfigPath() : config.files.front().imagePath;
    const std::vector<MenuRun> runs = MenuRuns(config, files, path);
    AddFiles(config, runs, path);
    AddSettings(config, loader);
    for (const MenuRun& run : runs) {
        const MenuConfig& menus = run.menus;
        const Menu& root = menus.At(MenuConfig::RootMenu);
        QTreeWidgetItem* group = Group(root.title.isEmpty() ? tr("Menu") : tr("Menu: %1").arg(Latin(root.title)));
        AddMenu(group, menus, MenuConfig::RootMenu, 0);
        if (!menus.At(MenuConfig::HiddenMenu).entries.empty()) {
            auto* hidden = new QTreeWidgetItem(group, { tr("Hidden entries (MENU HIDE)") });
            hidden->setFirstColumnSpanned(true);
            AddMenu(hidden, menus, MenuConfig::HiddenMenu, 0);
        }
    }
}

// The configuration and its INCLUDEs, the DISPLAY and F-key files, the menu
// modules it runs with the files they read, and the configurations CONFIG
// leads to.
void ConfigurationDock::AddFiles(const BootConfig& config, const std::vector<MenuRun>& runs, const QByteArray& path)
{
    QTreeWidgetItem* set = Group(tr("Files"));
    for (const ConfigFile& file : config.files)
        AddFile(
            set, file.includedFrom.line == 0 ? tr("Configuration") : tr("INCLUDE"), file.imagePath, file.includedFrom);
    for (const ConfigOutput& output : config.output) {
        if (output.kind == ConfigOutput::Kind::DisplayFile)
            AddFile(set, tr("DISPLAY"), output.text, output.place);
    }
    for (std::size_t index = 0; index < config.functionKeys.size(); ++index) {
        if (const std::optional<FunctionKey>& key = config.functionKeys[index])
            AddFile(set, QStringLiteral("F%1").arg(index + 1), key->imagePath, key->place);
    }
    for (const MenuRun& run : runs) {
        AddFile(set, Latin(run.by), run.module, run.place);
        for (const ConfigFile& file : run.menus.files) {
            if (file.imagePath != path)
                AddFile(
                    set, tr("Menu file"), file.imagePath, file.includedFrom.line > 0 ? file.includedFrom : run.place);
        }
    }
    for (const NextConfiguration& next : NextConfigurations(config, *m_files, runs))
        AddFile(set, tr("CONFIG"), next.path.value_or(next.name), next.place);
}

// What it SAYs, PROMPT, TIMEOUT, DEFAULT and UI, and its labels.
void ConfigurationDock::AddSettings(const BootConfig& config, const LoaderVersion& loader)
{
    QTreeWidgetItem* said = Group(tr("Output"));
    for (const ConfigOutput& output : config.output) {
        if (output.kind != ConfigOutput::Kind::Say)
            continue;
        AddPlace(new QTreeWidgetItem(said, { tr("SAY"), Latin(output.text.trimmed()) }), output.place);
    }

    QTreeWidgetItem* settings = Group(tr("Settings"));
    auto* played = new QTreeWidgetItem(settings, { tr("Loader"), DescribeLoader(loader) });
    if (loader.origin == LoaderVersion::Origin::Tree) {
        played->setData(0, FileRole, m_files->HostPath(loader.file).value_or(QString()));
        played->setData(0, LineRole, 1);
    }
    new QTreeWidgetItem(settings, { tr("PROMPT"), QString::number(config.prompt) });
    new QTreeWidgetItem(
        settings, { tr("TIMEOUT"), config.timeoutMs > 0 ? tr("%1 s").arg(config.timeoutMs / 1000.0) : tr("none") });
    new QTreeWidgetItem(
        settings, { tr("DEFAULT"), config.defaultWord.isEmpty() ? tr("none") : Latin(config.defaultWord) });
    if (config.ui)
        new QTreeWidgetItem(settings, { tr("UI"), Latin(*config.ui) });

    QTreeWidgetItem* labels = Group(tr("Labels"));
    for (const ConfigLabel& label : config.labels) {
        auto* item = new QTreeWidgetItem(labels, { Latin(label.name), Latin(label.CommandLine(config.globalAppend)) });
        AddPlace(item, label.place);
    }
}

void ConfigurationDock::ShowUefiSide(const std::vector<FileProblem>& findings)
{
    QTreeWidgetItem* group = Group(tr("UEFI side (GRUB)"));
    int differs = 0;
    for (const FileProblem& found : findings)
        differs += found.problem.code != u"uefi-cannot-carry";
    const qsizetype lost = static_cast<qsizetype>(findings.size()) - differs;
    new QTreeWidgetItem(group,
        { tr("Carries over"),
            lost == 0 ? tr("everything") : tr("all but %n thing(s): GRUB cannot do them the same way", "", lost) });
    for (const FileProblem& found : findings) {
        auto* item = new QTreeWidgetItem(group,
            { found.problem.code == u"uefi-cannot-carry" ? tr("Not in GRUB") : tr("Its own grub.cfg"),
                found.problem.message });
        item->setToolTip(1, found.problem.message);
        item->setData(0, FileRole, found.file);
        item->setData(0, LineRole, found.problem.line);
    }
    group->setExpanded(!findings.empty() && findings.size() <= 12);
}

void ConfigurationDock::ShowPxeClient(const PxeClient& client, const std::vector<PxeCandidate>& candidates)
{
    QTreeWidgetItem* group = Group(tr("PXE client"));
    const QString uuid = client.UuidText().isEmpty() ? tr("no UUID") : client.UuidText();
    auto* machine = new QTreeWidgetItem(
        group, { tr("Client"), QStringLiteral("%1, %2, %3").arg(client.MacText(), client.IpText(), uuid) });
    machine->setToolTip(1, tr("View > PXE Client... sets it"));
    const std::optional<PxeCandidate> chosen = PxeChosen(candidates);
    for (const PxeCandidate& candidate : candidates) {
        static const char* const roles[] = { QT_TR_NOOP("Option 209"), QT_TR_NOOP("UUID"), QT_TR_NOOP("MAC"),
            QT_TR_NOOP("IP"), QT_TR_NOOP("Default") };
        const bool loaded = chosen && chosen->imagePath == candidate.imagePath;
        const QString state = loaded ? tr(" (loaded)")
            : candidate.exists       ? tr(" (there, not reached)")
                                     : tr(" (missing)");
        auto* item = new QTreeWidgetItem(
            group, { tr(roles[static_cast<int>(candidate.kind)]), Latin(candidate.imagePath) + state });
        item->setData(0, FileRole, m_files->HostPath(candidate.imagePath).value_or(QString()));
        item->setData(0, LineRole, 1);
        if (loaded) {
            QFont bold = item->font(1);
            bold.setBold(true);
            item->setFont(1, bold);
        } else if (!candidate.exists) {
            item->setForeground(1, QBrush(Qt::gray));
        }
    }
    if (!chosen)
        new QTreeWidgetItem(
            group, { tr("Loaded"), tr("none: \"Unable to locate configuration file\", and it reboots") });
}

void ConfigurationDock::ShowBoot(const BootOutcome& outcome)
{
    QTreeWidgetItem* group = Group(tr("Boot"));
    if (outcome.kernelLine) {
        auto* line = new QTreeWidgetItem(group, { tr("Kernel gets"), Latin(*outcome.kernelLine) });
        line->setToolTip(1, Latin(*outcome.kernelLine));
    }
    if (!outcome.unknown.isEmpty())
        new QTreeWidgetItem(group, { tr("Also appended"), outcome.unknown.join(QStringLiteral(", ")) });
    if (!outcome.note.isEmpty()) {
        auto* note = new QTreeWidgetItem(group, { tr("Left alone"), outcome.note });
        note->setToolTip(1, outcome.note);
    } else if (!outcome.kernelLine) {
        new QTreeWidgetItem(group, { tr("Left alone"), tr("waits at its prompt") });
    }
}

void ConfigurationDock::AddPlace(QTreeWidgetItem* item, const ConfigPlace& place)
{
    item->setData(0, FileRole, m_files->HostPath(place.file).value_or(QString()));
    item->setData(0, LineRole, place.line);
}

// A menu's entries as the menu lists them, a submenu's under its entry.
void ConfigurationDock::AddMenu(QTreeWidgetItem* parent, const MenuConfig& menus, int menu, int depth)
{
    const Menu& shown = menus.At(menu);
    for (std::size_t index = 0; index < shown.entries.size(); ++index) {
        const MenuEntry& entry = shown.entries[index];
        QString name = Latin(QByteArray(entry.displayName).replace('^', ""));
        QString value;
        switch (entry.action) {
        case MenuAction::Command: value = Latin(entry.commandLine); break;
        case MenuAction::Disabled: value = entry.displayName.isEmpty() ? tr("separator") : tr("disabled"); break;
        case MenuAction::Submenu: value = tr("submenu"); break;
        case MenuAction::Goto: value = tr("goes to %1").arg(Latin(menus.At(entry.submenu).title)); break;
        case MenuAction::Exit: value = tr("back"); break;
        case MenuAction::Quit: value = tr("quits to boot:"); break;
        case MenuAction::Help: value = tr("shows %1").arg(Latin(entry.commandLine)); break;
        }
        if (entry.isDefault && menu != MenuConfig::HiddenMenu && entry.action != MenuAction::Disabled)
            name += tr(" (default)");
        if (entry.password)
            name += tr(" (password)");
        auto* item = new QTreeWidgetItem(parent, { name, value });
        if (entry.action == MenuAction::Disabled)
            item->setForeground(0, QBrush(Qt::gray));
        AddPlace(item, entry.place);
        if (entry.action == MenuAction::Submenu && entry.submenu >= 0 && depth < 16) {
            AddMenu(item, menus, entry.submenu, depth + 1);
            item->setExpanded(true);
        }
    }
}
