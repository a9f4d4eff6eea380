#pragma once

class CharacterTable;
class ColourSelector;
class DocumentEdit;
class QAction;
class QFont;
class QString;
class QCheckBox;
class QLabel;
class QLineEdit;
class QMainWindow;
class QMenu;
class QPushButton;
class QWidget;
class ProblemsPanel;
class FormStretch;

// The main window's controls and menu entries, by the names its handlers
// use and as objectName, with their captions, fonts and places. The
// window's behaviour is in TGlavna; this only builds.
struct GlavnaForm {
    DocumentEdit* Editor = nullptr;
    QLineEdit* ASCIIcode = nullptr;
    QLabel* ASCIIbyte = nullptr; // the byte the field names: code, hex, glyph
    QPushButton* Button1 = nullptr; // "Insert ASCII"
    CharacterTable* tastatura = nullptr;
    QCheckBox* SingleON = nullptr;
    ColourSelector* groupBG = nullptr;
    ColourSelector* GroupFG = nullptr;
    QPushButton* InsertC = nullptr;
    QPushButton* ClrScreen = nullptr;
    QPushButton* Preview = nullptr;
    QLabel* kooX = nullptr;
    QLabel* kooY = nullptr;
    QLabel* debugy = nullptr; // never visible
    QLabel* About = nullptr;
    FormStretch* Stretch = nullptr; // the form in the window: stretches or scrolls

    QAction* New1 = nullptr;
    QAction* Open1 = nullptr;
    QMenu* OpenRecent1 = nullptr; // filled when it opens
    QAction* OpenConfiguration1 = nullptr; // a boot configuration and its set
    QAction* CloseConfiguration1 = nullptr;
    QAction* Save1 = nullptr;
    QAction* SaveAs1 = nullptr;
    QAction* KeepLF1 = nullptr; // checkable, remembered
    QLabel* LineBreaks = nullptr; // in the status bar: the open file's
    QAction* Exit1 = nullptr;
    // Where the features' entries go: before these separators.
    QAction* FileExchangeEnd = nullptr; // after Save As
    QAction* ViewScreensEnd = nullptr; // after Run Configuration
    QAction* FindNext1 = nullptr;
    QAction* Preview1 = nullptr;
    QAction* Colouring1 = nullptr; // checkable, remembered
    QAction* FontClassic1 = nullptr; // the editor font, one of three, remembered
    QAction* FontVga1 = nullptr;
    QAction* FontDesktop1 = nullptr;
    QAction* WrapLines1 = nullptr; // checkable, remembered
    QAction* LivePreview1 = nullptr; // checkable, remembered
    QAction* BootVm1 = nullptr; // the document in the real loader, in QEMU
    QAction* BootPxeClient1 = nullptr; // a pxelinux.cfg/ tree booted by View > PXE Client's machine
    QAction* BootVmUsb1 = nullptr; // the configuration's tree as a USB disk image, in QEMU
    QMenu* BootUefi1 = nullptr; // the tree's media with their UEFI side, on a UEFI machine:
    QAction* BootUefiCd1 = nullptr; // the disc as a CD
    QAction* BootUefiUsb1 = nullptr; // the USB disk image as a stick
    QAction* BootUefiPxe1 = nullptr; // the PXE folder over TFTP
    QAction* SerialConsole1 = nullptr; // the booted machine's serial port, as it grows
    QAction* RunConfiguration1 = nullptr; // the configuration played by the loader's simulator
    QMenu* View1 = nullptr;
    QAction* Problems1 = nullptr; // shows or hides the Problems dock
    ProblemsPanel* Problems = nullptr;
    QPushButton* ProblemCount = nullptr; // in the status bar; opens the dock
    QPushButton* ImageNotes = nullptr; // in the status bar after F9: what the image left out or took
    QAction* FormatGuide1 = nullptr;
    QAction* NotARealHelp1 = nullptr;
    QAction* About1 = nullptr;

    // The editor's popup menu.
    QMenu* PopupMenu1 = nullptr;
    QAction* Undo1 = nullptr;
    QAction* Redo1 = nullptr; // the Edit menu's own, beside the popup's entries
    QAction* SelectAll1 = nullptr;
    QAction* Cut1 = nullptr;
    QAction* Copy1 = nullptr;
    QAction* Paste1 = nullptr;
    QAction* Find1 = nullptr;
    QAction* Replace1 = nullptr;

    void SetUp(QMainWindow& window);

private:
    void CreateControls(QWidget& form);
    void CreateLegend(QWidget& form);
    void CreateMenus(QMainWindow& window);
    void CreateFileMenu(QMainWindow& window);
    void CreateEditMenu(QMainWindow& window);
    void CreateViewMenu(QMainWindow& window);
    void CreatePopupMenu();
    void SetTabOrder();
    void SizeToControls(QMainWindow& window, QWidget& form);
};
