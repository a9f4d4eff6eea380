// File > Export Boot Media in the window: the dialog's fields follow the
// kind, the open set goes out with its unsaved texts, and what stays out or
// why nothing was made is told.
#include "EditorFixture.h"
#include "FileTree.h"
#include "ModalAnswers.h"
#include "editor/export/ExportMediaDialog.h"
#include "vm/WindowedVm.h"

#include <QComboBox>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

namespace {

// Runs trigger; the export dialog it opens gets the request and is accepted.
void AnswerExport(const std::function<void()>& trigger, const MediaRequest& request)
{
    QTimer poll;
    poll.setInterval(5);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<ExportMediaDialog*>(QApplication::activeModalWidget());
        if (!dialog || dialog->property("answered").toBool())
            return;
        dialog->setProperty("answered", true);
        dialog->SetRequest(request);
        dialog->accept();
    });
    poll.start();
    trigger();
}

}

TEST(ExportMediaDialog, TheFieldsFollowTheKind)
{
    ExportMediaDialog dialog(nullptr, QStringLiteral("/srv"));
    struct Row {
        MediaKind kind;
        const char* target;
        bool label, hybrid;
        int labelLength;
    };
    const Row rows[] = { { MediaKind::Usb, "/srv/boot.img", true, false, 11 },
        { MediaKind::Pxe, "/srv/tftpboot", false, false, 32 }, { MediaKind::Iso, "/srv/boot.iso", true, true, 32 } };
    for (const Row& row : rows) {
        dialog.Kind->setCurrentIndex(dialog.Kind->findData(static_cast<int>(row.kind)));
        EXPECT_EQ(dialog.Request().kind, row.kind);
        EXPECT_EQ(dialog.Target->text().toStdString(), row.target) << "a suggested name follows the kind";
        EXPECT_EQ(dialog.Label->isEnabled(), row.label);
        EXPECT_EQ(dialog.Hybrid->isEnabled(), row.hybrid);
        EXPECT_EQ(dialog.Label->maxLength(), row.labelLength);
    }
    MediaRequest biosOnly = dialog.Request();
    EXPECT_FALSE(biosOnly.biosOnly) << "both sides by default";
    biosOnly.biosOnly = true;
    dialog.SetRequest(biosOnly);
    EXPECT_TRUE(dialog.Request().biosOnly);
    dialog.Target->setText(QStringLiteral("/srv/mine.iso"));
    dialog.Kind->setCurrentIndex(dialog.Kind->findData(static_cast<int>(MediaKind::Usb)));
    EXPECT_EQ(dialog.Target->text(), QStringLiteral("/srv/mine.iso")) << "the user's own name stays";
}

TEST_F(EditorFixture, ExportMediaWritesTheOpenSetAndTellsWhatStaysOut)
{
    try {
        FindMediaTools(MediaKind::Pxe);
    } catch (const EVmError&) {
        GTEST_SKIP() << "syslinux-common is missing";
    }
    QAction* exportMedia = Find<QAction>(glavna, "ExportMedia1");
    EXPECT_EQ(AnswerBox([&] { exportMedia->trigger(); }).text,
        "Open a boot configuration first (File > Open Configuration), or save this one.");
    EXPECT_TRUE(AnswerBox([&] {
        Find<QAction>(glavna, "BootVmUsb1")->trigger();
    }).text.startsWith("A USB disk boots a configuration"))
        << "a display file alone has no disk image";
    QTemporaryDir tree, out;
    const QString config = WriteInTree(tree, "isolinux/isolinux.cfg", "PROMPT 1\n");
    ::symlink("/etc/shadow", QFile::encodeName(tree.filePath("shadow")).constData());
    glavna.OpenAtStart(config, QFile::encodeName(config));
    SetDocument("PROMPT 1\nSAY unsaved\n");

    MediaRequest request;
    request.kind = MediaKind::Pxe;
    request.output = out.filePath("tftp");
    request.biosOnly = true; // the window's own GRUB side would add its files
    ShownBox told;
    AnswerExport([&] { told = AnswerBox([&] { exportMedia->trigger(); }); }, request);
    EXPECT_EQ(told.text, "Written: " + request.output + " (4 files).");
    EXPECT_TRUE(told.informative.contains("/shadow is left out: it is a symbolic link that leads out of the tree"))
        << told.informative.toStdString();
    QFile served(out.filePath("tftp/isolinux/pxelinux.cfg/default"));
    ASSERT_TRUE(served.open(QIODevice::ReadOnly));
    EXPECT_EQ(served.readAll(), "PROMPT 1\nSAY unsaved\n") << "the tab's unsaved text";

    AnswerExport([&] { told = AnswerBox([&] { exportMedia->trigger(); }); }, request);
    EXPECT_EQ(told.icon, QMessageBox::Warning);
    EXPECT_TRUE(told.text.contains("already holds files")) << told.text.toStdString();
}

