#include "Glavna.h"

#include "About.h"
#include "CharacterTable.h"
#include "ColourSelector.h"
#include "DocumentEdit.h"
#include "console/ErrorBox.h"
#include "FindReplaceDialog.h"
#include "IntegerText.h"
#include "NARH.h"
#include "ProgramIcon.h"
#include "WrappingButton.h"
#include "CaretCoordinates.h"
#include "console/Font.h"
#include "console/QtFonts.h"
#include "format/Cp437.h"
#include "format/DisplayCodes.h"
#include "format/Palette.h"
#include "preview/Preview.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QKeyEvent>
#include <QLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTextBlock>

namespace {

// The PC screen's face at a pixel height, for the document and the table.
QFont PcScreenFont(int pixels)
{
    TFont font;
    font.SetName(QStringLiteral("Fixedsys"));
    font.SetHeight(pixels);
    font.SetPitch(TFontPitch::Fixed);
    font.SetCharset(OEM_CHARSET);
    return PlatformFont(font);
}

QColor PaletteColour(int digit)
{
    const TColor colour = Palette[digit];
    return QColor(RedOf(colour), GreenOf(colour), BlueOf(colour));
}

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

constexpr int LegendTop = 24;

}

TGlavna::TGlavna(QWidget* parent)
    : QMainWindow(parent)
{
    setWindowTitle(QStringLiteral("Glimra"));
    setWindowIcon(ProgramIcon());
    CreateControls();
    CreateLegend();
    CreateMenus();
    CreateDialogs();
    CreateEditMenu();
    SetTabOrder();
    SizeToControls();
    FormCreate();
}

TGlavna::~TGlavna() = default;

void TGlavna::ConnectWindows(TNARHForm& help, TAboutBox& about, TPreviewFR& preview)
{
    m_help = &help;
    m_about = &about;
    m_preview = &preview;
    preview.SetTextSource([this] { return Editor->Bytes(); });
    connect(&preview, &TPreviewFR::FormClose, this, [this] {
        activateWindow();
        Editor->setFocus();
    });
}

void TGlavna::CreateControls()
{
    auto* form = new QWidget(this);
    setCentralWidget(form);
    QFont sans = form->font();
    sans.setPixelSize(11);
    form->setFont(sans);

    Editor = new DocumentEdit(form);
    Editor->setGeometry(0, 0, 625, 345);
    Editor->setFont(PcScreenFont(11));
    connect(Editor, &DocumentEdit::KeyDown, this, &TGlavna::EditorKeyDown);
    connect(Editor, &DocumentEdit::KeyUp, this, &TGlavna::EditorKeyUp);
    connect(Editor, &DocumentEdit::Replaced, this, &TGlavna::ShowReplaced);

    ASCIIcode = new QLineEdit(form);
    ASCIIcode->setGeometry(0, 352, 33, 25);
    ASCIIcode->setMaxLength(3);
    ASCIIcode->installEventFilter(this);
    Button1 = new QPushButton(QStringLiteral("Insert ASCII"), form);
    Button1->setGeometry(40, 352, 75, 25);
    connect(Button1, &QPushButton::clicked, this, [this] { RunCommand([this] { Button1Click(); }); });

    tastatura = new CharacterTable(form);
    tastatura->setGeometry(0, 384, 545, 113);
    tastatura->setFont(PcScreenFont(13));
    connect(tastatura, &CharacterTable::Clicked, this, &TGlavna::tastaturaClick);
    connect(tastatura, &CharacterTable::DoubleClicked, this, &TGlavna::tastaturaDblClick);
    SingleON = new QCheckBox(QStringLiteral("SingleClickON"), form);
    SingleON->setGeometry(552, 480, 97, 17);

    groupBG = new ColourSelector(QStringLiteral("BG"), 0, form);
    groupBG->setGeometry(648, 3, 41, 285);
    GroupFG = new ColourSelector(QStringLiteral("FG"), 7, form);
    GroupFG->setGeometry(728, 3, 41, 285);

    InsertC = new WrappingButton(QStringLiteral("Insert Color Command"), form);
    InsertC->setGeometry(677, 296, 89, 33);
    connect(InsertC, &QPushButton::clicked, this, [this] { RunCommand([this] { InsertCClick(); }); });
    ClrScreen = new WrappingButton(QStringLiteral("Insert Clear Screen"), form);
    ClrScreen->setGeometry(677, 336, 89, 33);
    connect(ClrScreen, &QPushButton::clicked, this, [this] { RunCommand([this] { ClrScreenClick(); }); });
    Preview = new QPushButton(QStringLiteral("Preview"), form);
    Preview->setGeometry(677, 376, 89, 33);
    connect(Preview, &QPushButton::clicked, this, [this] { RunCommand([this] { PreviewClick(); }); });

    kooY = new QLabel(QStringLiteral("Y:"), form);
    kooY->move(632, 328);
    kooX = new QLabel(QStringLiteral("X:"), form);
    kooX->move(592, 352);
    for (QLabel* label : { kooX, kooY })
        label->setMinimumWidth(80);

    debugy = new QLabel(QStringLiteral("debugy"), form);
    debugy->setGeometry(776, 312, 81, 33);
    debugy->hide();
    TempM = new DocumentEdit(form);
    TempM->setPlainText(QStringLiteral("TempM"));
    TempM->setGeometry(792, 368, 49, 17);
    TempM->hide();

    About = ColouredLabel(QStringLiteral("Glimra (c) 2004 ver. 1.0.1"), PaletteColour(1), PaletteColour(14), form);
    About->move(648, 448);
    About->adjustSize();
}

