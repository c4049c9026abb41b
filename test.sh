#!/usr/bin/env bash
# Builds everything and runs every test: the core and renderer natively (with
# warnings as errors), the same suite once more under AddressSanitizer and
# UndefinedBehaviorSanitizer, quillmere.scr end to end under Wine, and the
# X11 hack end to end on private Xvfb displays and under the real daemon.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/install-deps.sh
install_packages "${NATIVE_PACKAGES[@]}" "${WINDOWS_PACKAGES[@]}" "${X11_PACKAGES[@]}" \
  "${PACKAGE_PACKAGES[@]}"
# The screensaver daemon launches no hack as root: its test runs as this user.
id -u quillmere-test >/dev/null 2>&1 ||
  useradd --system --no-create-home --shell /usr/sbin/nologin quillmere-test

jobs=$(nproc)

cmake -S . -B build/win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DQUILLMERE_WERROR=ON
cmake --build build/win -j "$jobs"

# The Wine suite runs the shipped 32-bit build where 32-bit code runs, else
# the same sources built for x86_64 in 64-bit prefixes.
source scripts/wine-arch.sh
wine_cmake_args=(-DQUILLMERE_WIN_BUILD="$PWD/build/win")
if [ "$(wine_arch)" = win64 ]; then
  build_win64 "$jobs" -DQUILLMERE_WERROR=ON
  wine_cmake_args+=(-DQUILLMERE_WIN64_BUILD="$PWD/build/win64" -DQUILLMERE_WINE_ARCH=win64)
  echo "Wine suite: this machine cannot run 32-bit code; running the x86_64 build in win64 prefixes"
else
  wine_cmake_args+=(-DQUILLMERE_WINE_ARCH=win32)
  echo "Wine suite: running the 32-bit quillmere.scr in win32 prefixes"
fi

cmake -S . -B build/native -DQUILLMERE_WERROR=ON "${wine_cmake_args[@]}"
cmake --build build/native -j "$jobs"
python3 scripts/check_timeouts.py build/native
# The packages, from the builds above, for the tests labelled package.
scripts/package.sh
ctest --test-dir build/native --output-on-failure -j "$jobs"

cmake -S . -B build/sanitize -DCMAKE_BUILD_TYPE=Debug -DQUILLMERE_WERROR=ON \
  -DCMAKE_CXX_FLAGS="-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer"
cmake --build build/sanitize -j "$jobs"
ctest --test-dir build/sanitize --output-on-failure -j "$jobs" -LE 'wine|package'

# Every fuzz target for a bounded time, about 30 s each.
install_packages "${FUZZ_PACKAGES[@]}"
scripts/run_fuzzers.sh
