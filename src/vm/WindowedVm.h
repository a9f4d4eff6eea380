#pragma once

#include "GrubImage.h"
#include "VmTools.h"
#include "config/BootFiles.h"
#include "config/PxeClient.h"

#include <QObject>
#include <QStringList>

#include <memory>

class QProcess;
class QTemporaryDir;

// A document, or a whole configuration, booted in a QEMU window where the
// user presses keys at the real loader. The image is built on a thread of
// its own and QEMU started without waiting, so the window never blocks.
// One machine at a time: booting again ends the running one (and forgets a
// build under way). The machine ends when this goes, and when the process
// ends however it ends; its temporary folder goes with it.
class WindowedVm : public QObject {
    Q_OBJECT

public:
    explicit WindowedVm(QObject* parent = nullptr);
    ~WindowedVm() override;

    // The document as boot.msg, images beside it from its folder.
    void BootDocument(const QByteArray& document, const QString& documentFolder, const QString& title);
    // The configuration and its set, unsaved texts included.
    void BootConfiguration(const BootFiles& files, const QString& title);
    // A pxelinux.cfg/ tree booted by one client over QEMU's TFTP: its MAC,
    // address and UUID, each file PXELINUX asks it for in the image.
    void BootPxeClient(
        const BootFiles& files, const PxeClient& client, const LoaderVersion& version, const QString& title);
    // The configuration's tree as the USB disk image Export makes, on the first hard disk.
    void BootConfigurationAsDisk(const BootFiles& files, const QString& title);
    // The configuration's tree as Export makes the media with their UEFI
    // side (the menu grub makes), on a UEFI machine: the disc as a CD, the
    // disk image as a USB stick, the PXE folder over TFTP (as the client,
    // when given).
    void BootUefi(const BootFiles& files, MediaKind kind, const GrubMenuMaker& grub, const QString& title,
        const std::optional<PxeClient>& client = std::nullopt);
    void Stop();
    bool Running() const { return m_qemu != nullptr; }
    // The file the running machine's serial port writes; none between machines.
    QString SerialLog() const;

signals:
    // The machine runs; what the image left out or took from Debian, if anything.
    void Started(const QStringList& notes);
    // It could not be built or started: the message and the detail.
    void Failed(const QString& message, const QString& detail);

private:
    struct Built;
    void Boot(std::function<Built(const QString& work)> build, const QString& title);
    void Start(const Built& built, const QString& title);

    QProcess* m_qemu = nullptr;
    std::unique_ptr<QTemporaryDir> m_work;
    int m_generation = 0; // a build of an older boot is forgotten
};
