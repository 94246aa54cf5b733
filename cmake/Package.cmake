# The Debian packages, made by scripts/package with CPack from a build configured for /usr:
#   datatools      the windows, the launcher, their desktop entries, icons and metadata, and
#                  datatools with its man page (the components "desktop" and "cli");
#   datatools-cli  datatools and its man page alone, without Qt, for servers.
# Both ship /usr/bin/datatools, so the full package replaces the other (Conflicts, Replaces,
# Provides): a desktop installs one file and removes one package, and a server never pulls in
# Qt. Which of the two a run of cpack makes is chosen with -D DATATOOLS_PACKAGE=full|cli (see
# packaging/debian/package_config.cmake).
include(GNUInstallDirs)

set(DEB_MAINTAINER "The datatools developers <datatools@users.noreply.github.com>"
    CACHE STRING "The maintainer named in the Debian packages")

# Each package's copyright and changelog, in its own documentation folder.
set(deb_docs ${CMAKE_CURRENT_BINARY_DIR}/deb-docs)
string(TIMESTAMP deb_date "%a, %d %b %Y %H:%M:%S +0000" UTC)  # SOURCE_DATE_EPOCH, if set
file(WRITE ${deb_docs}/changelog
  "datatools (${PROJECT_VERSION}) unstable; urgency=medium\n\n"
  "  * Release ${PROJECT_VERSION}.\n\n"
  " -- ${DEB_MAINTAINER}  ${deb_date}\n")
execute_process(COMMAND gzip -9 -n -f -k ${deb_docs}/changelog)
foreach(package datatools datatools-cli)
  if(package STREQUAL "datatools")
    set(component deb_full)
  else()
    set(component deb_cli)
  endif()
  install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${package}
          RENAME copyright COMPONENT ${component} EXCLUDE_FROM_ALL)
  install(FILES ${deb_docs}/changelog.gz DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${package}
          COMPONENT ${component} EXCLUDE_FROM_ALL)
endforeach()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME datatools)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The datatools developers")
set(CPACK_PACKAGE_CONTACT "${DEB_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${DEB_MAINTAINER}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# Staged with DESTDIR, so that the install does not refresh the desktop database or the icon
# cache of the staging folder: Debian's triggers refresh them on the machine the package lands on.
set(CPACK_SET_DESTDIR ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
set(CPACK_PROJECT_CONFIG_FILE ${PROJECT_SOURCE_DIR}/packaging/debian/package_config.cmake)
set(CPACK_OUTPUT_FILE_PREFIX ${CMAKE_BINARY_DIR}/packages)
include(CPack)
