#include "PasswordDialog.h"

#include "config/MenuPasswords.h"
#include "format/Cp437.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include <optional>

namespace {

// The bytes the menu's password box takes for text, or nothing when a
// character is one it cannot take (controls, DEL, no code page 437 code).
std::optional<QByteArray> Typeable(const QString& text)
{
    QByteArray bytes;
    for (const char32_t character : text.toUcs4()) {
        const int byte = Cp437::FromUnicode(character);
        if (byte < ' ' || byte == 0x7F)
            return std::nullopt;
        bytes += static_cast<char>(byte);
    }
    return bytes;
}

}

PasswordDialog::PasswordDialog(QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(tr("Set Password"));
    setObjectName(QStringLiteral("passwordDialog"));
    m_first = new QLineEdit(this);
    m_second = new QLineEdit(this);
    for (QLineEdit* field : { m_first, m_second })
        field->setEchoMode(QLineEdit::Password);
    m_first->setObjectName(QStringLiteral("password"));
    m_second->setObjectName(QStringLiteral("passwordAgain"));
    m_message = new QLabel(this);
    m_message->setObjectName(QStringLiteral("passwordMessage"));
    m_message->setWordWrap(true);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &PasswordDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &PasswordDialog::reject);
    auto* form = new QFormLayout;
    form->addRow(tr("&Password:"), m_first);
    form->addRow(tr("&Again:"), m_second);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(tr("The menu keeps only a salted SHA-512 hash of it."), this));
    layout->addLayout(form);
    layout->addWidget(m_message);
    layout->addWidget(buttons);
}

void PasswordDialog::accept()
{
    m_hash.clear();
    const std::optional<QByteArray> typed = Typeable(m_first->text());
    QString problem;
    if (m_first->text().isEmpty())
        problem = tr("Type a password: an empty one cannot be set.");
    else if (m_second->text() != m_first->text())
        problem = tr("The two passwords differ: type the same one twice.");
    else if (!typed)
        problem = tr("The password has a character the boot menu cannot take from the keyboard.");
    else if ((m_hash = MenuPasswords::HashPassword(*typed)).isEmpty())
        problem = tr("The system's crypt library could not make a SHA-512 hash.");
    m_message->setText(problem);
    if (problem.isEmpty())
        QDialog::accept();
    else
        (m_first->text().isEmpty() ? m_first : m_second)->setFocus();
}

QByteArray PasswordDialog::Ask(QWidget* parent)
{
    PasswordDialog dialog(parent);
    return dialog.exec() == QDialog::Accepted ? dialog.Hash() : QByteArray();
}
