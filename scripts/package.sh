#!/usr/bin/env bash
# Builds the packages into dist/: the setup program and the zip from the
# 32-bit cross build, the .deb of the X11 hack and the Wayland saver from the
# native build. Each build makes only what it ships. Two runs on one commit,
# in any two folders, give the same .zip and .deb: dated the commit's time (or
# $SOURCE_DATE_EPOCH when the caller sets one), with fixed file modes and zone.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/install-deps.sh
install_packages "${NATIVE_PACKAGES[@]}" "${X11_PACKAGES[@]}" g++-mingw-w64-i686-posix \
  "${PACKAGE_PACKAGES[@]}"

if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
  SOURCE_DATE_EPOCH=$(git log -1 --format=%ct) ||
    { echo "package.sh: not a git checkout; set SOURCE_DATE_EPOCH" >&2; exit 1; }
fi
export SOURCE_DATE_EPOCH TZ=UTC
umask 022

jobs=$(nproc)
# Made again on every run, so that each carries this run's date.
rm -f build/win/quillmere-*-setup.exe build/win/quillmere-*-win32.zip
cmake --preset win32 >/dev/null
cmake --build --preset win32 -j "$jobs" --target setup zip

cmake --preset native >/dev/null
cmake --build --preset native -j "$jobs" --target quillmere quillmere-wayland
cpack --preset native >/dev/null

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/native/CMakeCache.txt)
mkdir -p dist
rm -f dist/quillmere[-_]*
cp build/win/quillmere-"$version"-setup.exe build/win/quillmere-"$version"-win32.zip \
  build/native/quillmere_"$version"_"$(dpkg --print-architecture)".deb dist/
ls -l dist/quillmere[-_]*
