#include "editor/drawing/AnsiArtCommands.h"

#include "common/FileAccess.h"
#include "editor/document/DocumentTabs.h"
#include "screen/AnsiArt.h"
#include "screen/BootScreen.h"

#include <QAction>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QMainWindow>
#include <QMessageBox>
#include <QTextDocument>

namespace {

// No ANSI art comes near this.
constexpr qint64 ArtLimit = qint64(16) << 20;

}

AnsiArtCommands::AnsiArtCommands(EditorHost& host)
    : QObject(&host.Window())
    , m_host(host)
{
    ImportAnsi1 = new QAction(tr("&Import ANSI Art..."), &host.Window());
    ImportAnsi1->setObjectName(QStringLiteral("ImportAnsi1"));
    ImportAnsi1->setShortcut(QKeySequence(QStringLiteral("Ctrl+I")));
    ExportAnsi1 = new QAction(tr("&Export ANSI Art..."), &host.Window());
    ExportAnsi1->setObjectName(QStringLiteral("ExportAnsi1"));
    ExportAnsi1->setShortcut(QKeySequence(QStringLiteral("Ctrl+E")));
    host.AddAction(EditorHost::Place::FileExchange, ImportAnsi1);
    host.AddAction(EditorHost::Place::FileExchange, ExportAnsi1);
    connect(ImportAnsi1, &QAction::triggered, this, &AnsiArtCommands::ImportClicked);
    connect(ExportAnsi1, &QAction::triggered, this, &AnsiArtCommands::ExportClicked);
}

void AnsiArtCommands::ImportClicked()
{
    const QString file = QFileDialog::getOpenFileName(
        &m_host.Window(), tr("Import ANSI Art"), QString(), tr("ANSI art (*.ans *.asc *.ANS *.ASC);;All files (*)"));
    if (!file.isEmpty())
        ImportFrom(file);
}

void AnsiArtCommands::ImportFrom(const QString& file, std::optional<int> firstRow)
{
    QWidget* window = &m_host.Window();
    const ReadOutcome read = ReadFile(file, ArtLimit, ReadableKinds::RegularFiles);
    if (read.failure) {
        QMessageBox::warning(window, tr("Import ANSI Art"),
            tr("Cannot read %1: %2").arg(QFileInfo(file).fileName(), read.failure->reason));
        return;
    }
    const AnsiArt art = ReadAnsiArt(read.bytes);
    const int rows = static_cast<int>(art.rows.size());
    if (!firstRow && rows > Screen::Rows) {
        bool chosen = false;
        const int first = QInputDialog::getInt(window, tr("Import ANSI Art"),
            tr("The art has %1 rows; the screen shows 25. The first row to take:").arg(rows), 1, 1,
            rows - Screen::Rows + 1, 1, &chosen);
        if (!chosen)
            return;
        firstRow = first - 1;
    }
    const ImportedArt imported = ImportAnsiArt(art, firstRow.value_or(0));
    DocumentTabs& documents = m_host.Documents();
    Document& document = documents.Current().IsBlank() ? documents.Current() : documents.Add();
    document.SetBytes(imported.bytes);
    document.Text().setModified(true);
    documents.Relabel();
    if (!imported.losses.isEmpty())
        QMessageBox::information(window, tr("Import ANSI Art"),
            tr("%1 came in, except:\n• %2")
                .arg(QFileInfo(file).fileName(), imported.losses.join(QStringLiteral("\n• "))));
}

void AnsiArtCommands::ExportClicked()
{
    const Document& document = m_host.Documents().Current();
    const QString suggested = document.saveTarget.isEmpty()
        ? QStringLiteral("screen.ans")
        : QFileInfo(document.saveTarget).dir().filePath(QFileInfo(document.saveTarget).completeBaseName() + ".ans");
    const QString file = QFileDialog::getSaveFileName(
        &m_host.Window(), tr("Export ANSI Art"), suggested, tr("ANSI art (*.ans);;All files (*)"));
    if (!file.isEmpty())
        ExportTo(file);
}

bool AnsiArtCommands::ExportTo(const QString& file)
{
    const QByteArray art = WriteAnsiArt(BootScreenOf(m_host.Documents().Current().Bytes()).screen);
    if (const std::optional<SaveFailure> failure = SaveBytes(file, art)) {
        QMessageBox::warning(&m_host.Window(), tr("Export ANSI Art"),
            tr("Cannot write %1: %2").arg(QFileInfo(file).fileName(), FailureDetail(*failure)));
        return false;
    }
    m_host.Say(tr("Exported the loader's screen to %1.").arg(QFileInfo(file).fileName()));
    return true;
}
