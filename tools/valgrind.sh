#!/usr/bin/env bash
# Runs the game for a few seconds under valgrind's leak check on a private Xvfb and prints the
# summary; errors of our own make it exit non-zero. Slow: llvmpipe runs on the simulated CPU.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build --target morbane -j "$(nproc)"
cd build
# Without a configuration of your own, sound goes to OpenAL Soft's null output, so its mixer
# thread runs under the check even where there is no sound card.
export ALSOFT_CONF="${ALSOFT_CONF:-$PWD/../tests/support/quiet-alsoft.conf}"
# On a cold machine Mesa fills its on-disk shader cache from zstd and driver threads whose stacks
# valgrind cuts off before the suppressed driver frames; without the cache every run is the same.
export MESA_SHADER_CACHE_DISABLE=true
xvfb-run -a -s "-screen 0 1280x720x24" bash -c '
    valgrind --leak-check=full --show-leak-kinds=definite,indirect --errors-for-leak-kinds=definite,indirect \
        --keep-debuginfo=yes --suppressions=../tools/sanitizers/valgrind.supp --error-exitcode=3 \
        --log-file=valgrind.log ./morbane -d 640 480 > valgrind-console.log 2>&1 &
    game=$!
    for _ in $(seq 1 600); do
        grep -q PHYSXFACTORY valgrind-console.log 2>/dev/null && break
        sleep 1
    done
    sleep 15
    xdotool key Escape
    wait $game
'
status=$?
grep -E "definitely lost|indirectly lost|ERROR SUMMARY" valgrind.log
exit $status
