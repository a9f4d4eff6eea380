#include "PxeClient.h"

#include "ConfigSet.h"

#include <QDir>
#include <QRegularExpression>
#include <QUuid>

namespace {

bool IsHex(char c, bool upper, bool lower)
{
    return (c >= '0' && c <= '9') || (upper && c >= 'A' && c <= 'F') || (lower && c >= 'a' && c <= 'f');
}

bool AllHex(QByteArrayView text, bool upper = true, bool lower = true)
{
    return !text.isEmpty() && std::all_of(text.begin(), text.end(), [&](char c) { return IsHex(c, upper, lower); });
}

bool HasUpper(QByteArrayView text)
{
    return std::any_of(text.begin(), text.end(), [](char c) { return c >= 'A' && c <= 'Z'; });
}

QString Latin(const QByteArray& bytes) { return QString::fromLatin1(bytes); }

// 8-4-4-4-12 hex digits, any case.
bool UuidShaped(const QByteArray& name)
{
    static const QRegularExpression shape(QStringLiteral("^[0-9A-Fa-f]{8}(-[0-9A-Fa-f]{4}){3}-[0-9A-Fa-f]{12}$"));
    return shape.match(Latin(name)).hasMatch();
}

// Bytes as two hex digits each, split by dashes or colons: "01-aa-..." or "aa:bb:...".
std::optional<QByteArrayList> HexGroups(const QByteArray& name)
{
    const char separator = name.contains(':') ? ':' : '-';
    const QByteArrayList groups = name.split(separator);
    if (groups.size() < 2)
        return std::nullopt;
    for (const QByteArray& group : groups) {
        if (group.size() != 2 || !AllHex(group))
            return std::nullopt;
    }
    return groups;
}

std::optional<QString> MacProblem(const QByteArray& name, const QByteArrayList& groups)
{
    QByteArrayList wanted = groups;
    for (QByteArray& group : wanted)
        group = group.toLower();
    if (wanted.size() == 6)
        wanted.prepend("01");
    const QString asked = Latin(wanted.join('-'));
    if (name.contains(':'))
        return QStringLiteral("colons: PXELINUX asks for %1, with dashes").arg(asked);
    if (groups.size() == 6)
        return QStringLiteral("no ARP type: PXELINUX asks for %1, the address after its type (01 for Ethernet)")
            .arg(asked);
    if (groups.front() == "01" && groups.size() != 7)
        return QStringLiteral("an Ethernet address has 6 bytes; this name has %1").arg(groups.size() - 1);
    if (HasUpper(name))
        return QStringLiteral("upper case: PXELINUX asks for %1, in lower case").arg(asked);
    return std::nullopt;
}

// The dotted quad "a.b.c.d" someone wrote for the client's hex name.
std::optional<quint32> DottedAddress(const QByteArray& name)
{
    const QByteArrayList parts = name.split('.');
    if (parts.size() != 4)
        return std::nullopt;
    quint32 address = 0;
    for (const QByteArray& part : parts) {
        bool ok = false;
        const uint value = part.toUInt(&ok);
        if (!ok || value > 255 || part.size() > 3)
            return std::nullopt;
        address = address << 8 | value;
    }
    return address;
}

// A name of a form the loader asks for, in the loader's own case.
bool AskedForm(const QByteArray& name)
{
    if (name == "default")
        return true;
    if (UuidShaped(name))
        return !HasUpper(name);
    if (const std::optional<QByteArrayList> groups = HexGroups(name))
        return !MacProblem(name, *groups);
    return name.size() <= 8 && AllHex(name, true, false);
}

QString HexName(quint32 value) { return QStringLiteral("%1").arg(value, 8, 16, QLatin1Char('0')).toUpper(); }

}

