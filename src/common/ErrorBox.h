#pragma once

#include <QString>

#include <functional>

class QWidget;

// The text of the general error box: a full stop is added when the message's
// last character comes after the full stop in code order.
QString ErrorBoxText(const QString& message);

// Runs one user command. An error it does not handle itself ends it and is
// shown in the general error box (title: the application's name, error
// icon, OK); the program then goes on with the state the command left.
void RunCommand(QWidget* parent, const std::function<void()>& command);
