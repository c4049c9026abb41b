#!/usr/bin/env bash
# Builds quillmere.scr and runs it under Wine: ./run.sh [/s | /c | /p]
# (default /s, the saver). With DISPLAY set it runs on that display; without,
# on a private virtual screen showing the sample desktop, and saves
# screenshots into out/. ./run.sh --linux runs the X11 hack natively instead,
# on DISPLAY (with any hack options after it) or on a private virtual screen;
# ./run.sh --wayland runs the Wayland saver on WAYLAND_DISPLAY or, without
# it, under a private headless compositor.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/install-deps.sh
if [ "${1:-}" = --linux ]; then
  shift
  install_packages "${NATIVE_PACKAGES[@]}" "${X11_PACKAGES[@]}"
  cmake --preset native >/dev/null
  cmake --build --preset native -j "$(nproc)" --target quillmere quillmere-sample x11_probe >/dev/null
  exec /usr/bin/python3 scripts/run_hack.py "$@"
fi
if [ "${1:-}" = --wayland ]; then
  shift
  install_packages "${NATIVE_PACKAGES[@]}" "${WAYLAND_PACKAGES[@]}"
  ensure_test_user
  cmake --preset native >/dev/null
  cmake --build --preset native -j "$(nproc)" --target quillmere-wayland quillmere-sample >/dev/null
  exec /usr/bin/python3 scripts/run_wayland.py "$@"
fi
install_packages "${NATIVE_PACKAGES[@]}" "${WINDOWS_PACKAGES[@]}"
install_wine32

jobs=$(nproc)
cmake --preset win32 >/dev/null
cmake --build --preset win32 -j "$jobs" >/dev/null
cmake --preset native >/dev/null
cmake --build --preset native -j "$jobs" --target quillmere-sample >/dev/null

# Without 32-bit support the x86_64 build runs, in a 64-bit prefix.
source scripts/wine-arch.sh
arch=$(wine_arch)
if [ "$arch" = win64 ]; then
  build_win64 "$jobs" >/dev/null
  echo "Wine: this machine cannot run 32-bit code; running the x86_64 build in a win64 prefix"
fi

QUILLMERE_WIN_BUILD="$PWD/build/win" QUILLMERE_WIN64_BUILD="$PWD/build/win64" \
  QUILLMERE_WINE_ARCH="$arch" QUILLMERE_WINE_WORK="$PWD/build/run-wine" \
  exec /usr/bin/python3 scripts/run_saver.py "$@"
