#pragma once

#include "RecordedSteps.h"
#include "SharedMaterial.h"
#include "config/LoaderVersion.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <string>
#include <vector>

// The recorded cases replayed with other SYSLINUX builds: what each build
// drew lies under versions/out/VERSION/SET/, beside Debian's 6.04 in the
// project's own recordings.
inline const char* const RecordedOtherVersions[] = { "3.84", "4.05", "4.07", "6.02", "6.03" };

inline QDir VersionsFolder(const std::string& version, const char* set)
{
    return QDir(SharedFolder("boottruth/versions/out").filePath(QString::fromStdString(version) + u'/' + set));
}

// The build named, with the banner of the binary that was recorded (the
// date part is its builder's; run.json says what it printed).
inline LoaderVersion RecordedVersion(const std::string& name, const QDir& caseOut)
{
    for (LoaderVersion version : LoaderVersion::Known()) {
        if (version.Name().toStdString() != name)
            continue;
        const QJsonObject run = QJsonDocument::fromJson(ReadBytes(caseOut.filePath("run.json"))).object();
        if (const QString banner = run[u"loader"].toString(); !banner.isEmpty())
            version.banner = banner.toLatin1() + (version.banner.endsWith(' ') ? " " : "");
        return version;
    }
    return LoaderVersion::Debian();
}

// A case's files as the replay staged them: the modules the build lacks
// (run.json's modules_missing) are left out of the tree.
inline QStringList RecordedModulesMissing(const QDir& caseOut)
{
    const QJsonObject run = QJsonDocument::fromJson(ReadBytes(caseOut.filePath("run.json"))).object();
    QStringList lacking;
    for (const QJsonValue missing : run[u"modules_missing"].toArray())
        lacking << missing.toString();
    return lacking;
}

inline BootFiles RecordedVersionFiles(const QDir& folder, const QString& config, const QDir& caseOut)
{
    return RecordedCaseFiles(folder, config, RecordedModulesMissing(caseOut));
}
