#pragma once

#include "grub/GrubPlay.h"

#include <QString>

#include <memory>
#include <optional>
#include <vector>

// Run Configuration's UEFI side: the GRUB menu Glimra makes of the tree,
// played by the simulated GRUB with the keys given to it since its start,
// so that it follows edits as the loader does.
class GrubRun {
public:
    void SetSide(GrubSide side) { m_side = std::move(side); }
    bool Available() const { return bool(m_side); }

    // The side made anew of the files and played with the keys given so far;
    // Restart forgets the keys first.
    void Play(const BootFiles& files, const std::optional<PxeClient>& client);
    void Restart(const BootFiles& files, const std::optional<PxeClient>& client);
    void Give(const LoaderInput& input);
    bool Counting() const { return m_sim && m_sim->Counting(); }
    const GrubSim* Sim() const { return m_sim.get(); }

    // GRUB's screen now; none when nothing plays.
    std::optional<Vesa::Picture> Picture() const;
    // What GRUB does or would boot, in a sentence or two.
    QString Note() const;

private:
    GrubSide m_side;
    std::unique_ptr<GrubSim> m_sim;
    std::vector<LoaderInput> m_given;
    QString m_problem;
};
