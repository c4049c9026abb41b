#!/usr/bin/env bash
# Builds the headless renderer and renders a preview of the saver running on
# the built-in sample desktop: a few PNG frames in out/.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/install-deps.sh
install_packages "${NATIVE_PACKAGES[@]}"

cmake -S . -B build/native -DCMAKE_BUILD_TYPE=Release
cmake --build build/native -j "$(nproc)" --target quillmere-render

# The first intro tick, mid-intro, the intro's last tick, and the first tile
# halfway into the hole, lifted the most.
build/native/render/quillmere-render --sample --seed 1 --ticks 108 \
  --frame 1 --frame 50 --frame 100 --frame 108 --out out
