#!/usr/bin/env bash
# Builds Morbane and starts it. Arguments go to the game, e.g. tools/play.sh -d 1280 720
# Without a display the game runs under Xvfb for a few seconds, leaves build/screenshot.png
# and is closed with ESC.
set -euo pipefail
cd "$(dirname "$0")/.."

tools/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build --target morbane screenshot -j "$(nproc)"

# The game reads ../Resources/ from its working directory.
cd build
if [ -n "${DISPLAY:-}" ]; then
    exec ./morbane "$@"
fi

echo "No display: running under Xvfb and saving build/screenshot.png"
export MORBANE_ARGS="$*"
xvfb-run -a -s "-screen 0 1280x720x24" bash -c '
    ./morbane $MORBANE_ARGS &
    game=$!
    sleep 8
    ./tools/screenshot/screenshot screenshot.png || true
    xdotool key Escape
    wait $game
'
