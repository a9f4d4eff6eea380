#include "editor/window/GlavnaForm.h"

#include "common/Named.h"
#include "console/qt/QtGeometry.h"
#include "editor/checks/ProblemsPanel.h"
#include "editor/document/DocumentEdit.h"
#include "editor/widgets/CharacterTable.h"
#include "editor/widgets/ColourSelector.h"
#include "editor/widgets/FormStretch.h"
#include "editor/widgets/PcScreenFont.h"
#include "editor/widgets/WrappingButton.h"
#include "format/Palette.h"

#include <QAction>
#include <QActionGroup>
#include <QCheckBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>

namespace {

QLabel* ColouredLabel(const QString& caption, const QColor& background, const QColor& text, QWidget* parent)
{
    auto* label = new QLabel(caption, parent);
    label->setAutoFillBackground(true);
    QPalette palette = label->palette();
    palette.setColor(QPalette::Window, background);
    palette.setColor(QPalette::WindowText, text);
    label->setPalette(palette);
    return label;
}

template <typename Widget> Widget* Placed(Widget* widget, const char* name, int left, int top, int width, int height)
{
    widget->setGeometry(left, top, width, height);
    return Named(widget, name);
}

constexpr int LegendTop = 24;

QAction* Checkable(QAction* action)
{
    action->setCheckable(true);
    return action;
}

QAction* WithKeys(QAction* action, const QKeySequence& keys)
{
    action->setShortcut(keys);
    return action;
}

}

void GlavnaForm::SetUp(QMainWindow& window)
{
    LineBreaks = Named(new QLabel(QStringLiteral("CR LF"), &window), "LineBreaks");
    ProblemCount = Named(new QPushButton(ProblemCountCaption(0), &window), "ProblemCount");
    ProblemCount->setFlat(true);
    ProblemCount->setFocusPolicy(Qt::NoFocus); // the status bar is clicked, never typed into
    ImageNotes = Named(new QPushButton(&window), "ImageNotes");
    ImageNotes->setFlat(true);
    ImageNotes->setFocusPolicy(Qt::NoFocus);
    ImageNotes->hide();
    window.statusBar()->addPermanentWidget(ImageNotes);
    window.statusBar()->addPermanentWidget(ProblemCount);
    window.statusBar()->addPermanentWidget(LineBreaks);
    Problems = new ProblemsPanel(&window);
    Problems->setAllowedAreas(Qt::BottomDockWidgetArea);
    window.addDockWidget(Qt::BottomDockWidgetArea, Problems);
    Problems->hide();
    auto* form = new QWidget(&window);
    QFont sans = form->font();
    sans.setPixelSize(11);
    form->setFont(sans);
    CreateControls(*form);
    CreateLegend(*form);
    CreatePopupMenu();
    CreateMenus(window);
    SetTabOrder();
    SizeToControls(window, *form);
}

