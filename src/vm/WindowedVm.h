#pragma once

#include <QObject>
#include <QStringList>

#include <memory>

class QProcess;
class QTemporaryDir;

// A document booted in a QEMU window, where the user types at the real
// boot: prompt. One at a time: booting again ends the running machine
// first. The machine is ended by its process id when this goes, and its
// temporary folder is removed when the machine ends.
class WindowedVm : public QObject {
    Q_OBJECT

public:
    explicit WindowedVm(QObject* parent = nullptr);
    ~WindowedVm() override;

    // Builds the image and starts QEMU; returns the images that were not
    // found beside the document. Throws EVmError.
    QStringList Boot(QByteArrayView document, const QString& documentFolder, const QString& title);
    void Stop();

private:
    QProcess* m_qemu = nullptr;
    std::unique_ptr<QTemporaryDir> m_work;
};
