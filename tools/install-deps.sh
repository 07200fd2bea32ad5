#!/usr/bin/env bash
# Installs the Debian packages that the build, the game and the tests need, if any are missing.
set -euo pipefail

packages=(
    cmake g++ make pkg-config
    libglfw3-dev libglew-dev libglm-dev libassimp-dev libfreeimage-dev libfreetype-dev
    libbullet-dev libx11-dev libopenal-dev libsndfile1-dev
    libgtest-dev libgmock-dev assimp-testmodels
    libgl1-mesa-dri libglx-mesa0
    xvfb xauth xdotool x11-utils glslang-tools apitrace
    dpkg-dev file
)

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$package")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
as_root=()
if [ "$(id -u)" -ne 0 ]; then
    as_root=(sudo)
fi
"${as_root[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
