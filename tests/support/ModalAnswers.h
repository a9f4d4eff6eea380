#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <functional>
#include <vector>

// What a message box showed, as the test answered it.
struct ShownBox {
    bool shown = false;
    QString title;
    QString text;
    QString detail;
    QString informative; // the text under the main one
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
    QString checkBox; // the box's check box, if it has one
};

// Runs trigger and answers every message box it opens, in turn with the
// given buttons (NoButton: as Escape); boxes beyond them are escaped too.
// Returns what each box showed.
inline std::vector<ShownBox> AnswerBoxes(
    const std::function<void()>& trigger, const std::vector<QMessageBox::StandardButton>& answers)
{
    std::vector<ShownBox> shown;
    QTimer poll;
    poll.setInterval(5);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || box->property("answered").toBool())
            return;
        box->setProperty("answered", true);
        shown.push_back({ true, box->windowTitle(), box->text(), box->detailedText(), box->informativeText(),
            box->icon(), box->defaultButton() ? box->standardButton(box->defaultButton()) : QMessageBox::NoButton,
            box->checkBox() ? box->checkBox()->text() : QString() });
        const QMessageBox::StandardButton button
            = shown.size() <= answers.size() ? answers[shown.size() - 1] : QMessageBox::NoButton;
        if (button == QMessageBox::NoButton || !box->button(button))
            box->reject();
        else
            box->button(button)->click();
    });
    poll.start();
    trigger();
    return shown;
}

// The first box that trigger opens, answered with button.
inline ShownBox AnswerBox(const std::function<void()>& trigger, QMessageBox::StandardButton button = QMessageBox::Ok)
{
    const std::vector<ShownBox> shown = AnswerBoxes(trigger, { button });
    return shown.empty() ? ShownBox {} : shown.front();
}

// Runs trigger; the file dialog it opens gets path typed into its name
// field and is accepted, or is cancelled when path is empty. Returns the
// full name the dialog offered when it opened.
inline QString AnswerFileDialog(const std::function<void()>& trigger, const QString& path)
{
    QString offered;
    bool answered = false;
    QTimer poll;
    poll.setInterval(5);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!dialog || answered)
            return;
        answered = true;
        auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        offered = dialog->directory().filePath(name->text());
        if (path.isEmpty()) {
            dialog->reject();
            return;
        }
        name->setText(path);
        QMetaObject::invokeMethod(dialog, "accept");
    });
    poll.start();
    trigger();
    return offered;
}
