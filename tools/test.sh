#!/usr/bin/env bash
# Builds Morbane and runs every test twice: an ordinary build, then one with AddressSanitizer
# and UndefinedBehaviorSanitizer. GL tests run on a private Xvfb server.
set -euo pipefail
cd "$(dirname "$0")/.."

tools/install-deps.sh
jobs=$(nproc)
# One source per target: most of a clean build went into parsing the same test and library
# headers once per file.
unity=-DCMAKE_UNITY_BUILD=ON
xvfb=(xvfb-run -a -s "-screen 0 1920x1080x24 -noreset")

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo "$unity" >/dev/null
cmake --build build -j "$jobs"
"${xvfb[@]}" ctest --test-dir build --output-on-failure -j "$jobs"

cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DMORBANE_SANITIZE=ON -DMORBANE_BENCH=OFF "$unity" \
    >/dev/null
cmake --build build-asan -j "$jobs"
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0"
export LSAN_OPTIONS="suppressions=$PWD/tools/sanitizers/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
"${xvfb[@]}" ctest --test-dir build-asan --output-on-failure -j "$jobs"
