#!/bin/bash
# Builds boot trees made to hurt a reader of them, one folder each under
# DEST: TREE/isolinux/isolinux.cfg with what it names, and TREE/args, the
# extra glimra-render --config arguments (one a line: keys, format).
#
#     make-hostile-trees.sh [--small] DEST
#
# --small builds only the trees that need no large file (for the test
# suite). Bash and coreutils, with gzip for the PNG's deflate streams and
# CRCs; the menu modules come from Debian's syslinux-common when installed.
set -euo pipefail

small=false
if [[ ${1:-} == --small ]]; then
    small=true
    shift
fi
[[ $# -eq 1 ]] || {
    echo "usage: $0 [--small] DEST" >&2
    exit 2
}
dest=$1
mkdir -p "$dest"
modules=/usr/lib/syslinux/modules/bios
big=$((1 << 20))

# tree NAME: a fresh tree; $t is its isolinux folder.
tree() {
    rm -rf "${dest:?}/$1"
    t=$dest/$1/isolinux
    mkdir -p "$t"
    : >"$dest/$1/args"
}
args() { printf '%s\n' "$@" >>"$t/../args"; }
config() { printf '%b' "$1" >"$t/${2:-isolinux.cfg}"; }
# The modules named, Debian's when there, else four bytes of an ELF header.
module() {
    local name
    for name; do
        cp "$modules/$name" "$t/" 2>/dev/null || printf '\x7fELF' >"$t/$name"
    done
}
menu() { module menu.c32 libutil.c32; }
vesamenu() {
    module vesamenu.c32 libcom32.c32 libutil.c32
    args --format png
}
# Lines of TEXT up to BYTES bytes.
lines() { yes "$2" | head -c "$1" || true; }
# FILE doubled N times.
double() {
    local round
    for ((round = 0; round < $2; ++round)); do
        cat "$1" "$1" >"$1.next"
        mv "$1.next" "$1"
    done
}
le16() { printf '\\x%02x\\x%02x' $(($1 & 255)) $(($1 >> 8 & 255)); }
le32() { printf '\\x%02x\\x%02x\\x%02x\\x%02x' $(($1 & 255)) $(($1 >> 8 & 255)) $(($1 >> 16 & 255)) $(($1 >> 24 & 255)); }
be32() { printf '\\x%02x\\x%02x\\x%02x\\x%02x' $(($1 >> 24 & 255)) $(($1 >> 16 & 255)) $(($1 >> 8 & 255)) $(($1 & 255)); }
# The CRC-32 that zlib and PNG use, of a file, big-endian: gzip's trailer has it.
crc32() {
    local bytes
    bytes=$(gzip -c -n "$1" | tail -c 8 | head -c 4 | od -An -tu4 | tr -d ' ')
    be32 "$bytes"
}

# PNG NAME WIDTH HEIGHT COLOUR-TYPE CHANNELS RAW-BYTES: a PNG whose one IDAT
# inflates to RAW-BYTES of zeros (the image's own size, or far more).
png() {
    local file=$1 work=$1.work raw=$6
    printf '\x89PNG\r\n\x1a\n' >"$file"
    printf "IHDR$(be32 "$2")$(be32 "$3")\\x08$(printf '\\x%02x' "$4")\\x00\\x00\\x00" >"$work"
    printf "$(be32 13)" >>"$file"
    cat "$work" >>"$file"
    printf "$(crc32 "$work")" >>"$file"
    # zlib: its header, gzip's deflate stream, Adler-32 of zeros (A = 1, B = n).
    printf 'IDAT\x78\x01' >"$work"
    head -c "$raw" /dev/zero | gzip -1 -n | tail -c +11 | head -c -8 >>"$work.deflate"
    cat "$work.deflate" >>"$work"
    printf "$(be32 $(((raw % 65521) << 16 | 1)))" >>"$work"
    printf "$(be32 $(($(stat -c %s "$work") - 4)))" >>"$file"
    cat "$work" >>"$file"
    printf "$(crc32 "$work")" >>"$file"
    printf '\x00\x00\x00\x00IEND\xae\x42\x60\x82' >>"$file"
    rm -f "$work" "$work.deflate"
}

# An ELF module whose dynamic section holds COUNT DT_NEEDED entries, each
# naming one string of NAME-BYTES bytes with no end.
needy_elf() {
    local file=$1 count=$2 name=$3 dynamic=116
    local strings=$((dynamic + count * 8 + 16))
    local size=$((strings + name))
    {
        printf '\x7fELF\x01\x01\x01'
        head -c 21 /dev/zero
        printf "$(le32 52)"
        head -c 10 /dev/zero
        printf "$(le16 32)$(le16 2)"
        head -c 6 /dev/zero
        printf "$(le32 1)$(le32 0)$(le32 0)$(le32 0)$(le32 $size)$(le32 $size)$(le32 7)$(le32 4096)"
        printf "$(le32 2)$(le32 $dynamic)$(le32 $dynamic)$(le32 0)$(le32 $((count * 8 + 16)))$(le32 $((count * 8 + 16)))$(le32 6)$(le32 4)"
    } >"$file"
    printf "$(le32 1)$(le32 0)" >"$file.entries"
    double "$file.entries" "$(awk -v n="$count" 'BEGIN { print int(log(n) / log(2) + 0.5) }')"
    cat "$file.entries" >>"$file"
    printf "$(le32 5)$(le32 $strings)$(le32 0)$(le32 0)" >>"$file"
    head -c "$name" /dev/zero | tr '\0' A >>"$file"
    rm -f "$file.entries"
}

# The small trees.

tree empty-submenu
menu
config 'UI menu.c32\nMENU TITLE Top\nMENU BEGIN empty\nMENU TITLE Empty\nMENU INCLUDE missing.cfg Tagged\nMENU END\nLABEL a\n KERNEL a\n'
args --keys ret

tree include-fanout
config 'PROMPT 1\nINCLUDE i0.cfg\n'
for ((level = 0; level < 30; ++level)); do
    config "INCLUDE i$((level + 1)).cfg\nINCLUDE i$((level + 1)).cfg\n" "i$level.cfg"
done
config 'LABEL leaf\n KERNEL leaf\n' i30.cfg

tree include-loop
config 'PROMPT 1\nINCLUDE a.cfg\n'
config 'SAY a\nINCLUDE b.cfg\n' a.cfg
config 'SAY b\nINCLUDE a.cfg\n' b.cfg

tree include-chain-17
config 'PROMPT 1\nINCLUDE c1.cfg\n'
for ((level = 1; level <= 17; ++level)); do
    config "SAY level $level\nINCLUDE c$((level + 1)).cfg\n" "c$level.cfg"
done

tree config-loop
config 'DEFAULT x\nLABEL x\n CONFIG other.cfg\n'
config 'DEFAULT y\nLABEL y\n CONFIG isolinux.cfg\n' other.cfg

tree menu-goto-chain
menu
{
    printf 'UI menu.c32\nLABEL first\n MENU GOTO m0\n'
    for ((index = 0; index < 1000; ++index)); do
        printf 'MENU BEGIN m%d\nLABEL next\n MENU GOTO m%d\nMENU END\n' $index $(((index + 1) % 1000))
    done
} >"$t/isolinux.cfg"
args --keys 'ret ret ret ret ret ret'

for resolution in 8x8 640x17 2147483647x2147483647 -1x-1 0x0; do
    tree "resolution-$resolution"
    vesamenu
    config "UI vesamenu.c32\nMENU RESOLUTION ${resolution%x*} ${resolution#*x}\nLABEL a\n MENU LABEL Entry\n KERNEL a\n"
done

for keyword in INDENT WIDTH ROWS MARGIN HSHIFT VSHIFT TABMSGROW CMDLINEROW ENDROW TIMEOUTROW HELPMSGROW \
    HELPMSGENDROW PASSWORDROW; do
    for number in 2147483647 -2147483648; do
        tree "menu-${keyword,,}$number"
        menu
        config "UI menu.c32\nTIMEOUT 50\nMENU $keyword $number\nLABEL a\n MENU LABEL Entry\n TEXT HELP\n Help\n ENDTEXT\n"
        args --keys 'down tab'
    done
done

for timeout in TIMEOUT TOTALTIMEOUT; do
    tree "${timeout,,}-30000000"
    config "PROMPT 1\n$timeout 30000000\nDEFAULT a\nLABEL a\n KERNEL a\n"
    args --keys timeout
    tree "menu-${timeout,,}-30000000"
    menu
    config "UI menu.c32\n$timeout 2147483647\nLABEL a\n KERNEL a\n"
    args --keys 'sleep:1000 timeout'
done

tree dotdot
menu
mkdir -p "$dest/dotdot/isolinux/sub"
config 'UI ../../menu.c32\nINCLUDE ../../../etc/passwd\nDISPLAY ../../../../etc/passwd\nF1 ../../../etc/shadow\nFONT ../../x.psf\nMENU BACKGROUND ../../../x.png\nLABEL a\n KERNEL ../../../bin/sh\nLABEL b\n COM32 sub/../../../x.c32\nLABEL c\n CONFIG ../../../etc/x.cfg\n'
args --keys '"b" ret'

tree absolute
config 'PROMPT 1\nINCLUDE /etc/passwd\nDISPLAY /etc/passwd\nF1 /etc/shadow\nFONT /etc/shadow\nLABEL a\n KERNEL /bin/sh\nLABEL b\n COM32 /usr/lib/syslinux/modules/bios/menu.c32\n'
args --keys '"a" ret'

tree link-shadow
ln -s /etc/shadow "$t/shadow"
ln -s /etc/shadow "$t/shadow.cfg"
config 'PROMPT 1\nINCLUDE shadow.cfg\nDISPLAY shadow\nF1 shadow\nLABEL a\n KERNEL shadow\n'
args --keys 'f1 "a" ret'

tree link-zero
ln -s /dev/zero "$t/zero"
ln -s /dev/zero "$t/zero.cfg"
config 'PROMPT 1\nINCLUDE zero.cfg\nDISPLAY zero\nF1 zero\nLABEL a\n KERNEL zero\n'
args --keys 'f1 "a" ret'

tree fifo
mkfifo "$t/fifo" "$t/fifo.cfg"
config 'PROMPT 1\nINCLUDE fifo.cfg\nDISPLAY fifo\nF1 fifo\nLABEL a\n KERNEL fifo\n'
args --keys 'f1 "a" ret'

tree elf-huge-needed
needy_elf "$t/menu.c32" 131072 65536
config 'UI menu.c32\nLABEL a\n KERNEL a\n'

tree lss16-8192
vesamenu
{
    printf "\\x3d\\xf3\\x13\\x14$(le16 8192)$(le16 8192)"
    head -c 48 /dev/zero
} >"$t/splash.lss"
for ((run = 0; run < 31; ++run)); do printf '\x00\xff'; done >"$t/row"
double "$t/row" 13
cat "$t/row" >>"$t/splash.lss"
rm "$t/row"
config 'UI vesamenu.c32\nMENU BACKGROUND splash.lss\nLABEL a\n KERNEL a\n'

$small && exit 0

# The large trees.

tree png-8192
vesamenu
png "$t/splash.png" 8192 8192 2 3 $(((1 + 8192 * 3) * 8192))
config 'UI vesamenu.c32\nMENU BACKGROUND splash.png\nLABEL a\n KERNEL a\n'

tree png-bomb
vesamenu
png "$t/splash.png" 8192 8192 6 4 $((4 << 30))
config 'UI vesamenu.c32\nMENU BACKGROUND splash.png\nLABEL a\n KERNEL a\n'

tree menu-begin-15mib
menu
{
    printf 'UI menu.c32\n'
    lines $((15 * big)) 'MENU BEGIN'
} >"$t/isolinux.cfg"

tree labels-100000
menu
{
    printf 'UI menu.c32\n'
    for ((label = 0; label < 100000; ++label)); do printf 'LABEL l%d\n KERNEL k\n' $label; done
} >"$t/isolinux.cfg"
args --keys 'pgdn end tab'

tree say-100000
{
    printf 'PROMPT 1\n'
    lines $((100000 * 9)) 'SAY hello'
} >"$t/isolinux.cfg"

tree label-x-15mib
{
    printf 'PROMPT 1\n'
    lines $((15 * big)) 'LABEL x'
} >"$t/isolinux.cfg"
args --keys tab

tree config-1gib
printf 'PROMPT 1\nSAY one gigabyte\n' >"$t/isolinux.cfg"
truncate -s 1G "$t/isolinux.cfg"

tree include-1gib
config 'PROMPT 1\nINCLUDE big.cfg\n'
printf 'SAY one gigabyte\n' >"$t/big.cfg"
truncate -s 1G "$t/big.cfg"

for size in 32 100; do
    tree "line-${size}mib"
    {
        printf 'PROMPT 1\nSAY '
        head -c $((size * big)) /dev/zero | tr '\0' x
        printf '\n'
    } >"$t/isolinux.cfg"
done
