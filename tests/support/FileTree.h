#pragma once

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

// Writes a file, and the folders on its way, inside a temporary tree; its path.
inline QString WriteInTree(const QTemporaryDir& tree, const QString& name, const QByteArray& bytes)
{
    QDir(tree.path()).mkpath(QFileInfo(tree.filePath(name)).path());
    QFile file(tree.filePath(name));
    EXPECT_TRUE(file.open(QIODevice::WriteOnly)) << name.toStdString();
    file.write(bytes);
    return file.fileName();
}
