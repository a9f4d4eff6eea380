#pragma once

#include "config/PxeClient.h"
#include "editor/document/EditorHost.h"

#include <QDialog>

class QLabel;
class QLineEdit;

// View > PXE Client...: the MAC address, IP and UUID of the machine that
// boots a pxelinux.cfg/ tree, kept in the settings. The Configuration dock,
// Run Configuration and F9's PXE boot all use the one stored.
class PxeClientChoice : public QObject {
    Q_OBJECT

public:
    explicit PxeClientChoice(EditorHost& host);

    // The client stored, or QEMU's first user-network client.
    static PxeClient Stored();
    static void Store(const PxeClient& client);

signals:
    void Changed();

private:
    EditorHost& m_host;
};

// The dialog: three fields, checked as they are typed; OK only when all are valid.
class PxeClientDialog : public QDialog {
    Q_OBJECT

public:
    PxeClientDialog(const PxeClient& client, QWidget* parent);
    // The client typed, when valid.
    std::optional<PxeClient> Client() const;
    QLineEdit* Mac() const { return m_mac; }
    QLineEdit* Ip() const { return m_ip; }
    QLineEdit* Uuid() const { return m_uuid; }
    QLabel* Problem() const { return m_problem; }

private:
    void Check();

    QLineEdit* m_mac;
    QLineEdit* m_ip;
    QLineEdit* m_uuid;
    QLabel* m_problem;
    QWidget* m_ok = nullptr;
};
