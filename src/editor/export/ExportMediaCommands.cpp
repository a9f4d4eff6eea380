#include "ExportMediaCommands.h"

#include "ExportMediaDialog.h"
#include "grub/GrubMenu.h"

#include <QAction>
#include <QEventLoop>
#include <QFileDialog>
#include <QFileInfo>
#include <QMainWindow>
#include <QMessageBox>
#include <QPointer>
#include <QProgressDialog>
#include <QThread>

#include <atomic>
#include <memory>

ExportMediaCommands::ExportMediaCommands(EditorHost& host, BootSet set)
    : QObject(&host.Window())
    , m_host(host)
    , m_set(std::move(set))
{
    ExportMedia1 = new QAction(tr("Export &Boot Media..."), &host.Window());
    ExportMedia1->setObjectName(QStringLiteral("ExportMedia1"));
    connect(ExportMedia1, &QAction::triggered, this, &ExportMediaCommands::Clicked);
    host.AddAction(EditorHost::Place::FileExchange, ExportMedia1);
    ExportGrub1 = new QAction(tr("Export &GRUB Menu..."), &host.Window());
    ExportGrub1->setObjectName(QStringLiteral("ExportGrub1"));
    connect(ExportGrub1, &QAction::triggered, this, &ExportMediaCommands::GrubClicked);
    host.AddAction(EditorHost::Place::FileExchange, ExportGrub1);
    last.output.clear();
}

void ExportMediaCommands::Clicked()
{
    const std::optional<BootFiles> files = m_set();
    if (!files) {
        QMessageBox::information(&m_host.Window(), tr("Information"),
            tr("Open a boot configuration first (File > Open Configuration), or save this one."));
        return;
    }
    // Beside the tree, not in it: the media would go into the next export.
    const QString beside = QFileInfo(files->Folder()).absolutePath();
    ExportMediaDialog dialog(&m_host.Window(), beside);
    if (!last.output.isEmpty())
        dialog.SetRequest(last);
    if (dialog.exec() != QDialog::Accepted)
        return;
    last = dialog.Request();
    Tell(Run(*files, last));
}

ExportMediaCommands::Outcome ExportMediaCommands::Run(const BootFiles& files, const MediaRequest& request)
{
    auto outcome = std::make_shared<Outcome>();
    auto cancel = std::make_shared<std::atomic<bool>>(false);
    QProgressDialog progress(tr("Planning..."), tr("Cancel"), 0, 100, &m_host.Window());
    progress.setWindowTitle(tr("Export Boot Media"));
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(400); // a moment's export shows no bar
    progress.setAutoClose(false);
    progress.setAutoReset(false);
    connect(&progress, &QProgressDialog::canceled, this, [cancel] { cancel->store(true); });
    QPointer<QProgressDialog> shown(&progress);
    JobProgress job;
    job.report = [shown](int percent, const QString& step) {
        QMetaObject::invokeMethod(
            shown.data(),
            [shown, percent, step] {
                if (shown && !shown->wasCanceled()) {
                    shown->setValue(percent);
                    shown->setLabelText(step);
                }
            },
            Qt::QueuedConnection);
    };
    job.cancelled = [cancel] { return cancel->load(); };
    const VmSearch where = search;
    QThread* thread = QThread::create([files, request, where, grub = grubMenu, job, outcome] {
        try {
            MediaRequest asked = request;
            if (!asked.biosOnly)
                asked.grub = MakeGrubMenu(grub, files);
            outcome->made = ExportBootMedia(files, asked, FindMediaTools(request.kind, where), job);
        } catch (const EVmCancelled&) {
            outcome->cancelled = true;
        } catch (const EVmError& failure) {
            outcome->error = QString::fromUtf8(failure.what());
            outcome->detail = QString::fromStdString(failure.Detail());
        }
    });
    QEventLoop loop;
    connect(thread, &QThread::finished, &loop, &QEventLoop::quit);
    thread->start();
    loop.exec();
    thread->wait();
    delete thread;
    return *outcome;
}

void ExportMediaCommands::Tell(const Outcome& outcome)
{
    if (outcome.cancelled) {
        m_host.Say(tr("The export was cancelled: nothing was written."));
        return;
    }
    QMessageBox box(&m_host.Window());
    box.setWindowTitle(outcome.made ? tr("Information") : tr("Error"));
    box.setIcon(outcome.made ? QMessageBox::Information : QMessageBox::Warning);
    box.setTextInteractionFlags(Qt::TextSelectableByMouse);
    if (!outcome.made) {
        box.setText(tr("The boot media were not made: %1").arg(outcome.error));
        box.setInformativeText(outcome.detail);
        box.exec();
        return;
    }
    QStringList lines = outcome.made->notes;
    for (const ConfigImagePlan::Refusal& refused : outcome.made->refused)
        lines << tr("%1 is left out: %2").arg(QFile::decodeName(refused.name), refused.reason);
    box.setText(tr("Written: %1 (%2 files).").arg(outcome.made->output).arg(outcome.made->files));
    if (!lines.isEmpty())
        box.setInformativeText(QStringLiteral("\u2022 ") + lines.join(QStringLiteral("\n\u2022 ")));
    m_host.Say(tr("Boot media written: %1").arg(outcome.made->output));
    box.exec();
}

ExportMediaCommands::GrubOutcome ExportMediaCommands::ExportGrub(const BootFiles& files, const QString& folder)
{
    GrubOutcome outcome;
    try {
        const GrubSideFiles side = MakeGrubSide(files);
        WriteGrubFolder(side.files, folder);
        outcome.made = true;
        outcome.text = tr("Written: %1 (%2 files). Put it in the medium's boot/grub/ (grub/ on a TFTP server), "
                          "beside an EFI boot image; Export Boot Media does all of it.")
                           .arg(folder)
                           .arg(side.files.size());
        QStringList lines = side.notes;
        for (const GrubFinding& finding : side.findings)
            lines << finding.message;
        if (!lines.isEmpty())
            outcome.detail = QStringLiteral("\u2022 ") + lines.join(QStringLiteral("\n\u2022 "));
    } catch (const Exception& failure) {
        outcome.text = tr("The GRUB menu was not written: %1").arg(QString::fromStdString(failure.what()));
    }
    return outcome;
}

void ExportMediaCommands::GrubClicked()
{
    const std::optional<BootFiles> files = m_set();
    if (!files) {
        QMessageBox::information(&m_host.Window(), tr("Information"),
            tr("Open a boot configuration first (File > Open Configuration), or save this one."));
        return;
    }
    const QString folder = QFileDialog::getExistingDirectory(
        &m_host.Window(), tr("Export GRUB Menu: a new or empty folder"), QFileInfo(files->Folder()).absolutePath());
    if (folder.isEmpty())
        return;
    const GrubOutcome outcome = ExportGrub(*files, folder);
    QMessageBox box(&m_host.Window());
    box.setWindowTitle(outcome.made ? tr("Information") : tr("Error"));
    box.setIcon(outcome.made ? QMessageBox::Information : QMessageBox::Warning);
    box.setTextInteractionFlags(Qt::TextSelectableByMouse);
    box.setText(outcome.text);
    box.setInformativeText(outcome.detail);
    if (outcome.made)
        m_host.Say(tr("GRUB menu written: %1").arg(folder));
    box.exec();
}
