#include "GrubPlay.h"

#include "grub/GrubScript.h"
#include "grub/GrubTheme.h"
#include "vesa/VesaMenu.h"

#include <algorithm>

std::vector<GrubFile> MadeGrubSide(const BootFiles& files) { return MakeGrubSide(files).files; }

GrubMenuMaker GrubMaker(const GrubSide& side)
{
    return [side](const BootFiles& files) {
        std::vector<GrubFolderFile> folder;
        for (GrubFile& file : side(files))
            folder.push_back({ std::move(file.path), std::move(file.bytes) });
        return folder;
    };
}

GrubFileReader GrubFilesReader(std::shared_ptr<const std::vector<GrubFile>> files)
{
    return [files = std::move(files)](const QByteArray& path) -> std::optional<QByteArray> {
        const auto found
            = std::find_if(files->begin(), files->end(), [&](const GrubFile& file) { return file.path == path; });
        return found == files->end() ? std::nullopt : std::optional(found->bytes);
    };
}

std::map<QByteArray, QByteArray> GrubNetworkValues(const PxeClient& client)
{
    const QByteArray server = DottedQuad(client.server);
    return { { "net_default_ip", DottedQuad(client.ip) }, { "net_default_mac", client.MacText().toLatin1() },
        { "net_default_server", server }, { "pxe_default_server", server } };
}

std::unique_ptr<GrubSim> PlayGrubSide(std::vector<GrubFile> files, GrubSim::Options options, QString* problem)
{
    auto shared = std::make_shared<const std::vector<GrubFile>>(std::move(files));
    const GrubFileReader reader = GrubFilesReader(shared);
    const std::optional<QByteArray> config = reader("grub.cfg");
    if (!config) {
        if (problem)
            *problem = QStringLiteral("the GRUB side holds no grub.cfg");
        return nullptr;
    }
    auto sim = std::make_unique<GrubSim>(ReadGrubConfig(*config), reader, std::move(options));
    sim->Start();
    return sim;
}