// Beside each selector entry, the colour it stands for. Background digits
// 8-f make the foreground blink on the dark colour digit - 8.
void TGlavna::CreateLegend()
{
    QWidget* form = centralWidget();
    const QColor white = PaletteColour(15);
    for (int row = 0; row < 16; ++row) {
        QLabel* foreground = ColouredLabel(QStringLiteral(" "), PaletteColour(row), white, form);
        foreground->setObjectName(QStringLiteral("Label%1").arg(row < 15 ? row + 2 : 33));
        foreground->setGeometry(770, LegendTop + ColourSelector::ItemPitch * row, 28, 13);
        const bool blinks = row >= 8;
        QLabel* background
            = ColouredLabel(blinks ? QStringLiteral("Blink") : QStringLiteral(" "), PaletteColour(row % 8), white, form);
        background->setObjectName(QStringLiteral("Label%1").arg(row + 17));
        background->setGeometry(690, LegendTop + ColourSelector::ItemPitch * row, 28, 13);
        background->setAlignment(Qt::AlignCenter);
        QFont small = background->font();
        small.setPixelSize(9);
        background->setFont(small);
    }
}

void TGlavna::CreateMenus()
{
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    file->addAction(QStringLiteral("&New"), this, [this] { RunCommand([this] { New1Click(); }); });
    file->addAction(QStringLiteral("&Open..."), this, [this] { RunCommand([this] { Open1Click(); }); });
    Save1 = file->addAction(QStringLiteral("&Save"), this, [this] { RunCommand([this] { Save1Click(); }); });
    Save1->setEnabled(false);
    file->addAction(QStringLiteral("Save &As..."), this, [this] { RunCommand([this] { SaveAs1Click(); }); });
    file->addSeparator();
    file->addAction(QStringLiteral("E&xit"), this, &TGlavna::Exit1Click);

    QMenu* help = menuBar()->addMenu(QStringLiteral("NARH"));
    help->addAction(QStringLiteral("Not A Real Help"), this, &TGlavna::NotARealHelp1Click);
    help->addAction(QStringLiteral("About"), this, &TGlavna::About1Click);
}

void TGlavna::SetTabOrder()
{
    QWidget* order[] = { Editor, ASCIIcode, Button1, groupBG, GroupFG, InsertC, ClrScreen, Preview, tastatura, SingleON };
    for (size_t i = 0; i + 1 < std::size(order); ++i)
        setTabOrder(order[i], order[i + 1]);
}

// The window encloses its visible controls with a 5-pixel border.
void TGlavna::SizeToControls()
{
    QRect bounds;
    for (QWidget* child : centralWidget()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (!child->isHidden())
            bounds |= child->geometry();
    }
    centralWidget()->setFixedSize(bounds.right() + 1 + 5, bounds.bottom() + 1 + 5);
    statusBar()->setSizeGripEnabled(false);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
}

void TGlavna::RunCommand(const std::function<void()>& command) { ::RunCommand(this, command); }

void TGlavna::ShowReplaced(const QString& characters)
{
    statusBar()->showMessage(
        QStringLiteral("Replaced by ?, as they have no code on the PC screen: %1").arg(characters), 15000);
}

// ---- Command insertion -----------------------------------------------------

