#pragma once

#include "config/BootConfig.h"
#include "config/LoaderVersion.h"
#include "config/PxeClient.h"
#include "editor/document/EditorHost.h"

#include <QObject>
#include <QTimer>

#include <memory>

class ConfigurationDock;
class LoaderChoice;
class PxeClientChoice;
class RunConfigurationWindow;

// The open boot configuration: its dock and its Run Configuration window,
// both following the open documents (every tab's unsaved text is the
// loader's) through the window's host.
class ConfigurationSession : public QObject {
    Q_OBJECT

public:
    explicit ConfigurationSession(EditorHost& host);
    ~ConfigurationSession() override;

    // Reads the configuration and shows its dock.
    void Open(const QString& configFile);
    bool IsOpen() const { return !m_configFile.isEmpty(); }
    // Forgets the configuration: the dock hides, the window closes.
    void Close();
    const QString& ConfigFile() const { return m_configFile; }
    // What Run Configuration plays: the configuration, or for a
    // pxelinux.cfg/ one the file PXELINUX loads for the PXE client.
    const QString& PlayedFile() const { return m_playedFile.isEmpty() ? m_configFile : m_playedFile; }
    // The PXE client of a pxelinux.cfg/ configuration; nothing for others.
    const std::optional<PxeClient>& Client() const { return m_client; }
    // Whether a file is one of the set's configuration files (the
    // configuration, what it includes, its menus' files, CONFIG targets):
    // such a file is a configuration whatever its first line says.
    bool HoldsConfiguration(const QString& file) const;
    // Shows the Run Configuration window, playing the configuration (or
    // the shown document, when it is a configuration itself).
    void Run();

    // Reads the set again now, not once a burst of edits is over, and
    // plays it again with Live Preview or without: after a change made in
    // one step to see its effect (the Menu Designer's).
    void FollowNow();

    ConfigurationDock* Dock() const { return m_dock; }
    // The build the configuration is played as (View > Loader Version).
    LoaderVersion Loader() const;
    RunConfigurationWindow* Window() const { return m_window.get(); }

signals:
    // The set was read (again): which files it reads as configurations may
    // have changed.
    void Read();
    // Another build was chosen to play the configuration as.
    void LoaderChosen();

private:
    void Refresh();
    // The PXE client's view of a pxelinux.cfg/ configuration: which file loads.
    void FindPlayedFile();
    BootFiles WithTexts(const QString& configFile) const;

    EditorHost& m_host;
    ConfigurationDock* m_dock;
    LoaderChoice* m_loader;
    PxeClientChoice* m_pxe;
    std::optional<PxeClient> m_client;
    QString m_playedFile;
    std::unique_ptr<RunConfigurationWindow> m_window;
    std::unique_ptr<BootFiles> m_files;
    QString m_configFile;
    QStringList m_configurationFiles; // on disk, as read last
    QTimer m_refresh;
    bool m_dockSized = false;
};
