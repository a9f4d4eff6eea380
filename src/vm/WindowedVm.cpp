#include "WindowedVm.h"

#include "BootImage.h"
#include "BootMedia.h"
#include "ConfigImage.h"
#include "Machine.h"

#include <QDir>
#include <QPointer>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <sys/prctl.h>

#include <csignal>

struct WindowedVm::Built {
    QString image;
    bool pxe = false;
    QStringList notes;
    QString error, detail;
    std::optional<PxeClient> client;
    bool disk = false;
    Firmware firmware = Firmware::Bios;
    QString bootFile = {}; // PXE's, in the TFTP folder
};

namespace {

QStringList NotesOf(const MediaResult& made)
{
    QStringList notes = made.notes;
    for (const ConfigImagePlan::Refusal& refused : made.refused)
        notes << QObject::tr("%1 is not put in the image: %2").arg(QFile::decodeName(refused.name), refused.reason);
    return notes;
}

}

WindowedVm::WindowedVm(QObject* parent)
    : QObject(parent)
{
}

WindowedVm::~WindowedVm() { Stop(); }

void WindowedVm::Stop()
{
    ++m_generation;
    if (m_qemu) {
        m_qemu->disconnect(this);
        m_qemu->kill();
        m_qemu->waitForFinished(10000);
        delete m_qemu;
        m_qemu = nullptr;
    }
    m_work.reset();
}

void WindowedVm::BootDocument(const QByteArray& document, const QString& documentFolder, const QString& title)
{
    Boot(
        [document, documentFolder](const QString& work) {
            const VmTools tools = FindVmTools({}, true);
            const BootImage image = BuildBootImage(tools, document, documentFolder, work);
            QStringList notes;
            if (!image.missingImages.isEmpty())
                notes << tr("Booting without images that are not beside the document: %1")
                             .arg(image.missingImages.join(QStringLiteral(", ")));
            if (!image.refused.isEmpty())
                notes << tr("Images not taken: %1").arg(image.refused.join(QStringLiteral(", ")));
            return Built { image.iso, false, notes, {}, {}, {} };
        },
        title);
}

void WindowedVm::BootConfiguration(const BootFiles& files, const QString& title)
{
    Boot(
        [files](const QString& work) {
            const VmTools tools = FindVmTools({}, true);
            const ConfigImagePlan plan = PlanConfigImage(files, tools);
            QStringList notes = plan.notes;
            for (const ConfigImagePlan::Refusal& refused : plan.refused)
                notes << tr("%1 is not put in the image: %2").arg(QFile::decodeName(refused.name), refused.reason);
            return Built { BuildConfigImage(tools, plan, work), plan.pxe, notes, {}, {}, {} };
        },
        title);
}

void WindowedVm::BootPxeClient(
    const BootFiles& files, const PxeClient& client, const LoaderVersion& version, const QString& title)
{
    Boot(
        [files, client, version](const QString& work) {
            const VmTools tools = FindVmTools({}, true);
            const ConfigImagePlan plan = PlanPxeClientImage(files, tools, client, version);
            QStringList notes = plan.notes;
            for (const ConfigImagePlan::Refusal& refused : plan.refused)
                notes << tr("%1 is not put in the image: %2").arg(QFile::decodeName(refused.name), refused.reason);
            return Built { BuildConfigImage(tools, plan, work), true, notes, {}, {}, client };
        },
        title);
}

void WindowedVm::BootConfigurationAsDisk(const BootFiles& files, const QString& title)
{
    Boot(
        [files](const QString& work) {
            MediaRequest request;
            request.kind = MediaKind::Usb;
            request.output = QDir(work).filePath(QStringLiteral("usb.img"));
            const MediaResult made = ExportBootMedia(files, request, FindMediaTools(MediaKind::Usb));
            Built built { made.output, false, NotesOf(made), {}, {}, {} };
            built.disk = true;
            return built;
        },
        title);
}

