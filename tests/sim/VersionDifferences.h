#pragma once

#include <map>
#include <string>

// Shots of the replays with other builds that the simulator does not draw
// yet, by VERSION/CASE/SHOT, each with the rule it lacks for that build.
inline const char* KnownDifference(const std::string& shot)
{
    static const std::map<std::string, const char*> known = {
        { "3.84/a1_fkey_forms/00_initial", "unknown-kw" },
        { "3.84/a1_fkey_forms/01_f10_from_F0", "f0-is-f10" },
        { "3.84/a1_fkey_forms/05_f11_shows_F0_file", "f0-is-f10" },
        { "3.84/a2_noescape/00_after_2500ms", "implicit-default" },
        { "3.84/a2_prompt0_nodefault/00_screen", "implicit-default" },
        { "3.84/a2_say/00_screen", "say-strip" },
        { "3.84/a2_tab_unknown/05_empty_enter", "ctrl-u" },
        { "3.84/b3_colors/00_initial", "countdown-pad" },
        { "3.84/b4_layout/00_initial", "menu-layout" },
        { "3.84/b5_hidden/00_hidden_countdown", "countdown-pad" },
        { "4.05/a1_fkey_forms/00_initial", "unknown-kw" },
        { "4.05/a1_fkey_forms/01_f10_from_F0", "f0-is-f10" },
        { "4.05/a1_fkey_forms/05_f11_shows_F0_file", "f0-is-f10" },
        { "4.05/a2_say/00_screen", "say-strip" },
        { "4.07/a1_fkey_forms/00_initial", "unknown-kw" },
        { "4.07/a1_fkey_forms/01_f10_from_F0", "f0-is-f10" },
        { "4.07/a1_fkey_forms/05_f11_shows_F0_file", "f0-is-f10" },
        { "4.07/a2_say/00_screen", "say-strip" },
    };
    const auto found = known.find(shot);
    return found == known.end() ? nullptr : found->second;
}
