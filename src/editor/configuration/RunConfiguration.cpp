#include "editor/configuration/RunConfiguration.h"

#include "common/Named.h"
#include "console/qt/QtGeometry.h"
#include "editor/widgets/FormStretch.h"
#include "editor/widgets/ScreenView.h"
#include "preview/PreviewConsole.h"
#include "preview/ScreenImage.h"
#include "render/ScreenPng.h"
#include "vesa/VesaScreen.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QFontDatabase>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

// A picture the loader shows, as the window shows it.
static QImage PictureImage(const Vesa::Picture& drawn)
{
    QImage image(drawn.width, drawn.height, QImage::Format_RGB32);
    for (int y = 0; y < drawn.height; ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < drawn.width; ++x)
            row[x] = 0xFF000000u | drawn.At(x, y);
    }
    return image;
}

RunConfigurationWindow::RunConfigurationWindow(QWidget* parent)
    : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("RunConfiguration"));
    setAttribute(Qt::WA_QuitOnClose, false);
    setWindowTitle(tr("Run Configuration"));
    m_console.RemeasureFont();
    m_screen = Named(new ScreenView(this), "Screen");
    m_screen->setFocusPolicy(Qt::StrongFocus);
    m_screen->installEventFilter(this);
    m_pictureView = Named(new ScreenView(this), "Picture");
    m_pictureView->setFocusPolicy(Qt::StrongFocus);
    m_pictureView->installEventFilter(this);
    m_pictureView->hide();
    m_grubView = Named(new ScreenView(this), "GrubScreen");
    m_grubView->setFocusPolicy(Qt::StrongFocus);
    m_grubView->installEventFilter(this);
    m_grubView->hide();
    m_note = Named(new QLabel(this), "Note");
    m_note->setWordWrap(true);
    m_note->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_note->setFocusPolicy(Qt::NoFocus);

    auto* layout = new QVBoxLayout(this);
    auto* screens = new QHBoxLayout;
    screens->addWidget(m_screen, 1);
    screens->addWidget(m_pictureView, 1);
    screens->addWidget(m_grubView, 1);
    layout->addLayout(screens, 1);
    layout->addLayout(CreateKeys());
    layout->addLayout(CreateControls());
    layout->addWidget(m_note);
    m_serialView = Named(new QPlainTextEdit(this), "SerialPort");
    m_serialView->setReadOnly(true);
    m_serialView->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_serialView->setFocusPolicy(Qt::NoFocus);
    m_serialView->hide();
    layout->addWidget(m_serialView);
    // The keyboard stays with the screen, as the loader keeps it: a click on
    // a control takes no focus.
    for (QAbstractButton* control : findChildren<QAbstractButton*>())
        control->setFocusPolicy(Qt::NoFocus);

    // QEMU's VGA blinks text and the cursor together, in a phase of 267 ms.
    m_blinkTimer.setInterval(267);
    connect(&m_blinkTimer, &QTimer::timeout, this, &RunConfigurationWindow::ToggleBlink);
    m_blinkTimer.start();
    m_clock.setInterval(1000);
    connect(&m_clock, &QTimer::timeout, this, &RunConfigurationWindow::Tick);
    m_clock.start();
}

// F1-F12 in a row.
QLayout* RunConfigurationWindow::CreateKeys()
{
    auto* keys = new QGridLayout;
    keys->setSpacing(2);
    using Key = LoaderInput::Key;
    for (int index = 0; index < 12; ++index) {
        auto* button = Named(new QPushButton(QStringLiteral("F%1").arg(index + 1), this),
            QStringLiteral("F%1").arg(index + 1).toLatin1().constData());
        const Key key = static_cast<Key>(static_cast<int>(Key::F1) + index);
        connect(button, &QPushButton::clicked, this, [this, key] {
            GiveFocused({ LoaderInput::Kind::Key, key, 0, 0 });
        });
        // Twelve in a row no wider than the screen at its smallest.
        button->setFixedWidth(button->fontMetrics().horizontalAdvance(QStringLiteral("F12")) * 2);
        keys->addWidget(button, 0, index);
    }
    return keys;
}

