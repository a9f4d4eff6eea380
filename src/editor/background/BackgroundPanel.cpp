#include "editor/background/BackgroundPanel.h"

#include "common/Limits.h"
#include "sim/VersionRules.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QImage>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPixmap>
#include <QPushButton>
#include <QRegularExpression>
#include <QSaveFile>
#include <QVBoxLayout>

namespace {

QImage ToImage(const Vesa::Picture& picture)
{
    QImage image(picture.width, picture.height, QImage::Format_RGB32);
    for (int y = 0; y < picture.height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < picture.width; ++x)
            line[x] = 0xFF000000u | picture.At(x, y);
    }
    return image;
}

// A file name the menu can take as one word, from the picture's own.
QString TargetFor(const QString& picked, bool lss16)
{
    QString base = QFileInfo(picked).completeBaseName();
    base.replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9._-]")), QStringLiteral("-"));
    return (base.isEmpty() ? QStringLiteral("background") : base)
        + (lss16 ? QStringLiteral(".lss") : QStringLiteral(".png"));
}

}

BackgroundPanel::BackgroundPanel(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("backgroundPanel"));
    Build();
    ShowCurrent();
}

void BackgroundPanel::Build()
{
    auto* layout = new QVBoxLayout(this);
    m_verdict = new QLabel(this);
    m_verdict->setObjectName(QStringLiteral("backgroundVerdict"));
    m_verdict->setWordWrap(true);
    m_verdict->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    m_preview = new QLabel(this);
    m_preview->setObjectName(QStringLiteral("backgroundPreview"));
    m_preview->setFixedSize(160, 120);
    m_preview->setFrameShape(QFrame::StyledPanel);
    auto* top = new QHBoxLayout;
    top->addWidget(m_preview);
    top->addWidget(m_verdict, 1);
    layout->addLayout(top);

    m_choose = new QPushButton(tr("&Choose Picture…"), this);
    m_choose->setObjectName(QStringLiteral("backgroundChoose"));
    m_use = new QPushButton(tr("&Use As It Is"), this);
    m_use->setObjectName(QStringLiteral("backgroundUse"));
    m_use->setEnabled(false);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_choose);
    buttons->addWidget(m_use);
    buttons->addStretch();
    layout->addLayout(buttons);

    BuildFit(layout);
    auto* contrastLabel = new QLabel(tr("&Entries over the picture:"), this);
    m_contrast = new QListWidget(this);
    m_contrast->setObjectName(QStringLiteral("backgroundContrast"));
    contrastLabel->setBuddy(m_contrast);
    layout->addWidget(contrastLabel);
    layout->addWidget(m_contrast, 1);

    Connect();
}

void BackgroundPanel::BuildFit(QVBoxLayout* layout)
{
    auto* form = new QFormLayout;
    m_mode = new QComboBox(this);
    m_mode->setObjectName(QStringLiteral("backgroundMode"));
    m_mode->addItem(tr("Scale (stretch to the screen)"), int(Vesa::FitMode::Scale));
    m_mode->addItem(tr("Crop (cover the screen)"), int(Vesa::FitMode::Crop));
    m_mode->addItem(tr("Letterbox (whole picture, black bars)"), int(Vesa::FitMode::Letterbox));
    m_mode->setCurrentIndex(1);
    m_kind = new QComboBox(this);
    m_kind->setObjectName(QStringLiteral("backgroundKind"));
    m_kind->addItem(tr("PNG, 256 colours, for vesamenu.c32"));
    m_kind->addItem(tr("LSS16, 640 x 480 in 16 colours, for a display file"));
    m_target = new QLineEdit(this);
    m_target->setObjectName(QStringLiteral("backgroundTarget"));
    m_target->setPlaceholderText(tr("splash.png"));
    form->addRow(tr("Fit &mode:"), m_mode);
    form->addRow(tr("&Kind:"), m_kind);
    form->addRow(tr("&Target name:"), m_target);
    layout->addLayout(form);
    m_fit = new QPushButton(tr("&Fit and Write"), this);
    m_fit->setObjectName(QStringLiteral("backgroundFit"));
    m_fit->setEnabled(false);
    layout->addWidget(m_fit, 0, Qt::AlignLeft);
    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("backgroundStatus"));
    m_status->setWordWrap(true);
    layout->addWidget(m_status);
}

