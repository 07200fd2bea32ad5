#!/usr/bin/env bash
# Runs the walk-through of docs/level.md as written: every line of its ```sh blocks in turn, in
# WORK_DIR, where build/ and Resources/ lead to the build and the shipped level. The ```text
# block after a command block is that block's output. The line that starts the game is not run.
#   walkthrough.sh BUILD_DIR WORK_DIR            prints the document with its outputs renewed
#   walkthrough.sh BUILD_DIR WORK_DIR --rewrite  writes them into docs/level.md
# Exits 1 when a command fails.
set -euo pipefail
repo=$(cd "$(dirname "$0")/../.." && pwd)
build=$(realpath "$1")
work=$2
if ! mkdir "$work"; then
    echo "walkthrough: $work must not exist yet" >&2
    exit 1
fi
ln -sfn "$build" "$work/build"
ln -sfn "$repo/Resources" "$work/Resources"

renewed=$(mktemp)
trap 'rm -f "$renewed"' EXIT
block=none # none, sh, output (an old output being replaced)
output=""
ready=false # a command block has just ended: a text block after it is its output
while IFS= read -r line; do
    case "$block" in
    sh)
        if [ "$line" = '```' ]; then
            block=none
            ready=true
        elif [[ ! "$line" =~ build/morbane ]]; then
            if ! result=$(cd "$work" && bash -c "$line" 2>&1); then
                echo "walkthrough: failed: $line" >&2
                echo "$result" >&2
                exit 1
            fi
            [ -z "$result" ] || output+="$result"$'\n'
        fi
        echo "$line" >>"$renewed"
        ;;
    output)
        if [ "$line" = '```' ]; then
            printf '%s```\n' "$output" >>"$renewed"
            block=none
        fi
        ;;
    none)
        echo "$line" >>"$renewed"
        if [ "$line" = '```sh' ]; then
            block=sh
            output=""
        elif [ "$line" = '```text' ] && $ready; then
            block=output
        elif [ -n "$line" ]; then
            ready=false
        fi
        ;;
    esac
done <"$repo/docs/level.md"

if [ "${3:-}" = --rewrite ]; then
    cp "$renewed" "$repo/docs/level.md"
else
    cat "$renewed"
fi
