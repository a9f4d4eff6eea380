#pragma once

#include <QMainWindow>

class CharacterTable;
class ColourSelector;
class DocumentEdit;
class FindReplaceDialog;
class QAction;
class QCheckBox;
class QFileDialog;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class TAboutBox;
class TNARHForm;
class TPreviewFR;

// The main window: the document, the command buttons and selectors, the
// caret coordinates, the on-screen keyboard, and the File and NARH menus.
class TGlavna : public QMainWindow {
    Q_OBJECT

public:
    explicit TGlavna(QWidget* parent = nullptr);
    ~TGlavna() override;

    // The windows the main window opens; they are created after it.
    void ConnectWindows(TNARHForm& help, TAboutBox& about, TPreviewFR& preview);

    // Controls, by the names the handlers use.
    DocumentEdit* Editor;
    QLineEdit* ASCIIcode;
    QPushButton* Button1;
    CharacterTable* tastatura;
    QCheckBox* SingleON;
    ColourSelector* groupBG;
    ColourSelector* GroupFG;
    QPushButton* InsertC;
    QPushButton* ClrScreen;
    QPushButton* Preview;
    QLabel* kooX;
    QLabel* kooY;
    QLabel* debugy;
    DocumentEdit* TempM;
    QLabel* About;
    QMenu* PopupMenu1;
    QAction* Save1;
    FindReplaceDialog* FindDialog1;
    FindReplaceDialog* ReplaceDialog1;

    // Command insertion.
    void InsertCClick();
    void ClrScreenClick();
    void Button1Click();
    // Caret coordinates.
    void EditorKeyDown();
    void EditorKeyUp();
    // On-screen keyboard.
    void FormCreate();
    void tastaturaClick();
    void tastaturaDblClick();
    // File and edit commands.
    void New1Click();
    void Open1Click();
    void Save1Click();
    void SaveAs1Click();
    void Exit1Click() { close(); }
    void Find1Click();
    void Replace1Click();
    // Help and about.
    void NotARealHelp1Click();
    void About1Click();
    void PreviewClick();

    // Opening and saving by name, as the dialogs hand them over.
    void OpenFile(const QString& fileName);
    void SaveToFile(const QString& fileName);
    const QString& SaveTarget() const { return m_saveTarget; }
    QFileDialog* OpenDialog1;
    QFileDialog* SaveDialog1;

    // Above this the editor refuses a file: "Text exceeds memo capacity".
    static constexpr qsizetype MemoCapacity = 16 << 20;

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateControls();
    void CreateLegend();
    void CreateMenus();
    void CreateDialogs();
    void CreateEditMenu();
    void SetTabOrder();
    void SizeToControls();
    // Through the clipboard, over the editor's selection.
    void InsertText(const QString& text);
    bool CopyPickedCharacter();
    void UpdateCaretLabels();
    void RunCommand(const std::function<void()>& command);
    void ShowReplaced(const QString& characters);

    TNARHForm* m_help = nullptr;
    TAboutBox* m_about = nullptr;
    TPreviewFR* m_preview = nullptr;
    QString m_saveTarget;
};
