#include "editor/configuration/ConfigurationSession.h"

#include "editor/configuration/ConfigurationDock.h"
#include "editor/configuration/RunConfiguration.h"
#include "config/ConfigSet.h"

#include <QDir>
#include <QFileInfo>
#include <QMainWindow>

#include <utility>

// The window's child: its timer must not outlive the window it reads.
ConfigurationSession::ConfigurationSession(QMainWindow& window, Document document)
    : QObject(&window)
    , m_mainWindow(window)
    , m_document(std::move(document))
    , m_dock(new ConfigurationDock(&window))
{
    m_dock->setAllowedAreas(Qt::LeftDockWidgetArea | Qt::RightDockWidgetArea);
    window.addDockWidget(Qt::RightDockWidgetArea, m_dock);
    m_dock->hide();
    connect(m_dock, &ConfigurationDock::FileChosen, this,
        [this](const QString& file, int line) { m_document.open(file, line); });
    // Edits come in bursts; the set is read again once one is over.
    m_refresh.setSingleShot(true);
    m_refresh.setInterval(150);
    connect(&m_refresh, &QTimer::timeout, this, &ConfigurationSession::Refresh);
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
        m_mainWindow.resizeDocks({ m_dock }, { ConfigurationDock::PreferredWidth }, Qt::Horizontal);
    if (m_window)
        m_window->SetConfiguration(m_configFile);
}

void ConfigurationSession::Refresh()
{
    if (m_configFile.isEmpty())
        return;
    m_files = std::make_unique<BootFiles>(BootFiles::ForConfiguration(m_configFile));
    const QHash<QString, QByteArray> texts = m_document.texts();
    for (auto text = texts.begin(); text != texts.end(); ++text)
        m_files->SetText(text.key(), text.value());
    m_configurationFiles.clear();
    for (const QByteArray& path : ReadConfigSet(*m_files).ConfigurationFiles()) {
        if (const std::optional<QString> host = m_files->HostPath(path))
            m_configurationFiles << QFileInfo(*host).absoluteFilePath();
    }
    m_dock->Show(*m_files, ReadBootConfig(*m_files, m_files->ConfigPath(), m_files->StartFolder()));
    m_dock->FitColumns();
    if (m_window && m_window->isVisible() && m_follow)
        m_window->Replay();
}

void ConfigurationSession::Run()
{
    if (m_configFile.isEmpty()) {
        // A configuration open as the document is played as it is.
        const QString file = m_document.file();
        if (file.isEmpty() || !LooksLikeBootConfig(m_document.bytes()))
            return;
        Open(file);
    }
    if (!m_window) {
        m_window = std::make_unique<RunConfigurationWindow>(&m_mainWindow);
        m_window->SetUnsavedText([this] { return m_document.texts(); });
        m_window->SetConfiguration(m_configFile);
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
    m_configurationFiles.clear();
    m_files.reset();
    m_dock->hide();
    if (m_window)
        m_window->close();
}

void ConfigurationSession::DocumentChanged(bool follow)
{
    m_follow = follow;
    if (!m_configFile.isEmpty())
        m_refresh.start();
}