// Restart, the timeout, and the start from a blank screen.
QLayout* RunConfigurationWindow::CreateControls()
{
    auto* restart = Named(new QPushButton(tr("&Restart"), this), "Restart");
    auto* timeout = Named(new QPushButton(tr("Let the &timeout run out"), this), "RunOutTimeout");
    m_blankStart = Named(new QCheckBox(tr("Start from a &blank screen"), this), "BlankStart");
    connect(restart, &QPushButton::clicked, this, &RunConfigurationWindow::Restart);
    connect(timeout, &QPushButton::clicked, this, [this] {
        GiveFocused({ LoaderInput::Kind::Timeout, LoaderInput::Key::None, 0, 0 });
    });
    connect(m_blankStart, &QCheckBox::toggled, this, &RunConfigurationWindow::Restart);
    m_serialShown = Named(new QCheckBox(tr("&Serial port"), this), "SerialShown");
    connect(m_serialShown, &QCheckBox::toggled, this, [this](bool on) {
        m_serialView->setVisible(on);
        ShowNote();
    });
    auto* controls = new QHBoxLayout;
    controls->addWidget(restart);
    controls->addWidget(timeout);
    controls->addWidget(m_blankStart);
    controls->addWidget(m_serialShown);
    controls->addStretch();
    controls->addLayout(CreateFirmware());
    return controls;
}

// BIOS: ISOLINUX's side alone; UEFI: GRUB's beside it.
QLayout* RunConfigurationWindow::CreateFirmware()
{
    m_bios = Named(new QRadioButton(tr("B&IOS"), this), "FirmwareBios");
    m_uefi = Named(new QRadioButton(tr("&UEFI"), this), "FirmwareUefi");
    m_bios->setChecked(true);
    m_uefi->setEnabled(false);
    m_uefi->setToolTip(tr("GRUB's menu of the same tree beside ISOLINUX's, as a UEFI machine shows it"));
    connect(m_uefi, &QRadioButton::toggled, this, &RunConfigurationWindow::ShowUefi);
    auto* firmware = new QHBoxLayout;
    firmware->addWidget(m_bios);
    firmware->addWidget(m_uefi);
    return firmware;
}

void RunConfigurationWindow::SetGrubSide(GrubSide side)
{
    m_grub.SetSide(std::move(side));
    m_uefi->setEnabled(m_grub.Available());
}

bool RunConfigurationWindow::UefiShown() const { return m_uefi->isChecked() && m_grub.Available(); }

void RunConfigurationWindow::ShowUefi(bool shown)
{
    if (m_uefi->isChecked() != shown) {
        (shown ? m_uefi : m_bios)->setChecked(true); // which comes back here
        return;
    }
    const bool wasShown = !m_grubView->isHidden();
    m_grubView->setVisible(UefiShown());
    m_grubFocused = m_grubFocused && UefiShown();
    if (UefiShown() && !wasShown && !m_configFile.isEmpty()) {
        m_grub.Restart(Files(), m_client);
        ShowGrub();
    }
    // The side just asked for takes the keyboard, so the keys alone play it.
    if (UefiShown() && !wasShown)
        m_grubView->setFocus();
    if (!UefiShown() && m_grubView->hasFocus())
        (m_pictureShown ? m_pictureView : m_screen)->setFocus();
    m_fittedTo = QSize();
    FitToScreen();
    ShowNote();
}

void RunConfigurationWindow::GiveFocused(const LoaderInput& input)
{
    if (UefiShown() && m_grubFocused)
        GiveGrub(input);
    else
        Give(input);
}

void RunConfigurationWindow::GiveGrub(const LoaderInput& input)
{
    m_grub.Give(input);
    ShowGrub();
    ShowNote();
}

void RunConfigurationWindow::ShowGrub()
{
    if (!UefiShown())
        return;
    const std::optional<Vesa::Picture> picture = m_grub.Picture();
    m_grubView->Show(picture ? PictureImage(*picture) : QImage());
    FitToScreen();
}

