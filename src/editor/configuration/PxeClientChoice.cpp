#include "editor/configuration/PxeClientChoice.h"

#include "common/Settings.h"

#include <QAction>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
const QString MacKey = QStringLiteral("PxeClient/mac");
const QString IpKey = QStringLiteral("PxeClient/ip");
const QString UuidKey = QStringLiteral("PxeClient/uuid");
}

PxeClientChoice::PxeClientChoice(EditorHost& host)
    : QObject(&host.Window())
    , m_host(host)
{
    auto* entry = new QAction(tr("PXE &Client..."), &host.Window());
    entry->setObjectName(QStringLiteral("PxeClient1"));
    host.AddAction(EditorHost::Place::ViewScreens, entry);
    connect(entry, &QAction::triggered, this, [this] {
        PxeClientDialog dialog(Stored(), &m_host.Window());
        if (dialog.exec() != QDialog::Accepted || !dialog.Client())
            return;
        Store(*dialog.Client());
        emit Changed();
    });
}

PxeClient PxeClientChoice::Stored()
{
    const QSettings settings;
    const PxeClient fallback;
    // A stored client that no longer reads (edited by hand) is QEMU's first.
    return PxeClient::Parse(settings.value(MacKey, fallback.MacText()).toString(),
        settings.value(IpKey, fallback.IpText()).toString(), settings.value(UuidKey).toString())
        .value_or(fallback);
}

void PxeClientChoice::Store(const PxeClient& client)
{
    StoreSetting(MacKey, client.MacText());
    StoreSetting(IpKey, client.IpText());
    StoreSetting(UuidKey, client.UuidText());
}

PxeClientDialog::PxeClientDialog(const PxeClient& client, QWidget* parent)
    : QDialog(parent)
    , m_mac(new QLineEdit(client.MacText(), this))
    , m_ip(new QLineEdit(client.IpText(), this))
    , m_uuid(new QLineEdit(client.UuidText(), this))
    , m_problem(new QLabel(this))
{
    setWindowTitle(tr("PXE Client"));
    setObjectName(QStringLiteral("PxeClientDialog"));
    m_uuid->setPlaceholderText(tr("none: the PXE ROM sends no UUID"));
    auto* form = new QFormLayout;
    form->addRow(tr("&MAC address:"), m_mac);
    form->addRow(tr("&IP address:"), m_ip);
    form->addRow(tr("&UUID:"), m_uuid);
    m_problem->setWordWrap(true);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    m_ok = buttons->button(QDialogButtonBox::Ok);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(tr("The machine that boots a pxelinux.cfg/ tree, for the files PXELINUX asks for, "
                                    "the strings IPAPPEND gives the kernel and F9's PXE boot."),
        this));
    layout->itemAt(0)->widget()->setProperty("wordWrap", true);
    layout->addLayout(form);
    layout->addWidget(m_problem);
    layout->addWidget(buttons);
    for (QLineEdit* field : { m_mac, m_ip, m_uuid })
        connect(field, &QLineEdit::textChanged, this, &PxeClientDialog::Check);
    Check();
}

std::optional<PxeClient> PxeClientDialog::Client() const
{
    return PxeClient::Parse(m_mac->text(), m_ip->text(), m_uuid->text());
}

void PxeClientDialog::Check()
{
    QString why;
    const bool valid = PxeClient::Parse(m_mac->text(), m_ip->text(), m_uuid->text(), &why).has_value();
    m_problem->setText(why);
    m_problem->setVisible(!valid);
    m_ok->setEnabled(valid);
}
