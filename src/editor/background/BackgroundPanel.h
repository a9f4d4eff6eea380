#pragma once

#include "config/BootFiles.h"
#include "config/LoaderVersion.h"
#include "vesa/BackgroundFit.h"
#include "vesa/BackgroundVerdict.h"

#include <QWidget>

#include <optional>

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QVBoxLayout;

// The menu's background picture: what the loader will make of the current
// one, a new one chosen from anywhere and said of in the same words, fitted
// to the menu's screen and written into the tree, and the entries that the
// drawn screen shows too faint over it. It writes no configuration: Chosen
// gives the name for MENU BACKGROUND to whoever does.
class BackgroundPanel : public QWidget {
    Q_OBJECT
public:
    explicit BackgroundPanel(QWidget* parent = nullptr);

    // The menu the picture is for: its tree, the configuration's folder (an
    // image path), MENU RESOLUTION, the loader build and its MENU BACKGROUND.
    void SetMenu(const BootFiles& files, const QByteArray& folder, QSize resolution, const LoaderVersion& version,
        const QByteArray& background);
    // The menu as drawn (DrawLoaderMenu's picture of the frame, in `font`
    // unless the frame has its own): its faint entries are listed.
    void SetScreen(const Vesa::MenuFrame& frame, const Vesa::Picture& drawn, const Vesa::Font& font);

    // A picture file on disk, as "Choose…" takes it after its dialog.
    void ChooseFile(const QString& path);
    // Fits the chosen picture and writes it under the target name; false,
    // with the reason shown, when it cannot.
    bool Fit();
    // Names the picture in the tree for MENU BACKGROUND without fitting it.
    bool Use();

    QString VerdictText() const;
    QString Status() const;
    QStringList ContrastLines() const;

signals:
    // The name to write after MENU BACKGROUND, relative to the folder.
    void Chosen(QByteArray nameForConfig);

private:
    void Build();
    void BuildFit(QVBoxLayout* layout);
    void Connect();
    void ShowCurrent();
    void Changed(const QByteArray& background);
    Vesa::PictureVerdict ShowVerdict(const QByteArray& bytes, const QString& what);
    void Say(const QString& status, bool problem);
    std::optional<Vesa::Picture> ReadChosen();
    bool Write(const QByteArray& name, const QByteArray& bytes);
    std::optional<QByteArray> TreeName(const QString& hostPath) const;

    std::optional<BootFiles> m_files;
    QByteArray m_folder;
    QSize m_resolution { 640, 480 };
    bool m_tiles = true;
    QByteArray m_background;
    QString m_chosen; // the picture picked on disk
    QLabel* m_verdict = nullptr;
    QLabel* m_preview = nullptr;
    QPushButton* m_choose = nullptr;
    QPushButton* m_use = nullptr;
    QComboBox* m_mode = nullptr;
    QComboBox* m_kind = nullptr;
    QLineEdit* m_target = nullptr;
    QPushButton* m_fit = nullptr;
    QLabel* m_status = nullptr;
    QListWidget* m_contrast = nullptr;
};