void GlavnaForm::CreateControls(QWidget& form)
{
    Editor = Placed(new DocumentEdit(&form), "Editor", 0, 0, 625, 345);
    Editor->setFont(PcScreenFont(QStringLiteral("Fixedsys"), 11));
    ASCIIcode = Placed(new QLineEdit(&form), "ASCIIcode", 0, 352, 33, 25);
    ASCIIcode->setMaxLength(3);
    Button1 = Placed(new QPushButton(QWidget::tr("Insert ASCII"), &form), "Button1", 40, 352, 75, 25);
    ASCIIbyte = Placed(new QLabel(&form), "ASCIIbyte", 122, 352, 160, 25);

    tastatura = Placed(new CharacterTable(&form), "tastatura", 0, 384, 545, 113);
    tastatura->setFont(PcScreenFont(QStringLiteral("Fixedsys"), 13));
    SingleON = Placed(new QCheckBox(QWidget::tr("SingleClickON"), &form), "SingleON", 552, 480, 97, 17);

    groupBG = Placed(new ColourSelector(QStringLiteral("BG"), 0, &form), "groupBG", 648, 3, 41, 285);
    GroupFG = Placed(new ColourSelector(QStringLiteral("FG"), 7, &form), "GroupFG", 728, 3, 41, 285);
    InsertC = Placed(new WrappingButton(QWidget::tr("Insert Color Command"), &form), "InsertC", 677, 296, 89, 33);
    ClrScreen = Placed(new WrappingButton(QWidget::tr("Insert Clear Screen"), &form), "ClrScreen", 677, 336, 89, 33);
    Preview = Placed(new QPushButton(QWidget::tr("Preview"), &form), "Preview", 677, 376, 89, 33);

    kooY = Named(new QLabel(QStringLiteral("Y:"), &form), "kooY");
    kooY->move(632, 328);
    kooX = Named(new QLabel(QStringLiteral("X:"), &form), "kooX");
    kooX->move(592, 352);
    for (QLabel* label : { kooX, kooY })
        label->setMinimumWidth(80);
    debugy = Placed(new QLabel(QStringLiteral("debugy"), &form), "debugy", 776, 312, 81, 33);
    debugy->hide();

    About = Named(
        ColouredLabel(QWidget::tr("Glimra (c) 2004 ver. 1.0.1"), PaletteColour(1), PaletteColour(14), &form), "About");
    About->move(648, 448);
    About->adjustSize();
}

// Beside each selector entry, the colour it stands for. Background digits
// 8-f make the foreground blink on the dark colour digit - 8.
void GlavnaForm::CreateLegend(QWidget& form)
{
    const QColor white = PaletteColour(15);
    for (int row = 0; row < 16; ++row) {
        QLabel* foreground = ColouredLabel(QStringLiteral(" "), PaletteColour(row), white, &form);
        foreground->setObjectName(QStringLiteral("Label%1").arg(row < 15 ? row + 2 : 33));
        foreground->setGeometry(770, LegendTop + ColourSelector::ItemPitch * row, 28, 13);
        const bool blinks = row >= 8;
        QLabel* background
            = ColouredLabel(blinks ? QWidget::tr("Blink") : QStringLiteral(" "), PaletteColour(row % 8), white, &form);
        background->setObjectName(QStringLiteral("Label%1").arg(row + 17));
        background->setGeometry(690, LegendTop + ColourSelector::ItemPitch * row, 28, 13);
        background->setAlignment(Qt::AlignCenter);
        QFont small = background->font();
        small.setPixelSize(9);
        background->setFont(small);
    }
}

// The menus show every shortcut; the shortcuts go beyond the classic
// design, which had none.
void GlavnaForm::CreateMenus(QMainWindow& window)
{
    CreateFileMenu(window);
    CreateEditMenu(window);
    CreateViewMenu(window);
    QMenu* narh = window.menuBar()->addMenu(QStringLiteral("NARH"));
    NotARealHelp1 = Named(narh->addAction(QWidget::tr("Not A Real Help")), "NotARealHelp1");
    About1 = Named(narh->addAction(QWidget::tr("About")), "About1");
    QMenu* help = window.menuBar()->addMenu(QWidget::tr("&Help"));
    FormatGuide1 = WithKeys(
        Named(help->addAction(QWidget::tr("Display File &Format")), "FormatGuide1"), QKeySequence::HelpContents);
}

