#include "ConfigurationDock.h"

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
    m_tree->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    m_tree->setMinimumWidth(280);
    setWidget(m_tree);
    connect(m_tree, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem* item) {
        const QString file = item->data(0, FileRole).toString();
        if (!file.isEmpty() && QFileInfo(file).isFile())
            emit FileChosen(file, item->data(0, LineRole).toInt());
    });
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

void ConfigurationDock::Show(const BootFiles& files, const BootConfig& config)
{
    m_files = &files;
    m_tree->clear();
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
    if (config.ui && config.uiPlace) {
        const QByteArray module = CommandWord(*config.ui);
        AddFile(set, tr("UI"), BootFiles::Resolve(config.folder, module).value_or(module), *config.uiPlace);
    }

    QTreeWidgetItem* said = Group(tr("Output"));
    for (const ConfigOutput& output : config.output) {
        if (output.kind != ConfigOutput::Kind::Say)
            continue;
        auto* item = new QTreeWidgetItem(said, { tr("SAY"), Latin(output.text.trimmed()) });
        item->setData(0, FileRole, files.HostPath(output.place.file).value_or(QString()));
        item->setData(0, LineRole, output.place.line);
    }

    QTreeWidgetItem* settings = Group(tr("Settings"));
    new QTreeWidgetItem(settings, { tr("PROMPT"), QString::number(config.prompt) });
    new QTreeWidgetItem(settings,
        { tr("TIMEOUT"), config.timeoutTenths > 0 ? tr("%1 s").arg(config.timeoutTenths / 10.0) : tr("none") });
    new QTreeWidgetItem(
        settings, { tr("DEFAULT"), config.defaultWord.isEmpty() ? tr("none") : Latin(config.defaultWord) });
    if (config.ui)
        new QTreeWidgetItem(settings, { tr("UI"), Latin(*config.ui) });

    QTreeWidgetItem* labels = Group(tr("Labels"));
    for (const ConfigLabel& label : config.labels) {
        auto* item = new QTreeWidgetItem(labels, { Latin(label.name), Latin(label.CommandLine(config.globalAppend)) });
        item->setData(0, FileRole, files.HostPath(label.place.file).value_or(QString()));
        item->setData(0, LineRole, label.place.line);
    }
}
