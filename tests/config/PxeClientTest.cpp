// What PXELINUX asks the TFTP server for and what it gives the kernel,
// written from core/fs/pxe/pxe.c, core/pxelinux.asm, core/sysappend.c,
// com32/elflink/ldlinux (readconfig.c, execute.c, kernel.c),
// core/runkernel.inc and doc/pxelinux.txt.
#include "FileTree.h"
#include "config/ConfigSet.h"
#include "config/KernelLine.h"

namespace {

LoaderVersion Version(int major, int minor)
{
    for (const LoaderVersion& known : LoaderVersion::Known()) {
        if (known.major == major && known.minor == minor)
            return known;
    }
    ADD_FAILURE() << major << "." << minor;
    return {};
}

PxeClient Client(const char* mac, const char* ip, const char* uuid = "")
{
    QString why;
    const std::optional<PxeClient> client = PxeClient::Parse(mac, ip, uuid, &why);
    EXPECT_TRUE(client) << why.toStdString();
    return client.value_or(PxeClient {});
}

struct PxeTest : ::testing::Test {
    QTemporaryDir tree;
    std::vector<std::string> Asked(const PxeClient& client, const LoaderVersion& version, const char* config)
    {
        const BootFiles files(tree.path());
        std::vector<std::string> asked;
        for (const PxeCandidate& candidate : PxeCandidates(files, client, version, config))
            asked.push_back(candidate.imagePath.toStdString());
        return asked;
    }
};

using Names = std::vector<std::string>;

}

TEST_F(PxeTest, TheNamesAskedForInTheLoadersOrder)
{
    // The machine's UUID in its usual form; PXELINUX asks for pxelinux.txt's name for it, its first three fields
    // swapped.
    const char* docUuid = "085994b8-a6d6-a941-611d-74a6ab80b83d";
    const Names ipAndDefault
        = { "/mybootdir/pxelinux.cfg/C000025B", "/mybootdir/pxelinux.cfg/C000025", "/mybootdir/pxelinux.cfg/C00002",
              "/mybootdir/pxelinux.cfg/C0000", "/mybootdir/pxelinux.cfg/C000", "/mybootdir/pxelinux.cfg/C00",
              "/mybootdir/pxelinux.cfg/C0", "/mybootdir/pxelinux.cfg/C", "/mybootdir/pxelinux.cfg/default" };
    const auto with = [&](Names first) {
        first.insert(first.end(), ipAndDefault.begin(), ipAndDefault.end());
        return first;
    };
    const std::string mac = "/mybootdir/pxelinux.cfg/01-88-99-aa-bb-cc-dd";
    const std::string uuidFile = "/mybootdir/pxelinux.cfg/b8945908-d6a6-41a9-611d-74a6ab80b83d";
    const char* config = "/mybootdir/pxelinux.cfg/default";
    // pxelinux.txt's own example.
    EXPECT_EQ(
        Asked(Client("88:99:AA:BB:CC:DD", "192.0.2.91", docUuid), Version(6, 4), config), with({ uuidFile, mac }));
    EXPECT_EQ(
        Asked(Client("88-99-aa-bb-cc-dd", "192.0.2.91", docUuid), Version(3, 84), config), with({ uuidFile, mac }));
    // No UUID from the PXE stack: the MAC comes first.
    EXPECT_EQ(Asked(Client("88:99:AA:BB:CC:DD", "192.0.2.91"), Version(6, 4), config), with({ mac }));
    // A UUID of version 0 (all zeros, as some BIOSes give): 6.x drops it, 3.x/4.x ask for it.
    const char* nil = "00000000-0000-0000-0000-000000000000";
    EXPECT_EQ(Asked(Client("88:99:AA:BB:CC:DD", "192.0.2.91", nil), Version(6, 3), config), with({ mac }));
    EXPECT_EQ(Asked(Client("88:99:AA:BB:CC:DD", "192.0.2.91", nil), Version(4, 5), config),
        with({ std::string("/mybootdir/pxelinux.cfg/") + nil, mac }));
    // Option 209 is tried first, from the prefix; option 210 replaces the prefix.
    PxeClient options = Client("88:99:AA:BB:CC:DD", "10.0.2.15");
    options.configFile = "site.cfg";
    options.pathPrefix = "/other/";
    const Names asked = Asked(options, Version(6, 4), config);
    ASSERT_EQ(asked.size(), 11u);
    EXPECT_EQ(asked[0], "/other/site.cfg");
    EXPECT_EQ(asked[1], "/other/pxelinux.cfg/01-88-99-aa-bb-cc-dd");
    EXPECT_EQ(asked[2], "/other/pxelinux.cfg/0A00020F");
    EXPECT_EQ(asked[10], "/other/pxelinux.cfg/default");
}

