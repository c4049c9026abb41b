# Sourced by run.sh and test.sh: installs the Debian packages a job needs,
# only those missing, so each script works alone on a fresh Debian 12.

# sd-bus (libsystemd-dev) for KWin's screenshots; KWin's protocol files for
# the tests' fake-input client.
NATIVE_PACKAGES=(g++ cmake make pkg-config libgtest-dev libbenchmark-dev libpng-dev python3
                 python3-pil libwayland-dev wayland-protocols libxkbcommon-dev libsystemd-dev
                 plasma-wayland-protocols)
# Several monitors under Wine: its X11 driver reads them through Xinerama,
# and xrandr defines them on the one Xvfb screen.
WINDOWS_PACKAGES=(g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix mingw-w64-tools
                  wine wine64 libxinerama1
                  xvfb xdotool x11-apps x11-xserver-utils imagemagick)
# Wine's 32-bit half, which runs the shipped 32-bit build. Where it cannot be
# installed (a mirror in the middle of a sync can leave the 32-bit libraries
# behind their 64-bit twins for a while) the scripts say so and run the
# x86_64 build in 64-bit prefixes, as on a kernel without IA-32 emulation.
WINE32_PACKAGES=(wine32:i386 libxinerama1:i386)
# libFuzzer ships in clang's runtime package.
FUZZ_PACKAGES=(clang-14 libclang-rt-14-dev)
# The X11 hack and its tests: Xlib, shared memory and RandR headers, a virtual
# display, the real screensaver daemon, a pointer and keyboard to drive, the
# cursor read back (XFixes) and a window that tells what reaches it (xev).
X11_PACKAGES=(libx11-dev libxext-dev libxrandr-dev libxfixes-dev xvfb xdotool x11-apps
              x11-utils x11-xserver-utils xscreensaver)
# The Wayland saver's tests and run: a headless compositor with a wallpaper,
# screenshots of an output, keys, and the idle daemon that starts savers; and
# KWin, with a session bus of its own and its screenshots read from Python.
WAYLAND_PACKAGES=(sway swaybg grim wtype swayidle kwin-wayland dbus-daemon dbus-bin python3-dbus)
# scripts/package.sh: NSIS for the setup program, git for the commit's date,
# dpkg-shlibdeps and file (which CPack runs on the hack) for the .deb's
# Depends; for the package tests, lintian, man, and 7-Zip to unpack the setup
# program.
PACKAGE_PACKAGES=(nsis git dpkg-dev file lintian man-db p7zip-full)

# The screensaver daemon launches no hack as root, and sway will not run as
# root: both run as this user in the tests and in ./run.sh --wayland.
ensure_test_user() {
  id -u quillmere-test >/dev/null 2>&1 ||
    useradd --system --no-create-home --shell /usr/sbin/nologin quillmere-test
}

missing_packages() {
  local package
  for package in "$@"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' ||
      echo "$package"
  done
}

install_wine32() {
  INSTALL_ATTEMPTS=2 install_packages "${WINE32_PACKAGES[@]}" ||
    echo "install-deps: the 32-bit Wine could not be installed; the x86_64 build runs in its place" >&2
}

# install_packages PACKAGE...: the missing ones; INSTALL_ATTEMPTS (default 4)
# bounds the tries where the package lists came in short.
install_packages() {
  local missing
  missing=$(missing_packages "$@")
  [ -z "$missing" ] && return 0
  if [[ " $* " == *":i386 "* ]] && ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
  fi
  echo "Installing: $missing"
  # Scripts run side by side (a test run and a package build) take turns. A
  # mirror in the middle of a sync fails an index or two for minutes at a
  # time while the rest are fine: the install then succeeds or fails on its
  # own account, and where the lists were short it is tried again a little
  # later, a few times.
  (
    flock 9
    local attempt attempts=${INSTALL_ATTEMPTS:-4}
    for ((attempt = 1; attempt <= attempts; attempt++)); do
      local updated=1
      apt-get update -q || {
        updated=0
        echo "install-deps: apt-get update failed for some lists; installing from what it has" >&2
      }
      # shellcheck disable=SC2086
      DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends \
        -o DPkg::Lock::Timeout=600 $missing && exit 0
      if [ "$updated" = 1 ] || [ "$attempt" = "$attempts" ]; then exit 1; fi
      echo "install-deps: trying again in 60 s (attempt $attempt of $attempts)" >&2
      sleep 60
    done
  ) 9>/var/lock/quillmere-apt.lock
}
