#pragma once

#include <QStringList>

// The files opened or saved last, most recent first, kept between runs.
namespace RecentFiles {

constexpr int Most = 8;

QStringList List();
void Add(const QString& fileName);
void Remove(const QString& fileName);

}
