#!/usr/bin/env bash
# Long-play soak: runs the game on an Xvfb of its own, plays it with real X input for a given
# number of minutes (walking, looking around, free camera, wire frame and transparency on and
# off; life runs out after about two minutes, so most of a long soak is game over), samples its memory and frame times, then closes it with ESC.
#
#   tools/soak.sh [-b release|asan|valgrind] [-m MINUTES] [-g] [-o FOLDER]
#
#   -b  which game to run: the release build in build/ (default), the sanitizer build in
#       build-asan/, or the release build under valgrind's memcheck
#   -m  minutes of play (default 20)
#   -g  run the game under gdb instead of catching a core (changes the timing a crash needs)
#   -o  where the console, samples and report go (default build/soak-<build>-<time>)
#
# Prints a report: RSS at start and end and its growth, the median frame time of the first and
# the last two minutes, a backtrace if the game crashed, and the exit status after ESC. Exits
# non-zero if the game crashed or did not exit with 0.
set -uo pipefail
cd "$(dirname "$0")/.."
root=$PWD

kind=release
minutes=20
useGdb=0
out=""
while getopts "b:m:go:" option; do
    case $option in
    b) kind=$OPTARG ;;
    m) minutes=$OPTARG ;;
    g) useGdb=1 ;;
    o) out=$OPTARG ;;
    *) sed -n '6,12p' "$0"; exit 2 ;;
    esac
done

case $kind in
release | valgrind)
    buildDir=build
    cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
    ;;
asan)
    buildDir=build-asan
    cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DMORBANE_SANITIZE=ON \
        -DMORBANE_BENCH=OFF >/dev/null
    ;;
*) echo "unknown build: $kind"; exit 2 ;;
esac
cmake --build "$buildDir" --target morbane -j "$(nproc)" || exit 2

out=${out:-$buildDir/soak-$kind-$(date +%Y%m%d-%H%M%S)}
mkdir -p "$out"
out=$(cd "$out" && pwd)
console=$out/console.log
samples=$out/rss.tsv
report=$out/report.txt

# An X server of our own, so the keys go to nobody else's window.
exec {displayFd}<> <(:)
Xvfb -displayfd "$displayFd" -screen 0 1280x720x24 -nolisten tcp >"$out/xvfb.log" 2>&1 &
xvfb=$!
read -r -t 30 -u "$displayFd" number || { echo "Xvfb did not start"; exit 2; }
export DISPLAY=:$number

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0"
export LSAN_OPTIONS="suppressions=$root/tools/sanitizers/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export MESA_SHADER_CACHE_DISABLE=true
# Sound mixes into OpenAL Soft's null output unless you bring a configuration of your own.
export ALSOFT_CONF="${ALSOFT_CONF:-$root/tests/support/quiet-alsoft.conf}"

# The game reads ../Resources/ from its working directory; a crash leaves a core there.
cd "$root/$buildDir"
ulimit -c unlimited
rm -f core core.*
game=(./morbane -d 640 480)
case $kind in
valgrind)
    game=(valgrind --leak-check=full --show-leak-kinds=definite,indirect --keep-debuginfo=yes
        --suppressions="$root/tools/sanitizers/valgrind.supp" --num-callers=40
        --log-file="$out/valgrind.log" "${game[@]}") ;;
esac
if [ "$useGdb" = 1 ]; then
    game=(gdb -q -batch -ex "handle SIGPIPE nostop" -ex run -ex "thread apply all bt"
        -ex "info registers" --args "${game[@]}")
fi
"${game[@]}" </dev/null >"$console" 2>&1 &
launcher=$!

# The process whose memory counts: the game itself, not gdb (valgrind runs in the game's pid).
gamePid() {
    if [ "$useGdb" = 1 ]; then
        pgrep -P "$launcher" | head -n 1
    else
        echo "$launcher"
    fi
}

alive() { kill -0 "$launcher" 2>/dev/null; }

start=$(date +%s)
until grep -q PHYSXFACTORY "$console" 2>/dev/null; do
    alive || break
    [ $(($(date +%s) - start)) -gt 900 ] && break
    sleep 1
done
window=""
for _ in $(seq 1 100); do
    window=$(xdotool search --name '^Morbane$' 2>/dev/null | head -n 1)
    [ -n "$window" ] && break
    alive || break
    sleep 1
done

key() { xdotool key --delay 50 "$@" 2>/dev/null; }
sampleRss() {
    local pid rss
    pid=$(gamePid)
    rss=$(awk '/^VmRSS:/ { print $2 }' "/proc/$pid/status" 2>/dev/null)
    [ -n "$rss" ] && printf '%s\t%s\n' $(($(date +%s) - played)) "$rss" >>"$samples"
}