void BackgroundPanel::Connect()
{
    connect(m_choose, &QPushButton::clicked, this, [this] {
        QFileDialog dialog(this, tr("Choose a Background Picture"));
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        dialog.setFileMode(QFileDialog::ExistingFile);
        dialog.setNameFilters(
            { tr("Pictures (*.png *.jpg *.jpeg *.lss *.16 *.bmp *.gif *.webp)"), tr("All files (*)") });
        if (m_files)
            dialog.setDirectory(m_files->HostPath(m_folder).value_or(QString()));
        if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
            ChooseFile(dialog.selectedFiles().constFirst());
    });
    connect(m_use, &QPushButton::clicked, this, &BackgroundPanel::Use);
    connect(m_fit, &QPushButton::clicked, this, &BackgroundPanel::Fit);
    connect(m_kind, &QComboBox::currentIndexChanged, this, [this](int kind) {
        if (!m_chosen.isEmpty())
            m_target->setText(TargetFor(m_chosen, kind == 1));
    });
}

void BackgroundPanel::SetMenu(const BootFiles& files, const QByteArray& folder, QSize resolution,
    const LoaderVersion& version, const QByteArray& background)
{
    m_files = files;
    m_folder = folder;
    m_resolution = resolution;
    m_tiles = VersionRules::BackgroundTiles(version);
    m_background = background;
    ShowCurrent();
}

void BackgroundPanel::ShowCurrent()
{
    m_preview->clear();
    if (m_background.isEmpty()) {
        m_verdict->setText(tr("No MENU BACKGROUND: the menu shows its grey gradient."));
        return;
    }
    if (m_background.startsWith('#')) {
        m_verdict->setText(
            tr("MENU BACKGROUND %1 is a flat colour (its alpha ignored).").arg(QString::fromLatin1(m_background)));
        return;
    }
    const BootFiles::Named named
        = m_files ? m_files->FetchNamed(m_folder, m_background) : BootFiles::Named { std::nullopt, {} };
    if (!m_files || !named.Found()) {
        m_verdict->setText(
            tr("MENU BACKGROUND %1 is not in the tree or cannot be read%2: the loader shows black.")
                .arg(QString::fromLatin1(m_background),
                    named.fetched.reason.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(named.fetched.reason)));
        return;
    }
    ShowVerdict(named.fetched.bytes, QString::fromLatin1(m_background));
}

Vesa::PictureVerdict BackgroundPanel::ShowVerdict(const QByteArray& bytes, const QString& what)
{
    const int width = m_resolution.width(), height = m_resolution.height();
    const Vesa::PictureVerdict verdict = Vesa::BackgroundVerdict(bytes, width, height, m_tiles);
    QString text = tr("%1: %2.").arg(what, verdict.message);
    if (!verdict.colours.isEmpty())
        text += u' ' + tr("Colours: %1.").arg(verdict.colours);
    m_verdict->setText(text);
    m_preview->clear();
    if (verdict.shown == Vesa::PictureVerdict::Shown::TextScreen)
        return verdict;
    const Vesa::Background shown = Vesa::ReadBackground(bytes, width, height);
    if (!shown.screen.pixels.empty())
        m_preview->setPixmap(QPixmap::fromImage(ToImage(shown.screen))
                                 .scaled(m_preview->size(), Qt::KeepAspectRatio, Qt::SmoothTransformation));
    return verdict;
}

void BackgroundPanel::Say(const QString& status, bool problem)
{
    m_status->setText(status);
    m_status->setProperty("problem", problem);
}

std::optional<QByteArray> BackgroundPanel::TreeName(const QString& hostPath) const
{
    const std::optional<QByteArray> image = m_files ? m_files->ImagePathOf(hostPath) : std::nullopt;
    if (!image)
        return std::nullopt;
    const QByteArray prefix = m_folder.endsWith('/') ? m_folder : m_folder + '/';
    return image->startsWith(prefix) ? image->mid(prefix.size()) : *image;
}

void BackgroundPanel::ChooseFile(const QString& path)
{
    m_chosen = path;
    QFile file(path);
    const QByteArray bytes = file.open(QIODevice::ReadOnly) ? file.read(Limits::FileBytes) : QByteArray();
    Vesa::PictureVerdict verdict;
    if (bytes.isEmpty()) {
        m_verdict->setText(tr("%1 cannot be read: %2.").arg(QFileInfo(path).fileName(), file.errorString()));
        m_preview->clear();
    } else {
        verdict = ShowVerdict(bytes, QFileInfo(path).fileName());
    }
    m_target->setText(TargetFor(path, m_kind->currentIndex() == 1));
    const std::optional<QByteArray> name = TreeName(path);
    const auto shown = verdict.shown;
    using Shown = Vesa::PictureVerdict::Shown;
    m_use->setEnabled(name && shown != Shown::Rejected && shown != Shown::TextScreen);
    m_fit->setEnabled(m_files.has_value());
    if (!name)
        Say(tr("It lies outside the boot tree, where the loader cannot open it: Fit and Write puts a fitted copy in "
               "the tree."),
            false);
    else
        Say({}, false);
}
