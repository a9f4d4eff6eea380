// A PXE client's image: the configuration and every other file PXELINUX
// asks that client for, so the real loader chooses among them.
#include "ConfigImage.h"

#include <QSet>

ConfigImagePlan PlanPxeClientImage(const BootFiles& files, const VmTools& tools, const PxeClient& client,
    const LoaderVersion& version, qint64 mostBytes)
{
    ConfigImagePlan plan = PlanConfigImage(files, tools, mostBytes);
    QSet<QByteArray> held;
    qint64 bytes = 0;
    for (const ConfigImagePlan::File& file : plan.files) {
        held.insert(file.imagePath);
        bytes += file.bytes.size();
    }
    for (const PxeCandidate& candidate : PxeCandidates(files, client, version, files.ConfigPath())) {
        if (!candidate.exists || candidate.imagePath == files.ConfigPath())
            continue;
        const ConfigImagePlan own = PlanConfigImage(files.WithConfigPath(candidate.imagePath), tools, mostBytes);
        for (const ConfigImagePlan::File& file : own.files) {
            if (held.contains(file.imagePath) || bytes + file.bytes.size() > mostBytes)
                continue;
            held.insert(file.imagePath);
            bytes += file.bytes.size();
            plan.files.push_back(file);
        }
        plan.notes << own.notes;
        plan.refused.insert(plan.refused.end(), own.refused.begin(), own.refused.end());
    }
    plan.notes.removeDuplicates();
    return plan;
}
