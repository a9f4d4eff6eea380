#include "WindowedVm.h"

#include "BootImage.h"

#include <QProcess>
#include <QTemporaryDir>

WindowedVm::WindowedVm(QObject* parent)
    : QObject(parent)
{
}

WindowedVm::~WindowedVm() { Stop(); }

void WindowedVm::Stop()
{
    if (m_qemu) {
        m_qemu->disconnect(this);
        m_qemu->kill();
        m_qemu->waitForFinished(10000);
        delete m_qemu;
        m_qemu = nullptr;
    }
    m_work.reset();
}

QStringList WindowedVm::Boot(QByteArrayView document, const QString& documentFolder, const QString& title)
{
    Stop();
    const VmTools tools = FindVmTools({}, true);
    m_work = std::make_unique<QTemporaryDir>();
    if (!m_work->isValid())
        throw EVmError("Cannot make a temporary folder.", m_work->errorString().toStdString());
    const BootImage image = BuildBootImage(tools, document, documentFolder, m_work->path());
    m_qemu = new QProcess(this);
    m_qemu->setProcessChannelMode(QProcess::ForwardedChannels);
    connect(m_qemu, &QProcess::finished, this, [this] {
        m_qemu->deleteLater();
        m_qemu = nullptr;
        m_work.reset();
    });
    m_qemu->start(tools.qemu,
        { QStringLiteral("-nodefaults"), QStringLiteral("-vga"), QStringLiteral("std"), QStringLiteral("-m"),
            QStringLiteral("64"), QStringLiteral("-no-reboot"), QStringLiteral("-cdrom"), image.iso,
            QStringLiteral("-boot"), QStringLiteral("d"), QStringLiteral("-name"), title });
    if (!m_qemu->waitForStarted(10000)) {
        const std::string reason = m_qemu->errorString().toStdString();
        Stop();
        throw EVmError("Cannot start QEMU.", reason);
    }
    return image.missingImages;
}