// The UEFI side comes from the window's GRUB menu maker, given the open set
// with its unsaved texts: File > Export Boot Media puts it in unless BIOS
// only is checked, and View > Boot on UEFI Machine boots that media on
// OVMF's q35 (PXE here: no disc to build).
TEST_F(EditorFixture, UefiKindsTakeTheMenuMakersGrubFolder)
{
    try {
        RequireUefiMediaTools(FindMediaTools(MediaKind::Pxe), MediaKind::Pxe);
        if (FindVmTools({}, true, Firmware::Uefi).pxelinux.isEmpty())
            GTEST_SKIP() << "pxelinux is missing";
    } catch (const EVmError& missing) {
        GTEST_SKIP() << missing.what();
    }
    QTemporaryDir tree, out;
    const QString config = WriteInTree(tree, "isolinux/isolinux.cfg", "PROMPT 1\n");
    EXPECT_TRUE(AnswerBox([&] {
        Find<QAction>(glavna, "BootUefiCd1")->trigger();
    }).text.startsWith("A UEFI machine boots a configuration's GRUB menu"));
    glavna.OpenAtStart(config, QFile::encodeName(config));
    SetDocument("PROMPT 1\nSAY unsaved\n");
    glavna.SetGrubMenuMaker({}); // as a build without the GRUB side
    EXPECT_TRUE(AnswerBox([&] {
        Find<QAction>(glavna, "BootUefiPxe1")->trigger();
    }).text.startsWith("This build makes no GRUB menu"));
    QByteArray seen; // the configuration's text as the maker read it
    glavna.SetGrubMenuMaker([&seen](const BootFiles& files) {
        seen = files.Read(files.ConfigPath()).value_or("none");
        return std::vector<GrubFolderFile> { { "grub.cfg", "set timeout=-1\n" } };
    });
    MediaRequest request;
    request.kind = MediaKind::Pxe;
    for (const bool biosOnly : { false, true }) {
        request.output = out.filePath(biosOnly ? "bios" : "both");
        request.biosOnly = biosOnly;
        AnswerExport([&] { AnswerBox([&] { Find<QAction>(glavna, "ExportMedia1")->trigger(); }); }, request);
        EXPECT_EQ(QFileInfo::exists(request.output + "/grub/grub.cfg"), !biosOnly);
        EXPECT_EQ(QFileInfo::exists(request.output + "/isolinux/grubnetx64.efi"), !biosOnly);
    }
    EXPECT_EQ(seen, "PROMPT 1\nSAY unsaved\n");
    Find<QAction>(glavna, "BootUefiPxe1")->trigger();
    auto* vm = glavna.findChild<WindowedVm*>();
    ASSERT_NE(vm, nullptr);
    QStringList notes;
    QString arguments, store;
    bool over = false;
    QObject::connect(vm, &WindowedVm::Started, [&](const QStringList& said) {
        over = true;
        notes = said;
        arguments = vm->findChild<QProcess*>()->arguments().join(u' ');
        store = QFileInfo(vm->SerialLog()).path() + "/OVMF_VARS.fd";
    });
    QObject::connect(vm, &WindowedVm::Failed, [&] { over = true; });
    EXPECT_TRUE(QTest::qWaitFor([&] { return over; }, 60000));
    EXPECT_TRUE(notes.contains("for UEFI clients (DHCP client architecture 7) it is isolinux/grubnetx64.efi"))
        << notes.join(u'\n').toStdString();
    EXPECT_TRUE(arguments.contains("-M q35")) << arguments.toStdString();
    EXPECT_TRUE(arguments.contains("bootfile=isolinux/grubnetx64.efi")) << arguments.toStdString();
    EXPECT_TRUE(arguments.contains("if=pflash,format=raw,file=" + store)) << "its own store";
    vm->Stop();
}
