#include "UefiLint.h"
#include "ConfigFindings.h"
#include "config/ConfigSet.h"
#include "grub/GrubCompare.h"
#include "grub/GrubParity.h"

#include <cstring>

std::vector<FileProblem> LintUefiSide(const BootFiles& files)
{
    ConfigFindings findings(files);
    const ConfigSet set = ReadConfigSet(files);
    if (set.members.empty())
        return findings.Take();
    const GrubPlan plan = PlanGrubMenu(files, set);
    for (const GrubFinding& finding : GrubParity(files, set, plan))
        findings.Report(finding.place, Severity::Note, "uefi-cannot-carry", finding.message);
    for (const GrubFinding& finding : CompareGrubMenus(files, plan)) {
        const bool unread = std::strcmp(finding.code, "grub-own-unreadable") == 0;
        findings.Report(finding.place, Severity::Warning, unread ? "uefi-own-grub-unreadable" : "uefi-own-grub-differs",
            finding.message);
    }
    return findings.Take();
}
