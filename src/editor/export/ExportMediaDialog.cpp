#include "ExportMediaDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

struct KindRow {
    MediaKind kind;
    const char* shown;
    const char* fileName; // suggested
};
const KindRow Kinds[] = {
    { MediaKind::Iso, QT_TRANSLATE_NOOP("ExportMediaDialog", "Disc image (ISO; also boots from a USB stick)"),
        "boot.iso" },
    { MediaKind::Usb, QT_TRANSLATE_NOOP("ExportMediaDialog", "USB disk image (SYSLINUX on FAT)"), "boot.img" },
    { MediaKind::Pxe, QT_TRANSLATE_NOOP("ExportMediaDialog", "PXE folder (a TFTP server's root)"), "tftpboot" },
};

}

ExportMediaDialog::ExportMediaDialog(QWidget* parent, const QString& suggestedFolder)
    : QDialog(parent)
    , m_folder(suggestedFolder)
{
    setWindowTitle(tr("Export Boot Media"));
    Kind = new QComboBox(this);
    Kind->setObjectName(QStringLiteral("Kind"));
    for (const KindRow& row : Kinds)
        Kind->addItem(tr(row.shown), static_cast<int>(row.kind));
    Target = new QLineEdit(QDir(m_folder).filePath(QString::fromLatin1(Kinds[0].fileName)), this);
    Target->setObjectName(QStringLiteral("Target"));
    auto* browse = new QPushButton(tr("&Browse..."), this);
    auto* target = new QHBoxLayout;
    target->addWidget(Target, 1);
    target->addWidget(browse);
    Label = new QLineEdit(QStringLiteral("GLIMRA"), this);
    Label->setObjectName(QStringLiteral("Label"));
    Hybrid = new QCheckBox(tr("Boots from a USB stick too"), this);
    Hybrid->setObjectName(QStringLiteral("Hybrid"));
    Hybrid->setChecked(true);
    Hybrid->setToolTip(
        tr("Clear it for a tree whose own loader ships no isohybrid MBR: the disc then boots as a CD only."));
    BiosOnly = new QCheckBox(tr("For BIOS machines only (no GRUB for UEFI machines)"), this);
    BiosOnly->setObjectName(QStringLiteral("BiosOnly"));
    BiosOnly->setToolTip(tr("Cleared, the media boot UEFI machines too, into GRUB's copy of the menu."));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(tr("&Export"));
    auto* form = new QFormLayout(this);
    form->addRow(tr("&Kind:"), Kind);
    auto* targetLabel = new QLabel(tr("&Target:"), this);
    targetLabel->setBuddy(Target); // a row of a layout has no buddy of its own
    form->addRow(targetLabel, target);
    form->addRow(tr("Volume &label:"), Label);
    form->addRow(QString(), Hybrid);
    form->addRow(QString(), BiosOnly);
    form->addRow(buttons);
    connect(Kind, &QComboBox::currentIndexChanged, this, &ExportMediaDialog::KindChanged);
    connect(browse, &QPushButton::clicked, this, &ExportMediaDialog::Browse);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    resize(560, sizeHint().height());
}

MediaRequest ExportMediaDialog::Request() const
{
    MediaRequest request;
    request.kind = static_cast<MediaKind>(Kind->currentData().toInt());
    request.output = Target->text();
    request.label = Label->text().toLatin1();
    request.hybrid = Hybrid->isChecked();
    request.biosOnly = BiosOnly->isChecked();
    return request;
}

void ExportMediaDialog::SetRequest(const MediaRequest& request)
{
    Kind->setCurrentIndex(Kind->findData(static_cast<int>(request.kind)));
    Target->setText(request.output);
    Label->setText(QString::fromLatin1(request.label));
    Hybrid->setChecked(request.hybrid);
    BiosOnly->setChecked(request.biosOnly);
}

// The label and the MBR belong to images; a suggested name follows the kind.
void ExportMediaDialog::KindChanged()
{
    const int index = Kind->currentIndex();
    const MediaKind kind = Kinds[index].kind;
    Label->setEnabled(kind != MediaKind::Pxe);
    Label->setMaxLength(kind == MediaKind::Usb ? 11 : 32);
    Hybrid->setEnabled(kind == MediaKind::Iso);
    const QFileInfo now(Target->text());
    for (const KindRow& row : Kinds) {
        if (now.fileName() == QLatin1StringView(row.fileName))
            Target->setText(now.dir().filePath(QString::fromLatin1(Kinds[index].fileName)));
    }
}

void ExportMediaDialog::Browse()
{
    const bool folder = Request().kind == MediaKind::Pxe;
    const QString chosen = folder
        ? QFileDialog::getExistingDirectory(this, tr("PXE Folder"), Target->text(), QFileDialog::DontUseNativeDialog)
        : QFileDialog::getSaveFileName(this, tr("Image File"), Target->text(),
            tr("Images (*.iso *.img);;All Files (*)"), nullptr, QFileDialog::DontUseNativeDialog);
    if (!chosen.isEmpty())
        Target->setText(chosen);
}