void GlavnaForm::CreateFileMenu(QMainWindow& window)
{
    QMenu* file = window.menuBar()->addMenu(QWidget::tr("&File"));
    New1 = WithKeys(Named(file->addAction(QWidget::tr("&New")), "New1"), QKeySequence::New);
    Open1 = WithKeys(Named(file->addAction(QWidget::tr("&Open...")), "Open1"), QKeySequence::Open);
    OpenRecent1 = Named(file->addMenu(QWidget::tr("Open &Recent")), "OpenRecent1");
    OpenConfiguration1 = WithKeys(Named(file->addAction(QWidget::tr("Open &Configuration...")), "OpenConfiguration1"),
        QKeySequence(QStringLiteral("Ctrl+Shift+O")));
    CloseConfiguration1 = Named(file->addAction(QWidget::tr("C&lose Configuration")), "CloseConfiguration1");
    Save1 = WithKeys(Named(file->addAction(QWidget::tr("&Save")), "Save1"), QKeySequence::Save);
    Save1->setEnabled(false);
    SaveAs1 = WithKeys(
        Named(file->addAction(QWidget::tr("Save &As...")), "SaveAs1"), QKeySequence(QStringLiteral("Ctrl+Shift+S")));
    FileExchangeEnd = file->addSeparator();
    KeepLF1 = Named(file->addAction(QWidget::tr("Keep LF Line Breaks")), "KeepLF1");
    KeepLF1->setCheckable(true);
    file->addSeparator();
    Exit1 = WithKeys(Named(file->addAction(QWidget::tr("E&xit")), "Exit1"), QKeySequence(QStringLiteral("Ctrl+Q")));
}

// The popup menu's entries, the same actions.
void GlavnaForm::CreateEditMenu(QMainWindow& window)
{
    QMenu* edit = Named(window.menuBar()->addMenu(QWidget::tr("&Edit")), "EditMenu");
    Redo1 = Named(new QAction(QWidget::tr("&Redo"), &window), "Redo1");
    Redo1->setShortcuts({ QKeySequence(QStringLiteral("Ctrl+Shift+Z")), QKeySequence(QStringLiteral("Ctrl+Y")) });
    SelectAll1
        = WithKeys(Named(new QAction(QWidget::tr("Select &All"), &window), "SelectAll1"), QKeySequence::SelectAll);
    edit->addActions({ Undo1, Redo1, Cut1, Copy1, Paste1, SelectAll1 });
    edit->addSeparator();
    FindNext1 = WithKeys(Named(new QAction(QWidget::tr("Find &Next"), &window), "FindNext1"), QKeySequence::FindNext);
    edit->addActions({ Find1, FindNext1, Replace1 });
}

void GlavnaForm::CreateViewMenu(QMainWindow& window)
{
    QMenu* view = window.menuBar()->addMenu(QWidget::tr("&View"));
    Preview1 = WithKeys(Named(view->addAction(QWidget::tr("&Preview")), "Preview1"), QKeySequence(Qt::Key_F5));
    LivePreview1 = Checkable(Named(view->addAction(QWidget::tr("&Live Preview")), "LivePreview1"));
    BootVm1 = WithKeys(
        Named(view->addAction(QWidget::tr("&Boot in Virtual Machine")), "BootVm1"), QKeySequence(Qt::Key_F9));
    BootVmUsb1 = WithKeys(
        Named(view->addAction(QWidget::tr("Boot as &USB Disk")), "BootVmUsb1"), QKeySequence(Qt::SHIFT | Qt::Key_F9));
    BootPxeClient1 = WithKeys(Named(view->addAction(QWidget::tr("Boot as P&XE Client")), "BootPxeClient1"),
        QKeySequence(Qt::CTRL | Qt::Key_F9));
    // Ctrl+Alt+F9 is the system's: it switches to a text console.
    BootUefi1 = Named(view->addMenu(QWidget::tr("Boot on U&EFI Machine")), "BootUefi1");
    BootUefiCd1 = WithKeys(
        Named(BootUefi1->addAction(QWidget::tr("As a &CD")), "BootUefiCd1"), QKeySequence(Qt::ALT | Qt::Key_F9));
    BootUefiUsb1 = WithKeys(Named(BootUefi1->addAction(QWidget::tr("As a &USB Disk")), "BootUefiUsb1"),
        QKeySequence(Qt::ALT | Qt::SHIFT | Qt::Key_F9));
    BootUefiPxe1 = WithKeys(Named(BootUefi1->addAction(QWidget::tr("As a &PXE Client")), "BootUefiPxe1"),
        QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F9));
    SerialConsole1 = Named(view->addAction(QWidget::tr("&Serial Console of the Virtual Machine")), "SerialConsole1");
    RunConfiguration1 = WithKeys(
        Named(view->addAction(QWidget::tr("&Run Configuration")), "RunConfiguration1"), QKeySequence(Qt::Key_F6));
    View1 = view;
    ViewScreensEnd = view->addSeparator();
    Colouring1 = Checkable(Named(view->addAction(QWidget::tr("&Colours in the Editor")), "Colouring1"));
    WrapLines1 = Checkable(Named(view->addAction(QWidget::tr("&Wrap Lines")), "WrapLines1"));
    QMenu* fonts = view->addMenu(QWidget::tr("Editor &Font"));
    auto* fontGroup = new QActionGroup(&window);
    FontClassic1 = Checkable(Named(fonts->addAction(QWidget::tr("&Classic")), "FontClassic1"));
    FontVga1 = Checkable(Named(fonts->addAction(QWidget::tr("&VGA Screen")), "FontVga1"));
    FontDesktop1 = Checkable(Named(fonts->addAction(QWidget::tr("&Desktop Fixed")), "FontDesktop1"));
    for (QAction* font : { FontClassic1, FontVga1, FontDesktop1 })
        fontGroup->addAction(font);
    view->addSeparator();
    Problems1 = WithKeys(
        Named(view->addAction(QWidget::tr("P&roblems")), "Problems1"), QKeySequence(QStringLiteral("Ctrl+Shift+M")));
}

