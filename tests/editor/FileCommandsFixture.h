#pragma once

// The window with a folder of its own and the File menu chosen as a user does.
#include "EditorFixture.h"
#include "ModalAnswers.h"

#include <QAction>
#include <QFile>
#include <QMenu>
#include <QMenuBar>
#include <QTemporaryDir>

class FileCommandsTest : public EditorFixture {
protected:
    QString Path(const QString& name) const { return directory.filePath(name); }
    // The title as shown, without Qt's marker for unsaved changes.
    QString Title() const { return glavna.windowTitle().remove(QStringLiteral("[*]")); }
    QString Write(const QString& name, const QByteArray& bytes)
    {
        QFile file(Path(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return file.fileName();
    }
    static QByteArray Read(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }
    // A File menu entry, chosen as the user does.
    void Choose(const QString& entry)
    {
        for (QAction* menu : glavna.menuBar()->actions())
            for (QAction* action : menu->menu()->actions())
                if (action->text() == entry)
                    return action->trigger();
        FAIL() << "no menu entry " << entry.toStdString();
    }
    ShownBox Open(const QString& path)
    {
        return AnswerBox([&] { AnswerFileDialog([&] { Choose("&Open..."); }, path); });
    }
    // Save As to path; a question whether to replace a file is answered with replace.
    ShownBox SaveAs(const QString& path, QMessageBox::StandardButton replace = QMessageBox::Yes)
    {
        return AnswerBox([&] { AnswerFileDialog([&] { Choose("Save &As..."); }, path); }, replace);
    }
    ShownBox Save(QMessageBox::StandardButton answer)
    {
        return AnswerBox([&] { Choose("&Save"); }, answer);
    }

    QTemporaryDir directory;
};