void RunConfigurationWindow::Tick()
{
    if (m_loader && m_loader->RunningMenu() && m_loader->RunningMenu()->Counting() && isVisible())
        Give({ LoaderInput::Kind::Sleep, LoaderInput::Key::None, 0, 1000 });
    if (UefiShown() && m_grub.Counting() && isVisible())
        GiveGrub({ LoaderInput::Kind::Sleep, LoaderInput::Key::None, 0, 1000 });
}

RunConfigurationWindow::~RunConfigurationWindow() = default;

void RunConfigurationWindow::SetConfiguration(const QString& configFile)
{
    m_configFile = configFile;
    ShowTitle();
    Restart();
}

void RunConfigurationWindow::SetLoader(const LoaderVersion& version)
{
    if (version == m_version)
        return;
    m_version = version;
    ShowTitle();
    Replay();
}

void RunConfigurationWindow::ShowTitle()
{
    const QString product = QString::fromLatin1(m_version.banner.left(m_version.banner.indexOf(' ')));
    setWindowTitle(
        tr("Run Configuration — %1 — %2 %3").arg(QFileInfo(m_configFile).fileName(), product, m_version.Name()));
}

void RunConfigurationWindow::Restart()
{
    m_given.clear();
    if (UefiShown() && !m_configFile.isEmpty())
        m_grub.Restart(Files(), m_client);
    Play();
}

void RunConfigurationWindow::Replay() { Play(); }

BootFiles RunConfigurationWindow::Files() const
{
    BootFiles files = BootFiles::ForConfiguration(m_configFile);
    if (m_unsaved) {
        const QHash<QString, QByteArray> texts = m_unsaved();
        for (auto text = texts.begin(); text != texts.end(); ++text)
            files.SetText(text.key(), text.value());
    }
    return files;
}

void RunConfigurationWindow::Play()
{
    if (m_configFile.isEmpty())
        return;
    m_loader = std::make_unique<LoaderSim>(m_console, Files(),
        m_blankStart->isChecked() ? LoaderSim::Start::Blank : LoaderSim::Start::Banner, m_version, m_client);
    for (const LoaderInput& input : m_given)
        m_loader->Give(input);
    // The GRUB side follows edits too, its own keys given again.
    if (UefiShown())
        m_grub.Play(Files(), m_client);
    ShowGrub();
    ShowScreen();
    ShowText();
    ShowNote();
}

void RunConfigurationWindow::Give(const LoaderInput& input)
{
    if (!m_loader)
        return;
    m_given.push_back(input);
    m_loader->Give(input);
    ShowScreen();
    ShowText();
    ShowNote();
}

// The text screen, vesamenu.c32's picture while it runs (in its font and
// with its background read as the loader reads it), or the picture the
// 3.x/4.x core shows in graphics mode.
void RunConfigurationWindow::ShowScreen()
{
    const std::optional<LoaderSim::Graphics> graphics = m_loader ? m_loader->GraphicalMenu() : std::nullopt;
    const std::optional<Vesa::Picture> core = m_loader ? m_loader->CoreGraphicsPicture() : std::nullopt;
    m_pictureNote.clear();
    std::optional<Vesa::Font> font;
    if (graphics)
        font = MenuFont(m_pictureNote);
    const bool picture = (graphics && font) || core;
    if (core) {
        m_picture = PictureImage(*core);
        m_pictureView->Show(m_picture);
    } else if (picture) {
        // Per file: the folder and name the menu looks the picture up by.
        const QByteArray file = graphics->folder + '\0' + graphics->background;
        const Vesa::MenuScreen screen
            = Vesa::DrawLoaderMenu(*graphics, *font, [&](QByteArrayView bytes, int width, int height) {
                  return m_backgrounds.Read(file, bytes, width, height);
              });
        m_picture = PictureImage(screen.picture);
        m_pictureView->Show(m_picture);
        if (!screen.problem.isEmpty())
            m_pictureNote += u' ' + screen.problem + u'.';
        emit MenuDrawn(*graphics, screen.picture, *font);
    } else if (graphics) {
        m_pictureNote = tr("The graphical menu runs, but neither QEMU's VGA BIOS (Debian package seabios) nor the "
                           "VGA face (fonts-pc) is there to draw it with.");
    }
    const bool focused = m_screen->hasFocus() || m_pictureView->hasFocus();
    m_pictureShown = picture;
    m_screen->setVisible(!picture);
    m_pictureView->setVisible(picture);
    if (focused)
        (picture ? static_cast<QWidget*>(m_pictureView) : m_screen)->setFocus();
}