void TGlavna::InsertText(const QString& text)
{
    TempM->setPlainText(text);
    if (text.isEmpty())
        return;
    TempM->selectAll();
    TempM->copy();
    Editor->paste();
}

void TGlavna::InsertCClick()
{
    TempM->clear();
    const QByteArray command = QByteArray(1, DisplayCode::ColourCommand) + groupBG->ItemText().toLatin1()
        + GroupFG->ItemText().toLatin1();
    InsertText(Cp437::DecodeDocument(command));
    Editor->setFocus();
}

void TGlavna::ClrScreenClick()
{
    if (Editor->Bytes().contains(DisplayCode::ClearScreen)) {
        QMessageBox::information(this, QStringLiteral("Information"), QStringLiteral("Clear Screen command exist"));
    } else {
        // An ordinary edit at the very start, so Undo takes it back.
        QTextCursor start(Editor->document());
        start.insertText(QString(QChar(Cp437::ToUnicode(DisplayCode::ClearScreen))));
    }
    QTextCursor caret = Editor->textCursor();
    caret.setPosition(std::min(1, Editor->document()->characterCount() - 1));
    Editor->setTextCursor(caret);
    Editor->setFocus();
}

void TGlavna::Button1Click()
{
    TempM->clear();
    const std::int32_t code = StrToInt(ASCIIcode->text());
    // Negative codes would wrap to their low byte; they are refused instead.
    if (code > 255 || code < 0) {
        QMessageBox::information(this, QStringLiteral("Information"), QStringLiteral("Not valid ASCII code"));
        return;
    }
    if (code == 0)
        return; // the document cannot hold NUL
    InsertText(Cp437::DecodeDocument(QByteArray(1, static_cast<char>(code))));
}

bool TGlavna::eventFilter(QObject* watched, QEvent* event)
{
    // ASCIIcodeKeyDown: Enter inserts, and the key goes on to the field.
    if (watched == ASCIIcode && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter)
            RunCommand([this] { Button1Click(); });
    }
    return QMainWindow::eventFilter(watched, event);
}

// ---- Caret coordinates -------------------------------------------------------

void TGlavna::EditorKeyDown() { UpdateCaretLabels(); }

void TGlavna::EditorKeyUp() { UpdateCaretLabels(); }

void TGlavna::UpdateCaretLabels()
{
    const int start = Editor->textCursor().selectionStart();
    const DocumentEdit::VisualLine line = Editor->LineAt(start);
    const CaretColumns columns
        = ColumnsOf(line.bytes, start - line.start, [this](const QByteArray& window) {
              debugy->setText(Cp437::DecodeCells(window));
          });
    kooX->setText(ColumnCaption(columns));
    kooY->setText(LineCaption(line.index));
}

// ---- On-screen keyboard --------------------------------------------------------

void TGlavna::FormCreate()
{
    tastatura->clear();
    tastatura->setPlainText(CharacterTable::TableText());
}

// Selects the one table character at the start of the table's selection
// and copies it; false when the selection starts past the last character.
bool TGlavna::CopyPickedCharacter()
{
    QTextCursor pick = tastatura->textCursor();
    const int position = pick.selectionStart();
    if (position >= CharacterTable::TableLength)
        return false;
    pick.setPosition(position);
    pick.setPosition(position + 1, QTextCursor::KeepAnchor);
    tastatura->setTextCursor(pick);
    tastatura->copy();
    return true;
}

void TGlavna::tastaturaClick()
{
    if (!SingleON->isChecked())
        return;
    TempM->clear();
    if (!CopyPickedCharacter())
        return;
    TempM->paste();
    const QString picked = TempM->document()->toRawText();
    if (picked == u" ")
        return;
    InsertText(picked);
    Editor->setFocus();
}

// A double-click selected the character and its spaces as one word.
void TGlavna::tastaturaDblClick()
{
    if (SingleON->isChecked() || !CopyPickedCharacter())
        return;
    Editor->paste();
    Editor->setFocus();
}

// ---- Help, about, preview ----------------------------------------------------------

void TGlavna::NotARealHelp1Click()
{
    if (m_help)
        m_help->exec();
}

void TGlavna::About1Click()
{
    if (m_about)
        m_about->exec();
}

void TGlavna::PreviewClick()
{
    if (!m_preview)
        return;
    m_preview->show();
    m_preview->raise();
    m_preview->activateWindow();
    m_preview->Console().Font().SetName(QStringLiteral("Terminal"));
    m_preview->Console().Font().SetCharset(OEM_CHARSET);
    m_preview->Button1->click();
}
