# The Debian packages: cpack -G DEB in the build folder makes
# paleoviz_VERSION_ARCH.deb of what cmake --install installs (the programs,
# the data, the manual pages, the desktop entry and the icon) under /usr,
# with the copyright file and changelog Debian asks for in
# /usr/share/doc/paleoviz. Where the Python module is built
# (-DPALEOVIZ_PYTHON=ON) it makes python3-paleoviz_VERSION_ARCH.deb as well,
# the module in Debian's /usr/lib/python3/dist-packages. Dependencies on
# libraries are computed by dpkg-shlibdeps (dpkg-dev) from what the
# programs and the module link.

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

# The module's package: its own install component, left out of a plain
# cmake --install, which puts the module where scripts/install_python.sh
# says instead.
if(TARGET paleoviz_python)
  set(PALEOVIZ_DIST_PACKAGES lib/python3/dist-packages/paleoviz)
  install(TARGETS paleoviz_python LIBRARY DESTINATION ${PALEOVIZ_DIST_PACKAGES}
          COMPONENT python_deb EXCLUDE_FROM_ALL)
  # Every module of the package beside the extension.
  file(GLOB PALEOVIZ_DEB_MODULES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/python/paleoviz/*.py)
  install(FILES ${PALEOVIZ_DEB_MODULES} DESTINATION ${PALEOVIZ_DIST_PACKAGES}
          COMPONENT python_deb EXCLUDE_FROM_ALL)
  install(FILES ${PROJECT_SOURCE_DIR}/packaging/copyright ${PALEOVIZ_CHANGELOG}.gz
          DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/python3-paleoviz
          COMPONENT python_deb EXCLUDE_FROM_ALL)
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME paleoviz)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${PALEOVIZ_PACKAGE_MAINTAINER})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# The default install component (the programs, data and desktop files)
# and, with the module, its package; never the component "python", which
# installs the module for one user.
if(TARGET paleoviz_python)
  set(CPACK_DEB_COMPONENT_INSTALL ON)
  set(CPACK_COMPONENTS_ALL Unspecified python_deb)
  set(CPACK_DEBIAN_UNSPECIFIED_PACKAGE_NAME paleoviz)
  set(CPACK_DEBIAN_PYTHON_DEB_PACKAGE_NAME python3-paleoviz)
  set(CPACK_DEBIAN_PYTHON_DEB_PACKAGE_SECTION python)
  # The extension is built for one version of Python, that of
  # PALEOVIZ_PYTHON_EXECUTABLE (Debian 12: 3.11).
  execute_process(COMMAND ${PALEOVIZ_PYTHON_EXECUTABLE} -c
                          "import sys; print('%d.%d %d.%d' % (sys.version_info[:2] + (sys.version_info[0], sys.version_info[1] + 1)))"
                  OUTPUT_VARIABLE PALEOVIZ_PYTHON_VERSIONS OUTPUT_STRIP_TRAILING_WHITESPACE)
  separate_arguments(PALEOVIZ_PYTHON_VERSIONS)
  list(GET PALEOVIZ_PYTHON_VERSIONS 0 PALEOVIZ_PYTHON_THIS)
  list(GET PALEOVIZ_PYTHON_VERSIONS 1 PALEOVIZ_PYTHON_NEXT)
  set(CPACK_DEBIAN_PYTHON_DEB_PACKAGE_DEPENDS
      "python3 (>= ${PALEOVIZ_PYTHON_THIS}), python3 (<< ${PALEOVIZ_PYTHON_NEXT}), python3-numpy")
  set(CPACK_DEBIAN_PYTHON_DEB_PACKAGE_SUGGESTS "python3-xarray, python3-netcdf4")
  set(CPACK_DEBIAN_PYTHON_DEB_DESCRIPTION
      "Earth's orbital elements and insolation for Python (NumPy)
The Python module paleoviz computes orbital elements and top-of-atmosphere
insolation (daily, integrated, caloric, monthly, instantaneous, annual) on
NumPy arrays with the C++ library of paleoviz-insolation, giving the same
numbers to the last bit; with xarray installed it returns grids laid out
as the tool's NetCDF files.")
else()
  set(CPACK_INSTALL_CMAKE_PROJECTS "${PROJECT_BINARY_DIR};${PROJECT_NAME};Unspecified;/")
endif()
set(CPACK_STRIP_FILES ON)
# "a, b, ... and z" of the items of list, into the variable out.
function(paleoviz_joined list out)
  list(POP_BACK list last)
  list(JOIN list ", " text)
  if(NOT text STREQUAL "")
    string(APPEND text " and ")
  endif()
  set(${out} "${text}${last}" PARENT_SCOPE)
endfunction()

# The words of text (no semicolons: they would split it) in lines of at
# most 74 characters, into out.
function(paleoviz_wrapped text out)
  string(REGEX MATCHALL "[^ \n]+" words "${text}")
  set(lines "")
  set(line "")
  foreach(word IN LISTS words)
    string(LENGTH "${line} ${word}" length)
    if(line STREQUAL "")
      set(line "${word}")
    elseif(length GREATER 74)
      string(APPEND lines "${line}\n")
      set(line "${word}")
    else()
      string(APPEND line " ${word}")
    endif()
  endforeach()
  set(${out} "${lines}${line}" PARENT_SCOPE)
endfunction()

# What the tool computes, naming the published tables it carries by the
# keys of the orbit library's list of them.
include(${PROJECT_SOURCE_DIR}/orbit/published_tables.cmake)
paleoviz_read_published_tables(${PROJECT_SOURCE_DIR}/orbit/published_tables.list)
paleoviz_joined("${PUBLISHED_TABLE_KEYS}" PALEOVIZ_TABLE_KEYS_TEXT)
paleoviz_wrapped("paleoviz-insolation computes orbital elements and top-of-atmosphere
insolation (daily, integrated, caloric, monthly, instantaneous, annual) at
any latitude, season and time of an orbital solution, as CSV or NetCDF: the
published tables ${PALEOVIZ_TABLE_KEYS_TEXT} (the first the default), a fit
of Laskar et al. (2004) and the series of Berger (1978).
paleoviz-orbit-series writes the window's orbital series file."
                 PALEOVIZ_TOOL_PARAGRAPH)

# Each package's description, its summary on the first line: CPack indents
# the rest and turns an empty line into Debian's " ." paragraph break. (A
# CPACK_PACKAGE_DESCRIPTION_SUMMARY would be put above every package's.)
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Earth's orbit and insolation over millions of years, for paleoclimatology
paleoviz shows the Sun, the Earth's orbit and four globes at the equinoxes
and solstices coloured by daily-mean insolation, with a panel of
eccentricity, precession and obliquity, over 5.8 million years, for
teaching and research.

${PALEOVIZ_TOOL_PARAGRAPH}")
set(CPACK_DEBIAN_UNSPECIFIED_DESCRIPTION ${CPACK_DEBIAN_PACKAGE_DESCRIPTION})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
