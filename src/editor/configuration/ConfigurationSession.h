#pragma once

#include "config/BootConfig.h"

#include <QHash>
#include <QObject>
#include <QTimer>

#include <functional>
#include <memory>

class ConfigurationDock;
class QMainWindow;
class RunConfigurationWindow;

// The open boot configuration of the main window: its dock and its Run
// Configuration window, both following the document. The window says how
// to reach the document: its file and bytes, and how to open another file
// at a line.
class ConfigurationSession : public QObject {
    Q_OBJECT

public:
    struct Document {
        std::function<QString()> file; // on disk; empty while never saved
        std::function<QByteArray()> bytes;
        // The text of every open document saved to a file, by that file.
        std::function<QHash<QString, QByteArray>()> texts;
        std::function<void(const QString& file, int line)> open;
    };
    ConfigurationSession(QMainWindow& window, Document document);
    ~ConfigurationSession() override;

    // Reads the configuration and shows its dock.
    void Open(const QString& configFile);
    bool IsOpen() const { return !m_configFile.isEmpty(); }
    // Forgets the configuration: the dock hides, the window closes.
    void Close();
    const QString& ConfigFile() const { return m_configFile; }
    // Whether a file is one of the set's configuration files (the
    // configuration, what it includes, its menus' files, CONFIG targets):
    // such a file is a configuration whatever its first line says.
    bool HoldsConfiguration(const QString& file) const;
    // Shows the Run Configuration window, playing the configuration (or
    // the document, when it is a configuration itself).
    void Run();
    // The document changed: the dock reads again, the window replays when
    // following edits.
    void DocumentChanged(bool follow);

    ConfigurationDock* Dock() const { return m_dock; }
    RunConfigurationWindow* Window() const { return m_window.get(); }

private:
    void Refresh();

    QMainWindow& m_mainWindow;
    Document m_document;
    ConfigurationDock* m_dock;
    std::unique_ptr<RunConfigurationWindow> m_window;
    std::unique_ptr<BootFiles> m_files;
    QString m_configFile;
    QStringList m_configurationFiles; // on disk, as read last
    QTimer m_refresh;
    bool m_follow = false;
    bool m_dockSized = false;
};
