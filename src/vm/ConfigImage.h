#pragma once

#include "ImageTree.h"
#include "VmTools.h"
#include "common/Limits.h"
#include "config/BootFiles.h"
#include "config/LoaderVersion.h"
#include "config/PxeClient.h"

#include <QByteArray>
#include <QStringList>

#include <vector>

// A boot image of a whole configuration, as on the user's CD: the tree's
// own loader when it ships one (its isolinux.bin or pxelinux.0, its
// ldlinux.c32 and modules as they are), Debian's files only for what the
// tree lacks and only when they are of the same build; the configuration and every file it names that lies
// inside the image root (INCLUDEs, DISPLAY and F-key files, the images
// they name with 0x18, the UI and other modules with the libraries they
// need, menu help files and backgrounds), each read through BootFiles, so
// unsaved tabs go in with their text. Kernels and initrds stay out: the
// loader's "failed" is what the screen then shows.
struct ConfigImagePlan {
    struct File {
        enum class From { Tree, Debian, Runner } from = From::Tree;
        QByteArray imagePath;
        QByteArray bytes;
        QByteArray hostPath = {}; // a file of the tree copied as it is from there; bytes empty
    };
    struct Refusal {
        QByteArray name; // as the configuration or a display file wrote it
        QString reason;
    };
    bool pxe = false; // a pxelinux.cfg/ configuration, booted over TFTP
    QByteArray loaderFolder; // where isolinux.bin (or pxelinux.0) and ldlinux.c32 go
    LoaderVersion loader; // the build the image boots: its boot file's
    QByteArray bootFile; // isolinux.bin's or pxelinux.0's image path (ldlinux.sys's for a disk)
    LoaderVersion treeLoader; // what the tree's own boot file says, when it ships one (Default: none)
    std::vector<File> files;
    QStringList notes; // files taken from Debian, or missing for the tree's build
    std::vector<Refusal> refused;
};

// Which files the image holds. Names that leave the image root, symbolic
// links out of it, devices, FIFOs and folders are refused unread; so is a
// name that would replace the loader's own files (the boot catalogue, or
// the configuration's copy beside the loader); the tree's own loader files
// go in as they are.
ConfigImagePlan PlanConfigImage(const BootFiles& files, const VmTools& tools, qint64 mostBytes = Limits::ImageBytes);

// A pxelinux.cfg/ tree for one client: the plan of the configuration and
// of each other file PXELINUX asks that client for that is there, so the
// real loader chooses among them as on the server.
ConfigImagePlan PlanPxeClientImage(const BootFiles& files, const VmTools& tools, const PxeClient& client,
    const LoaderVersion& version, qint64 mostBytes = Limits::ImageBytes);
// What an image is for. Own: the configuration's loader (ISOLINUX, or
// PXELINUX for pxelinux.cfg/). Cd and Pxe put that loader beside the
// configuration instead, so its names keep their meaning; Disk leaves the
// boot file to SYSLINUX's installer, which writes ldlinux.sys and
// ldlinux.c32 of Debian's build there, and syslinux.cfg, which the loader
// looks for in its own folder first, is the configuration's copy.
// wholeTree takes every other file under the root too, unread, copied from
// the disk (a shipped disc holds its kernels).
struct ImageOptions {
    enum class Boot { Own, Cd, Pxe, Disk } boot = Boot::Own;
    bool wholeTree = false;
    qint64 mostBytes = Limits::ImageBytes; // read into memory, of the files the configuration names
};
ConfigImagePlan PlanConfigImage(const BootFiles& files, const VmTools& tools, const ImageOptions& options);

// Writes the plan's tree into workFolder and, for a CD, the image from it
// with xorriso (Rock Ridge, so that names stay bytes); returns the image's
// path (for PXE the TFTP folder). Throws EVmError when writing or xorriso
// fails.
QString BuildConfigImage(const VmTools& tools, const ConfigImagePlan& plan, const QString& workFolder);

// The plan's files under root (a folder that exists), folders made on the
// way: bytes as planned, the tree's files copied from the disk.
// A staging folder may link the tree's files rather than copy them; a folder
// handed to others (a TFTP root) is readable by them.
struct TreeWriting {
    bool linkFromTree = false;
    bool forOthers = false;
};
void WriteImageTree(const QByteArray& root, const std::vector<ConfigImagePlan::File>& files,
    const JobProgress* progress = nullptr, TreeWriting how = {});
