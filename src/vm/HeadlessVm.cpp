#include "HeadlessVm.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocalSocket>
#include <QProcess>
#include <QThread>

namespace {

constexpr qint64 VgaTextAddress = 0xB8000;
constexpr qint64 BiosCursorAddress = 0x450;
constexpr std::string_view Prompt = "boot: ";

// Ends QEMU by its process id however the boot ends.
struct Ended {
    QProcess& process;
    ~Ended()
    {
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished(10000);
        }
    }
};

QByteArray ReadAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// QEMU's machine protocol over its socket, one command at a time.
class Qmp {
public:
    Qmp(const QString& path, const QElapsedTimer& clock, std::chrono::milliseconds limit)
        : m_clock(clock)
        , m_limit(limit)
    {
        while (!Due()) {
            m_socket.connectToServer(path);
            if (m_socket.waitForConnected(200))
                break;
            QThread::msleep(20);
        }
        NextLine(); // the greeting
        Execute(QStringLiteral("qmp_capabilities"));
    }

    QJsonObject Execute(const QString& command, const QJsonObject& arguments = {})
    {
        QJsonObject message { { "execute", command } };
        if (!arguments.isEmpty())
            message["arguments"] = arguments;
        m_socket.write(QJsonDocument(message).toJson(QJsonDocument::Compact) + '\n');
        m_socket.waitForBytesWritten(1000);
        for (;;) {
            const QJsonObject reply = QJsonDocument::fromJson(NextLine()).object();
            if (reply.contains(u"error"))
                throw EVmError("QEMU refused a command.", QJsonDocument(reply).toJson().toStdString());
            if (reply.contains(u"return"))
                return reply;
        }
    }

    bool Due() const { return m_clock.elapsed() > m_limit.count(); }

private:
    QByteArray NextLine()
    {
        while (!m_socket.canReadLine()) {
            if (Due() || (!m_socket.waitForReadyRead(200) && m_socket.state() != QLocalSocket::ConnectedState))
                throw EVmError("QEMU did not answer.");
        }
        return m_socket.readLine();
    }

    QLocalSocket m_socket;
    const QElapsedTimer& m_clock;
    std::chrono::milliseconds m_limit;
};

QByteArray MemoryAt(Qmp& qmp, const QString& file, qint64 address, int size)
{
    qmp.Execute(QStringLiteral("pmemsave"), { { "val", address }, { "size", size }, { "filename", file } });
    return ReadAll(file);
}

}

VmScreen BootHeadless(const VmTools& tools, const QString& iso, const QString& workFolder,
    std::chrono::milliseconds limit, bool withPicture)
{
    const QDir work(workFolder);
    const QString serialLog = work.filePath(QStringLiteral("serial.log"));
    const QString socket = work.filePath(QStringLiteral("qmp.sock"));
    const QString memory = work.filePath(QStringLiteral("memory.bin"));
    QElapsedTimer clock;
    clock.start();
    QProcess qemu;
    qemu.setProcessChannelMode(QProcess::MergedChannels);
    Ended ended { qemu };
    qemu.start(tools.qemu,
        { QStringLiteral("-nodefaults"), QStringLiteral("-vga"), QStringLiteral("std"), QStringLiteral("-display"),
            QStringLiteral("none"), QStringLiteral("-m"), QStringLiteral("64"), QStringLiteral("-no-reboot"),
            QStringLiteral("-cdrom"), iso, QStringLiteral("-boot"), QStringLiteral("d"), QStringLiteral("-serial"),
            QStringLiteral("file:") + serialLog, QStringLiteral("-qmp"),
            QStringLiteral("unix:") + socket + QStringLiteral(",server=on,wait=off") });
    if (!qemu.waitForStarted(10000))
        throw EVmError("Cannot start QEMU.", qemu.errorString().toStdString());

    Qmp qmp(socket, clock, limit);
    VmScreen screen;
    QByteArray previous;
    for (;;) {
        if (qemu.state() == QProcess::NotRunning)
            throw EVmError("QEMU ended before the boot prompt.", qemu.readAll().trimmed().toStdString());
        if (qmp.Due())
            throw EVmError("The virtual machine did not show the boot: prompt within "
                + std::to_string(limit.count() / 1000) + " s.");
        screen.serial = ReadAll(serialLog);
        if (screen.serial.endsWith(QByteArrayView(Prompt.data(), Prompt.size()))) {
            screen.text = MemoryAt(qmp, memory, VgaTextAddress, VmScreen::Cols * VmScreen::Rows * 2);
            if (screen.text == previous)
                break;
            previous = screen.text;
        }
        QThread::msleep(50);
    }
    const QByteArray cursor = MemoryAt(qmp, memory, BiosCursorAddress, 2);
    if (cursor.size() < 2)
        throw EVmError("Cannot read the screen of the virtual machine.");
    screen.cursorColumn = static_cast<std::uint8_t>(cursor[0]);
    screen.cursorRow = static_cast<std::uint8_t>(cursor[1]);
    if (withPicture) {
        const QString picture = work.filePath(QStringLiteral("screen.png"));
        qmp.Execute(QStringLiteral("screendump"), { { "filename", picture }, { "format", "png" } });
        screen.png = ReadAll(picture);
    }
    return screen;
}
