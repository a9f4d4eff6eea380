// The main window's boot configuration commands: Open, Run and Close
// Configuration, the tabs the set's files open in, and F9.
#include "common/ErrorBox.h"
#include "common/Exceptions.h"
#include "config/BootConfig.h"
#include "editor/configuration/ConfigurationDock.h"
#include "editor/configuration/ConfigurationSession.h"
#include "editor/designer/MenuDesigner.h"
#include "editor/document/DocumentEdit.h"
#include "editor/document/DocumentFile.h"
#include "editor/document/DocumentTabs.h"
#include "editor/document/ScreenHighlighter.h"
#include "editor/export/ExportMediaCommands.h"
#include "editor/window/Glavna.h"
#include "editor/window/SerialConsole.h"
#include "vm/VmTools.h"
#include "vm/WindowedVm.h"

#include <QAction>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QStatusBar>
#include <QTextBlock>

void TGlavna::SetUpConfiguration()
{
    m_configuration = new ConfigurationSession(*this);
    On(m_form.OpenConfiguration1, &QAction::triggered, &TGlavna::OpenConfiguration1Click);
    connect(m_form.RunConfiguration1, &QAction::triggered, this, &TGlavna::RunConfiguration1Click);
    connect(m_form.CloseConfiguration1, &QAction::triggered, this, &TGlavna::CloseConfiguration1Click);
    connect(m_configuration, &ConfigurationSession::Read, this, &TGlavna::KeepConfigurationBreaks);
    connect(m_configuration, &ConfigurationSession::LoaderChosen, this, &TGlavna::RefreshProblems);
    connect(m_form.Editor, &QPlainTextEdit::textChanged, this, [this] {
        if (m_highlighter)
            m_highlighter->SetConfiguration(IsConfiguration());
    });
    connect(m_form.Editor, &QPlainTextEdit::modificationChanged, m_tabs, &DocumentTabs::Relabel);
    connect(m_tabs, &DocumentTabs::CurrentChanged, this, &TGlavna::CurrentDocumentChanged);
    connect(m_tabs, &DocumentTabs::CloseRequested, this, &TGlavna::CloseTab);
    connect(m_tabs, &DocumentTabs::EditorPlaced, this, [this](const QRect& place) {
        if (m_view)
            m_view->widget->setGeometry(place);
    });
}

// A file of the set opens in a tab of its own, or in the blank one shown.
void TGlavna::OpenAt(const QString& file, int line)
{
    if (Document* open = m_tabs->Find(file)) {
        m_tabs->Activate(*open);
    } else {
        const bool blank = m_tabs->Current().IsBlank();
        Document& target = blank ? m_tabs->Current() : m_tabs->Add();
        RunCommand(this, [&] { OpenFile(file); });
        if (!IsSaveTarget(file) && !blank)
            m_tabs->Remove(target);
    }
    if (!IsSaveTarget(file))
        return;
    QTextCursor caret(m_form.Editor->document()->findBlockByNumber(std::max(0, line - 1)));
    m_form.Editor->setTextCursor(caret);
    m_form.Editor->setFocus();
}

void TGlavna::OpenConfiguration1Click()
{
    const QString name = QFileDialog::getOpenFileName(this, tr("Open Configuration"), {},
        tr("Boot Configurations (*.cfg *.conf default);;All Files (*)"), nullptr, QFileDialog::DontUseNativeDialog);
    if (name.isEmpty())
        return;
    OpenConfiguration(name);
}

void TGlavna::OpenConfiguration(const QString& configFile)
{
    m_configuration->Open(configFile);
    if (!IsSaveTarget(configFile))
        OpenAt(configFile, 1);
}

void TGlavna::RunConfiguration1Click()
{
    if (!m_configuration->IsOpen() && !(IsConfiguration() && !m_tabs->Current().saveTarget.isEmpty())) {
        QMessageBox::information(this, tr("Information"),
            tr("Open a boot configuration first (File > Open Configuration), or save this one."));
        return;
    }
    m_configuration->Run();
    LinkDesigner();
}

