#include "HeadlessVm.h"
#include "LineSocket.h"
#include "format/DisplayCodes.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QThread>

#include <sys/prctl.h>

#include <csignal>

namespace {

constexpr qint64 VgaTextAddress = 0xB8000;
constexpr qint64 BiosCursorAddress = 0x450;
using TextScreen::Prompt;

QByteArray ReadAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}

// QEMU's machine protocol over its socket, one command at a time.
class Qmp {
public:
    Qmp(const QString& path, const HeadlessMachine& machine)
        : m_machine(machine)
    {
        for (;;) {
            m_machine.Check();
            if (m_socket.Connect(path))
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
        if (!m_socket.Write(QJsonDocument(message).toJson(QJsonDocument::Compact) + '\n'))
            throw EVmError("QEMU did not answer.");
        for (;;) {
            const QJsonObject reply = QJsonDocument::fromJson(NextLine()).object();
            if (reply.contains(u"error"))
                throw EVmError("QEMU refused a command.", QJsonDocument(reply).toJson().toStdString());
            if (reply.contains(u"return"))
                return reply;
        }
    }

private:
    QByteArray NextLine()
    {
        QByteArray line;
        for (;;) {
            m_machine.Check();
            const LineSocket::Read read = m_socket.ReadLine(200, line);
            if (read == LineSocket::Read::Line)
                return line;
            if (read == LineSocket::Read::Closed)
                throw EVmError("QEMU did not answer.");
        }
    }

    const HeadlessMachine& m_machine;
    LineSocket m_socket;
};

namespace {

MachineOptions CdOrPxe(const QString& image, bool pxe, const std::optional<PxeClient>& client)
{
    MachineOptions options;
    options.image = image;
    options.pxe = pxe;
    options.client = client;
    return options;
}

}

HeadlessMachine::HeadlessMachine(const VmTools& tools, const QString& image, bool pxe, const QString& workFolder,
    std::chrono::milliseconds limit, const std::optional<PxeClient>& client)
    : HeadlessMachine(tools, CdOrPxe(image, pxe, client), workFolder, limit)
{
}

HeadlessMachine::HeadlessMachine(
    const VmTools& tools, MachineOptions options, const QString& workFolder, std::chrono::milliseconds limit)
    : m_work(workFolder)
    , m_limit(limit)
{
    m_clock.start();
    const QDir work(workFolder);
    options.window = false;
    options.serialLog = work.filePath(QStringLiteral("serial.log"));
    options.qmpSocket = work.filePath(QStringLiteral("qmp.sock"));
    UsePrivateFirmware(tools, workFolder, options);
    m_qemu.setProcessChannelMode(QProcess::MergedChannels);
    // The machine goes with its owner, whatever ends the owner.
    m_qemu.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
    m_qemu.start(tools.qemu, QemuArguments(options));
    if (!m_qemu.waitForStarted(10000))
        throw EVmError("Cannot start QEMU.", m_qemu.errorString().toStdString());
    try {
        m_qmp = std::make_unique<Qmp>(options.qmpSocket, *this);
    } catch (...) {
        m_qemu.kill();
        m_qemu.waitForFinished(10000);
        throw;
    }
}

HeadlessMachine::~HeadlessMachine()
{
    m_qmp.reset();
    if (m_qemu.state() != QProcess::NotRunning) {
        m_qemu.kill();
        m_qemu.waitForFinished(10000);
    }
}

void HeadlessMachine::Check() const
{
    if (const int signal = StopSignal())
        throw EVmStopped(signal);
    if (m_qemu.state() == QProcess::NotRunning || m_qemu.waitForFinished(0))
        throw EVmError("QEMU ended before the loader was ready.", m_qemu.readAll().trimmed().toStdString());
    if (m_clock.elapsed() > m_limit.count())
        throw EVmError("The virtual machine did not show what was waited for within "
            + std::to_string(m_limit.count() / 1000) + " s.");
}

QByteArray HeadlessMachine::Memory(qint64 address, int size)
{
    const QString file = QDir(m_work).filePath(QStringLiteral("memory.bin"));
    m_qmp->Execute(QStringLiteral("pmemsave"), { { "val", address }, { "size", size }, { "filename", file } });
    return ReadAll(file);
}

QByteArray HeadlessMachine::Serial() const { return ReadAll(QDir(m_work).filePath(QStringLiteral("serial.log"))); }

VmScreen HeadlessMachine::Screen(bool withPicture)
{
    VmScreen screen;
    screen.text = Memory(VgaTextAddress, VmScreen::Cols * VmScreen::Rows * 2);
    const QByteArray cursor = Memory(BiosCursorAddress, 2);
    if (cursor.size() < 2 || screen.text.size() < VmScreen::Cols * VmScreen::Rows * 2)
        throw EVmError("Cannot read the screen of the virtual machine.");
    screen.cursorColumn = static_cast<std::uint8_t>(cursor[0]);
    screen.cursorRow = static_cast<std::uint8_t>(cursor[1]);
    screen.serial = Serial();
    if (withPicture)
        screen.png = Picture();
    return screen;
}

QByteArray HeadlessMachine::Picture(bool png)
{
    const QString picture = QDir(m_work).filePath(png ? QStringLiteral("screen.png") : QStringLiteral("screen.ppm"));
    m_qmp->Execute(QStringLiteral("screendump"), { { "filename", picture }, { "format", png ? "png" : "ppm" } });
    return ReadAll(picture);
}

void HeadlessMachine::Press(const QStringList& chord)
{
    QJsonArray keys;
    for (const QString& name : chord)
        keys.append(QJsonObject { { "type", "qcode" }, { "data", name } });
    m_qmp->Execute(QStringLiteral("send-key"), { { "keys", keys } });
}

void HeadlessMachine::Sleep(int milliseconds)
{
    QElapsedTimer slept;
    slept.start();
    while (slept.elapsed() < milliseconds) {
        Check();
        QThread::msleep(static_cast<unsigned long>(std::min<qint64>(50, milliseconds - slept.elapsed())));
    }
}

VmScreen HeadlessMachine::WaitStable(int stableMs, bool picture)
{
    VmScreen screen = Screen(picture);
    QElapsedTimer unchanged;
    unchanged.start();
    while (unchanged.elapsed() < stableMs) {
        Sleep(picture ? 100 : 50);
        VmScreen next = Screen(picture);
        if (next.text != screen.text || next.cursorColumn != screen.cursorColumn || next.cursorRow != screen.cursorRow
            || next.png != screen.png)
            unchanged.restart();
        screen = std::move(next);
    }
    return screen;
}

bool LoaderBannerShown(const VmScreen& screen)
{
    QByteArray characters;
    for (qsizetype at = 0; at < screen.text.size(); at += 2)
        characters += screen.text[at];
    return characters.contains("ISOLINUX") || characters.contains("PXELINUX");
}

VmScreen BootHeadless(const VmTools& tools, const QString& iso, const QString& workFolder,
    std::chrono::milliseconds limit, bool withPicture)
{
    HeadlessMachine machine(tools, iso, false, workFolder, limit);
    QByteArray previous;
    for (;;) {
        machine.Check();
        if (machine.Serial().endsWith(QByteArrayView(Prompt.data(), Prompt.size()))) {
            const VmScreen screen = machine.Screen(false);
            if (screen.text == previous)
                return machine.Screen(withPicture);
            previous = screen.text;
        }
        QThread::msleep(50);
    }
}
