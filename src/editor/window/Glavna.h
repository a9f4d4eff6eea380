#pragma once

#include "config/BootFiles.h"
#include "editor/document/Document.h"
#include "editor/document/EditorHost.h"
#include "editor/window/GlavnaForm.h"
#include "vm/GrubImage.h"

#include <QDateTime>
#include <QMainWindow>
#include <QTimer>

#include <optional>

class AnsiArtCommands;
class ConfigurationSession;
class ExportMediaCommands;
class DocumentTabs;
class DrawingMode;
class MenuDesigner;
class RunConfigurationWindow;
class FindReplaceDialog;
class FormatGuide;
class ScreenHighlighter;
class SerialConsole;
class WindowedVm;
class QFileDialog;
class QTextDocument;
class TAboutBox;
class TNARHForm;
class TPreviewFR;

// The main window: the document, the command buttons and selectors, the
// caret coordinates, the on-screen keyboard, the File, Edit, View, NARH and
// Help menus, and the Problems dock.
// Every user command runs through one helper that shows the general error
// box for what it does not handle itself. The features (configuration,
// drawing, ANSI art) reach it as their EditorHost only.
class TGlavna : public QMainWindow, private EditorHost {
    Q_OBJECT

public:
    explicit TGlavna(QWidget* parent = nullptr);
    ~TGlavna() override;

    // The windows the main window opens; they are created after it.
    void ConnectWindows(TNARHForm& help, TAboutBox& about, TPreviewFR& preview);
    // Opens the file a command line names, as File > Open does; rawName is
    // the name as the system gave it, which Qt's file names may not reach.
    void OpenAtStart(const QString& fileName, const QByteArray& rawName);

    // What makes the UEFI side's menu (GRUB's folder) for View > Boot on
    // UEFI Machine and File > Export Boot Media; without it the media are
    // BIOS only and a UEFI boot says why it cannot start.
    void SetGrubMenuMaker(GrubMenuMaker maker);

    // Above this the editor refuses a file: "Text exceeds memo capacity".
    static constexpr qsizetype MemoCapacity = 16 << 20;

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    using Handler = void (TGlavna::*)();

    void WireHandlers();
    template <typename Sender, typename Signal> void On(Sender* sender, Signal signal, Handler handler)
    {
        connect(sender, signal, this, [this, handler] { Run(handler); });
    }
    void Run(Handler handler);

    // The features' host.
    QMainWindow& Window() override { return *this; }
    DocumentTabs& Documents() override { return *m_tabs; }
    void AddAction(Place place, QAction* action) override;
    void Say(const QString& message, int milliseconds) override;
    void AddStatus(QWidget* widget) override;
    void ShowCaret(const QString& column, const QString& line) override;
    void ShowInstead(const View* view) override;
    void FocusDocument() override;
    int Colour(bool foreground) const override;
    void SetColour(bool foreground, int index) override;
    bool FollowsEdits() const override;
    void OpenAt(const QString& file, int line) override;
    void OpenConfiguration(const QString& configFile) override;
    // The Edit menu's commands: on the editor, or on the view in its place.
    void Edit(EditCommand command);
    // A colour picked in a selector goes to the view in the editor's place.
    void ColourPicked(bool foreground);

