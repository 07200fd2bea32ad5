#!/bin/sh
# Records the game at the spawn with apitrace, counts the GL calls of a steady frame against
# its draws, and replays the recording, which must raise no GL error on the way.
# Usage: gl-trace.sh <morbane binary>. Runs on an X server of its own, so that no window of a
# test beside it takes the focus and pauses the game.
set -eu
binary=$(realpath "$1")
work=$(mktemp -d)
Xvfb -displayfd 3 -screen 0 1280x720x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
server=$!
trap 'kill $server; rm -rf "$work"' EXIT
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=":$(cat "$work/display")"
cd "$(dirname "$binary")" # the game finds ../Resources from its working folder

timeout -s TERM 6 apitrace trace -o "$work/game.trace" "$binary" -d 640 480 \
    >"$work/game.out" 2>&1 </dev/null || true
apitrace dump --color=never "$work/game.trace" >"$work/dump.txt"

# The frame before the last complete one: the player has landed and nothing loads any more.
awk '
    /^[0-9]+ [A-Za-z0-9_]+\(/ {
        calls++
        if ($2 ~ /^glDraw/) draws++
        if ($2 ~ /^glXSwapBuffers/) { frames++; last = previous; previous = calls " " draws; calls = draws = 0 }
    }
    END {
        split(last, f, " ")
        if (frames < 10 || f[2] == 0) { print "only " frames " frames recorded"; exit 1 }
        printf "a steady frame: %d GL calls for %d draws, %.2f per draw\n", f[1], f[2], f[1] / f[2]
        if (f[1] > 8 * f[2]) exit 1
    }' "$work/dump.txt"

apitrace replay "$work/game.trace" >"$work/replay.txt" 2>&1
if grep -n -m 5 "glGetError" "$work/replay.txt"; then
    echo "the replay raised GL errors"
    exit 1
fi
tail -n 1 "$work/replay.txt"