void GlavnaForm::CreatePopupMenu()
{
    PopupMenu1 = Named(new QMenu(Editor), "PopupMenu1");
    // The editor handles these keys itself; the menu shows them.
    auto add = [this](const QString& caption, const char* name, QKeySequence keys) {
        QAction* action = Named(PopupMenu1->addAction(caption), name);
        action->setShortcut(keys);
        action->setShortcutVisibleInContextMenu(true);
        action->setShortcutContext(Qt::WidgetShortcut);
        return action;
    };
    Undo1 = add(QWidget::tr("&Undo"), "Undo1", QKeySequence::Undo);
    Cut1 = add(QWidget::tr("Cu&t"), "Cut1", QKeySequence::Cut);
    Copy1 = add(QWidget::tr("&Copy"), "Copy1", QKeySequence::Copy);
    Paste1 = add(QWidget::tr("&Paste"), "Paste1", QKeySequence::Paste);
    Find1 = WithKeys(Named(PopupMenu1->addAction(QWidget::tr("&Find...")), "Find1"), QKeySequence::Find);
    Find1->setShortcutVisibleInContextMenu(true);
    Replace1 = WithKeys(
        Named(PopupMenu1->addAction(QWidget::tr("R&eplace...")), "Replace1"), QKeySequence(QStringLiteral("Ctrl+H")));
    Replace1->setShortcutVisibleInContextMenu(true);
    Editor->setContextMenuPolicy(Qt::CustomContextMenu);
}

void GlavnaForm::SetTabOrder()
{
    QWidget* order[]
        = { Editor, ASCIIcode, Button1, groupBG, GroupFG, InsertC, ClrScreen, Preview, tastatura, SingleON };
    for (size_t i = 0; i + 1 < std::size(order); ++i)
        QWidget::setTabOrder(order[i], order[i + 1]);
}

// The design encloses the visible controls with a 5-pixel border; the
// window starts at that size and may grow or shrink from it.
void GlavnaForm::SizeToControls(QMainWindow& window, QWidget& form)
{
    QRect bounds;
    for (QWidget* child : form.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (!child->isHidden())
            bounds |= child->geometry();
    }
    form.resize(bounds.right() + 1 + 5, bounds.bottom() + 1 + 5);
    Stretch = new FormStretch(&form, Editor->geometry(), { kooX, kooY }, &window);
    Stretch->setObjectName(QStringLiteral("FormStretch"));
    window.setCentralWidget(Stretch);
}
