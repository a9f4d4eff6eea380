#pragma once

#include <QDialog>
#include <QString>

class QPlainTextEdit;
class QTimer;

// The virtual machine's serial port as a terminal on it would show it: the
// log QEMU writes, read again as it grows, its control bytes as symbols.
class SerialConsole : public QDialog {
    Q_OBJECT

public:
    explicit SerialConsole(QWidget* parent = nullptr);

    // The log to follow; none shows an empty console.
    void Follow(const QString& path);
    QString Text() const;
    // Reads what the log holds now (the timer does so every few tenths of a second).
    void Refresh();

private:
    QString m_path;
    qint64 m_size = -1;
    QPlainTextEdit* m_view = nullptr;
    QTimer* m_timer = nullptr;
};
