#!/usr/bin/env bash
# Installs a build into a temporary prefix, validates what the desktop reads
# (launcher, icons, file type, AppStream metadata, manual pages), builds the
# Debian package and checks its control fields and files.
# usage: check-install.sh BUILD_DIR   (exit 77: skipped)
set -euo pipefail
build=$(cd "$1" && pwd)
missing=()
for tool in desktop-file-validate appstreamcli dpkg-shlibdeps dpkg-deb cpack; do
    command -v "$tool" >/dev/null || missing+=("$tool")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "missing: ${missing[*]} (desktop-file-utils, appstream, dpkg-dev)"
    [ "${CI:-}" = true ] && exit 1
    exit 77
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "$*" >&2; exit 1; }

prefix=$work/prefix
cmake --install "$build" --prefix "$prefix" >/dev/null
for file in bin/glimra bin/glimra-render share/applications/glimra.desktop \
    share/icons/hicolor/scalable/apps/glimra.svg share/icons/hicolor/48x48/apps/glimra.png \
    share/icons/hicolor/256x256/apps/glimra.png share/mime/packages/glimra.xml \
    share/metainfo/io.github.glimra.Glimra.metainfo.xml share/man/man1/glimra.1 share/man/man1/glimra-render.1; do
    [ -s "$prefix/$file" ] || fail "not installed: $file"
done
desktop-file-validate "$prefix/share/applications/glimra.desktop"
head -1 "$prefix/share/doc/glimra/copyright" | grep -q "^Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/$" \
    || fail "the copyright file is not machine-readable"
# glimra-render with the VGA glyph table carries the font's licence.
if [ "$("$prefix/bin/glimra-render" --version | wc -l)" -eq 1 ]; then
    grep -q "^License: GPL-2+ and CC-BY-SA-4.0$" "$prefix/share/doc/glimra/copyright" || fail "the font's licence is not named"
fi
zcat "$prefix/share/doc/glimra/changelog.gz" >"$work/changelog"
version=$("$prefix/bin/glimra" --version | cut -d' ' -f2)
[ "$(dpkg-parsechangelog -l "$work/changelog" -S Version)" = "$version" ] || fail "the changelog is not of version $version"
appstreamcli validate --no-net "$prefix/share/metainfo/io.github.glimra.Glimra.metainfo.xml" >/dev/null
"$prefix/bin/glimra" --version | grep -qx "glimra [0-9.]*" || fail "the installed editor does not start"

(cd "$work" && cpack --config "$build/CPackConfig.cmake" -B "$work/package" >/dev/null)
deb=$(ls "$work"/package/glimra_*_*.deb)
info=$(dpkg-deb -I "$deb")
depends=$(grep "^ Depends:" <<<"$info")
grep -q "qt6-qpa-plugins" <<<"$depends" && grep -q "libqt6widgets6" <<<"$depends" || fail "$depends"
grep -q "^ Recommends: fonts-pc$" <<<"$info" || fail "no Recommends: fonts-pc"
grep -q "^ Maintainer: .* <.*@.*>$" <<<"$info" || fail "$(grep Maintainer <<<"$info")"
grep -q "^ Suggests: qemu-system-x86, qemu-system-gui, isolinux, pxelinux, syslinux-common, xorriso, ovmf, grub-common, grub-efi-amd64-bin$" <<<"$info" \
    || fail "Suggests: $(grep Suggests <<<"$info")"
contents=$(dpkg-deb -c "$deb")
for file in usr/bin/glimra usr/bin/glimra-render usr/share/applications/glimra.desktop \
    usr/share/mime/packages/glimra.xml usr/share/man/man1/glimra.1 usr/share/man/man1/glimra-render.1 \
    usr/share/doc/glimra/copyright usr/share/doc/glimra/changelog.gz; do
    grep -q " \./$file$" <<<"$contents" || fail "not in the package: $file"
done
echo "installed, validated and packaged: $(basename "$deb")"
