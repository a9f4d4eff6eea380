#!/bin/bash
# The test suite's run over the small hostile trees: glimra-render --check
# and --config on each must end by itself (60 s is far more than any
# needs, sanitizers included) with exit status 0, 1 or 2, never by a
# signal, and say why when the status is not 0: a message with no empty
# name, line or reason in it. Each failing run is listed.
#
#     check-hostile-trees.sh GLIMRA_RENDER
set -uo pipefail

render=$1
trees=$(mktemp -d)
trap 'rm -rf "$trees"' EXIT
bash "$(dirname "$0")/make-hostile-trees.sh" --small "$trees" || exit 1

failed=0
for folder in "$trees"/*/; do
    name=$(basename "$folder")
    extra=()
    mapfile -t extra <"$folder/args"
    for command in check config; do
        if [[ $command == check ]]; then
            arguments=(--check "$folder/isolinux/isolinux.cfg")
        else
            arguments=(--config "$folder/isolinux/isolinux.cfg" "${extra[@]}")
        fi
        timeout --foreground -s KILL 60 "$render" "${arguments[@]}" >"$trees/out" 2>"$trees/err" </dev/null
        status=$?
        message=$(head -n 1 "$trees/err")
        [[ -n $message ]] || message=$(head -c 4096 "$trees/out" | head -n 1)
        problem=
        if ((status == 137)); then
            problem="still running after 60 s"
        elif ((status > 128)); then
            problem="killed by SIG$(kill -l $((status - 128)))"
        elif ((status > 2)); then
            problem="exit status $status"
        elif ((status != 0)) && [[ -z $message ]]; then
            problem="exit status $status without a message"
        elif [[ $message == *"which  "* || $message == *"line 0 "* || $message == *"line  "* || $message == *": " ]]; then
            problem="a name, line or reason missing"
        fi
        if [[ -n $problem ]]; then
            printf 'FAILED %s --%s: %s: %s\n' "$name" "$command" "$problem" "${message:0:200}"
            failed=1
        fi
    done
done
exit $failed
