#!/usr/bin/env bash
# Puts every model file of a corpus into a copy of the shipped level with "levelkit import"
# alone, then checks the level and starts the game on it. Prints each refusal and the counts.
#   tools/levelkit/corpus.sh [BUILD_DIR] [FILE...]
# Without files, the corpus is Assimp's own test models (Debian's assimp-testmodels) in the
# formats level makers bring: COLLADA, Wavefront, PLY, STL, 3DS, DirectX, HMP and glTF 2.
set -uo pipefail
cd "$(dirname "$0")/../.."
build=$(realpath "${1:-build}")
shift || true
files=("$@")
if [ ${#files[@]} -eq 0 ]; then
    mapfile -t files < <(cd /usr/share/assimp/models && find Collada OBJ PLY STL 3DS X HMP glTF2 \
        -type f | grep -iE '\.(dae|obj|ply|stl|3ds|x|hmp|gltf|glb)$' | sort |
        sed 's|^|/usr/share/assimp/models/|')
fi
work=$(mktemp -d)
trap '[ -n "${KEEP_WORK:-}" ] || rm -rf "$work"' EXIT
cp -r Resources "$work/" && mkdir "$work/run"

imported=0
refused=0
for i in "${!files[@]}"; do
    # Rows of props 1.5 units across, two apart, on the ground in the first view.
    x=$(( (i % 20) * 2 - 19 ))
    z=$(( -4 - (i / 20) * 2 ))
    if reason=$("$build/levelkit" import "${files[$i]}" "$work/Resources" --name "corpus$i" \
            --fit 1.5 --at "$x" ground "$z" 2>&1 >/dev/null); then
        imported=$((imported + 1))
    else
        refused=$((refused + 1))
        echo "refused: ${reason#levelkit import: }"
    fi
done
echo "$imported of ${#files[@]} files imported, $refused refused"

"$build/levelkit" check "$work/Resources" >"$work/check.txt"
echo "levelkit check: exit $? ($(tail -1 "$work/check.txt"))"

# The game on the level: it must reach its main loop, show the imported models and quit on ESC.
cd "$work/run"
xvfb-run -a -s "-screen 0 1280x720x24" bash -c '
    "$0/morbane" -d 1280 720 >"../game.txt" 2>&1 &
    game=$!
    for _ in $(seq 120); do
        grep -q PHYSXFACTORY ../game.txt && break
        sleep 0.5
    done
    sleep 3
    "$0/tools/screenshot/screenshot" ../corpus.png >/dev/null 2>&1
    xdotool key Escape
    wait $game
' "$build"
status=$?
echo "game: exit $status, $(grep -c 'OK!' ../game.txt) start-up steps OK"
[ -n "${KEEP_SCREENSHOT:-}" ] && cp ../corpus.png "$KEEP_SCREENSHOT"
exit $status
