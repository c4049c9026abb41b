# CPack's part of the packages scripts/package.sh makes: from the cross build
# the zip (quillmere.scr and its read-me; the setup program is the target
# `setup`), from the native build the .deb of the X11 hack.
set(CPACK_PACKAGE_NAME quillmere)
set(CPACK_PACKAGE_VENDOR Quillmere)
set(CPACK_PACKAGE_CONTACT "Quillmere <support@quillmere.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "screensaver: the desktop as an endless sliding puzzle")
set(CPACK_STRIP_FILES ON)
# Packing installs what the build made and builds nothing itself: package.sh
# builds the shipped targets alone, not the test suites.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)

if(WIN32)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_FILE_NAME quillmere-${PROJECT_VERSION}-win32)
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
else()
  set(CPACK_GENERATOR DEB)
  set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION x11)
  set(CPACK_DEBIAN_PACKAGE_HOMEPAGE http://www.quillmere.example/)
  # Depends: from the libraries the hack links, read by dpkg-shlibdeps.
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_PACKAGE_RECOMMENDS xscreensaver)
  set(CPACK_PACKAGE_DESCRIPTION "\
A screensaver hack for XScreenSaver: it photographs the desktop, cuts it into \
an 8 by 8 board of tiles and plays an endless sliding puzzle with them, each \
tile lifted off the board as it slides. On Wayland compositors with the wlroots \
layer shell, quillmere-wayland does the same on every output.")
endif()
include(CPack)