// One question for every unsaved document but the one shown, which stays.
void TGlavna::CloseConfiguration1Click()
{
    QStringList unsaved;
    for (const Document* document : m_tabs->Unsaved()) {
        if (document != &m_tabs->Current())
            unsaved << m_tabs->Title(*document);
    }
    if (!unsaved.isEmpty()
        && QMessageBox::question(this, tr("Confirm"),
               tr("Discard unsaved changes in %1?").arg(unsaved.join(QStringLiteral(", "))),
               QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
            != QMessageBox::Yes)
        return;
    const std::vector<Document*> documents = m_tabs->Documents();
    for (Document* document : documents) {
        if (document != &m_tabs->Current())
            m_tabs->Remove(*document);
    }
    m_configuration->Close();
    m_designer->SetConfiguration({});
}

void TGlavna::CloseTab(Document* document)
{
    m_tabs->Activate(*document);
    if (MayDiscardChanges(this, document->Text()))
        m_tabs->Remove(*document);
}

// A document opened as a display file before the set read its file as a
// configuration: from now on it is saved with the breaks its file has.
void TGlavna::KeepConfigurationBreaks()
{
    for (Document* document : m_tabs->Documents()) {
        if (document->breaksFrom || !m_configuration->HoldsConfiguration(document->saveTarget))
            continue;
        try {
            document->breaksFrom = DocumentFile::Read(document->saveTarget, MemoCapacity);
        } catch (const Exception&) {
            continue; // no longer readable: Save says why when it comes to it
        }
    }
    ShowLineBreaks();
}

void TGlavna::CurrentDocumentChanged()
{
    const Document& current = m_tabs->Current();
    SetTitle(current.saveTarget.isEmpty() ? m_tabs->Title(current) : current.saveTarget);
    m_form.Save1->setEnabled(!current.saveTarget.isEmpty());
    ShowLineBreaks();
    if (m_highlighter) {
        m_highlighter->setDocument(&m_tabs->Current().Text());
        m_highlighter->SetConfiguration(IsConfiguration());
    }
    UpdateCaretLabels();
    DocumentChanged();
}

std::optional<BootFiles> TGlavna::BootSet() const
{
    const QString target = m_tabs->Current().saveTarget;
    const QString config = m_configuration->IsOpen() ? m_configuration->ConfigFile()
        : !target.isEmpty() && IsConfiguration()     ? target
                                                     : QString();
    if (config.isEmpty())
        return std::nullopt;
    BootFiles files = BootFiles::ForConfiguration(config);
    const QHash<QString, QByteArray> texts = m_tabs->Texts();
    for (auto text = texts.begin(); text != texts.end(); ++text)
        files.SetText(text.key(), text.value());
    return files;
}

WindowedVm& TGlavna::Machine()
{
    if (!m_vm) {
        m_vm = new WindowedVm(this);
        connect(m_vm, &WindowedVm::Started, this, [this](const QStringList& notes) {
            statusBar()->showMessage(tr("The virtual machine runs."), 15000);
            if (m_serialConsole)
                m_serialConsole->Follow(m_vm->SerialLog());
            ShowImageNotes(notes);
        });
        connect(m_vm, &WindowedVm::Failed, this, [this](const QString& message, const QString& detail) {
            RunCommand(this, [&] { throw EVmError(message.toStdString(), detail.toStdString()); });
        });
    }
    return *m_vm;
}

// The port of the machine that runs, or of the next one booted.
void TGlavna::SerialConsoleClick()
{
    if (!m_serialConsole)
        m_serialConsole = new SerialConsole(this);
    m_serialConsole->Follow(m_vm ? m_vm->SerialLog() : QString());
    m_serialConsole->show();
    m_serialConsole->raise();
}

// The open pxelinux.cfg/ configuration's tree, booted over TFTP by the
// client View > PXE Client sets: the file the real PXELINUX picks for it.
void TGlavna::BootPxeClientClick()
{
    if (!m_configuration->IsOpen() || !m_configuration->Client()) {
        QMessageBox::information(this, tr("Information"),
            tr("Booting as a PXE client needs a configuration in a pxelinux.cfg/ folder open."));
        return;
    }
    BootFiles files = BootFiles::ForConfiguration(m_configuration->ConfigFile());
    const QHash<QString, QByteArray> texts = m_tabs->Texts();
    for (auto text = texts.begin(); text != texts.end(); ++text)
        files.SetText(text.key(), text.value());
    Machine().BootPxeClient(files, *m_configuration->Client(), m_configuration->Loader(),
        tr("Glimra: PXE client %1").arg(m_configuration->Client()->MacText()));
    ShowImageNotes({});
    statusBar()->showMessage(tr("Building the boot image..."), 5000);
}

void TGlavna::BootVm1Click()
{
    // The open configuration (or the document, when it is one) boots as a
    // whole set, every tab's unsaved text with it; a display file boots alone.
    if (const std::optional<BootFiles> files = BootSet()) {
        Machine().BootConfiguration(
            *files, tr("Glimra: %1").arg(QFileInfo(QFile::decodeName(files->ConfigPath())).fileName()));
    } else {
        Machine().BootDocument(
            m_form.Editor->Bytes(), m_tabs->Current().Folder(), tr("Glimra: %1").arg(m_tabs->Title(m_tabs->Current())));
    }
    ShowImageNotes({});
    statusBar()->showMessage(tr("Building the boot image..."), 5000);
}

// The tree as it boots from a stick: the USB disk image Export makes.
void TGlavna::BootVmUsb1Click()
{
    const std::optional<BootFiles> files = BootSet();
    if (!files) {
        QMessageBox::information(this, tr("Information"),
            tr("A USB disk boots a configuration: open one (File > Open Configuration), or save this one. A "
               "display file alone boots as a CD (F9)."));
        return;
    }
    Machine().BootConfigurationAsDisk(
        *files, tr("Glimra: %1 (USB disk)").arg(QFileInfo(QFile::decodeName(files->ConfigPath())).fileName()));
    ShowImageNotes({});
    statusBar()->showMessage(tr("Building the USB disk image..."), 5000);
}

void TGlavna::SetGrubMenuMaker(GrubMenuMaker maker)
{
    m_grubMenu = maker;
    m_export->grubMenu = std::move(maker);
}

// The tree as a UEFI machine boots it: the media Export makes, with GRUB's
// copy of the menu; a pxelinux.cfg/ tree as View > PXE Client's machine.
void TGlavna::BootUefi(MediaKind kind)
{
    const std::optional<BootFiles> files = BootSet();
    if (!files || !m_grubMenu) {
        QMessageBox::information(this, tr("Information"),
            !files ? tr("A UEFI machine boots a configuration's GRUB menu: open one (File > Open Configuration), or "
                        "save this one.")
                   : tr("This build makes no GRUB menu for UEFI machines; boot the BIOS side (F9)."));
        return;
    }
    const QString kinds[] = { tr("CD"), tr("USB disk"), tr("PXE client") };
    Machine().BootUefi(*files, kind, m_grubMenu,
        tr("Glimra: %1 (UEFI %2)")
            .arg(QFileInfo(QFile::decodeName(files->ConfigPath())).fileName(), kinds[static_cast<int>(kind)]),
        kind == MediaKind::Pxe && m_configuration->IsOpen() ? m_configuration->Client() : std::nullopt);
    ShowImageNotes({});
    statusBar()->showMessage(tr("Building the UEFI boot media..."), 5000);
}

// What the image left out or took from Debian: a count in the status bar,
// the list one to a line when it is clicked.
void TGlavna::ShowImageNotes(const QStringList& notes)
{
    m_imageNotes = notes;
    m_imageNotes.removeDuplicates(); // a file named twice is left out once
    m_form.ImageNotes->setText(m_imageNotes.size() == 1 ? tr("1 note on the boot image")
                                                        : tr("%1 notes on the boot image").arg(m_imageNotes.size()));
    m_form.ImageNotes->setVisible(!m_imageNotes.isEmpty());
}

void TGlavna::ImageNotesClick()
{
    QMessageBox box(QMessageBox::Information, tr("Information"), tr("The boot image in the virtual machine:"),
        QMessageBox::Ok, this);
    box.setInformativeText(QStringLiteral("\u2022 ") + m_imageNotes.join(QStringLiteral("\n\u2022 ")));
    box.setTextInteractionFlags(Qt::TextSelectableByMouse);
    box.exec();
}
