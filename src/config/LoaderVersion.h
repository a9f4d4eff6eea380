#pragma once

#include <QByteArray>
#include <QString>

#include <optional>
#include <vector>

// The SYSLINUX build a tree boots with: what its loader file says, or
// Debian's 6.04 when it ships none. Every rule that differs between builds
// takes this as its parameter; there is one simulator.
struct LoaderVersion {
    int major = 6;
    int minor = 4; // as released: 3.84 is {3, 84}, 4.05 {4, 5}, 6.04 {6, 4}
    // The banner's two parts as the binary holds them; the loader prints
    // "<banner> <firmware> <copyright>" (ETCD for ISOLINUX).
    QByteArray banner = "ISOLINUX 6.04 20200816";
    QByteArray copyright = "Copyright (C) 1994-2015 H. Peter Anvin et al";
    enum class Origin {
        Default, // the tree ships no loader: Debian's
        Tree, // read from the tree's own loader file
        Chosen, // the user's target for a tree that gets its loader later
    } origin
        = Origin::Default;
    QByteArray file; // for Tree: the image path of the file it was read from

    constexpr bool AtLeast(int wantMajor, int wantMinor) const
    {
        return major != wantMajor ? major > wantMajor : minor >= wantMinor;
    }
    // The same release, whoever built it (the banner's date may differ).
    constexpr bool SameRelease(const LoaderVersion& other) const
    {
        return major == other.major && minor == other.minor;
    }
    // The assembly core of 3.x and 4.x reads the configuration and runs the
    // prompt; 5.0 moved both into ldlinux.c32.
    constexpr bool AssemblyCore() const { return major < 5; }
    // "6.04", "4.05", "3.84".
    QString Name() const { return QStringLiteral("%1.%2").arg(major).arg(minor, 2, 10, QLatin1Char('0')); }
    // The line the loader prints first, as ISOLINUX shows it.
    QByteArray BannerLine() const { return banner + " ETCD " + copyright; }

    // Debian 12's ISOLINUX 6.04, which fills in what a tree does not ship.
    static LoaderVersion Debian() { return {}; }
    // The builds Glimra knows the rules of, oldest first, each with its
    // upstream release's banner; a target the user may choose.
    static std::vector<LoaderVersion> Known()
    {
        const auto of = [](int major, int minor, const char* banner, const char* years) {
            LoaderVersion version;
            version.major = major;
            version.minor = minor;
            version.banner = banner;
            version.copyright = QByteArray("Copyright (C) ") + years + " H. Peter Anvin et al";
            version.origin = Origin::Chosen;
            return version;
        };
        return {
            of(3, 84, "ISOLINUX 3.84 2009-12-18", "1994-2009"),
            of(4, 5, "ISOLINUX 4.05 2011-12-09", "1994-2011"),
            of(4, 7, "ISOLINUX 4.07 2013-07-25", "1994-2013"),
            of(6, 2, "ISOLINUX 6.02 ", "1994-2013"),
            of(6, 3, "ISOLINUX 6.03 2014-10-06", "1994-2014"),
            of(6, 4, "ISOLINUX 6.04 20200816", "1994-2015"),
        };
    }
    bool operator==(const LoaderVersion&) const = default;
};
