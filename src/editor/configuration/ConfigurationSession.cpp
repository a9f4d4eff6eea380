#include "editor/configuration/ConfigurationSession.h"
#include "lint/UefiLint.h"

#include "config/ConfigSet.h"
#include "editor/configuration/ConfigurationDock.h"
#include "editor/configuration/LoaderChoice.h"
#include "editor/configuration/PxeClientChoice.h"
#include "editor/configuration/RunConfiguration.h"
#include "editor/document/DocumentTabs.h"
#include "editor/widgets/DockEntry.h"
#include "grub/GrubPlay.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QMainWindow>
#include <QTreeWidget>

#include <utility>

// The window's child: its timer must not outlive the window it reads.
ConfigurationSession::ConfigurationSession(EditorHost& host)
    : QObject(&host.Window())
    , m_host(host)
    , m_dock(new ConfigurationDock(&host.Window()))
    , m_loader(new LoaderChoice(host))
    , m_pxe(new PxeClientChoice(host))
{
    m_dock->setAllowedAreas(Qt::LeftDockWidgetArea | Qt::RightDockWidgetArea);
    host.Window().addDockWidget(Qt::RightDockWidgetArea, m_dock);
    m_dock->hide();
    auto* entry = new QAction(tr("Con&figuration"), &host.Window());
    entry->setObjectName(QStringLiteral("Configuration1"));
    entry->setShortcut(QKeySequence(QStringLiteral("Ctrl+Shift+C")));
    ReachDock(entry, m_dock, m_dock->Tree(), [&host] { host.FocusDocument(); });
    host.AddAction(EditorHost::Place::ViewDocks, entry);
    connect(m_loader, &LoaderChoice::Changed, this, [this] {
        Refresh();
        emit LoaderChosen();
    });
    connect(m_pxe, &PxeClientChoice::Changed, this, &ConfigurationSession::Refresh);
    connect(m_dock, &ConfigurationDock::FileChosen, this,
        [this](const QString& file, int line) { m_host.OpenAt(file, line); });
    // Edits come in bursts; the set is read again once one is over.
    m_refresh.setSingleShot(true);
    m_refresh.setInterval(150);
    connect(&m_refresh, &QTimer::timeout, this, &ConfigurationSession::Refresh);
    host.Documents().FollowEdits(this, [this](const Document&) {
        if (!m_configFile.isEmpty())
            m_refresh.start();
    });
}

ConfigurationSession::~ConfigurationSession() = default;

void ConfigurationSession::Open(const QString& configFile)
{
    m_configFile = QFileInfo(configFile).absoluteFilePath();
    Refresh();
    m_dock->show();
    m_dock->raise();
    // Its first showing takes the width the first window made room for.
    if (!std::exchange(m_dockSized, true))
        m_host.Window().resizeDocks({ m_dock }, { ConfigurationDock::PreferredWidth }, Qt::Horizontal);
    if (m_window)
        m_window->SetConfiguration(PlayedFile());
}

LoaderVersion ConfigurationSession::Loader() const { return m_loader->Loader(); }

void ConfigurationSession::Refresh()
{
    if (m_configFile.isEmpty())
        return;
    m_files = std::make_unique<BootFiles>(BootFiles::ForConfiguration(m_configFile));
    const QHash<QString, QByteArray> texts = m_host.Documents().Texts();
    for (auto text = texts.begin(); text != texts.end(); ++text)
        m_files->SetText(text.key(), text.value());
    m_configurationFiles.clear();
    for (const QByteArray& path : ReadConfigSet(*m_files).ConfigurationFiles()) {
        if (const std::optional<QString> host = m_files->HostPath(path))
            m_configurationFiles << QFileInfo(*host).absoluteFilePath();
    }
    // The tree is known by its root folder, or the configuration's folder
    // for a configuration outside any loader folder.
    m_loader->SetTree(QDir::cleanPath(m_files->HostPath("/").value_or(QFileInfo(m_configFile).absolutePath())),
        DetectLoader(*m_files));
    m_dock->Show(*m_files, ReadBootConfig(*m_files, m_files->ConfigPath(), m_files->StartFolder()), Loader());
    FindPlayedFile();
    m_dock->ShowUefiSide(LintUefiSide(*m_files));
    m_dock->ShowBoot(PlayToBoot(WithTexts(PlayedFile()), Loader(), m_client));
    m_dock->FitColumns();
    emit Read();
    if (m_window) {
        m_window->SetPxeClient(m_client);
        m_window->SetLoader(Loader());
        if (m_window->ConfigFile() != PlayedFile())
            m_window->SetConfiguration(PlayedFile());
    }
    if (m_window && m_window->isVisible() && m_host.FollowsEdits())
        m_window->Replay();
}

void ConfigurationSession::FollowNow()
{
    m_refresh.stop();
    Refresh();
    if (m_window && m_window->isVisible() && !m_host.FollowsEdits())
        m_window->Replay();
}

void ConfigurationSession::FindPlayedFile()
{
    m_client.reset();
    m_playedFile.clear();
    if (!LoaderPlaceOf(m_files->ConfigPath()).pxe)
        return;
    m_client = PxeClientChoice::Stored();
    const std::vector<PxeCandidate> candidates = PxeCandidates(*m_files, *m_client, Loader(), m_files->ConfigPath());
    m_dock->ShowPxeClient(*m_client, candidates);
    if (const std::optional<PxeCandidate> chosen = PxeChosen(candidates))
        m_playedFile = QFileInfo(m_files->HostPath(chosen->imagePath).value_or(m_configFile)).absoluteFilePath();
}

BootFiles ConfigurationSession::WithTexts(const QString& configFile) const
{
    BootFiles files = BootFiles::ForConfiguration(configFile);
    const QHash<QString, QByteArray> texts = m_host.Documents().Texts();
    for (auto text = texts.begin(); text != texts.end(); ++text)
        files.SetText(text.key(), text.value());
    return files;
}

void ConfigurationSession::Run()
{
    if (m_configFile.isEmpty()) {
        // A configuration open as the document is played as it is.
        const Document& shown = m_host.Documents().Current();
        if (shown.saveTarget.isEmpty() || !LooksLikeBootConfig(shown.Bytes()))
            return;
        Open(shown.saveTarget);
    }
    if (!m_window) {
        m_window = std::make_unique<RunConfigurationWindow>(&m_host.Window());
        m_window->SetUnsavedText([this] { return m_host.Documents().Texts(); });
        m_window->SetGrubSide(MadeGrubSide);
        m_window->SetPxeClient(m_client);
        m_window->SetLoader(Loader());
        m_window->SetConfiguration(PlayedFile());
    } else {
        m_window->Replay();
    }
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
}

bool ConfigurationSession::HoldsConfiguration(const QString& file) const
{
    return IsOpen() && !file.isEmpty()
        && (m_configurationFiles.contains(QFileInfo(file).absoluteFilePath())
            || QFileInfo(file).absoluteFilePath() == m_configFile);
}

void ConfigurationSession::Close()
{
    m_configFile.clear();
    m_playedFile.clear();
    m_client.reset();
    m_configurationFiles.clear();
    m_files.reset();
    m_loader->Clear();
    m_dock->hide();
    if (m_window)
        m_window->close();
}
