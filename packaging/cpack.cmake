# The Debian package, built by `make package` (cpack -G DEB): partory_1.0_amd64.deb.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME partory)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Partory")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "divide a file into parts or combine files into one")
set(CPACK_PACKAGE_DESCRIPTION "Partory is a small desktop utility, laid out as a step-by-step wizard.
It divides one file into numbered part files of a chosen size, named from a
template, or combines an ordered list of files into one. A job can be paused,
continued or cancelled while it runs.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Partory developers <packages@partory-app.org>")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://www.partory-app.org")
# The libraries come from dpkg-shlibdeps. The window is laid out for the metrics of
# Liberation Sans, which no library pulls in.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-liberation")
# On a Wayland desktop (Debian's GNOME) the window needs Qt's Wayland plugin; without it, Qt
# falls back to X through XWayland where it can.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland")

# The same package from the same commit: the file times in it come from SOURCE_DATE_EPOCH, which
# cpack sets from the last commit when it is unset (cpack-epoch.cmake).
set(CPACK_PROJECT_CONFIG_FILE ${PROJECT_SOURCE_DIR}/packaging/cpack-epoch.cmake)
set(CPACK_PARTORY_SOURCE_DIR ${PROJECT_SOURCE_DIR})
