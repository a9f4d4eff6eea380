#include "ErrorBox.h"

#include "Exceptions.h"

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
    QString message, detail;
    try {
        command();
        return;
    } catch (const Exception& error) {
        message = QString::fromStdString(error.what());
        detail = QString::fromStdString(error.Detail());
    } catch (const std::exception& error) {
        message = QString::fromStdString(error.what());
    }
    QMessageBox box(
        QMessageBox::Critical, QApplication::applicationDisplayName(), ErrorBoxText(message), QMessageBox::Ok, parent);
    box.setDetailedText(detail);
    box.exec();
}