TEST_F(PxeTest, TheFirstNameThatIsThereIsLoaded)
{
    const PxeClient client = Client("52:54:00:12:34:56", "10.0.2.15");
    const struct {
        Names files;
        std::string loaded;
    } rows[] = {
        { { "default" }, "/pxelinux.cfg/default" }, { { "default", "0A0" }, "/pxelinux.cfg/0A0" },
        { { "default", "0A0", "0A00020F" }, "/pxelinux.cfg/0A00020F" },
        { { "0A00020F", "01-52-54-00-12-34-56" }, "/pxelinux.cfg/01-52-54-00-12-34-56" },
        { { "01-52-54-00-12-34-56x", "0a00020f", "0A00021" }, "" }, // none of its names
    };
    for (const auto& row : rows) {
        QTemporaryDir fresh;
        for (const std::string& name : row.files)
            WriteInTree(fresh, QString::fromStdString("pxelinux.cfg/" + name), "DEFAULT x\n");
        const std::optional<PxeCandidate> chosen
            = PxeChosen(PxeCandidates(BootFiles(fresh.path()), client, {}, "/pxelinux.cfg/default"));
        EXPECT_EQ(chosen ? chosen->imagePath.toStdString() : std::string(), row.loaded) << row.files.size();
    }
}

TEST(PxeNames, FilesPxelinuxNeverAsksFor)
{
    const struct {
        const char* name;
        bool never;
        LoaderVersion version = LoaderVersion::Debian();
    } rows[] = {
        { "default", false },
        { "Default", true },
        { "01-88-99-aa-bb-cc-dd", false },
        { "01-88-99-AA-BB-CC-DD", true },
        { "01:88:99:aa:bb:cc:dd", true },
        { "88:99:aa:bb:cc:dd", true },
        { "88-99-aa-bb-cc-dd", true }, // no ARP type
        { "01-88-99-aa-bb-cc", true }, // five bytes
        { "06-88-99-aa-bb", false }, // another hardware type
        { "C000025B", false },
        { "C0", false },
        { "c000025b", true },
        { "C000025B0", true }, // nine digits
        { "1234", false },
        { "192.0.2.91", true },
        { "b8945908-d6a6-41a9-611d-74a6ab80b83d", false },
        { "B8945908-D6A6-41A9-611D-74A6AB80B83D", true },
        { "b8945908-d6a6-01a9-611d-74a6ab80b83d", true }, // version 0: 6.x takes none
        { "b8945908-d6a6-01a9-611d-74a6ab80b83d", false, LoaderVersion::Known().front() },
        { "default.cfg", true },
        { "C000025B.conf", true },
        { "common.cfg", false }, // no client's name: an included file, say
        { "menu.txt", false },
    };
    for (const auto& row : rows)
        EXPECT_EQ(PxeNameProblem(row.name, row.version).has_value(), row.never) << row.name;
    EXPECT_EQ(PxeNameProblem("192.0.2.91", {}).value_or(QString()).contains(u"C000025B"), true);
    EXPECT_EQ(PxeNameProblem("01-88-99-AA-BB-CC-DD", {}).value_or(QString()).contains(u"01-88-99-aa-bb-cc-dd"), true);
}

