#pragma once

#include "console/ColorConsole.h"
#include "console/qt/GlyphCache.h"
#include "console/qt/QtFonts.h"
#include "editor/configuration/BackgroundCache.h"
#include "editor/configuration/GrubRun.h"
#include "keys/QtKeys.h"
#include "preview/PreviewConsole.h"
#include "sim/LoaderSim.h"
#include "vesa/VesaPixels.h"

#include <QHash>
#include <QImage>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>

class QCheckBox;
class QRadioButton;
class QPlainTextEdit;
class QLabel;
class QLayout;
class ScreenView;

// The Run Configuration window: the loader played on an 80 x 25 screen in
// the boot mode's console, font and blinking, with the BIOS cursor, and
// vesamenu.c32's menu as its picture, each scaled by whole numbers to the
// window, which opens to fit its screen. Keys typed on the screen go
// to the loader's prompt as at the real one; buttons press F1-F12, start
// anew and let the timeout run out. What the loader would then boot is
// said below the screen, which stays as the loader leaves it. The UEFI
// switch shows GRUB's menu of the same tree beside it, played the same
// way: keys go to the screen that has the keyboard, and so do the buttons.
class RunConfigurationWindow : public QWidget {
    Q_OBJECT

public:
    explicit RunConfigurationWindow(QWidget* parent = nullptr);
    ~RunConfigurationWindow() override;

    // The configuration to play, and the unsaved text of open documents by
    // their file on disk, which the loader reads instead of the files.
    void SetConfiguration(const QString& configFile);
    void SetUnsavedText(std::function<QHash<QString, QByteArray>()> source) { m_unsaved = std::move(source); }
    const QString& ConfigFile() const { return m_configFile; }
    // The PXE client a pxelinux.cfg/ configuration is played for (its
    // IPAPPEND strings); the next start uses it.
    void SetPxeClient(const std::optional<PxeClient>& client) { m_client = client; }
    // The build played, named in the title; the loader starts anew with it.
    void SetLoader(const LoaderVersion& version);
    // What makes the tree's GRUB side; without it the UEFI switch is off.
    void SetGrubSide(GrubSide side);
    // Shows GRUB's side beside ISOLINUX's (UEFI), or ISOLINUX's alone.
    void ShowUefi(bool shown);
    bool UefiShown() const;
    const GrubRun& Grub() const { return m_grub; }

    // Starts the loader anew and gives it again the keys given so far:
    // the screen follows edits.
    void Replay();
    // Starts the loader anew without keys.
    void Restart();
    void Give(const LoaderInput& input);
    void GiveGrub(const LoaderInput& input);

    const TColorConsole& Console() const { return m_console; }
    // The graphical menu's picture while one runs; null otherwise.
    const QImage* Picture() const { return m_pictureShown ? &m_picture : nullptr; }
    const BackgroundCache& Backgrounds() const { return m_backgrounds; }
    const LoaderSim* Loader() const { return m_loader.get(); }

    // What a terminal on the loader's port shows of its bytes.
    static QString SerialText(const QByteArray& bytes);

    // The entry of the running menu drawn at a point of the screen's view
    // (entry -1 for the title's row), or nothing.
    std::optional<std::pair<int, int>> EntryAt(QWidget* view, QPointF point) const;
    // Moves the running menu's highlight to an entry of the menu shown, by
    // the keys a user would press; nothing when another menu shows.
    void Highlight(int menu, int entry);

signals:
    // A click, or a double click, on an entry of the running menu (entry -1: its title).
    void EntryClicked(int menu, int entry);
    void EntryDoubleClicked(int menu, int entry);
    // The graphical menu drawn anew: its frame, the picture and the font it was drawn in.
    void MenuDrawn(const Vesa::MenuFrame& frame, const Vesa::Picture& picture, const Vesa::Font& font);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLayout* CreateKeys();
    QLayout* CreateControls();
    QLayout* CreateFirmware();
    // A button's key, to the screen that has (or last had) the keyboard.
    void GiveFocused(const LoaderInput& input);
    BootFiles Files() const;
    void Play();
    void ShowGrub();
    void ShowTitle();
    void ShowNote();
    void ShowScreen();
    // The text screen in its blink phase and the cursor, then the window's
    // size for what is shown.
    void ShowText();
    void FitToScreen();
    void ToggleBlink();
    void Tick();

    PreviewScreen<QtFontMeasurer> m_preview;
    TColorConsole& m_console = m_preview.console;
    GlyphCache m_glyphs { VgaDots::Nine };
    ScreenView* m_screen = nullptr;
    ScreenView* m_pictureView = nullptr;
    ScreenView* m_grubView = nullptr; // the UEFI side's
    QRadioButton* m_bios = nullptr;
    QRadioButton* m_uefi = nullptr;
    bool m_grubFocused = false; // GRUB's screen had the keyboard last
    GrubRun m_grub;
    QSize m_fittedTo; // the pictures' size the window was last fitted to
    QImage m_picture;
    bool m_pictureShown = false;
    QString m_pictureNote; // what the picture cannot show exactly
    BackgroundCache m_backgrounds;
    QLabel* m_note = nullptr;
    QCheckBox* m_blankStart = nullptr;
    QCheckBox* m_serialShown = nullptr;
    QPlainTextEdit* m_serialView = nullptr; // what a terminal on SERIAL's port receives
    std::unique_ptr<LoaderSim> m_loader;
    std::vector<LoaderInput> m_given; // since the last restart
    QString m_configFile;
    LoaderVersion m_version = LoaderVersion::Debian();
    std::optional<PxeClient> m_client;
    std::function<QHash<QString, QByteArray>()> m_unsaved;
    QTimer m_blinkTimer;
    QTimer m_clock; // a menu's countdown runs in real time
    bool m_blinkShown = true;
};
