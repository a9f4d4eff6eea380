#!/bin/bash
# Runs glimra-render --check and --config on each tree that
# make-hostile-trees.sh built, under /usr/bin/time -v (Debian's `time`)
# and a time limit, and prints a table: tree, command, exit status, wall
# seconds, largest resident size, whether that is within 5 s and 200 MB,
# and the first line of the message.
#
#     measure-hostile-trees.sh TREES [GLIMRA_RENDER [SECONDS]]
set -uo pipefail

[[ $# -ge 1 ]] || {
    echo "usage: $0 TREES [GLIMRA_RENDER [SECONDS]]" >&2
    exit 2
}
trees=$1
render=${2:-glimra-render}
limit=${3:-20}
[[ -x /usr/bin/time ]] || {
    echo "$0: needs /usr/bin/time (Debian package time)" >&2
    exit 2
}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# What an exit status means: a number, a signal's name, or the time limit.
status_of() {
    if (($1 == 137)); then
        echo "killed after $limit s"
    elif (($1 > 128)); then
        echo "SIG$(kill -l $(($1 - 128)))"
    else
        echo "$1"
    fi
}

printf '| tree | command | exit | wall s | max RSS MB | within 5 s, 200 MB | first line of the message |\n'
printf '|---|---|---|---|---|---|---|\n'
for folder in "$trees"/*/; do
    name=$(basename "$folder")
    config=$folder/isolinux/isolinux.cfg
    extra=()
    [[ -f $folder/args ]] && mapfile -t extra <"$folder/args"
    for command in check config; do
        if [[ $command == check ]]; then
            arguments=(--check "$config")
        else
            arguments=(--config "$config" "${extra[@]}")
        fi
        /usr/bin/time -v -o "$work/time" timeout --foreground -s KILL "$limit" "$render" "${arguments[@]}" \
            >"$work/out" 2>"$work/err" </dev/null
        status=$?
        wall=$(sed -n 's/.*Elapsed (wall clock) time.*: //p' "$work/time" |
            awk -F: '{ s = 0; for (i = 1; i <= NF; ++i) s = s * 60 + $i; printf "%.2f", s }')
        rss=$(awk '/Maximum resident set size/ { printf "%.0f", $NF / 1024 }' "$work/time")
        message=$(head -n 1 "$work/err" | cut -c 1-160)
        if [[ -z $message && $command == check ]]; then
            message=$(head -n 1 "$work/out" | cut -c 1-160)
        elif [[ -z $message && -s $work/out ]]; then
            message="(the screen, $(stat -c %s "$work/out") bytes)"
        fi
        within=no
        if ((status <= 2)) && awk -v w="$wall" -v r="$rss" 'BEGIN { exit !(w <= 5 && r <= 200) }'; then
            within=yes
        fi
        printf '| %s | %s | %s | %s | %s | %s | %s |\n' "$name" "$command" "$(status_of $status)" "$wall" "$rss" \
            "$within" "${message//|/\\|}"
    done
done
