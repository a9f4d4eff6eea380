#pragma once

#include "BootFiles.h"
#include "LoaderVersion.h"

#include <QByteArrayView>
#include <QStringList>

#include <optional>
#include <vector>

// Which SYSLINUX build a tree ships: read from its loader's own file.

// What one loader file's bytes say: the banner and copyright the core
// prints ("ISOLINUX 6.03 2014-10-06 ", then " Copyright (C) ..."); for an
// ldlinux.c32, which holds no banner, its format (5.x and later are ELF)
// and the size of a known build. Nothing when the bytes say no version.
std::optional<LoaderVersion> LoaderVersionOfFile(QByteArrayView bytes, const QByteArray& imagePath);

// The files the loader of this configuration could be, in the order they
// are asked: beside the configuration where the loader would be (its boot
// file, ldlinux.sys, ldlinux.c32), then the tree's usual loader folders.
std::vector<QByteArray> LoaderFileCandidates(const QByteArray& configPath);

struct LoaderDetection {
    LoaderVersion version; // Debian's 6.04 (Default) when no file says one
    QStringList notes; // loader files that were there but said nothing
};
LoaderDetection DetectLoader(const BootFiles& files);

// "ISOLINUX 4.05 (the tree's /isolinux/isolinux.bin)", "ISOLINUX 6.04
// (Debian's: the tree ships no loader)", "ISOLINUX 4.05 (chosen)".
QString DescribeLoader(const LoaderVersion& version);