std::optional<PxeClient> PxeClient::Parse(const QString& mac, const QString& ip, const QString& uuid, QString* why)
{
    const auto fail = [why](const QString& message) {
        if (why)
            *why = message;
        return std::nullopt;
    };
    PxeClient client;
    const QByteArrayList groups = mac.trimmed().toLatin1().replace('-', ':').split(':');
    if (groups.size() != 6)
        return fail(QStringLiteral("A MAC address is six bytes, such as 52:54:00:12:34:56."));
    for (std::size_t at = 0; at < 6; ++at) {
        const QByteArray& group = groups[static_cast<qsizetype>(at)];
        if (group.size() != 2 || !AllHex(group))
            return fail(QStringLiteral("\"%1\" is not a byte of a MAC address.").arg(Latin(group)));
        client.mac[at] = static_cast<quint8>(group.toUInt(nullptr, 16));
    }
    if (client.mac[0] & 1)
        return fail(QStringLiteral("%1 is a group address; a network card has none.").arg(mac.trimmed()));
    const std::optional<quint32> address = DottedAddress(ip.trimmed().toLatin1());
    if (!address || *address == 0)
        return fail(QStringLiteral("An IP address is four numbers up to 255, such as 10.0.2.15."));
    // QEMU's user network is the client's /24: .2 its host (router and
    // TFTP server), .3 its DNS.
    const quint32 host = *address & 0xff;
    if (host == 0 || host == 2 || host == 3 || host == 255)
        return fail(QStringLiteral("%1 is kept on QEMU's network (.0 and .255 for the network, .2 for its server, "
                                   ".3 for DNS); take another last number.")
                        .arg(ip.trimmed()));
    client.ip = *address;
    client.server = client.gateway = (*address & 0xffffff00) | 2;
    if (!uuid.trimmed().isEmpty()) {
        const QUuid parsed(uuid.trimmed());
        if (parsed.isNull() && uuid.trimmed().count(u'0') != 32)
            return fail(QStringLiteral("A UUID is 32 hex digits in groups of 8-4-4-4-12."));
        const QByteArray bytes = parsed.toRfc4122();
        std::array<quint8, 16> made {};
        std::copy(bytes.begin(), bytes.end(), made.begin());
        client.uuid = made;
    }
    return client;
}

QString PxeClient::MacText() const { return Latin(BootIfName(*this).mid(3)).replace(u'-', u':'); }

QString PxeClient::IpText() const { return Latin(DottedQuad(ip)); }

QString PxeClient::UuidText() const
{
    if (!uuid)
        return {};
    return QUuid::fromRfc4122(QByteArrayView(reinterpret_cast<const char*>(uuid->data()), 16))
        .toString(QUuid::WithoutBraces);
}

QByteArray BootIfName(const PxeClient& client)
{
    QByteArray name = "01";
    for (const quint8 byte : client.mac)
        name += '-' + QByteArray::number(byte, 16).rightJustified(2, '0');
    return name;
}

QByteArray HexIpName(const PxeClient& client) { return HexName(client.ip).toLatin1(); }

std::optional<QByteArray> UuidName(const PxeClient& client, const LoaderVersion& version)
{
    if (!client.uuid)
        return std::nullopt;
    // The loader prints the 16 bytes as the machine's SMBIOS table stores
    // them: the first three fields little-endian, so they read swapped
    // against the usual form (seen in QEMU with -uuid, 6.04).
    std::array<quint8, 16> stored = *client.uuid;
    std::reverse(stored.begin(), stored.begin() + 4);
    std::reverse(stored.begin() + 4, stored.begin() + 6);
    std::reverse(stored.begin() + 6, stored.begin() + 8);
    // sysappend.c is_valid_uuid: 5.x and later take no UUID of version 0 or 15.
    const quint8 versionByte = stored[6];
    if (!version.AssemblyCore() && (versionByte < 0x10 || versionByte >= 0xf0))
        return std::nullopt;
    static constexpr int dashes[] = { 4, 2, 2, 2, 6 };
    QByteArray name;
    std::size_t at = 0;
    for (const int bytes : dashes) {
        if (!name.isEmpty())
            name += '-';
        for (int byte = 0; byte < bytes; ++byte, ++at)
            name += QByteArray::number(stored[at], 16).rightJustified(2, '0');
    }
    return name;
}