void RunConfigurationWindow::ShowNote()
{
    QString note = m_loader ? m_loader->Note() : QString();
    if (!m_pictureNote.isEmpty())
        note = (note + u' ' + m_pictureNote.trimmed()).trimmed();
    if (m_loader && m_loader->AtPrompt() && m_loader->Config().timeoutMs > 0 && m_given.empty())
        note = tr("The loader waits %1 s for a first key, showing no countdown, then boots its default.")
                   .arg(m_loader->Config().timeoutMs / 1000.0);
    if (UefiShown() && !m_grub.Note().isEmpty())
        note = (note + u'\n' + m_grub.Note()).trimmed();
    m_note->setText(note);
    if (m_serialView->isVisible())
        m_serialView->setPlainText(SerialText(m_loader ? m_loader->SerialPort() : QByteArray()));
}

// What a terminal on the port received, its control bytes shown as
// symbols (ESC as U+241B) and its CR LF as line breaks.
QString RunConfigurationWindow::SerialText(const QByteArray& bytes)
{
    QString text;
    for (qsizetype at = 0; at < bytes.size(); ++at) {
        const auto byte = static_cast<unsigned char>(bytes[at]);
        if (byte == '\r' && at + 1 < bytes.size() && bytes[at + 1] == '\n')
            continue;
        if (byte == '\n')
            text += u'\n';
        else if (byte < 0x20 || byte == 0x7f)
            text += QChar(byte == 0x7f ? 0x2421 : 0x2400 + byte);
        else
            text += QChar(byte); // the port's bytes as Latin-1
    }
    return text;
}

void RunConfigurationWindow::ShowText()
{
    m_screen->Show(PaintScreen(m_console, m_glyphs, m_blinkShown ? BlinkPhase::Shown : BlinkPhase::Hidden));
    // The BIOS's underline in mode 3: the last two of a cell's 16 lines, in
    // the cell's foreground colour. A menu hides it; vesamenu.c32 draws its own.
    const MenuSim* menu = m_loader ? m_loader->RunningMenu() : nullptr;
    if (m_loader && m_blinkShown && (!menu || menu->CursorShown())) {
        const CellPair cell = m_console.CellSize();
        const CellPair at = m_console.Cursor();
        const int top = cell.y * 14 / VgaCellHeight;
        m_screen->SetCursor(QRect(at.x * cell.x, at.y * cell.y + top, cell.x, cell.y - top),
            ToQColor(m_console.CellAttr(at.x, at.y).Color()));
    } else {
        m_screen->SetCursor(std::nullopt);
    }
    FitToScreen();
}

// The largest whole scale at which the window fits the screen it is on, up
// to one picture pixel per point; again whenever a picture's size changes
// (text, a graphical menu's resolution, GRUB's screen shown beside).
void RunConfigurationWindow::FitToScreen()
{
    const ScreenView* shown = m_pictureShown ? m_pictureView : m_screen;
    const bool both = !m_grubView->isHidden();
    const QSize pictures = shown->Shown().size() + (both ? QSize(m_grubView->Shown().width(), 0) : QSize(0, 0));
    if (pictures == m_fittedTo)
        return;
    m_fittedTo = pictures;
    // The screens side by side at one scale, and the window around them.
    const auto row = [&](int scale) {
        const QSize grub = both ? m_grubView->SizeAt(scale) : QSize(0, 0);
        return QSize(
            shown->SizeAt(scale).width() + grub.width(), std::max(shown->SizeAt(scale).height(), grub.height()));
    };
    const QSize room = WindowRoom(screen());
    const QSize around = sizeHint() - row(1) + shown->SizeAt(1) - shown->sizeHint()
        + (both ? m_grubView->SizeAt(1) - m_grubView->sizeHint() : QSize(0, 0));
    int scale = std::max(1, int(std::lround(devicePixelRatioF())));
    while (scale > 1 && !QRect(QPoint(), room).contains(QRect(QPoint(), row(scale) + around)))
        --scale;
    resize((row(scale) + around).boundedTo(room));
}

