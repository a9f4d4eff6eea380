#pragma once

#include "config/BootFiles.h"
#include "config/PxeClient.h"
#include "grub/GrubMenu.h"
#include "sim/grub/GrubSim.h"
#include "vm/GrubImage.h"

#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

// What makes a tree's UEFI side: its GRUB files from the tree's own menu.
using GrubSide = std::function<std::vector<GrubFile>(const BootFiles& files)>;

// The GRUB side Glimra makes of a tree (MakeGrubSide's files).
std::vector<GrubFile> MadeGrubSide(const BootFiles& files);

// The same side as the media exports and UEFI boots take it.
GrubMenuMaker GrubMaker(const GrubSide& side);

// A tree's GRUB files as the simulated GRUB reads them, by their names in
// GRUB's folder.
GrubFileReader GrubFilesReader(std::shared_ptr<const std::vector<GrubFile>> files);

// The variables GRUB's network stack sets for a PXE client's own
// addresses (net_default_ip, net_default_mac, net_default_server ...).
std::map<QByteArray, QByteArray> GrubNetworkValues(const PxeClient& client);

// The simulated GRUB on the files' grub.cfg, started; nothing, and why in
// problem, when the files hold none.
std::unique_ptr<GrubSim> PlayGrubSide(
    std::vector<GrubFile> files, GrubSim::Options options = {}, QString* problem = nullptr);
