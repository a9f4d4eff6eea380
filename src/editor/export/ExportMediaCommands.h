#pragma once

#include "config/BootFiles.h"
#include "editor/document/EditorHost.h"
#include "vm/BootMedia.h"

#include <QObject>

#include <functional>
#include <optional>

class QAction;

// File > Export Boot Media...: the open configuration's whole tree as a
// disc image, a USB disk image or a PXE folder. The job runs away from the
// window's thread behind a progress bar whose Cancel stops it (its tools
// killed, nothing left at the target); then what was left out or replaced
// is listed, as F9 lists it. The media boot UEFI machines too when
// grubMenu makes their GRUB folder and the request is not BIOS only.
class ExportMediaCommands : public QObject {
    Q_OBJECT

public:
    // The configuration to export with the open tabs' unsaved texts, or none.
    using BootSet = std::function<std::optional<BootFiles>()>;
    ExportMediaCommands(EditorHost& host, BootSet set);

    struct Outcome {
        std::optional<MediaResult> made;
        QString error, detail; // when it failed
        bool cancelled = false;
    };
    // Runs one export to its end, the window live meanwhile.
    Outcome Run(const BootFiles& files, const MediaRequest& request);
    // The outcome told: a list of what the media hold not as the tree has it, or why there are none.
    void Tell(const Outcome& outcome);

    // File > Export GRUB Menu...: the UEFI side alone, grub.cfg and its
    // theme, into a new or empty folder; what did not carry over is listed.
    // The message to show, or the error.
    struct GrubOutcome {
        QString text, detail;
        bool made = false;
    };
    GrubOutcome ExportGrub(const BootFiles& files, const QString& folder);

    QAction* ExportMedia1 = nullptr;
    QAction* ExportGrub1 = nullptr;
    VmSearch search; // where the tools are looked for
    GrubMenuMaker grubMenu; // the UEFI side's menu, made in the job unless BIOS only; none: BIOS only
    MediaRequest last; // the dialog starts from the last request

private:
    void Clicked();
    void GrubClicked();

    EditorHost& m_host;
    BootSet m_set;
};