void WindowedVm::BootUefi(const BootFiles& files, MediaKind kind, const GrubMenuMaker& grub, const QString& title,
    const std::optional<PxeClient>& client)
{
    Boot(
        [files, kind, grub, client](const QString& work) {
            FindVmTools({}, true, Firmware::Uefi); // a missing OVMF is said before the media are made
            MediaRequest request;
            request.kind = kind;
            request.output = QDir(work).filePath(kind == MediaKind::Iso ? QStringLiteral("uefi.iso")
                    : kind == MediaKind::Usb                            ? QStringLiteral("uefi.img")
                                                                        : QStringLiteral("tftp"));
            request.hybrid = false; // a CD boots without the MBR, so a loader with none of its build boots too
            request.grub = MakeGrubMenu(grub, files);
            if (request.grub.empty())
                throw EVmError("There is no UEFI side's menu (GRUB) to boot.");
            const MediaResult made = ExportBootMedia(files, request, FindMediaTools(kind));
            Built built { made.output, kind == MediaKind::Pxe, NotesOf(made), {}, {}, client };
            built.disk = kind == MediaKind::Usb;
            built.firmware = Firmware::Uefi;
            built.bootFile = QString::fromLatin1(made.uefiBootFile);
            return built;
        },
        title);
}

// The image is built away from the window's thread; QEMU starts when it is done.
void WindowedVm::Boot(std::function<Built(const QString& work)> build, const QString& title)
{
    Stop();
    const int generation = m_generation;
    try {
        m_work = MakeWorkFolder();
    } catch (const EVmError& failure) {
        emit Failed(QString::fromUtf8(failure.what()), QString::fromStdString(failure.Detail()));
        return;
    }
    auto result = std::make_shared<Built>();
    QThread* thread = QThread::create([build = std::move(build), work = m_work->path(), result] {
        try {
            *result = build(work);
        } catch (const EVmError& failure) {
            *result
                = { {}, false, {}, QString::fromUtf8(failure.what()), QString::fromStdString(failure.Detail()), {} };
        }
    });
    QPointer<WindowedVm> self(this);
    connect(thread, &QThread::finished, this, [self, thread, result, generation, title] {
        thread->deleteLater();
        if (!self || generation != self->m_generation)
            return; // booted anew, or stopped, since
        if (!result->error.isEmpty()) {
            self->m_work.reset();
            emit self->Failed(result->error, result->detail);
            return;
        }
        self->Start(*result, title);
    });
    thread->start();
}

void WindowedVm::Start(const Built& built, const QString& title)
{
    VmTools tools;
    MachineOptions options;
    options.firmware = built.firmware;
    try {
        tools = FindVmTools({}, true, built.firmware);
        UsePrivateFirmware(tools, m_work->path(), options);
    } catch (const EVmError& failure) {
        m_work.reset();
        emit Failed(QString::fromUtf8(failure.what()), QString::fromStdString(failure.Detail()));
        return;
    }
    m_qemu = new QProcess(this);
    m_qemu->setProcessChannelMode(QProcess::ForwardedChannels);
    m_qemu->setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
    connect(m_qemu, &QProcess::finished, this, [this] {
        m_qemu->deleteLater();
        m_qemu = nullptr;
        m_work.reset();
    });
    connect(m_qemu, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error != QProcess::FailedToStart)
            return;
        const QString reason = m_qemu->errorString();
        m_qemu->deleteLater();
        m_qemu = nullptr;
        m_work.reset();
        emit Failed(tr("Cannot start QEMU."), reason);
    });
    connect(m_qemu, &QProcess::started, this, [this, notes = built.notes] { emit Started(notes); });
    options.image = built.image;
    options.pxe = built.pxe;
    options.client = built.client;
    options.disk = built.disk;
    options.bootFile = built.bootFile;
    options.window = true;
    options.title = title;
    options.serialLog = SerialLog();
    m_qemu->start(tools.qemu, QemuArguments(options));
}

QString WindowedVm::SerialLog() const { return m_work ? m_work->filePath(QStringLiteral("serial.log")) : QString(); }