    // Command insertion.
    void InsertCClick();
    void ClrScreenClick();
    void Button1Click();
    void InsertText(const QString& text);
    // Caret coordinates.
    void EditorKeyDown();
    void EditorKeyUp();
    void UpdateCaretLabels();
    // On-screen keyboard.
    void FormCreate();
    void tastaturaClick();
    void tastaturaDblClick();
    bool CopyPickedCharacter();
    // File and edit commands.
    void New1Click();
    void Open1Click();
    void Save1Click();
    void SaveAs1Click();
    void Exit1Click() { close(); }
    void Find1Click();
    void Replace1Click();
    void FindNext1Click();
    void PopupMenu1Popup(const QPoint& at);
    void OpenFile(const QString& fileName);
    bool IsConfigurationFile(const QString& fileName, QByteArrayView bytes) const;
    void SaveToFile(const QString& fileName);
    bool IsSaveTarget(const QString& fileName) const;
    bool MayReplace(const QString& fileName);
    void KeepLF1Click();
    void ShowLineBreaks();
    QFileDialog& OpenDialog1();
    QFileDialog& SaveDialog1();
    FindReplaceDialog& FindDialog(FindReplaceDialog*& dialog, bool withReplace);
    // Help, about, preview.
    void NotARealHelp1Click();
    void About1Click();
    void PreviewClick();
    void ShowReplaced(const QString& characters);
    void SetTitle(const QString& title);
    void OpenDropped(const QString& fileName);
    void FillOpenRecent();
    void OpenRecent(const QString& fileName);
    // View: colours, font, wrapping, live preview, problems, the guide.
    void SetUpView();
    void ColouringClick();
    void EditorFontClick();
    void WrapLinesClick();
    void LivePreviewClick();
    void DocumentChanged();
    void RefreshLivePreview();
    void RefreshProblems();
    void FollowPreviewRules();
    void CaretMoved();
    void MarkCaretInPreview();
    // Puts the caret on the byte at offset (a preview cell, a problem).
    void GoToByte(qsizetype offset);
    void ShowAsciiByte();
    void FormatGuide1Click();
    void ToggleProblems();
    void BootVm1Click();
    void BootPxeClientClick();
    void BootVmUsb1Click();
    void BootUefiCd1Click() { BootUefi(MediaKind::Iso); }
    void BootUefiUsb1Click() { BootUefi(MediaKind::Usb); }
    void BootUefiPxe1Click() { BootUefi(MediaKind::Pxe); }
    void BootUefi(MediaKind kind);
    WindowedVm& Machine(); // made on first use
    // The open configuration (or the document, when it is a saved one) as
    // a whole set with every tab's unsaved text; none for a display file.
    std::optional<BootFiles> BootSet() const;
    void SerialConsoleClick();
    void ShowImageNotes(const QStringList& notes);
    void ImageNotesClick();
    bool IsConfiguration() const;
    bool ShowsConfiguration() const override;
    // The boot configuration around the document: its dock, Open
    // Configuration and Run Configuration (a class of their own).
    void SetUpConfiguration();
    void OpenConfiguration1Click();
    void RunConfiguration1Click();
    void CloseConfiguration1Click();
    void CloseTab(Document* document);
    // The Menu Designer follows the open configuration, and it and Run
    // Configuration follow each other's choice of entry.
    void SetUpDesigner();
    void LinkDesigner();
    bool DesignerPlays();
    // Documents a configuration opened since reads as configurations keep
    // the line breaks of their files from now on.
    void KeepConfigurationBreaks();
    // Another document is shown: the title, Save, the line breaks, the
    // problems and the previews follow it.
    void CurrentDocumentChanged();

    GlavnaForm m_form;
    // The dialogs, created on first use.
    QFileDialog* m_openDialog = nullptr;
    QFileDialog* m_saveDialog = nullptr;
    FindReplaceDialog* m_findDialog = nullptr;
    FindReplaceDialog* m_replaceDialog = nullptr;
    TNARHForm* m_help = nullptr;
    TAboutBox* m_about = nullptr;
    TPreviewFR* m_preview = nullptr;
    DocumentTabs* m_tabs = nullptr; // the open documents; the editor shows the current one
    ScreenHighlighter* m_highlighter = nullptr;
    FormatGuide* m_guide = nullptr; // created on first use
    WindowedVm* m_vm = nullptr; // ended with the window
    SerialConsole* m_serialConsole = nullptr; // created on first use
    ConfigurationSession* m_configuration = nullptr;
    DrawingMode* m_drawing = nullptr; // View > Draw on Screen
    MenuDesigner* m_designer = nullptr; // View > Menu Designer
    RunConfigurationWindow* m_linkedRun = nullptr; // the Run Configuration window the designer follows
    AnsiArtCommands* m_art = nullptr;
    ExportMediaCommands* m_export = nullptr; // File > Export Boot Media
    GrubMenuMaker m_grubMenu; // the UEFI side's, when set
    std::optional<View> m_view; // shown in the editor's place
    // Edits come in bursts: the live preview renders at most once per frame,
    // the problems are found once the burst is over.
    QTimer m_liveTimer;
    QTimer m_lintTimer;
    bool m_keyHeld = false; // the caret labels follow key presses and releases then
    QStringList m_imageNotes; // of the last F9
};

// Replacing a document asks first when it holds unsaved work.
bool MayDiscardChanges(QWidget* parent, const QTextDocument& document);

inline const QString KeepLfKey = QStringLiteral("editor/keepLfLineBreaks");
inline const QString GeometryKey = QStringLiteral("editor/geometry");
inline const QString AskBeforeSaveKey = QStringLiteral("editor/askBeforeSave");
