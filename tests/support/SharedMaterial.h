#pragma once

#include <QDir>

#include <vector>

#include <gtest/gtest.h>

// The shared material beside the project (real display files, recorded
// screens), found through the GLIMRA_SHARED_DIR cache setting.
inline QDir SharedFolder(const char* name)
{
    return QDir(QStringLiteral(GLIMRA_SHARED_DIR)).filePath(QString::fromLatin1(name));
}

// Without the material a test is skipped with a visible message; under
// CI=true that is a failure, so a lost folder cannot turn the suite green.
#define REQUIRE_SHARED(present, what)                                                                                  \
    do {                                                                                                               \
        if (!(present)) {                                                                                              \
            if (qgetenv("CI") == "true")                                                                               \
                FAIL() << "missing under CI: " << (what);                                                              \
            GTEST_SKIP() << "missing here: " << (what);                                                                \
        }                                                                                                              \
    } while (false)

// Every probe and every real display file, by path.
inline std::vector<QString> SharedDisplayFiles()
{
    std::vector<QString> files;
    const QDir probes = SharedFolder("boottruth/probes");
    for (const QString& name : probes.entryList({ QStringLiteral("*.msg") }, QDir::Files))
        files.push_back(probes.filePath(name));
    const QDir corpus = SharedFolder("corpus");
    for (const QString& name : corpus.entryList(QDir::Files)) {
        if (name != u"SOURCES.tsv")
            files.push_back(corpus.filePath(name));
    }
    return files;
}
