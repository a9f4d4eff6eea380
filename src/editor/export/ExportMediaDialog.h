#pragma once

#include "vm/BootMedia.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLineEdit;

// What to export and where: the kind, the target, the volume label, for a
// disc whether it boots from a USB stick too, and whether the UEFI side
// (GRUB) is left out.
class ExportMediaDialog : public QDialog {
    Q_OBJECT

public:
    explicit ExportMediaDialog(QWidget* parent, const QString& suggestedFolder);

    MediaRequest Request() const;
    void SetRequest(const MediaRequest& request);

    QComboBox* Kind = nullptr;
    QLineEdit* Target = nullptr;
    QLineEdit* Label = nullptr;
    QCheckBox* Hybrid = nullptr;
    QCheckBox* BiosOnly = nullptr;

private:
    void KindChanged();
    void Browse();

    QString m_folder;
};
