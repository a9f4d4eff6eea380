#include "editor/configuration/GrubRun.h"

void GrubRun::Play(const BootFiles& files, const std::optional<PxeClient>& client)
{
    m_sim.reset();
    m_problem.clear();
    if (!m_side)
        return;
    GrubSim::Options options;
    if (client)
        options.values = GrubNetworkValues(*client);
    m_sim = PlayGrubSide(m_side(files), std::move(options), &m_problem);
    for (const LoaderInput& input : m_given) {
        if (m_sim)
            m_sim->Give(input);
    }
}

void GrubRun::Restart(const BootFiles& files, const std::optional<PxeClient>& client)
{
    m_given.clear();
    Play(files, client);
}

void GrubRun::Give(const LoaderInput& input)
{
    if (!m_sim)
        return;
    m_given.push_back(input);
    m_sim->Give(input);
}

std::optional<Vesa::Picture> GrubRun::Picture() const { return m_sim ? std::optional(m_sim->Draw()) : std::nullopt; }

QString GrubRun::Note() const
{
    if (!m_sim)
        return m_problem.isEmpty() ? QString() : QStringLiteral("UEFI: %1.").arg(m_problem);
    QString note = m_sim->Note();
    if (m_sim->State() == GrubSim::Outcome::Boot) {
        const GrubLoaded& boot = m_sim->Boot();
        note = QStringLiteral("GRUB boots %1%2.")
                   .arg(QString::fromUtf8(boot.LinuxLine()),
                       boot.initrds.empty() ? QString()
                                            : QStringLiteral(" with ") + QString::fromUtf8(boot.InitrdLine()));
    }
    return note.isEmpty() ? QString() : QStringLiteral("UEFI: ") + note;
}
