# The Debian package: cpack -G DEB in the build folder makes
# paleoviz_VERSION_ARCH.deb of what cmake --install installs (the programs,
# the data, the manual pages, the desktop entry and the icon) under /usr,
# with the copyright file and changelog Debian asks for in
# /usr/share/doc/paleoviz. The Python module (install component "python")
# is not in it. Its dependencies are computed by dpkg-shlibdeps (dpkg-dev)
# from the libraries the programs link.

set(PALEOVIZ_PACKAGE_MAINTAINER "The paleoviz developers <paleoviz@example.org>"
    CACHE STRING "Maintainer field of the Debian package: Name <address>")

# The changelog, gzip-compressed without a time stamp as lintian asks.
set(PALEOVIZ_CHANGELOG ${PROJECT_BINARY_DIR}/packaging/changelog)
configure_file(${PROJECT_SOURCE_DIR}/packaging/changelog.in ${PALEOVIZ_CHANGELOG} @ONLY)
find_program(PALEOVIZ_GZIP gzip REQUIRED)
add_custom_command(OUTPUT ${PALEOVIZ_CHANGELOG}.gz
  COMMAND ${PALEOVIZ_GZIP} -9nf -k ${PALEOVIZ_CHANGELOG}
  DEPENDS ${PALEOVIZ_CHANGELOG}
  VERBATIM)
add_custom_target(paleoviz_changelog ALL DEPENDS ${PALEOVIZ_CHANGELOG}.gz)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/copyright ${PALEOVIZ_CHANGELOG}.gz
        DESTINATION ${CMAKE_INSTALL_DOCDIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME paleoviz)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${PALEOVIZ_PACKAGE_MAINTAINER})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# Only the default install component: the program, tools, data and desktop
# files, not the Python module.
set(CPACK_INSTALL_CMAKE_PROJECTS "${PROJECT_BINARY_DIR};${PROJECT_NAME};Unspecified;/")
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Earth's orbit and insolation over millions of years, for paleoclimatology")
# The long description under the summary; CPack indents it and turns the
# empty line into Debian's " ." paragraph break.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "paleoviz shows the Sun, the Earth's orbit and four globes at the equinoxes
and solstices coloured by daily-mean insolation, with a panel of
eccentricity, precession and obliquity, over 5.8 million years, for
teaching and research.

paleoviz-insolation computes orbital elements and top-of-atmosphere
insolation (daily, integrated, caloric, monthly, instantaneous, annual) at
any latitude, season and time of the published solution of Laskar et al.
(2004), as CSV or NetCDF; paleoviz-orbit-series writes the window's
orbital series file.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
