#!/usr/bin/env bash
# The frame time the game itself reports (F2), full screen on an X server of its own of the given
# size, with real X keys: standing at the spawn, then walking to and fro in front of the
# laboratory. Before the walk, W is held for 2.1 s from the spawn and a screenshot is taken:
# "NOT ENOUGH MEDICINE" on it means the table was reached. Last, frame_bench times the
# presentation floor of the same size, and the medians are given as ratios to it.
#
#   bench/render/walk.sh [WIDTHxHEIGHT] [build folder]     (default 1920x1080 build)
#
# Needs the game, the screenshot tool and frame_bench built in the build folder, Xvfb and
# xdotool. MORBANE_RENDER_SCALE passes through to the game. Console and screenshot go to
# <build>/walk-<size>-<time>/.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
size=${1:-1920x1080}
build=$(cd "${2:-$root/build}" && pwd)
out=$build/walk-$size-$(date +%Y%m%d-%H%M%S)
mkdir -p "$out"
console=$out/console.log

# An X server of our own, so the keys go to nobody else's window.
exec {displayFd}<> <(:)
Xvfb -displayfd "$displayFd" -screen 0 "${size}x24" -nolisten tcp >"$out/xvfb.log" 2>&1 &
xvfb=$!
trap 'kill "$xvfb" 2>/dev/null' EXIT
read -r -t 30 -u "$displayFd" number || { echo "Xvfb did not start"; exit 2; }
export DISPLAY=:$number
export ALSOFT_CONF="${ALSOFT_CONF:-$root/tests/support/quiet-alsoft.conf}"

cd "$build"
./morbane </dev/null >"$console" 2>&1 &
game=$!
for _ in $(seq 1 120); do
    grep -q PHYSXFACTORY "$console" 2>/dev/null && break
    sleep 1
done
window=$(timeout 30 xdotool search --sync --name '^Morbane$' 2>/dev/null | head -n 1)
[ -n "$window" ] || { echo "no game window"; kill "$game"; exit 2; }
# No windowfocus: a full-screen GLFW window that sees its focus move iconifies itself. The
# pointer lies over it, so the keys reach it.

lines() { grep -c '^FR:' "$console" || true; }
sleep 3 # the render scale settles
./tools/screenshot/screenshot "$out/spawn.png" "$window"
xdotool key F2
sleep 10
standing=$(lines)
xdotool keydown w
sleep 2.1
xdotool keyup w
sleep 0.5
./tools/screenshot/screenshot "$out/w-held-2.1s.png" "$window"
atTable=$(lines)
for _ in 1 2 3; do
    for key in s w; do
        xdotool keydown "$key"
        sleep 2
        xdotool keyup "$key"
    done
done
xdotool key Escape
wait "$game" || true

median() { sort -g | awk '{ v[NR] = $1 } END { if (NR) printf "%.1f", v[int((NR + 1) / 2)] * 1000 }'; }
stand=$(sed -n "/^FR:/p" "$console" | head -n "$standing" | tail -n +2 | awk '{ print $2 }' | median)
walk=$(sed -n "/^FR:/p" "$console" | tail -n +"$((atTable + 1))" | awk '{ print $2 }' | median)
floor=$(./bench/render/frame_bench --floor "$size" 2>/dev/null | awk '/^presentation floor/ { print $3 }')
echo "$size, MORBANE_RENDER_SCALE=${MORBANE_RENDER_SCALE:-auto}"
echo "F2 median standing $stand ms, walking $walk ms; presentation floor $floor ms"
awk -v s="$stand" -v w="$walk" -v f="$floor" \
    'BEGIN { if (f > 0) printf "ratios to the floor: standing %.2f, walking %.2f\n", s / f, w / f }'
echo "after W held 2.1 s from the spawn: $out/w-held-2.1s.png"
