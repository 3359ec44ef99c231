# `cpack -G DEB` in the build folder: a Debian package of what `cmake --install` puts in
# place, its library dependencies computed from the binaries by dpkg-shlibdeps.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tq820)
set(CPACK_PACKAGE_VENDOR Velmor)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "companion program of the TQ-820 weather panel")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Velmor <tq820@velmor.pl>")
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://www.velmor.pl/tq820)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Loaded at run time, so no binary names them: Qt's Polish dialogs and the fonts with
# Arial's metrics that the tiles ask for.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n, fonts-liberation2")
# Qt's SQLite driver is a plugin, which dpkg-shlibdeps cannot see either.
if(TARGET Qt6::Sql)
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6sql6-sqlite")
endif()
# The summary above is the first line; CPack indents this body for the control file.
set(CPACK_PACKAGE_DESCRIPTION "TQ820 polls a TQ-820 weather-measurement panel over a serial port and shows
temperature, humidity, pressure, wind speed and wind direction in large tiles.
It records the readings to a file, downloads and exports the panel's memory and
administers the panel. The user interface is Polish.

The package also holds tq820-sim, a simulated panel on a pseudo-terminal.
Licence: GPL-3.0-or-later.")

include(CPack)
