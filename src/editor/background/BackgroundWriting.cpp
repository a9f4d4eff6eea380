// What the background panel does: names a picture for MENU BACKGROUND,
// fits one and writes it into the tree, lists the faint entries.
#include "editor/background/BackgroundPanel.h"

#include "common/Limits.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QSaveFile>

namespace {

Vesa::Picture FromImage(const QImage& image)
{
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    Vesa::Picture picture(rgb.width(), rgb.height());
    for (int y = 0; y < rgb.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        for (int x = 0; x < rgb.width(); ++x)
            picture.At(x, y) = line[x] & 0xFFFFFFu;
    }
    return picture;
}

}

bool BackgroundPanel::Use()
{
    const std::optional<QByteArray> name = m_chosen.isEmpty() ? std::nullopt : TreeName(m_chosen);
    if (!m_files || !name) {
        Say(tr("Choose a picture inside the boot tree first, or fit one into it."), true);
        return false;
    }
    if (const QString problem = Vesa::BackgroundNameProblem(*name, *m_files, m_folder); !problem.isEmpty()) {
        Say(tr("Not used: %1.").arg(problem), true);
        return false;
    }
    Changed(*name);
    Say(tr("MENU BACKGROUND %1.").arg(QString::fromLatin1(*name)), false);
    emit Chosen(*name);
    return true;
}

std::optional<Vesa::Picture> BackgroundPanel::ReadChosen()
{
    const QString shown = QFileInfo(m_chosen).fileName();
    QImageReader reader(m_chosen);
    reader.setAutoTransform(true);
    const QSize size = reader.size();
    if (size.isValid() && qint64(size.width()) * size.height() * 4 > Limits::FitSourceBytes) {
        Say(tr("Not fitted: %1 is %2 x %3, more than Glimra fits (%4 megapixels).")
                .arg(shown)
                .arg(size.width())
                .arg(size.height())
                .arg(Limits::FitSourceBytes / 4 >> 20),
            true);
        return std::nullopt;
    }
    QImageReader::setAllocationLimit(int(Limits::FitSourceBytes >> 20));
    const QImage image = reader.read();
    if (!image.isNull())
        return FromImage(image);
    // Qt has no LSS16 reader; the loader's own takes a splash to refit.
    QFile file(m_chosen);
    if (file.open(QIODevice::ReadOnly)) {
        if (std::optional<Vesa::Picture> lss16 = Vesa::DecodeLss16(file.read(Limits::FileBytes)))
            return lss16;
    }
    Say(tr("Not fitted: Glimra cannot read %1 as a picture (%2).").arg(shown, reader.errorString()), true);
    return std::nullopt;
}

bool BackgroundPanel::Write(const QByteArray& name, const QByteArray& bytes)
{
    const std::optional<QByteArray> image = BootFiles::Resolve(m_folder, name);
    const std::optional<QString> host = image ? m_files->HostPath(*image) : std::nullopt;
    // The tree's folder on disk: the image root, or the folder standing for
    // the image's first folder when the tree is one folder alone.
    std::optional<QString> root = m_files->HostPath("/");
    if (!root && image)
        root = m_files->HostPath(image->left(image->indexOf('/', 1)));
    const QFileInfo target(host.value_or(QString()));
    if (!host || !root || !QDir().mkpath(target.absolutePath())) {
        Say(tr("Not written: there is no folder for %1 in the tree.").arg(QString::fromLatin1(name)), true);
        return false;
    }
    // A link inside the tree may lead out of it; the file is written only
    // where the tree really is.
    const QString folder = QFileInfo(target.absolutePath()).canonicalFilePath();
    const QString base = QFileInfo(*root).canonicalFilePath();
    if (target.isSymLink() || (folder != base && !folder.startsWith(base + u'/'))) {
        Say(tr("Not written: %1 leads outside the boot tree through a link.").arg(QString::fromLatin1(name)), true);
        return false;
    }
    // Written beside, then renamed over: a failure leaves the old file whole.
    QSaveFile file(target.absoluteFilePath());
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        Say(tr("Not written: %1 (%2).").arg(target.absoluteFilePath(), file.errorString()), true);
        return false;
    }
    return true;
}

bool BackgroundPanel::Fit()
{
    if (!m_files || m_chosen.isEmpty()) {
        Say(tr("Choose a picture to fit first."), true);
        return false;
    }
    const QByteArray name = m_target->text().toUtf8();
    if (const QString problem = Vesa::BackgroundNameProblem(name, *m_files, m_folder); !problem.isEmpty()) {
        Say(tr("Not written: %1.").arg(problem), true);
        return false;
    }
    const std::optional<Vesa::Picture> picture = ReadChosen();
    if (!picture)
        return false;
    const auto mode = static_cast<Vesa::FitMode>(m_mode->currentData().toInt());
    const bool lss16 = m_kind->currentIndex() == 1;
    const Vesa::Fitted fitted = lss16
        ? Vesa::FitLss16(*picture, mode)
        : Vesa::FitBackground(*picture, m_resolution.width(), m_resolution.height(), mode);
    if (!fitted.problem.isEmpty()) {
        Say(tr("Not fitted: %1.").arg(fitted.problem), true);
        return false;
    }
    if (!Write(name, fitted.file))
        return false;
    Changed(name);
    Say(tr("Wrote %1: %2 x %3, %4 bytes.")
            .arg(QString::fromUtf8(name))
            .arg(fitted.pixels.width)
            .arg(fitted.pixels.height)
            .arg(fitted.file.size()),
        false);
    emit Chosen(name);
    return true;
}

void BackgroundPanel::Changed(const QByteArray& background)
{
    m_background = background;
    ShowCurrent();
    // The findings were of the old picture.
    m_contrast->clear();
    m_contrast->addItem(tr("The picture changed: the entries are checked again when the menu is drawn over it."));
}

void BackgroundPanel::SetScreen(const Vesa::MenuFrame& frame, const Vesa::Picture& drawn, const Vesa::Font& font)
{
    m_contrast->clear();
    const std::vector<Vesa::ContrastFinding> findings = Vesa::ContrastFindings(frame, drawn, font);
    for (const Vesa::ContrastFinding& finding : findings) {
        m_contrast->addItem(tr("\u201c%1\u201d (row %2): %3:1 at its faintest letter, %4 of %5 letters under %6:1")
                                .arg(QString::fromLatin1(finding.text))
                                .arg(finding.row + 1)
                                .arg(finding.ratio, 0, 'f', 1)
                                .arg(finding.hardLetters)
                                .arg(finding.letters)
                                .arg(Vesa::ReadableContrast, 0, 'f', 0));
    }
    if (findings.empty())
        m_contrast->addItem(
            tr("Every entry reads at %1:1 or better over the picture.").arg(Vesa::ReadableContrast, 0, 'f', 0));
}

QString BackgroundPanel::VerdictText() const { return m_verdict->text(); }

QString BackgroundPanel::Status() const { return m_status->text(); }

QStringList BackgroundPanel::ContrastLines() const
{
    QStringList lines;
    for (int i = 0; i < m_contrast->count(); ++i)
        lines << m_contrast->item(i)->text();
    return lines;
}
