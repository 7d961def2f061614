#!/usr/bin/env bash
# Installs the Debian packages a step needs, only when some are missing.
# Usage: scripts/install-deps.sh build|test
set -euo pipefail

build_pkgs=(build-essential cmake pkg-config libsdl2-dev libmpg123-dev libmp3lame-dev
            libpng-dev libfreetype-dev fonts-dejavu-core fonts-dejavu-extra libgl-dev
            libglu1-mesa-dev libgl1-mesa-dri libglx-mesa0 libx11-dev)
test_pkgs=(googletest libgtest-dev libgmock-dev libbenchmark-dev xvfb xfonts-base xdotool
           x11-utils x11-apps imagemagick python3)

want=("${build_pkgs[@]}")
if [ "${1:-build}" = test ]; then
  want+=("${test_pkgs[@]}")
fi

missing=()
for p in "${want[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
