#pragma once

#include "config/BootFiles.h"
#include "config/PxeClient.h"

#include <QStringList>

#include <optional>

// What the loader boots left to itself: its timeouts run out, or Enter is
// pressed where it waits without one (the prompt's default, the menu's
// selected entry). For the Configuration dock's "the kernel gets".
struct BootOutcome {
    QString note; // what the loader would do, as the simulator says it
    std::optional<QByteArray> kernelLine; // for a Linux kernel: its command line
    QStringList unknown; // appended strings no tree tells
};
BootOutcome PlayToBoot(const BootFiles& files, const LoaderVersion& version, const std::optional<PxeClient>& client);