played=$(date +%s)
: >"$samples"
loops=0
if [ -n "$window" ]; then
    xdotool windowfocus --sync "$window" 2>/dev/null
    key F2
    end=$((played + minutes * 60))
    while alive && [ "$(date +%s)" -lt "$end" ]; do
        xdotool keydown w 2>/dev/null
        sleep 3
        xdotool keyup w 2>/dev/null
        for step in 1 2 3 4 5 6; do
            xdotool mousemove_relative -- $((step * 7 - 24)) $((step % 3 * 4 - 4)) 2>/dev/null
            sleep 0.1
        done
        key Tab Tab F3 F3 F9 F9
        loops=$((loops + 1))
        # Every other loop also takes a drug, if one is in reach.
        [ $((loops % 2)) = 0 ] && key Return
        sampleRss
    done
fi

crashed=0
exitStatus=""
escSent=no
if alive; then
    escSent=yes
    xdotool windowfocus --sync "$window" 2>/dev/null
    key Escape
    for _ in $(seq 1 600); do
        alive || break
        sleep 1
    done
    if alive; then
        echo "game did not exit within 10 minutes of ESC; killing it" >>"$report"
        kill -KILL "$launcher" 2>/dev/null
    fi
fi
wait "$launcher"
exitStatus=$?
kill "$xvfb" 2>/dev/null
wait "$xvfb" 2>/dev/null

# Under gdb the launcher's status is gdb's own; the inferior's fate is in the transcript.
if [ "$useGdb" = 1 ]; then
    if grep -q "received signal" "$console"; then
        crashed=1
        exitStatus=$((128 + $(grep -m1 -o "received signal SIG[A-Z]*" "$console" |
            sed 's/received signal //' | xargs -I{} kill -l {} 2>/dev/null || echo 0)))
    elif grep -q "exited normally" "$console"; then
        exitStatus=0
    else
        exitStatus=$(grep -o "exited with code [0-9]*" "$console" | awk '{ print $4 + 0 }')
    fi
elif [ "$exitStatus" -gt 128 ]; then
    crashed=1
fi

median() { sort -g | awk '{ v[NR] = $1 } END { if (NR) print v[int((NR + 1) / 2)]; else print "-" }'; }
frameTimes=$out/frametimes.txt
grep -o '^FR: [0-9.]*' "$console" | awk '{ print $2 }' >"$frameTimes"
lines=$(wc -l <"$frameTimes")
firstMedian=$(head -n 120 "$frameTimes" | median)
lastMedian=$(tail -n 120 "$frameTimes" | median)
# The first half minute is start-up: the driver compiles shaders and the heap settles.
rssStart=$(awk '$1 >= 30 { print $2; exit }' "$samples")
rssStart=${rssStart:-$(head -n 1 "$samples" | cut -f 2)}
rssEnd=$(tail -n 1 "$samples" | cut -f 2)

{
    echo "build:                $kind$([ "$useGdb" = 1 ] && echo ' under gdb')"
    echo "played:               $(($(date +%s) - played)) s, $loops input loops"
    echo "RSS start / end:      ${rssStart:-?} kB / ${rssEnd:-?} kB, growth $((${rssEnd:-0} - ${rssStart:-0})) kB"
    echo "frame time median:    first ${firstMedian} s, last ${lastMedian} s ($lines status lines)"
    echo "ESC sent:             $escSent"
    echo "exit status:          $exitStatus"
    echo "crashed:              $([ "$crashed" = 1 ] && echo yes || echo no)"
} >>"$report"

if [ "$crashed" = 1 ]; then
    if [ "$useGdb" = 1 ]; then
        sed -n '/received signal/,$p' "$console" >>"$report"
    else
        core=$(ls -t core core.* 2>/dev/null | head -n 1)
        if [ -n "$core" ]; then
            mv "$core" "$out/core"
            # The thread that faulted first, then every thread.
            gdb -q -batch -ex bt -ex "thread apply all bt" ./morbane "$out/core" >>"$report" 2>&1
        else
            echo "no core file; the console ends:" >>"$report"
            tail -n 40 "$console" >>"$report"
        fi
    fi
fi
if [ "$kind" = valgrind ]; then
    grep -E "definitely lost|indirectly lost|ERROR SUMMARY" "$out/valgrind.log" >>"$report"
fi
cat "$report"
echo "console, samples and report: $out"
[ "$crashed" = 0 ] && [ "$exitStatus" = 0 ]
