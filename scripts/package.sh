#!/usr/bin/env bash
# Builds the packages into dist/: the setup program and the zip from the
# 32-bit cross build, the .deb of the X11 hack and the Wayland saver from the
# native build. Each build makes only what it ships; the packages hold the
# files its `cmake --install` puts in place.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/install-deps.sh
install_packages "${NATIVE_PACKAGES[@]}" "${X11_PACKAGES[@]}" g++-mingw-w64-i686-posix \
  "${PACKAGE_PACKAGES[@]}"

jobs=$(nproc)
cmake --preset win32 >/dev/null
cmake --build --preset win32 -j "$jobs" --target setup
cpack --preset win32 >/dev/null

cmake --preset native >/dev/null
cmake --build --preset native -j "$jobs" --target quillmere quillmere-wayland
cpack --preset native >/dev/null

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/native/CMakeCache.txt)
mkdir -p dist
rm -f dist/quillmere[-_]*
cp build/win/quillmere-"$version"-setup.exe build/win/quillmere-"$version"-win32.zip \
  build/native/quillmere_"$version"_"$(dpkg --print-architecture)".deb dist/
ls -l dist/quillmere[-_]*
