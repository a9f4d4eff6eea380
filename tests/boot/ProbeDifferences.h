#pragma once

#include <QString>

#include <map>
#include <string>

// Probes a replayed build draws otherwise than the simulator does yet, by
// build and file, each with the display-file rule it lacks for that build.
inline const char* KnownProbeDifference(const std::string& version, const QString& probe)
{
    static const std::map<std::pair<std::string, QString>, const char*> known = {
        { { "3.84", "image.msg" }, "lss16-graphics" },
        { { "3.84", "image_clear.msg" }, "lss16-graphics" },
        { { "3.84", "image_colours.msg" }, "lss16-graphics" },
        { { "3.84", "image_modes.msg" }, "lss16-graphics" },
        { { "3.84", "image_noclear.msg" }, "lss16-graphics" },
        { { "3.84", "image_space_name.msg" }, "lss16-graphics" },
        { { "3.84", "image_twice.msg" }, "lss16-graphics" },
        { { "4.05", "image.msg" }, "lss16-graphics" },
        { { "4.05", "image_clear.msg" }, "lss16-graphics" },
        { { "4.05", "image_colours.msg" }, "lss16-graphics" },
        { { "4.05", "image_modes.msg" }, "lss16-graphics" },
        { { "4.05", "image_noclear.msg" }, "lss16-graphics" },
        { { "4.05", "image_space_name.msg" }, "lss16-graphics" },
        { { "4.05", "image_twice.msg" }, "lss16-graphics" },
        { { "4.07", "image.msg" }, "lss16-graphics" },
        { { "4.07", "image_clear.msg" }, "lss16-graphics" },
        { { "4.07", "image_colours.msg" }, "lss16-graphics" },
        { { "4.07", "image_modes.msg" }, "lss16-graphics" },
        { { "4.07", "image_noclear.msg" }, "lss16-graphics" },
        { { "4.07", "image_space_name.msg" }, "lss16-graphics" },
        { { "4.07", "image_twice.msg" }, "lss16-graphics" },
    };
    const auto found = known.find({ version, probe });
    return found == known.end() ? nullptr : found->second;
}
