#include "NewConfiguration.h"

#include "editor/document/EditorHost.h"

#include <QAction>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QPushButton>
#include <QVBoxLayout>

using namespace ConfigTemplates;

NewConfigurationDialog::NewConfigurationDialog(QWidget* parent, const VmSearch& search)
    : QDialog(parent)
    , m_search(search)
    , m_template(new QComboBox(this))
    , m_layout(new QComboBox(this))
    , m_folder(new QLineEdit(this))
    , m_title(new QLineEdit(tr("Boot menu"), this))
    , m_message(new QLabel(this))
{
    setWindowTitle(tr("New Configuration"));
    setObjectName(QStringLiteral("newConfiguration"));
    m_template->setObjectName(QStringLiteral("template"));
    m_template->addItem(tr("Prompt with a greeting and F1-F10 help screens"), static_cast<int>(Template::Prompt));
    m_template->addItem(tr("Text menu (menu.c32)"), static_cast<int>(Template::Menu));
    m_template->addItem(tr("Graphical menu over a picture (vesamenu.c32)"), static_cast<int>(Template::GraphicalMenu));
    m_template->addItem(tr("Network boot menu (PXELINUX, pxelinux.cfg/default)"), static_cast<int>(Template::Pxe));
    m_template->setCurrentIndex(1);
    m_layout->setObjectName(QStringLiteral("layout"));
    m_layout->addItem(tr("CD (isolinux/)"), static_cast<int>(Layout::Isolinux));
    m_layout->addItem(tr("Disk or USB stick (syslinux/)"), static_cast<int>(Layout::Syslinux));
    m_folder->setObjectName(QStringLiteral("folder"));
    m_title->setObjectName(QStringLiteral("title"));
    m_message->setObjectName(QStringLiteral("newConfigurationMessage"));
    m_message->setWordWrap(true);
    auto* browse = new QPushButton(tr("&Browse..."), this);
    connect(browse, &QPushButton::clicked, this, &NewConfigurationDialog::Browse);
    connect(m_template, &QComboBox::currentIndexChanged, this, &NewConfigurationDialog::FollowTemplate);
    auto* folderRow = new QHBoxLayout;
    folderRow->addWidget(m_folder);
    folderRow->addWidget(browse);
    auto* form = new QFormLayout;
    form->addRow(tr("&Template:"), m_template);
    form->addRow(tr("&Layout:"), m_layout);
    form->addRow(tr("&Folder:"), folderRow);
    form->addRow(tr("T&itle:"), m_title);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(tr("&Create"));
    connect(buttons, &QDialogButtonBox::accepted, this, &NewConfigurationDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &NewConfigurationDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(m_message);
    layout->addWidget(buttons);
}

// A PXE tree has one layout of its own.
void NewConfigurationDialog::FollowTemplate()
{
    m_layout->setEnabled(static_cast<Template>(m_template->currentData().toInt()) != Template::Pxe);
}

void NewConfigurationDialog::Browse()
{
    const QString folder = QFileDialog::getExistingDirectory(
        this, tr("Folder of the New Tree"), m_folder->text(), QFileDialog::DontUseNativeDialog);
    if (!folder.isEmpty())
        m_folder->setText(folder);
}

void NewConfigurationDialog::accept()
{
    const QString folder = m_folder->text().trimmed();
    if (folder.isEmpty() || !QDir::isAbsolutePath(folder)) {
        m_message->setText(tr("Choose the folder the tree goes in (a full path)."));
        return m_folder->setFocus();
    }
    const Tree tree = Plan(static_cast<Template>(m_template->currentData().toInt()),
        static_cast<Layout>(m_layout->currentData().toInt()), m_title->text(), m_search);
    if (const QString problem = Write(tree, folder); !problem.isEmpty()) {
        m_message->setText(problem);
        return;
    }
    m_configFile = QDir(folder).filePath(tree.configFile);
    m_notes = tree.notes;
    QDialog::accept();
}

void NewConfigurationDialog::AddTo(EditorHost& host)
{
    QMainWindow& window = host.Window();
    auto* action = new QAction(QObject::tr("New Con&figuration..."), &window);
    action->setObjectName(QStringLiteral("NewConfiguration1"));
    QObject::connect(action, &QAction::triggered, &window, [&host, &window] {
        NewConfigurationDialog dialog(&window);
        if (dialog.exec() != QDialog::Accepted)
            return;
        host.OpenConfiguration(dialog.ConfigFile());
        host.Say(dialog.Notes().join(u' '), 20000);
    });
    host.AddAction(EditorHost::Place::FileNew, action);
}
