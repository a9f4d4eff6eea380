#include "editor/window/RecentFiles.h"
#include "common/Settings.h"

#include <QFileInfo>
#include <QSettings>

namespace RecentFiles {

namespace {

const QString Key = QStringLiteral("recentFiles");

void Store(const QStringList& files) { StoreSetting(Key, files); }

}

QStringList List() { return QSettings().value(Key).toStringList(); }

void Add(const QString& fileName)
{
    const QString path = QFileInfo(fileName).absoluteFilePath();
    QStringList files = List();
    files.removeAll(path);
    files.prepend(path);
    Store(files.mid(0, Most));
}

void Remove(const QString& fileName)
{
    QStringList files = List();
    files.removeAll(fileName);
    Store(files);
}

}
