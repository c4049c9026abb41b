# Sourced by run.sh and test.sh: which Wine this machine can run. A kernel
# without IA-32 emulation cannot start Wine's 32-bit loader; there the Windows
# programs are built for x86_64 as well and run by the wine64 loader.

wine_arch() {
  if /usr/lib/wine/wine --version >/dev/null 2>&1; then echo win32; else echo win64; fi
}

# build_win64 JOBS [CMAKE ARGS...]: the x86_64 cross build in build/win64.
build_win64() {
  local jobs=$1
  shift
  cmake -S . -B build/win64 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake "$@" >/dev/null
  cmake --build build/win64 -j "$jobs"
}
