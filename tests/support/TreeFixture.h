#pragma once

#include "EditorFixture.h"
#include "FileTree.h"
#include "editor/configuration/RunConfiguration.h"

#include <QTemporaryDir>
#include <QTreeWidget>

// The editor over a boot tree in a temporary folder: files written into
// it, a configuration opened as the command line opens one, entries of
// the Configuration dock activated, Run Configuration shown.
class TreeFixture : public EditorFixture {
protected:
    QString Write(const QString& name, const QByteArray& bytes) { return WriteInTree(tree, name, bytes); }
    QString OpenAtStart(const QString& name, const QByteArray& bytes)
    {
        const QString file = Write(name, bytes);
        glavna.OpenAtStart(file, QFile::encodeName(file));
        return file;
    }
    // The dock's first entry of that text, activated as a double click does.
    void Activate(const QString& entry)
    {
        auto* entries = Find<QTreeWidget>(glavna, "ConfigurationTree");
        const QList<QTreeWidgetItem*> found = entries->findItems(entry, Qt::MatchExactly | Qt::MatchRecursive);
        ASSERT_FALSE(found.isEmpty()) << entry.toStdString();
        emit entries->itemActivated(found.front(), 0);
    }
    RunConfigurationWindow& Run()
    {
        Find<QAction>(glavna, "RunConfiguration1")->trigger();
        return *glavna.findChild<RunConfigurationWindow*>();
    }
    // Whether a row of the loader's screen starts with text.
    static bool Shows(const RunConfigurationWindow& window, const QByteArray& text)
    {
        for (int row = 0; row < window.Console().Rows(); ++row) {
            if (window.Console().ScreenRow(row).startsWith(text))
                return true;
        }
        return false;
    }

    QTemporaryDir tree;
};
