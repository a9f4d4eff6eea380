#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;

// "Set password": the password typed twice, hashed as "$6$" for MENU
// PASSWD or MENU MASTER PASSWD. A field left empty, two that differ or a
// character the loader's keyboard cannot type keep the dialog open with a
// message saying so.
class PasswordDialog : public QDialog {
    Q_OBJECT

public:
    explicit PasswordDialog(QWidget* parent = nullptr);

    // The hash of the accepted password; empty until one is accepted.
    const QByteArray& Hash() const { return m_hash; }
    // Asks and returns the hash, or nothing when cancelled.
    static QByteArray Ask(QWidget* parent);

    void accept() override;

private:
    QLineEdit* m_first = nullptr;
    QLineEdit* m_second = nullptr;
    QLabel* m_message = nullptr;
    QByteArray m_hash;
};
