# Sourced by run.sh and test.sh: which Wine this machine can run. A kernel
# without IA-32 emulation cannot start Wine's 32-bit loader; there the Windows
# programs are built for x86_64 as well and run by the wine64 loader.

wine_arch() {
  if /usr/lib/wine/wine --version >/dev/null 2>&1; then echo win32; else echo win64; fi
}

# build_win64 JOBS: the x86_64 cross build in build/win64.
build_win64() {
  cmake --preset win64 >/dev/null
  cmake --build --preset win64 -j "$1"
}
