#include "ErrorBox.h"

#include <QApplication>
#include <QMessageBox>

#include <exception>

QString ErrorBoxText(const QString& message)
{
    if (!message.isEmpty() && message.back().unicode() > u'.')
        return message + u'.';
    return message;
}

void RunCommand(QWidget* parent, const std::function<void()>& command)
{
    QString message;
    try {
        command();
        return;
    } catch (const std::exception& error) {
        message = QString::fromStdString(error.what());
    }
    QMessageBox::critical(parent, QApplication::applicationDisplayName(), ErrorBoxText(message));
}
