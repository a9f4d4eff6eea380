#include "LoaderDetection.h"

#include "ConfigSet.h"
#include "common/Limits.h"

#include <algorithm>

namespace {

// The longest banner or copyright line a core holds; past it the bytes are
// no string of the loader's.
constexpr qsizetype LineBytes = 96;

QByteArray BaseName(const QByteArray& path) { return path.mid(path.lastIndexOf('/') + 1).toLower(); }

bool Digit(char c) { return c >= '0' && c <= '9'; }

// The string that starts at `at`, up to its NUL or line break.
QByteArray StringAt(QByteArrayView bytes, qsizetype at)
{
    qsizetype end = at;
    while (end < bytes.size() && end - at < LineBytes && bytes[end] != '\0' && bytes[end] != '\r' && bytes[end] != '\n')
        ++end;
    return bytes.sliced(at, end - at).toByteArray();
}

// "ISOLINUX 6.03 2014-10-06 ": the core's syslinux_banner, the product
// first, then the release as major.minor with two digits.
std::optional<LoaderVersion> BannerIn(QByteArrayView bytes)
{
    static const char* const products[] = { "ISOLINUX ", "PXELINUX ", "SYSLINUX ", "EXTLINUX " };
    for (const char* product : products) {
        const QByteArrayView word(product);
        for (qsizetype at = bytes.indexOf(word); at >= 0; at = bytes.indexOf(word, at + 1)) {
            const qsizetype number = at + word.size();
            if (number + 4 > bytes.size())
                break;
            const QByteArrayView release = bytes.sliced(number, 4);
            if (!Digit(release[0]) || release[1] != '.' || !Digit(release[2]) || !Digit(release[3]))
                continue;
            LoaderVersion version;
            version.major = release[0] - '0';
            version.minor = (release[2] - '0') * 10 + (release[3] - '0');
            version.banner = StringAt(bytes, at);
            if (version.banner.endsWith(' ')) // the core prints one blank after it itself
                version.banner.chop(1);
            return version;
        }
    }
    return std::nullopt;
}

// The sizes of ldlinux.c32 of the builds known, which holds no banner.
struct KnownModule {
    qsizetype size;
    int major, minor;
};
constexpr KnownModule KnownLdlinux[] = {
    { 116860, 6, 2 }, // upstream 6.02
    { 122308, 6, 3 }, // upstream 6.03
    { 119524, 6, 4 }, // Debian 12's 6.04
};

std::optional<LoaderVersion> KnownBuild(int major, int minor)
{
    for (const LoaderVersion& known : LoaderVersion::Known()) {
        if (known.major == major && known.minor == minor)
            return known;
    }
    return std::nullopt;
}

std::optional<LoaderVersion> LdlinuxModule(QByteArrayView bytes)
{
    if (!bytes.startsWith(QByteArrayView("\x7f"
                                         "ELF",
            4)))
        return std::nullopt;
    for (const KnownModule& module : KnownLdlinux) {
        if (module.size == bytes.size())
            return KnownBuild(module.major, module.minor);
    }
    return std::nullopt;
}

}

std::optional<LoaderVersion> LoaderVersionOfFile(QByteArrayView bytes, const QByteArray& imagePath)
{
    if (bytes.size() > Limits::LoaderFileBytes)
        return std::nullopt;
    std::optional<LoaderVersion> version = BannerIn(bytes);
    if (!version && BaseName(imagePath) == "ldlinux.c32")
        version = LdlinuxModule(bytes);
    if (!version)
        return std::nullopt;
    const QByteArrayView mark("Copyright (C) ");
    if (const qsizetype at = bytes.indexOf(mark); at >= 0)
        version->copyright = StringAt(bytes, at);
    else if (const std::optional<LoaderVersion> known = KnownBuild(version->major, version->minor))
        version->copyright = known->copyright;
    else
        version->copyright.clear();
    version->origin = LoaderVersion::Origin::Tree;
    version->file = imagePath;
    return version;
}

std::vector<QByteArray> LoaderFileCandidates(const QByteArray& configPath)
{
    const LoaderPlace place = LoaderPlaceOf(configPath);
    const QByteArray folder = place.folder == "/" ? QByteArray() : place.folder;
    std::vector<QByteArray> paths { place.bootFile, folder + "/ldlinux.sys", folder + "/ldlinux.c32" };
    static const char* const usual[] = { "/isolinux/isolinux.bin", "/boot/isolinux/isolinux.bin", "/pxelinux.0",
        "/syslinux/ldlinux.sys", "/boot/syslinux/ldlinux.sys", "/ldlinux.sys", "/isolinux/ldlinux.c32",
        "/boot/isolinux/ldlinux.c32", "/syslinux/ldlinux.c32", "/boot/syslinux/ldlinux.c32", "/ldlinux.c32" };
    for (const char* path : usual) {
        if (std::find(paths.begin(), paths.end(), QByteArray(path)) == paths.end())
            paths.emplace_back(path);
    }
    return paths;
}

LoaderDetection DetectLoader(const BootFiles& files)
{
    LoaderDetection detection;
    for (const QByteArray& path : LoaderFileCandidates(files.ConfigPath())) {
        const BootFiles::Fetched fetched = files.Fetch(path, Limits::LoaderFileBytes);
        using Failure = BootFiles::Fetched::Failure;
        if (fetched.failure == Failure::Missing || fetched.failure == Failure::Outside)
            continue;
        if (fetched.failure == Failure::TooLarge) {
            detection.notes << QStringLiteral("%1 is larger than %2 KiB: no loader")
                                   .arg(QString::fromLatin1(path))
                                   .arg(Limits::LoaderFileBytes >> 10);
            continue;
        }
        if (fetched.failure != Failure::None)
            continue;
        if (std::optional<LoaderVersion> version = LoaderVersionOfFile(fetched.bytes, path)) {
            detection.version = std::move(*version);
            return detection;
        }
        detection.notes << QStringLiteral("%1 says no SYSLINUX version").arg(QString::fromLatin1(path));
    }
    return detection;
}

QString DescribeLoader(const LoaderVersion& version)
{
    const QString product = QString::fromLatin1(version.banner.left(version.banner.indexOf(' ')));
    const QString name = product + u' ' + version.Name();
    switch (version.origin) {
    case LoaderVersion::Origin::Tree:
        return QStringLiteral("%1 (the tree's %2)").arg(name, QString::fromLatin1(version.file));
    case LoaderVersion::Origin::Chosen: return QStringLiteral("%1 (chosen for this tree)").arg(name);
    case LoaderVersion::Origin::Default: break;
    }
    return QStringLiteral("%1 (Debian's: the tree ships no loader)").arg(name);
}
