#!/usr/bin/env bash
# Installs what is missing, builds a Release build and starts the music disk.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh build
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DML_BUILD_TESTS=OFF -DML_BUILD_BENCH=OFF >/dev/null
cmake --build build -j"$(nproc)" --target marrowlake ml_music
# The tracks are read from data/ relative to the working directory.
cd build/bin
exec ./marrowlake
