#pragma once

#include "format/DisplayCodes.h"

#include "Machine.h"
#include "VmTools.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QProcess>

#include <chrono>
#include <memory>

class Qmp;

// What the real loader showed: the VGA text memory (character and
// attribute byte per cell, 80 x 25), the BIOS cursor, the whole serial log
// and, when asked for, QEMU's picture of the screen as PNG.
struct VmScreen {
    static constexpr int Cols = TextScreen::Columns;
    static constexpr int Rows = TextScreen::Rows;
    QByteArray text;
    int cursorColumn = 0;
    int cursorRow = 0;
    QByteArray serial;
    QByteArray png;
};

// A machine booting without a window, read and driven over QEMU's machine
// protocol. QEMU ends with it, and with this process however that ends
// (it is told to die with its parent). A QEMU that refuses its options is
// reported at once with its own words. Everything it makes stays in
// workFolder for the owner to remove.
class HeadlessMachine {
public:
    // client: for PXE, the machine that boots (its MAC, address and UUID).
    HeadlessMachine(const VmTools& tools, const QString& image, bool pxe, const QString& workFolder,
        std::chrono::milliseconds limit, const std::optional<PxeClient>& client = std::nullopt);
    // A machine of any kind (a disk, a PXE boot file elsewhere); the serial
    // log and the protocol's socket are the work folder's.
    HeadlessMachine(
        const VmTools& tools, MachineOptions options, const QString& workFolder, std::chrono::milliseconds limit);
    ~HeadlessMachine();

    VmScreen Screen(bool withPicture = false);
    // QEMU's picture of the screen as PNG, or as PPM (quicker to make, for
    // a loop that watches the screen change).
    QByteArray Picture(bool png = true);
    QByteArray Serial() const;
    // Keys pressed together, by QEMU's names ("ctrl", "f1").
    void Press(const QStringList& chord);
    // Waits until two reads of the screen stableMs apart agree; with the
    // picture, QEMU's pictures too (a graphical screen leaves the text
    // memory as it was).
    VmScreen WaitStable(int stableMs, bool picture = false);
    void Sleep(int milliseconds);
    // Throws EVmError when QEMU has ended or the limit has passed.
    void Check() const;

private:
    QByteArray Memory(qint64 address, int size);

    QString m_work;
    std::chrono::milliseconds m_limit;
    QElapsedTimer m_clock;
    mutable QProcess m_qemu; // Check() asks it whether it has ended
    std::unique_ptr<Qmp> m_qmp;
};

// Whether the screen shows the loader's banner (ISOLINUX or PXELINUX):
// the loader has started and reads its configuration.
bool LoaderBannerShown(const VmScreen& screen);

// Boots a CD image and reads the screen once the serial log ends in the
// prompt and two reads of the screen agree. Throws EVmError when QEMU ends
// early or the time limit passes.
VmScreen BootHeadless(const VmTools& tools, const QString& iso, const QString& workFolder,
    std::chrono::milliseconds limit, bool withPicture);
