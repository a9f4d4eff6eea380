#!/usr/bin/env bash
# glimra-render --format png against ansilove (Debian's C renderer of
# text-mode art) on the same bytes, as whole processes, paired run by run.
# usage: bench/render_vs_ansilove.sh GLIMRA_RENDER DISPLAY_FILE [RUNS]
set -euo pipefail
render=$1
file=$2
runs=${3:-30}
command -v ansilove >/dev/null || { echo "ansilove is not installed (apt-get install ansilove)" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$file" "$work/screen.ans"

elapsed_us() { # command...
    local start end
    start=$(date +%s%N)
    "$@" >/dev/null 2>&1
    end=$(date +%s%N)
    echo $(((end - start) / 1000))
}

: >"$work/ours"
: >"$work/theirs"
for _ in $(seq "$runs"); do
    elapsed_us "$render" --format png --output "$work/ours.png" "$work/screen.ans" >>"$work/ours"
    elapsed_us ansilove -o "$work/theirs.png" "$work/screen.ans" >>"$work/theirs"
done
median() { sort -n "$1" | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
ours=$(median "$work/ours")
theirs=$(median "$work/theirs")
echo "glimra-render --format png: median ${ours} us; ansilove: median ${theirs} us; ratio $(awk "BEGIN { printf \"%.2f\", $ours / $theirs }") ($runs runs each, $(wc -c <"$file") bytes)"
