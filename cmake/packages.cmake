# The .deb of the native build, by CPack: the X11 hack, its settings file and
# manual page, with the licences and the changelog a distribution asks for.
# (The cross build's packages are its targets `setup` and `zip`.)
if(WIN32)
  return()
endif()

set(deb ${CMAKE_CURRENT_LIST_DIR}/deb)
# A release without its entry in the changelog is not packed.
file(STRINGS ${deb}/changelog top LIMIT_COUNT 1)
if(NOT top MATCHES "^quillmere \\(${PROJECT_VERSION}\\) ")
  message(FATAL_ERROR "${deb}/changelog has no entry for ${PROJECT_VERSION} at its top")
endif()
quillmere_gzip(${deb}/changelog ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz)
install(FILES ${deb}/copyright ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz
  DESTINATION share/doc/quillmere)

set(CPACK_PACKAGE_NAME quillmere)
set(CPACK_PACKAGE_VENDOR Quillmere)
set(CPACK_PACKAGE_CONTACT "Quillmere <support@quillmere.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "screensaver: the desktop as an endless sliding puzzle")
set(CPACK_PACKAGE_DESCRIPTION "\
A screensaver hack for XScreenSaver: it photographs the desktop, cuts it
into an 8 by 8 board of tiles and, after a short lavender intro, plays an
endless sliding puzzle with them, each tile lifted off the board as it
slides. On Wayland compositors with the wlroots layer shell,
quillmere-wayland does the same on every output.")
set(CPACK_STRIP_FILES ON)
# Packing installs what the build made and builds nothing itself: package.sh
# builds the shipped targets alone, not the test suites.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION x11)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE http://www.quillmere.example/)
# Depends: from the libraries the hack links, read by dpkg-shlibdeps.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS xscreensaver)
include(CPack)