TEST(PxeClientParse, WhatTheDialogTakes)
{
    const struct {
        const char *mac, *ip, *uuid;
        bool ok;
    } rows[] = {
        { "52:54:00:12:34:56", "10.0.2.15", "", true },
        { "52-54-00-AB-cd-EF", "192.168.1.200", "b8945908-d6a6-41a9-611d-74a6ab80b83d", true },
        { "52:54:00:12:34", "10.0.2.15", "", false },
        { "53:54:00:12:34:56", "10.0.2.15", "", false }, // a group address
        { "52:54:00:12:34:5g", "10.0.2.15", "", false },
        { "52:54:00:12:34:56", "10.0.2.256", "", false },
        { "52:54:00:12:34:56", "10.0.2", "", false },
        { "52:54:00:12:34:56", "10.0.2.15", "not-a-uuid", false },
        { "52:54:00:12:34:56", "10.0.2.2", "", false }, // QEMU's own
        { "52:54:00:12:34:56", "10.0.2.3", "", false },
        { "52:54:00:12:34:56", "10.0.2.4", "", true },
    };
    for (const auto& row : rows)
        EXPECT_EQ(PxeClient::Parse(row.mac, row.ip, row.uuid).has_value(), row.ok) << row.mac << " " << row.ip;
    const PxeClient client = Client("52-54-00-AB-cd-EF", "192.168.1.200", "B8945908-D6A6-41A9-611D-74A6AB80B83D");
    EXPECT_EQ(client.MacText(), QStringLiteral("52:54:00:ab:cd:ef"));
    EXPECT_EQ(client.IpText(), QStringLiteral("192.168.1.200"));
    EXPECT_EQ(client.UuidText(), QStringLiteral("b8945908-d6a6-41a9-611d-74a6ab80b83d"));
    EXPECT_EQ(HexIpName(client), "C0A801C8");
    EXPECT_EQ(DottedQuad(client.server), "192.168.1.2");
}

