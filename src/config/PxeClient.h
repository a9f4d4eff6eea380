#pragma once

#include "BootFiles.h"
#include "LoaderVersion.h"

#include <QByteArray>
#include <QString>

#include <array>
#include <optional>
#include <vector>

// The machine that boots a pxelinux.cfg/ tree over the network, and what
// PXELINUX makes of it: the names it asks the TFTP server for, in its
// order (core/fs/pxe/pxe.c pxe_open_config, core/pxelinux.asm for 3.x),
// and the files under pxelinux.cfg/ it can never ask for.
struct PxeClient {
    std::array<quint8, 6> mac { 0x52, 0x54, 0x00, 0x12, 0x34, 0x56 }; // Ethernet, ARP type 1
    quint32 ip = 0x0a00020f; // 10.0.2.15, what QEMU's user network hands out first
    quint32 server = 0x0a000202;
    quint32 gateway = 0x0a000202;
    quint32 netmask = 0xffffff00;
    std::optional<std::array<quint8, 16>> uuid; // in its usual order, as dmidecode and QEMU's -uuid write it
    QByteArray configFile; // DHCP option 209, tried before any guess
    QByteArray pathPrefix; // DHCP option 210, else the boot file's folder

    // "52:54:00:12:34:56" (or with dashes), "10.0.2.15" and a UUID in its
    // usual text form (empty for none); nothing, and why, when one is not.
    // The network is the address's /24 with its server at .2, as QEMU's
    // user network gives it, which keeps .2 and .3 for itself.
    static std::optional<PxeClient> Parse(
        const QString& mac, const QString& ip, const QString& uuid, QString* why = nullptr);
    QString MacText() const; // "52:54:00:12:34:56"
    QString IpText() const; // "10.0.2.15"
    QString UuidText() const; // "" for none
};

// "01-52-54-00-12-34-56": the ARP type and the address in lower-case hex.
QByteArray BootIfName(const PxeClient& client);
// "0A00020F": the client's address in upper-case hex.
QByteArray HexIpName(const PxeClient& client);
// The UUID as the loader writes it, in lower case, its first three fields
// byte-swapped against the usual form; nothing when the loader takes none
// (5.x and later ignore one whose version digit, as swapped, is 0 or f).
std::optional<QByteArray> UuidName(const PxeClient& client, const LoaderVersion& version);
// "a.b.c.d" of an address in host order.
QByteArray DottedQuad(quint32 address);

// One name PXELINUX asks for, as an image path, and why.
struct PxeCandidate {
    enum class Kind { ConfigOption, Uuid, Mac, Ip, Default } kind;
    QByteArray imagePath;
    bool exists = false;
};
// The folder the loader's names are taken from: option 210, else the
// folder of the boot file (pxelinux.0) the configuration lies under.
QByteArray PxePrefix(const PxeClient& client, const QByteArray& configPath);
// Every name in the order asked: option 209, the UUID, the MAC, the hex
// IP and each of its shorter prefixes, "default".
std::vector<PxeCandidate> PxeCandidates(
    const BootFiles& files, const PxeClient& client, const LoaderVersion& version, const QByteArray& configPath);
// The one the loader loads: the first that exists; nothing, and the
// loader reboots ("Unable to locate configuration file").
std::optional<PxeCandidate> PxeChosen(const std::vector<PxeCandidate>& candidates);

// Why PXELINUX never asks for a file of this name in pxelinux.cfg/; nothing
// for a name it asks some client for ("default", a UUID, 01-mac, hex IP
// prefixes) and for names of no such form (an INCLUDEd file, say).
std::optional<QString> PxeNameProblem(const QByteArray& name, const LoaderVersion& version);

// The names in a folder of the tree, unread, up to Limits::PxeFolderNames.
std::vector<QByteArray> FolderNames(const BootFiles& files, const QByteArray& folder);