void RunConfigurationWindow::ToggleBlink()
{
    m_blinkShown = !m_blinkShown;
    ShowText();
}

std::optional<std::pair<int, int>> RunConfigurationWindow::EntryAt(QWidget* view, QPointF point) const
{
    const MenuSim* menu = m_loader ? m_loader->RunningMenu() : nullptr;
    const auto* screen = qobject_cast<ScreenView*>(view);
    if (!menu || !screen || screen->Shown().isNull())
        return std::nullopt;
    const QRectF picture = screen->PictureRect();
    if (!picture.contains(point))
        return std::nullopt;
    // Rows of the menu's own screen, whatever its font and resolution.
    const int rows = menu->Console().Rows();
    const int row = static_cast<int>((point.y() - picture.top()) * rows / picture.height()) + 1;
    const Menu& shown = menu->Config().At(menu->MenuIndex());
    const MenuLayout layout = shown.Layout(menu->Console().Columns(), rows);
    if (row == layout.BoxTop() + 1)
        return std::pair(menu->MenuIndex(), -1);
    const int entry = layout.EntryOf(row, menu->Top());
    if (row < layout.FirstRow() || row >= layout.FirstRow() + layout.Rows() || entry < 0
        || entry >= static_cast<int>(shown.entries.size()))
        return std::nullopt;
    return std::pair(menu->MenuIndex(), entry);
}

void RunConfigurationWindow::Highlight(int menu, int entry)
{
    const auto running = [this] { return m_loader ? m_loader->RunningMenu() : nullptr; };
    if (!running() || running()->MenuIndex() != menu || running()->State() != MenuSim::Outcome::Running)
        return;
    const std::size_t count = running()->Config().At(menu).entries.size();
    // Each key moves one entry on, over disabled ones; stop when one moves nothing.
    for (std::size_t step = 0; step < count && running() && running()->Entry() != entry; ++step) {
        const int before = running()->Entry();
        Give({ LoaderInput::Kind::Key, entry > before ? LoaderInput::Key::Down : LoaderInput::Key::Up, 0, 0 });
        if (!running() || running()->Entry() == before || (entry > before) != (running()->Entry() > before))
            break;
    }
}

bool RunConfigurationWindow::eventFilter(QObject* watched, QEvent* event)
{
    const bool press = event->type() == QEvent::MouseButtonPress;
    if ((watched == m_screen || watched == m_pictureView) && (press || event->type() == QEvent::MouseButtonDblClick)) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (const auto at = EntryAt(static_cast<QWidget*>(watched), mouse->position())) {
            if (press)
                emit EntryClicked(at->first, at->second);
            else
                emit EntryDoubleClicked(at->first, at->second);
        }
        return false;
    }
    const bool grub = watched == m_grubView;
    const bool screen = watched == m_screen || watched == m_pictureView || grub;
    if (screen && event->type() == QEvent::FocusIn)
        m_grubFocused = grub; // the buttons' keys follow the keyboard
    // Every key on the screen is the loader's, F1 and the others too,
    // before any of the main window's shortcuts.
    if (screen && event->type() == QEvent::ShortcutOverride) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (LoaderInputOf(key->key(), key->modifiers(), key->text()))
            event->accept();
        return false;
    }
    if (screen && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (const std::optional<LoaderInput> input = LoaderInputOf(key->key(), key->modifiers(), key->text()))
            grub ? GiveGrub(*input) : Give(*input);
        return true; // Tab too: the screen keeps the focus, as the loader keeps the keyboard
    }
    return QWidget::eventFilter(watched, event);
}