QByteArray DottedQuad(quint32 address)
{
    return QByteArray::number(address >> 24) + '.' + QByteArray::number(address >> 16 & 0xff) + '.'
        + QByteArray::number(address >> 8 & 0xff) + '.' + QByteArray::number(address & 0xff);
}

QByteArray PxePrefix(const PxeClient& client, const QByteArray& configPath)
{
    if (!client.pathPrefix.isEmpty())
        return BootFiles::Resolve("/", client.pathPrefix).value_or("/");
    return LoaderPlaceOf(configPath).folder;
}

std::vector<PxeCandidate> PxeCandidates(
    const BootFiles& files, const PxeClient& client, const LoaderVersion& version, const QByteArray& configPath)
{
    using Kind = PxeCandidate::Kind;
    const QByteArray prefix = PxePrefix(client, configPath);
    std::vector<PxeCandidate> candidates;
    const auto ask = [&](Kind kind, const QByteArray& name) {
        if (const std::optional<QByteArray> path = BootFiles::Resolve(prefix, name))
            candidates.push_back({ kind, *path, files.Exists(*path) });
    };
    if (!client.configFile.isEmpty())
        ask(Kind::ConfigOption, client.configFile);
    if (const std::optional<QByteArray> uuid = UuidName(client, version))
        ask(Kind::Uuid, "pxelinux.cfg/" + *uuid);
    ask(Kind::Mac, "pxelinux.cfg/" + BootIfName(client));
    const QByteArray hex = HexIpName(client);
    for (qsizetype length = 8; length >= 1; --length)
        ask(Kind::Ip, "pxelinux.cfg/" + hex.left(length));
    ask(Kind::Default, "pxelinux.cfg/default");
    return candidates;
}

std::optional<PxeCandidate> PxeChosen(const std::vector<PxeCandidate>& candidates)
{
    for (const PxeCandidate& candidate : candidates) {
        if (candidate.exists)
            return candidate;
    }
    return std::nullopt;
}

std::optional<QString> PxeNameProblem(const QByteArray& name, const LoaderVersion& version)
{
    if (name == "default")
        return std::nullopt;
    if (name.toLower() == "default")
        return QStringLiteral("PXELINUX asks for \"default\", in lower case");
    if (UuidShaped(name)) {
        if (HasUpper(name))
            return QStringLiteral("upper case: PXELINUX asks for %1, in lower case").arg(Latin(name.toLower()));
        const uint versionByte = name.mid(14, 2).toUInt(nullptr, 16);
        if (!version.AssemblyCore() && (versionByte < 0x10 || versionByte >= 0xf0))
            return QStringLiteral("SYSLINUX %1 takes no UUID whose version digit is 0 or f").arg(version.Name());
        return std::nullopt;
    }
    if (const std::optional<QByteArrayList> groups = HexGroups(name))
        return MacProblem(name, *groups);
    if (AllHex(name)) {
        if (name.size() > 8)
            return QStringLiteral("%1 hex digits: a client's address has 8, and PXELINUX asks for 8 or fewer")
                .arg(name.size());
        if (!AllHex(name, true, false))
            return QStringLiteral("lower-case hex: PXELINUX asks for %1, in upper case").arg(Latin(name.toUpper()));
        return std::nullopt;
    }
    if (const std::optional<quint32> dotted = DottedAddress(name))
        return QStringLiteral("a dotted address: PXELINUX asks for %1, the address in hex").arg(HexName(*dotted));
    const qsizetype dot = name.lastIndexOf('.');
    if (dot > 0 && AskedForm(name.left(dot)))
        return QStringLiteral("PXELINUX asks for %1, without an extension").arg(Latin(name.left(dot)));
    return std::nullopt;
}

std::vector<QByteArray> FolderNames(const BootFiles& files, const QByteArray& folder)
{
    std::vector<QByteArray> names;
    const std::optional<QString> host = files.HostPath(folder);
    if (!host)
        return names;
    const QDir dir(*host);
    for (const QString& name : dir.entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name)) {
        if (names.size() >= static_cast<std::size_t>(Limits::PxeFolderNames))
            break;
        names.push_back(QFile::encodeName(name));
    }
    return names;
}
