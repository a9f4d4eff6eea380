#pragma once

#include "RenderArguments.h"
#include "vm/GrubImage.h"

#include <QByteArray>
#include <QString>

#include <functional>

class BootFiles;

// The real loader's screen for a display file, booted from a temporary
// folder that goes when this returns; images beside the file go in.
QByteArray RenderInVm(const RenderArguments& arguments, const QByteArray& bytes, const QString& folder);

// The whole configuration booted in QEMU from an image of its tree, the
// keys pressed over QEMU's machine protocol, each followed by a wait until
// the screen holds still; the screen after the last key. With --firmware
// uefi the image is the disc Export makes with grub's menu, booted on OVMF.
QByteArray RenderConfigurationInVm(
    const RenderArguments& arguments, const BootFiles& files, const GrubMenuMaker& grub = {});

// The exit status of a run in the virtual machine: what the run gives, or
// for a machine that failed its message (status 1), for one stopped by a
// signal 128 and the signal.
int InVm(const std::function<int()>& run);
