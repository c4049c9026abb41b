#!/usr/bin/env bash
# Builds everything and runs every test: the core and renderer natively (with
# warnings as errors), the same suite once more under AddressSanitizer and
# UndefinedBehaviorSanitizer, quillmere.scr end to end under Wine, and the
# X11 hack end to end on private Xvfb displays and under the real daemon, and
# the Wayland saver under private headless compositors.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/install-deps.sh
install_packages "${NATIVE_PACKAGES[@]}" "${WINDOWS_PACKAGES[@]}" "${X11_PACKAGES[@]}" \
  "${WAYLAND_PACKAGES[@]}" "${PACKAGE_PACKAGES[@]}"
install_wine32
ensure_test_user

jobs=$(nproc)

cmake --preset win32
cmake --build --preset win32 -j "$jobs"

# The Wine suite runs the shipped 32-bit build where 32-bit code runs, else
# the same sources built for x86_64 in 64-bit prefixes.
source scripts/wine-arch.sh
arch=$(wine_arch)
if [ "$arch" = win64 ]; then
  build_win64 "$jobs"
  echo "Wine suite: this machine cannot run 32-bit code; running the x86_64 build in win64 prefixes"
else
  echo "Wine suite: running the 32-bit quillmere.scr in win32 prefixes"
fi

cmake --preset native -DQUILLMERE_WINE_ARCH="$arch"
cmake --build --preset native -j "$jobs"
python3 scripts/check_tests.py build/native
# The packages, from the builds above, for the tests labelled package.
scripts/package.sh
ctest --preset native -j "$jobs"

cmake --preset sanitize
cmake --build --preset sanitize -j "$jobs"
ctest --preset sanitize -j "$jobs"

# Every fuzz target for a bounded time, about 30 s each.
install_packages "${FUZZ_PACKAGES[@]}"
scripts/run_fuzzers.sh
