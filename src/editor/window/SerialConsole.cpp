#include "SerialConsole.h"

#include "common/Limits.h"
#include "editor/configuration/RunConfiguration.h"

#include <QFile>
#include <QFontDatabase>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTimer>
#include <QVBoxLayout>

SerialConsole::SerialConsole(QWidget* parent)
    : QDialog(parent)
    , m_view(new QPlainTextEdit(this))
    , m_timer(new QTimer(this))
{
    setObjectName(QStringLiteral("SerialConsole"));
    setWindowTitle(tr("Serial Console of the Virtual Machine"));
    m_view->setReadOnly(true);
    m_view->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_view);
    resize(640, 400);
    connect(m_timer, &QTimer::timeout, this, &SerialConsole::Refresh);
    m_timer->start(300);
}

void SerialConsole::Follow(const QString& path)
{
    m_path = path;
    m_size = -1;
    Refresh();
}

QString SerialConsole::Text() const { return m_view->toPlainText(); }

// The whole tail is decoded again when the file grows, so a CR LF or an
// escape split between two reads still shows as one.
void SerialConsole::Refresh()
{
    QFile log(m_path);
    const qint64 size = m_path.isEmpty() || !log.open(QIODevice::ReadOnly) ? 0 : log.size();
    if (size == m_size)
        return;
    m_size = size;
    QByteArray bytes;
    if (size > 0) {
        log.seek(std::max<qint64>(0, size - Limits::SerialConsoleBytes));
        bytes = log.read(Limits::SerialConsoleBytes);
    }
    QScrollBar* bar = m_view->verticalScrollBar();
    const bool atEnd = bar->value() == bar->maximum();
    m_view->setPlainText(RunConfigurationWindow::SerialText(bytes));
    if (atEnd)
        bar->setValue(bar->maximum());
}
