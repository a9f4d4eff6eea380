#pragma once

#include "editor/templates/ConfigTemplates.h"

#include <QDialog>

class EditorHost;
class QComboBox;
class QLabel;
class QLineEdit;

// File > New Configuration: a template, a layout, a folder and a title; the
// tree is written there with the loader's files and opened as the
// configuration. What cannot be done (a Debian package missing, a folder
// that holds a tree already) is said in the dialog and nothing is written.
class NewConfigurationDialog : public QDialog {
    Q_OBJECT

public:
    explicit NewConfigurationDialog(QWidget* parent = nullptr, const VmSearch& search = {});

    // The configuration written, once accepted.
    const QString& ConfigFile() const { return m_configFile; }
    const QStringList& Notes() const { return m_notes; }
    void accept() override;

    // File > New Configuration... in the host's File menu.
    static void AddTo(EditorHost& host);

private:
    void Browse();
    void FollowTemplate();

    VmSearch m_search;
    QComboBox* m_template;
    QComboBox* m_layout;
    QLineEdit* m_folder;
    QLineEdit* m_title;
    QLabel* m_message;
    QString m_configFile;
    QStringList m_notes;
};