TEST(KernelLines, WhatTheKernelIsGiven)
{
    const char* ip = "ip=10.0.2.15:10.0.2.2:10.0.2.2:255.255.255.0";
    const char* bootif = "BOOTIF=01-52-54-00-12-34-56";
    const QByteArray uuidOption = "SYSUUID=085994b8-a6d6-a941-611d-74a6ab80b83d";
    const struct {
        const char* config;
        const char* command;
        LoaderVersion version;
        QByteArray kernelLine;
        bool pxe = true;
    } rows[] = {
        { "LABEL l\n KERNEL vmlinuz\n APPEND quiet\n INITRD initrd.img\n IPAPPEND 3\n", "l", Version(6, 4),
            QByteArray("BOOT_IMAGE=vmlinuz quiet initrd=initrd.img ") + ip + ' ' + bootif },
        { "LABEL l\n KERNEL vmlinuz\n IPAPPEND 2\n", "l single", Version(6, 4),
            QByteArray("BOOT_IMAGE=vmlinuz ") + bootif + " single" },
        { "IPAPPEND 2\nLABEL l\n KERNEL k\n", "l", Version(6, 4), QByteArray("BOOT_IMAGE=k ") + bootif },
        { "LABEL a\n KERNEL k\nLABEL b\n KERNEL k\n IPAPPEND 1\n", "a", Version(6, 4), "BOOT_IMAGE=k " },
        { "SYSAPPEND 2\nLABEL a\n KERNEL k\n", "k root=/dev/sda", Version(6, 4),
            QByteArray("BOOT_IMAGE=k root=/dev/sda ") + bootif },
        { "LABEL l\n KERNEL k\n APPEND -\n IPAPPEND 0x6\n", "l", Version(6, 4),
            QByteArray("BOOT_IMAGE=k ") + bootif + ' ' + uuidOption },
        { "LABEL l\n KERNEL k\n IPAPPEND 010\n", "l", Version(6, 4), "BOOT_IMAGE=k " }, // CPU=: octal 8
        { "LABEL l\n KERNEL vmlinuz\n APPEND  quiet   splash\n INITRD initrd.img\n IPAPPEND 3\n", "l single",
            Version(3, 84),
            QByteArray("quiet splash initrd=initrd.img BOOT_IMAGE=vmlinuz ") + ip + ' ' + bootif + " single" },
        { "LABEL l\n KERNEL k\n IPAPPEND 7\n", "l", Version(3, 84),
            QByteArray("BOOT_IMAGE=k ") + ip + ' ' + bootif + ' ' },
        { "LABEL l\n KERNEL k\n IPAPPEND 4\n", "l", Version(4, 5), "BOOT_IMAGE=k " + uuidOption + ' ' },
        { "ALLOWOPTIONS 0\nLABEL l\n KERNEL k\n", "l x=1", Version(4, 5), "BOOT_IMAGE=k " },
        { "ALLOWOPTIONS 0\nLABEL l\n KERNEL k\n", "l x=1", Version(6, 4), "BOOT_IMAGE=k x=1" },
        { "LABEL l\n KERNEL k\n IPAPPEND 3\n", "l", Version(6, 4), "BOOT_IMAGE=k ",
            false }, // no network strings off PXE
    };
    PxeClient client = Client("52:54:00:12:34:56", "10.0.2.15", "b8945908-d6a6-41a9-611d-74a6ab80b83d");
    for (const auto& row : rows) {
        QTemporaryDir tree;
        const QString config = row.pxe ? "pxelinux.cfg/default" : "isolinux/isolinux.cfg";
        WriteInTree(tree, config, row.config);
        const BootFiles files = BootFiles::ForConfiguration(tree.filePath(config));
        const BootConfig read = ReadBootConfig(files, files.ConfigPath(), files.StartFolder(), row.version);
        const std::optional<KernelCall> call = KernelCallOf(read, files, row.command, { row.version, row.pxe, client });
        ASSERT_TRUE(call && call->kernelLine) << row.config;
        EXPECT_EQ(*call->kernelLine, row.kernelLine) << row.config << " " << row.version.Name().toStdString();
    }
}

TEST(KernelLines, StringsNoTreeTellsAreNamed)
{
    const PxeClient client = Client("52:54:00:12:34:56", "10.0.2.15");
    const SysAppended all = SysAppendStrings(0x1ffff, { Version(6, 4), true, client });
    EXPECT_EQ(
        all.options, QByteArrayList({ "ip=10.0.2.15:10.0.2.2:10.0.2.2:255.255.255.0", "BOOTIF=01-52-54-00-12-34-56" }));
    // SYSUUID (no UUID given: DMI's), CPU and the DMI strings up to BIOSVERSION.
    ASSERT_EQ(all.unknown.size(), 15);
    EXPECT_TRUE(all.unknown.front().startsWith(u"SYSUUID="));
    EXPECT_TRUE(all.unknown[1].startsWith(u"CPU="));
    EXPECT_TRUE(all.unknown.back().startsWith(u"BIOSVERSION="));
    EXPECT_TRUE(SysAppendStrings(0x1ffff, { Version(6, 2), true, client }).unknown.size() == 15);
    EXPECT_TRUE(SysAppendStrings(0xfffc, { Version(4, 7), true, client }).unknown.isEmpty());
    const struct {
        const char* written;
        quint32 bits;
    } numbers[]
        = { { "3", 3 }, { "0x10", 16 }, { "010", 8 }, { " 2 junk", 2 }, { "x", 0 }, { "99999999999", 0xffffffff } };
    for (const auto& number : numbers)
        EXPECT_EQ(SysAppendNumber(number.written), number.bits) << number.written;
}
